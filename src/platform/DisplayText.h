#pragma once
// Names and paths come from the disk and from containers that anyone may
// have made, so they are never shown as they are: whatever could hide,
// reorder or push away characters is made visible, and a name too long for
// its place loses its middle, never its end (where its real type is).
//
// How hidden things are shown:
//   \n \r \t              line breaks and tabs
//   \x1B                  any other control byte (below 0x20, and 0x7F), and
//                         every byte that is not part of valid UTF-8
//   <U+202E>              a character that draws nothing or reorders the
//                         text around it: C1 controls, direction overrides,
//                         embeddings, isolates and marks, zero-width
//                         characters, invisible fillers, line and paragraph
//                         separators, non-characters
//   <200 blanks>          a run of more than two blanks (spaces, no-break
//                         spaces, other Unicode spaces)
//   …                     where the middle of a too long text was left out
// Each of these forms is kept whole when a text is shortened, and showing
// shown text again changes nothing.

#include <cstddef>
#include <string>
#include <string_view>

namespace vls {

// The longest question the question dialog takes.
inline constexpr std::size_t kQuestionMaxLength = 255;

// The length of shown (UTF-8) text as the window toolkit counts it: one unit
// per character, two for characters beyond the Basic Multilingual Plane.
std::size_t DisplayLength(std::string_view shown);

// A name, a path or a line of text (any bytes) as it is shown: valid UTF-8
// with every hidden thing made visible.
std::string DisplayText(std::string_view bytes);

// DisplayText of every line of a text, the line breaks kept: for messages
// that put names on lines of their own.
std::string DisplayLines(std::string_view text);

// DisplayText, shortened to at most max_length units by leaving out a part
// of the middle: it keeps the start of the folder and the whole file name
// (the part after the last "/"); where the file name alone is too long, the
// name's start and, always, its end with the real extension.
std::string DisplayPath(std::string_view bytes, std::size_t max_length);

// The launcher's question "Open <file> with <program>", at most
// kQuestionMaxLength units, from the restored file's path and the program's
// name (any bytes): the file's path is shortened first, so the end of its
// name and " with " + the program always fit.
std::string LaunchQuestion(std::string_view file, std::string_view program);

}  // namespace vls
