// The launcher flow over real containers: what each answer does with the
// restored file and the container, a failing or throwing desktop, a wrong key.

#include "viewing/LauncherFlow.h"

#include "viewing/FlowFakes.h"

namespace vls::test {
namespace {

struct LaunchCase {
  const char* label;
  const char* program;  // the desktop's program for the type; "" none
  int answer;           // to the one question
  const char* failure;  // why opening failed; "" when the program started
  bool throws;          // the desktop fails when asked for the program
  std::vector<std::string> log;
  std::vector<std::string> left;  // in the container's folder
  const char* told;               // in the information box
  const char* error;              // in the error box; {path}: the restored file
};

constexpr const char* kNoProgram = "status No program is associated with report.letter";
constexpr const char* kWiped = "The restored file report.letter was wiped: desktop gone";
constexpr const char* kCannotOpen = "Cannot open {path} with Recorder: no display";

// clang-format off
const LaunchCase kLaunches[] = {
    {"Yes", "Recorder", kAnswerYes, "", false, {"asked", "open dear ann", "reread"}, {"report.letter"}, kReencryptReminder, ""},
    {"No", "Recorder", kAnswerNo, "", false, {"asked"}, {"report.vld"}, "", ""},
    {"Cancel", "Recorder", kAnswerCancel, "", false, {"asked"}, {"report.vld"}, "", ""},
    {"NoProgramKept", "", kAnswerYes, "", false, {"asked", kNoProgram, "reread"}, {"report.letter", "report.vld"}, "", ""},
    {"NoProgramWiped", "", kAnswerNo, "", false, {"asked"}, {"report.vld"}, "", ""},
    {"OpenFails", "Recorder", kAnswerYes, "no display", false, {"asked", "open dear ann"}, {"report.vld"}, "", kCannotOpen},
    {"OpenerThrows", "Recorder", kAnswerYes, "", true, {"asked"}, {"report.vld"}, "", kWiped},
};
// clang-format on

void PrintTo(const LaunchCase& c, std::ostream* os) {
  *os << c.label;
}

using LauncherFlowTest = FlowTest;

class LauncherAnswersTest : public LauncherFlowTest,
                            public ::testing::WithParamInterface<LaunchCase> {};

TEST_P(LauncherAnswersTest, TheRestoredFileIsOpenedKeptOrWiped) {
  const LaunchCase& c = GetParam();
  const std::string container = Make("report.letter", "dear ann");
  fake.program = c.program;
  fake.failure = c.failure;
  fake.throws = c.throws;
  fake.answers = {kKey};
  feedback.answers = {c.answer};

  launcher.Launch(container);
  EXPECT_EQ(fake.log, c.log);
  EXPECT_EQ(DocsList(), c.left);
  if (c.left[0] == "report.letter") {
    EXPECT_EQ(ReadFile(Docs("report.letter")), "dear ann");
  }
  EXPECT_EQ(feedback.questions.size(), c.throws ? 0u : 1u);
  EXPECT_EQ(feedback.information, Maybe(c.told));
  EXPECT_EQ(feedback.errors, Maybe(c.error, Docs("report.letter")));
  // A good key stays armed on both pages whatever the answer.
  EXPECT_EQ(std::string(KeyString.view()), kKey);
  EXPECT_TRUE(fake.indicators[0] && fake.indicators[1] && fake.timer);
  ExpectCleanEnd();
}

INSTANTIATE_TEST_SUITE_P(Answers, LauncherAnswersTest, ::testing::ValuesIn(kLaunches),
                         [](const auto& test) { return std::string(test.param.label); });

TEST_F(LauncherFlowTest, AWrongKeyIsDroppedWithItsIndicatorsAndTimer) {
  const std::string container = Make("report.letter", "dear ann");
  keys.ArmLauncher();  // as after an earlier launch with another key
  fake.answers = {kWrongKey};
  launcher.Launch(container);
  EXPECT_EQ(feedback.information, Maybe("BAD KEY! {path}", container));
  EXPECT_TRUE(KeyString.empty());
  EXPECT_EQ(fake.log, std::vector<std::string>({"asked", "timer stopped"}));
  EXPECT_FALSE(fake.indicators[0] || fake.indicators[1]);
  EXPECT_TRUE(feedback.questions.empty());
  EXPECT_EQ(DocsList(), std::vector<std::string>{"report.vld"});
  ExpectCleanEnd();
}

}  // namespace
}  // namespace vls::test
