/*
 * NUV: client library for the SMS gateway service.
 *
 * Conventions shared by every export
 * ----------------------------------
 * - Every function is plain C with the calling convention NUV_CALL (stdcall on 32-bit Windows,
 *   the platform default elsewhere), takes 32-bit arguments and returns a 32-bit integer.
 * - A session is named by a handle: a positive int32 returned by ZpOpen or ZpProxyOpen and valid
 *   until ZpClose. -1 means "no session was created". Every export given a value that is not a
 *   live handle (never opened, already closed, -1) returns -1 and touches no memory.
 * - Texts are byte strings in the GBK code page. Text arguments are zero-terminated; a null
 *   pointer counts as an empty text. The library copies every text argument on entry and keeps no
 *   pointer into caller memory after the call returns.
 * - Texts handed back are raw GBK bytes WITHOUT a terminating zero; their byte count comes back
 *   separately (the function result or an int32 out-parameter). Caller-owned buffers are written
 *   as each function states; where no buffer size is passed the caller must supply a buffer large
 *   enough for the whole text (a received-message reply or a result list).
 * - Results: 0 is success; other values are status codes (below), socket error numbers in the
 *   Winsock numbering (10054 connection lost or not connected, 10060 timed out, 10061 refused,
 *   ...), or -1 when a failure was raised inside the call (bad handle, allocation failure,
 *   unreadable send time). Nothing is ever thrown across this boundary.
 * - The last status code and its text stay readable on the handle (ZpGetLastErrorCode,
 *   ZpGetLastErrorText) until the next operation replaces them.
 * - Threads: different handles may be used from different threads at once. Calls on one handle
 *   are serialised by the library; a call blocks its thread until its exchanges end, and every
 *   wait is bounded by the handle's time-out (ZpSetTimeout, default 10000 ms).
 */
#ifndef NUV_NUV_H
#define NUV_NUV_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define NUV_CALL __stdcall
#else
#define NUV_CALL
#endif

#if defined(_WIN32)
#if defined(NUV_BUILDING_LIBRARY)
#define NUV_API __declspec(dllexport)
#else
#define NUV_API __declspec(dllimport)
#endif
#elif defined(NUV_BUILDING_LIBRARY)
#define NUV_API __attribute__((visibility("default")))
#else
#define NUV_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Proxy kinds for ZpProxyOpen and ZpSetProxy. Any other value connects to the proxy address
 * without a handshake and then talks to it as if it were the gateway. */
enum {
    NUV_PROXY_NONE = 0,       /* direct TCP connection to the gateway */
    NUV_PROXY_HTTP = 1,       /* HTTP proxy, CONNECT method (optional Basic authorisation) */
    NUV_PROXY_SOCKS4 = 2,     /* SOCKS4 proxy */
    NUV_PROXY_SOCKS5 = 3,     /* SOCKS5 proxy (optional user name and password) */
    NUV_PROXY_HTTP_TUNNEL = 4 /* every request is an HTTP POST to /HttpProxy through the proxy */
};

/* Status codes of the library (the text of each is a fixed GBK string, see ZpGetLastErrorText). */
enum {
    NUV_OK = 0,
    NUV_E_SERVER_ADDRESS = 7000,  /* "服务器地址无效": the address is not dotted IPv4 text */
    NUV_E_CHECKSUM = 7001,        /* "数据校验失败": an answer failed its checks */
    NUV_E_TIMEOUT = 7002,         /* "网络操作超时": no answer within the time-out */
    NUV_E_NO_SUCH_USER = 7010,    /* "无此用户" */
    NUV_E_WRONG_PASSWORD = 7011,  /* "密码错误" */
    NUV_E_NO_BALANCE = 7020,      /* "费用不足" */
    NUV_E_MESSAGE_TYPE = 7030,    /* "短信类型无效" */
    NUV_E_RECIPIENT = 7031,       /* "接收号码无效" */
    NUV_E_ACCOUNT_STOPPED = 7032, /* "账户已被停" */
    NUV_E_MOBILE_BARRED = 7033,   /* "移动号码禁止发送" */
    NUV_E_UNICOM_BARRED = 7034,   /* "联通号码禁止发送" */
    NUV_E_CONTENT = 7035,         /* "短信内容非法" */
    NUV_E_BLACKLISTED = 7036,     /* "接收号码为黑名单" */
    NUV_E_SEND_REFUSED = 7060,    /* "群发短信被拒绝" */
    NUV_E_PARTLY_REFUSED = 7061,  /* "部分号码被拒绝" */
    NUV_E_HTTP_PROXY = 7100,      /* "无效的HTTP代理" */
    NUV_E_SOCKS5_PROXY = 7102,    /* "无效的socks5代理" */
    NUV_E_SOCKS5_AUTH = 7103,     /* "socks5鉴权失败" */
    NUV_E_SOCKS5_CONNECT = 7104,  /* "socks5连接失败" */
    NUV_E_UNSPECIFIED = 7777,     /* "未指明的错误" */
    NUV_E_NOT_CONNECTED = 10054   /* no connection when one is needed (also a socket error) */
};

