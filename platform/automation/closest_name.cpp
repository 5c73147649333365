#include "platform/automation/closest_name.h"

#include <algorithm>
#include <vector>

namespace svx {

namespace {

constexpr size_t kLongestName = 256;

char16_t folded(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// Edit distance with swaps of neighbours (optimal string alignment), over
// three rows.
size_t distance(BStrView a, BStrView b) {
  std::vector<size_t> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const bool same = folded(a[i - 1]) == folded(b[j - 1]);
      size_t d = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
      if (i > 1 && j > 1 && folded(a[i - 1]) == folded(b[j - 2]) && folded(a[i - 2]) == folded(b[j - 1]))
        d = std::min(d, before[j - 2] + 1);
      current[j] = d;
    }
    std::swap(before, previous);
    std::swap(previous, current);
  }
  return previous[b.size()];
}

}  // namespace

BStr closestName(BStrView name, std::span<const BStr> candidates) {
  if (name.empty() || name.size() > kLongestName) return {};
  const size_t limit = std::max<size_t>(1, name.size() / 3);
  const BStr* best = nullptr;
  size_t bestDistance = limit + 1;
  for (const BStr& c : candidates) {
    const size_t gap = c.size() > name.size() ? c.size() - name.size() : name.size() - c.size();
    if (gap >= bestDistance) continue;
    const size_t d = distance(name, c);
    if (d < bestDistance) {
      best = &c;
      bestDistance = d;
    }
  }
  return best ? *best : BStr();
}

}  // namespace svx
