#include "platform/automation/coerce.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation/error.h"
#include "platform/automation/locale.h"

// The conversion grid. Rows are the source after the shared policies of
// scalarOf() (references read through, an object replaced by its default
// value); columns are the targets.
//
//  source      | I2 I4 UI1        | R4 R8 CY          | BOOL             | BSTR            | DATE
//  ------------+------------------+-------------------+------------------+-----------------+-------------
//  Empty       | 0                | 0                 | False            | ""              | 0
//  Null        | 94               | 94                | 94               | 94              | 94
//  I2 I4 UI1   | range            | exact             | <> 0             | decimal digits  | range
//  R4 R8       | half-even, range | range (R4, CY)    | <> 0             | 7 / 15 digits   | range
//  CY          | half-even, range | range (R4)        | <> 0             | up to 4 places  | range
//  DATE        | as its number    | as its number     | <> 0             | date text       | itself
//  BOOL        | -1 / 0           | -1 / 0            | itself           | "True"/"False"  | -1 / 0
//  BSTR        | parsed number    | parsed number     | True/False/number| itself          | date text
//  object      | its default value (DISPID 0) converted; no default value 13; Nothing 91
//  array       | 13 (except VT_ARRAY|VT_UI1 targets, see byteArrayOf)
//  error value | 13 (the missing marker included)
//
// "range": a value outside the target's range fails with 6. "parsed number":
// parseNumber(); text that is not a number fails with 13 ("True" is not a
// number here: only the Boolean target reads it).

namespace svx {

namespace {

[[noreturn]] void typeMismatch() { raise(err::TypeMismatch); }
[[noreturn]] void overflow() { raise(err::Overflow); }

constexpr double MsPerDay = 86400000.0;
// 1/1/100 and the day after 12/31/9999.
constexpr double MinDate = -657434.0;
constexpr double EndDate = 2958466.0;

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

BStrView trimBlanks(BStrView t) {
  while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
  return t;
}

bool equalsNoCase(BStrView a, BStrView b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
           return lower(x) == lower(y);
         });
}

BStr ascii(std::string_view s) { return BStr(s.begin(), s.end()); }

// An object's default value: its DISPID 0 property, followed while it is
// itself an object. An object without one (or whose default member needs
// arguments) is a type mismatch; an error that the default member raises
// itself is passed on.
Variant defaultValue(ObjectRef object) {
  for (int depth = 0; depth < 8; ++depth) {
    if (!object) raise(err::ObjectVariableNotSet);
    Variant v;
    try {
      v = object->invoke(0, InvokeKind::PropertyGet, std::span<Variant>()).value();
    } catch (const RuntimeError& e) {
      if (e.number() == err::MemberNotSupported || e.number() == err::ArgumentNotOptional ||
          e.number() == err::WrongNumberOfArguments)
        typeMismatch();
      throw;
    }
    if (v.vt() != VT_DISPATCH) return v;
    object = v.asObject();
  }
  typeMismatch();
}

// The policies that every target shares: the value is read through
// references, an object gives its default value, an array, an error value
// (the missing marker among them) or an unknown type fail with 13. Null is
// passed on for the caller to judge.
Variant plainScalar(const Variant& v) {
  const Variant& d = v.deref();
  if (d.isArray()) typeMismatch();
  Variant s = d.value();
  if (s.vt() == VT_DISPATCH) s = defaultValue(s.asObject());
  switch (s.vt()) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_BOOL:
    case VT_UI1:
    case VT_I8: return s;
    default: typeMismatch();
  }
}

// plainScalar(), with Null failing (every conversion refuses it).
Variant scalarOf(const Variant& v) {
  Variant s = plainScalar(v);
  if (s.vt() == VT_NULL) raise(err::InvalidUseOfNull);
  return s;
}

// The numeric value of a scalar. Text that is not a number fails with 13;
// text too large for a Double with 6.
double numberOf(const Variant& s) {
  switch (s.vt()) {
    case VT_EMPTY: return 0;
    case VT_I2: return s.asI2();
    case VT_I4: return s.asI4();
    case VT_R4: return s.asR4();
    case VT_R8: return s.asR8();
    case VT_DATE: return s.asDate();
    case VT_CY: return static_cast<double>(s.asCy().scaled) / 10000.0;
    case VT_BOOL: return s.asBool() ? -1 : 0;
    case VT_UI1: return s.asUI1();
    case VT_I8: return static_cast<double>(s.asI8());
    case VT_BSTR: {
      const auto n = parseNumber(s.asBStr());
      if (!n) typeMismatch();
      if (!std::isfinite(*n)) overflow();
      return *n;
    }
    default: typeMismatch();
  }
}

