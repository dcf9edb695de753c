// Cloning a board, sheet, package or net copies many nodes that point at each
// other (objects at their sheet, pins at their net, conductor vertices at the
// pads and vias they are tied to). Every such clone enters its source and
// copy here; when the outermost clone of one operation returns, the copies
// are linked to each other: a copied object joins the copied sheet, a copied
// pin the copied net, a copied conductor's ties the copied pads. Links that
// leave the copied set keep the rules of each class (see clone_map.cpp).
#pragma once

#include <map>

class CTreeNode;

class CCloneScope {
public:
    // whole: the operation copies a board as it stands (the tree clipboard),
    // so footprints keep their placement; otherwise a copied footprint waits
    // to be placed by whoever made the copy.
    explicit CCloneScope(bool whole = false);
    ~CCloneScope();
    CCloneScope(const CCloneScope&) = delete;
    CCloneScope& operator=(const CCloneScope&) = delete;

    // Enters a source and its copy; returns the copy.
    CTreeNode* Record(const CTreeNode* source, CTreeNode* copy);
    // The copy made of source in the running operation, else null.
    static CTreeNode* CopyOf(const CTreeNode* source);
    // True while a whole board is being copied.
    static bool CopiesWhole();

private:
    void LinkCopies();
    bool m_whole;
};
