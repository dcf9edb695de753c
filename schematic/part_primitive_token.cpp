#include "schematic/part_primitive_token.h"

#include "core/document_bounds.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace PartToken {

namespace {
bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}
bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}
// Sign and digits at p (after white space); false when there are no digits.
bool ReadInt(const wchar_t*& p, const wchar_t* end, int* value) {
    const wchar_t* q = p;
    while (q != end && IsSpace(*q))
        ++q;
    bool negative = false;
    if (q != end && (*q == L'-' || *q == L'+')) {
        negative = *q == L'-';
        ++q;
    }
    if (q == end || !IsDigit(*q))
        return false;
    int64_t v = 0;
    while (q != end && IsDigit(*q)) {
        if (v <= static_cast<int64_t>(INT_MAX) + 1)
            v = v * 10 + (*q - L'0');
        ++q;
    }
    if (negative)
        v = -v;
    *value = ToInt32(v);
    p = q;
    return true;
}
const wchar_t* EndOf(const wchar_t* p) {
    while (*p)
        ++p;
    return p;
}

// Writes value's decimal digits ending at end; returns where they start.
wchar_t* IntBefore(wchar_t* end, int value) {
    int64_t v = value;
    const bool negative = v < 0;
    if (negative)
        v = -v;
    do {
        *--end = static_cast<wchar_t>(L'0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative)
        *--end = L'-';
    return end;
}

} // namespace

void AppendInt(std::wstring& out, int value) {
    wchar_t buffer[16];
    out.append(IntBefore(buffer + 16, value), buffer + 16);
}

void AppendInts(std::wstring& out, std::initializer_list<int> values) {
    // Numbers are collected in a buffer and appended at once.
    wchar_t buffer[256];
    wchar_t* d = buffer;
    bool first = true;
    for (int v : values) {
        if (d - buffer > 256 - 16) {
            out.append(buffer, d);
            d = buffer;
        }
        if (!first)
            *d++ = L',';
        first = false;
        wchar_t digits[16];
        const wchar_t* start = IntBefore(digits + 16, v);
        d = std::copy(start, static_cast<const wchar_t*>(digits + 16), d);
    }
    out.append(buffer, d);
}

std::wstring FormatInts(std::initializer_list<int> values) {
    std::wstring out;
    AppendInts(out, values);
    return out;
}

int ScanInts(const wchar_t*& p, int* out, int count) {
    const wchar_t* end = EndOf(p);
    int read = 0;
    while (read < count) {
        if (read > 0) {
            if (p == end || *p != L',')
                break;
            ++p;
        }
        if (!ReadInt(p, end, &out[read]))
            break;
        ++read;
    }
    return read;
}

int LenientInt(const wchar_t* begin, const wchar_t* end) {
    int value = 0;
    ReadInt(begin, end, &value);
    return value;
}

const wchar_t* ScanFlags(const wchar_t* p, bool* filled, bool* opaque, bool* closed) {
    for (; *p && !IsDigit(*p) && *p != L'-'; ++p) {
        if (*p == L'F')
            *filled = true;
        else if (*p == L'O')
            *opaque = true;
        else if (*p == L'C' && closed)
            *closed = true;
    }
    return p;
}

} // namespace PartToken
