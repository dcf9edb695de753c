#include "platform/file.h"
#include "platform/folders.h"
#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { SettingsStore::Reset(); }
    void TearDown() override { SettingsStore::Reset(); }

    static std::string FileText() {
        std::string bytes;
        ReadWholeFile(SettingsStore::FilePath(), bytes);
        return bytes;
    }
    static void WriteFile(const std::string& bytes) {
        CreateDirectories(ConfigFolder());
        ASSERT_TRUE(WriteWholeFile(SettingsStore::FilePath(), bytes));
        SettingsStore::Reload();
    }
};

const char kHeader[] = "; Vorpel settings (UTF-8). Written by the program; keys in [brackets].\n";

TEST_F(SettingsStoreTest, ValuesSurviveReloadAndTheFileReadsAsWritten) {
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(L"Software\\Vorpel\\DefaultSettings"));
        EXPECT_TRUE(key.SetString(L"Font", L"Arial Unicode MS"));
        EXPECT_TRUE(key.SetNumber(L"Unit", 1));
        EXPECT_TRUE(key.SetFloat(L"GridWidth", 2.5f));
        EXPECT_TRUE(key.SetNumber(L"ColorBkg", 0x00FFFFFA));
        EXPECT_TRUE(key.SetBinary(L"Blob", {0x00, 0xFF, 0x20}));
        EXPECT_TRUE(key.SetString(L"Path", L"/home/u/Lib\\\"q\"\n\u00e4\u56db"));
    }
    EXPECT_EQ(FileText(), std::string(kHeader) +
                              "\n[Software]\n"
                              "\n[Software\\Vorpel]\n"
                              "\n[Software\\Vorpel\\DefaultSettings]\n"
                              "\"Font\"=sz:\"Arial Unicode MS\"\n"
                              "\"Unit\"=dword:00000001\n"
                              "\"GridWidth\"=dword:40200000\n"
                              "\"ColorBkg\"=dword:00fffffa\n"
                              "\"Blob\"=hex:00,ff,20\n"
                              "\"Path\"=sz:\"/home/u/Lib\\\\\\\"q\\\"\\n\xC3\xA4\xE5\x9B\x9B\"\n");

    SettingsStore::Reload();
    SettingsKey key;
    ASSERT_TRUE(key.Open(L"Software\\Vorpel\\DefaultSettings"));
    std::wstring text;
    uint32_t number = 0;
    float length = 0;
    std::vector<uint8_t> bytes;
    EXPECT_EQ(key.QueryString(L"Font", &text), SettingsResult::Ok);
    EXPECT_EQ(text, L"Arial Unicode MS");
    EXPECT_EQ(key.QueryNumber(L"Unit", &number), SettingsResult::Ok);
    EXPECT_EQ(number, 1u);
    EXPECT_EQ(key.QueryFloat(L"GridWidth", &length), SettingsResult::Ok);
    EXPECT_EQ(length, 2.5f);
    EXPECT_EQ(key.QueryNumber(L"ColorBkg", &number), SettingsResult::Ok);
    EXPECT_EQ(number, 0x00FFFFFAu);
    EXPECT_EQ(key.QueryBinary(L"Blob", &bytes), SettingsResult::Ok);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x00, 0xFF, 0x20}));
    EXPECT_EQ(key.QueryString(L"Path", &text), SettingsResult::Ok);
    EXPECT_EQ(text, L"/home/u/Lib\\\"q\"\n\u00e4\u56db");
}

