// The symbol library tree: the library, its symbol folders (which may nest)
// and its symbols, each shown as one item (its parts and texts are not).
// A symbol opens in the symbol editor; from the context menus the user adds
// folders and symbols, renames, moves, copies and deletes them, saves a
// subtree as a symbol library and inserts the contents of another one.
// Only folders and symbols go into the library or its folders.
#pragma once

#include "shell/left_tab_view.h"

class CPackage;

class CSymbolTree : public CLeftTabView {
public:
    explicit CSymbolTree(CLeftPane* pane);

    void CreateImageList() override;
    void Paste() override;
    bool RunCommand(int id) override;

    // Whether node may go into the library or folder target.
    bool CanInsert(const CTreeNode* node, const CTreeNode* target) const;
    // A new symbol "New Symbol": one part of 2 by 2 grid steps and the
    // texts RefDes, PartNum, Value and Tolerance.
    static CPackage* MakeSymbol();

protected:
    bool ShowsNode(const CTreeNode* node) const override;
    bool ShowsChildren(const CTreeNode* node) const override;
    int ImageOf(const CTreeNode* node) const override;
    unsigned MenuOf(const CTreeNode* node) const override;
    bool CanOpen(const CTreeNode* node) const override;
    bool IsViewedKind(const CTreeNode* node) const override;
    void DeleteByKey(CTreeNode* node) override;
    DropPlan PlanDrop(CTreeNode* source, CTreeNode* target, UINT hitFlags) const override;

private:
    bool IsContainer(const CTreeNode* node) const;
    void PasteFromFile();
};
