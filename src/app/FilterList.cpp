#include "app/FilterList.h"

#include "protect/PathNames.h"

namespace vls {

const char* const DefaultFilterText =
    "All Files (*.*)|*.*|All Picture "
    "Files|*.JPG;*.GIF;*.TIF;*.PNG;*.PCX;*.BMP;*.ICO;*.WMF|JPEG (*.jpg)|*.JPG|Windows "
    "(*.bmp)|*.BMP|GIF (*.gif)|*.GIF|PCX (*.pcx)|*.PCX|TIFF (*.tif)|*.TIF|PNG (*.png)|*.PNG";

bool EqualNoCase(const std::string& a, const std::string& b) {
  return UpperAscii(a) == UpperAscii(b);
}

std::vector<FilterEntry> FilterList::Parse(const std::string& text) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  while (start <= text.size()) {
    const auto bar = text.find('|', start);
    if (bar == std::string::npos) {
      parts.push_back(text.substr(start));
      break;
    }
    parts.push_back(text.substr(start, bar - start));
    start = bar + 1;
  }
  std::vector<FilterEntry> entries;
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    if (parts[i].empty() && i + 1 >= parts.size())
      break;
    entries.push_back({parts[i], i + 1 < parts.size() ? parts[i + 1] : std::string("*.*")});
  }
  return entries;
}

bool FilterList::SetText(const std::string& text) {
  if (!entries_.empty() && EqualNoCase(text, text_))
    return false;
  text_ = text;
  entries_ = Parse(text);
  selected_ = entries_.empty() ? -1 : 0;
  return true;
}

void FilterList::Select(int index) {
  if (entries_.empty()) {
    selected_ = -1;
  } else if (index < 0 || index >= static_cast<int>(entries_.size())) {
    selected_ = static_cast<int>(entries_.size()) - 1;
  } else {
    selected_ = index;
  }
}

std::string FilterList::SelectedMask() const {
  if (entries_.empty())
    return "*.*";
  const int index = selected_ < 0 ? static_cast<int>(entries_.size()) - 1 : selected_;
  return entries_[static_cast<std::size_t>(index)].mask;
}

std::string FilterList::SelectedDescription() const {
  if (selected_ < 0 || entries_.empty())
    return std::string();
  return entries_[static_cast<std::size_t>(selected_)].description;
}

std::vector<std::string> FilterList::SplitMask(const std::string& mask) {
  std::vector<std::string> patterns;
  std::string::size_type start = 0;
  for (;;) {
    const auto semicolon = mask.find(';', start);
    std::string piece =
        mask.substr(start, semicolon == std::string::npos ? std::string::npos : semicolon - start);
    if (!piece.empty())
      patterns.push_back(piece);
    if (semicolon == std::string::npos)
      break;
    start = semicolon + 1;
  }
  if (patterns.empty())
    patterns.push_back("*.*");
  return patterns;
}

}  // namespace vls
