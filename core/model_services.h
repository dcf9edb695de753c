// What the model needs of the active editor view and of the shell. The view
// services go through g_pActiveView; the shell's (the layer index of the
// board view showing a board, a drawing surface for the active view) are
// replaceable hooks that the main frame installs and tests set. Without a
// view or a hook the service is absent and the model carries on without it.
#pragma once

#include <functional>
#include <string>

class CBoardLayerIndex;
class CTreeNode;
class CUndoItem;
class CUndoList;
class CVorpelView;
class Graphics;

// The history of g_pActiveView; null without an active view.
CUndoList* GetActiveUndoList();
// Pushes the record on the active view's history. Without one the record is
// kept aside (it may own what the caller detaches next) until
// DiscardOrphanUndoRecords; nothing can undo it.
void PushUndo(CUndoItem* item);
void DiscardOrphanUndoRecords();
// Sets the active history's start-new-group flag (nothing without one).
void StartUndoGroup();

// The layer index of the open board view that shows the board above node
// (the nearest ancestor of type 8), or null.
using BoardLayerIndexFinder = CBoardLayerIndex* (*)(CTreeNode* board);
void SetBoardLayerIndexFinder(BoardLayerIndexFinder hook);
CBoardLayerIndex* FindBoardLayerIndex(CTreeNode* node);
// The nearest ancestor of node of type 8 (not node itself), or null.
CTreeNode* FindBoardAbove(const CTreeNode* node);

// The ViewKind of the active view; 0 without one.
int GetActiveViewKind();
// The LengthUnit the active view shows lengths in; -1 without a view or
// when the view has no display unit.
int GetActiveViewUnit();

// A board-side drawing surface prepared for the active view's window, and
// its release. Without a hook the repaint calls get a null surface.
using GraphicsOfView = Graphics* (*)(CVorpelView* view);
using ReleaseGraphics = void (*)(Graphics* g);
void SetGraphicsOfView(GraphicsOfView make, ReleaseGraphics release);
Graphics* MakeActiveViewGraphics();
void ReleaseActiveViewGraphics(Graphics* g);

// Repaint procedures of the undo records; all do nothing without an active
// view.
void RepaintBoardSide(CTreeNode* node);
void RepaintSheetSide(CTreeNode* node, bool withChildren);
void RepaintBySide(CTreeNode* node);
void RepaintWholeWindow();
void RepaintByView(CTreeNode* node);

// Shell services the model calls (the main frame installs them, tests set
// them). FindLibraryFootprint: a new copy of the library footprint of that
// name, or null; without a hook, null. OpenNodeView: opens (or activates)
// the editor view of a node; without a hook, nothing.
using LibraryFootprintFinder = CTreeNode* (*)(const std::wstring& name);
void SetLibraryFootprintFinder(LibraryFootprintFinder hook);
CTreeNode* FindLibraryFootprint(const std::wstring& name);
using NodeViewOpener = void (*)(CTreeNode* node);
void SetNodeViewOpener(NodeViewOpener hook);
void OpenNodeView(CTreeNode* node);

// The other histories' steps on a node that a change moves as a whole (a
// part put on another sheet from the panel): every history but the active
// view's forgets its steps naming the node, as none of them can be undone
// or redone soundly once the node's sheet and place changed under them.
// Without a hook, nothing.
using OtherStepsForgetter = void (*)(const CTreeNode* node);
void SetOtherStepsForgetter(OtherStepsForgetter hook);
void ForgetOtherStepsOn(const CTreeNode* node);

// A change of the documents that no history records (a document's unit
// cycled from the status bar): through the hook, what the history that
// changed last did before it stays that history's, and what change alters
// then follows the nodes in every history's records, so that no Undo or
// Redo puts it back or repeats it. Without a hook, change just runs.
using UnrecordedChanger = void (*)(const std::function<void()>& change);
void SetUnrecordedChanger(UnrecordedChanger hook);
void ChangeWithoutHistory(const std::function<void()>& change);

// Puts every program-wide counter of the model back to its start (the
// automatic net names "N%d", the last bus-entry value), for tests.
void ResetModelCounters();
