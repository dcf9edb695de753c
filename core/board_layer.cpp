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

int LayerFromCode(const std::wstring& code) {
    for (int i = 0; i < kBoardLayerCount; ++i)
        if (code == kCodes[i])
            return i;
    return -1;
}
