#include "views/board_layer_selector.h"

#include "platform/text.h"

#include <algorithm>

namespace {
constexpr int kFirstDocumentationLayer = 22;
constexpr int kLastLayer = 31;
} // namespace

int LayerSelectorEntry(int layer, const std::vector<int>& innerIds) {
    const int n = static_cast<int>(innerIds.size());
    if (layer < 0)
        return 0;
    if (layer < 2)
        return layer + 1;
    if (layer < kFirstDocumentationLayer) {
        // Where the board's stackup skips inner layers the entries close up.
        auto it = std::find(innerIds.begin(), innerIds.end(), layer);
        return it == innerIds.end() ? -1 : 3 + static_cast<int>(it - innerIds.begin());
    }
    if (layer <= kLastLayer)
        return layer - 20 + n + 1;
    return -1;
}

int LayerOfSelectorCommand(int k, const std::vector<int>& innerIds) {
    const int n = static_cast<int>(innerIds.size());
    if (k < 0)
        return kNoLayerChange;
    if (k < 2)
        return k;
    if (k < n + 2)
        return innerIds[static_cast<size_t>(k - 2)];
    const int layer = k - n + 20;
    return layer <= kLastLayer ? layer : kNoLayerChange;
}

int LayerOfSelectorEntry(int entry, const std::vector<int>& innerIds) {
    return entry == 0 ? -1 : LayerOfSelectorCommand(entry - 1, innerIds);
}

std::wstring LayerSelectorKeyHint(int index, int innerCount) {
    if (index >= 0 && index <= 2)
        return StrPrintf(L"%d", index);
    if (index > innerCount + 2)
        return StrPrintf(L"Shift+%d", (index - innerCount - 2) % 10);
    if (index >= 3 && index <= 12)
        return StrPrintf(L"Ctrl+%d", (index - 2) % 10);
    return L"";
}

int LayerOfDigitKey(int digit, bool shift, bool ctrl, int innerCount) {
    if (digit < 0 || digit > 9)
        return kNoLayerChange;
    if (shift)
        return digit == 0 ? kLastLayer : kFirstDocumentationLayer + digit - 1;
    if (ctrl) {
        if (digit == 0)
            return 11;
        return digit <= innerCount ? digit + 1 : kNoLayerChange;
    }
    switch (digit) {
    case 0:
        return -1;
    case 1:
        return 0;
    case 2:
        return 1;
    default:
        return kNoLayerChange;
    }
}

bool IsDarkSwatch(unsigned colorRef) {
    const double r = colorRef & 0xFF, g = (colorRef >> 8) & 0xFF, b = (colorRef >> 16) & 0xFF;
    return 0.299 * r + 0.587 * g + 0.114 * b <= 127.5;
}