// Currency rounded to a whole number, halves to even.
int64_t roundCurrency(int64_t scaled) {
  int64_t q = scaled / 10000;
  const int64_t r = scaled % 10000;  // same sign as scaled
  if (r > 5000 || (r == 5000 && (q & 1))) ++q;
  if (r < -5000 || (r == -5000 && (q & 1))) --q;
  return q;
}

// The value of a Variant that holds a whole number as such (through
// references to Variants), or nothing.
std::optional<int32_t> heldWhole(const Variant& v) {
  const Variant& d = v.deref();
  switch (d.vt()) {
    case VT_I2: return d.asI2();
    case VT_I4: return d.asI4();
    case VT_UI1: return d.asUI1();
    case VT_BOOL: return d.asBool() ? -1 : 0;
    default: return std::nullopt;
  }
}

template <class T>
T toInteger(const Variant& v) {
  constexpr auto lo = std::numeric_limits<T>::min();
  constexpr auto hi = std::numeric_limits<T>::max();
  // Whole numbers need no copy and no rounding.
  if (const std::optional<int32_t> whole = heldWhole(v)) {
    if (*whole < lo || *whole > hi) overflow();
    return static_cast<T>(*whole);
  }
  const Variant s = scalarOf(v);
  if (s.vt() == VT_I8) {
    if (s.asI8() < lo || s.asI8() > hi) overflow();
    return static_cast<T>(s.asI8());
  }
  if (s.vt() == VT_CY) {
    const int64_t q = roundCurrency(s.asCy().scaled);
    if (q < lo || q > hi) overflow();
    return static_cast<T>(q);
  }
  const double x = numberOf(s);
  if (std::isnan(x)) overflow();
  const double r = roundHalfEven(x);
  if (r < lo || r > hi) overflow();
  return static_cast<T>(r);
}

// Number text: up to `digits` significant digits, fixed notation while the
// decimal exponent lies in -4 .. digits-1, else "1.5E+20".
BStr formatSignificant(double v, int digits) {
  if (v == 0) return u"0";  // -0 included
  if (std::isnan(v)) return u"NaN";
  if (std::isinf(v)) return v < 0 ? u"-Infinity" : u"Infinity";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, std::fabs(v));
  const std::string_view s(buf);
  const size_t e = s.find('e');
  std::string mantissa(1, s[0]);
  if (e > 2) mantissa += s.substr(2, e - 2);
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  const int exp = std::atoi(buf + e + 1);
  const char point = static_cast<char>(locale::DecimalPoint);

  std::string out = v < 0 ? "-" : "";
  if (exp >= digits || exp < -4) {
    out += mantissa[0];
    if (mantissa.size() > 1) {
      out += point;
      out += mantissa.substr(1);
    }
    out += exp < 0 ? "E-" : "E+";
    const std::string ed = std::to_string(std::abs(exp));
    if (ed.size() < 2) out += '0';
    out += ed;
  } else if (exp >= 0) {
    const size_t intDigits = static_cast<size_t>(exp) + 1;
    if (mantissa.size() <= intDigits) {
      out += mantissa;
      out.append(intDigits - mantissa.size(), '0');
    } else {
      out += mantissa.substr(0, intDigits);
      out += point;
      out += mantissa.substr(intDigits);
    }
  } else {
    out += '0';
    out += point;
    out.append(static_cast<size_t>(-exp - 1), '0');
    out += mantissa;
  }
  return ascii(out);
}

BStr formatCurrency(Currency c) {
  const bool negative = c.scaled < 0;
  const uint64_t a = negative ? 0 - static_cast<uint64_t>(c.scaled) : static_cast<uint64_t>(c.scaled);
  std::string out = negative ? "-" : "";
  out += std::to_string(a / 10000);
  if (const uint64_t frac = a % 10000) {
    std::string f = std::to_string(frac);
    f.insert(0, 4 - f.size(), '0');
    while (f.back() == '0') f.pop_back();
    out += static_cast<char>(locale::DecimalPoint);
    out += f;
  }
  return ascii(out);
}

