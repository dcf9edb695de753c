// A padstack: pad layers, a drill and markings, placed by its pads. Under a
// footprint it is a footprint padstack, under a net a via, under a padstack
// folder a library padstack, under the board properties a via definition.
#pragma once

#include "core/tree_node.h"

#include <vector>

class CDrill;
class CFootprint;
class CMarking;
class CPadLayer;

class CPadstack : public CTreeNode {
public:
    CPadstack();
    explicit CPadstack(const wchar_t* name);
    CPadstack(const CPadstack& other);
    ~CPadstack() override;

    CTreeNode* Clone() const override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;
    // Drill holes, pad crosses and pad numbers (the pad layers and markings
    // draw themselves).
    void DrawOnBoard(Graphics* g, uint32_t flags) override;
    bool GetBoundsOnBoard(Graphics* g, RectF& r) override;
    CTreeNode* HitTestOnBoard(Graphics* g, float x, float y) override;
    void MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    void MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int RightClickOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DragOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DeleteOnBoard(Graphics* g, uint32_t flags) override;

    const std::wstring& GetName() const { return m_text; }
    // The children other than pads (pad layers, drills, markings), in order:
    // a footprint padstack may hold a great many pads, and every pad asks
    // for these.
    const std::vector<CTreeNode*>& GetShapes() const;
    CFootprint* GetParentFootprint() const;
    int GetPadCount() const;
    CDrill* FindDrill() const;
    // The first drill of the same hole (CDrill::IsEqual). A drill of no hole
    // matches none, not even another of no hole: a padstack that holds one
    // is identical to no other.
    CDrill* FindEqualDrill(const CDrill* drill) const;
    bool IsIdentical(const CPadstack* other) const;
    CPadLayer* FindPadLayer(int value) const;
    CPadLayer* FindPadLayerForBoardLayer(int layer) const;
    CMarking* FindMarking(int value) const { return FindMarking(this, value); }
    CMarking* FindMarkingForBoardLayer(int layer) const;
    CMarking* GetMarking(int value, bool create) { return GetMarking(this, value, create); }
    // The same on any marking parent (a footprint or a padstack).
    static CMarking* FindMarking(const CTreeNode* parent, int value);
    // The marking on the layer; with create, a missing one is appended with
    // an undo record.
    static CMarking* GetMarking(CTreeNode* parent, int value, bool create);
    // 0 when the pads are on the top side only, 1 bottom only, -1 otherwise
    // (a drill, both sides, or none).
    int GetSurfaceMountSide() const;
    // Transforms of the pad shapes, drills and markings about the padstack
    // origin.
    void Rotate90(bool shift);
    void MirrorHorizontally();
    void MirrorVertically();

    uint32_t m_unit = 1;
    float m_gridX = 0;
    float m_gridY = 0;
    bool m_noThermal = false;

protected:
    void ChildrenChanged(CTreeNode* child) override;

private:
    // GetShapes' list, gathered again after a child other than a pad joined
    // or left.
    mutable std::vector<CTreeNode*> m_shapes;
    mutable bool m_shapesKnown = false;
};

// The marking on a layer of a footprint or padstack, appended with an undo
// record when missing.
CMarking* FindOrAddMarking(CTreeNode* node, int value);
