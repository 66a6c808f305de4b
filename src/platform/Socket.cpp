// POSIX sockets behind the platform interface, with errors in the Winsock numbering.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Platform.h"

namespace nuv::platform {
namespace {

thread_local int g_lastSocketError = 0;

void RecordErrno() {
    g_lastSocketError = WinsockErrorFromErrno(errno);
}

Readiness WaitFor(SocketHandle socket, short events, int timeoutMs) {
    pollfd entry{socket, events, 0};
    for (;;) {
        int n = ::poll(&entry, 1, timeoutMs < 0 ? 0 : timeoutMs);
        if (n > 0) return Readiness::Ready;
        if (n == 0) return Readiness::TimedOut;
        if (errno != EINTR) {
            RecordErrno();
            return Readiness::Failed;
        }
    }
}

}  // namespace

void StartSocketLayer() {}
void StopSocketLayer() {}

SocketHandle OpenTcpSocket() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) RecordErrno();
    return fd < 0 ? kNoSocket : fd;
}

void CloseSocket(SocketHandle socket) {
    if (socket != kNoSocket) ::close(socket);
}

bool ParseIPv4(const std::string& text, uint32_t& address) {
    in_addr_t value = ::inet_addr(text.c_str());
    if (value == INADDR_NONE) return false;
    address = value;
    return true;
}

bool ConnectTcp(SocketHandle socket, uint32_t address, uint16_t port, int timeoutMs) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = address;
    int flags = ::fcntl(socket, F_GETFL);
    if (timeoutMs > 0 && flags >= 0) ::fcntl(socket, F_SETFL, flags | O_NONBLOCK);
    int rc = ::connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    if (rc != 0 && errno == EINPROGRESS) {
        // Bounded wait for the handshake; the socket goes back to blocking mode afterwards.
        Readiness r = WaitFor(socket, POLLOUT, timeoutMs);
        if (r == Readiness::TimedOut) {
            errno = ETIMEDOUT;
        } else if (r == Readiness::Ready) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length);
            rc = error == 0 ? 0 : -1;
            errno = error;
        }
    }
    if (rc != 0) RecordErrno();
    if (timeoutMs > 0 && flags >= 0) ::fcntl(socket, F_SETFL, flags);
    return rc == 0;
}

long SendSome(SocketHandle socket, const char* data, size_t size) {
    for (;;) {
        ssize_t n = ::send(socket, data, size, MSG_NOSIGNAL);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) {
            RecordErrno();
            return -1;
        }
    }
}

namespace {
// One call that never blocks: kWouldBlock when it would have to wait.
template <class Call>
long WithoutWaiting(Call&& call) {
    for (;;) {
        ssize_t n = call();
        if (n >= 0) return static_cast<long>(n);
        if (errno == EAGAIN || errno == EWOULDBLOCK) return kWouldBlock;
        if (errno != EINTR) {
            RecordErrno();
            return -1;
        }
    }
}
}  // namespace

long SendNow(SocketHandle socket, const char* data, size_t size) {
    return WithoutWaiting([&] { return ::send(socket, data, size, MSG_NOSIGNAL | MSG_DONTWAIT); });
}

long ReceiveNow(SocketHandle socket, char* buffer, size_t size) {
    return WithoutWaiting([&] { return ::recv(socket, buffer, size, MSG_DONTWAIT); });
}

long ReceiveSome(SocketHandle socket, char* buffer, size_t size) {
    for (;;) {
        ssize_t n = ::recv(socket, buffer, size, 0);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) {
            RecordErrno();
            return -1;
        }
    }
}

Readiness WaitReadable(SocketHandle socket, int timeoutMs) {
    return WaitFor(socket, POLLIN, timeoutMs);
}
Readiness WaitWritable(SocketHandle socket, int timeoutMs) {
    return WaitFor(socket, POLLOUT, timeoutMs);
}

int LastSocketError() {
    return g_lastSocketError;
}
void SetLastSocketError(int code) {
    g_lastSocketError = code;
}

int WinsockErrorFromErrno(int e) {
    switch (e) {
        case EINTR:
            return 10004;
        case EBADF:
            return 10009;
        case EACCES:
            return 10013;
        case EFAULT:
            return 10014;
        case EINVAL:
            return 10022;
        case EMFILE:
            return 10024;
        case EAGAIN:
            return 10035;
        case EINPROGRESS:
            return 10036;
        case EALREADY:
            return 10037;
        case ENOTSOCK:
            return 10038;
        case EDESTADDRREQ:
            return 10039;
        case EMSGSIZE:
            return 10040;
        case EPROTOTYPE:
            return 10041;
        case ENOPROTOOPT:
            return 10042;
        case EPROTONOSUPPORT:
            return 10043;
        case ESOCKTNOSUPPORT:
            return 10044;
        case EOPNOTSUPP:
            return 10045;
        case EPFNOSUPPORT:
            return 10046;
        case EAFNOSUPPORT:
            return 10047;
        case EADDRINUSE:
            return 10048;
        case EADDRNOTAVAIL:
            return 10049;
        case ENETDOWN:
            return 10050;
        case ENETUNREACH:
            return 10051;
        case ENETRESET:
            return 10052;
        case ECONNABORTED:
            return 10053;
        case ECONNRESET:
            return 10054;
        case EPIPE:
            return 10054;  // writing to a connection the peer has reset
        case ENOBUFS:
            return 10055;
        case EISCONN:
            return 10056;
        case ENOTCONN:
            return 10057;
        case ESHUTDOWN:
            return 10058;
        case ETOOMANYREFS:
            return 10059;
        case ETIMEDOUT:
            return 10060;
        case ECONNREFUSED:
            return 10061;
        case ELOOP:
            return 10062;
        case ENAMETOOLONG:
            return 10063;
        case EHOSTDOWN:
            return 10064;
        case EHOSTUNREACH:
            return 10065;
        default:
            return e;
    }
}

namespace {
// The errno whose system message describes a Winsock number (the inverse of the table above).
int ErrnoFromWinsock(int code) {
    for (int e = 1; e < 200; ++e) {
        if (e != EPIPE && WinsockErrorFromErrno(e) == code) return e;
    }
    return code;
}
}  // namespace

std::string SocketErrorText(int code) {
    char buffer[257];
    const char* message = ::strerror_r(ErrnoFromWinsock(code), buffer, sizeof buffer);
    std::string text = Utf8ToGbk(message ? message : "");
    if (text.size() > 256) text.resize(256);
    while (!text.empty()) {
        unsigned char last = static_cast<unsigned char>(text.back());
        if (last > 0x20 && last != '.') break;
        text.pop_back();
    }
    return text;
}

bool LookupIPv4(const std::string& hostName, std::string& dotted) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(hostName.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    bool ok = false;
    for (addrinfo* entry = found; entry != nullptr && !ok; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
        const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        const auto* b = reinterpret_cast<const unsigned char*>(&in->sin_addr.s_addr);
        char text[16];
        std::snprintf(text, sizeof text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
        dotted = text;
        ok = true;
    }
    ::freeaddrinfo(found);
    return ok;
}

}  // namespace nuv::platform
