#include "platform/graphics/access_key.h"

#include <glib.h>

namespace svx {

AccessKeyText parseAccessKey(std::u16string_view caption) {
  AccessKeyText out;
  out.shown.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    const char16_t c = caption[i];
    if (c != u'&' || i + 1 == caption.size()) {
      out.shown += c;
      continue;
    }
    const char16_t next = caption[++i];
    if (next == u'&') {
      out.shown += u'&';
      continue;
    }
    if (out.underlined < 0) {
      out.underlined = static_cast<int>(out.shown.size());
      out.key = static_cast<char16_t>(g_unichar_toupper(next));
    }
    out.shown += next;
  }
  return out;
}

}  // namespace svx
