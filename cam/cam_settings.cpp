#include "cam/cam_settings.h"

#include "platform/settings_store.h"

#include <cmath>
#include <cstdint>

CamSettings g_CamSettings;

bool IsValidCamTolerance(float mm) {
    return std::isfinite(mm) && mm > 0.0f;
}

bool IsValidCamWidth(float mm) {
    return std::isfinite(mm) && mm >= 0.0f;
}

namespace {
void ReadInt(const SettingsKey& key, const wchar_t* name, int& value, int lowest, int highest,
             int fallback) {
    uint32_t v = 0;
    if (key.QueryNumber(name, &v) != SettingsResult::Ok)
        return;
    int n = static_cast<int>(v);
    value = n >= lowest && n <= highest ? n : fallback;
}

void ReadLength(const SettingsKey& key, const wchar_t* name, float& value, bool (*valid)(float),
                float fallback) {
    float v = 0.0f;
    if (key.QueryFloat(name, &v) != SettingsResult::Ok)
        return;
    value = valid(v) ? v : fallback;
}

bool IsFinite(float mm) {
    return std::isfinite(mm);
}
} // namespace

void ReadCamSettings(const SettingsKey& key, CamSettings& s) {
    if (!key.IsOpen())
        return;
    const CamSettings d;
    ReadInt(key, L"Unit", s.unit, 0, 1, d.unit);
    ReadInt(key, L"Res_Int", s.resInt, 2, 4, d.resInt);
    ReadInt(key, L"Res_Flt", s.resFlt, 2, 4, d.resFlt);
    ReadInt(key, L"TextDrawingMode", s.textDrawingMode, 0, 1, d.textDrawingMode);
    ReadLength(key, L"LineThck", s.lineThck, IsValidCamWidth, d.lineThck);
    ReadLength(key, L"PadTol", s.padTol, IsValidCamTolerance, d.padTol);
    ReadLength(key, L"MarkingTol", s.markingTol, IsValidCamTolerance, d.markingTol);
    ReadLength(key, L"TextTol", s.textTol, IsValidCamTolerance, d.textTol);
    // Mask and paste changes may be negative; the writer keeps pad sizes at 0 or above.
    ReadLength(key, L"SM_Incr", s.smIncr, IsFinite, d.smIncr);
    ReadLength(key, L"SP_Decr", s.spDecr, IsFinite, d.spDecr);
    ReadInt(key, L"CoverViaWithMask", s.coverViaWithMask, 0, 2, d.coverViaWithMask);
}

void WriteCamSettings(SettingsKey& key, const CamSettings& s) {
    if (!key.IsOpen())
        return;
    key.SetNumber(L"Unit", static_cast<uint32_t>(s.unit));
    key.SetNumber(L"Res_Int", static_cast<uint32_t>(s.resInt));
    key.SetNumber(L"Res_Flt", static_cast<uint32_t>(s.resFlt));
    key.SetNumber(L"TextDrawingMode", static_cast<uint32_t>(s.textDrawingMode));
    key.SetFloat(L"LineThck", s.lineThck);
    key.SetFloat(L"PadTol", s.padTol);
    key.SetFloat(L"MarkingTol", s.markingTol);
    key.SetFloat(L"TextTol", s.textTol);
    key.SetFloat(L"SM_Incr", s.smIncr);
    key.SetFloat(L"SP_Decr", s.spDecr);
    key.SetNumber(L"CoverViaWithMask", static_cast<uint32_t>(s.coverViaWithMask));
}

void LoadGerberSettings(CamSettings& settings) {
    SettingsKey key;
    if (key.Create(kGerberSettingsKey))
        ReadCamSettings(key, settings);
}
