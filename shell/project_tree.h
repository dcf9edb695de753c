// The project tree: the project, its blocks (which may nest), boards and
// each board's sheets. Boards and sheets open in their editors; from the
// context menus the user adds, renames, moves, copies and deletes blocks,
// boards and sheets, saves a subtree as a project file, inserts the contents
// of another project file, and runs a board's settings, stackup and drill
// table dialogs, its bill of materials and its Gerber export.
//
// Only what fits goes in: a block or a board into the project or a block, a
// sheet into a board. A sheet stays in its board when dragged, and a sheet
// that comes from a file is numbered afresh, since the board's objects find
// their sheets by name; one from the clipboard keeps its name where no sheet
// of the board has it (a sheet cut and pasted back), else it is numbered
// afresh too. However a sheet comes by its name (added, renamed, pasted,
// read from a file), the drawing a removed sheet of that name left in the
// board comes onto it, as the file read again would show it.
#pragma once

#include "shell/left_tab_view.h"

#include <string>

class CBoard;
class CSheet;

class CProjectTree : public CLeftTabView {
public:
    explicit CProjectTree(CLeftPane* pane);

    void CreateImageList() override;
    void Paste() override;
    bool RunCommand(int id) override;

    // Whether node may go into target: a block or a board into the project
    // or a block, a sheet into a board.
    bool CanInsert(const CTreeNode* node, const CTreeNode* target) const;
    // "Sheet " and one more than the largest number of the board's sheets
    // named "Sheet <number>" (1 when none is).
    static std::wstring NewSheetName(const CTreeNode* board);
    // A new sheet with that name and the schematic defaults.
    static CSheet* MakeSheet(const std::wstring& name);
    // A new board "New Board" with the default outline, design rules from
    // the current board class, the top and bottom layers and "Sheet 1".
    static CBoard* MakeBoard();

protected:
    bool ShowsNode(const CTreeNode* node) const override;
    bool ShowsChildren(const CTreeNode* node) const override;
    int ImageOf(const CTreeNode* node) const override;
    unsigned MenuOf(const CTreeNode* node) const override;
    bool CanOpen(const CTreeNode* node) const override;
    bool IsViewedKind(const CTreeNode* node) const override;
    void DeleteByKey(CTreeNode* node) override;
    DropPlan PlanDrop(CTreeNode* source, CTreeNode* target, UINT hitFlags) const override;
    NameCheck CheckName(CTreeNode* node, const std::wstring& text) override;
    void Renamed(CTreeNode* node) override;
    void LabelEditEnded() override { m_namingNewSheet = nullptr; }

private:
    bool IsProject(const CTreeNode* node) const;
    // Inserts node (which has no parent) as the last child of target as
    // part of the running action; a sheet is numbered afresh first.
    void InsertChild(CTreeNode* target, CTreeNode* node);
    // After a sheet came into board, or was renamed, under a name no other
    // sheet there has: the board's objects left on a sheet of that name
    // which is out of the document go onto this sheet, each move recorded
    // in the running action.
    void TakeBackObjects(CTreeNode* board, CSheet* sheet);
    // Before a new sheet's name, typed at once, replaces the one it was
    // added with: what that passing name took up goes back where it lay, as
    // recorded, in the running action. A sheet renamed later keeps what it
    // shows.
    void GiveBackObjects(CSheet* sheet);
    // The same for node when it is a sheet in a board.
    void SheetNamed(CTreeNode* node);
    void PasteFromFile();
    void AddBoard();
    void RunBoardDialog(int id, CBoard* board);

    // The sheet just added while its first label edit runs, else null.
    CSheet* m_namingNewSheet = nullptr;
};
