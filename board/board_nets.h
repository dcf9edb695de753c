// Building the nets of a board after a project has been loaded: conductor
// vertices tied to via pads, pins joined to the nets whose wires touch them.
#pragma once

class CTreeNode;

// Builds the nets of one board (a node whose tag is "Board").
void BuildBoardNets(CTreeNode* board);