TEST_F(SettingsStoreTest, TypedQueriesReportMissingAndWrongTypes) {
    SettingsKey key;
    ASSERT_TRUE(key.Create(L"Software\\Vorpel\\Gerber"));
    key.SetNumber(L"Number", 7);
    key.SetString(L"Text", L"x");
    key.SetBinary(L"FourBytes", {1, 2, 3, 4});

    uint32_t number = 99;
    std::wstring text = L"keep";
    std::vector<uint8_t> bytes{9};
    EXPECT_EQ(key.QueryNumber(L"Absent", &number), SettingsResult::Missing);
    EXPECT_EQ(key.QueryNumber(L"Text", &number), SettingsResult::WrongType);
    EXPECT_EQ(key.QueryNumber(L"FourBytes", &number), SettingsResult::WrongType);
    EXPECT_EQ(number, 99u);
    EXPECT_EQ(key.QueryString(L"Number", &text), SettingsResult::WrongType);
    EXPECT_EQ(text, L"keep");
    EXPECT_EQ(key.QueryBinary(L"Number", &bytes), SettingsResult::WrongType);
    EXPECT_EQ(bytes, std::vector<uint8_t>{9});

    EXPECT_EQ(key.TypeOf(L"Number"), SettingsType::Number);
    EXPECT_EQ(key.TypeOf(L"Text"), SettingsType::String);
    EXPECT_EQ(key.TypeOf(L"FourBytes"), SettingsType::Binary);
    EXPECT_EQ(key.TypeOf(L"Absent"), SettingsType::None);

    // A value changes its type when set with another one.
    key.SetString(L"Number", L"now text");
    EXPECT_EQ(key.QueryNumber(L"Number", &number), SettingsResult::WrongType);

    SettingsKey closed;
    EXPECT_EQ(closed.QueryNumber(L"Number", &number), SettingsResult::NoKey);
    EXPECT_FALSE(closed.SetNumber(L"Number", 1));
}

TEST_F(SettingsStoreTest, NamesCompareCaseInsensitivelyAndKeepTheirCase) {
    SettingsKey key;
    ASSERT_TRUE(key.Create(L"Software\\Vorpel\\Find"));
    key.SetNumber(L"MatchCase", 1);
    key.SetNumber(L"MATCHCASE", 2);
    uint32_t number = 0;
    EXPECT_EQ(key.QueryNumber(L"matchcase", &number), SettingsResult::Ok);
    EXPECT_EQ(number, 2u);
    EXPECT_EQ(key.ValueNames(), std::vector<std::wstring>{L"MatchCase"});

    SettingsKey same;
    EXPECT_TRUE(same.Open(L"SOFTWARE\\vorpel\\FIND"));
    EXPECT_EQ(same.QueryNumber(L"MatchCase", &number), SettingsResult::Ok);
    SettingsKey parent;
    ASSERT_TRUE(parent.Open(L"software\\VORPEL"));
    EXPECT_EQ(parent.SubKeyNames(), std::vector<std::wstring>{L"Find"});
}

TEST_F(SettingsStoreTest, KeyPathsCreateParentsAndRefuseEmptyElements) {
    SettingsKey key;
    EXPECT_FALSE(key.Open(L"Software\\Vorpel\\Symbol Libraries"));
    EXPECT_TRUE(key.Create(L"Software\\Vorpel\\Symbol Libraries"));
    EXPECT_TRUE(SettingsStore::KeyExists(L"Software"));
    EXPECT_TRUE(SettingsStore::KeyExists(L"Software\\Vorpel"));
    EXPECT_EQ(key.Path(), L"Software\\Vorpel\\Symbol Libraries");

    for (const wchar_t* bad :
         {L"", L"\\Software", L"Software\\", L"Software\\\\Vorpel", L"Soft\nware"}) {
        SettingsKey k;
        EXPECT_FALSE(k.Create(bad)) << bad;
        EXPECT_FALSE(SettingsStore::KeyExists(bad));
    }

    // Folder paths are value names of the library keys.
    key.SetNumber(L"/home/u/Vorpel/Lib/Symbol/", 0);
    key.SetNumber(L"C:\\Libs\\", 1);
    key.SetNumber(L"a \"quoted\"=name", 2);
    key.Close();
    SettingsStore::Reload();
    ASSERT_TRUE(key.Open(L"Software\\Vorpel\\Symbol Libraries"));
    EXPECT_EQ(key.ValueNames(), (std::vector<std::wstring>{L"/home/u/Vorpel/Lib/Symbol/",
                                                           L"C:\\Libs\\", L"a \"quoted\"=name"}));
}

TEST_F(SettingsStoreTest, EmptyKeysSurviveAReload) {
    {
        SettingsKey key;
        key.Create(L"Software\\Vorpel\\Directories");
    }
    SettingsStore::Reload();
    EXPECT_TRUE(SettingsStore::KeyExists(L"Software\\Vorpel\\Directories"));
}

