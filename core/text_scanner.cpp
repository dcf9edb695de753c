#include "core/text_scanner.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#if defined(__x86_64__) && defined(__GNUC__)
#define VORPEL_PAIR_SIMD 1
#include <immintrin.h>
#endif

namespace TextScanner {

namespace {

// The environment may ask for the scalar paths (tests of them).
bool ScalarAsked() {
    const char* scalar = std::getenv("VORPEL_SCALAR");
    return scalar && *scalar && *scalar != '0';
}

#ifdef VORPEL_PAIR_SIMD

// Pairs are read with SSSE3 where the processor has it (looked up at run
// time).
bool HasSsse3() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
}
const bool g_ssse3 = HasSsse3();

// Sixteen characters at a time: a pair "x,y " of the writer's form with
// whole parts of one to four digits, each number with or without its minus,
// fits when its two whole parts and minus signs take at most six
// characters. Which of those forms the characters could be is looked up
// from where the digits stand among the first twelve; a table entry then
// checks every character up to the space and gathers the digits.
struct alignas(16) PairForm {
    // The characters with every digit read as '0', 0xFF past the space.
    uint8_t match[16];
    // 0xFF past the space: those characters belong to the next pair.
    uint8_t past[16];
    // Gathers x's digits into bytes 0-7 and y's into bytes 8-15 as eight
    // digit numbers (whole part right-aligned in bytes 1-4, the decimals in
    // 5-7); 0x80 makes a zero.
    uint8_t gather[16];
    // 0xFF at the first digit of a whole part of two or more digits: a '0'
    // there is a leading zero, which the writer never puts.
    uint8_t lead[16];
    uint32_t sign[4]; // the sign bits of x and y, then padding
};
// The vector loads below read whole entries.
static_assert(sizeof(PairForm) == 80 && alignof(PairForm) == 16);

constexpr int kFormCount = 1 + 2 * 4 * 2 * 4;
constexpr int kKeyBits = 12;

struct PairForms {
    PairForm form[kFormCount];
    uint8_t byDigits[1u << kKeyBits]; // form index, 0 for none
    // The form's characters without the space.
    uint8_t lengthByDigits[1u << kKeyBits];
};

constexpr PairForms MakePairForms() {
    PairForms forms{};
    // Form 0 matches nothing: no character reads as '1'.
    for (uint8_t& b : forms.form[0].match)
        b = '1';
    int count = 1;
    for (int sx = 0; sx < 2; ++sx)
        for (int wx = 1; wx <= 4; ++wx)
            for (int sy = 0; sy < 2; ++sy)
                for (int wy = 1; wy <= 4; ++wy) {
                    if (sx + wx + 5 + sy + wy + 5 > 16)
                        continue;
                    PairForm f{};
                    int at = 0;
                    auto number = [&](bool negative, int whole, int slot) {
                        if (negative)
                            f.match[at++] = '-';
                        for (int i = 0; i < 8; ++i)
                            f.gather[slot + i] = 0x80;
                        if (whole >= 2)
                            f.lead[at] = 0xFF;
                        for (int i = 0; i < whole; ++i) {
                            f.gather[slot + 5 - whole + i] = static_cast<uint8_t>(at);
                            f.match[at++] = '0';
                        }
                        f.match[at++] = '.';
                        for (int i = 0; i < 3; ++i) {
                            f.gather[slot + 5 + i] = static_cast<uint8_t>(at);
                            f.match[at++] = '0';
                        }
                    };
                    number(sx != 0, wx, 0);
                    f.match[at++] = ',';
                    number(sy != 0, wy, 8);
                    f.match[at++] = ' ';
                    for (int i = at; i < 16; ++i)
                        f.match[i] = f.past[i] = 0xFF;
                    f.sign[0] = sx ? 0x80000000u : 0;
                    f.sign[1] = sy ? 0x80000000u : 0;
                    unsigned key = 0;
                    for (int i = 0; i < kKeyBits; ++i)
                        key |= f.match[i] == '0' ? 1u << i : 0;
                    forms.form[count] = f;
                    forms.byDigits[key] = static_cast<uint8_t>(count);
                    forms.lengthByDigits[key] = static_cast<uint8_t>(at - 1);
                    ++count;
                }
    return forms;
}

constexpr PairForms kForms = MakePairForms();

// Reads one pair of the forms above from sixteen characters; length gets
// its characters without the space. False when the characters are in no
// form, or, for written, have a leading zero.
__attribute__((target("ssse3"))) bool ReadPairBlock(const wchar_t* chars, float& x, float& y,
                                                    uint32_t& length, bool written) {
    static_assert(sizeof(wchar_t) == 4);
    const __m128i zeroChar = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9);
    const auto* const c = reinterpret_cast<const __m128i*>(chars);
    // Characters past U+00FF saturate to 0xFF (negative ones to 0): neither
    // is a character the forms hold.
    const __m128i bytes =
        _mm_packus_epi16(_mm_packs_epi32(_mm_loadu_si128(c), _mm_loadu_si128(c + 1)),
                         _mm_packs_epi32(_mm_loadu_si128(c + 2), _mm_loadu_si128(c + 3)));
    const __m128i values = _mm_sub_epi8(bytes, zeroChar);
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(values, nine), values);
    const __m128i digits = _mm_and_si128(values, isDigit);
    const auto key = static_cast<unsigned>(_mm_movemask_epi8(isDigit)) & ((1u << kKeyBits) - 1);
    const PairForm& f = kForms.form[kForms.byDigits[key]];
    const __m128i shape = _mm_or_si128(_mm_sub_epi8(bytes, digits),
                                       _mm_load_si128(reinterpret_cast<const __m128i*>(f.past)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(
            shape, _mm_load_si128(reinterpret_cast<const __m128i*>(f.match)))) != 0xFFFF)
        return false;
    if (written && _mm_movemask_epi8(_mm_and_si128(
                       _mm_cmpeq_epi8(bytes, zeroChar),
                       _mm_load_si128(reinterpret_cast<const __m128i*>(f.lead)))) != 0)
        return false;
    length = kForms.lengthByDigits[key];
    // Eight digits a number: pairs, fours, then the whole.
    __m128i n =
        _mm_shuffle_epi8(digits, _mm_load_si128(reinterpret_cast<const __m128i*>(f.gather)));
    n = _mm_madd_epi16(_mm_maddubs_epi16(n, _mm_set1_epi16(0x010A)), _mm_set1_epi32(0x00010064));
    n = _mm_madd_epi16(_mm_packs_epi32(n, n), _mm_set1_epi32(0x00012710));
    // As the digits divided by 1000 as a double, then a float.
    const __m128 xy = _mm_xor_ps(_mm_cvtpd_ps(_mm_div_pd(_mm_cvtepi32_pd(n), _mm_set1_pd(1e3))),
                                 _mm_load_ps(reinterpret_cast<const float*>(f.sign)));
    alignas(16) float out[4];
    _mm_store_ps(out, xy);
    x = out[0];
    y = out[1];
    return true;
}

