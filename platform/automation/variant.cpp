#include "platform/automation/variant.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/automation/coerce.h"
#include "platform/automation/error.h"

namespace svx {

namespace {

uint16_t typedRefType(uint16_t vt) { return static_cast<uint16_t>(vt & ~VT_BYREF); }

// The string cases of typed references, out of line so that the number
// cases beside them save no registers.
[[gnu::noinline]] Variant stringAt(const BStr& target) { return Variant(target); }
[[gnu::noinline]] void writeString(BStr& target, const Variant& from) { target = from.asBStr(); }

}  // namespace

Variant::Variant(std::string_view utf8Text) : Variant(utf16(utf8Text)) {}

Variant::Variant(SafeArray array)
    : vt_(static_cast<uint16_t>(VT_ARRAY | array.elementType())), held_(Held::Array) {
  std::construct_at(&data_.array, std::make_shared<SafeArray>(std::move(array)));
}

// The array is copied, never shared between Variants.
void Variant::copyOwned(const Variant& other) {
  if (held_ == Held::String)
    std::construct_at(&data_.str, other.data_.str);
  else if (held_ == Held::Object)
    std::construct_at(&data_.object, other.data_.object);
  else
    std::construct_at(&data_.array, other.data_.array ? std::make_shared<SafeArray>(*other.data_.array)
                                                      : std::shared_ptr<SafeArray>());
}

void Variant::moveOwned(Variant&& other) noexcept {
  if (held_ == Held::String)
    std::construct_at(&data_.str, std::move(other.data_.str));
  else if (held_ == Held::Object)
    std::construct_at(&data_.object, std::move(other.data_.object));
  else
    std::construct_at(&data_.array, std::move(other.data_.array));
}

void Variant::destroyOwned() noexcept {
  if (held_ == Held::String)
    std::destroy_at(&data_.str);
  else if (held_ == Held::Object)
    std::destroy_at(&data_.object);
  else
    std::destroy_at(&data_.array);
}

Variant Variant::arrayTypeWithoutArray(VarType elementType) {
  Variant v;
  v.vt_ = static_cast<uint16_t>(VT_ARRAY | elementType);
  v.held_ = Held::Array;
  std::construct_at(&v.data_.array);
  return v;
}

uint16_t Variant::derefType() const {
  const Variant& v = deref();
  return v.isByRef() ? typedRefType(v.vt_) : v.vt_;
}

Variant Variant::typedTarget() const {
  void* t = target();
  switch (typedRefType(vt_)) {
    case VT_I2: return Variant::i2(*static_cast<int16_t*>(t));
    case VT_I4: return Variant(*static_cast<int32_t*>(t));
    case VT_R4: return Variant(*static_cast<float*>(t));
    case VT_R8: return Variant(*static_cast<double*>(t));
    case VT_BOOL: return Variant(*static_cast<int16_t*>(t) != 0);
    case VT_BSTR: return stringAt(*static_cast<BStr*>(t));
    case VT_UI1: return Variant::ui1(*static_cast<uint8_t*>(t));
    default: raise(err::TypeMismatch);
  }
}

void Variant::assign(const Variant& v) {
  Variant& target = deref();
  if (!target.isByRef()) {
    target = v.value();
    return;
  }
  // A value already of the target's type is written as it is.
  const uint16_t type = typedRefType(target.vt_);
  if (const Variant& from = v.deref(); from.vt_ == type)
    target.writeTarget(from);
  else
    target.writeTarget(changeType(v.value(), type));
}

void Variant::writeTarget(const Variant& from) {
  void* t = target();
  switch (typedRefType(vt_)) {
    case VT_I2: *static_cast<int16_t*>(t) = from.asI2(); break;
    case VT_I4: *static_cast<int32_t*>(t) = from.asI4(); break;
    case VT_R4: *static_cast<float*>(t) = from.asR4(); break;
    case VT_R8: *static_cast<double*>(t) = from.asR8(); break;
    case VT_BOOL: *static_cast<int16_t*>(t) = from.asBool() ? VARIANT_TRUE : VARIANT_FALSE; break;
    case VT_BSTR: writeString(*static_cast<BStr*>(t), from); break;
    case VT_UI1: *static_cast<uint8_t*>(t) = from.asUI1(); break;
    default: raise(err::TypeMismatch);
  }
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.vt_ != b.vt_) return false;
  if (a.vt_ & VT_ARRAY) {
    const SafeArray* x = a.asArray();
    const SafeArray* y = b.asArray();
    if (!x || !y) return x == y;
    return *x == *y;
  }
  if (a.vt_ & VT_BYREF) return a.target() == b.target();
  switch (a.vt_) {
    case VT_EMPTY:
    case VT_NULL: return true;
    case VT_I2:
    case VT_BOOL: return a.asI2() == b.asI2();
    case VT_I4: return a.asI4() == b.asI4();
    case VT_R4: return a.asR4() == b.asR4();
    case VT_R8:
    case VT_DATE: return a.asR8() == b.asR8();
    case VT_CY: return a.asCy() == b.asCy();
    case VT_BSTR: return a.asBStr() == b.asBStr();
    case VT_DISPATCH: return a.asObject() == b.asObject();
    case VT_ERROR: return a.asError() == b.asError();
    case VT_UI1: return a.asUI1() == b.asUI1();
    case VT_I8: return a.asI8() == b.asI8();
    default: return false;
  }
}

