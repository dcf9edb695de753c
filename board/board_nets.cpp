#include "board/board_nets.h"

#include "board/board.h"
#include "core/node_type.h"

void BuildBoardNets(CTreeNode* board) {
    if (board && board->GetType() == NodeType::Board)
        static_cast<CBoard*>(board)->BuildNets();
}
