#include "core/default_settings.h"

#include "platform/file.h"
#include "platform/ini_file.h"
#include "platform/settings_store.h"
#include "platform/text.h"

#include <cmath>

DefaultSettings g_DefaultSettings;

const wchar_t* const DefaultSettings::kKeyPath = L"Software\\Vorpel\\DefaultSettings";
const wchar_t* const DefaultSettings::kSchematicPalette = L"SchColor";
const wchar_t* const DefaultSettings::kBoardPalette = L"BrdColor";

namespace {

constexpr COLORREF kLayerDefaults[kBoardLayerCount] = {
    0x00FF0000, 0x000000FF, 0x0000FF00, 0x00FFFF00, 0x00C0FFFF, 0x00FFFFC0, 0x00C0FFC0, 0x0080FFFF,
    0x00FFFF80, 0x0080FF80, 0x0080FFC0, 0x00C0FF80, 0x00FFFF40, 0x00C0FF40, 0x0080FF40, 0x0040FF40,
    0x00808080, 0x00C08080, 0x0080C080, 0x00C0C080, 0x00FFFFFF, 0x00FFFFFF, 0x00E8E8E8, 0x0000FFFF,
    0x0080FF00, 0x0000FF80, 0x00FF8000, 0x000080FF, 0x00FF0080, 0x008000FF, 0x00FF4040, 0x004040FF,
};

// Units outside the four known ones would index the unit tables out of range.
constexpr uint32_t kUnitCount = 4;

// A NaN or infinite length (a damaged or hand-edited value) would pass every
// range check after it and be written back: it counts as a wrong value.
void ReadFloat(const SettingsKey& key, const wchar_t* name, float& value) {
    float v;
    if (key.QueryFloat(name, &v) == SettingsResult::Ok && std::isfinite(v))
        value = v;
}

void ReadColor(const SettingsKey& key, const std::wstring& name, COLORREF* value) {
    uint32_t v;
    if (value && key.QueryNumber(name, &v) == SettingsResult::Ok)
        *value = v;
}

void ReadUnit(const SettingsKey& key, int& unit) {
    uint32_t v;
    if (key.QueryNumber(L"Unit", &v) == SettingsResult::Ok && v < kUnitCount)
        unit = static_cast<int>(v);
}

void ReadFont(const SettingsKey& key, LogFont& font) {
    std::wstring face;
    if (key.QueryString(L"Font", &face) != SettingsResult::Ok)
        return;
    // The name stops at its first NUL as the stored C string would, and at
    // the room of the record's face-name field.
    face = face.substr(0, face.find(L'\0'));
    if (face.size() > LogFont::kMaxFaceName)
        face.resize(LogFont::kMaxFaceName);
    font.lfFaceName = face;
}

} // namespace

DefaultSettings::DefaultSettings() {
    font.lfFaceName = L"Arial Unicode MS";
    font.lfQuality = 2; // proof quality
    for (int i = 0; i < kBoardLayerCount; ++i)
        layerColors[i] = kLayerDefaults[i];
    for (COLORREF& c : customColors)
        c = 0x00FFFFFF;
}

const std::vector<std::wstring>& DefaultSettings::SchematicColorNames() {
    static const std::vector<std::wstring> names = {
        L"ColorBkg",  L"ColorSel", L"ColorGrid",   L"ColorDot",     L"ColorBrd",
        L"ColorWire", L"ColorBus", L"ColorSymbol", L"ColorComment",
    };
    return names;
}

const std::vector<std::wstring>& DefaultSettings::BoardColorNames() {
    static const std::vector<std::wstring> names = [] {
        std::vector<std::wstring> n = {L"ColorBoard",     L"ColorOrg",     L"ColorOutline",
                                       L"ColorBoardGrid", L"ColorAirWire", L"ColorDrill"};
        for (int i = 0; i < kBoardLayerCount; ++i)
            n.push_back(std::wstring(L"Color") + LayerToCode(i));
        return n;
    }();
    return names;
}

COLORREF* DefaultSettings::ColorByName(const std::wstring& name) {
    struct Entry {
        const wchar_t* name;
        COLORREF DefaultSettings::*member;
    };
    static const Entry kNamed[] = {
        {L"ColorBkg", &DefaultSettings::colorBkg},
        {L"ColorSel", &DefaultSettings::colorSel},
        {L"ColorGrid", &DefaultSettings::colorGrid},
        {L"ColorDot", &DefaultSettings::colorDot},
        {L"ColorBrd", &DefaultSettings::colorBrd},
        {L"ColorWire", &DefaultSettings::colorWire},
        {L"ColorBus", &DefaultSettings::colorBus},
        {L"ColorSymbol", &DefaultSettings::colorSymbol},
        {L"ColorComment", &DefaultSettings::colorComment},
        {L"ColorBoard", &DefaultSettings::colorBoard},
        {L"ColorOrg", &DefaultSettings::colorOrg},
        {L"ColorOutline", &DefaultSettings::colorOutline},
        {L"ColorBoardGrid", &DefaultSettings::colorBoardGrid},
        {L"ColorAirWire", &DefaultSettings::colorAirWire},
        {L"ColorDrill", &DefaultSettings::colorDrill},
    };
    for (const Entry& e : kNamed)
        if (name == e.name)
            return &(this->*e.member);
    if (name.size() == 8 && name.compare(0, 5, L"Color") == 0) {
        int layer = LayerFromCode(name.substr(5));
        if (layer >= 0)
            return &layerColors[layer];
    }
    return nullptr;
}

