#pragma once
// Text as stored in containers: Windows-1252 bytes when every character has a
// Windows-1252 form (so containers stay readable by the Windows program), the
// UTF-8 bytes otherwise. Reading takes valid UTF-8 as UTF-8, anything else as
// Windows-1252.

#include <string>
#include <string_view>

namespace vls {

// UTF-8 text to its stored bytes (the password: its bytes key the cipher, so
// this conversion never changes).
std::string ToAnsi(std::string_view utf8);
// Stored bytes back to UTF-8 text.
std::string FromAnsi(std::string_view bytes);

// A file name as the system gave it (any bytes) to the bytes stored in a
// container, and back: FromStoredName(ToStoredName(n)) == n for every name,
// so two names never come back as one. Names with a Windows-1252 form are
// stored in it, as they always were, when that form reads back unchanged;
// other valid UTF-8 as it is; and a name that is not valid UTF-8 keeps its
// stray bytes as U+DC80..U+DCFF escapes (written like UTF-8), which no
// earlier reader produced and no Windows-1252 name of a real file contains.
std::string ToStoredName(std::string_view name);
std::string FromStoredName(std::string_view stored);
// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);
// Number of characters (code points) of valid UTF-8 text, bytes otherwise.
std::size_t CharacterCount(std::string_view utf8);

}  // namespace vls
