// Coercion with OLE Automation's rules (VariantChangeType), as scripts see it
// through CStr, CBool, CByte, CInt, CLng, CSng, CDbl, CDate; the runtime's
// comparison of two Variants; and the number and date text forms.
//
// Every conversion reads through references. Failures raise RuntimeError:
// Overflow (6) for a value out of the target's range; Type mismatch (13) for
// text that is not a number, an object without a default value, an array or
// a missing argument; Invalid use of Null (94) for Null. Empty converts to 0,
// "" or False.
//
// The system uses one fixed locale, defined in locale.h.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/automation/variant.h"

namespace svx {

namespace detail {
// changeType for every value that is not already a number of the target type.
Variant convertType(const Variant& v, uint16_t target);
inline constexpr uint32_t kNumberTypes =
    1u << VT_I2 | 1u << VT_I4 | 1u << VT_UI1 | 1u << VT_R4 | 1u << VT_R8 | 1u << VT_BOOL;
}  // namespace detail

// VariantChangeType to a scalar VarType (VT_I2, VT_I4, VT_R4, VT_R8, VT_CY,
// VT_DATE, VT_BSTR, VT_BOOL, VT_UI1, VT_VARIANT, VT_DISPATCH, VT_EMPTY,
// VT_NULL) or to VT_ARRAY|VT_UI1 (the runtime's assignment of a Variant to a
// Byte array: a Byte array is copied, a String gives its UTF-16 bytes).
// A number already of the type (also through a typed reference) stays as it is.
inline Variant changeType(const Variant& v, uint16_t target) {
  if ((v.vt() & ~VT_BYREF) == target && target < 32 && (detail::kNumberTypes >> target & 1u)) return v.value();
  return detail::convertType(v, target);
}

int16_t toI2(const Variant& v);   // CInt
int32_t toI4(const Variant& v);   // CLng
float toR4(const Variant& v);     // CSng
double toR8(const Variant& v);    // CDbl
Currency toCy(const Variant& v);  // CCur
Date toDate(const Variant& v);    // CDate
BStr toBStr(const Variant& v);    // CStr
bool toBool(const Variant& v);    // CBool
uint8_t toUI1(const Variant& v);  // CByte

// Rounding of a fraction to an integer: to the nearest, halves to even.
double roundHalfEven(double x);

// The runtime's IsNumeric.
bool isNumeric(const Variant& v);

// Text to number as the coercion reads it: blanks around, a sign, decimals,
// an exponent, &H and &O prefixes. Nothing when the text is not a number.
std::optional<double> parseNumber(BStrView text);

// Number text as CStr prints it: Single to 7 significant digits, Double to 15,
// no trailing ".0", exponents as "1E+20".
BStr formatDouble(double v);
BStr formatSingle(float v);

// Date text as CStr prints it and as CDate reads it.
BStr formatDate(Date d);
std::optional<Date> parseDate(BStrView text);

// Date parts <-> OLE dates.
struct DateParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
  int millisecond = 0;
};
Date makeDate(const DateParts& p);
DateParts splitDate(Date d);

// The runtime's comparison of two Variants (the = and < operators of
// VBScript): -1, 0 or 1; Null on either side gives nullopt.
std::optional<int> compare(const Variant& a, const Variant& b);

}  // namespace svx
