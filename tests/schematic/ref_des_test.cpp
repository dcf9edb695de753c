// Reference designators (split, compose, order, renumber, duplicates), net
// colours by name, part suffixes of multi-part packages and text mirror signs.
#include "schematic/ref_des.h"
#include "schematic/text.h"
#include "tests/schematic/schematic_fixture.h"
#include "tests/ui_hooks_recorder.h"

#include <algorithm>

namespace {

TEST(RefDesTest, SplitAndCompose) {
    const struct {
        const wchar_t* text;
        const wchar_t* prefix;
        uint32_t number;
        const wchar_t* composed;
    } cases[] = {
        {L"U12", L"U", 12, L"U12"},  {L"U12A", L"U", 12, L"U12"},
        {L"R", L"R", 0, L"R0"},      {L"12", L"", 12, L"12"},
        {L"IC 7", L"IC", 7, L"IC7"}, {L"U-3", L"U", 4294967293u, L"U4294967293"},
        {L"C+5", L"C", 5, L"C5"},    {L"", L"", 0, L"0"},
    };
    for (const auto& c : cases) {
        CRefDes r(c.text);
        EXPECT_EQ(r.m_prefix, c.prefix) << WideToUtf8(c.text);
        EXPECT_EQ(r.m_number, c.number) << WideToUtf8(c.text);
        EXPECT_EQ(r.ToString(), c.composed) << WideToUtf8(c.text);
    }
    EXPECT_EQ(CRefDes(L"R10"), CRefDes(L"R10x"));
}

TEST(RefDesTest, Ordering) {
    EXPECT_LT(CRefDes(L"R9"), CRefDes(L"R10"));
    EXPECT_LT(CRefDes(L"R2"), CRefDes(L"R10"));
    EXPECT_LT(CRefDes(L"C99"), CRefDes(L"R1"));
    EXPECT_LT(CRefDes(L"U1"), CRefDes(L"UA1"));
    EXPECT_LT(CRefDes(L"C5"), CRefDes(L"CN1")) << "a shorter prefix sorts first";
    EXPECT_FALSE(CRefDes(L"R10") < CRefDes(L"R10"));
    std::vector<CRefDes> list;
    for (const wchar_t* t : {L"R1", L"R10", L"R2", L"C5", L"CN1", L"R9"})
        list.emplace_back(t);
    std::sort(list.begin(), list.end());
    std::wstring joined;
    for (const CRefDes& r : list)
        joined += r.ToString() + L" ";
    EXPECT_EQ(joined, L"C5 CN1 R1 R2 R9 R10 ");
}

TEST(RefDesTest, NetColours) {
    for (const wchar_t* n : {L"GND", L"VEE", L"VSS"})
        EXPECT_EQ(CNet::GetDefaultColor(n), 0x00FFFF00u);
    for (const wchar_t* n : {L"+5V", L"5V", L"+3.3V", L"3V3", L"VCC", L"VDD"})
        EXPECT_EQ(CNet::GetDefaultColor(n), 0x000000FFu);
    EXPECT_EQ(CNet::GetDefaultColor(L"vdd"), g_DefaultSettings.colorAirWire);
    EXPECT_EQ(CNet(L"GND").m_airwireColor, 0x00FFFF00u);
    EXPECT_EQ(CNet().m_airwireColor, g_DefaultSettings.colorAirWire);
}

TEST(RefDesTest, MirrorSign) {
    CText text(L"x");
    for (const auto& [layer, sign] : std::vector<std::pair<int, float>>{
             {23, -1.0f}, {2, 1.0f}, {1, -1.0f}, {0, 1.0f}, {22, 1.0f}, {-1, -1.0f}, {21, 1.0f}}) {
        text.m_layer = layer;
        EXPECT_EQ(text.GetMirrorSign(), sign) << layer;
    }
    CPackage package;
    auto* own = static_cast<CText*>(package.AddChild(new CText(L"R1")));
    own->m_layer = 23;
    EXPECT_EQ(own->GetMirrorSign(), 1.0f);
}

class RefDesBoardTest : public SchematicFixture {
protected:
    void LoadPackages(const std::vector<std::string>& names) {
        std::string body = "<Project><Board><Sheet>S</Sheet>";
        int x = 0;
        for (const std::string& n : names) {
            body += "<Package Footprint=\"R\"><Part Outline=\"4,2\" SheetName=\"S\" XY=\"" +
                    std::to_string(x) + ",5\"/><Text Name=\"RefDes\">" + n + "</Text></Package>";
            x += 10;
        }
        body += "<Package><Part SheetName=\"S\"><Pin NetName=\"GND\">L1</Pin></Part>"
                "<Text Name=\"RefDes\">R1</Text></Package></Board></Project>";
        Load(body);
    }
    std::vector<std::wstring> RefDesTexts() {
        std::vector<std::wstring> out;
        for (CPackage* p : CollectPackages(m_board, nullptr))
            out.push_back(p->FindText(L"RefDes")->GetText());
        return out;
    }
};

TEST_F(RefDesBoardTest, NextNumberOfTheSamePrefix) {
    LoadPackages({"R1", "R10", "RN4", "C3", "R?"});
    auto packages = CollectPackages(m_board, nullptr);
    ASSERT_EQ(packages.size(), 5u) << "the power symbol is left out";
    StartUndoGroup();
    EXPECT_TRUE(AssignNextRefDes(m_board, packages[4]));
    EXPECT_EQ(packages[4]->FindText(L"RefDes")->GetText(), L"R11") << "gaps are not reused";
    CPackage extra;
    extra.AddChild(new CText(L"C20"))->SetText(L"C20");
    static_cast<CText*>(extra.GetChild(0))->m_name = L"RefDes";
    std::vector<CPackage*> list{&extra};
    EXPECT_TRUE(AssignNextRefDes(m_board, packages[3], &list));
    EXPECT_EQ(packages[3]->FindText(L"RefDes")->GetText(), L"C21");
    CPackage bare;
    EXPECT_FALSE(AssignNextRefDes(m_board, &bare));
    m_view.undo.Undo();
    EXPECT_EQ(RefDesTexts(), (std::vector<std::wstring>{L"R1", L"R10", L"RN4", L"C3", L"R?"}));
}

TEST_F(RefDesBoardTest, RenumberInDesignatorOrder) {
    LoadPackages({"R10", "R9", "C7", "R2", "CN3", "C7"});
    const std::string before = Save();
    StartUndoGroup();
    RenumberRefDes(m_board);
    EXPECT_EQ(RefDesTexts(),
              (std::vector<std::wstring>{L"R3", L"R2", L"C1", L"R1", L"CN1", L"C2"}));
    m_view.undo.Undo();
    EXPECT_EQ(Save(), before);
}

TEST_F(RefDesBoardTest, DuplicatesAreReported) {
    LoadPackages({"R1", "R2", "R01", "U1", "R2"});
    ScopedUiHooksRecorder ui;
    EXPECT_EQ(ReportDuplicateRefDes(m_board), 2);
    ASSERT_EQ(ui.messageBoxes.size(), 2u);
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Duplicate RefDes");
    EXPECT_EQ(ui.messageBoxes[0].text, L"Sheet 'S' at [0, 5]\nSheet 'S' at [20, 5]");
    EXPECT_EQ(ui.messageBoxes[1].text, L"Sheet 'S' at [10, 5]\nSheet 'S' at [40, 5]");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONERROR);
    LoadPackages({"R1", "R2"});
    EXPECT_EQ(ReportDuplicateRefDes(m_board), 0);
}

