// Gerber export of a board: one RS-274X file per selected layer and one for
// the board outline, then the drill and mill files.
#pragma once

#include "cam/cam_settings.h"
#include "cam/layer_select.h"

#include <string>
#include <vector>

class CBoard;
class CClearanceOutlines;
class CLayer;
class CTreeNode;

// The boards below node in document order, in the order vorpel-cam writes
// them (boards are not searched below).
void CollectBoards(CTreeNode* node, std::vector<CBoard*>& out);

// The command: reads the stored settings, asks for layers and the prefix,
// writes every file. Failures are reported in message boxes.
void ExportGerber(CBoard* board);

// The dialog-free core: every selected layer (ascending ids), then the
// outline when selected, with the given settings. Returns false when a
// file could not be created or written whole, or would need an aperture
// whose size is not above zero (already reported; no such file is left).
bool WriteGerberFiles(const std::wstring& prefix, CBoard* board,
                      const LayerSelectEntry (&layers)[kBoardLayerCount],
                      const LayerSelectEntry& outline, const CamSettings& settings);

// One file: layer 0-31 or -1 for the outline; layer node may be null.
// outlines: clearance outlines started for several files, or null.
// Returns false when the file could not be created, could not be written
// whole ("File save error ...") or was not written for an aperture size not
// above zero (reported; no file of its name is left).
bool WriteGerberLayer(const std::wstring& prefix, CBoard* board, int layer, CLayer* layerNode,
                      const CamSettings& settings = g_CamSettings,
                      CClearanceOutlines* outlines = nullptr);

// The file name of one layer's file: prefix + "." + the board's name as one
// file-name part (BoardFileNamePart) + "." + layer code + ".gbr".
std::wstring GerberFileName(const std::wstring& prefix, const CBoard* board, int layer);

// Every layer of the board's stackup selected, and the outline.
void SelectAllGerberLayers(CBoard* board, LayerSelectEntry (&layers)[kBoardLayerCount],
                           LayerSelectEntry& outline);
