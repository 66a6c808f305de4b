// Status codes, their fixed texts, and the mapping of answer result bytes to codes.
#pragma once

#include <cstdint>
#include <string>

namespace nuv {

enum StatusCode : int32_t {
    kStatusOk = 0,
    kStatusServerAddress = 7000,
    kStatusChecksum = 7001,
    kStatusTimeout = 7002,
    kStatusNoSuchUser = 7010,
    kStatusWrongPassword = 7011,
    kStatusNoBalance = 7020,
    kStatusMessageType = 7030,
    kStatusRecipient = 7031,
    kStatusAccountStopped = 7032,
    kStatusMobileBarred = 7033,
    kStatusUnicomBarred = 7034,
    kStatusContent = 7035,
    kStatusBlacklisted = 7036,
    kStatusSendRefused = 7060,
    kStatusPartlyRefused = 7061,
    kStatusHttpProxy = 7100,
    kStatusSocks5Proxy = 7102,
    kStatusSocks5Auth = 7103,
    kStatusSocks5Connect = 7104,
    kStatusUnspecified = 7777,
    kStatusNotConnected = 10054,
};

// The fixed GBK text of one of the library's own failure codes (7000-7777). Codes without a fixed
// text (success, whose text depends on the command, and socket errors) give the empty text.
const std::string& StatusText(int32_t code);

// The GBK text of a status code in general: the fixed text of the library's own codes, the system
// message of a socket error.
std::string StatusMessage(int32_t code);

// Maps the result byte of an answer to a status: the send table for command codes 2 and 6, the
// content table for 8 (bytes 2-255 leave Code unchanged and give the empty text), 7104 for the
// proxy stages 1001-1003, 7777 for everything else.
std::string GetStatusInfo(int32_t commandCode, uint8_t resultByte, int32_t& code);

}  // namespace nuv
