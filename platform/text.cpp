#include "platform/text.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Windows-1252 bytes 0x80-0x9F; 0 marks the five unassigned bytes, which map
// to the C1 control of the same value as the original platform does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp) {
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

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}

} // namespace

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        uint32_t cp = static_cast<uint32_t>(c);
        if (cp > 0x10FFFF)
            cp = kReplacement;
        AppendUtf8(out, cp);
    }
    return out;
}

std::wstring Utf8ToWide(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        uint32_t cp = 0;
        if (b < 0x80) {
            out.push_back(static_cast<wchar_t>(b));
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            cp = b & 0x07;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        bool ok = i + static_cast<size_t>(extra) < n;
        for (int k = 1; ok && k <= extra; ++k) {
            unsigned char c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        out.push_back(static_cast<wchar_t>(cp));
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::string WideToCp1252(std::wstring_view text, bool* lossy) {
    std::string out;
    out.reserve(text.size());
    if (lossy)
        *lossy = false;
    for (wchar_t c : text) {
        uint32_t cp = static_cast<uint32_t>(c);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        int found = -1;
        for (int k = 0; k < 32; ++k) {
            uint32_t mapped = kCp1252High[k] ? kCp1252High[k] : 0x80u + k;
            if (mapped == cp) {
                found = k;
                break;
            }
        }
        if (found >= 0) {
            out.push_back(static_cast<char>(0x80 + found));
        } else {
            out.push_back('?');
            if (lossy)
                *lossy = true;
        }
    }
    return out;
}

std::wstring Cp1252ToWide(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        unsigned char b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80])
            out.push_back(static_cast<wchar_t>(kCp1252High[b - 0x80]));
        else
            out.push_back(static_cast<wchar_t>(b));
    }
    return out;
}

long long ParseInteger(const wchar_t* text, const wchar_t** end) {
    const wchar_t* p = text;
    if (end)
        *end = text;
    if (!p)
        return 0;
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') {
        negative = *p == L'-';
        ++p;
    }
    if (*p < L'0' || *p > L'9')
        return 0;
    unsigned long long magnitude = 0;
    bool overflow = false;
    const unsigned long long limit =
        negative ? static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + 1
                 : static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    while (*p >= L'0' && *p <= L'9') {
        unsigned digit = static_cast<unsigned>(*p - L'0');
        if (!overflow) {
            if (magnitude > (limit - digit) / 10)
                overflow = true;
            else
                magnitude = magnitude * 10 + digit;
        }
        ++p;
    }
    if (end)
        *end = p;
    if (overflow)
        return negative ? std::numeric_limits<long long>::min()
                        : std::numeric_limits<long long>::max();
    if (negative)
        return magnitude == limit ? std::numeric_limits<long long>::min()
                                  : -static_cast<long long>(magnitude);
    return static_cast<long long>(magnitude);
}

const wchar_t* ReadPlainDecimal(const wchar_t* text, const wchar_t* end, double& value) {
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (!text || text >= end)
        return nullptr;
    const wchar_t* q = text;
    const bool negative = *q == L'-';
    if (negative)
        ++q;
    const auto isDigit = [&](const wchar_t* at) { return at < end && *at >= L'0' && *at <= L'9'; };
    uint64_t digits = 0;
    int count = 0, fraction = 0;
    while (isDigit(q) && count <= 15) {
        digits = digits * 10 + static_cast<uint64_t>(*q - L'0');
        ++count;
        ++q;
    }
    if (count > 0 && q < end && *q == L'.' && isDigit(q + 1)) {
        ++q;
        while (isDigit(q) && count <= 15) {
            digits = digits * 10 + static_cast<uint64_t>(*q - L'0');
            ++count;
            ++fraction;
            ++q;
        }
    }
    if (count == 0 || count > 15)
        return nullptr;
    const double v = static_cast<double>(digits) / kPow10[fraction];
    value = negative ? -v : v;
    return q;
}

