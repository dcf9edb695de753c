// What the model needs of the editor views and the shell, reached through
// replaceable hooks: the view base and the main frame install the real ones,
// tests install their own. Without a hook the service is absent and the
// model carries on without it (no undo recorded, no index kept, no repaint).
#pragma once

#include <string>

class CBoardLayerIndex;
class CTreeNode;
class CUndoItem;
class CUndoList;
class CVorpelView;
class Graphics;

// The undo history of a view.
using UndoListOfView = CUndoList* (*)(CVorpelView* view);
void SetUndoListOfView(UndoListOfView hook);
// The history of g_pActiveView; null without an active view or hook.
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

// The ViewKind of a view (1 schematic, 2 symbol, others board-side).
using ViewKindOfView = int (*)(CVorpelView* view);
void SetViewKindOfView(ViewKindOfView hook);
int GetActiveViewKind(); // 0 without a view or hook

// The LengthUnit the active view shows lengths in; -1 without one.
using UnitOfView = int (*)(CVorpelView* view);
void SetUnitOfView(UnitOfView hook);
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
