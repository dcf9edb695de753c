// What the open board editors index, and so draw, is what their boards hold:
// each set of a view's layer index is the set a fresh index of its board
// has. Every history (the three trees' and each open editor's) acts only on
// nodes that a document or that history itself holds. And the client point
// of a board point (millimetres) in its editor.
#pragma once

#include "board/board.h"
#include "board/board_layer_index.h"
#include "board/conductor.h"
#include "board/layer.h"
#include "board/pad.h"
#include "core/board_layer.h"
#include "core/subtree_walk.h"
#include "core/undo_list.h"
#include "core/vorpel_view.h"
#include "platform/text.h"
#include "schematic/net.h"
#include "shell/left_pane.h"
#include "shell/left_tab_view.h"
#include "shell/main_frame.h"
#include "views/board_view.h"

#include <cmath>
#include <optional>
#include <string>
#include <typeinfo>

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>
#include <vector>

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
        if (const CUndoItem* item = history.FindUnindexedName())
            return ::testing::AssertionFailure()
                   << whose << "'s history has a " << typeid(*item).name()
                   << " naming a node it was not indexed under";
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

// The step each history would undo or redo next finds the attributes and
// text it changed as it left them (or the history let go of it): an Undo
// would otherwise take back what another history changed since. The
// history that changed last is left out: what changed since is its own.
inline ::testing::AssertionResult HistoriesFindTheirStepsAsLeft() {
    auto isDocumentRoot = [](const CTreeNode* node) {
        for (int kind = 0; kind < 3; ++kind)
            if (node == &g_MainFrame.GetRoot(kind))
                return true;
        return false;
    };
    auto inDocument = [&](const CTreeNode* node) {
        while (node->GetParent())
            node = node->GetParent();
        return isDocumentRoot(node);
    };
    // The records of the next group: from the near end back to its head.
    auto check = [&](const CUndoList& history, const std::string& whose, bool redo) {
        const size_t count = redo ? history.RedoCount() : history.UndoCount();
        std::string found;
        for (size_t i = count; i > 0 && found.empty(); --i) {
            const CUndoItem* item = redo ? history.RedoItemAt(i - 1) : history.UndoItemAt(i - 1);
            item->ForEachValueAsLeft([&](const CTreeNode* node, const std::wstring* name,
                                         const std::optional<std::wstring>& value) {
                if (!found.empty() || !inDocument(node))
                    return;
                auto* live = const_cast<CTreeNode*>(node);
                live->WriteAttributes();
                const std::optional<std::wstring_view> now =
                    name ? live->FindAttribute(*name)
                         : std::optional<std::wstring_view>(live->GetText());
                if (now != value)
                    found = WideToUtf8(node->GetTagName()) + " " +
                            (name ? WideToUtf8(*name) : std::string("text")) + " is \"" +
                            (now ? WideToUtf8(std::wstring(*now)) : std::string("(none)")) +
                            "\", not \"" + (value ? WideToUtf8(*value) : std::string("(none)")) +
                            "\"";
            });
            if (item->IsGroupHead())
                break;
        }
        if (!found.empty())
            return ::testing::AssertionFailure()
                   << whose << "'s next " << (redo ? "redo" : "undo") << " finds its " << found;
        return ::testing::AssertionSuccess();
    };
    const CUndoList* last = g_MainFrame.m_tabWindow.GetHistoryGate().LastChanged();
    std::vector<std::pair<const CUndoList*, std::string>> histories;
    for (int kind = 0; kind < 3; ++kind)
        if (CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(kind))
            histories.emplace_back(&tree->GetUndoList(), "tree " + std::to_string(kind));
    for (CVorpelView* view : g_MainFrame.m_tabWindow.GetViews())
        histories.emplace_back(&view->GetUndoList(),
                               "editor of a " + WideToUtf8(view->GetDocument()->GetTagName()));
    for (const auto& [history, whose] : histories)
        if (history != last)
            for (bool redo : {false, true})
                if (auto result = check(*history, whose, redo); !result)
                    return result;
    return ::testing::AssertionSuccess();
}

