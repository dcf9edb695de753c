#include "core/sheet_size_table.h"

#include "platform/string_table.h"

#include <cmath>
#include <cstdlib>

namespace {
constexpr unsigned kCustomId = 187; // "Custom"
constexpr int kUnitInch = 0;
constexpr int kUnitMm = 1;

struct PaperSize {
    int32_t longSide;
    int32_t shortSide;
    const wchar_t* name; // null: no size of the series
};

struct Series {
    const wchar_t* name;
    int unit; // the LengthUnit a size of the series gives the sheet
    int listed;
    PaperSize sizes[CSheetSizeTable::kRowCount];
};

const Series kSeries[CSheetSizeTable::kSeriesCount] = {
    {L"ISO",
     kUnitMm,
     5,
     {{118900, 84100, L"A0"},
      {84100, 59400, L"A1"},
      {59400, 42000, L"A2"},
      {42000, 29700, L"A3"},
      {29700, 21000, L"A4"},
      // A5 has a row but no name and is never listed; it is not matched
      // either, so that such a sheet reads as a custom size.
      {21000, 14800, nullptr}}},
    {L"ANSI",
     kUnitInch,
     6,
     {{111760, 86360, L"ANSI E"},
      {86360, 55880, L"ANSI D"},
      {55880, 43180, L"ANSI C"},
      {43180, 27940, L"Tabloid"},
      {35560, 21590, L"Legal"},
      {27940, 21590, L"Letter"}}},
    {L"JIS",
     kUnitMm,
     6,
     {{145600, 103000, L"JIS B0"},
      {103000, 72800, L"JIS B1"},
      {72800, 51500, L"JIS B2"},
      {51500, 36400, L"JIS B3"},
      {36400, 25700, L"JIS B4"},
      {25700, 18200, L"JIS B5"}}},
    {L"\u56db\u516d\u5224",
     kUnitInch,
     5,
     {{109220, 78740, L"\u56db\u516d\u5168\u5224"},
      {78740, 54610, L"\u56db\u516d\u534a\u88c1"},
      {54610, 39370, L"\u56db\u516d\uff14\u5207"},
      {39370, 27305, L"\u56db\u516d\uff18\u5207"},
      {27305, 19685, L"\u56db\u516d16\u5207"},
      {0, 0, nullptr}}},
    {L"\u83ca\u5224",
     kUnitInch,
     5,
     {{93980, 63500, L"\u83ca\u5168\u5224"},
      {63500, 46990, L"\u83ca\u534a\u88c1"},
      {46990, 31750, L"\u83ca\uff14\u5207"},
      {31750, 23495, L"\u83ca\uff18\u5207"},
      {23495, 15875, L"\u83ca16\u5207"},
      {0, 0, nullptr}}},
};

bool Near(int32_t a, int32_t b) {
    return std::llabs(static_cast<long long>(a) - b) < CSheetSizeTable::kTolerance;
}

// Millimetres of the settings as 0.01 mm, rounded half away from zero.
int32_t Hundredths(float mm) {
    double v = static_cast<double>(mm) * 100.0;
    if (!(v == v))
        return 0;
    if (v > 2e9)
        v = 2e9;
    if (v < -2e9)
        v = -2e9;
    return static_cast<int32_t>(v >= 0 ? std::floor(v + 0.5) : std::ceil(v - 0.5));
}

bool ValidSeries(int series) {
    return series >= 0 && series < CSheetSizeTable::kSeriesCount;
}

bool ValidRow(int row) {
    return row >= 0 && row < CSheetSizeTable::kRowCount;
}
} // namespace

CSheetSizeTable::CSheetSizeTable(int32_t* width, int32_t* length, int* unit, uint32_t seriesMask)
    : width_(width), length_(length), unit_(unit), mask_(seriesMask) {
    if (width_ && length_ && *width_ == 0 && *length_ == 0) {
        // The settings hold millimetres; the sheet holds 0.01 mm.
        *width_ = Hundredths(g_DefaultSettings.sheetWidth);
        *length_ = Hundredths(g_DefaultSettings.sheetHeight);
    }
    IdentifySize();
    if (unit_ && *unit_ == -1)
        *unit_ = g_DefaultSettings.unit;
}

