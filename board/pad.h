// One placement of a padstack in a footprint (or the position of a via).
#pragma once

#include "core/tree_node.h"

#include <string>

class CFootprint;
class CNet;
class CPadstack;
class CPin;

class CPad : public CTreeNode {
public:
    CPad();
    CPad(const CPad& other);
    ~CPad() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    // Hit when the point (in the padstack's parent coordinates) lies within
    // the pad's largest copper extent (see pad.cpp).
    CTreeNode* HitTestOnBoard(Graphics* g, float x, float y) override;
    bool GetBoundsOnBoard(Graphics* g, RectF& r) override;
    void InvalidateOnBoard(Graphics* g) override;
    void MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    void MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DragOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DeleteOnBoard(Graphics* g, uint32_t flags) override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;

    CPadstack* GetPadstack() const;
    CFootprint* GetFootprint() const;
    // The pad's place on the board (through its footprint's placement).
    PointF GetBoardPosition() const;
    bool IsAtPoint(float x, float y) const;
    CPin* FindPin() const;
    CNet* GetNet() const;
    std::wstring GetNetName() const;

    std::wstring m_num;
    bool m_marked = false;    // drawn with a small cross; not saved
    bool m_highlight = false; // emphasised (drill table); not saved
};
