#pragma once
// Text as stored in containers: Windows-1252 bytes when every character has a
// Windows-1252 form (so containers stay readable by the Windows program), the
// UTF-8 bytes otherwise. Reading takes valid UTF-8 as UTF-8, anything else as
// Windows-1252.

#include <string>
#include <string_view>

namespace vls {

// UTF-8 text to its stored bytes.
std::string ToAnsi(std::string_view utf8);
// Stored bytes back to UTF-8 text.
std::string FromAnsi(std::string_view bytes);
// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);
// Number of characters (code points) of valid UTF-8 text, bytes otherwise.
std::size_t CharacterCount(std::string_view utf8);

}  // namespace vls
