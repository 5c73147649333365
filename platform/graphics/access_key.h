// Access keys in captions: "&Open" is shown as "Open" with the O underlined
// and is reached with Alt+O; "&&" shows one "&". The first '&' before a
// character other than '&' marks the key; every other single '&' is dropped,
// and a '&' at the very end is shown as it is.
#pragma once

#include <string>
#include <string_view>

namespace svx {

struct AccessKeyText {
  std::u16string shown;  // the caption as drawn
  int underlined = -1;   // UTF-16 index in `shown` of the key's character (-1: none)
  char16_t key = 0;      // that character in upper case (0: none)
};

AccessKeyText parseAccessKey(std::u16string_view caption);

// The upper-case character of a caption's access key, 0 for none.
inline char16_t accessKeyOf(std::u16string_view caption) { return parseAccessKey(caption).key; }

}  // namespace svx
