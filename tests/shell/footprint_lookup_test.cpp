// Looking a footprint up by name in the library files on disk: the folder
// list of the settings (or the two default folders), nested folders and
// nested footprint folders, exact names, the first match winning, and what
// is passed over: other files, damaged files, damaged list entries and
// links that lead back into a folder being searched.
#include "board/footprint.h"
#include "core/model_services.h"
#include "platform/folders.h"
#include "tests/shell/frame_fixture.h"

#include <time.h>
#include <unistd.h>

namespace {

constexpr wchar_t kLibrariesKey[] = L"Software\\Vorpel\\Footprint Libraries";

// A footprint library holding the footprints given as XML lines.
std::string Library(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<FootprintLib>\r\n" + body +
           "</FootprintLib>\r\n";
}

std::string Footprint(const std::string& name, const std::string& rotation) {
    return "  <Footprint Grid=\"0.5,0.5\" Rotation=\"" + rotation + "\" Unit=\"2\">" + name +
           "</Footprint>\r\n";
}

class FootprintLookupTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        StartFrame();
        ui.Clear();
    }
    // A file below the scratch folder (folders made as needed).
    std::wstring Put(const std::wstring& relative, const std::string& text) {
        std::wstring path = PathJoin(scratch, relative);
        CreateDirectories(PathDirectory(path));
        EXPECT_TRUE(WriteWholeFile(path, text));
        return path;
    }
    std::wstring Folder(const std::wstring& relative) {
        std::wstring path = PathJoin(scratch, relative);
        CreateDirectories(path);
        return path + L"/";
    }
    // The rotation of the footprint found, -1 for none.
    float Lookup(const std::wstring& name) {
        CTreeNode* found = g_MainFrame.FindLibraryFootprint(name);
        if (!found)
            return -1;
        auto* footprint = static_cast<CFootprint*>(found);
        // The copy is in millimetres and without a grid.
        EXPECT_EQ(footprint->m_unit, 1u);
        EXPECT_EQ(footprint->m_gridX, 0.0f);
        EXPECT_EQ(footprint->m_gridY, 0.0f);
        EXPECT_FALSE(footprint->FindAttribute(L"Unit").has_value());
        EXPECT_EQ(footprint->GetParent(), nullptr);
        float rotation = footprint->m_rotation;
        delete found;
        return rotation;
    }
    int NotFoundBoxes() const {
        int n = 0;
        for (const auto& m : ui.messageBoxes) {
            if (m.text == L"Footprint not found") {
                EXPECT_EQ(m.caption, L"Vorpel");
                EXPECT_EQ(m.Icon(), static_cast<unsigned>(MB_ICONWARNING));
                ++n;
            }
        }
        return n;
    }
};

TEST_F(FootprintLookupTest, WithoutAListTheDefaultFolderAndTheProgramsFolderAreSearched) {
    ASSERT_FALSE(SettingsStore::KeyExists(kLibrariesKey));
    const std::vector<std::wstring> folders = g_MainFrame.FootprintLibraryFolders();
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0], g_MainFrame.GetDefaultFolder(2));
    EXPECT_EQ(folders[1], g_MainFrame.GetProgramFolder() + L"/Lib/Footprint/");
    // Deep below the default folder, found also through the model's hook.
    const std::wstring deep =
        PathJoin(g_MainFrame.GetDefaultFolder(2), L"smd/resistors/r.footprint");
    CreateDirectories(PathDirectory(deep));
    ASSERT_TRUE(WriteWholeFile(deep, Library(Footprint("R0603", "90"))));
    EXPECT_EQ(Lookup(L"R0603"), 90.0f);
    CTreeNode* viaModel = FindLibraryFootprint(L"R0603");
    ASSERT_NE(viaModel, nullptr);
    delete viaModel;
    EXPECT_EQ(NotFoundBoxes(), 0);
    // The build puts the demo footprints into the program's folder.
    EXPECT_EQ(Lookup(L"SO14"), 0.0f);
    EXPECT_EQ(NotFoundBoxes(), 0);
    EXPECT_EQ(Lookup(L"R1206"), -1.0f);
    EXPECT_EQ(NotFoundBoxes(), 1);
}

TEST_F(FootprintLookupTest, ListedFoldersAreSearchedInTheirStoredOrder) {
    const std::wstring a = Folder(L"a"), b = Folder(L"b"), c = Folder(L"c");
    Put(L"a/lib.footprint", Library(Footprint("SO8", "10")));
    Put(L"b/lib.footprint", Library(Footprint("SO8", "20") + Footprint("SO14", "30")));
    Put(L"c/lib.footprint", Library(Footprint("TO220", "40")));
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(kLibrariesKey));
        key.SetNumber(L"LastDir", 0);
        key.SetNumber(a, 1);
        key.SetNumber(L"LastLib", 1);
        key.SetNumber(b, 0);
        key.SetString(L"notes", L"not a folder");
        // Places that no list of four folders has.
        key.SetNumber(c, 0xFFFFFFFFu);
        key.SetNumber(Folder(L"d"), 7);
    }
    EXPECT_EQ(g_MainFrame.FootprintLibraryFolders(), (std::vector<std::wstring>{b, a}));
    EXPECT_EQ(Lookup(L"SO8"), 20.0f);
    EXPECT_EQ(Lookup(L"SO14"), 30.0f);
    EXPECT_EQ(Lookup(L"TO220"), -1.0f);
    EXPECT_EQ(NotFoundBoxes(), 1);

    // An empty list finds nothing, and says so once.
    SettingsStore::DeleteKey(kLibrariesKey);
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(kLibrariesKey));
    }
    ui.Clear();
    EXPECT_EQ(Lookup(L"SO8"), -1.0f);
    EXPECT_EQ(NotFoundBoxes(), 1);
}