TEST_F(SettingsStoreTest, EnumerationKeepsValueOrderAndSortsSubkeys) {
    {
        SettingsKey key;
        key.Create(L"Software\\Vorpel\\Footprint Libraries");
        key.SetNumber(L"zeta", 0);
        key.SetNumber(L"LastDir", 1);
        key.SetNumber(L"alpha", 2);
        key.SetNumber(L"zeta", 3); // setting again keeps the place
        SettingsKey parent;
        parent.Create(L"Software\\Vorpel");
        for (const wchar_t* name : {L"Gerber", L"board Settings", L"DefaultSettings", L"Find"}) {
            SettingsKey child;
            child.Create(std::wstring(L"Software\\Vorpel\\") + name);
        }
    }
    const std::vector<std::wstring> values{L"zeta", L"LastDir", L"alpha"};
    const std::vector<std::wstring> keys{L"board Settings", L"DefaultSettings", L"Find",
                                         L"Footprint Libraries", L"Gerber"};
    for (int pass = 0; pass < 2; ++pass) {
        SettingsKey key, parent;
        ASSERT_TRUE(key.Open(L"Software\\Vorpel\\Footprint Libraries"));
        ASSERT_TRUE(parent.Open(L"Software\\Vorpel"));
        EXPECT_EQ(key.ValueNames(), values) << "pass " << pass;
        EXPECT_EQ(parent.SubKeyNames(), keys) << "pass " << pass;
        SettingsStore::Reload();
    }
}

TEST_F(SettingsStoreTest, DeletingValuesAndKeys) {
    SettingsKey libs, cls;
    ASSERT_TRUE(libs.Create(L"Software\\Vorpel\\Symbol Libraries"));
    libs.SetNumber(L"LastDir", 1);
    libs.SetNumber(L"LastLib", 2);
    ASSERT_TRUE(cls.Create(L"Software\\Vorpel\\BoardSettings\\Board Class 1"));
    cls.SetFloat(L"ConductorWidth", 0.15f);

    EXPECT_TRUE(libs.DeleteValue(L"lastdir"));
    EXPECT_FALSE(libs.DeleteValue(L"LastDir"));
    EXPECT_EQ(libs.ValueNames(), std::vector<std::wstring>{L"LastLib"});

    // A key goes with its subkeys; handles on them then fail instead of
    // reaching freed memory.
    SettingsKey vorpel;
    ASSERT_TRUE(vorpel.Open(L"Software\\Vorpel"));
    EXPECT_TRUE(vorpel.DeleteSubKey(L"BoardSettings"));
    EXPECT_FALSE(vorpel.DeleteSubKey(L"BoardSettings"));
    EXPECT_FALSE(vorpel.DeleteSubKey(L"Symbol Libraries\\x"));
    EXPECT_FALSE(cls.Exists());
    float width = 0;
    EXPECT_EQ(cls.QueryFloat(L"ConductorWidth", &width), SettingsResult::NoKey);
    EXPECT_FALSE(cls.SetFloat(L"ConductorWidth", 1.0f));

    EXPECT_TRUE(SettingsStore::DeleteKey(L"Software\\Vorpel\\Symbol Libraries"));
    EXPECT_FALSE(SettingsStore::DeleteKey(L"Software\\Vorpel\\Symbol Libraries"));
    EXPECT_FALSE(libs.Exists());
    libs.Close();
    cls.Close();
    vorpel.Close();

    SettingsStore::Reload();
    EXPECT_TRUE(SettingsStore::KeyExists(L"Software\\Vorpel"));
    EXPECT_FALSE(SettingsStore::KeyExists(L"Software\\Vorpel\\BoardSettings"));
    EXPECT_FALSE(SettingsStore::KeyExists(L"Software\\Vorpel\\Symbol Libraries"));
}

