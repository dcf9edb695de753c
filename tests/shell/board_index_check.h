// What the open board editors index, and so draw, is what their boards hold:
// each set of a view's layer index is the set a fresh index of its board
// has. Every history (the three trees' and each open editor's) acts only on
// nodes that a document or that history itself holds. And the client point
// of a board point (millimetres) in its editor.
#pragma once

#include "board/board_layer_index.h"
#include "core/undo_list.h"
#include "core/vorpel_view.h"
#include "platform/text.h"
#include "shell/left_pane.h"
#include "shell/left_tab_view.h"
#include "shell/main_frame.h"
#include "views/board_view.h"

#include <cmath>

#include <gtest/gtest.h>

#include <string>

inline ::testing::AssertionResult BoardEditorsIndexTheirBoards() {
    for (CVorpelView* view : g_MainFrame.m_tabWindow.GetViews()) {
        const CBoardLayerIndex* index = view->GetBoardLayerIndex();
        if (!index)
            continue;
        CBoardLayerIndex fresh;
        fresh.Build(view->GetDocument());
        for (int set = 0; set < CBoardLayerIndex::kSetCount; ++set) {
            for (int side = 0; side < 2; ++side) {
                const auto& have = (side ? fresh : *index).GetSet(set);
                const auto& other = (side ? *index : fresh).GetSet(set);
                // A stray node may be freed: only what the board holds is
                // looked at.
                for (const CTreeNode* node : have)
                    if (!other.count(const_cast<CTreeNode*>(node)))
                        return ::testing::AssertionFailure()
                               << "set " << set
                               << (side ? " lacks a " + WideToUtf8(node->GetTagName())
                                        : std::string(" holds a node its board does not"));
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// A record that names a node neither in a document nor held by its own
// history would act on what another history took away and may free.
inline ::testing::AssertionResult HistoriesNameOnlyWhatTheyReach() {
    auto isDocumentRoot = [](const CTreeNode* node) {
        for (int kind = 0; kind < 3; ++kind)
            if (node == &g_MainFrame.GetRoot(kind))
                return true;
        return false;
    };
    auto check = [&](const CUndoList& history, const std::string& whose) {
        if (const CTreeNode* node = history.FindDepartedName(isDocumentRoot))
            return ::testing::AssertionFailure()
                   << whose << "'s history names a " << WideToUtf8(node->GetTagName())
                   << " that neither a document nor the history holds";
        return ::testing::AssertionSuccess();
    };
    for (int kind = 0; kind < 3; ++kind)
        if (CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(kind))
            if (auto result = check(tree->GetUndoList(), "tree " + std::to_string(kind)); !result)
                return result;
    for (CVorpelView* view : g_MainFrame.m_tabWindow.GetViews())
        if (auto result = check(view->GetUndoList(),
                                "editor of a " + WideToUtf8(view->GetDocument()->GetTagName()));
            !result)
            return result;
    return ::testing::AssertionSuccess();
}

inline POINT BoardClientPoint(const CBoardView* view, float x, float y) {
    const double s = view->GetDpi() * view->GetZoomScale() / 25.4;
    const POINT o = view->GetScrollOffset();
    return POINT{static_cast<int>(std::lround(x * s)) + o.x,
                 static_cast<int>(std::lround(-y * s)) + o.y};
}
