// The fast scanning of document text: the bytes of names, values, element
// texts and lines in the file, and the numbers in the model's attributes.
// Boards hold hundreds of thousands of vertices in the writer's "%.3f,%.3f"
// form, and the files are mostly runs of plain ASCII, so where the processor
// allows, text is looked at sixteen characters at a time.
//
// Every function takes its text as [p, end) and checks its bounds on entry;
// none reads or writes outside the ranges it is given. Each vector loop has a
// scalar path that gives the same answer. The vector paths can be switched
// off (the environment variable VORPEL_SCALAR=1 at start-up, or
// SetVectorPaths) so that the scalar paths are tested on their own.
#pragma once

#include "platform/text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace TextScanner {

namespace detail {
extern bool g_vectorPaths;
}

// Whether the vector paths are in use.
inline bool VectorPathsOn() {
#ifdef __SSE2__
    return detail::g_vectorPaths;
#else
    return false;
#endif
}
// Switches the vector paths off, or back on where the processor has them.
void SetVectorPaths(bool on);

// Byte classes: a blank (codes 1 to 32) and a byte of a name (an ASCII
// letter, digit or '_', or any byte of a character beyond ASCII).
constexpr uint8_t kBlank = 1;
constexpr uint8_t kName = 2;
constexpr std::array<uint8_t, 256> kByteClass = [] {
    std::array<uint8_t, 256> t{};
    for (int c = 1; c <= 32; ++c)
        t[c] = kBlank;
    for (int c = 0; c < 256; ++c)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '_' || c >= 0x80)
            t[c] = kName;
    return t;
}();

inline bool IsNameByte(char b) {
    return kByteClass[static_cast<unsigned char>(b)] == kName;
}

inline bool IsBlank(char b) {
    return kByteClass[static_cast<unsigned char>(b)] == kBlank;
}

// The first byte from p on that is no blank (end when none).
inline const char* SkipBlanks(const char* p, const char* end) {
#ifdef __SSE2__
    if (VectorPathsOn()) {
        // Blank when the byte minus one, wrapping (so that 0 becomes 255),
        // is at most 31 as an unsigned byte.
        const __m128i one = _mm_set1_epi8(1), last = _mm_set1_epi8(31);
        while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i shifted = _mm_sub_epi8(v, one);
            const __m128i blank = _mm_cmpeq_epi8(_mm_min_epu8(shifted, last), shifted);
            const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(blank)) ^ 0xFFFFu;
            if (mask)
                return p + __builtin_ctz(mask);
            p += 16;
        }
    }
#endif
    while (p < end && IsBlank(*p))
        ++p;
    return p;
}

// The first byte from p on that is not an ASCII letter, digit or '_' (end
// when none): where a name of plain ASCII ends. A byte beyond ASCII also
// ends it; callers that take such bytes as name bytes go on from there.
inline const char* FindAsciiNameEnd(const char* p, const char* end) {
#ifdef __SSE2__
    if (VectorPathsOn()) {
        const __m128i caseBit = _mm_set1_epi8(0x20), beforeA = _mm_set1_epi8('a' - 1);
        const __m128i afterZ = _mm_set1_epi8('z' + 1), before0 = _mm_set1_epi8('0' - 1);
        const __m128i after9 = _mm_set1_epi8('9' + 1), underscore = _mm_set1_epi8('_');
        while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            // Signed compares: bytes beyond ASCII are negative and fall out.
            const __m128i lower = _mm_or_si128(v, caseBit);
            const __m128i letter =
                _mm_and_si128(_mm_cmpgt_epi8(lower, beforeA), _mm_cmplt_epi8(lower, afterZ));
            const __m128i digit =
                _mm_and_si128(_mm_cmpgt_epi8(v, before0), _mm_cmplt_epi8(v, after9));
            const __m128i name =
                _mm_or_si128(_mm_or_si128(letter, digit), _mm_cmpeq_epi8(v, underscore));
            const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(name)) ^ 0xFFFFu;
            if (mask)
                return p + __builtin_ctz(mask);
            p += 16;
        }
    }
#endif
    while (p < end && static_cast<unsigned char>(*p) < 0x80 && IsNameByte(*p))
        ++p;
    return p;
}

