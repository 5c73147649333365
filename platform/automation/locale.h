// The one locale of the system. Every text form of a number, a Boolean or a
// date that the coercion prints or reads follows these settings; nothing
// depends on the locale of the process.
//
//   Numbers   decimal point ".", no thousands separator; exponents "1E+20",
//             "1E-05" (a sign and at least two digits).
//   Booleans  "True" and "False" (read case-insensitively).
//   Dates     month/day/year, four-digit year, no leading zeros: "1/31/2024".
//   Times     12-hour clock with seconds: "1:05:00 PM", "12:00:00 AM".
//   Both      "1/31/2024 1:05:00 PM". A moment at midnight prints as its date
//             alone; a moment on day 0 (12/30/1899) as its time alone.
//
// Dates are read in the printed form (a two-digit year 00-29 meaning
// 2000-2029 and 30-99 meaning 1930-1999), as ISO year-month-day
// ("2024-01-31"), and with a month name ("31 January 2024", "Jan 31, 2024");
// times with a 24-hour or a 12-hour clock, seconds optional.
#pragma once

#include <array>
#include <string_view>

namespace svx::locale {

inline constexpr char16_t DecimalPoint = u'.';
inline constexpr char16_t DateSeparator = u'/';
inline constexpr char16_t TimeSeparator = u':';

inline constexpr std::u16string_view TrueText = u"True";
inline constexpr std::u16string_view FalseText = u"False";

inline constexpr std::u16string_view AmText = u"AM";
inline constexpr std::u16string_view PmText = u"PM";

// Significant digits with which CStr prints a Single and a Double.
inline constexpr int SingleDigits = 7;
inline constexpr int DoubleDigits = 15;

// Month names as dates are read with them (a unique prefix of three or more
// letters also names the month).
inline constexpr std::array<std::u16string_view, 12> MonthNames = {
    u"January", u"February", u"March",     u"April",   u"May",      u"June",
    u"July",    u"August",   u"September", u"October", u"November", u"December"};

// Two-digit years below this one belong to the 2000s, the others to the 1900s.
inline constexpr int TwoDigitYearPivot = 30;

}  // namespace svx::locale
