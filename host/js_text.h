// Text at the boundary with the script engine. Duktape keeps strings in
// CESU-8: every UTF-16 code unit, surrogates included, is encoded on its own,
// so a character outside the BMP is two 3-byte sequences.
#pragma once

#include <string>
#include <string_view>

#include "platform/automation/variant.h"

namespace svx::host {

std::string toCesu8(BStrView text);
// Also reads standard 4-byte UTF-8 sequences; malformed bytes become U+FFFD.
BStr fromCesu8(std::string_view bytes);

}  // namespace svx::host
