// A font description as the drawing code and the settings keep it: the fields
// of a logical-font record, with the face name as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct LogFont {
    static constexpr size_t kMaxFaceName = 31;

    int32_t lfHeight = 0; // logical units; negative = em height, positive = cell height
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0; // tenths of a degree
    int32_t lfOrientation = 0;
    int32_t lfWeight = 400; // 400 normal, 700 bold
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 1; // the default character set
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    std::wstring lfFaceName; // at most kMaxFaceName characters where it is stored
};

bool operator==(const LogFont& a, const LogFont& b);
