#include "path_list.h"

namespace oddments {

PathList::PathList(std::u16string text) : text_(std::move(text)) {
  if (!text_.empty() && text_.back() != u'\0') text_ += u'\0';
  std::size_t entries = 0;
  for (const char16_t unit : text_) entries += unit == u'\0';
  entries_.reserve(entries);
  for (std::size_t at = 0; at < text_.size();) {
    const std::size_t end = text_.find(u'\0', at);
    entries_.push_back({at, end - at});
    at = end + 1;
  }
}

void PathList::KeepTail(std::size_t i, std::size_t count) noexcept {
  Entry& entry = entries_[i];
  entry.start += entry.length - count;
  entry.length = count;
}

void PathList::Append(const PathList& other) {
  text_.reserve(text_.size() + other.text_.size());
  entries_.reserve(entries_.size() + other.entries_.size());
  const std::size_t shift = text_.size();
  text_ += other.text_;
  for (const Entry& entry : other.entries_) entries_.push_back({entry.start + shift, entry.length});
}

std::vector<std::u16string> PathList::Entries() const {
  std::vector<std::u16string> entries;
  entries.reserve(size());
  for (std::size_t i = 0; i < size(); ++i) entries.emplace_back((*this)[i]);
  return entries;
}

}  // namespace oddments