void DefaultSettings::Load() {
    SettingsKey key;
    if (!key.Create(kKeyPath))
        return;
    ReadFont(key, font);
    ReadUnit(key, unit);
    ReadFloat(key, L"SheetWidth", sheetWidth);
    ReadFloat(key, L"SheetHeight", sheetHeight);
    ReadFloat(key, L"GridWidth", gridWidth);
    ReadFloat(key, L"WireWidth", wireWidth);
    ReadFloat(key, L"BusWidth", busWidth);
    ReadFloat(key, L"ConnCircle", connCircle);
    for (const auto& name : SchematicColorNames())
        ReadColor(key, name, ColorByName(name));
    for (const auto& name : BoardColorNames())
        ReadColor(key, name, ColorByName(name));
}

void DefaultSettings::LoadSheetSizePage() {
    SettingsKey key;
    if (!key.Create(kKeyPath))
        return;
    ReadUnit(key, unit);
    uint32_t v;
    if (key.QueryNumber(L"SheetSizeStd", &v) == SettingsResult::Ok)
        sheetSizeStd = v;
    ReadFloat(key, L"SheetWidth", sheetWidth);
    ReadFloat(key, L"SheetHeight", sheetHeight);
    ReadFloat(key, L"GridWidth", gridWidth);
}

uint32_t DefaultSettings::ReadSheetSizeSeries() {
    SettingsKey key;
    uint32_t v = 3;
    if (key.Open(kKeyPath) && key.QueryNumber(L"SheetSizeStd", &v) != SettingsResult::Ok)
        v = 3;
    return v;
}

void DefaultSettings::StoreSheetSizePage() const {
    SettingsKey key;
    if (!key.Create(kKeyPath))
        return;
    key.SetNumber(L"Unit", static_cast<uint32_t>(unit));
    key.SetNumber(L"SheetSizeStd", sheetSizeStd);
    key.SetFloat(L"SheetWidth", sheetWidth);
    key.SetFloat(L"SheetHeight", sheetHeight);
    key.SetFloat(L"GridWidth", gridWidth);
}

void DefaultSettings::StoreSchematicColorsPage() const {
    SettingsKey key;
    if (!key.Create(kKeyPath))
        return;
    key.SetString(L"Font", font.lfFaceName);
    key.SetNumber(L"Unit", static_cast<uint32_t>(unit));
    key.SetFloat(L"WireWidth", wireWidth);
    key.SetFloat(L"BusWidth", busWidth);
    key.SetFloat(L"ConnCircle", connCircle);
    for (const auto& name : SchematicColorNames())
        key.SetNumber(name, *ColorByName(name));
}

void DefaultSettings::StoreBoardColorsPage() const {
    SettingsKey key;
    if (!key.Create(kKeyPath))
        return;
    for (const auto& name : BoardColorNames())
        key.SetNumber(name, *ColorByName(name));
}

void DefaultSettings::Store() const {
    StoreSheetSizePage();
    StoreSchematicColorsPage();
    StoreBoardColorsPage();
}

bool DefaultSettings::SavePalette(const std::wstring& path, bool board) const {
    IniFile ini;
    // A file that exists but cannot be read is left alone rather than
    // replaced by one holding only this palette.
    if (!ini.Load(path) && FileExists(path))
        return false;
    const wchar_t* section = board ? kBoardPalette : kSchematicPalette;
    for (const auto& name : board ? BoardColorNames() : SchematicColorNames())
        ini.SetString(section, name, StrPrintf(L"%u", static_cast<unsigned>(*ColorByName(name))));
    return ini.Save(path);
}

void DefaultSettings::LoadPalette(const std::wstring& path, bool board) {
    IniFile ini;
    if (!ini.Load(path))
        return;
    // A COLORREF holds blue, green and red; a file's higher bits mean nothing.
    constexpr COLORREF kColorBits = 0x00FFFFFF;
    const wchar_t* section = board ? kBoardPalette : kSchematicPalette;
    for (const auto& name : board ? BoardColorNames() : SchematicColorNames()) {
        COLORREF* color = ColorByName(name);
        *color =
            static_cast<COLORREF>(ini.GetInt(section, name, static_cast<int>(*color))) & kColorBits;
    }
}
