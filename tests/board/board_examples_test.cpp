// The example board and footprint library: every board-side element and
// value kind appears, and a save and reload gives back the same fields.
#include "board/board_types.h"
#include "core/board_layer.h"
#include "tests/board/board_fixture.h"

#include <functional>
#include <set>

namespace {

std::wstring ExamplePath(const wchar_t* name) {
    return Utf8ToWide(VORPEL_SOURCE_DIR) + L"/examples/" + name;
}

void Walk(CTreeNode* node, const std::function<void(CTreeNode*)>& f) {
    f(node);
    for (CTreeNode* child : node->GetChildren())
        Walk(child, f);
}

// Field values of both trees, through each node's own writer, compared
// node by node.
void ExpectSameFields(CTreeNode* a, CTreeNode* b) {
    ASSERT_STREQ(a->GetTagName(), b->GetTagName());
    a->WriteAttributes();
    b->WriteAttributes();
    EXPECT_EQ(a->GetAttributes(), b->GetAttributes()) << WideToUtf8(a->GetText());
    EXPECT_EQ(a->GetText(), b->GetText());
    ASSERT_EQ(a->GetChildCount(), b->GetChildCount());
    for (std::size_t i = 0; i < a->GetChildCount(); ++i)
        ExpectSameFields(a->GetChild(i), b->GetChild(i));
}

} // namespace

class BoardExamplesTest : public BoardFixture {};

TEST_F(BoardExamplesTest, SaveAndReloadKeepsEveryField) {
    for (const wchar_t* name : {L"demo.circuit", L"demo.footprint"}) {
        SCOPED_TRACE(WideToUtf8(name));
        CRoot first;
        ASSERT_TRUE(CXmlFile(&first).Load(ExamplePath(name).c_str()));
        BuildBoardNetsInTree(&first);
        // Reading fills the fields; writing them back empties nothing.
        CRoot untouched;
        ASSERT_TRUE(CXmlFile(&untouched).Load(ExamplePath(name).c_str()));
        std::vector<XmlAttributeMap> read;
        Walk(&untouched, [&](CTreeNode* n) { read.push_back(n->GetAttributes()); });
        std::size_t i = 0;
        Walk(&untouched, [&](CTreeNode* n) {
            n->WriteAttributes();
            EXPECT_EQ(n->GetAttributes(), read[i++]) << n->GetTagName();
        });

        const std::string saved = SaveText(first);
        CRoot second;
        ASSERT_TRUE(LoadText(second, saved));
        ExpectSameFields(&first, &second);
        EXPECT_EQ(SaveText(second), saved);
    }
}

TEST_F(BoardExamplesTest, EveryValueKindIsUsed) {
    std::set<std::wstring> seen; // "Element.Attribute=Value"
    std::set<std::wstring> tags;
    for (const wchar_t* name : {L"demo.circuit", L"demo.footprint"}) {
        CRoot root;
        ASSERT_TRUE(CXmlFile(&root).Load(ExamplePath(name).c_str()));
        Walk(&root, [&](CTreeNode* n) {
            tags.insert(n->GetTagName());
            for (const auto& [attr, value] : n->GetAttributes())
                seen.insert(std::wstring(n->GetTagName()) + L"." + std::wstring(attr) + L"=" +
                            std::wstring(value));
            seen.insert(std::wstring(n->GetTagName()) + L".#=" + n->GetText().substr(0, 3));
        });
    }
    auto has = [&](const std::wstring& key) { return seen.count(key) != 0; };
    auto hasPrefix = [&](const std::wstring& prefix) {
        auto it = seen.lower_bound(prefix);
        return it != seen.end() && it->compare(0, prefix.size(), prefix) == 0;
    };
    for (const wchar_t* tag :
         {L"Board", L"Layer", L"Thermal", L"Mounting", L"Properties", L"PadLayer", L"Padstack",
          L"Pad", L"Marking", L"Drill", L"Footprint", L"Conductor", L"Area"})
        EXPECT_EQ(tags.count(tag), 1u) << WideToUtf8(tag);
    // Pad shapes (ROUND is the default, written as no attribute).
    for (const XmlEnumRow& row : kPadShapeRows)
        if (row.value != kPadShapeRound) {
            EXPECT_TRUE(has(std::wstring(L"PadLayer.Shape=") + row.name)) << row.value;
        }
    for (const XmlEnumRow& row : kDrillTypeRows)
        if (row.value != kDrillRound) {
            EXPECT_TRUE(has(std::wstring(L"Drill.Type=") + row.name)) << row.value;
        }
    // Every layer of the example is written out for manufacturing; the
    // documentation type lives on test boards of their own.
    for (const XmlEnumRow& row : kLayerTypeRows)
        if (row.value != kLayerTypeRouting && row.value != kLayerTypeDoc) {
            EXPECT_TRUE(has(std::wstring(L"Layer.Type=") + row.name)) << row.value;
        }
    for (const XmlEnumRow& row : kPadLayerRows)
        if (row.value >= 22) {
            EXPECT_TRUE(has(std::wstring(L"Marking.Layer=") + row.name)) << row.value;
        }
    for (const wchar_t* v : {L"BOT", L"INR", L"PLN", L"SMT", L"SMB", L"SPT", L"SPB", L"ASB"})
        EXPECT_TRUE(has(std::wstring(L"PadLayer.Layer=") + v)) << WideToUtf8(v);
    for (const wchar_t* key :
         {L"Drill.NonPlated=1", L"Footprint.Place=BOTTOM", L"Footprint.Fixed=1", L"Layer.Net=N1",
          L"Layer.NoThermal=1", L"Area.NoThermal=1", L"Padstack.NoThermal=1", L"Board.Unit=0",
          L"Properties.ConductorSpacing=0.2", L"Properties.IsolationWidth=0.4",
          L"Properties.SpokeWidth=0.35", L"Thermal.#="})
        EXPECT_TRUE(has(key)) << WideToUtf8(key);
    for (const wchar_t* prefix :
         {L"Footprint.Rotation=", L"Footprint.Unit=", L"Footprint.Grid=", L"Padstack.Grid=",
          L"Padstack.Unit=", L"Drill.Slot=", L"Drill.Diam=", L"Conductor.Width=", L"Area.Net=",
          L"Properties.DefaultVia=", L"Properties.ConductorWidth=", L"Thermal.Isolation=",
          L"Thermal.Spoke=", L"Pad.Num=", L"Pad.XY=", L"Board.Grid=", L"Board.Outline="})
        EXPECT_TRUE(hasPrefix(prefix)) << WideToUtf8(prefix);
    // Outline pieces of every kind, marking primitives of every kind.
    std::wstring texts;
    for (const wchar_t* name : {L"demo.circuit", L"demo.footprint"}) {
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(ExamplePath(name), bytes));
        texts += Utf8ToWide(bytes);
    }
    for (const wchar_t* token : {L">LIN", L" ARC", L" CRV", L">L", L">RC", L" CIRC", L">POLY",
                                 L">ARC", L">CRV", L" TXT", L">TXT", L",0.500 ", L",1.250 "})
        EXPECT_NE(texts.find(token), std::wstring::npos) << WideToUtf8(token);
}
