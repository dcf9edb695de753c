#include "resources/string_table.h"

namespace {
// Sorted by id.
const StringTableEntry kEntries[] = {
    {170, L"inch"},
    {171, L"mm"},
    {172, L"mil"},
    {173, L"\u03bcm"},
};
} // namespace

const StringTableEntry* GetStringTableEntries(int* count) {
    *count = static_cast<int>(sizeof kEntries / sizeof kEntries[0]);
    return kEntries;
}
