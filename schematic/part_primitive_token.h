// Reading and writing the numbers and flag letters of a primitive's token.
#pragma once

#include <initializer_list>
#include <string>

namespace PartToken {
// Decimal integers separated by "," ("-20,5,0"); no spaces.
std::wstring FormatInts(std::initializer_list<int> values);
// The same text appended to out.
void AppendInts(std::wstring& out, std::initializer_list<int> values);
void AppendInt(std::wstring& out, int value);
// Reads up to count integers separated by single commas from p, as a
// "%d,%d,..." scan does: each number may follow white space and a sign;
// reading stops at the first number or comma that is not there, leaving the
// remaining outputs untouched. A value beyond 32 bits is held at the end of
// that range. p moves past what was read; returns how many numbers were read.
int ScanInts(const wchar_t*& p, int* out, int count);
// One integer as a lenient conversion reads it: white space, a sign, digits;
// anything after them is ignored, no digits give 0.
int LenientInt(const wchar_t* begin, const wchar_t* end);
// Flag letters in front of the numbers: every character up to the first
// decimal digit or '-' is a flag ('F' filled, 'O' opaque, 'C' closed when
// closed is given; others are ignored). Returns where the numbers start.
const wchar_t* ScanFlags(const wchar_t* p, bool* filled, bool* opaque, bool* closed);
} // namespace PartToken
