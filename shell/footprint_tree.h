// The footprint library tree: the library, its footprint and padstack
// folders (which may nest), and the footprints and padstacks in them, each
// shown as one item. Footprints and padstacks open in their editors; from
// the context menus the user adds folders, custom and generated footprints
// (SOIC, QFP, BGA, DIP) and padstacks, renames, moves, copies and deletes
// them, saves a subtree as a footprint library and inserts the contents of
// another one. Footprints and their folders keep to footprint folders,
// padstacks and theirs to padstack folders; the library takes all four.
#pragma once

#include "shell/left_tab_view.h"

class CFootprintTree : public CLeftTabView {
public:
    explicit CFootprintTree(CLeftPane* pane);

    void CreateImageList() override;
    void Paste() override;
    bool RunCommand(int id) override;

    // Whether node may go into target (the library or a folder).
    bool CanInsert(const CTreeNode* node, const CTreeNode* target) const;

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
    bool IsLibrary(const CTreeNode* node) const;
    void PasteFromFile();
    void AddGenerated(int id);
};
