#include "dialogs/palette_file.h"

#include "core/default_settings.h"
#include "platform/file.h"
#include "platform/ini_file.h"
#include "platform/text.h"

namespace {
// A COLORREF holds blue, green and red; a file's higher bits mean nothing.
constexpr COLORREF kColorBits = 0x00FFFFFF;
} // namespace

void LoadPalette(const std::wstring& path, const std::wstring& section,
                 const std::vector<std::wstring>& names, DefaultSettings& settings) {
    IniFile file;
    if (!file.Load(path))
        return;
    for (const std::wstring& name : names) {
        COLORREF* color = settings.ColorByName(name);
        if (!color)
            continue;
        int value = file.GetInt(section, name, static_cast<int>(*color));
        *color = static_cast<COLORREF>(value) & kColorBits;
    }
}

bool SavePalette(const std::wstring& path, const std::wstring& section,
                 const std::vector<std::wstring>& names, const DefaultSettings& settings) {
    IniFile file;
    if (!file.Load(path) && FileExists(path))
        return false;
    for (const std::wstring& name : names)
        if (const COLORREF* color = settings.ColorByName(name))
            file.SetString(section, name, StrPrintf(L"%u", static_cast<unsigned>(*color)));
    return file.Save(path);
}
