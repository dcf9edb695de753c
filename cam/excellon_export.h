// Excellon drill and mill files of a board: round holes go to drill files,
// slots and custom milled contours to mill files, each split into plated and
// non-plated holes. No dialog: failures are reported by message boxes.
#pragma once

#include <string>

class CBoard;

// Bit 0 set: drill file (round holes), clear: mill file. Bit 1 set: plated.
enum ExcellonMode : int {
    kExcellonMillNonPlated = 0,
    kExcellonDrillNonPlated = 1,
    kExcellonMillPlated = 2,
    kExcellonDrillPlated = 3,
};

// prefix + "." + board name (as one file-name part, BoardFileNamePart) +
// ".drill"/".mill" + ".plated"/".non-plated" + ".drl".
std::wstring ExcellonFileName(const std::wstring& prefix, const CBoard* board, int mode);

// Writes one file, or removes it again when the board has no hole for it.
// unit: 0 inch, 1 millimetre. False when the file could not be created
// ("Unable to create file '...'" has been shown then) or when a hole has a
// diameter that is not above zero (ShowInvalidSize; no file is left), or
// when a coordinate lies beyond the format (ShowUnwritableNumber; no file),
// or when the file could not be written whole ("File save error ..."; no
// file).
bool WriteExcellon(const std::wstring& prefix, CBoard* board, int mode, int unit);

// The message box that a file was not written because it would need an
// aperture or drill of a size (mm) that is not above zero, or no number.
void ShowInvalidSize(float mm, const std::wstring& fileName);
// The message box that a file was not written because a coordinate or size
// (mm), or an angle, is not finite or lies beyond what the file's number
// format holds.
void ShowUnwritableNumber(double value, const std::wstring& fileName);

// All four files in the order drill plated, drill non-plated, mill plated,
// mill non-plated; every one is attempted. False when any failed.
bool ExportExcellon(CBoard* board, const std::wstring& prefix, int unit);
// The same in the unit of the CAM settings in memory.
bool ExportExcellon(CBoard* board, const std::wstring& prefix);
