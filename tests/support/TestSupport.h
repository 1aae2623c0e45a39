#pragma once
// Helpers shared by the core tests: a private temporary folder per test, file
// contents in and out, and a Feedback that records what the user would see.

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>
#include <vector>

#include "protect/Feedback.h"
#include "protect/VolumeFacts.h"

namespace vls::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  // Names of the entries, sorted.
  std::vector<std::string> List() const;
  // Names of the entries of any folder, sorted (none when it is missing).
  static std::vector<std::string> ListOf(const std::string& folder);

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// Bytes that look like data: a repeatable pseudo-random sequence.
std::string SampleBytes(std::size_t size, unsigned seed = 1);

// Records every call; answers questions from a queue (Cancel when empty).
class RecordingFeedback : public Feedback {
 public:
  void SetGaugeColor(GaugeColor) override { ++gauge_color_calls; }
  void SetGaugePosition(int position) override { gauge.push_back(position); }
  void SetStatus(const std::string& text) override { status.push_back(text); }
  int Ask(const std::string& question) override;
  void ShowInformation(const std::string& text) override { information.push_back(text); }
  void ShowError(const std::string& text) override { errors.push_back(text); }

  std::vector<int> answers;  // answers still to give, first first
  int gauge_color_calls = 0;
  std::vector<int> gauge;
  std::vector<std::string> status, questions, information, errors;
};

// Volume facts that report one file-system name for every path.
class FixedVolumeFacts : public VolumeFacts {
 public:
  explicit FixedVolumeFacts(std::string name = "ext4") : name_(std::move(name)) {}
  std::string FileSystemOf(const std::string&) override { return name_; }

 private:
  std::string name_;
};

// Writes past this many bytes of any file fail with EFBIG while it lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct rlimit saved_ {};
  sighandler_t old_handler_;
};

// Sets the process-wide key string (UTF-8 text, stored as ANSI bytes).
void SetKey(const std::string& utf8);

}  // namespace vls::test