double ParseDouble(const wchar_t* text, const wchar_t** end) {
    if (end)
        *end = text;
    if (!text)
        return 0.0;
    const wchar_t* p = text;
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') {
        negative = *p == L'-';
        ++p;
    }
    // Most numbers in documents are short plain decimals ("12", "0.635").
    // The plain reader sees at most sixteen characters and the one after
    // them; the text ends at its NUL, looked for no further.
    {
        const wchar_t* limit = p;
        while (limit - p < 18 && *limit)
            ++limit;
        double value = 0;
        // The sign is read above: a second one is no plain number.
        const wchar_t* q = *p == L'-' ? nullptr : ReadPlainDecimal(p, limit, value);
        // An exponent, a hexadecimal prefix, a point or more digits follow
        // for the general reader.
        if (q && *q != L'.' && *q != L'e' && *q != L'E' && *q != L'x' && *q != L'X' &&
            !(*q >= L'0' && *q <= L'9')) {
            if (end)
                *end = q;
            return negative ? -value : value;
        }
    }
    // Collect the ASCII run that can belong to a number, then let from_chars
    // find the longest valid prefix.
    std::string ascii;
    const wchar_t* q = p;
    while (*q && *q < 0x80 &&
           (std::isalnum(static_cast<int>(*q)) || *q == L'.' || *q == L'+' || *q == L'-' ||
            *q == L'(' || *q == L')' || *q == L'_')) {
        ascii.push_back(static_cast<char>(*q));
        ++q;
        if (ascii.size() > 4096)
            break;
    }
    double value = 0.0;
    const char* first = ascii.data();
    const char* last = ascii.data() + ascii.size();
    std::chars_format fmt = std::chars_format::general;
    size_t prefix = 0;
    if (ascii.size() >= 2 && ascii[0] == '0' && (ascii[1] == 'x' || ascii[1] == 'X')) {
        fmt = std::chars_format::hex;
        prefix = 2;
    }
    auto result = std::from_chars(first + prefix, last, value, fmt);
    if (result.ec == std::errc::invalid_argument) {
        if (prefix) {
            // "0x" with no hex digits: the "0" alone is the number.
            value = 0.0;
            if (end)
                *end = p + 1;
            return negative ? -value : value;
        }
        return 0.0;
    }
    size_t used = static_cast<size_t>(result.ptr - first);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value unset: follow strtod (HUGE_VAL or 0).
        std::string digits(first, result.ptr);
        bool tiny = false;
        auto epos = digits.find_first_of(fmt == std::chars_format::hex ? "pP" : "eE");
        if (epos != std::string::npos && epos + 1 < digits.size() && digits[epos + 1] == '-')
            tiny = true;
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    if (end)
        *end = p + used;
    return negative ? -value : value;
}

