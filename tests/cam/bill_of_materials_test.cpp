// The bill of materials: the whole file, grouping of designators into runs,
// the messages for missing and duplicate designators, quoting of fields, and
// where the file goes.
#include "cam/bill_of_materials.h"

#include "board/board.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "tests/board/board_fixture.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Component {
    std::string refDes;
    std::string value = "10k";
    std::string description = "Resistor";
    int x = 0, y = 0;
};

// A package with one part at (x, y) on sheet "Main" and the five texts; a
// field given as "-" is left out.
std::string Package(const Component& c) {
    auto text = [](const char* name, const std::string& value) {
        return value == "-" ? std::string()
                            : "<Text Name=\"" + std::string(name) + "\">" + value + "</Text>";
    };
    return "<Package Footprint=\"R0805\"><Part SheetName=\"Main\" XY=\"" + std::to_string(c.x) +
           "," + std::to_string(c.y) + "\"/>" + text("RefDes", c.refDes) +
           text("PartNum", "RC0805") + text("Value", c.value) + text("Tolerance", "1%") +
           text("Description", c.description) + "</Package>";
}

const char* kPowerSymbol = R"(<Package><Part SheetName="Main" XY="27,6">
    <Pin Name="GND" NetName="GND" Shape="0">L3</Pin></Part><Text Name="RefDes">R4</Text></Package>)";

class BillOfMaterials : public BoardFixture {
protected:
    CBoard* Load(const std::string& packages, const std::string& name = "Main") {
        root_.SetRootTag(L"Project");
        const std::string xml = "<Project><Board>" + name +
                                "<Sheet>Main</Sheet><Sheet>Power</Sheet>" + packages +
                                "</Board></Project>";
        EXPECT_TRUE(LoadText(root_, XmlDoc(xml)));
        root_.SetFilePath(Utf8ToWide(m_dir) + L"/demo.circuit");
        for (CTreeNode* child : root_.GetChildren())
            if (child->GetType() == NodeType::Board)
                return static_cast<CBoard*>(child);
        return nullptr;
    }
    std::wstring Prefix() const { return Utf8ToWide(m_dir) + L"/out"; }
    std::wstring File() const { return Prefix() + L".Main.bom.csv"; }
    // The group lines (after the column header); the whole file is checked
    // once below.
    std::vector<std::string> Groups(const std::wstring& file) const {
        std::string bytes;
        if (!ReadWholeFile(file, bytes))
            return {"<missing>"};
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(bytes.substr(start, end - start));
        if (lines.size() < 4)
            return {"<short>"};
        return {lines.begin() + 4, lines.end()};
    }
    std::vector<std::string> Groups() const { return Groups(File()); }

    CRoot root_;
};

TEST_F(BillOfMaterials, WholeFileWithRunsAndSeparateValues) {
    std::string packages;
    for (const char* r : {"R8", "R1", "R3", "R5", "R2", "R7"})
        packages += Package({r});
    packages += Package({"C2", "10n", "Capacitor"}) + Package({"C1", "100n", "Capacitor"});
    packages += kPowerSymbol;
    CBoard* board = Load(packages);
    ScopedUiHooksRecorder ui;
    EXPECT_TRUE(ExportBillOfMaterials(board, Prefix()));
    EXPECT_TRUE(ui.messageBoxes.empty());
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(File(), bytes));
    EXPECT_EQ(bytes, "\xEF\xBB\xBF"
                     "Bill of materials\r\n"
                     "Project: \"demo\", Board: \"Main\"\r\n"
                     "\r\n"
                     "RefDes;PartNum;Value;Tolerance;Description;Quantity\r\n"
                     "C1;RC0805;100n;1%;Capacitor;1\r\n"
                     "C2;RC0805;10n;1%;Capacitor;1\r\n"
                     "R1-R3,R5,R7,R8;RC0805;10k;1%;Resistor;6\r\n");
}

