// The paper sizes a sheet's "Format" row offers: series of standard sizes,
// each listed under a heading entry, bound to the sheet's size and unit.
// Only the ISO and ANSI series are held so far.
#pragma once

#include "core/default_settings.h"

#include <cstdint>
#include <string>

class CSheetSizeTable {
public:
    static constexpr int kSeriesCount = 2;
    static constexpr int kRowCount = 6;

    // width and length: the sheet's size in 0.01 mm; unit: the sheet's
    // LengthUnit. All three stay owned by the sheet. seriesMask: bit s lists
    // series s (ISO 1, ANSI 2); by default the series stored by the Sheet
    // Size page.
    CSheetSizeTable(int32_t* width, int32_t* length, int* unit,
                    uint32_t seriesMask = DefaultSettings::ReadSheetSizeSeries());

    // Matches the sheet's size to an entry (both sides strictly within
    // 1.25 mm, either orientation); custom (-1, -1) when none matches.
    void IdentifySize();
    // One heading per listed series plus that series' listed sizes.
    int GetEntryCount() const;
    // The series and row of a drop-down entry (row 0 the heading, 1 and up
    // the sizes); false for an index outside the list.
    bool GetEntry(int entry, int* series, int* row) const;
    std::wstring GetSeriesName(int series) const;
    // The name of a drop-down entry, or of the present size for -1 ("Custom"
    // when it matches no entry).
    std::wstring GetEntryName(int entry = -1) const;
    // Makes (series, size index) the present size and writes it into the
    // sheet, keeping the orientation.
    void SelectSize(int series, int row);

    int GetSeries() const { return series_; }
    int GetRow() const { return row_; }
    bool IsLandscape() const { return landscape_; }
    uint32_t GetSeriesMask() const { return mask_; }

private:
    std::wstring SizeName(int series, int row) const;
    int ListedRows(int series) const;

    int32_t* width_;
    int32_t* length_;
    int* unit_;
    uint32_t mask_;
    int series_ = -1;
    int row_ = -1;
    bool landscape_ = false;
};
