#include "host/js_text.h"

namespace svx::host {

std::string toCesu8(BStrView text) {
  std::string out;
  out.reserve(text.size());
  for (const char16_t u : text) {
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

BStr fromCesu8(std::string_view bytes) {
  const size_t n = bytes.size();
  auto byteAt = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  // ASCII, the usual case, in one pass.
  size_t ascii = 0;
  while (ascii < n && byteAt(ascii) < 0x80) ++ascii;
  BStr out(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(ascii));
  if (ascii == n) return out;
  out.reserve(n);
  auto cont = [&](size_t i) { return i < n && (byteAt(i) & 0xC0) == 0x80; };
  for (size_t i = ascii; i < n;) {
    const unsigned char c = byteAt(i);
    if (c < 0x80) {
      out.push_back(c);
      i += 1;
    } else if ((c & 0xE0) == 0xC0 && cont(i + 1)) {
      const uint32_t cp = ((c & 0x1Fu) << 6) | (byteAt(i + 1) & 0x3Fu);
      out.push_back(cp < 0x80 ? u'\xFFFD' : static_cast<char16_t>(cp));
      i += 2;
    } else if ((c & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
      // Surrogates stay as the code units they encode.
      const uint32_t cp = ((c & 0x0Fu) << 12) | ((byteAt(i + 1) & 0x3Fu) << 6) | (byteAt(i + 2) & 0x3Fu);
      out.push_back(cp < 0x800 ? u'\xFFFD' : static_cast<char16_t>(cp));
      i += 3;
    } else if ((c & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
      uint32_t cp = ((c & 0x07u) << 18) | ((byteAt(i + 1) & 0x3Fu) << 12) | ((byteAt(i + 2) & 0x3Fu) << 6) |
                    (byteAt(i + 3) & 0x3Fu);
      if (cp < 0x10000 || cp > 0x10FFFF) {
        out.push_back(u'\xFFFD');
      } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
      }
      i += 4;
    } else {
      out.push_back(u'\xFFFD');
      i += 1;
    }
  }
  return out;
}

}  // namespace svx::host
