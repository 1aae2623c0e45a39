#pragma once
// The file-type filter list of the folder browser: "description|mask|..."
// pairs, one of them selected; its mask decides which files the folder list
// shows. Masks such as "*.VLP;*.VLD" match without regard to letter case.

#include <string>
#include <vector>

namespace vls {

struct FilterEntry {
  std::string description;
  std::string mask;
};

class FilterList {
 public:
  // Parses "description|mask|description|mask"; a description without a mask
  // gets "*.*".
  static std::vector<FilterEntry> Parse(const std::string& text);

  // Replaces the list when the text differs (without regard to case) from the
  // current one, selecting the first entry; returns true when it did.
  bool SetText(const std::string& text);
  const std::string& text() const { return text_; }
  const std::vector<FilterEntry>& entries() const { return entries_; }

  // Selects an entry; -1 or out of range selects the last one.
  void Select(int index);
  int selected() const { return selected_; }
  // The mask of the selected entry ("*.*" when there is none).
  std::string SelectedMask() const;
  // The description of the selected entry ("" when there is none).
  std::string SelectedDescription() const;

  // The single patterns of a mask: "*.VLP;*.VLD" gives "*.VLP" and "*.VLD".
  static std::vector<std::string> SplitMask(const std::string& mask);

 private:
  std::string text_;
  std::vector<FilterEntry> entries_;
  int selected_ = -1;
};

// The list the window starts with; Encrypt and Wipe come back to it.
extern const char* const DefaultFilterText;

// True when the texts are equal without regard to the case of A-Z.
bool EqualNoCase(const std::string& a, const std::string& b);

}  // namespace vls