struct GroupCase {
    const char* name;
    std::vector<Component> components;
    std::vector<std::string> groups;
};
class BillOfMaterialsGroups : public BillOfMaterials,
                              public ::testing::WithParamInterface<GroupCase> {};

TEST_P(BillOfMaterialsGroups, GroupsEqualComponentsOfOnePrefix) {
    std::string packages;
    for (const Component& c : GetParam().components)
        packages += Package(c);
    CBoard* board = Load(packages);
    ScopedUiHooksRecorder ui;
    EXPECT_TRUE(ExportBillOfMaterials(board, Prefix()));
    EXPECT_EQ(Groups(), GetParam().groups);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BillOfMaterialsGroups,
    ::testing::Values(
        GroupCase{"Pair", {{"R2"}, {"R1"}}, {"R1,R2;RC0805;10k;1%;Resistor;2"}},
        GroupCase{"NumberOrder", {{"R10"}, {"R9"}}, {"R9,R10;RC0805;10k;1%;Resistor;2"}},
        GroupCase{"PrefixesNeverShare",
                  {{"U1"}, {"IC1"}},
                  {"IC1;RC0805;10k;1%;Resistor;1", "U1;RC0805;10k;1%;Resistor;1"}},
        // R2 differs: R1 and R3 are no run, R2 gets a line of its own.
        GroupCase{"OtherValueInTheMiddle",
                  {{"R1"}, {"R2", "1k"}, {"R3"}, {"R4"}},
                  {"R1,R3,R4;RC0805;10k;1%;Resistor;3", "R2;RC0805;1k;1%;Resistor;1"}},
        // Lines follow their first designators; a group's runs skip the
        // designators of other groups.
        GroupCase{"Interleaved",
                  {{"R1", "1k"}, {"R2"}, {"R3", "1k"}, {"R4"}, {"R5", "1k"}, {"R6", "1k"}, {"R7"}},
                  {"R1,R3,R5,R6;RC0805;1k;1%;Resistor;4", "R2,R4,R7;RC0805;10k;1%;Resistor;3"}},
        // A missing field and an empty one are different.
        GroupCase{"MissingIsNotEmpty",
                  {{"R1", ""}, {"R2", "-"}, {"R3", ""}},
                  {"R1,R3;RC0805;;1%;Resistor;2", "R2;RC0805;;1%;Resistor;1"}},
        // Fields that would shift the columns are quoted (the line break
        // stays inside the quotes).
        GroupCase{"Quoting",
                  {{"R1", "1;2", "say \"hi\""}, {"R2", "1k", "a&#10;b"}},
                  {"R1;RC0805;\"1;2\";1%;\"say \"\"hi\"\"\";1", "R2;RC0805;1k;1%;\"a\nb\";1"}}),
    [](const ::testing::TestParamInfo<GroupCase>& info) { return info.param.name; });

TEST_F(BillOfMaterials, APackageWithoutAUsableDesignatorIsReportedAndLeftOut) {
    CBoard* board =
        Load(Package({"R1"}) + Package({"-", "1k", "x", 7, 9}) + Package({"", "1k", "x", 3, 4}) +
             Package({"R0", "1k", "x", 5, 6}) + "<Package><Text Name=\"RefDes\"></Text></Package>");
    ScopedUiHooksRecorder ui;
    // Written, but without what was reported: a failure for the caller.
    EXPECT_FALSE(ExportBillOfMaterials(board, Prefix()));
    ASSERT_EQ(ui.messageBoxes.size(), 4u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"Part at [7,9] has no RefDes or invalid on sheet 'Main'");
    EXPECT_EQ(ui.messageBoxes[1].text, L"Part at [3,4] has no RefDes or invalid on sheet 'Main'");
    EXPECT_EQ(ui.messageBoxes[2].text, L"Part at [5,6] has no RefDes or invalid on sheet 'Main'");
    // A package without any part: placeholders, not a crash.
    EXPECT_EQ(ui.messageBoxes[3].text, L"Part at [0,0] has no RefDes or invalid on sheet '?'");
    for (const auto& box : ui.messageBoxes) {
        EXPECT_EQ(box.caption, L"Vorpel");
        EXPECT_EQ(box.Icon(), MB_ICONERROR);
    }
    EXPECT_EQ(Groups(), (std::vector<std::string>{"R1;RC0805;10k;1%;Resistor;1"}));
}

