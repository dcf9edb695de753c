// The settings that drive the Gerber and Excellon writers, kept per user in
// the key "Software\Vorpel\Gerber" and held in memory for the whole run.
// Lengths are millimetres, stored in the key as the bits of their float.
#pragma once

class SettingsKey;

constexpr const wchar_t* kGerberSettingsKey = L"Software\\Vorpel\\Gerber";

struct CamSettings {
    int unit = 1;             // "Unit": output unit, 0 inch, 1 millimetre
    int resInt = 3;           // "Res_Int": digits before the point (2..4)
    int resFlt = 3;           // "Res_Flt": digits after the point (2..4)
    int textDrawingMode = 0;  // "TextDrawingMode": 0 filled regions, 1 outlines
    float lineThck = 0.2f;    // "LineThck": line width of outlined text
    float padTol = 0.025f;    // "PadTol": flattening tolerance of pads, thermals, clearances
    float markingTol = 0.05f; // "MarkingTol": flattening tolerance of markings
    float textTol = 0.05f;    // "TextTol": flattening tolerance of text outlines
    float smIncr = 0.075f;    // "SM_Incr": solder-mask opening growth per side pair
    float spDecr = 0.075f;    // "SP_Decr": paste opening shrink per side pair
    int coverViaWithMask = 0; // "CoverViaWithMask": 0 covered, 1 open, 2 as the padstack says

    bool operator==(const CamSettings&) const = default;
};

// The program-wide settings, defaults until the key is read.
extern CamSettings g_CamSettings;

// What the writers can work with: a flattening tolerance must be above 0,
// a line width at least 0; every length finite.
bool IsValidCamTolerance(float mm);
bool IsValidCamWidth(float mm);

// Reads the eleven values in the key's order. A value that is absent (or of
// another type) leaves its setting unchanged; one out of range sets the
// setting to its default. Nothing happens when the key is not open.
void ReadCamSettings(const SettingsKey& key, CamSettings& settings);
// Writes all eleven values (the digit counts as stored, lengths as floats).
void WriteCamSettings(SettingsKey& key, const CamSettings& settings);
// Opens (creating it) the key and reads it into settings; what the export
// does at its start.
void LoadGerberSettings(CamSettings& settings = g_CamSettings);
