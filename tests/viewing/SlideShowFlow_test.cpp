// The slide show flow over real containers: the rows in order on the form,
// a stop, a cancelled password, pause, next and previous, and the show
// ending without key or copy.

#include "viewing/SlideShowFlow.h"

#include "viewing/FlowFakes.h"

namespace vls::test {
namespace {

// Each picture's own bytes, from its name; "empty" holds none.
std::string PlainOf(const std::string& name) {
  return name == "empty" ? std::string() : SampleBytes(2000, static_cast<unsigned char>(name[0]));
}

struct SlideCase {
  const char* label;
  // Pictures a, b, c; "gone" is missing, "empty" empty, the decoder refuses "x".
  std::vector<std::string> rows;
  bool key_given;  // before the show
  std::vector<std::string> answers;
  std::vector<SlideKey> keys;  // ending the waits in turn; the rest run out
  std::vector<std::string> log;
};

constexpr SlideKey kStop = SlideKey::Stop, kPause = SlideKey::Pause, kNext = SlideKey::Next,
                   kBack = SlideKey::Previous, kTimeUp = SlideKey::Elapsed;

// clang-format off
const SlideCase kShows[] = {
    {"EveryRowOnce", {"a", "gone", "b", "c"}, false, {kKey}, {},
     {"aside", "asked", "show a", "wait", "missing", "status FILE DELETED", "show b", "wait", "show c", "wait", "away"}},
    {"AStopAfterTheFirstRow", {"a", "b"}, false, {kKey}, {kStop}, {"aside", "asked", "show a", "wait", "away"}},
    {"ACancelledPasswordSkipsTheRow", {"a", "b"}, false, {"", kKey}, {},
     {"aside", "asked", "aside", "asked", "show b", "wait", "away"}},
    {"AKeyGivenBefore", {"a"}, true, {}, {}, {"show a", "wait", "away"}},
    {"APauseHoldsThePictureUntilItGoesOn", {"a", "b"}, true, {}, {kPause, kPause},
     {"show a", "wait", "paused", "wait paused", "going on", "wait", "show b", "wait", "away"}},
    {"AStopWhilePaused", {"a", "b"}, true, {}, {kPause, kStop},
     {"show a", "wait", "paused", "wait paused", "going on", "away"}},
    {"NextGoesOnAtOnceAndEndsAfterTheLast", {"a", "b"}, true, {}, {kNext, kNext},
     {"show a", "wait", "show b", "wait", "away"}},
    {"PreviousGoesBackAndStaysAtTheFirst", {"a", "b"}, true, {}, {kNext, kBack, kBack},
     {"show a", "wait", "show b", "wait", "show a", "wait", "show a", "wait", "show b", "wait", "away"}},
    {"PreviousPassesMissingRowsBackwards", {"a", "gone", "b"}, true, {}, {kTimeUp, kBack},
     {"show a", "wait", "missing", "status FILE DELETED", "show b", "wait", "missing",
      "status FILE DELETED", "show a", "wait", "missing", "status FILE DELETED", "show b", "wait",
      "away"}},
    {"AMissingFirstRowTurnsTheShowForward", {"gone", "a"}, true, {}, {kBack},
     {"missing", "status FILE DELETED", "show a", "wait", "missing", "status FILE DELETED",
      "show a", "wait", "away"}},
    // No box and no wait: the show goes on, and its last line says what was skipped.
    {"AnEmptyPictureIsSkippedWithAStatusLine", {"empty", "a"}, false, {kKey}, {},
     {"aside", "asked", "status Skipped 1/2 empty.vlp: File contains no data", "show a", "wait",
      "status Skipped 1/2 empty.vlp: File contains no data", "away"}},
    {"UnshowablePicturesAreSkipped", {"a", "empty", "x", "b"}, false, {kKey}, {},
     {"aside", "asked", "show a", "wait", "status Skipped 2/4 empty.vlp: File contains no data",
      "show x", "status Skipped 3/4 x.vlp: bad header", "show b", "wait",
      "status Skipped 2 pictures, the last 3/4 x.vlp: bad header", "away"}},
};
// clang-format on

void PrintTo(const SlideCase& c, std::ostream* os) {
  *os << c.label;
}

class SlideShowFlowTest : public FlowTest, public ::testing::WithParamInterface<SlideCase> {};

TEST_P(SlideShowFlowTest, ShowsTheRowsInOrderAndEndsWithoutKeyOrCopy) {
  const SlideCase& c = GetParam();
  fake.expected = [](const std::string& copy) {
    return PlainOf(std::filesystem::path(copy).stem().string());
  };
  for (const std::string& row : c.rows)
    fake.rows.push_back(row == "gone" ? Docs("gone.vlp") : Make(row + ".png", PlainOf(row)));
  if (c.key_given)
    SetKey(kKey);
  fake.answers = c.answers;
  fake.keys = c.keys;
  fake.unreadable["x"] = "bad header";

  SlideShowFlow(fake, viewer, fake).Run();
  for (std::string& line : fake.log) {  // the rows' folder left out
    if (const auto at = line.find(Docs("")); at != std::string::npos)
      line.erase(at, Docs("").size());
  }
  EXPECT_EQ(fake.log, c.log);
  EXPECT_TRUE(KeyString.empty());
  EXPECT_TRUE(feedback.information.empty() && feedback.errors.empty());
  ExpectCleanEnd();
}

INSTANTIATE_TEST_SUITE_P(Shows, SlideShowFlowTest, ::testing::ValuesIn(kShows),
                         [](const auto& test) { return std::string(test.param.label); });

}  // namespace
}  // namespace vls::test
