#include "path_list.h"

namespace oddments {

PathList::PathList(std::u16string text) : text_(std::move(text)) {
  // One pass: the text of a large selection is read once.
  std::size_t at = 0;
  while (at < text_.size() && text_[at] != u'\0') {
    const std::size_t end = text_.find(u'\0', at);
    if (end == std::u16string::npos) break;
    entries_.push_back({at, end - at});
    at = end + 1;
  }
  text_.resize(at);
}

void PathList::KeepTail(std::size_t i, std::size_t count) noexcept {
  Entry& entry = entries_[i];
  entry.start += entry.length - count;
  entry.length = count;
}

void PathList::Append(PathList&& other) {
  if (entries_.empty()) {
    *this = std::move(other);
    return;
  }
  text_.reserve(text_.size() + other.text_.size());
  entries_.reserve(entries_.size() + other.entries_.size());
  const std::size_t shift = text_.size();
  text_ += other.text_;
  for (const Entry& entry : other.entries_) entries_.push_back({entry.start + shift, entry.length});
}

}  // namespace oddments
