#include "platform/file.h"
#include "platform/folders.h"
#include "platform/ini_file.h"

#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = ConfigFolder() + L"/palette-test.ini";
        CreateDirectories(ConfigFolder());
        RemoveFile(path_);
    }
    void TearDown() override { RemoveFile(path_); }

    std::string Text() const {
        std::string bytes;
        ReadWholeFile(path_, bytes);
        return bytes;
    }
    std::wstring path_;
};

TEST_F(IniFileTest, WritingCreatesTheFileAndReadsBack) {
    EXPECT_TRUE(IniWriteString(path_, L"SchColor", L"ColorBkg", L"16777210"));
    EXPECT_TRUE(IniWriteString(path_, L"SchColor", L"ColorSel", L"16711935"));
    EXPECT_TRUE(IniWriteString(path_, L"BrdColor", L"ColorTOP", L"16711680"));
    EXPECT_EQ(Text(), "[SchColor]\n"
                      "ColorBkg=16777210\n"
                      "ColorSel=16711935\n"
                      "\n"
                      "[BrdColor]\n"
                      "ColorTOP=16711680\n");
    EXPECT_EQ(IniGetInt(path_, L"SchColor", L"ColorBkg", -1), 16777210);
    EXPECT_EQ(IniGetInt(path_, L"BrdColor", L"ColorTOP", -1), 0x00FF0000);
    EXPECT_EQ(IniGetString(path_, L"SchColor", L"ColorSel", L""), L"16711935");
}

TEST_F(IniFileTest, LookupIgnoresCaseAndBlanks) {
    WriteWholeFile(path_, "  [schcolor]  \n  colorbkg =  42 \nColorWire=\" quoted \"\n");
    IniFile ini;
    ASSERT_TRUE(ini.Load(path_));
    EXPECT_EQ(ini.GetInt(L"SCHCOLOR", L"ColorBkg", 0), 42);
    EXPECT_EQ(ini.GetString(L"SchColor", L"COLORWIRE", L""), L" quoted ");
    EXPECT_TRUE(ini.HasKey(L"SchColor", L"colorBKG"));
    EXPECT_FALSE(ini.HasKey(L"BrdColor", L"ColorBkg"));
}

TEST_F(IniFileTest, IntegersAsTheProfileReaderGivesThem) {
    WriteWholeFile(path_, "[S]\nDec=16777215\nNeg=-5\nHex=0x1F\nJunk=abc\nTail=12px\n"
                          "Empty=\nWrap=4294967295\n");
    struct Case {
        const wchar_t* key;
        int expected;
    } cases[] = {{L"Dec", 16777215}, {L"Neg", -5},  {L"Hex", 31},  {L"Junk", 0},
                 {L"Tail", 12},      {L"Empty", 0}, {L"Wrap", -1}, {L"Missing", 77}};
    for (const Case& c : cases)
        EXPECT_EQ(IniGetInt(path_, L"S", c.key, 77), c.expected) << c.key;
    EXPECT_EQ(IniGetInt(path_ + L".absent", L"S", L"Dec", 5), 5);
}

TEST_F(IniFileTest, WritingAKeyKeepsEveryOtherLine) {
    const std::string original = "; palette of the lab\r\n"
                                 "[BrdColor]\r\n"
                                 "ColorBoard=0\r\n"
                                 "; keep me\r\n"
                                 "ColorOrg=1\r\n"
                                 "\r\n"
                                 "[Other]\r\n"
                                 "x = y\r\n"
                                 "[SchColor]\r\n"
                                 "ColorBkg=5\r\n";
    WriteWholeFile(path_, original);
    EXPECT_TRUE(IniWriteString(path_, L"brdcolor", L"COLORORG", L"16744703"));
    EXPECT_TRUE(IniWriteString(path_, L"BrdColor", L"ColorDrill", L"16777215"));
    EXPECT_TRUE(IniWriteString(path_, L"SchColor", L"ColorSel", L"7"));
    EXPECT_TRUE(IniWriteString(path_, L"New", L"K", L"\u00e4"));
    EXPECT_EQ(Text(), "; palette of the lab\r\n"
                      "[BrdColor]\r\n"
                      "ColorBoard=0\r\n"
                      "; keep me\r\n"
                      "ColorOrg=16744703\r\n"
                      "ColorDrill=16777215\r\n"
                      "\r\n"
                      "[Other]\r\n"
                      "x = y\r\n"
                      "[SchColor]\r\n"
                      "ColorBkg=5\r\n"
                      "ColorSel=7\r\n"
                      "\r\n"
                      "[New]\r\n"
                      "K=\xC3\xA4\r\n");
}

TEST_F(IniFileTest, ByteOrderMarkStaysAndDeletedKeysGo) {
    WriteWholeFile(path_, "\xEF\xBB\xBF[S]\nA=1\nB=2\n");
    IniFile ini;
    ASSERT_TRUE(ini.Load(path_));
    EXPECT_EQ(ini.GetInt(L"S", L"A", 0), 1);
    EXPECT_TRUE(ini.DeleteKey(L"S", L"a"));
    EXPECT_FALSE(ini.DeleteKey(L"S", L"a"));
    ASSERT_TRUE(ini.Save(path_));
    EXPECT_EQ(Text(), "\xEF\xBB\xBF[S]\nB=2\n");
}

TEST_F(IniFileTest, FirstOfTwoSameSectionsIsUsed) {
    WriteWholeFile(path_, "[S]\nA=1\n[s]\nA=2\nB=3\n");
    EXPECT_EQ(IniGetInt(path_, L"S", L"A", 0), 1);
    EXPECT_EQ(IniGetInt(path_, L"S", L"B", -9), -9); // only the first section counts
}

} // namespace