// The pair at p through ReadPairBlock; p moves to its space or end. Short
// texts are read from a copy with a space for their end.
bool ReadPairAt(const wchar_t*& p, const wchar_t* end, float& x, float& y, bool written) {
    const std::ptrdiff_t left = end - p;
    uint32_t length = 0;
    if (left >= 16) {
        if (!ReadPairBlock(p, x, y, length, written))
            return false;
    } else {
        // The shortest pair, "0.000,0.000", takes eleven characters.
        if (left < 11)
            return false;
        wchar_t chars[16] = {};
        for (std::ptrdiff_t i = 0; i < left; ++i)
            chars[i] = p[i];
        chars[left] = L' ';
        if (!ReadPairBlock(chars, x, y, length, written))
            return false;
    }
    p += length;
    return true;
}

#endif

} // namespace

namespace detail {
bool g_vectorPaths = !ScalarAsked();
}

void SetVectorPaths(bool on) {
    detail::g_vectorPaths = on;
}

bool ReadFixedPair(const wchar_t*& p, const wchar_t* end, float& x, float& y) {
#ifdef VORPEL_PAIR_SIMD
    if (p < end && VectorPathsOn() && g_ssse3)
        return ReadPairAt(p, end, x, y, false);
#endif
    (void)p, (void)end, (void)x, (void)y;
    return false;
}

bool MatchFixed(const wchar_t*& p, const wchar_t* end, float value) {
    const double magnitude = std::fabs(static_cast<double>(value));
    if (!(magnitude < 1e9) || p >= end)
        return false;
    const wchar_t* q = p;
    if (std::signbit(value)) {
        if (*q != L'-')
            return false;
        ++q;
    }
    // The rounding of FormatFixedTo: exact in a double, ties to even.
    const auto scaled = static_cast<uint64_t>((magnitude * 1000.0 + 0x1p52) - 0x1p52);
    uint64_t whole = 0;
    if (q == end || *q < L'0' || *q > L'9')
        return false;
    if (*q == L'0') {
        ++q; // no leading zeros
    } else {
        for (int n = 0; q != end && *q >= L'0' && *q <= L'9'; ++q) {
            if (++n > 10)
                return false;
            whole = whole * 10 + static_cast<uint64_t>(*q - L'0');
        }
    }
    if (end - q < 4 || *q != L'.')
        return false;
    uint64_t fraction = 0;
    for (int i = 1; i <= 3; ++i) {
        if (q[i] < L'0' || q[i] > L'9')
            return false;
        fraction = fraction * 10 + static_cast<uint64_t>(q[i] - L'0');
    }
    if (whole * 1000 + fraction != scaled)
        return false;
    p = q + 4;
    return true;
}

bool MatchFixedPair(const wchar_t*& p, const wchar_t* end, float x, float y) {
    if (p >= end)
        return false;
#ifdef VORPEL_PAIR_SIMD
    // Text of the forms without leading zeros that reads back to exactly
    // the floats is what "%.3f" writes for them: below 10,000 a float is
    // within half a thousandth of the decimal it was read from, so the
    // thousandths round back to it.
    if (VectorPathsOn() && g_ssse3) {
        const wchar_t* q = p;
        float rx = 0, ry = 0;
        if (ReadPairAt(q, end, rx, ry, true) &&
            std::bit_cast<uint32_t>(rx) == std::bit_cast<uint32_t>(x) &&
            std::bit_cast<uint32_t>(ry) == std::bit_cast<uint32_t>(y)) {
            p = q;
            return true;
        }
    }
#endif
    const wchar_t* q = p;
    if (!MatchFixed(q, end, x) || q == end || *q != L',')
        return false;
    ++q;
    if (!MatchFixed(q, end, y) || (q != end && *q != L' '))
        return false;
    p = q;
    return true;
}

} // namespace TextScanner
