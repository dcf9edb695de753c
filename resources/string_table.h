// The program's string table: id/text pairs the code loads by id.
#pragma once

struct StringTableEntry {
    unsigned id;
    const wchar_t* text;
};

// The entries, sorted by id.
const StringTableEntry* GetStringTableEntries(int* count);
