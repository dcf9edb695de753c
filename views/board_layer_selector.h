// The board editor's layer selector and layer keys as plain arithmetic: the
// entries of the selector (0 "Select layer", 1 Top, 2 Bottom, then the
// board's inner layers in id order, then the ten documentation layers 22-31),
// the layer an entry or a digit key stands for, and the key hint an entry
// shows. innerIds lists the ids (2-21) of the board's inner layers in
// ascending order.
#pragma once

#include <string>
#include <vector>

// No layer change (a digit key that stands for nothing).
constexpr int kNoLayerChange = -2;

// The entry that shows a layer (-1, the outline, shows as entry 0).
int LayerSelectorEntry(int layer, const std::vector<int>& innerIds);
// The layer of entry k + 1, which the selector sends as command 33000 + k;
// kNoLayerChange when there is no such entry.
int LayerOfSelectorCommand(int k, const std::vector<int>& innerIds);
// The layer an entry shows (entry 0: -1).
int LayerOfSelectorEntry(int entry, const std::vector<int>& innerIds);
// The key hint drawn at the right of entry index in the open list ("1",
// "Shift+3", "Ctrl+2"); empty for inner layers 11 to 20.
std::wstring LayerSelectorKeyHint(int index, int innerCount);
// The layer a digit key makes current: '1' Top, '2' Bottom, '0' the outline;
// with Shift '1'-'9' the layers 22-30 and '0' 31; with Ctrl '1'-'9' inner
// layer d when the board has that many and '0' inner layer 10 (id 11).
int LayerOfDigitKey(int digit, bool shift, bool ctrl, int innerCount);
// Text on a swatch: white on dark colours, black on light ones.
bool IsDarkSwatch(unsigned colorRef);
