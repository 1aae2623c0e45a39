#pragma once
// Names an attacker can give a container or store inside it, each with what
// the user must see of it: the literal name, with what would hide, reorder
// or push away characters made visible. The display-text core and every
// widget that shows names are driven through this one table.

#include <string>
#include <vector>

namespace vls::test {

struct HostileName {
  const char* what;
  std::string raw;    // the name's bytes
  std::string shown;  // what the user sees
};

// A FIFO of this name, in the current folder, catches any attempt to load
// a picture named in markup: opening it for reading is seen at once.
inline constexpr const char* kFifoName = "vls-fifo";

inline const std::vector<HostileName>& HostileNames() {
  static const std::vector<HostileName> names = [] {
    const std::string blanks(200, ' ');
    const std::string long_name = std::string(251, 'n') + ".vld";
    return std::vector<HostileName>{
        {"markup", "<b>bold</b><i>it</i>.vld", "<b>bold</b><i>it</i>.vld"},
        {"entities", "a&amp;b&#47;c&lt;.vld", "a&amp;b&#47;c&lt;.vld"},
        {"link", "<a href=\"file:&#47;&#47;&#47;tmp&#47;payload.txt\">holiday.vlp",
         "<a href=\"file:&#47;&#47;&#47;tmp&#47;payload.txt\">holiday.vlp"},
        {"picture of /dev/zero", "<img src=\"&#47;dev&#47;zero\">.vlp",
         "<img src=\"&#47;dev&#47;zero\">.vlp"},
        {"picture of a FIFO", std::string("<img src=\"") + kFifoName + "\">x.vlp",
         std::string("<img src=\"") + kFifoName + "\">x.vlp"},
        {"qt rich text", "<qt>x</qt>.vld", "<qt>x</qt>.vld"},
        {"right-to-left override",
         "Invoice\xE2\x80\xAE"
         "fdp.vld",
         "Invoice<U+202E>fdp.vld"},
        {"isolate and marks",
         "a\xE2\x81\xA6"
         "b\xE2\x80\x8F"
         "c\xD8\x9C.vld",
         "a<U+2066>b<U+200F>c<U+061C>.vld"},
        {"zero-width", "pay\xE2\x80\x8Bpal\xE2\x81\xA0x\xEF\xBB\xBF.vld",
         "pay<U+200B>pal<U+2060>x<U+FEFF>.vld"},
        {"line breaks", "report.pdf\n.exe\r\tx\xE2\x80\xA8y", "report.pdf\\n.exe\\r\\tx<U+2028>y"},
        {"controls", "\x1B[31mred\x7F\xC2\x85.vld", "\\x1B[31mred\\x7F<U+0085>.vld"},
        {"200 blanks", "Invoice-2024.pdf" + blanks + ".html", "Invoice-2024.pdf<200 blanks>.html"},
        {"two blanks stay", "a  b\xC2\xA0.vld", "a  b\xC2\xA0.vld"},
        {"255-byte name", long_name, long_name},
        {"leading dot", ".hidden.vld", ".hidden.vld"},
        {"invalid UTF-8", "caf\xE9 \xED\xA0\x80.vld", "caf\\xE9 \\xED\\xA0\\x80.vld"},
        {"beyond the BMP", "\xF0\x9F\x98\x80.vld", "\xF0\x9F\x98\x80.vld"},
    };
  }();
  return names;
}

}  // namespace vls::test
