// The selection's paths, kept together in one buffer, each followed by a zero
// unit as in the shell's drop list: a selection of thousands of items costs a
// few allocations, not one for each item. Portable, so that it is also built
// and tested natively.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace oddments {

class PathList {
 public:
  PathList() = default;
  // The zero-terminated entries of text, in order, up to the first empty
  // one, which ends the list as in a drop list. An entry that runs into the
  // end of text without its terminator is not whole, and is left out: it
  // may name another file than the one selected.
  explicit PathList(std::u16string text);

  std::size_t size() const noexcept { return entries_.size(); }
  bool empty() const noexcept { return entries_.empty(); }
  // Entry i, whose next unit is zero.
  std::u16string_view operator[](std::size_t i) const noexcept {
    return {text_.data() + entries_[i].start, entries_[i].length};
  }

  // Keeps only the last count units of entry i, such as the item's name.
  void KeepTail(std::size_t i, std::size_t count) noexcept;

  // Appends other's entries after these; into an empty list they move
  // whole. Room is made first, so that running out of memory leaves this
  // list as it was.
  void Append(PathList&& other);

 private:
  struct Entry {
    std::size_t start;
    std::size_t length;
  };

  std::u16string text_;
  std::vector<Entry> entries_;
};

}  // namespace oddments
