#pragma once
// The terminal as the batch engine's window: the list is the command line's
// files, the password comes from the terminal or a file, the status line is
// a line of output, and a file that was not processed is named on standard
// error.

#include <string>
#include <vector>

#include "cli/Console.h"
#include "protect/Batch.h"

namespace vls::cli {

class TerminalBatch : public BatchWindow {
 public:
  // password_file: "" to ask on the terminal, "-" for standard input.
  TerminalBatch(Console& console, std::vector<std::string> paths, std::string password_file)
      : console_(console), paths_(std::move(paths)), password_file_(std::move(password_file)) {}

  void RequestEncryptionKey() override;
  void RequestDecryptionKey() override;
  void BringToFront() override {}
  void SetBusy(bool) override {}
  void DisableListButtons() override {}
  void SetStatusLine(const std::string& text, bool repaint_now) override;
  std::size_t RowCount() const override { return paths_.size(); }
  std::string RowPath(std::size_t i) const override { return paths_[i]; }
  void ClearList() override {}
  void RereadFolder() override {}
  void FileDone(const std::string& path, const CryptResult& result) override;
  bool ShowsNoticesAsTheyCome() const override { return true; }

  // The password could not be had (no terminal, a bad password file, three
  // bad entries): the command's usage failed.
  bool password_refused() const { return password_refused_; }

 private:
  void RequestKey(bool confirm);

  Console& console_;
  std::vector<std::string> paths_;
  std::string password_file_;
  bool password_refused_ = false;
};

}  // namespace vls::cli
