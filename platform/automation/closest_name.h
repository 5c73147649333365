// The name a misspelling most likely meant: for messages that name what was
// not found ("did you mean 'LoadCommand'?").
#pragma once

#include <span>

#include "platform/automation/variant.h"

namespace svx {

// The candidate nearest to `name` by edit distance (an insertion, deletion,
// change or swap of neighbours counts one; ASCII letters compare without
// case), when it is within a third of the name's length (at least 1);
// else "". Of equally near candidates the first wins. Names longer than
// 256 characters get no suggestion.
BStr closestName(BStrView name, std::span<const BStr> candidates);

}  // namespace svx
