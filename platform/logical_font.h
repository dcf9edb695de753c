// A font description as the drawing code and the settings keep it: the fields
// of the original platform's logical-font record, with the face name as text.
#pragma once

#include <cstdint>
#include <string>

struct LogicalFont {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0; // tenths of a degree
    int32_t orientation = 0;
    int32_t weight = 400; // 400 normal, 700 bold
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 1; // 1 = the default character set
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 2; // 2 = proof quality
    uint8_t pitchAndFamily = 0;
    std::wstring faceName; // at most kMaxFaceName characters
    static constexpr size_t kMaxFaceName = 31;

    bool operator==(const LogicalFont&) const = default;
};
