#include "dialogs/board_class_settings.h"

#include "board/board_properties.h"
#include "board/board_types.h"
#include "board/drill.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "board/thermal_relief.h"
#include "platform/settings_store.h"

#include <cmath>

const wchar_t* const BoardClassSettings::kKeyPath = L"Software\\Vorpel\\BoardSettings";

namespace {

constexpr int kPadLayerSolderMaskTop = 26;
constexpr int kPadLayerSolderMaskBottom = 27;

void ReadLength(const SettingsKey& key, const wchar_t* name, float& value, bool positive = false) {
    float v;
    // A stored NaN or infinity would reach every new board's geometry, and
    // an isolation of no width would let copper areas join other nets.
    if (key.QueryFloat(name, &v) == SettingsResult::Ok && std::isfinite(v) && (!positive || v > 0))
        value = v;
}

int ClampClass(int boardClass) {
    return boardClass >= 0 && boardClass < BoardClassSettings::kClassCount ? boardClass : 0;
}

CPadLayer* AddRoundPad(CPadstack* padstack, int layer, float size) {
    auto* pad = new CPadLayer(layer);
    pad->m_shape = kPadShapeRound;
    pad->m_width = size;
    pad->m_height = size;
    padstack->AddChild(pad);
    return pad;
}

} // namespace

BoardClassValues BoardClassSettings::Defaults(int boardClass) {
    BoardClassValues v;
    switch (ClampClass(boardClass)) {
    case 1:
        v.conductorWidth = 0.15f;
        v.conductorSpacing = 0.15f;
        v.viaRouting = 1.0f;
        v.viaPlane = 1.4f;
        v.viaDrill = 0.5f;
        break;
    case 2:
        v.conductorWidth = 0.10f;
        v.conductorSpacing = 0.10f;
        v.viaRouting = 0.6f;
        v.viaPlane = 0.9f;
        v.viaDrill = 0.3f;
        break;
    default:
        break;
    }
    return v;
}

std::wstring BoardClassSettings::ClassKeyPath(int boardClass) {
    return std::wstring(kKeyPath) + L"\\Board Class " + std::to_wstring(ClampClass(boardClass));
}

int BoardClassSettings::ReadCurrentClass() {
    SettingsKey key;
    uint32_t v = 0;
    if (key.Create(kKeyPath) && key.QueryNumber(L"BoardClass", &v) == SettingsResult::Ok &&
        v < static_cast<uint32_t>(kClassCount))
        return static_cast<int>(v);
    return 0;
}

void BoardClassSettings::WriteCurrentClass(int boardClass) {
    SettingsKey key;
    if (key.Create(kKeyPath))
        key.SetNumber(L"BoardClass", static_cast<uint32_t>(ClampClass(boardClass)));
}

int BoardClassSettings::ReadUnit() {
    SettingsKey key;
    uint32_t v = 0;
    if (key.Create(kKeyPath) && key.QueryNumber(L"Unit", &v) == SettingsResult::Ok && v < 4)
        return static_cast<int>(v);
    return 1;
}

void BoardClassSettings::WriteUnit(int unit) {
    SettingsKey key;
    if (key.Create(kKeyPath))
        key.SetNumber(L"Unit", static_cast<uint32_t>(unit));
}

BoardClassValues BoardClassSettings::ReadClass(int boardClass) {
    BoardClassValues v = Defaults(boardClass);
    SettingsKey key;
    if (!key.Create(ClassKeyPath(boardClass)))
        return v;
    ReadLength(key, L"ConductorWidth", v.conductorWidth);
    ReadLength(key, L"ConductorSpacing", v.conductorSpacing);
    ReadLength(key, L"ViaRouting", v.viaRouting);
    ReadLength(key, L"ViaPlane", v.viaPlane);
    ReadLength(key, L"ViaDrill", v.viaDrill);
    ReadLength(key, L"IsolationWidth", v.isolationWidth, true);
    ReadLength(key, L"SpokeWidth", v.spokeWidth);
    return v;
}

void BoardClassSettings::WriteClass(int boardClass, const BoardClassValues& v) {
    SettingsKey key;
    if (!key.Create(ClassKeyPath(boardClass)))
        return;
    key.SetFloat(L"ConductorWidth", v.conductorWidth);
    key.SetFloat(L"ConductorSpacing", v.conductorSpacing);
    key.SetFloat(L"ViaRouting", v.viaRouting);
    key.SetFloat(L"ViaPlane", v.viaPlane);
    key.SetFloat(L"ViaDrill", v.viaDrill);
    key.SetFloat(L"IsolationWidth", v.isolationWidth);
    key.SetFloat(L"SpokeWidth", v.spokeWidth);
}

CBoardProperties* CreateDefaultBoardProperties() {
    auto* properties = new CBoardProperties();
    properties->m_defaultVia.clear();
    LoadBoardClassDefaults(properties);
    AddDefaultViaPadstack(properties);
    AddDefaultThermalRelief(properties);
    return properties;
}

void LoadBoardClassDefaults(CBoardProperties* properties) {
    const BoardClassValues v =
        BoardClassSettings::ReadClass(BoardClassSettings::ReadCurrentClass());
    properties->m_conductorWidth = v.conductorWidth;
    properties->m_conductorSpacing = v.conductorSpacing;
    properties->m_isolationWidth = v.isolationWidth;
    properties->m_spokeWidth = v.spokeWidth;
}

CPadstack* AddDefaultViaPadstack(CBoardProperties* properties) {
    const BoardClassValues v =
        BoardClassSettings::ReadClass(BoardClassSettings::ReadCurrentClass());
    auto* via = new CPadstack(L"Via 1");
    via->m_unit = 1;
    via->m_gridX = 0;
    via->m_gridY = 0;
    via->m_noThermal = true;
    properties->AddChild(via);
    AddRoundPad(via, kPadLayerTop, v.viaRouting);
    AddRoundPad(via, kPadLayerBottom, v.viaRouting);
    AddRoundPad(via, kPadLayerInner, v.viaRouting);
    AddRoundPad(via, kPadLayerPlane, v.viaPlane);
    AddRoundPad(via, kPadLayerSolderMaskTop, 0);
    AddRoundPad(via, kPadLayerSolderMaskBottom, 0);
    auto* drill = new CDrill(kDrillRound);
    drill->m_diam = v.viaDrill;
    drill->m_slotWidth = 0;
    drill->m_slotHeight = 0;
    drill->m_nonPlated = false;
    via->AddChild(drill);
    return via;
}

CThermalRelief* AddDefaultThermalRelief(CBoardProperties* properties) {
    auto* thermal = new CThermalRelief();
    thermal->m_isolation = properties->m_isolationWidth;
    thermal->m_spoke = properties->m_spokeWidth;
    properties->AddChild(thermal);
    return thermal;
}
