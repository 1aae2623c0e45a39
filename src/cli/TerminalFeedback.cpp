#include "cli/TerminalFeedback.h"

#include <istream>
#include <ostream>

#include "platform/DisplayText.h"

namespace vls::cli {

void TerminalFeedback::SetGaugePosition(int position) {
  if (!console_.progress_bar || position == drawn_)
    return;
  if (position <= 0) {
    ClearBar();
    return;
  }
  constexpr int kWidth = 40;
  const int filled = position * kWidth / 100;
  console_.err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
               << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << position
               << "%" << std::flush;
  drawn_ = position;
}

void TerminalFeedback::ClearBar() {
  if (drawn_ > 0)
    console_.err << "\r" << std::string(48, ' ') << "\r" << std::flush;
  drawn_ = -1;
}

int TerminalFeedback::Ask(const std::string& question) {
  ClearBar();
  if (!console_.interactive)
    return default_answer_;
  for (;;) {
    console_.err << DisplayLines(question) << " [y]es, [n]o, [c]ancel: " << std::flush;
    std::string answer;
    if (!std::getline(console_.in, answer))
      return kAnswerCancel;
    if (answer == "y" || answer == "Y" || answer == "yes" || answer == "YES")
      return kAnswerYes;
    if (answer == "n" || answer == "N" || answer == "no" || answer == "NO")
      return kAnswerNo;
    if (answer == "c" || answer == "C" || answer.empty())
      return kAnswerCancel;
  }
}

void TerminalFeedback::ShowInformation(const std::string& text) {
  ClearBar();
  console_.out << DisplayLines(text) << '\n';
}

void TerminalFeedback::Notice(const std::string& text) {
  ClearBar();
  console_.out << DisplayLines(text) << '\n';
}

void TerminalFeedback::ShowError(const std::string& text) {
  ClearBar();
  ++errors_shown_;
  console_.err << "veilstore-cli: " << DisplayLines(text) << '\n';
}

}  // namespace vls::cli