TEST_F(BillOfMaterials, ADuplicateDesignatorNamesBothPlacesAndKeepsTheFirst) {
    CBoard* board =
        Load(Package({"R1", "10k", "Resistor", 1, 2}) + Package({"R1", "1k", "Resistor", 30, 40}) +
             "<Package><Text Name=\"RefDes\">R1</Text></Package>");
    ScopedUiHooksRecorder ui;
    EXPECT_FALSE(ExportBillOfMaterials(board, Prefix()));
    ASSERT_EQ(ui.messageBoxes.size(), 2u);
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Duplicate RefDes");
    EXPECT_EQ(ui.messageBoxes[0].text, L"Sheet 'Main' at [1, 2]\nSheet 'Main' at [30, 40]");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONERROR);
    EXPECT_EQ(ui.messageBoxes[1].text, L"Sheet 'Main' at [1, 2]\nSheet '?' at [0, 0]");
    EXPECT_EQ(Groups(), (std::vector<std::string>{"R1;RC0805;10k;1%;Resistor;1"}));
}

TEST_F(BillOfMaterials, NoComponentsWritesNoFile) {
    CBoard* board = Load(kPowerSymbol);
    ScopedUiHooksRecorder ui;
    EXPECT_FALSE(ExportBillOfMaterials(board, Prefix()));
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"No components found");
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONERROR);
    EXPECT_FALSE(FileExists(File()));
}

TEST_F(BillOfMaterials, AFileThatCannotBeCreatedIsReported) {
    CBoard* board = Load(Package({"R1"}));
    ASSERT_TRUE(CreateDirectories(File()));
    ScopedUiHooksRecorder ui;
    EXPECT_FALSE(ExportBillOfMaterials(board, Prefix()));
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"File save error " + File() + L"'");
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
}

TEST_F(BillOfMaterials, TheCommandWritesIntoTheProjectsFolder) {
    CBoard* board = Load(Package({"R1"}));
    ScopedUiHooksRecorder ui;
    EXPECT_TRUE(ExportBillOfMaterials(board));
    EXPECT_TRUE(ui.messageBoxes.empty());
    const std::wstring file = Utf8ToWide(m_dir) + L"/demo/demo.Main.bom.csv";
    EXPECT_EQ(Groups(file), (std::vector<std::string>{"R1;RC0805;10k;1%;Resistor;1"}));
}

TEST_F(BillOfMaterials, AProjectNeverSavedUsesDocumentsNotTheFileSystemRoot) {
    CBoard* board = Load(Package({"R1"}));
    root_.SetFilePath(L"");
    bool noProject = true;
    EXPECT_EQ(BillOfMaterialsPath(board, &noProject), DocumentsFolder() + L"/gerber");
    EXPECT_FALSE(noProject);
}

TEST_F(BillOfMaterials, WithoutAProjectTheUserIsWarnedAndDocumentsIsUsed) {
    CBoard* board = Load(Package({"R1"}), "LooseBomTest");
    board->RemoveFromParent();
    std::unique_ptr<CBoard> owned(board);
    const std::wstring file = DocumentsFolder() + L"/gerber.LooseBomTest.bom.csv";
    ScopedUiHooksRecorder ui;
    const bool written = ExportBillOfMaterials(board);
    ASSERT_GE(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"Root node not found");
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONWARNING);
    if (written) {
        EXPECT_TRUE(FileExists(file));
        RemoveFile(file);
    } else {
        // No Documents folder here: the failure names the same file.
        ASSERT_EQ(ui.messageBoxes.size(), 2u);
        EXPECT_EQ(ui.messageBoxes[1].text, L"File save error " + file + L"'");
    }
}

} // namespace
