// How names and paths are shown: hostile names made visible, long ones
// shortened in the middle, and the launcher's question that always ends with
// the file's real type and the program.

#include <gtest/gtest.h>

#include <regex>

#include "platform/DisplayText.h"
#include "support/HostileNames.h"

namespace vls {
namespace {

const std::string kEllipsis = "\xE2\x80\xA6";

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(DisplayTextTest, ShowsEveryHostileNameLiterallyWithHiddenThingsVisible) {
  for (const auto& name : test::HostileNames()) {
    SCOPED_TRACE(name.what);
    EXPECT_EQ(DisplayText(name.raw), name.shown);
    // Shown text shown again stays as it is (message boxes and the question
    // dialog show text their callers may have shown already).
    EXPECT_EQ(DisplayText(name.shown), name.shown);
  }
}

TEST(DisplayTextTest, CountsLengthAsTheWindowToolkitDoes) {
  EXPECT_EQ(DisplayLength("abc"), 3u);
  EXPECT_EQ(DisplayLength("caf\xC3\xA9"), 4u);
  EXPECT_EQ(DisplayLength("\xF0\x9F\x98\x80"), 2u);  // two UTF-16 units
}

// Shortened paths keep the folder's start and the file name's end, never
// split an escape or a character, and fit the room they are given.
TEST(DisplayTextTest, ShortensPathsInTheMiddle) {
  const std::string deep = "/home/ann/" + std::string(300, 'd') + "/Invoice.pdf";
  const std::string long_name = "/tmp/Invoice-2024.pdf" + std::string(240, 'a') + ".html";
  const struct {
    std::string path;
    std::size_t room;
    std::string start, end;
  } cases[] = {
      {"/home/ann/letter.odt", 40, "/home/ann/letter.odt", "/home/ann/letter.odt"},
      {deep, 60, "/home/ann/ddd", "dd" + kEllipsis + "/Invoice.pdf"},
      {long_name, 100, "/tmp/Invoice-2024.pdfaaa", "aaa.html"},
      {std::string(80, 'x') + ".vld", 30, "xxxxxxxxx", "xxx.vld"},
      {"/x/" + std::string(90, '\n') + ".sh", 40, "/x/\\n\\n", "\\n\\n.sh"},
      {"/x/" + std::string(50, '\xE9') + ".sh", 41, "/x/\\xE9\\xE9", "\\xE9\\xE9.sh"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.substr(0, 40));
    const std::string shown = DisplayPath(c.path, c.room);
    EXPECT_LE(DisplayLength(shown), c.room);
    EXPECT_EQ(shown.rfind(c.start, 0), 0u) << shown;
    EXPECT_TRUE(EndsWith(shown, c.end)) << shown;
  }
  // Escapes and characters beyond the BMP are never split.
  std::string overrides;
  for (int i = 0; i < 40; ++i)
    overrides += "\xE2\x80\xAE\xF0\x9F\x98\x80";
  const std::string shown = DisplayPath("/" + overrides, 60);
  EXPECT_LE(DisplayLength(shown), 60u);
  EXPECT_TRUE(std::regex_match(shown, std::regex("/((<U\\+202E>)|\xF0\x9F\x98\x80)*" + kEllipsis +
                                                 "((<U\\+202E>)|\xF0\x9F\x98\x80)*")))
      << shown;
  EXPECT_EQ(DisplayPath("abc", 0), "");
}

// The question never lets a name push its real type or the program out of
// the 255 characters the question dialog takes.
TEST(DisplayTextTest, LaunchQuestionAlwaysEndsWithTheTypeAndTheProgram) {
  const std::string documents = "/home/ann/Documents/";
  const std::string padded = documents + "Invoice-2024.pdf" + std::string(200, ' ') + ".html";
  EXPECT_EQ(LaunchQuestion(padded, "Text Opener"),
            "Open " + documents + "Invoice-2024.pdf<200 blanks>.html with Text Opener");
  EXPECT_EQ(LaunchQuestion(documents + "report.pdf\n.html", "Web"),
            "Open " + documents + "report.pdf\\n.html with Web");

  const std::string deep = "/home/ann/" + std::string(200, 'd') + "/";
  const struct {
    std::string file, program, end;
  } cases[] = {
      {deep + "letter.odt", "Text Opener", "/letter.odt with Text Opener"},
      {deep + "Invoice-2024.pdf" + std::string(236, 'x') + ".html", "Web", "xxx.html with Web"},
      {deep + "Invoice-2024.pdf" + std::string(236, '\t') + ".html", "Web", "\\t\\t.html with Web"},
      {deep + "a.html", std::string(300, 'P') + "\n", "/a.html with PPP"},
      {deep + "a.html",
       "Firefox\xE2\x80\xAE"
       "exe.txt",
       "/a.html with Firefox<U+202E>exe.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.end);
    const std::string question = LaunchQuestion(c.file, c.program);
    EXPECT_LE(DisplayLength(question), kQuestionMaxLength);
    EXPECT_EQ(question.rfind("Open /home/ann/", 0), 0u) << question;
    EXPECT_NE(question.find(c.end), std::string::npos) << question;
  }
  // A program's long name loses its middle, not its end.
  const std::string question = LaunchQuestion(deep + "a.html", std::string(300, 'P') + "\n");
  EXPECT_TRUE(EndsWith(question, "PPP\\n")) << question;
}

}  // namespace
}  // namespace vls