/* ---- Handle, settings and last status ------------------------------------------------------ */

/* Opens a session handle for the gateway at ServerAddress:ServerPort. Nothing is connected yet.
 * Only the first 15 bytes of ServerAddress are used. A text whose first dot-separated label is a
 * number (e.g. "127.0.0.1") is kept as it is; anything else is looked up as a host name, and a name
 * that does not resolve leaves the default address 127.0.0.1 in place (no error is reported).
 * Returns the handle, or -1 when the session could not be created. */
NUV_API int32_t NUV_CALL ZpOpen(const char* ServerAddress, int32_t ServerPort);

/* As ZpOpen, with the whole ServerAddress (no 15-byte cut) and the proxy settings of ZpSetProxy.
 * Returns the handle, or -1. */
NUV_API int32_t NUV_CALL ZpProxyOpen(const char* ServerAddress, int32_t ServerPort,
                                     int32_t ProxyType, const char* ProxyHost, int32_t ProxyPort,
                                     const char* ProxyUser, const char* ProxyPassword);

/* Stores the proxy settings (ProxyType: NUV_PROXY_*; ProxyHost must be dotted IPv4 text, it is not
 * looked up; ProxyUser/ProxyPassword may be null or empty for no authentication). An open
 * connection is not touched; the next connection uses the new values.
 * Returns 1 on success (not 0), -1 for a bad handle. */
NUV_API int32_t NUV_CALL ZpSetProxy(int32_t Handle, int32_t ProxyType, const char* ProxyHost,
                                    int32_t ProxyPort, const char* ProxyUser,
                                    const char* ProxyPassword);

/* Closes an open connection (without sending a logout) and frees the session.
 * Returns 0, or -1 for a bad handle. The handle is invalid afterwards. */
NUV_API int32_t NUV_CALL ZpClose(int32_t Handle);

/* Sets how long (milliseconds) the session waits without receiving a byte before an exchange
 * fails with 7002, from the next exchange on. Stored without a range check: 0 gives up after the
 * first empty wait; a negative value is read as an unsigned number of milliseconds (so -1 waits
 * about 49 days). Connecting and sending are bounded by the same value, or by 10000 ms when it is
 * 0 or negative. Returns 0, or -1 for a bad handle. */
NUV_API int32_t NUV_CALL ZpSetTimeout(int32_t Handle, int32_t Timeout);

/* Returns the status code of the session's last operation (0 on a fresh handle), or -1 for a bad
 * handle. */
NUV_API int32_t NUV_CALL ZpGetLastErrorCode(int32_t Handle);

/* Copies the GBK text of the last status into Buffer when it fits (length <= BufferSize), without
 * a terminating zero; a text that does not fit leaves Buffer untouched. Buffer may be null when
 * BufferSize is 0 (to ask for the length). Returns the text's byte length in every case (0 on a
 * fresh handle), or -1 for a bad handle. */
NUV_API int32_t NUV_CALL ZpGetLastErrorText(int32_t Handle, char* Buffer, int32_t BufferSize);

/* ---- Session ------------------------------------------------------------------------------- */

/* Connects (directly or through the proxy), logs in with UserName and Password (each cut to 12
 * bytes) and reads the account profile. Returns the login status: 0, 7010 no such user,
 * 7011 wrong password, 10054 when no connection could be made (the last error then holds the
 * connection failure: a socket error such as 10061, or 7000). After the call the last error holds
 * the status of the profile read. A refused login keeps the connection open. */
NUV_API int32_t NUV_CALL ZpLogin(int32_t Handle, const char* UserName, const char* Password);

/* Sends the logout command and closes the connection. Returns its status, 10054 when not
 * connected. */
NUV_API int32_t NUV_CALL ZpLogout(int32_t Handle);

/* Sends a keep-alive command. Returns its status; 10054 when not connected (the last error is then
 * left unchanged). A failed exchange closes the connection. */
NUV_API int32_t NUV_CALL ZpKeepAlive(int32_t Handle);