// The first byte from p on that is no name byte (end when none).
inline const char* FindNameEnd(const char* p, const char* end) {
    p = FindAsciiNameEnd(p, end);
    while (p < end && IsNameByte(*p))
        ++p;
    return p;
}

#ifdef __SSE2__
// The bytes of v below 0x20 other than a tab: the controls of a document.
inline __m128i ControlBytes(__m128i v) {
    const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(0x1F)), v);
    return _mm_andnot_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t')), low);
}
#endif

// A byte below 0x20 other than a tab (CR, LF and NUL among them).
constexpr bool IsControlByte(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
}

// The first '<', '&' or control byte (IsControlByte: CR, LF, NUL and the
// others) from p on (end when none): where a piece of character data ends or
// needs a closer look.
inline const char* FindTextStop(const char* p, const char* end) {
#ifdef __SSE2__
    if (VectorPathsOn()) {
        const __m128i lt = _mm_set1_epi8('<'), amp = _mm_set1_epi8('&');
        while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lt), ControlBytes(v)),
                                             _mm_cmpeq_epi8(v, amp));
            const int mask = _mm_movemask_epi8(hit);
            if (mask)
                return p + __builtin_ctz(static_cast<unsigned>(mask));
            p += 16;
        }
    }
#endif
    while (p < end && *p != '<' && *p != '&' && !IsControlByte(*p))
        ++p;
    return p;
}

// The first byte from p on that ends the plain run of a value in quote
// marks: the quote, '&', a control byte (IsControlByte) or any byte beyond
// ASCII (end when none). The other kind of quote is a character of such a
// value.
inline const char* FindValueStop(const char* p, const char* end, char quote = '"') {
#ifdef __SSE2__
    if (VectorPathsOn()) {
        const __m128i q = _mm_set1_epi8(quote), amp = _mm_set1_epi8('&');
        while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(v, q), _mm_cmpeq_epi8(v, amp));
            hit = _mm_or_si128(hit, ControlBytes(v));
            // The sign bit marks the bytes beyond ASCII.
            const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit)) |
                                  static_cast<unsigned>(_mm_movemask_epi8(v));
            if (mask)
                return p + __builtin_ctz(mask);
            p += 16;
        }
    }
#endif
    while (p < end && *p != quote && *p != '&' && !IsControlByte(*p) &&
           static_cast<unsigned char>(*p) < 0x80)
        ++p;
    return p;
}

// The first CR or LF from p on (end when none); with beyondAscii, also the
// first byte above 0x7F.
inline const uint8_t* FindLineEnd(const uint8_t* p, const uint8_t* end, bool beyondAscii = false) {
#ifdef __SSE2__
    if (VectorPathsOn()) {
        const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
        const int high = beyondAscii ? -1 : 0;
        while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const int hit =
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
            // The sign bit marks the bytes beyond ASCII.
            const int mask = hit | (_mm_movemask_epi8(v) & high);
            if (mask)
                return p + __builtin_ctz(static_cast<unsigned>(mask));
            p += 16;
        }
    }
#endif
    while (p < end && *p != '\r' && *p != '\n' && !(beyondAscii && *p >= 0x80))
        ++p;
    return p;
}

// The first byte from p on that is above 0x7F (end when none).
inline const uint8_t* SkipAscii(const uint8_t* p, const uint8_t* end) {
#ifdef __SSE2__
    if (VectorPathsOn()) {
        while (end - p >= 16) {
            const int mask =
                _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
            if (mask)
                return p + __builtin_ctz(static_cast<unsigned>(mask));
            p += 16;
        }
    }
#endif
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

// The ASCII bytes [a, b) as characters at d (b - a of them).
inline void WidenAscii(const uint8_t* a, const uint8_t* b, wchar_t* d) {
#ifdef __SSE2__
    if (VectorPathsOn()) {
        static_assert(sizeof(wchar_t) == 4);
        const __m128i zero = _mm_setzero_si128();
        while (b - a >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
            const __m128i lo = _mm_unpacklo_epi8(v, zero), hi = _mm_unpackhi_epi8(v, zero);
            auto* o = reinterpret_cast<__m128i*>(d);
            _mm_storeu_si128(o, _mm_unpacklo_epi16(lo, zero));
            _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(lo, zero));
            _mm_storeu_si128(o + 2, _mm_unpacklo_epi16(hi, zero));
            _mm_storeu_si128(o + 3, _mm_unpackhi_epi16(hi, zero));
            a += 16;
            d += 16;
        }
    }
#endif
    while (a < b)
        *d++ = static_cast<wchar_t>(*a++);
}