BStr utf16(std::string_view s) {
  // The leading ASCII run widens character by character.
  size_t ascii = 0;
  while (ascii < s.size() && static_cast<unsigned char>(s[ascii]) < 0x80) ++ascii;
  BStr out(ascii, u'\0');
  for (size_t i = 0; i < ascii; ++i) out[i] = static_cast<char16_t>(s[i]);
  if (ascii == s.size()) return out;
  out.reserve(s.size());
  for (size_t i = ascii; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    uint32_t cp = 0xFFFD;
    size_t len = 1;
    auto cont = [&](size_t k) { return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80; };
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0 && cont(1)) {
      cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
      len = 2;
      if (cp < 0x80) cp = 0xFFFD;
    } else if ((c & 0xF0) == 0xE0 && cont(1) && cont(2)) {
      cp = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6) |
           (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
      len = 3;
      if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    } else if ((c & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
      cp = ((c & 0x07u) << 18) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 12) |
           ((static_cast<unsigned char>(s[i + 2]) & 0x3Fu) << 6) | (static_cast<unsigned char>(s[i + 3]) & 0x3Fu);
      len = 4;
      if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD;
    }
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

void appendUtf8(std::string& out, BStrView s) {
  // All ASCII (the common case): narrowed in one pass, which also tells
  // whether it was.
  const size_t start = out.size();
  out.resize(start + s.size());
  char* dst = out.data() + start;
  const char16_t* src = s.data();
  char16_t bits = 0;
  size_t i = 0;
#if defined(__SSE2__)
  // Sixteen characters a step: narrowed with saturation (anything above
  // 0x7F is redone below), their bits gathered to tell whether all were ASCII.
  __m128i any = _mm_setzero_si128();
  for (; i + 16 <= s.size(); i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 8));
    any = _mm_or_si128(any, _mm_or_si128(a, b));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(a, b));
  }
  const __m128i high = _mm_and_si128(any, _mm_set1_epi16(static_cast<int16_t>(0xFF80)));
  if (_mm_movemask_epi8(_mm_cmpeq_epi8(high, _mm_setzero_si128())) != 0xFFFF) bits = 0x80;
#endif
  for (; i < s.size(); ++i) {
    bits |= src[i];
    dst[i] = static_cast<char>(src[i]);
  }
  if (bits < 0x80) return;
  // Else the leading ASCII run, narrowed already, then character by
  // character.
  size_t ascii = 0;
  while (ascii < s.size() && s[ascii] < 0x80) ++ascii;
  out.resize(start + ascii);
  out.reserve(start + s.size() + 8);
  for (i = ascii; i < s.size(); ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
}

std::string utf8(BStrView s) {
  std::string out;
  appendUtf8(out, s);
  return out;
}

std::string varTypeName(uint16_t vt) {
  static const char* const names[] = {"VT_EMPTY", "VT_NULL",  "VT_I2",    "VT_I4",      "VT_R4",
                                      "VT_R8",    "VT_CY",    "VT_DATE",  "VT_BSTR",    "VT_DISPATCH",
                                      "VT_ERROR", "VT_BOOL",  "VT_VARIANT", "VT_UNKNOWN", "VT_DECIMAL",
                                      "VT_15",    "VT_I1",    "VT_UI1",   "VT_UI2",     "VT_UI4",
                                      "VT_I8"};
  std::string out;
  if (vt & VT_BYREF) out += "VT_BYREF|";
  if (vt & VT_ARRAY) out += "VT_ARRAY|";
  const uint16_t base = vt & VT_TYPEMASK;
  out += base < std::size(names) ? names[base] : "VT_" + std::to_string(base);
  return out;
}

}  // namespace svx
