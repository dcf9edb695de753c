#include "core/sheet_size_table.h"

#include "platform/string_table.h"

#include <cstdlib>

namespace {
constexpr unsigned kCustomId = 187; // "Custom"
constexpr int kTolerance = 125;     // 1.25 mm in 0.01 mm

struct PaperSize {
    int32_t longSide;
    int32_t shortSide;
    const wchar_t* name; // null: identified, never listed by name
};

struct Series {
    const wchar_t* name;
    int unit; // the LengthUnit a size of the series gives the sheet
    int listed;
    PaperSize sizes[CSheetSizeTable::kRowCount];
};

const Series kSeries[CSheetSizeTable::kSeriesCount] = {
    {L"ISO",
     1,
     5,
     {{118900, 84100, L"A0"},
      {84100, 59400, L"A1"},
      {59400, 42000, L"A2"},
      {42000, 29700, L"A3"},
      {29700, 21000, L"A4"},
      {21000, 14800, nullptr}}},
    {L"ANSI",
     0,
     6,
     {{111760, 86360, L"ANSI E"},
      {86360, 55880, L"ANSI D"},
      {55880, 43180, L"ANSI C"},
      {43180, 27940, L"Tabloid"},
      {35560, 21590, L"Legal"},
      {27940, 21590, L"Letter"}}},
};

bool Near(int32_t a, int32_t b) {
    return std::abs(a - b) < kTolerance;
}
} // namespace

CSheetSizeTable::CSheetSizeTable(int32_t* width, int32_t* length, int* unit, uint32_t seriesMask)
    : width_(width), length_(length), unit_(unit), mask_(seriesMask) {
    IdentifySize();
}

void CSheetSizeTable::IdentifySize() {
    series_ = row_ = -1;
    landscape_ = false;
    if (!width_ || !length_)
        return;
    int32_t w = *width_, l = *length_;
    for (int s = 0; s < kSeriesCount; ++s) {
        for (int r = 0; r < kRowCount; ++r) {
            const PaperSize& p = kSeries[s].sizes[r];
            if ((Near(w, p.longSide) && Near(l, p.shortSide)) ||
                (Near(l, p.longSide) && Near(w, p.shortSide))) {
                series_ = s;
                row_ = r;
                landscape_ = w > l;
                return;
            }
        }
    }
}

int CSheetSizeTable::ListedRows(int series) const {
    if (series < 0 || series >= kSeriesCount || !(mask_ & (1u << series)))
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
    return series >= 0 && series < kSeriesCount ? kSeries[series].name : L"";
}

std::wstring CSheetSizeTable::SizeName(int series, int row) const {
    if (series < 0 || series >= kSeriesCount || row < 0 || row >= kRowCount)
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
    const wchar_t* name = kSeries[series].sizes[row - 1].name;
    return name ? std::wstring(name) : LoadStringText(kCustomId);
}

void CSheetSizeTable::SelectSize(int series, int row) {
    if (series < 0 || series >= kSeriesCount || row < 0 || row >= kRowCount)
        return;
    series_ = series;
    row_ = row;
    const PaperSize& p = kSeries[series].sizes[row];
    if (width_ && length_) {
        *width_ = landscape_ ? p.longSide : p.shortSide;
        *length_ = landscape_ ? p.shortSide : p.longSide;
    }
    if (unit_)
        *unit_ = kSeries[series].unit;
}