// A conductor vertex tied to a pad names it by address: the pad must lie in
// a document or in a subtree a history holds, else it may have been freed.
// Only addresses are compared, so a freed pad is never read.
inline ::testing::AssertionResult ConductorsTieOnlyToPadsInReach() {
    std::unordered_set<const CTreeNode*> pads;
    std::vector<const CTreeNode*> conductors;
    auto collect = [&](const CTreeNode* top, bool document) {
        ForEachInSubtree(top, [&](const CTreeNode* node) {
            if (node->GetType() == NodeType::Pad)
                pads.insert(node);
            else if (document && node->GetType() == NodeType::Conductor)
                conductors.push_back(node);
            return true;
        });
    };
    // Tracks lie in the project's boards and tie to their pads only.
    collect(&g_MainFrame.GetRoot(0), true);
    auto held = [&](const CUndoList& history) {
        for (size_t i = 0; i < history.UndoCount(); ++i)
            if (const CTreeNode* node = history.UndoItemAt(i)->GetHeldNode())
                collect(node, false);
        for (size_t i = 0; i < history.RedoCount(); ++i)
            if (const CTreeNode* node = history.RedoItemAt(i)->GetHeldNode())
                collect(node, false);
    };
    for (int kind = 0; kind < 3; ++kind)
        if (CLeftTabView* tree = g_MainFrame.m_leftPane.GetTree(kind))
            held(tree->GetUndoList());
    for (CVorpelView* view : g_MainFrame.m_tabWindow.GetViews())
        held(view->GetUndoList());
    for (const CTreeNode* node : conductors)
        for (const ConductorVertex& v : static_cast<const CConductor*>(node)->m_vertices)
            if (v.tie.IsPad() && !pads.count(static_cast<const CTreeNode*>(v.tie.GetPad())))
                return ::testing::AssertionFailure()
                       << "a conductor vertex at " << v.x << "," << v.y
                       << " is tied to a pad no document or history holds";
    return ::testing::AssertionSuccess();
}

// What the boards' objects name other than by holding it is there: every
// object on an inner layer lies on a layer of its board's stackup and every
// conductor vertex tied to a via lies in the via's net. With plain, also
// every vertex tied to a component's pad lies in that pad's net and every
// plane names a net of its board (a sheet's rewiring or deletion may change
// those where nothing was undone).
inline ::testing::AssertionResult BoardsHoldWhatTheirObjectsName(bool plain = true) {
    for (const CTreeNode* top : g_MainFrame.GetRoot(0).GetChildren()) {
        std::vector<const CBoard*> boards;
        ForEachInSubtree(top, [&](const CTreeNode* node) {
            if (node->GetType() == NodeType::Board)
                boards.push_back(static_cast<const CBoard*>(node));
            return true;
        });
        for (const CBoard* board : boards) {
            std::string fault;
            ForEachInSubtree(static_cast<const CTreeNode*>(board), [&](const CTreeNode* node) {
                if (!fault.empty())
                    return false;
                const int layer = node->GetLayer();
                if (node->GetType() != NodeType::Layer && layer >= kLayerInner1 &&
                    layer <= kLayerInner20 && !board->FindLayer(layer))
                    fault = "a " + WideToUtf8(node->GetTagName()) + " lies on " +
                            WideToUtf8(LayerToCode(layer)) + ", which the stackup does not hold";
                if (plain && node->GetType() == NodeType::Layer) {
                    const auto* plane = static_cast<const CLayer*>(node);
                    if (plane->m_layerType == kLayerTypePlane && !plane->m_net.empty() &&
                        !board->FindNet(plane->m_net))
                        fault = "the plane " + WideToUtf8(plane->GetText()) + " names net " +
                                WideToUtf8(plane->m_net) + ", which the board does not hold";
                }
                if (node->GetType() != NodeType::Conductor)
                    return true;
                for (const ConductorVertex& v : static_cast<const CConductor*>(node)->m_vertices)
                    if (const CPad* pad = v.tie.GetPad(); pad && (plain || !pad->GetFootprint()) &&
                                                          pad->GetNet() &&
                                                          pad->GetNet() != node->GetParent())
                        fault = "a track of " + WideToUtf8(node->GetParent()->GetText()) + " at " +
                                std::to_string(v.x) + "," + std::to_string(v.y) +
                                " is tied to a pad of " + WideToUtf8(pad->GetNet()->GetText());
                return false;
            });
            if (!fault.empty())
                return ::testing::AssertionFailure()
                       << WideToUtf8(board->GetText()) << ": " << fault;
        }
    }
    return ::testing::AssertionSuccess();
}

inline POINT BoardClientPoint(const CBoardView* view, float x, float y) {
    const double s = view->GetDpi() * view->GetZoomScale() / 25.4;
    const POINT o = view->GetScrollOffset();
    return POINT{static_cast<int>(std::lround(x * s)) + o.x,
                 static_cast<int>(std::lround(-y * s)) + o.y};
}
