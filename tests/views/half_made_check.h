// The checks the randomized editor tests run after every step: the
// document holds no half-made object. On a board, tracks have two distinct
// vertices, free and sheet texts are not empty and every sheet object lies
// on a sheet of the board; in a library, no text is both without a name
// and empty. Work still under way (the route being drawn, the text being
// typed) is passed in and left out.
#pragma once

#include "board/board.h"
#include "board/board_layer_index.h"
#include "board/conductor.h"
#include "core/node_type.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"
#include "schematic/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

inline void ExpectNoHalfMadeObjects(const CBoard* board, const std::string& where,
                                    const std::set<const CTreeNode*>& underWay = {}) {
    std::set<const CSheet*> sheets;
    for (const CTreeNode* child : board->GetChildren())
        if (child->GetType() == NodeType::Sheet)
            sheets.insert(static_cast<const CSheet*>(child));
    auto walk = [&](const CTreeNode* node, auto& self) -> void {
        if (underWay.count(node))
            return;
        if (node->GetType() == NodeType::Conductor) {
            const auto& v = static_cast<const CConductor*>(node)->m_vertices;
            bool length = false;
            for (const ConductorVertex& x : v)
                length = length || std::fabs(x.x - v.front().x) >= 0.001f ||
                         std::fabs(x.y - v.front().y) >= 0.001f;
            EXPECT_TRUE(length) << where << ": a track with " << v.size()
                                << " vertices and no length";
        }
        if (node->GetType() == NodeType::Text && node->GetParent() == board) {
            EXPECT_FALSE(static_cast<const CText*>(node)->GetText().empty())
                << where << ": an empty text";
        }
        if (auto* object = dynamic_cast<const CSheetObject*>(node); object && object->m_pSheet) {
            EXPECT_TRUE(sheets.count(object->m_pSheet)) << where << ": an object on no sheet";
        }
        for (const CTreeNode* child : node->GetChildren())
            self(child, self);
    };
    walk(board, walk);
}

// The board view's layer index holds only nodes that are on the board, each
// text under its own layer: a node left in a set after it went is read freed
// by the next drawing or deletion.
inline void ExpectLayerIndexOnTheBoard(const CBoard* board, const CBoardLayerIndex& index,
                                       const std::string& where) {
    std::set<const CTreeNode*> onBoard;
    auto walk = [&](const CTreeNode* node, auto& self) -> void {
        onBoard.insert(node);
        for (const CTreeNode* child : node->GetChildren())
            self(child, self);
    };
    walk(board, walk);
    for (int set = 0; set < CBoardLayerIndex::kSetCount; ++set) {
        for (const CTreeNode* node : index.GetSet(set)) {
            if (!onBoard.count(node)) {
                ADD_FAILURE() << where << ": set " << set << " holds a node that left the board";
                return;
            }
            if (node->GetType() == NodeType::Text && set != CBoardLayerIndex::kTopSet) {
                EXPECT_EQ(node->GetLayer(), set) << where << ": a text under another layer";
            }
        }
    }
}

inline void ExpectNoEmptyTexts(const CTreeNode* root, const std::string& where,
                               const std::set<const CTreeNode*>& underWay = {}) {
    auto walk = [&](const CTreeNode* node, auto& self) -> void {
        if (underWay.count(node))
            return;
        if (node->GetType() == NodeType::Text) {
            auto* text = static_cast<const CText*>(node);
            EXPECT_FALSE(text->m_name.empty() && text->GetText().empty())
                << where << ": an empty text";
        }
        for (const CTreeNode* child : node->GetChildren())
            self(child, self);
    };
    walk(root, walk);
}
