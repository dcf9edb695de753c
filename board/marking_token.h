// Reading and writing the numbers of marking-text tokens: a scanner with the
// rules of a "%f,%f...W%f" scan (each number may follow blanks, literals must
// match exactly, the first failure ends the scan and leaves the rest
// unread), and the general number form of the writer.
#pragma once

#include "platform/text.h"

#include <cmath>
#include <cwctype>
#include <string>

// Set by a scan that meets a number that is not finite. A reader of marking
// text clears it before each token and ends the text at a token that sets it.
inline thread_local bool g_markingNumberNotFinite = false;

class MarkingScanner {
public:
    explicit MarkingScanner(const wchar_t* text) : p_(text) {}

    // One number. A value that is not finite as a float (inf, nan, out of
    // range) counts as unread: it would poison every shape built from it.
    bool Float(float* out) {
        if (!ok_)
            return false;
        const wchar_t* q = p_;
        while (*q && std::iswspace(static_cast<wint_t>(*q)))
            ++q;
        const wchar_t* end = q;
        const double v = ParseDouble(q, &end);
        const float f = static_cast<float>(v);
        if (end != q && !std::isfinite(f))
            g_markingNumberNotFinite = true;
        if (end == q || !std::isfinite(f))
            return ok_ = false;
        *out = f;
        p_ = end;
        return true;
    }
    bool Literal(wchar_t c) {
        if (!ok_ || *p_ != c)
            return ok_ = false;
        ++p_;
        return true;
    }
    bool Ok() const { return ok_; }
    const wchar_t* Position() const { return p_; }

private:
    const wchar_t* p_;
    bool ok_ = true;
};

// The writer's number form: %g with the given significant digits.
inline std::wstring MarkingNumber(float v, int digits = 6) {
    return FormatGeneral(v, digits);
}
