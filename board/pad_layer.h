// The copper (or mask, paste) shape of a padstack on one layer.
#pragma once

#include "board/board_types.h"
#include "core/tree_node.h"

class CAreaNode;
class CLayer;
class GraphicsPath;
class CThermalRelief;

class CPadLayer : public CTreeNode {
public:
    explicit CPadLayer(int layer = -1);
    CPadLayer(const CPadLayer& other);
    ~CPadLayer() override;

    CTreeNode* Clone() const override;
    void ClearOwnSelection() override;
    const wchar_t* GetTagName() const override;
    void ReadAttributes() override;
    void WriteAttributes() override;
    void FillPropertyGrid() override;
    void ApplyPropertyChange(int row) override;
    void DrawOnBoard(Graphics* g, uint32_t flags) override;
    bool GetBoundsOnBoard(Graphics* g, RectF& r) override;
    CTreeNode* HitTestOnBoard(Graphics* g, float x, float y) override;
    void MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    void MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int RightClickOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DragOnBoard(Graphics* g, uint32_t flags, float x, float y) override;
    int DeleteOnBoard(Graphics* g, uint32_t flags) override;
    // The layer id it is drawn on: its current board layer's, else its own.
    int GetDrawnLayerId() const;

    CThermalRelief* FindThermalRelief() const;
    // Own thermal relief, else the board's (last under its properties).
    CThermalRelief* GetEffectiveThermalRelief() const;
    bool IsDifferent(const CPadLayer* other) const;
    void Rotate90(bool shift);
    void MirrorHorizontally();
    void MirrorVertically();
    // The shape choice of the property rows (records its undo step).
    void SetShape(int shape);

    // --- Shapes, centred on the padstack origin (pad_layer_shapes.cpp). -----
    // Isolation and spoke of the effective thermal relief (0.3 each without).
    void GetThermalParameters(float* isolation, float* spoke) const;
    // Resets the path and writes the pad shape at the given size (a custom
    // pad: its outline, whatever the size).
    void BuildShapePath(GraphicsPath* path, float width, float height) const;
    // The pad grown by margin on every side (rectangles keep sharp corners,
    // a custom outline is offset and merged); no shape leaves the path as it
    // was.
    void BuildPath(GraphicsPath* path, float margin) const;
    // BuildPath for a shape cut out of copper: a custom outline is merged
    // with its curves flattened outside the grown shape (FlattenOutward);
    // the other shapes keep their curves for the caller to flatten so.
    void BuildClearancePath(GraphicsPath* path, float margin) const;
    // Resets the path and writes the copper-free figures of the thermal
    // relief: the ring between the pad and the pad grown by the isolation,
    // less the spokes of the spoke width along both axes. Each quadrant
    // figure is that ring clipped to its quadrant beyond the half spoke; a
    // quadrant where nothing is left adds no figure.
    void BuildThermalPath(GraphicsPath* path) const;
    // The clearance on plane layers: the padstack's PLN pad at its own size,
    // else this pad grown by its isolation.
    void BuildPlaneClearancePath(GraphicsPath* path) const;

    int m_layer;                     // PadLayerId
    CLayer* m_pDrawnLayer = nullptr; // set by the board drawing; not saved
    int m_shape = kPadShapeNone;
    float m_width = 0;
    float m_height = 0;
    CAreaNode* m_outline = nullptr;

private:
    void BuildGrownPath(GraphicsPath* path, float margin, bool outward) const;
};