namespace {

struct Spec {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    int width = -1;
    int precision = -1;
};

void Pad(std::wstring& out, const std::wstring& body, const Spec& s, bool numeric) {
    int len = static_cast<int>(body.size());
    if (s.width <= len) {
        out += body;
        return;
    }
    int fill = s.width - len;
    if (s.left) {
        out += body;
        out.append(static_cast<size_t>(fill), L' ');
    } else if (s.zero && numeric) {
        // Zeros go after the sign or 0x prefix.
        size_t signLen = 0;
        if (!body.empty() && (body[0] == L'-' || body[0] == L'+' || body[0] == L' '))
            signLen = 1;
        if (body.size() >= signLen + 2 && body[signLen] == L'0' &&
            (body[signLen + 1] == L'x' || body[signLen + 1] == L'X'))
            signLen += 2;
        out += body.substr(0, signLen);
        out.append(static_cast<size_t>(fill), L'0');
        out += body.substr(signLen);
    } else {
        out.append(static_cast<size_t>(fill), L' ');
        out += body;
    }
}

std::wstring Widen(const char* s, size_t n) {
    std::wstring w;
    w.reserve(n);
    for (size_t i = 0; i < n; ++i)
        w.push_back(static_cast<wchar_t>(static_cast<unsigned char>(s[i])));
    return w;
}

std::wstring FormatUnsigned(unsigned long long v, int base, bool upper) {
    char buf[72];
    auto r = std::to_chars(buf, buf + sizeof buf, v, base);
    std::wstring w = Widen(buf, static_cast<size_t>(r.ptr - buf));
    if (upper)
        for (auto& c : w)
            if (c >= L'a' && c <= L'f')
                c = static_cast<wchar_t>(c - 32);
    return w;
}

// Formats a finite or non-finite double like printf's f, e and g conversions
// under the C locale.
std::wstring FormatFloating(double v, wchar_t conv, const Spec& s) {
    bool upper = conv == L'F' || conv == L'E' || conv == L'G';
    wchar_t lower = static_cast<wchar_t>(upper ? conv + 32 : conv);
    std::wstring sign;
    if (std::signbit(v))
        sign = L"-";
    else if (s.plus)
        sign = L"+";
    else if (s.space)
        sign = L" ";
    double a = std::fabs(v);
    if (std::isnan(a) || std::isinf(a)) {
        std::wstring body = std::isnan(a) ? L"nan" : L"inf";
        if (upper)
            body = std::isnan(a) ? L"NAN" : L"INF";
        return sign + body;
    }
    int precision = s.precision < 0 ? 6 : s.precision;
    std::vector<char> buf(400 + static_cast<size_t>(precision));
    std::to_chars_result r{};
    if (lower == L'f') {
        r = std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::fixed,
                          precision);
    } else if (lower == L'e') {
        r = std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::scientific,
                          precision);
    } else {
        int p = precision == 0 ? 1 : precision;
        r = std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::general, p);
        if (s.alt) {
            // '#' keeps trailing zeros: redo with the explicit choice of style.
            int exp10 = 0;
            if (a != 0.0) {
                char eb[64];
                auto er =
                    std::to_chars(eb, eb + sizeof eb, a, std::chars_format::scientific, p - 1);
                std::string es(eb, er.ptr);
                exp10 = std::atoi(es.c_str() + es.find('e') + 1);
            }
            if (exp10 < -4 || exp10 >= p)
                r = std::to_chars(buf.data(), buf.data() + buf.size(), a,
                                  std::chars_format::scientific, p - 1);
            else
                r = std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::fixed,
                                  p - 1 - exp10);
        }
    }
    std::string body(buf.data(), r.ptr);
    if (s.alt && body.find('.') == std::string::npos) {
        auto epos = body.find('e');
        if (epos == std::string::npos)
            body += '.';
        else
            body.insert(body.begin() + static_cast<std::ptrdiff_t>(epos), '.');
    }
    std::wstring w = Widen(body.data(), body.size());
    if (upper)
        for (auto& c : w)
            if (c == L'e')
                c = L'E';
    return sign + w;
}

} // namespace

