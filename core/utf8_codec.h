// The UTF-8 decoder and encoder shared by the text file and the XML reader and
// writer, so that a document read or written in large pieces gives exactly
// the characters and bytes the line reader and line writer give.
#pragma once

#include "core/text_scanner.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace utf8 {

constexpr char32_t kReplacement = 0xFFFD;

inline bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
inline bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Decodes the character at p (p < end, *p >= 0x80) and returns the count of
// bytes it took. A malformed, overlong or truncated sequence gives U+FFFD for
// its lead byte alone, so that a stray byte never swallows a line end or a
// '<'. Older files hold characters beyond U+FFFF as two three-byte
// surrogates; such a pair is one character. A surrogate on its own is no
// character (no XML document may hold one): it is malformed like the rest.
inline std::size_t DecodeMultiByte(const uint8_t* p, const uint8_t* end, char32_t& c) {
    const uint8_t b0 = p[0];
    const std::size_t length = b0 >= 0xC2 && b0 <= 0xDF   ? 2
                               : b0 >= 0xE0 && b0 <= 0xEF ? 3
                               : b0 >= 0xF0 && b0 <= 0xF4 ? 4
                                                          : 0;
    c = kReplacement;
    if (length == 0 || static_cast<std::size_t>(end - p) < length)
        return 1;
    char32_t v = b0 & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 1;
        v = (v << 6) | (p[i] & 0x3F);
    }
    if ((length == 3 && v < 0x800) || (length == 4 && (v < 0x10000 || v > 0x10FFFF)))
        return 1;
    std::size_t used = length;
    if (IsHighSurrogate(v) || IsLowSurrogate(v)) {
        const uint8_t* q = p + used;
        if (!IsHighSurrogate(v) || end - q < 3 || q[0] != 0xED || (q[1] & 0xF0) != 0xB0 ||
            (q[2] & 0xC0) != 0x80)
            return 1;
        const char32_t low = 0xD000 | ((q[1] & 0x3F) << 6) | (q[2] & 0x3F);
        v = 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00);
        used += 3;
    }
    c = v;
    return used;
}

using TextScanner::SkipAscii;
using TextScanner::WidenAscii;

// Appends the characters of the UTF-8 bytes to out.
inline void AppendDecoded(std::wstring& out, std::string_view bytes) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data());
    const uint8_t* end = p + bytes.size();
    std::size_t n = out.size();
    out.resize(n + bytes.size()); // never more characters than bytes
    wchar_t* d = out.data();
    if (bytes.size() < 16) {
        // Short pieces: widened byte by byte while they are ASCII.
        while (p < end && *p < 0x80)
            d[n++] = static_cast<wchar_t>(*p++);
        if (p == end)
            return;
    }
    while (p < end) {
        const uint8_t* q = SkipAscii(p, end);
        WidenAscii(p, q, d + n);
        n += static_cast<std::size_t>(q - p);
        p = q;
        while (p < end && *p >= 0x80) {
            char32_t c;
            p += DecodeMultiByte(p, end, c);
            d[n++] = static_cast<wchar_t>(c);
        }
    }
    out.resize(n);
}

// The characters of a wide string as code points: a high and a low surrogate
// in a row are one character (text may come from UTF-16 sources); values
// beyond Unicode and surrogates standing alone become U+FFFD.
template <class F> void ForEachCodePoint(std::wstring_view text, F&& f) {
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        char32_t c = static_cast<char32_t>(static_cast<uint32_t>(text[i]));
        if (IsHighSurrogate(c) && i + 1 < n) {
            char32_t d = static_cast<char32_t>(static_cast<uint32_t>(text[i + 1]));
            if (IsLowSurrogate(d)) {
                c = 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00);
                ++i;
            }
        }
        if (c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c))
            c = kReplacement;
        f(c);
    }
}

// Writes the UTF-8 bytes of one code point at d; returns the end.
inline char* EncodeCodePoint(char* d, char32_t c) {
    if (c < 0x80) {
        *d++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *d++ = static_cast<char>(0xC0 | (c >> 6));
        *d++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *d++ = static_cast<char>(0xE0 | (c >> 12));
        *d++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *d++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *d++ = static_cast<char>(0xF0 | (c >> 18));
        *d++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *d++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *d++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return d;
}

// Writes the UTF-8 bytes of the text at d (room for four bytes per
// character); returns the end.
inline char* EncodeTo(char* d, std::wstring_view text) {
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        // Plain ASCII goes byte for byte.
        while (i < n && static_cast<uint32_t>(text[i]) < 0x80)
            *d++ = static_cast<char>(text[i++]);
        std::size_t k = i;
        while (k < n && static_cast<uint32_t>(text[k]) >= 0x80)
            ++k;
        if (k > i) {
            ForEachCodePoint(text.substr(i, k - i),
                             [&d](char32_t c) { d = EncodeCodePoint(d, c); });
            i = k;
        }
    }
    return d;
}

// Appends the UTF-8 bytes of the text to out.
inline void AppendEncoded(std::string& out, std::wstring_view text) {
    std::size_t n = out.size();
    out.resize(n + text.size() * 4);
    char* end = EncodeTo(out.data() + n, text);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

} // namespace utf8
