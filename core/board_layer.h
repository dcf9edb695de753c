// Board layer ids and their file codes.
#pragma once

#include <string>
#include <string_view>

// A layer of the 32-layer stackup; -1 stands for the board outline.
enum BoardLayer : int {
    kLayerOutline = -1,
    kLayerTop = 0,
    kLayerBottom = 1,
    kLayerInner1 = 2, // inner layer n is kLayerInner1 + n - 1
    kLayerInner20 = 21,
    kLayerSilkscreenTop = 22,
    kLayerSilkscreenBottom = 23,
    kLayerAssemblyTop = 24,
    kLayerAssemblyBottom = 25,
    kLayerSolderMaskTop = 26,
    kLayerSolderMaskBottom = 27,
    kLayerSolderPasteTop = 28,
    kLayerSolderPasteBottom = 29,
    kLayerPackageOutlineTop = 30,
    kLayerPackageOutlineBottom = 31,
};

constexpr int kBoardLayerCount = 32;

// The file code of layer id 0-31 ("TOP", "BOT", "I01".."I20", "SST", "SSB",
// "AST", "ASB", "SMT", "SMB", "SPT", "SPB", "OLT", "OLB"); "" for any other id.
const wchar_t* LayerToCode(int layer);
// The same code as a view (empty for any other id), for writers that need no
// length count.
std::wstring_view LayerCode(int layer);
// The id whose code equals the text exactly (case-sensitive); -1 otherwise.
int LayerFromCode(std::wstring_view code);
