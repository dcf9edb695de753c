// A document node for property-panel tests: it fills one row of every kind
// and applies an edited row as model objects do (start a new undo group,
// push a record holding the old values, then store the new value).
#pragma once

#include "core/color_combobox.h"
#include "core/font_combobox.h"
#include "core/layer_combobox.h"
#include "core/pin_shape_combobox.h"
#include "core/property_checkbox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "core/tree_node.h"
#include "core/undo_item.h"
#include "core/vorpel_view.h"

#include <string>
#include <vector>

class PropertyTestObject;

// The record of one row edit: undoing it puts the old values back.
class RowEditUndo : public CUndoItemOfUnsharedValues {
public:
    RowEditUndo(PropertyTestObject* object);
    CUndoItem* Undo() override;
    PropertyTestObject* object;
    std::wstring name;
    float length;
};

class PropertyTestObject : public CTreeNode {
public:
    enum Row {
        kName,
        kLength,
        kOrigin,
        kVisible,
        kColor,
        kStyle,
        kLayer,
        kFont,
        kPinShape,
        kNote,
        kRowCount
    };

    void FillPropertyGrid() override {
        CPropertyGrid* g = GetPropertyGrid();
        g->SetTitleText(L"Test object");
        g->AddTextNamed(L"Name", name);
        g->AddFloat(169, length, unit);
        g->AddPointF(164, origin.X, origin.Y, unit);
        g->AddCheckbox(165, visible);
        g->AddColor(166, color);
        g->AddComboStrings(L"Style", {L"Solid", L"Dash", L"Dot"}, style);
        g->AddLayer(167, layerId, innerLayers);
        g->AddFont(168, face);
        g->AddPinShape(pinShape);
        g->AddEditAndCheckboxNamed(L"Note", note, noteOn);
    }

    void ApplyPropertyChange(int row) override {
        applied.push_back(row);
        CPropertyGrid* g = GetPropertyGrid();
        CPropertyItem* item = g->GetItem(row);
        // Each kind is read and checked before anything is recorded, so a
        // rejected text leaves the object and the history alone.
        switch (row) {
        case kName:
            Record();
            name = static_cast<CPropertyEdit*>(item)->GetText();
            break;
        case kLength: {
            float mm = 0;
            if (!g->ParseRowLength(item, &mm))
                return;
            Record();
            length = mm;
            break;
        }
        case kOrigin: {
            PointF p;
            if (!g->ParsePointRow(item, &p))
                return;
            Record();
            origin = p;
            break;
        }
        case kVisible:
            Record();
            visible = static_cast<CPropertyCheckbox*>(item)->GetCheck();
            break;
        case kColor:
            Record();
            color = static_cast<CColorCombobox*>(item)->GetColor();
            break;
        case kStyle:
            Record();
            style = static_cast<CPropertyCombobox*>(item)->GetSelectedText();
            break;
        case kLayer:
            Record();
            layerId = static_cast<CLayerCombobox*>(item)->GetLayerStringId();
            break;
        case kFont:
            Record();
            face = static_cast<CFontCombobox*>(item)->GetFaceName();
            break;
        case kPinShape:
            Record();
            pinShape = static_cast<CPinShapeCombobox*>(item)->GetPinShape();
            break;
        case kNote:
            Record();
            note = static_cast<CPropertyEditAndCheckbox*>(item)->GetText();
            noteOn = static_cast<CPropertyEditAndCheckbox*>(item)->GetCheck();
            break;
        default:
            break;
        }
    }

    void Record() {
        if (!g_pActiveView)
            return;
        CUndoList& undo = g_pActiveView->GetUndoList();
        undo.SetStartNewGroup(true);
        undo.AddUndo(new RowEditUndo(this));
    }

    std::wstring name = L"R1";
    float length = 25.4f;
    int unit = kUnitMil;
    PointF origin{1.0f, 2.0f};
    bool visible = true;
    COLORREF color = 0x00FF00;
    std::wstring style = L"Dash";
    unsigned layerId = 33000;
    int innerLayers = 4;
    std::wstring face = L"Arial";
    int pinShape = 3;
    std::wstring note = L"n";
    bool noteOn = false;
    std::vector<int> applied;
};

inline RowEditUndo::RowEditUndo(PropertyTestObject* o)
    : object(o), name(o->name), length(o->length) {}

inline CUndoItem* RowEditUndo::Undo() {
    auto* inverse = new RowEditUndo(object);
    object->name = name;
    object->length = length;
    if (GetPropertyGrid())
        GetPropertyGrid()->ShowProperties(object);
    return inverse;
}