TEST_F(SettingsStoreTest, ChangesReachTheFileWhenTheKeyCloses) {
    SettingsKey key;
    key.Create(L"Software\\Vorpel\\Find");
    key.SetNumber(L"Direction", 1);
    key.Close();
    EXPECT_NE(FileText().find("\"Direction\"=dword:00000001"), std::string::npos);
    // The write goes through a temporary file that does not stay behind.
    EXPECT_EQ(ListDirectory(ConfigFolder()), std::vector<std::wstring>{L"settings.conf"});

    SettingsStore::Reset();
    EXPECT_FALSE(FileExists(SettingsStore::FilePath()));
    EXPECT_FALSE(SettingsStore::KeyExists(L"Software"));
}

TEST_F(SettingsStoreTest, DamagedFileKeepsWhatCanBeRead) {
    std::string damaged = std::string("\xFF\xFE garbage\x01\x02\n") +
                          "[Software\\Vorpel\\Good]\r\n"
                          "\"A\"=dword:0000002a\r\n"
                          "\"B\"=dword:xyz\n"             // bad digits
                          "\"C\"=dword:123456789\n"       // too long
                          "\"D\"=sz:\"unterminated\n"     // no closing quote
                          "\"E\"=hex:0,1\n"               // odd digits
                          "\"F\"=qword:1\n"               // unknown type
                          "\"G\"=sz:\"bad \\q escape\"\n" // unknown escape
                          "\"H\"=sz:\"ok\"\n"
                          "no quotes=dword:1\n"
                          "[Software\\\\Broken]\n" // empty element
                          "\"Lost\"=dword:00000001\n"
                          "[Unclosed\n"
                          "\"AlsoLost\"=dword:00000001\n"
                          "[Software\\Vorpel\\Good]\n" // a second section adds to the key
                          "\"I\"=hex:\n"
                          "\"A\"=dword:00000007\n" // a later duplicate wins
                          "\"J\"=dword:1";         // no final line end
    WriteFile(damaged);
    SettingsKey key;
    ASSERT_TRUE(key.Open(L"Software\\Vorpel\\Good"));
    EXPECT_EQ(key.ValueNames(), (std::vector<std::wstring>{L"A", L"H", L"I", L"J"}));
    uint32_t n = 0;
    EXPECT_EQ(key.QueryNumber(L"A", &n), SettingsResult::Ok);
    EXPECT_EQ(n, 7u);
    std::vector<uint8_t> bytes{1};
    EXPECT_EQ(key.QueryBinary(L"I", &bytes), SettingsResult::Ok);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(key.QueryNumber(L"J", &n), SettingsResult::Ok);
    EXPECT_EQ(n, 1u);
    EXPECT_FALSE(SettingsStore::KeyExists(L"Software\\Broken"));
    EXPECT_FALSE(SettingsStore::KeyExists(L"Unclosed"));

    // Pure binary noise gives an empty store.
    std::string noise;
    for (int i = 0; i < 4096; ++i)
        noise += static_cast<char>((i * 7919) & 0xFF);
    WriteFile(noise);
    SettingsKey any;
    EXPECT_FALSE(any.Open(L"Software"));
}

// Numbers and float bits never pass through the C library's locale.
TEST_F(SettingsStoreTest, NumbersIgnoreTheProcessLocale) {
    std::string saved = std::setlocale(LC_ALL, nullptr);
    // The scripts install this locale: without it the test proves nothing.
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "de_DE.UTF-8 is not installed";
    {
        SettingsKey key;
        key.Create(L"Software\\Vorpel\\BoardSettings\\Board Class 0");
        key.SetFloat(L"ConductorWidth", 0.25f);
        key.SetNumber(L"Big", 4294967295u);
    }
    EXPECT_NE(FileText().find("\"ConductorWidth\"=dword:3e800000\n"), std::string::npos);
    EXPECT_NE(FileText().find("\"Big\"=dword:ffffffff\n"), std::string::npos);
    SettingsStore::Reload();
    SettingsKey key;
    ASSERT_TRUE(key.Open(L"Software\\Vorpel\\BoardSettings\\Board Class 0"));
    float width = 0;
    uint32_t big = 0;
    EXPECT_EQ(key.QueryFloat(L"ConductorWidth", &width), SettingsResult::Ok);
    EXPECT_EQ(width, 0.25f);
    EXPECT_EQ(key.QueryNumber(L"Big", &big), SettingsResult::Ok);
    EXPECT_EQ(big, 4294967295u);
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