std::wstring StrPrintfV(const wchar_t* format, va_list args) {
    std::wstring out;
    if (!format)
        return out;
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%') {
            out.push_back(*p);
            continue;
        }
        ++p;
        if (*p == L'%') {
            out.push_back(L'%');
            continue;
        }
        Spec s;
        for (;; ++p) {
            if (*p == L'-')
                s.left = true;
            else if (*p == L'+')
                s.plus = true;
            else if (*p == L' ')
                s.space = true;
            else if (*p == L'#')
                s.alt = true;
            else if (*p == L'0')
                s.zero = true;
            else
                break;
        }
        if (*p == L'*') {
            s.width = va_arg(args, int);
            if (s.width < 0) {
                s.left = true;
                s.width = -s.width;
            }
            ++p;
        } else {
            while (*p >= L'0' && *p <= L'9') {
                s.width = (s.width < 0 ? 0 : s.width) * 10 + (*p - L'0');
                ++p;
            }
        }
        if (*p == L'.') {
            ++p;
            s.precision = 0;
            if (*p == L'*') {
                s.precision = va_arg(args, int);
                ++p;
            } else {
                while (*p >= L'0' && *p <= L'9') {
                    s.precision = s.precision * 10 + (*p - L'0');
                    ++p;
                }
            }
        }
        int length = 0; // 0 int, -1 short, 1 long, 2 long long, 3 size_t
        if (*p == L'h') {
            length = -1;
            ++p;
            if (*p == L'h')
                ++p;
        } else if (*p == L'l') {
            length = 1;
            ++p;
            if (*p == L'l') {
                length = 2;
                ++p;
            }
        } else if (*p == L'z') {
            length = 3;
            ++p;
        } else if (*p == L'L') {
            ++p;
        }
        wchar_t conv = *p;
        if (!conv)
            break;
        switch (conv) {
        case L'd':
        case L'i': {
            long long v;
            if (length == 2)
                v = va_arg(args, long long);
            else if (length == 1)
                v = va_arg(args, long);
            else if (length == 3)
                v = static_cast<long long>(va_arg(args, size_t));
            else
                v = va_arg(args, int);
            unsigned long long mag = v < 0 ? 0ull - static_cast<unsigned long long>(v)
                                           : static_cast<unsigned long long>(v);
            std::wstring digits = FormatUnsigned(mag, 10, false);
            if (s.precision >= 0) {
                if (static_cast<int>(digits.size()) < s.precision)
                    digits.insert(0, static_cast<size_t>(s.precision) - digits.size(), L'0');
                if (s.precision == 0 && mag == 0)
                    digits.clear();
            }
            std::wstring sign = v < 0 ? L"-" : s.plus ? L"+" : s.space ? L" " : L"";
            Spec ps = s;
            if (s.precision >= 0)
                ps.zero = false;
            Pad(out, sign + digits, ps, true);
            break;
        }
        case L'u':
        case L'x':
        case L'X':
        case L'o': {
            unsigned long long v;
            if (length == 2)
                v = va_arg(args, unsigned long long);
            else if (length == 1)
                v = va_arg(args, unsigned long);
            else if (length == 3)
                v = va_arg(args, size_t);
            else
                v = va_arg(args, unsigned int);
            int base = conv == L'u' ? 10 : conv == L'o' ? 8 : 16;
            std::wstring digits = FormatUnsigned(v, base, conv == L'X');
            if (s.precision >= 0) {
                if (static_cast<int>(digits.size()) < s.precision)
                    digits.insert(0, static_cast<size_t>(s.precision) - digits.size(), L'0');
                if (s.precision == 0 && v == 0)
                    digits.clear();
            }
            if (s.alt && v != 0 && base == 16)
                digits.insert(0, conv == L'X' ? L"0X" : L"0x");
            if (s.alt && base == 8 && (digits.empty() || digits[0] != L'0'))
                digits.insert(0, L"0");
            Spec ps = s;
            if (s.precision >= 0)
                ps.zero = false;
            Pad(out, digits, ps, true);
            break;
        }
        case L'c': {
            wchar_t c = static_cast<wchar_t>(va_arg(args, int));
            Pad(out, std::wstring(1, c), s, false);
            break;
        }
        case L's': {
            std::wstring str;
            if (length == -1) {
                const char* a = va_arg(args, const char*);
                str = a ? Utf8ToWide(a) : L"(null)";
            } else {
                const wchar_t* w = va_arg(args, const wchar_t*);
                str = w ? w : L"(null)";
            }
            if (s.precision >= 0 && static_cast<int>(str.size()) > s.precision)
                str.resize(static_cast<size_t>(s.precision));
            Pad(out, str, s, false);
            break;
        }
        case L'f':
        case L'F':
        case L'e':
        case L'E':
        case L'g':
        case L'G': {
            double v = va_arg(args, double);
            if (std::isfinite(v) && !s.alt && s.width < 0 && s.precision <= 64 &&
                (conv == L'f' || conv == L'e' || conv == L'g')) {
                // The common plain conversions go straight into the output
                // (documents write coordinates in bulk).
                char buffer[400];
                char* d = buffer;
                if (std::signbit(v))
                    *d++ = '-';
                else if (s.plus)
                    *d++ = '+';
                else if (s.space)
                    *d++ = ' ';
                const int precision = s.precision < 0 ? 6 : s.precision;
                char* const end = buffer + sizeof buffer;
                if (conv == L'f')
                    d = std::to_chars(d, end, std::fabs(v), std::chars_format::fixed, precision)
                            .ptr;
                else if (conv == L'e')
                    d = std::to_chars(d, end, std::fabs(v), std::chars_format::scientific,
                                      precision)
                            .ptr;
                else
                    d = std::to_chars(d, end, std::fabs(v), std::chars_format::general,
                                      precision == 0 ? 1 : precision)
                            .ptr;
                out.append(static_cast<const char*>(buffer), static_cast<const char*>(d));
                break;
            }
            std::wstring body = FormatFloating(v, conv, s);
            Pad(out, body, s, std::isfinite(v));
            break;
        }
        default:
            out.push_back(L'%');
            out.push_back(conv);
            break;
        }
    }
    return out;
}