// &H and &O text (after the "&"). The value is read the way the runtime reads
// hex and octal literals: a value that fits in 16 bits is an Integer
// ("&HFFFF" is -1, "&H8000" is -32768), one that fits in 32 bits a Long
// ("&H10000" is 65536, "&HFFFFFFFF" is -1); a trailing "&" makes it a Long
// whatever its size ("&HFFFF&" is 65535). Anything larger overflows.
std::optional<double> parseRadix(BStrView t) {
  if (t.empty()) return std::nullopt;
  const char16_t kind = lower(t.front());
  const unsigned base = kind == u'h' ? 16 : kind == u'o' ? 8 : 0;
  if (base == 0) return std::nullopt;
  t.remove_prefix(1);
  bool longSuffix = false;
  if (!t.empty() && t.back() == u'&') {
    longSuffix = true;
    t.remove_suffix(1);
  }
  if (t.empty()) return std::nullopt;
  uint64_t value = 0;
  bool tooLarge = false;
  for (char16_t c : t) {
    const char16_t l = lower(c);
    unsigned d = 0;
    if (isDigit(c))
      d = c - u'0';
    else if (l >= u'a' && l <= u'f')
      d = 10u + (l - u'a');
    else
      return std::nullopt;
    if (d >= base) return std::nullopt;
    value = value * base + d;
    if (value > 0xFFFFFFFFu) {
      tooLarge = true;
      value = 0xFFFFFFFFu;
    }
  }
  if (tooLarge) return std::numeric_limits<double>::infinity();
  if (!longSuffix && value <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(value));
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

// ---- Dates ----

int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// Day number of the OLE epoch 12/30/1899 counted from 1/1/1970.
constexpr int64_t OleEpoch = -25569;

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysInMonth(int y, int m) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// The parts of a date, its time rounded to `unitMs`.
DateParts split(double v, int64_t unitMs) {
  DateParts p;
  if (!(std::fabs(v) < 1e9)) return p;
  const double dayPart = std::trunc(v);
  const double frac = std::fabs(v - dayPart);
  int64_t ms = std::llround(frac * MsPerDay / static_cast<double>(unitMs)) * unitMs;
  int64_t day = static_cast<int64_t>(dayPart);
  if (ms >= static_cast<int64_t>(MsPerDay)) {
    ms -= static_cast<int64_t>(MsPerDay);
    ++day;
  }
  civilFromDays(day + OleEpoch, p.year, p.month, p.day);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

// A small tokenizer for date text: numbers, words and separator characters;
// blanks only separate tokens.
struct Token {
  enum Kind { Number, Word, Separator } kind;
  BStrView text;
  int value = 0;  // Number
};

std::optional<std::vector<Token>> tokenize(BStrView t) {
  std::vector<Token> out;
  size_t i = 0;
  while (i < t.size()) {
    const char16_t c = t[i];
    if (isBlank(c)) {
      ++i;
    } else if (isDigit(c)) {
      size_t j = i;
      while (j < t.size() && isDigit(t[j])) ++j;
      if (j - i > 9) return std::nullopt;
      int value = 0;
      for (size_t k = i; k < j; ++k) value = value * 10 + (t[k] - u'0');
      out.push_back({Token::Number, t.substr(i, j - i), value});
      i = j;
    } else if (isLetter(c)) {
      size_t j = i;
      while (j < t.size() && isLetter(t[j])) ++j;
      out.push_back({Token::Word, t.substr(i, j - i)});
      i = j;
    } else if (c == u'/' || c == u'-' || c == u':' || c == u',' || c == u'.') {
      out.push_back({Token::Separator, t.substr(i, 1)});
      ++i;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

// 1-12 for a month name or a unique prefix of three or more letters, else 0.
int monthOf(BStrView word) {
  if (word.size() < 3) return 0;
  int found = 0;
  for (size_t i = 0; i < locale::MonthNames.size(); ++i) {
    const BStrView name = locale::MonthNames[i];
    if (word.size() <= name.size() && equalsNoCase(word, name.substr(0, word.size()))) {
      if (found) return 0;
      found = static_cast<int>(i) + 1;
    }
  }
  return found;
}

class DateReader {
 public:
  explicit DateReader(std::vector<Token> tokens) : t_(std::move(tokens)) {}

  std::optional<Date> read() {
    DateParts p;
    const bool haveDate = readDate(p);
    if (haveDate && at(Token::Word) && equalsNoCase(t_[i_].text, u"T")) ++i_;
    const bool haveTime = readTime(p);
    if (!haveDate && !haveTime) return std::nullopt;
    if (i_ != t_.size()) return std::nullopt;
    return makeDate(p);
  }

 private:
  bool at(Token::Kind k, size_t ahead = 0) const { return i_ + ahead < t_.size() && t_[i_ + ahead].kind == k; }
  bool sep(size_t ahead, char16_t c) const { return at(Token::Separator, ahead) && t_[i_ + ahead].text[0] == c; }
  int num(size_t ahead) const { return t_[i_ + ahead].value; }

  static int fullYear(const Token& t) {
    if (t.text.size() <= 2) return t.value < locale::TwoDigitYearPivot ? 2000 + t.value : 1900 + t.value;
    return t.value;
  }

  static bool validDate(int y, int m, int d) {
    return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= daysInMonth(y, m);
  }

  bool accept(DateParts& p, int y, int m, int d, size_t used) {
    if (!validDate(y, m, d)) return false;
    p.year = y;
    p.month = m;
    p.day = d;
    i_ += used;
    return true;
  }

  bool readDate(DateParts& p) {
    // Numbers with "/" or "-": yyyy-m-d when the first has four digits, else m/d/y.
    if (at(Token::Number) && at(Token::Number, 2) && at(Token::Number, 4) &&
        (sep(1, u'/') || sep(1, u'-')) && sep(3, t_[i_ + 1].text[0])) {
      if (t_[i_].text.size() == 4) return accept(p, num(0), num(2), num(4), 5);
      return accept(p, fullYear(t_[i_ + 4]), num(0), num(2), 5);
    }
    // "Jan 31, 2024", "January 31 2024".
    if (at(Token::Word) && at(Token::Number, 1)) {
      const int m = monthOf(t_[i_].text);
      const size_t y = sep(2, u',') ? 3 : 2;
      if (m && at(Token::Number, y) && !sep(y + 1, u':')) return accept(p, fullYear(t_[i_ + y]), m, num(1), y + 1);
    }
    // "31 Jan 2024", "31-Jan-2024".
    if (at(Token::Number)) {
      const size_t w = sep(1, u'-') ? 2 : 1;
      if (at(Token::Word, w)) {
        const int m = monthOf(t_[i_ + w].text);
        size_t y = w + 1;
        if (sep(y, u'-') || sep(y, u',')) ++y;
        if (m && at(Token::Number, y) && !sep(y + 1, u':')) return accept(p, fullYear(t_[i_ + y]), m, num(0), y + 1);
      }
    }
    return false;
  }

  // h:mm[:ss] with an optional AM/PM, or "h AM".
  bool readTime(DateParts& p) {
    if (!at(Token::Number)) return false;
    int h = num(0), mi = 0, s = 0;
    size_t used = 1;
    if (sep(1, u':') && at(Token::Number, 2)) {
      mi = num(2);
      used = 3;
      if (sep(3, u':') && at(Token::Number, 4)) {
        s = num(4);
        used = 5;
      }
    }
    int half = 0;  // 1 AM, 2 PM
    if (at(Token::Word, used)) {
      const BStrView w = t_[i_ + used].text;
      if (equalsNoCase(w, locale::AmText) || equalsNoCase(w, u"A")) half = 1;
      if (equalsNoCase(w, locale::PmText) || equalsNoCase(w, u"P")) half = 2;
      if (half) ++used;
    }
    if (used == 1) return false;  // a lone number is no time
    if (mi > 59 || s > 59) return false;
    if (half) {
      if (h > 12) return false;
      if (h == 12) h = 0;
      if (half == 2) h += 12;
    } else if (h > 23) {
      return false;
    }
    p.hour = h;
    p.minute = mi;
    p.second = s;
    i_ += used;
    return true;
  }

  std::vector<Token> t_;
  size_t i_ = 0;
};

// ---- Byte arrays ----

Variant byteArrayOf(const Variant& v) {
  const Variant& d = v.deref();
  if (d.vt() == (VT_ARRAY | VT_UI1)) return d;
  if (d.isArray()) typeMismatch();
  const Variant s = scalarOf(v);
  if (s.vt() != VT_BSTR) typeMismatch();
  const BStr& text = s.asBStr();
  std::vector<uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return Variant(SafeArray::bytes(bytes));
}

}  // namespace

// ---- Targets ----

namespace {

// Runs the conversion of `v` to `wanted`; a type mismatch it raises carries
// the value's address and the type, for the call that bound the value to
// name its parameter.
template <class F>
auto noteMismatch(const Variant& v, const char16_t* wanted, F&& convert) -> decltype(convert()) {
  try {
    return convert();
  } catch (RuntimeError& e) {
    if (e.number() == err::TypeMismatch && !e.convertedValue()) e.setConversion(&v, wanted);
    throw;
  }
}

float r4Of(const Variant& v) {
  const Variant s = scalarOf(v);
  if (s.vt() == VT_R4) return s.asR4();
  const double x = numberOf(s);
  if (!(std::fabs(x) <= std::numeric_limits<float>::max())) overflow();
  return static_cast<float>(x);
}

double r8Of(const Variant& v) {
  const double x = numberOf(scalarOf(v));
  if (!std::isfinite(x)) overflow();
  return x;
}

Currency cyOf(const Variant& v) {
  const Variant s = scalarOf(v);
  if (s.vt() == VT_CY) return s.asCy();
  const double r = roundHalfEven(numberOf(s) * 10000.0);
  // 2^63 is the first value out of range.
  if (!(std::fabs(r) < 9223372036854775808.0)) overflow();
  return Currency{static_cast<int64_t>(r)};
}

Date dateOf(const Variant& v) {
  const Variant s = scalarOf(v);
  if (s.vt() == VT_DATE) return Date{s.asDate()};
  if (s.vt() == VT_BSTR) {
    const auto d = parseDate(s.asBStr());
    if (!d) typeMismatch();
    return *d;
  }
  const double x = numberOf(s);
  if (!(x >= MinDate && x < EndDate)) overflow();
  return Date{x};
}






BStr bstrOf(const Variant& v) {
  const Variant s = scalarOf(v);
  switch (s.vt()) {
    case VT_EMPTY: return {};
    case VT_I2: return ascii(std::to_string(s.asI2()));
    case VT_I4: return ascii(std::to_string(s.asI4()));
    case VT_UI1: return ascii(std::to_string(s.asUI1()));
    case VT_I8: return ascii(std::to_string(s.asI8()));
    case VT_R4: return formatSingle(s.asR4());
    case VT_R8: return formatDouble(s.asR8());
    case VT_CY: return formatCurrency(s.asCy());
    case VT_DATE: return formatDate(Date{s.asDate()});
    case VT_BOOL: return BStr(s.asBool() ? locale::TrueText : locale::FalseText);
    case VT_BSTR: return s.asBStr();
    default: typeMismatch();
  }
}

bool boolOf(const Variant& v) {
  const Variant s = scalarOf(v);
  switch (s.vt()) {
    case VT_BOOL: return s.asBool();
    case VT_CY: return s.asCy().scaled != 0;
    case VT_BSTR: {
      const BStrView t = trimBlanks(s.asBStr());
      if (equalsNoCase(t, locale::TrueText)) return true;
      if (equalsNoCase(t, locale::FalseText)) return false;
      return numberOf(s) != 0;
    }
    default: return numberOf(s) != 0;
  }
}

}  // namespace

int16_t toI2(const Variant& v) { return noteMismatch(v, u"Integer", [&] { return toInteger<int16_t>(v); }); }
int32_t toI4(const Variant& v) { return noteMismatch(v, u"Long", [&] { return toInteger<int32_t>(v); }); }
uint8_t toUI1(const Variant& v) { return noteMismatch(v, u"Byte", [&] { return toInteger<uint8_t>(v); }); }
float toR4(const Variant& v) { return noteMismatch(v, u"Single", [&] { return r4Of(v); }); }
double toR8(const Variant& v) { return noteMismatch(v, u"Double", [&] { return r8Of(v); }); }
Currency toCy(const Variant& v) { return noteMismatch(v, u"Currency", [&] { return cyOf(v); }); }
Date toDate(const Variant& v) { return noteMismatch(v, u"Date", [&] { return dateOf(v); }); }
BStr toBStr(const Variant& v) { return noteMismatch(v, u"String", [&] { return bstrOf(v); }); }
bool toBool(const Variant& v) { return noteMismatch(v, u"Boolean", [&] { return boolOf(v); }); }

Variant detail::convertType(const Variant& v, uint16_t target) {
  switch (target) {
    case VT_I2: return Variant::i2(toI2(v));
    case VT_I4: return Variant::i4(toI4(v));
    case VT_UI1: return Variant::ui1(toUI1(v));
    case VT_R4: return Variant::r4(toR4(v));
    case VT_R8: return Variant::r8(toR8(v));
    case VT_CY: return Variant(toCy(v));
    case VT_DATE: return Variant(toDate(v));
    case VT_BSTR: return Variant(toBStr(v));
    case VT_BOOL: return Variant::boolean(toBool(v));
    case VT_VARIANT: return v.value();
    case VT_ARRAY | VT_UI1: return byteArrayOf(v);
    default: break;
  }
  const Variant& d = v.deref();
  const uint16_t type = d.varType();
  if (type == target) return d.value();
  if (type == VT_NULL) raise(err::InvalidUseOfNull);
  if (target == VT_DISPATCH && type == VT_EMPTY) return Variant::nothing();
  return noteMismatch(v, target == VT_DISPATCH ? u"Object" : u"value of another type", []() -> Variant { typeMismatch(); });
}

// ---- Numbers ----

double roundHalfEven(double x) {
  if (!std::isfinite(x)) return x;
  const double f = std::floor(x);
  const double d = x - f;
  if (d > 0.5) return f + 1;
  if (d < 0.5) return f == 0 && std::signbit(x) ? 0.0 : f;
  return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

bool isNumeric(const Variant& v) {
  Variant s;
  try {
    s = plainScalar(v);
  } catch (const RuntimeError&) {
    return false;
  }
  switch (s.vt()) {
    case VT_EMPTY:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_BOOL:
    case VT_UI1:
    case VT_I8: return true;
    case VT_BSTR: return parseNumber(s.asBStr()).has_value();
    default: return false;  // Null, Date
  }
}

std::optional<double> parseNumber(BStrView text) {
  const BStrView t = trimBlanks(text);
  if (t.empty()) return std::nullopt;
  if (t.front() == u'&') return parseRadix(t.substr(1));

  // [sign] digits [. digits] [E|D [sign] digits], rebuilt in ASCII for from_chars.
  std::string a;
  size_t i = 0;
  bool negative = false;
  if (t[i] == u'+' || t[i] == u'-') {
    negative = t[i] == u'-';
    if (negative) a += '-';
    ++i;
  }
  std::string digits;  // every mantissa digit, for the range estimate below
  size_t intDigits = 0;
  while (i < t.size() && isDigit(t[i])) {
    digits += static_cast<char>(t[i++]);
    ++intDigits;
  }
  a += digits;
  if (i < t.size() && t[i] == locale::DecimalPoint) {
    a += '.';
    ++i;
    while (i < t.size() && isDigit(t[i])) {
      a += static_cast<char>(t[i]);
      digits += static_cast<char>(t[i++]);
    }
  }
  if (digits.empty()) return std::nullopt;
  int64_t exponent = 0;
  if (i < t.size() && (lower(t[i]) == u'e' || lower(t[i]) == u'd')) {
    a += 'e';
    ++i;
    bool expNegative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
      expNegative = t[i] == u'-';
      a += static_cast<char>(t[i++]);
    }
    if (i >= t.size() || !isDigit(t[i])) return std::nullopt;
    while (i < t.size() && isDigit(t[i])) {
      a += static_cast<char>(t[i]);
      exponent = std::min<int64_t>(exponent * 10 + (t[i++] - u'0'), 1000000);
    }
    if (expNegative) exponent = -exponent;
  }
  if (i != t.size()) return std::nullopt;

  double value = 0;
  const auto [end, ec] = std::from_chars(a.data(), a.data() + a.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Too large (infinity, which the conversions turn into overflow) or too
    // small (zero): the decimal exponent of the leading digit decides.
    const size_t lead = digits.find_first_not_of('0');
    const int64_t magnitude = static_cast<int64_t>(intDigits) - static_cast<int64_t>(lead) - 1 + exponent;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
  }
  if (ec != std::errc() || end != a.data() + a.size()) return std::nullopt;
  return value;
}

BStr formatDouble(double v) { return formatSignificant(v, locale::DoubleDigits); }
BStr formatSingle(float v) { return formatSignificant(static_cast<double>(v), locale::SingleDigits); }

// ---- Dates ----

Date makeDate(const DateParts& p) {
  // Months and times beyond their ranges carry into the next unit.
  int64_t months = static_cast<int64_t>(p.year) * 12 + (p.month - 1);
  const int64_t y = months >= 0 ? months / 12 : (months - 11) / 12;
  const int64_t m = months - y * 12 + 1;
  int64_t day = daysFromCivil(y, m, 1) + (p.day - 1) - OleEpoch;
  int64_t ms = ((static_cast<int64_t>(p.hour) * 60 + p.minute) * 60 + p.second) * 1000 + p.millisecond;
  const auto perDay = static_cast<int64_t>(MsPerDay);
  int64_t carry = ms >= 0 ? ms / perDay : (ms - perDay + 1) / perDay;
  day += carry;
  ms -= carry * perDay;
  const double time = static_cast<double>(ms) / MsPerDay;
  // Before day 0 the time still counts forward from midnight: -1.25 is
  // 12/29/1899 6:00 AM.
  return Date{day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time};
}

DateParts splitDate(Date d) { return split(d.value, 1); }

BStr formatDate(Date d) {
  const DateParts p = split(d.value, 1000);
  std::string date = std::to_string(p.month) + static_cast<char>(locale::DateSeparator) + std::to_string(p.day) +
                     static_cast<char>(locale::DateSeparator) + std::to_string(p.year);
  const int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
  char time[32];
  std::snprintf(time, sizeof time, "%d%c%02d%c%02d ", h12, static_cast<char>(locale::TimeSeparator), p.minute,
                static_cast<char>(locale::TimeSeparator), p.second);
  BStr timeText = ascii(time) + BStr(p.hour < 12 ? locale::AmText : locale::PmText);
  const bool dayZero = p.year == 1899 && p.month == 12 && p.day == 30;
  const bool midnight = p.hour == 0 && p.minute == 0 && p.second == 0;
  if (dayZero) return timeText;
  if (midnight) return ascii(date);
  return ascii(date) + u" " + timeText;
}

std::optional<Date> parseDate(BStrView text) {
  auto tokens = tokenize(trimBlanks(text));
  if (!tokens || tokens->empty()) return std::nullopt;
  return DateReader(std::move(*tokens)).read();
}

// ---- Comparison ----

std::optional<int> compare(const Variant& a, const Variant& b) {
  const Variant x = plainScalar(a);
  const Variant y = plainScalar(b);
  if (x.vt() == VT_NULL || y.vt() == VT_NULL) return std::nullopt;
  auto sign = [](auto p, auto q) { return p < q ? -1 : p > q ? 1 : 0; };
  const bool xs = x.vt() == VT_BSTR;
  const bool ys = y.vt() == VT_BSTR;
  if (xs && ys) {
    const int c = x.asBStr().compare(y.asBStr());
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  if (xs || ys) {
    // A string against Empty compares with ""; against a number numerically
    // when the string is a number, else the number is the smaller.
    const Variant& str = xs ? x : y;
    const Variant& other = xs ? y : x;
    int c = 0;
    if (other.vt() == VT_EMPTY) {
      c = str.asBStr().empty() ? 0 : 1;
    } else if (const auto n = parseNumber(str.asBStr())) {
      c = sign(*n, numberOf(other));
    } else {
      c = 1;
    }
    return xs ? c : -c;
  }
  if (x.vt() == VT_CY && y.vt() == VT_CY) return sign(x.asCy().scaled, y.asCy().scaled);
  return sign(numberOf(x), numberOf(y));
}

}  // namespace svx
