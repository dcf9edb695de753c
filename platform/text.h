// Text helpers: UTF-8 and Windows-1252 conversion, and number formatting and
// parsing that never depend on the process locale (Qt sets LC_ALL from the
// environment at start-up, so the C library's printf/strtod family cannot be
// trusted for anything that reaches a file or a dialog).
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

// Standard UTF-8 (one to four bytes per code point). Invalid or truncated
// sequences decode to U+FFFD, one per offending byte.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view bytes);

// The "ANSI code page" of the original platform, treated as Windows-1252.
// Characters with no Windows-1252 byte become '?' and set *lossy when given.
std::string WideToCp1252(std::wstring_view text, bool* lossy = nullptr);
std::wstring Cp1252ToWide(std::string_view bytes);

// The text case-folded, for names compared without regard to case (settings
// keys, INI sections and keys).
std::wstring FoldCase(std::wstring_view text);

// Whether the character is a letter or a digit of any script, whatever the
// process locale (the C library's iswalnum knows only ASCII under "C").
bool IsLetterOrDigit(wchar_t c);

// Decimal integer parsing as the C library's wcstol does under the C locale:
// leading blanks, an optional sign, digits up to the first other character.
// No digits yields 0 and *end == text. Out-of-range values saturate.
long long ParseInteger(const wchar_t* text, const wchar_t** end = nullptr);
// Floating-point parsing as wcstod does under the C locale (decimal and
// exponent forms, "inf", "nan", hexadecimal floats). No number yields 0 and
// *end == text.
double ParseDouble(const wchar_t* text, const wchar_t** end = nullptr);
// The plain decimal at the start of [text, end): "-?digits(.digits)?" with
// one to fifteen digits in all (a point is taken only with a digit after
// it). The value is the digits divided by a power of ten, both exact in a
// double, so it is the correctly rounded value ParseDouble reads. Returns
// where the number ends (what follows is the caller's to judge), null for
// any other text. Every number reader of the program starts with it.
const wchar_t* ReadPlainDecimal(const wchar_t* text, const wchar_t* end, double& value);

// printf-style formatting into a wide string, always with the C locale's
// conventions (full stop as decimal point, no grouping). Supports the flags
// -, +, space, #, 0, width and precision (also '*'), the length modifiers
// h, l, ll, z and the conversions d i u x X o c s f F e E g G %. With 'l' or
// without, %s takes a const wchar_t*; %hs takes a const char* (UTF-8).
std::wstring StrPrintf(const wchar_t* format, ...);
std::wstring StrPrintfV(const wchar_t* format, va_list args);
// Appends what "%.<precision>f" writes for value (any precision, any value),
// without a format to read or a temporary string; documents write
// coordinates in bulk.
void AppendFixed(std::wstring& out, double value, int precision);
// Writes what "%.<precision>f" writes for value, precision 0 to 9, into out,
// which has room for 64 characters; returns the end.
wchar_t* FormatFixedTo(wchar_t* out, float value, int precision);
// Appends what "%lld" writes for value.
void AppendInteger(std::wstring& out, long long value);
// Writes what "%lld" writes for value into out, which has room for 21
// characters; returns the end.
wchar_t* FormatIntegerTo(wchar_t* out, long long value);

// "%g" with the given number of significant digits (6 is the default of a
// stream), locale independent.
std::wstring FormatGeneral(double value, int significantDigits = 6);
constexpr int kFloatTextSize = 32;
// The text a float attribute is written with: what a stream with its default
// settings writes for it ("%g", 6 significant digits), locale independent.
std::wstring FormatFloat(float value);
// The same text written into out, which has room for kFloatTextSize
// characters; returns the end.
wchar_t* FormatFloatTo(wchar_t* out, float value);
// The 6-digit general form when that reads back to the same float, else the
// shortest general form that does.
std::wstring FormatFloatRoundTrip(float value);
// The same text written into out (room for kFloatTextSize characters).
wchar_t* FormatFloatRoundTripTo(wchar_t* out, float value);
