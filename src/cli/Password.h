#pragma once
// The password of a command: the first line of a file ("-" for standard
// input), or typed on the terminal without echo (twice when encrypting).

#include <optional>
#include <string>

#include "cli/Console.h"

namespace vls::cli {

inline constexpr std::size_t kMinPasswordLength = 5;
inline constexpr std::size_t kMaxPasswordLength = 30;

// Returns the password as UTF-8 text, or nothing after writing why to err.
std::optional<std::string> ObtainPassword(Console& console, const std::string& password_file,
                                          bool confirm);

// "" when the password is acceptable, otherwise why not.
std::string PasswordProblem(const std::string& utf8);

}  // namespace vls::cli
