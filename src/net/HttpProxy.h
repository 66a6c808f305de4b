// Reading HTTP answer heads, shared by the CONNECT handshake and the HTTP tunnel.
#pragma once

#include <cstddef>
#include <string_view>

namespace nuv::http {

// A proxy or tunnel answer whose head (status line and header lines) grows beyond this without
// its empty line is not read further.
inline constexpr size_t kMaxHeadSize = 16 * 1024;

// The offset just past the first empty line ("\r\n\r\n"), or npos while the head is incomplete.
size_t HeadEnd(std::string_view data);

// The status line: the first line of the answer, leading empty lines skipped.
std::string_view StatusLine(std::string_view data);

// True for a status line of HTTP version 1.0 or 1.1 with the code 200, whatever the reason.
bool IsConnectAccepted(std::string_view statusLine);

// The value of the first header line named `name` (letters compared without regard to case),
// blanks around it removed; false when the head has no such line.
bool FindHeader(std::string_view head, std::string_view name, std::string_view& value);

}  // namespace nuv::http
