#include "views/pad_numbering.h"

#include "board/footprint.h"
#include "board/pad.h"
#include "board/pad_walk.h"
#include "core/node_type.h"

#include <climits>
#include <cstdint>

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

bool IsUpper(wchar_t c) {
    return c >= L'A' && c <= L'Z';
}

bool IsLower(wchar_t c) {
    return c >= L'a' && c <= L'z';
}

bool IsAsciiLetter(wchar_t c) {
    return IsUpper(c) || IsLower(c);
}

// The letters a grid row may carry, in order (same in lower case).
constexpr wchar_t kRowLetters[] = L"ABCDEFGHJKLMNPRTUVWY";
constexpr int kRowLetterCount = 20;

wchar_t InCase(wchar_t upper, bool lower) {
    return lower ? static_cast<wchar_t>(upper - L'A' + L'a') : upper;
}

// The first row letter after c, or 0 past the last one.
wchar_t NextRowLetter(wchar_t c) {
    const bool lower = IsLower(c);
    const wchar_t upper = lower ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    for (int i = 0; i < kRowLetterCount; ++i)
        if (kRowLetters[i] > upper)
            return InCase(kRowLetters[i], lower);
    return 0;
}

// The last row letter before c, or 0 at (or below) the first one.
wchar_t PreviousRowLetter(wchar_t c) {
    const bool lower = IsLower(c);
    const wchar_t upper = lower ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    for (int i = kRowLetterCount - 1; i >= 0; --i)
        if (kRowLetters[i] < upper)
            return InCase(kRowLetters[i], lower);
    return 0;
}

// Where the trailing run of letters of a prefix begins.
size_t LetterRunStart(const std::wstring& prefix) {
    size_t start = prefix.size();
    while (start > 0 && IsAsciiLetter(prefix[start - 1]))
        --start;
    return start;
}

std::wstring NumberText(const std::wstring& prefix, int number) {
    return prefix + std::to_wstring(number);
}

} // namespace

PadNumberParts SplitPadNumber(const std::wstring& text) {
    PadNumberParts parts;
    size_t i = 0;
    while (i < text.size() && !IsDigit(text[i]))
        ++i;
    parts.prefix = text.substr(0, i);
    int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > INT_MAX)
            value = INT_MAX; // keeps growing no further
    }
    parts.number = static_cast<int>(value);
    return parts;
}

std::wstring AdvancePadPrefix(const std::wstring& prefix) {
    const size_t start = LetterRunStart(prefix);
    if (start == prefix.size())
        return prefix + L"A";
    std::wstring out = prefix;
    for (size_t i = out.size(); i-- > start;) {
        if (const wchar_t next = NextRowLetter(out[i])) {
            out[i] = next;
            return out;
        }
        out[i] = InCase(L'A', IsLower(out[i]));
    }
    // Every letter carried: one more letter in front.
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(start), InCase(L'A', IsLower(out[start])));
    return out;
}

std::wstring StepBackPadPrefix(const std::wstring& prefix) {
    const size_t start = LetterRunStart(prefix);
    if (start == prefix.size())
        return prefix + L"A";
    bool allFirst = true;
    for (size_t i = start; i < prefix.size(); ++i)
        allFirst = allFirst && PreviousRowLetter(prefix[i]) == 0;
    if (allFirst) {
        // "A" is the first row; "AA" comes after "Y", "AAA" after "YY".
        if (prefix.size() - start == 1)
            return prefix;
        std::wstring out = prefix.substr(0, start);
        for (size_t i = start + 1; i < prefix.size(); ++i)
            out += InCase(L'Y', IsLower(prefix[i]));
        return out;
    }
    std::wstring out = prefix;
    for (size_t i = out.size(); i-- > start;) {
        if (const wchar_t previous = PreviousRowLetter(out[i])) {
            out[i] = previous;
            return out;
        }
        out[i] = InCase(L'Y', IsLower(out[i]));
    }
    return out;
}

void AssignNextPadNumber(CFootprint* footprint, CPad* pad) {
    if (!footprint || !pad)
        return;
    // Plain numbering as soon as one numbered pad has a bare number; the
    // order the pads come in makes no difference.
    bool anyNumbered = false;
    bool anyBare = false;
    ForEachPadIn(footprint, [&](CPad* p) {
        if (p->m_num.empty())
            return;
        anyNumbered = true;
        if (SplitPadNumber(p->m_num).prefix.empty())
            anyBare = true;
    });
    if (!anyNumbered || anyBare) {
        for (int n = 1; n < INT_MAX; ++n) {
            const std::wstring text = std::to_wstring(n);
            if (!footprint->FindPadByNumber(text)) {
                pad->m_num = text;
                return;
            }
        }
        return;
    }

    CPad* left = nullptr;
    CPad* right = nullptr;
    CPad* top = nullptr;
    CPad* bottom = nullptr;
    footprint->FindAlignedEndPads(pad, true, left, right);
    footprint->FindAlignedEndPads(pad, false, top, bottom);
    const PointF at = pad->m_boardPosition;
    if (right && bottom) {
        pad->m_num =
            NumberText(SplitPadNumber(right->m_num).prefix, SplitPadNumber(bottom->m_num).number);
    } else if (right) {
        if (at.X >= right->m_boardPosition.X) {
            const PadNumberParts parts = SplitPadNumber(right->m_num);
            pad->m_num =
                NumberText(parts.prefix, parts.number < INT_MAX ? parts.number + 1 : parts.number);
        } else if (at.X <= left->m_boardPosition.X) {
            const PadNumberParts parts = SplitPadNumber(left->m_num);
            pad->m_num = NumberText(parts.prefix, parts.number > 0 ? parts.number - 1 : 0);
        }
    } else if (bottom) {
        if (at.Y <= bottom->m_boardPosition.Y) {
            const PadNumberParts parts = SplitPadNumber(bottom->m_num);
            pad->m_num = NumberText(AdvancePadPrefix(parts.prefix), parts.number);
        } else if (at.Y >= top->m_boardPosition.Y) {
            const PadNumberParts parts = SplitPadNumber(top->m_num);
            pad->m_num = NumberText(StepBackPadPrefix(parts.prefix), parts.number);
        }
    }
}