int CSheetSizeTable::SeriesUnit(int series) {
    return ValidSeries(series) ? kSeries[series].unit : -1;
}

bool CSheetSizeTable::GetPaperSize(int series, int row, int32_t* longSide, int32_t* shortSide) {
    if (!ValidSeries(series) || !ValidRow(row))
        return false;
    *longSide = kSeries[series].sizes[row].longSide;
    *shortSide = kSeries[series].sizes[row].shortSide;
    return true;
}

void CSheetSizeTable::IdentifySize() {
    series_ = row_ = -1;
    landscape_ = false;
    if (!width_ || !length_)
        return;
    const int32_t w = *width_, l = *length_;
    landscape_ = w > l;
    for (int s = 0; s < kSeriesCount; ++s) {
        for (int r = 0; r < kRowCount; ++r) {
            const PaperSize& p = kSeries[s].sizes[r];
            // A row without a name (or without a size) is no paper size.
            if (!p.name || p.longSide == 0)
                continue;
            if ((Near(w, p.longSide) && Near(l, p.shortSide)) ||
                (Near(l, p.longSide) && Near(w, p.shortSide))) {
                series_ = s;
                row_ = r;
                return;
            }
        }
    }
}

int CSheetSizeTable::ListedRows(int series) const {
    if (!ValidSeries(series) || !(mask_ & (1u << series)))
        return -1;
    return kSeries[series].listed;
}

int CSheetSizeTable::GetEntryCount() const {
    int count = 0;
    for (int s = 0; s < kSeriesCount; ++s)
        if (ListedRows(s) >= 0)
            count += ListedRows(s) + 1;
    return count;
}

bool CSheetSizeTable::GetEntry(int entry, int* series, int* row) const {
    if (entry < 0)
        return false;
    for (int s = 0; s < kSeriesCount; ++s) {
        int listed = ListedRows(s);
        if (listed < 0)
            continue;
        if (entry <= listed) {
            *series = s;
            *row = entry;
            return true;
        }
        entry -= listed + 1;
    }
    return false;
}

std::wstring CSheetSizeTable::GetSeriesName(int series) const {
    return ValidSeries(series) ? kSeries[series].name : L"";
}

std::wstring CSheetSizeTable::SizeName(int series, int row) const {
    if (!ValidSeries(series) || !ValidRow(row))
        return LoadStringText(kCustomId);
    // The 11 x 17 inch sheet is a tabloid lying down and a ledger standing.
    if (series == 1 && row == 3 && !landscape_)
        return L"Ledger";
    const wchar_t* name = kSeries[series].sizes[row].name;
    return name ? std::wstring(name) : LoadStringText(kCustomId);
}

std::wstring CSheetSizeTable::GetEntryName(int entry) const {
    if (entry < 0)
        return SizeName(series_, row_);
    int series = -1, row = -1;
    if (!GetEntry(entry, &series, &row))
        return L"";
    if (row == 0)
        return GetSeriesName(series);
    return SizeName(series, row - 1);
}

void CSheetSizeTable::Choose(int series, int row) {
    if (!ValidSeries(series) || !ValidRow(row) || !kSeries[series].sizes[row].name)
        return;
    series_ = series;
    row_ = row;
}

void CSheetSizeTable::ApplyEntry() {
    if (!ValidSeries(series_) || !ValidRow(row_))
        return;
    const PaperSize& p = kSeries[series_].sizes[row_];
    if (width_ && length_) {
        *width_ = landscape_ ? p.longSide : p.shortSide;
        *length_ = landscape_ ? p.shortSide : p.longSide;
    }
    if (unit_)
        *unit_ = kSeries[series_].unit;
}

void CSheetSizeTable::SelectSize(int series, int row) {
    Choose(series, row);
    if (series_ == series && row_ == row)
        ApplyEntry();
}