inline void WidenAscii(std::string_view ascii, wchar_t* d) {
    const auto* a = reinterpret_cast<const uint8_t*>(ascii.data());
    WidenAscii(a, a + ascii.size(), d);
}

// A character the writer puts into the file as its one ASCII byte without
// a second look: printable ASCII (space included) other than " & ' < >.
constexpr bool IsPlainOutput(uint32_t c) {
    return c >= 0x20 && c < 0x7F && c != '"' && c != '&' && c != '\'' && c != '<' && c != '>';
}

// The sixteen characters from p on as bytes at d (sixteen bytes are written,
// whatever comes back): how many of them, from the first, are plain output
// (IsPlainOutput), and in spaces a bit for each space among those. Needs
// end - p >= 16, else answers 0 and writes nothing.
inline std::size_t PackPlainOutput16(const wchar_t* p, const wchar_t* end, char* d,
                                     unsigned& spaces) {
    static_assert(sizeof(wchar_t) == 4);
    spaces = 0;
    if (end - p < 16)
        return 0;
#ifdef __SSE2__
    if (VectorPathsOn()) {
        // Packed with saturation: a character beyond ASCII becomes 0xFF and
        // a negative one 0, both of which count as special below, so the
        // packed bytes are the output bytes of a plain run.
        const auto* src = reinterpret_cast<const __m128i*>(p);
        const __m128i lo = _mm_packs_epi32(_mm_loadu_si128(src), _mm_loadu_si128(src + 1));
        const __m128i hi = _mm_packs_epi32(_mm_loadu_si128(src + 2), _mm_loadu_si128(src + 3));
        const __m128i bytes = _mm_packus_epi16(lo, hi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), bytes);
        // Signed: bytes of 0x80 and above compare below ' '.
        __m128i bad = _mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(' ')),
                                   _mm_cmpeq_epi8(bytes, _mm_set1_epi8(0x7F)));
        bad = _mm_or_si128(bad, _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                             _mm_cmpeq_epi8(bytes, _mm_set1_epi8('&'))));
        bad = _mm_or_si128(bad, _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\'')),
                                             _mm_cmpeq_epi8(bytes, _mm_set1_epi8('<'))));
        bad = _mm_or_si128(bad, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('>')));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(bad));
        const std::size_t plain = mask ? static_cast<std::size_t>(__builtin_ctz(mask)) : 16;
        spaces =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '))));
        spaces &= plain < 16 ? (1u << plain) - 1 : 0xFFFFu;
        return plain;
    }
#endif
    std::size_t plain = 16;
    for (std::size_t k = 0; k < 16; ++k) {
        const auto c = static_cast<uint32_t>(p[k]);
        d[k] = static_cast<char>(c);
        if (plain == 16 && !IsPlainOutput(c))
            plain = k;
        if (plain == 16 && c == ' ')
            spaces |= 1u << k;
    }
    return plain;
}

// "-?digits(.digits)?" with one to fifteen digits in all: see
// ReadPlainDecimal. Returns where the number ends, null for any other form.
inline const wchar_t* ReadDecimal(const wchar_t* p, const wchar_t* end, double& value) {
    return ReadPlainDecimal(p, end, value);
}

// One "x,y" of the writer's usual form at p (each number one to four whole
// digits and three decimals, with or without a minus) followed by a space or
// the end: the floats, and p moved to that space or end. False, with p as it
// was, for anything else and whenever the vector paths are off; the caller
// then reads the text with ReadDecimal, which gives the same floats.
bool ReadFixedPair(const wchar_t*& p, const wchar_t* end, float& x, float& y);

// Whether [p, end) starts with what "%.3f" writes for value; moves p past it.
// Values that FormatFixedTo does not write by its short cut (huge, not
// finite) never match.
bool MatchFixed(const wchar_t*& p, const wchar_t* end, float value);

// Whether [p, end) starts with what "%.3f,%.3f" writes for x and y, followed
// by a space or the end; moves p to that space or end. Either path answers
// the same.
bool MatchFixedPair(const wchar_t*& p, const wchar_t* end, float x, float y);

} // namespace TextScanner
