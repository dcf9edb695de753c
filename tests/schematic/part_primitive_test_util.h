// Shared pieces of the symbol primitive tests: a part node that owns a
// primitive list (as the part class will), a symbol view made active with
// a device context prepared by it, and token helpers.
#pragma once

#include "core/tree_node.h"
#include "platform/dc_recorder.h"
#include "platform/device_context.h"
#include "schematic/part_primitive.h"
#include "schematic/part_primitive_curves.h"
#include "schematic/part_primitive_list.h"
#include "schematic/part_primitive_shapes.h"
#include "schematic/part_primitive_text.h"
#include "tests/core/test_view.h"

#include <memory>
#include <string>

class TestPart : public CTreeNode, public CPartPrimitiveOwner {
public:
    TestPart() : CTreeNode(23) {}
    ~TestPart() override { DeletePartPrimitives(primitives); }
    PartPrimitiveList& GetOwnPrimitives() override { return primitives; }
    // Reads a part text into the list.
    void Read(const std::wstring& text) { ReadPartPrimitives(this, text, primitives); }
    std::wstring Text() const { return WritePartPrimitives(primitives); }
    CPartPrimitive* At(size_t i) const { return primitives.at(i); }

    PartPrimitiveList primitives;
};

// One primitive from a token, owned by the test.
inline std::unique_ptr<CPartPrimitive> MakePrimitive(const std::wstring& token,
                                                     CTreeNode* owner = nullptr) {
    return std::unique_ptr<CPartPrimitive>(CreatePartPrimitive(owner, token));
}

inline std::string KindName(const CPartPrimitive* p) {
    if (dynamic_cast<const CPartLine*>(p))
        return "CPartLine";
    if (dynamic_cast<const CPartRect*>(p))
        return "CPartRect";
    if (dynamic_cast<const CPartCircle*>(p))
        return "CPartCircle";
    if (dynamic_cast<const CPartPolygon*>(p))
        return "CPartPolygon";
    if (dynamic_cast<const CPartArc*>(p))
        return "CPartArc";
    if (dynamic_cast<const CPartBezier*>(p))
        return "CPartBezier";
    if (dynamic_cast<const CPartText*>(p))
        return "CPartText";
    return "none";
}

template <class T> T* As(const std::unique_ptr<CPartPrimitive>& p) {
    return dynamic_cast<T*>(p.get());
}

// A symbol view on a document of sheet height 29700, active for the
// fixture's life, with a recording device context prepared by the view.
class SymbolViewFixture {
public:
    explicit SymbolViewFixture(int zoomFactor = 1, int zoomMode = 1)
        : view(&document, kViewSymbol), active(&view), dc(960, 960) {
        document.m_size = SIZE{42000, 29700};
        view.SetZoom(zoomFactor, zoomMode);
        dc.SetRecorder(&recorder);
        view.PrepareDC(&dc);
        root.AddChild(new CTreeNode(22)); // a package before the part
        part = new TestPart;
        root.AddChild(part);
    }
    ~SymbolViewFixture() { dc.SetRecorder(nullptr); }

    CTreeNode document{21};
    CTestView view;
    ScopedActiveView active;
    DeviceContext dc;
    DcRecorder recorder;
    CTreeNode root{0};
    TestPart* part = nullptr;
};