TEST_F(FootprintLookupTest, NamesMatchExactlyInsideNestedFootprintFoldersFirstFileFirst) {
    const std::wstring folder = Folder(L"lib");
    Put(L"lib/a.footprint",
        Library("  <PadstackFolder>P\r\n    <Padstack>SO8</Padstack>\r\n  </PadstackFolder>\r\n"
                "  <FootprintFolder>Outer\r\n    <FootprintFolder>Inner\r\n" +
                Footprint("SO8", "5") + "    </FootprintFolder>\r\n  </FootprintFolder>\r\n"));
    Put(L"lib/b.footprint", Library(Footprint("SO8", "6") + Footprint("so8", "7")));
    Put(L"lib/notes.txt", "SO8 is in a.footprint");
    Put(L"lib/parts.symbol", "<?xml version=\"1.0\"?>\r\n<SymbolLib>\r\n  "
                             "<Footprint>QFN</Footprint>\r\n</SymbolLib>\r\n");
    struct Case {
        const wchar_t* name;
        float rotation;
    };
    for (const Case& c : {Case{L"SO8", 5.0f}, Case{L"so8", 7.0f}, Case{L"SO", -1.0f},
                          Case{L"SO8 ", -1.0f}, Case{L"QFN", -1.0f}}) {
        CTreeNode* found = g_MainFrame.ScanFootprintFolder(folder, c.name);
        EXPECT_EQ(found ? static_cast<CFootprint*>(found)->m_rotation : -1.0f, c.rotation)
            << WideToUtf8(c.name);
        delete found;
    }
    // The folder scan itself shows nothing.
    EXPECT_TRUE(ui.messageBoxes.empty());
}

TEST_F(FootprintLookupTest, DamagedFilesFoldersAndLinksArePassedOver) {
    const std::wstring folder = Folder(L"lib");
    // The footprint comes before the damage: nothing of the file counts.
    std::string damaged = Library(Footprint("SO8", "1"));
    damaged.resize(damaged.find("</FootprintLib>"));
    Put(L"lib/a.footprint", damaged + "  <Footprint>");
    Put(L"lib/z/good.footprint", Library(Footprint("SO8", "2")));
    // A link back to the folder being searched, and one to a folder that
    // does not exist.
    ASSERT_EQ(::symlink(PathToNative(folder).c_str(), PathToNative(folder + L"loop").c_str()), 0);
    ASSERT_EQ(::symlink("/no/such/folder", PathToNative(folder + L"gone").c_str()), 0);
    CTreeNode* found = g_MainFrame.ScanFootprintFolder(folder, L"SO8");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(static_cast<CFootprint*>(found)->m_rotation, 2.0f);
    delete found;
    EXPECT_EQ(g_MainFrame.ScanFootprintFolder(folder, L"none"), nullptr);
    EXPECT_EQ(g_MainFrame.ScanFootprintFolder(PathJoin(scratch, L"missing/"), L"SO8"), nullptr);
    EXPECT_EQ(g_MainFrame.ScanFootprintFolder(folder + std::wstring(300, L'x') + L"/", L"SO8"),
              nullptr);
    EXPECT_TRUE(ui.messageBoxes.empty());
}

TEST_F(FootprintLookupTest, EachFolderAndFileIsSearchedOnceHoweverManyLinksLeadThere) {
    // A lattice of links: each level's "a" and "b" lead to the next level,
    // 2^16 paths to the last one, which holds the only library. Searched
    // path by path, a lookup takes minutes; folder by folder, a moment.
    constexpr int kLevels = 16;
    for (int level = 0; level < kLevels; ++level)
        for (const wchar_t* link : {L"a", L"b"}) {
            const std::string next = PathToNative(Folder(L"lattice/" + std::to_wstring(level + 1)));
            const std::wstring here = Folder(L"lattice/" + std::to_wstring(level));
            ASSERT_EQ(::symlink(next.c_str(), PathToNative(here + link).c_str()), 0);
        }
    Put(L"lattice/" + std::to_wstring(kLevels) + L"/parts.footprint",
        Library(Footprint("SO8", "3")));
    const std::wstring top = PathJoin(scratch, L"lattice/0/");
    timespec before{}, after{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
    CTreeNode* found = g_MainFrame.ScanFootprintFolder(top, L"SO8");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(static_cast<CFootprint*>(found)->m_rotation, 3.0f);
    delete found;
    EXPECT_EQ(g_MainFrame.ScanFootprintFolder(top, L"none"), nullptr);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
    EXPECT_LT(static_cast<double>(after.tv_sec - before.tv_sec), 5.0)
        << "processor seconds for two lookups through the lattice";
    EXPECT_TRUE(ui.messageBoxes.empty());
}

} // namespace