namespace {

// "00" to "99": numbers are written two digits at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> t{};
    for (int i = 0; i < 100; ++i) {
        t[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        t[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return t;
}();

// Writes `count` decimal digits of value, with leading zeros; returns the end.
wchar_t* DigitsTo(wchar_t* out, uint32_t value, int count) {
    wchar_t* const end = out + count;
    wchar_t* d = end;
    for (; count >= 2; count -= 2) {
        const char* pair = &kDigitPairs[2 * (value % 100)];
        value /= 100;
        *--d = static_cast<wchar_t>(pair[1]);
        *--d = static_cast<wchar_t>(pair[0]);
    }
    if (count)
        *--d = static_cast<wchar_t>(L'0' + value % 10);
    return end;
}

// value (below 10000) in as few digits as it takes; returns the end.
inline wchar_t* SmallIntegerTo(wchar_t* out, uint32_t value) {
    auto pair = [](wchar_t* d, uint32_t v) {
        d[0] = static_cast<wchar_t>(kDigitPairs[2 * v]);
        d[1] = static_cast<wchar_t>(kDigitPairs[2 * v + 1]);
    };
    if (value < 10) {
        out[0] = static_cast<wchar_t>(L'0' + value);
        return out + 1;
    }
    if (value < 100) {
        pair(out, value);
        return out + 2;
    }
    if (value < 1000) {
        out[0] = static_cast<wchar_t>(L'0' + value / 100);
        pair(out + 1, value % 100);
        return out + 3;
    }
    pair(out, value / 100);
    pair(out + 2, value % 100);
    return out + 4;
}

int DigitCount(uint32_t value) {
    int count = 1;
    for (; value >= 100; value /= 100)
        count += 2;
    return value >= 10 ? count + 1 : count;
}

// What "%.<precision>f" writes for a non-negative value that is a float
// below 1e9, precision 0 to 6; returns the end. Scaled by at most 10^6 such
// a float still fits the 53 bits of a double exactly, and below 2^52 adding
// and taking away 2^52 rounds to an integer, ties to even, as the exact
// conversion rounds.
wchar_t* SmallFixedTo(wchar_t* out, double magnitude, int precision) {
    static constexpr uint32_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    const double exact = magnitude * static_cast<double>(kPow10[precision]);
    const uint64_t scaled = static_cast<uint64_t>((exact + 0x1p52) - 0x1p52);

    // Three decimals is what coordinates are written with: a division by a
    // constant the compiler can turn into a multiplication.
    const uint64_t whole64 = precision == 3 ? scaled / 1000 : scaled / kPow10[precision];
    const auto whole = static_cast<uint32_t>(whole64);
    out = DigitsTo(out, whole, DigitCount(whole));
    if (precision > 0) {
        *out++ = L'.';
        out = DigitsTo(out, static_cast<uint32_t>(scaled - whole64 * kPow10[precision]), precision);
    }
    return out;
}

// "%.3f" of a non-negative float below 10000, which is what coordinates
// are written with, without loops; returns the end. The rounding is the one
// of SmallFixedTo.
inline wchar_t* Fixed3To(wchar_t* out, double magnitude) {
    const auto scaled =
        static_cast<uint32_t>(static_cast<uint64_t>((magnitude * 1000.0 + 0x1p52) - 0x1p52));
    const uint32_t whole = scaled / 1000, fraction = scaled - whole * 1000;
    out = SmallIntegerTo(out, whole);
    out[0] = L'.';
    out[1] = static_cast<wchar_t>(L'0' + fraction / 100);
    out[2] = static_cast<wchar_t>(kDigitPairs[2 * (fraction % 100)]);
    out[3] = static_cast<wchar_t>(kDigitPairs[2 * (fraction % 100) + 1]);
    return out + 4;
}

bool IsSmallFloat(double magnitude, int precision) {
    return precision >= 0 && precision <= 6 && magnitude < 1e9 &&
           static_cast<double>(static_cast<float>(magnitude)) == magnitude;
}

} // namespace

void AppendFixed(std::wstring& out, double value, int precision) {
    const double magnitude = std::fabs(value);
    if (IsSmallFloat(magnitude, precision)) {
        wchar_t buffer[32];
        wchar_t* d = buffer;
        if (std::signbit(value))
            *d++ = L'-';
        d = SmallFixedTo(d, magnitude, precision);
        out.append(buffer, d);
        return;
    }
    out += StrPrintf(L"%.*f", precision, value);
}

wchar_t* FormatFixedTo(wchar_t* out, float value, int precision) {
    const double magnitude = std::fabs(static_cast<double>(value));
    // A float is exact as a double, and below 9999.9995 it rounds to at most
    // four digits before the point.
    if (precision == 3 && magnitude < 9999.999) {
        if (std::signbit(value))
            *out++ = L'-';
        return Fixed3To(out, magnitude);
    }
    if (IsSmallFloat(magnitude, precision)) {
        if (std::signbit(value))
            *out++ = L'-';
        return SmallFixedTo(out, magnitude, precision);
    }
    const std::wstring text = StrPrintf(L"%.*f", precision, static_cast<double>(value));
    return std::copy(text.begin(), text.end(), out);
}

wchar_t* FormatIntegerTo(wchar_t* out, long long value) {
    uint64_t magnitude =
        value < 0 ? 0ull - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    wchar_t buffer[24];
    wchar_t* const end = buffer + 24;
    wchar_t* d = end;
    do {
        *--d = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        *--d = L'-';
    return std::copy(d, end, out);
}

void AppendInteger(std::wstring& out, long long value) {
    wchar_t buffer[24];
    out.append(buffer, FormatIntegerTo(buffer, value));
}

std::wstring StrPrintf(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring s = StrPrintfV(format, args);
    va_end(args);
    return s;
}

namespace {

// What "%.*g" writes for a finite value and a precision of 0 to 64, as bytes;
// returns the end. Documents write numbers in bulk, and this way has no
// format to read and no wide temporaries.
char* FormatGeneralTo(char* out, char* end, double value, int significantDigits) {
    if (std::signbit(value))
        *out++ = '-';
    return std::to_chars(out, end, std::fabs(value), std::chars_format::general,
                         significantDigits == 0 ? 1 : significantDigits)
        .ptr;
}

} // namespace

std::wstring FormatGeneral(double value, int significantDigits) {
    if (!std::isfinite(value) || significantDigits < 0 || significantDigits > 64)
        return StrPrintf(L"%.*g", significantDigits, value);
    char buffer[400];
    const char* end = FormatGeneralTo(buffer, buffer + sizeof buffer, value, significantDigits);
    return std::wstring(static_cast<const char*>(buffer), end);
}

namespace {

// The short cut of FormatFloat and FormatFloatRoundTrip for the usual
// document values: when "%.6g" of value takes the fixed form with at most 8
// decimals (and, with roundTrip, reads back to value), writes that text into
// out and returns its end (else null). Scaled by 10^8 a float still fits the
// 53 bits of a double, so the rounding to six significant digits is exact.
wchar_t* ShortGeneral(float value, wchar_t* out, bool roundTrip) {
    static constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    const double magnitude = std::fabs(static_cast<double>(value));
    if (!(magnitude >= 1e-3 && magnitude < 1e6))
        return nullptr;
    // The decimal exponent of magnitude: 10^exponent <= magnitude.
    int exponent = 5;
    while (exponent >= 0 && magnitude < kPow10[exponent])
        --exponent;
    if (exponent < 0) {
        exponent = -1;
        while (magnitude * kPow10[-exponent] < 1)
            --exponent;
    }
    int decimals = 5 - exponent;
    double scaled = (magnitude * kPow10[decimals] + 0x1p52) - 0x1p52;
    if (scaled >= 1e6) {
        // Rounding carried into the next decade.
        if (decimals == 0)
            return nullptr;
        --decimals;
        scaled = (magnitude * kPow10[decimals] + 0x1p52) - 0x1p52;
    }
    if (roundTrip && static_cast<float>(scaled / kPow10[decimals]) != static_cast<float>(magnitude))
        return nullptr;
    uint32_t digits = static_cast<uint32_t>(scaled);
    while (decimals > 0 && digits % 10 == 0) {
        digits /= 10;
        --decimals;
    }
    wchar_t buffer[24];
    wchar_t* const end = buffer + 24;
    wchar_t* d = end;
    for (int i = 0; i < decimals; ++i) {
        *--d = static_cast<wchar_t>(L'0' + digits % 10);
        digits /= 10;
    }
    if (decimals > 0)
        *--d = L'.';
    do {
        *--d = static_cast<wchar_t>(L'0' + digits % 10);
        digits /= 10;
    } while (digits);
    if (std::signbit(value))
        *--d = L'-';
    return std::copy(d, end, out);
}

} // namespace

wchar_t* FormatFloatTo(wchar_t* out, float value) {
    if (wchar_t* end = ShortGeneral(value, out, false))
        return end;
    char buffer[64];
    if (std::isfinite(value)) {
        const char* end = FormatGeneralTo(buffer, buffer + sizeof buffer, value, 6);
        return std::copy(static_cast<const char*>(buffer), end, out);
    }
    const std::wstring text = FormatGeneral(value, 6);
    return std::copy(text.begin(), text.end(), out);
}

std::wstring FormatFloat(float value) {
    wchar_t buffer[kFloatTextSize];
    return std::wstring(buffer, FormatFloatTo(buffer, value));
}

wchar_t* FormatFloatRoundTripTo(wchar_t* out, float value) {
    if (wchar_t* end = ShortGeneral(value, out, true))
        return end;
    std::wstring text;
    if (std::isfinite(value)) {
        char buffer[400];
        for (int digits = 6; digits < 9 && text.empty(); ++digits) {
            const char* end = FormatGeneralTo(buffer, buffer + sizeof buffer, value, digits);
            // The text read back as ParseDouble reads it: the correctly
            // rounded double of the decimal.
            const bool negative = buffer[0] == '-';
            double back = 0;
            std::from_chars(buffer + (negative ? 1 : 0), end, back);
            if (static_cast<float>(negative ? -back : back) == value)
                text.assign(static_cast<const char*>(buffer), end);
        }
    } else {
        for (int digits = 6; digits < 9 && text.empty(); ++digits) {
            std::wstring candidate = FormatGeneral(value, digits);
            float back = static_cast<float>(ParseDouble(candidate.c_str()));
            if (back == value || (std::isnan(back) && std::isnan(value)))
                text = std::move(candidate);
        }
    }
    if (text.empty())
        text = FormatGeneral(value, 9);
    return std::copy(text.begin(),
                     text.begin() + std::min<std::size_t>(text.size(), kFloatTextSize), out);
}

std::wstring FormatFloatRoundTrip(float value) {
    wchar_t buffer[kFloatTextSize];
    return std::wstring(buffer, FormatFloatRoundTripTo(buffer, value));
}

bool IsLetterOrDigit(wchar_t c) {
    const auto code = static_cast<char32_t>(c);
    return code <= 0x10FFFF && QChar::isLetterOrNumber(code);
}

std::wstring FoldCase(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (c < 128)
            out += (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
        else
            out += static_cast<wchar_t>(QChar::toCaseFolded(static_cast<char32_t>(c)));
    }
    return out;
}
