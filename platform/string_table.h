// Texts of the program's string table by id, in place of the original
// platform's string resources.
#pragma once

#include <string>

// The text with that id; empty when the table has none.
std::wstring LoadStringText(unsigned id);
// Whether the table holds the id (a text may be empty on purpose).
bool HasStringText(unsigned id);
