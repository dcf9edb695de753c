#include "core/board_layer.h"

namespace {
const wchar_t* const kCodes[kBoardLayerCount] = {
    L"TOP", L"BOT", L"I01", L"I02", L"I03", L"I04", L"I05", L"I06", L"I07", L"I08", L"I09",
    L"I10", L"I11", L"I12", L"I13", L"I14", L"I15", L"I16", L"I17", L"I18", L"I19", L"I20",
    L"SST", L"SSB", L"AST", L"ASB", L"SMT", L"SMB", L"SPT", L"SPB", L"OLT", L"OLB",
};
} // namespace

const wchar_t* LayerToCode(int layer) {
    return layer >= 0 && layer < kBoardLayerCount ? kCodes[layer] : L"";
}

std::wstring_view LayerCode(int layer) {
    // Every code has three characters.
    return layer >= 0 && layer < kBoardLayerCount ? std::wstring_view(kCodes[layer], 3)
                                                  : std::wstring_view();
}

int LayerFromCode(std::wstring_view code) {
    if (code.size() != 3)
        return -1;
    for (int i = 0; i < kBoardLayerCount; ++i) {
        const wchar_t* c = kCodes[i];
        if (c[0] == code[0] && c[1] == code[1] && c[2] == code[2])
            return i;
    }
    return -1;
}
