#pragma once
// What one run (a batch on the work list, one command line) lists and has
// written. Its decryptions never replace either of them, whatever the user
// answers, and what it had to tell the user along the way is kept for the
// run's summary.

#include <sys/types.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vls {

class RunRecord {
 public:
  // A file the run works on (a row of the list, an argument).
  void List(const std::string& path);
  // A file the run has written or restored.
  void Wrote(const std::string& path);
  // The file is about to go (wiped or deleted): its identity may be reused.
  void Forget(const std::string& path);
  // The file under path is one the run lists or has written.
  bool Holds(const std::string& path) const;

  void Note(const std::string& text) { notes_.push_back(text); }
  const std::vector<std::string>& notes() const { return notes_; }

 private:
  std::set<std::pair<dev_t, ino_t>> files_;
  std::vector<std::string> notes_;
};

}  // namespace vls