/* ---- Sends --------------------------------------------------------------------------------- *
 * Mobiles holds recipient numbers, one per line (CR LF, CR or LF). Content is the message text.
 * TimeText is a local date and time such as "2026-12-24 08:30" (or in the order of the
 * environment's LC_TIME date format, separators "/", "-" or "."; an optional "h:mm" or "h:mm:ss"
 * after a blank). SuccessBuffer/FailBuffer receive the accepted/refused numbers, each followed by
 * CR LF, without a terminating zero; SuccessLength/FailLength receive their byte counts. A null
 * buffer, or an empty list, leaves the buffer and its length untouched. No size is passed: the
 * buffers must hold every number of Mobiles plus 2 bytes each, and FailBuffer twice that plus the
 * extra number and 2 bytes (a locally invalid number can appear twice). The library never writes
 * more: a refusal from the gateway is only taken for a number the call sent. Empty lines of
 * Mobiles are no recipients. Results: 0, 7061 when some or all numbers were refused, the precise
 * reason (7031, 7035, 7020, ...) for a refused single send, 10054 not connected, -1 for an
 * unreadable TimeText (nothing is sent), -91 for an unreadable TimeText of ZpMultiSend. */
NUV_API int32_t NUV_CALL ZpSingleSend(int32_t Handle, const char* Mobile, const char* Content);
NUV_API int32_t NUV_CALL ZpSingleSendAtTime(int32_t Handle, const char* TimeText,
                                            const char* Mobile, const char* Content);
NUV_API int32_t NUV_CALL ZpMassSend(int32_t Handle, const char* Mobiles, const char* Content,
                                    char* SuccessBuffer, char* FailBuffer, int32_t* SuccessLength,
                                    int32_t* FailLength);
NUV_API int32_t NUV_CALL ZpMassSendEx(int32_t Handle, const char* ExtraNumber, const char* Mobiles,
                                      const char* Content, char* SuccessBuffer, char* FailBuffer,
                                      int32_t* SuccessLength, int32_t* FailLength);
NUV_API int32_t NUV_CALL ZpMassSendAtTime(int32_t Handle, const char* TimeText, const char* Mobiles,
                                          const char* Content, char* SuccessBuffer,
                                          char* FailBuffer, int32_t* SuccessLength,
                                          int32_t* FailLength);
NUV_API int32_t NUV_CALL ZpMassSendAtTimeEx(int32_t Handle, const char* TimeText,
                                            const char* ExtraNumber, const char* Mobiles,
                                            const char* Content, char* SuccessBuffer,
                                            char* FailBuffer, int32_t* SuccessLength,
                                            int32_t* FailLength);
NUV_API int32_t NUV_CALL ZpMultiSend(int32_t Handle, int32_t MessageType, const char* TimeText,
                                     const char* ExtraNumber, const char* Mobiles,
                                     const char* Content, char* SuccessBuffer, char* FailBuffer,
                                     int32_t* SuccessLength, int32_t* FailLength);

/* ---- Account and service ------------------------------------------------------------------- */

/* Writes the account balance into *Balance (-1 on a failed status; nothing when Balance is null).
 * Returns the status. */
NUV_API int32_t NUV_CALL ZpQueryAccu(int32_t Handle, int32_t* Balance);

/* Writes the server's busy level into *BusyLevel (-1 when the server gives none or on failure;
 * nothing when BusyLevel is null). Returns the status. */
NUV_API int32_t NUV_CALL ZpQueryServerState(int32_t Handle, int32_t* BusyLevel);

/* Has the text checked against the service's content rules. Returns 0 when acceptable, 7035 when
 * refused (the last error text then holds the server's remark). */
NUV_API int32_t NUV_CALL ZpCheckContent(int32_t Handle, const char* Content);

/* Changes the account password. On success the session keeps the new password for later logins.
 * Returns the status. */
NUV_API int32_t NUV_CALL ZpModifyPwd(int32_t Handle, const char* NewPassword);

/* Fetches received messages; ServiceArgs and the reply are passed through unchanged. Always writes
 * the reply bytes into TextBuffer (no terminating zero) and their count into *TextLength (0 on a
 * failed status); both pointers must be valid. Returns the status. */
NUV_API int32_t NUV_CALL ZpReceive(int32_t Handle, const char* ServiceArgs, char* TextBuffer,
                                   int32_t* TextLength);

/* Reads the account profile. Always writes "企业ID=<id>\r\n企业简称=<short name>\r\n", followed on
 * success by the profile's Name=Value lines and "企业简称=<short name>", into InfoBuffer (no
 * terminating zero) and its byte count into *InfoLength; both pointers must be valid.
 * Returns the status. */
NUV_API int32_t NUV_CALL ZpSwapUserInfo(int32_t Handle, char* InfoBuffer, int32_t* InfoLength);

#ifdef __cplusplus
}
#endif

#endif /* NUV_NUV_H */
