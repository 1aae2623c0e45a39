#pragma once
// Path helpers of the container and the wipe.

#include <functional>
#include <string>

namespace vls {

// The path without its extension (the text from the last "." after the last
// folder separator), or the path unchanged when it has none.
std::string StripExtension(const std::string& path);
// The extension of a path, with its ".", or "" when it has none.
std::string ExtensionOf(const std::string& path);
// The first of StripExtension(P) + "~" + n + extension of P, n = 1, 2, ...,
// that does not exist.
std::string UniqueName(const std::string& path);
// The same, also passing over the names taken() says are spoken for.
std::string UniqueName(const std::string& path,
                       const std::function<bool(const std::string&)>& taken);
// ASCII upper case (the only case folding stored names and keys ever get).
std::string UpperAscii(std::string text);
// True when the upper-cased extension is one of the seven picture types.
bool IsPictureExtension(const std::string& extension);

}  // namespace vls
