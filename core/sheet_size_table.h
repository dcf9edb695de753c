// The paper sizes a sheet's "Format" row offers: five series of standard
// sizes (ISO, ANSI, JIS and the two Japanese book series), each listed under
// a heading entry, bound to the sheet's size and unit.
#pragma once

#include "core/default_settings.h"

#include <cstdint>
#include <string>

class CSheetSizeTable {
public:
    static constexpr int kSeriesCount = 5;
    static constexpr int kRowCount = 6;
    // Identification allows a side this far off a table size (0.01 mm),
    // exclusive.
    static constexpr int kTolerance = 125;

    // width and length: the sheet's size in 0.01 mm; unit: the sheet's
    // LengthUnit (-1 while unset). All three stay owned by the sheet. An
    // empty size (both 0) takes the default sheet size of the settings and
    // an unset unit the default unit. seriesMask: bit s lists series s (ISO
    // 1, ANSI 2, JIS 4, ...); by default the series stored by the Sheet Size
    // page.
    CSheetSizeTable(int32_t* width, int32_t* length, int* unit,
                    uint32_t seriesMask = DefaultSettings::ReadSheetSizeSeries());

    // Matches the sheet's size to a named entry of any series (both sides
    // strictly within 1.25 mm, either orientation); custom (-1, -1) when none
    // matches.
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
    // Makes (series, size index) the present size without touching the sheet.
    void Choose(int series, int row);
    // Writes the present size into the sheet in the present orientation, and
    // the series' unit into the sheet's unit.
    void ApplyEntry();
    // Choose, then ApplyEntry.
    void SelectSize(int series, int row);

    int GetSeries() const { return series_; }
    int GetRow() const { return row_; }
    bool IsLandscape() const { return landscape_; }
    uint32_t GetSeriesMask() const { return mask_; }
    // The unit (LengthUnit) a series sets; -1 for no series.
    static int SeriesUnit(int series);
    // A table entry's sides (0.01 mm); false outside the table.
    static bool GetPaperSize(int series, int row, int32_t* longSide, int32_t* shortSide);

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
