// The operating-system services the library needs, behind one small interface (POSIX here).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nuv::platform {

// ---- Sockets -----------------------------------------------------------------------------------
// Errors are reported in the Winsock numbering (10061 refused, 10054 reset, 10060 timed out, ...),
// so hosts see the same numbers on every platform; LastSocketError holds the calling thread's last.

using SocketHandle = int;
inline constexpr SocketHandle kNoSocket = -1;

void StartSocketLayer();
void StopSocketLayer();

// A blocking IPv4 TCP socket, or kNoSocket.
SocketHandle OpenTcpSocket();
void CloseSocket(SocketHandle socket);

// Dotted IPv4 text in network byte order, with the classic inet_addr rules: "1.2.3.4", "10.1",
// "0x7f.1" are accepted; anything else, and 255.255.255.255 (indistinguishable from the error
// value), fails.
bool ParseIPv4(const std::string& text, uint32_t& address);

// Connects within timeoutMs (a non-positive bound means the system's own connect time-out).
bool ConnectTcp(SocketHandle socket, uint32_t address, uint16_t port, int timeoutMs);

// One send or recv call; -1 on failure. SendSome never raises SIGPIPE.
long SendSome(SocketHandle socket, const char* data, size_t size);
long ReceiveSome(SocketHandle socket, char* buffer, size_t size);
// The same without blocking: kWouldBlock when the call would have to wait.
inline constexpr long kWouldBlock = -2;
long SendNow(SocketHandle socket, const char* data, size_t size);
long ReceiveNow(SocketHandle socket, char* buffer, size_t size);

enum class Readiness { Ready, TimedOut, Failed };
// Waits up to timeoutMs (0: just look) until the socket can be read (data or end of stream).
Readiness WaitReadable(SocketHandle socket, int timeoutMs);
// Waits up to timeoutMs until the socket can take more bytes.
Readiness WaitWritable(SocketHandle socket, int timeoutMs);

int LastSocketError();
void SetLastSocketError(int code);
// Winsock-style number for an errno value; values without a counterpart keep their own number.
int WinsockErrorFromErrno(int errnoValue);
// The system's message for a socket error number (GBK; trailing blanks, control bytes and full
// stops removed; at most 256 bytes).
std::string SocketErrorText(int code);

// First IPv4 address of a host name as dotted text, or false.
bool LookupIPv4(const std::string& hostName, std::string& dotted);

// ---- Clock -------------------------------------------------------------------------------------

struct CalendarTime {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// The local wall-clock time broken into calendar fields.
CalendarTime LocalNow();
// Milliseconds from an arbitrary start; wraps around like a 32-bit tick counter.
uint32_t TickCount();
void SleepMs(uint32_t milliseconds);
// The time separator of the user's regional settings.
char TimeSeparator();

// ---- Regional date-time text ------------------------------------------------------------------

// The order of day, month and year in a date text.
enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

// The order of the environment's LC_TIME date format (month, day, year in the C locale).
DateOrder RegionalDateOrder();
// The order of a strftime-style date format: "%d.%m.%Y" gives day, month, year.
DateOrder DateOrderOf(std::string_view dateFormat);
// Reads "date", "date time" or "time" (blanks around allowed). A date is three numbers in Order
// separated by "/", "-" or "."; a four-digit first number always starts year-month-day; years of
// one or two digits lie within 50 years of CurrentYear. A time is "h:mm" or "h:mm:ss"; a time
// alone lies on 1899-12-30. False for anything else, an empty text or a date that does not exist.
bool ReadDateTimeText(std::string_view text, DateOrder order, int currentYear, CalendarTime& value);
// ReadDateTimeText under RegionalDateOrder() and the current year.
bool ReadLocalDateTime(std::string_view text, CalendarTime& value);

// ---- Code pages --------------------------------------------------------------------------------
// Conversions never fail: a byte sequence that does not convert becomes U+FFFD (or '?' towards
// GBK), one per offending byte, so counting and display stay possible for any input.

std::u16string GbkToUtf16(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view text);
std::string Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);

// ---- Files -------------------------------------------------------------------------------------

// The folder of the file this code was loaded from (the shared library, or the program it is
// linked into), with a trailing '/'.
std::string ModuleFolder();

}  // namespace nuv::platform
