// The bill of materials of a board: a semicolon-separated UTF-8 file with one
// line per group of equal components, their designators compressed into
// ranges (R1-R3,R5), and the count. No dialog: problems are reported by
// message boxes.
#pragma once

#include <string>

class CBoard;

// The prefix the command writes to: next to the project file, in the folder
// named after the project (created when missing), <folder>/<project>; the
// file is <prefix>.<board>.bom.csv. Without a project, or for a project never
// saved, the Documents folder's "gerber"; *noProject tells that no project
// was found at all.
std::wstring BillOfMaterialsPath(const CBoard* board, bool* noProject = nullptr);

// Writes the bill of materials to prefix + "." + board name (as one file-name
// part, BoardFileNamePart) + ".bom.csv". Packages without a usable
// designator and duplicates are reported and left out. False when nothing
// was written ("No components found", or the file could not be created or
// written whole; a message says which), and also when the file was written
// without a package that was reported.
bool ExportBillOfMaterials(CBoard* board, const std::wstring& prefix);

// The whole command: collects, then finds the location as
// BillOfMaterialsPath does ("Root node not found" when there is no project)
// and writes the file; false as above.
bool ExportBillOfMaterials(CBoard* board);
