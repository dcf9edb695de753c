// The board outline read from a DXF drawing made in a mechanical CAD
// program: its LINE, ARC, CIRCLE and SPLINE entities become outline pieces,
// joined end to start into one closed figure that replaces the board's
// outline in one undoable step. Coordinates are taken as millimetres as they
// stand; the drawing's $MEASUREMENT (0 inch, 1 millimetre) only becomes the
// board's display unit.
#pragma once

#include <string>

class CBoard;
class PlatformWindow;

// Replaces the board's outline with the closed figure of the drawing,
// recorded as one group on the active view's undo history, and repaints.
// When the drawing cannot be opened (or is no regular file) says "File read
// error " with its path; when it holds no closed figure (or is cut short or
// holds damaged values where the figure needs them), or one of its splines is
// not a closed run of four-point groups, says so. Either way in a message box,
// changing nothing; or, when the caller gives failure, there without a box
// and without the path ("cannot open the file" for a drawing that cannot be
// opened). True when the outline was replaced.
bool ImportDxfOutline(CBoard* board, const std::wstring& path, std::wstring* failure = nullptr);

// "Load from .dxf": asks for a drawing with the open-file dialog, then
// imports it; Cancel does nothing.
void ImportDxfOutlineCommand(CBoard* board, PlatformWindow* owner);
