#ifndef ORV_LABEL_TEXTS_H
#define ORV_LABEL_TEXTS_H

// The label texts of many points in one UTF-8 buffer, in point order: a
// million points' labels are one allocation, not a million strings. Needs no
// toolkit header.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

struct LabelTexts {
  std::string text;                 // every point's text, one after another
  std::vector<std::uint64_t> ends;  // where each point's text ends in `text`

  std::size_t Count() const { return ends.size(); }
  std::string_view operator[](std::size_t i) const {
    const std::uint64_t from = i ? ends[i - 1] : 0;
    return std::string_view(text).substr(from, ends[i] - from);
  }
  // Ends the text of the next point: what was appended to `text` since the
  // point before.
  void EndPoint() { ends.push_back(text.size()); }
};

}  // namespace orv

#endif
