#include "platform/string_table.h"

#include "resources/string_table.h"

#include <algorithm>

namespace {
const StringTableEntry* Find(unsigned id) {
    int count = 0;
    const StringTableEntry* entries = GetStringTableEntries(&count);
    const StringTableEntry* end = entries + count;
    const StringTableEntry* it = std::lower_bound(
        entries, end, id, [](const StringTableEntry& e, unsigned key) { return e.id < key; });
    return it != end && it->id == id ? it : nullptr;
}
} // namespace

std::wstring LoadStringText(unsigned id) {
    const StringTableEntry* e = Find(id);
    return e && e->text ? std::wstring(e->text) : std::wstring();
}

bool HasStringText(unsigned id) {
    return Find(id) != nullptr;
}
