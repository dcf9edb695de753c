#include "board/board_nets.h"

// Boards carry no nets of their own yet: nothing to build.
void BuildBoardNets(CTreeNode*) {}
