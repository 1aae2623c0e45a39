#pragma once
// A key that differs from the right one only in letter case (Caps Lock) can,
// for some names and keys, decipher a container's header to a stored key
// equal to itself byte for byte: the classic header then cannot tell the two
// keys apart, and the contents would come out as garbage. The name stored
// beside the key can: under the key that wrote it, it begins with the
// container's own name (without its extension), under its twin it is noise.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vls {

// True when the header (255 enciphered bytes), which typed_key opens, was
// written with another letter-case form of typed_key: that form opens it
// too, and its stored name begins with the container's name while the name
// under typed_key does not. A container whose name was changed since
// cannot be told apart this way and is taken as it opens.
bool WrittenWithCaseTwin(std::span<const std::uint8_t> header, std::string_view typed_key,
                         const std::string& container_path);

}  // namespace vls