TEST_F(RefDesBoardTest, PartSuffixes) {
    Load(R"(<Project><Board><Sheet>S</Sheet>
    <Package PartPerPackage="2"><Part Outline="4,4" SheetName="S" XY="0,0"/><Part Outline="4,4" SheetName="S" XY="20,0"/><Text Name="RefDes">U3</Text></Package>
    </Board></Project>)");
    auto* package = static_cast<CPackage*>(FindFirst(m_board, NodeType::Package));
    CPart* first = package->GetPart(0);
    CPart* second = package->GetPart(1);
    std::wstring a = L"U3", b = L"U3";
    first->AppendPartSuffix(a);
    second->AppendPartSuffix(b);
    EXPECT_EQ(a, L"U3.1");
    EXPECT_EQ(b, L"U3.2");
    // Glued to the high-x edge of the first part: no designator of its own.
    second->m_position = POINT{4, 2};
    a = b = L"U3";
    first->AppendPartSuffix(a);
    second->AppendPartSuffix(b);
    EXPECT_EQ(a, L"U3.1");
    EXPECT_EQ(b, L"");
    // Off the sheet: unchanged.
    Sheet(L"S")->RemoveObject(second);
    b = L"U3";
    second->AppendPartSuffix(b);
    EXPECT_EQ(b, L"U3");
    EXPECT_EQ(second->GetPartNumber(), 0);
}

} // namespace
