// The XML reader and writer: whole saved files against expected ones,
// entities, wrapping, malformed files, and keeping the document and the file
// on disk intact when a load or a save fails.
#include "core/generic_node.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";

// Joins lines with CR LF after each.
std::string Crlf(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* l : lines)
        out += std::string(l) + "\r\n";
    return out;
}

class XmlFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string dir = "/tmp/vorpel-xml-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = PathFromNative(dir);
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + PathToNative(m_dir) + "'";
        (void)std::system(cmd.c_str());
    }

    std::wstring Path(const wchar_t* name) { return PathJoin(m_dir, name); }

    // Loads the bytes as a document with the given root tag.
    bool LoadBytes(CRoot& root, const std::string& bytes, const wchar_t* tag = L"Project",
                   const wchar_t* name = L"in.circuit") {
        std::wstring path = Path(name);
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        root.SetRootTag(tag);
        CXmlFile file(&root);
        bool ok = file.Load(path.c_str());
        m_error = file.GetError();
        return ok;
    }

    std::string SaveBytes(CRoot& root, const wchar_t* name = L"out.circuit") {
        std::wstring path = Path(name);
        CXmlFile file(&root);
        EXPECT_TRUE(file.Save(path.c_str())) << file.GetError();
        std::string bytes;
        EXPECT_TRUE(ReadWholeFile(path, bytes));
        return bytes;
    }

    // Load then save; the saved bytes.
    std::string RoundTrip(const std::string& bytes, const wchar_t* tag = L"Project") {
        CRoot root;
        EXPECT_TRUE(LoadBytes(root, bytes, tag)) << m_error;
        return SaveBytes(root);
    }

    std::vector<std::wstring> FilesInDir() { return ListDirectory(m_dir); }

    std::wstring m_dir;
    std::wstring m_error;
};

TEST_F(XmlFileTest, EmptyRootIsTheDeclarationAndOneElement) {
    CRoot root;
    root.SetRootTag(L"Project");
    EXPECT_EQ(SaveBytes(root), kDecl + "<Project/>\r\n");
}

TEST_F(XmlFileTest, WholeFileLayout) {
    CRoot root;
    root.SetRootTag(L"Project");
    CTreeNode* board = root.AddChild(new CGenericNode(8, L"Board"));
    board->SetAttribute(L"Unit", L"2");
    board->SetAttribute(L"Grid", L"1.27,1.27");
    CTreeNode* package = board->AddChild(new CGenericNode(22, L"Package"));
    CTreeNode* pin = package->AddChild(new CGenericNode(24, L"Pin"));
    pin->SetAttribute(L"Num", L"1");
    pin->SetAttribute(L"Name", L"A&B");
    pin->SetText(L"L10");
    CTreeNode* bare = package->AddChild(new CGenericNode(24, L"Pin"));
    bare->SetAttribute(L"Num", L"1");
    bare->SetAttribute(L"Name", L"A&B");
    CTreeNode* net = board->AddChild(new CGenericNode(25, L"Net"));
    net->SetText(L"GND");
    net->AddChild(new CGenericNode(26, L"Wire"))->SetText(L"1,2,3,2");
    EXPECT_EQ(SaveBytes(root), kDecl + Crlf({
                                           "<Project>",
                                           "  <Board Grid=\"1.27,1.27\" Unit=\"2\">",
                                           "    <Package>",
                                           "      <Pin Name=\"A&amp;B\" Num=\"1\">L10</Pin>",
                                           "      <Pin Name=\"A&amp;B\" Num=\"1\"/>",
                                           "    </Package>",
                                           "    <Net>GND",
                                           "      <Wire>1,2,3,2</Wire>",
                                           "    </Net>",
                                           "  </Board>",
                                           "</Project>",
                                       }));
}

// Saving calls WriteAttributes parents first; what a node writes is saved.
class SequencedNode : public CTreeNode {
public:
    explicit SequencedNode(int* counter) : CTreeNode(1), m_counter(counter) {}
    CTreeNode* Clone() const override { return new SequencedNode(*this); }
    const wchar_t* GetTagName() const override { return L"N"; }
    void WriteAttributes() override { SetAttributeInt(L"Seq", ++*m_counter, 0); }
    int* m_counter;
};

TEST_F(XmlFileTest, WriteAttributesRunsBeforeTheNodeIsWrittenParentsFirst) {
    int counter = 0;
    CRoot root;
    root.SetRootTag(L"Project");
    CTreeNode* a = root.AddChild(new SequencedNode(&counter));
    a->AddChild(new SequencedNode(&counter));
    root.AddChild(new SequencedNode(&counter));
    EXPECT_EQ(SaveBytes(root), kDecl + Crlf({"<Project>", "  <N Seq=\"1\">", "    <N Seq=\"2\"/>",
                                             "  </N>", "  <N Seq=\"3\"/>", "</Project>"}));
}

TEST_F(XmlFileTest, AttributeForms) {
    CRoot root;
    ASSERT_TRUE(LoadBytes(root, kDecl + "<Project>\r\n<A x=\"1\" y='2'/>\r\n<A x=1 y=ab_c/>\r\n"
                                        "<A x=\"1\"  x=\"3\"/></Project>\r\n"))
        << m_error;
    ASSERT_EQ(root.GetChildCount(), 3u);
    const XmlAttributeMap expected0{{L"x", L"1"}, {L"y", L"2"}};
    const XmlAttributeMap expected1{{L"x", L"1"}, {L"y", L"ab_c"}};
    const XmlAttributeMap expected2{{L"x", L"3"}};
    EXPECT_EQ(root.GetChild(0)->GetAttributes(), expected0);
    EXPECT_EQ(root.GetChild(1)->GetAttributes(), expected1);
    EXPECT_EQ(root.GetChild(2)->GetAttributes(), expected2);
}

// The reader hands attributes in rising name order to the map as they
// stand and lets the map sort any others; either way the map is the same.
TEST_F(XmlFileTest, AttributesInAnyOrderMakeTheSameMap) {
    struct Case {
        const char* tag;
        std::vector<std::pair<std::wstring, std::wstring>> expected;
    };
    const Case cases[] = {
        {"<A a=\"1\" b=\"2\" c=\"3\"/>", {{L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}}},
        {"<A c=\"3\" b=\"2\" a=\"1\"/>", {{L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}}},
        {"<A AB=\"2\" A=\"1\" B=\"3\"/>", {{L"A", L"1"}, {L"AB", L"2"}, {L"B", L"3"}}},
        {"<A A=\"1\" AB=\"2\" B=\"\"/>", {{L"A", L"1"}, {L"AB", L"2"}, {L"B", L""}}},
        {"<A b=\"1\" a=\"2\" b=\"3\"/>", {{L"a", L"2"}, {L"b", L"3"}}},
        {"<A a=\"1\" a=\"2\"/>", {{L"a", L"2"}}},
        {"<A Z=\"&lt;\" a=\"x&amp;y\"/>", {{L"Z", L"<"}, {L"a", L"x&y"}}},
        {"<A \xc3\xa9=\"1\" z=\"2\"/>", {{L"z", L"2"}, {L"\u00e9", L"1"}}},
        {"<A b=\"1\" =\"x\" a=\"2\"/>", {{L"a", L"2"}, {L"b", L"1"}}},
        // Values read in one go or not: quotes of the other kind, values
        // around sixteen bytes long, characters beyond ASCII late in a long
        // value, blanks around the '=' and single quotes.
        {"<A a=\"it's\" b='say \"x\"'/>", {{L"a", L"it's"}, {L"b", L"say \"x\""}}},
        {"<A a=\"0123456789abcdef\" b=\"0123456789abcdefg\"/>",
         {{L"a", L"0123456789abcdef"}, {L"b", L"0123456789abcdefg"}}},
        {"<A a=\"0123456789abcdefghij\xc3\xa9k\"/>", {{L"a", L"0123456789abcdefghij\u00e9k"}}},
        {"<A a = \"1\" b\t=\"2\"/>", {{L"a", L"1"}, {L"b", L"2"}}},
        {"<A a=\"\" b=\"&#13;\"/>", {{L"a", L""}, {L"b", L"\r"}}},
    };
    for (const Case& c : cases) {
        CRoot root;
        ASSERT_TRUE(LoadBytes(root, kDecl + "<Project>\r\n" + c.tag + "\r\n</Project>\r\n"))
            << c.tag << ": " << m_error;
        ASSERT_EQ(root.GetChildCount(), 1u) << c.tag;
        XmlAttributeMap expected;
        for (const auto& [name, value] : c.expected)
            expected.Set(name, value);
        EXPECT_EQ(root.GetChild(0)->GetAttributes(), expected) << c.tag;
        EXPECT_EQ(root.GetChild(0)->GetAttributes().size(), c.expected.size()) << c.tag;
    }
}

// Names and values are read sixteen bytes at a time where the file has
// room: long ones, ones with characters beyond ASCII past the first
// sixteen bytes, and ones in the last bytes of the file read the same.
TEST_F(XmlFileTest, LongNamesAndValuesAndTheEndOfTheFile) {
    struct Case {
        std::string file;
        std::vector<std::pair<std::wstring, std::wstring>> expected;
    };
    const std::string longValue(40, 'v');
    const Case cases[] = {
        {"<Project a=\"1\" bb=\"22\"/>", {{L"a", L"1"}, {L"bb", L"22"}}},
        {"<Project a=\"1\" bb=\"22\"/>\r\n", {{L"a", L"1"}, {L"bb", L"22"}}},
        {"<Project abcdefghijklmnopqrst=\"" + longValue + "\"/>\r\n",
         {{L"abcdefghijklmnopqrst", std::wstring(40, L'v')}}},
        {"<Project abcdefghijklmnopq\xc3\xa9=\"x\" z=\"0123456789abcdefghi\xc3\xa9\"/>\r\n",
         {{L"abcdefghijklmnopq\u00e9", L"x"}, {L"z", L"0123456789abcdefghi\u00e9"}}},
        {"<Project\r\n  a=\"1\"\r\n  b=\"2\"></Project>", {{L"a", L"1"}, {L"b", L"2"}}},
        {"<Project A_1=\"x\" a_1=\"y\" _=\"z\"/>", {{L"A_1", L"x"}, {L"_", L"z"}, {L"a_1", L"y"}}},
    };
    for (const Case& c : cases) {
        CRoot root;
        ASSERT_TRUE(LoadBytes(root, kDecl + c.file)) << c.file << ": " << m_error;
        XmlAttributeMap expected;
        for (const auto& [name, value] : c.expected)
            expected.Set(name, value);
        EXPECT_EQ(root.GetAttributes(), expected) << c.file;
    }
}

TEST_F(XmlFileTest, ValuesWithoutANameAreSkipped) {
    // A quote lost from 'GridSize="2.54"': what is left has no names, and a
    // save must not write an attribute without a name.
    CRoot root;
    ASSERT_TRUE(LoadBytes(root, kDecl + "<Project>\r\n<A GridSize\"2=.54\" x=\"1\" =\"z\"/>\r\n"
                                        "</Project>\r\n"))
        << m_error;
    ASSERT_EQ(root.GetChildCount(), 1u);
    const XmlAttributeMap expected{{L"2", L""}, {L"54", L""}, {L"GridSize", L""}, {L"x", L"1"}};
    EXPECT_EQ(root.GetChild(0)->GetAttributes(), expected);
    EXPECT_EQ(SaveBytes(root),
              kDecl +
                  Crlf({"<Project>", "  <A 2=\"\" 54=\"\" GridSize=\"\" x=\"1\"/>", "</Project>"}));
}

// A name without '=' is an attribute with an empty value; the '/' or '>'
// that follows it still ends the start tag.
TEST_F(XmlFileTest, NamesWithoutAValueLeaveTheEndOfTheTag) {
    CRoot root;
    ASSERT_TRUE(LoadBytes(root, kDecl + "<Project>\r\n<A x/>\r\n<B y >text</B>\r\n"
                                        "<C a=\"1\" z\r\n/><D w></D></Project>\r\n"))
        << m_error;
    ASSERT_EQ(root.GetChildCount(), 4u);
    EXPECT_EQ(SaveBytes(root),
              kDecl + Crlf({"<Project>", "  <A x=\"\"/>", "  <B y=\"\">text</B>",
                            "  <C a=\"1\" z=\"\"/>", "  <D w=\"\"/>", "</Project>"}));
}

// Attribute names the reader would not read back as the same attribute are
// left out of the file rather than written as broken markup.
TEST_F(XmlFileTest, TheWriterLeavesOutMalformedAttributeNames) {
    CRoot root;
    root.SetRootTag(L"Project");
    auto* node = new CGenericNode(std::wstring(L"A"));
    for (const wchar_t* name :
         {L"", L"a b", L"x=y", L"q\"", L"<", L"/", L"t\r", L"ok", L"\u00e9_1"})
        node->SetAttribute(name, L"v");
    root.AddChild(node);
    const std::string saved = SaveBytes(root);
    EXPECT_EQ(saved, kDecl + Crlf({"<Project>", "  <A ok=\"v\" \xc3\xa9_1=\"v\"/>", "</Project>"}));
    CRoot again;
    ASSERT_TRUE(LoadBytes(again, saved)) << m_error;
    EXPECT_EQ(SaveBytes(again, L"again.circuit"), saved);
}

TEST_F(XmlFileTest, TextOverSeveralLinesReadsWithSingleSpaces) {
    CRoot root;
    ASSERT_TRUE(LoadBytes(root, kDecl + "<Project>\r\n  <Net>  first   part\r\n"
                                        "      second\r\n\tthird  \r\n  </Net>\r\n</Project>"))
        << m_error;
    ASSERT_EQ(root.GetChildCount(), 1u);
    EXPECT_EQ(root.GetChild(0)->GetText(), L"first   part second third");
}

// Element texts are widened sixteen bytes at a time where the file has
// room, one character at a time near its end and around characters beyond
// ASCII, entities and NUL bytes; all read the same.
TEST_F(XmlFileTest, TextsReadTheSameWhereverTheyStand) {
    struct Case {
        std::string content;
        std::wstring text;
    };
    const Case cases[] = {
        {"abc", L"abc"},
        {"0123456789abcdefghij", L"0123456789abcdefghij"},
        {"0123456789abcdefghij\xc3\xa9klm", L"0123456789abcdefghij\u00e9klm"},
        {"\xe2\x82\xac 0123456789abcdef", L"\u20ac 0123456789abcdef"},
        {"0123456789abcdef\r\n    0123456789abcdef  ", L"0123456789abcdef 0123456789abcdef"},
        {"a&amp;b 0123456789abcdefghij", L"a&b 0123456789abcdefghij"},
        {std::string("0123456789abcdef\0gh", 19), L"0123456789abcdefgh"},
        {"\xc3\xa9\r\n\xc3\xa9", L"\u00e9 \u00e9"},
    };
    for (const Case& c : cases) {
        for (const char* after : {"</Project>", "</Project>\r\n                                "}) {
            CRoot root;
            ASSERT_TRUE(LoadBytes(root, kDecl + "<Project>" + c.content + after)) << m_error;
            EXPECT_EQ(root.GetText(), c.text) << c.content;
            CRoot child;
            ASSERT_TRUE(LoadBytes(child, kDecl + "<Project><A>" + c.content + "</A>" + after))
                << m_error;
            ASSERT_EQ(child.GetChildCount(), 1u);
            EXPECT_EQ(child.GetChild(0)->GetText(), c.text) << c.content;
        }
    }
}

TEST_F(XmlFileTest, EntitiesInValuesAndTexts) {
    CRoot root;
    root.SetRootTag(L"Project");
    CTreeNode* node = root.AddChild(new CGenericNode(28, L"Text"));
    node->SetAttribute(L"Name", L"a&b\"c'd<e>f");
    node->SetText(L"<&>\"'");
    std::string saved = SaveBytes(root);
    EXPECT_NE(saved.find("Name=\"a&amp;b&quot;c&apos;d&lt;e&gt;f\""), std::string::npos);
    EXPECT_NE(saved.find(">&lt;&amp;&gt;&quot;&apos;</Text>"), std::string::npos);
    CRoot back;
    ASSERT_TRUE(LoadBytes(back, saved)) << m_error;
    EXPECT_EQ(*back.GetChild(0)->FindAttribute(L"Name"), L"a&b\"c'd<e>f");
    EXPECT_EQ(back.GetChild(0)->GetText(), L"<&>\"'");
}

TEST_F(XmlFileTest, CharacterReferencesAndStrayAmpersands) {
    CRoot root;
    ASSERT_TRUE(LoadBytes(root, kDecl + "<Project V=\"&#65;&#x42;&#x1F600;&foo;&#0;&#xD800;&\">"
                                        "&lt&amp;</Project>"))
        << m_error;
    std::wstring expected = L"AB";
    expected += wchar_t(0x1F600);
    expected += L"&foo;&#0;&#xD800;&";
    EXPECT_EQ(*root.FindAttribute(L"V"), expected);
    EXPECT_EQ(root.GetText(), L"&lt&");
}

TEST_F(XmlFileTest, LongStartTagsWrapBetweenAttributesAndReadBack) {
    CRoot root;
    root.SetRootTag(L"Project");
    CTreeNode* node = root.AddChild(new CGenericNode(22, L"Package"));
    for (int i = 0; i < 12; ++i)
        node->SetAttribute(L"Attribute" + std::to_wstring(i),
                           L"value with  two spaces " + std::to_wstring(i));
    node->SetText(L"RES");
    std::string saved = SaveBytes(root);
    // The start tag takes several lines; no line break falls inside a value.
    std::size_t lines = 0;
    for (char c : saved)
        lines += c == '\n';
    EXPECT_GE(lines, 6u);
    EXPECT_EQ(saved.find("\"\r\n      value"), std::string::npos);
    CRoot back;
    ASSERT_TRUE(LoadBytes(back, saved)) << m_error;
    EXPECT_EQ(back.GetChild(0)->GetAttributes(), node->GetAttributes());
    EXPECT_EQ(back.GetChild(0)->GetText(), L"RES");
    EXPECT_EQ(SaveBytes(back, L"again.circuit"), saved);
}

TEST_F(XmlFileTest, ValuesAndTextsKeepEveryCharacter) {
    // Runs of blanks, line breaks, tabs and blanks at either end, in values
    // and texts long enough to be wrapped.
    std::wstring value = L" lead\r\nline\ttab  two   three ";
    std::wstring text = value;
    for (int i = 0; i < 40; ++i) {
        value += L"word" + std::to_wstring(i) + (i % 3 ? L" " : L"   ");
        text += L"token" + std::to_wstring(i) + (i % 4 ? L" " : L"  ");
    }
    value += L" ";
    CRoot root;
    root.SetRootTag(L"Project");
    CTreeNode* leaf = root.AddChild(new CGenericNode(0, L"Leaf"));
    leaf->SetAttribute(L"A", value);
    leaf->SetText(text);
    CTreeNode* parent = root.AddChild(new CGenericNode(0, L"Parent"));
    parent->SetText(text);
    parent->AddChild(new CGenericNode(0, L"Child"))->SetText(L" x ");
    std::string saved = SaveBytes(root);
    EXPECT_NE(saved.find("&#13;&#10;line&#9;tab"), std::string::npos);
    EXPECT_NE(saved.find(">&#32;x&#32;</Child>"), std::string::npos);
    CRoot back;
    ASSERT_TRUE(LoadBytes(back, saved)) << m_error;
    ASSERT_EQ(back.GetChildCount(), 2u);
    EXPECT_EQ(*back.GetChild(0)->FindAttribute(L"A"), value);
    EXPECT_EQ(back.GetChild(0)->GetText(), text);
    EXPECT_EQ(back.GetChild(1)->GetText(), text);
    EXPECT_EQ(back.GetChild(1)->GetChild(0)->GetText(), L" x ");
    EXPECT_EQ(SaveBytes(back, L"again.circuit"), saved);
}

// Lines longer than any read or write buffer, and characters of several bytes
// and line ends falling on every side of the 64 KiB blocks a file is read in.
TEST_F(XmlFileTest, LongLinesAndBlockBoundariesReadBack) {
    std::wstring value, text, broken;
    for (int i = 0; i < 30000; ++i) {
        value += (i % 7 ? L"v" : L"\u00E9\u20AC\U0001F600&");
        text += (i % 5 ? L"t" : L"\u20AC ");
    }
    for (int shift = 0; shift < 4; ++shift) {
        CRoot root;
        root.SetRootTag(L"Project");
        CTreeNode* leaf = root.AddChild(new CGenericNode(0, L"Leaf"));
        leaf->SetAttribute(L"A", std::wstring(static_cast<std::size_t>(shift), L'x'));
        leaf->SetAttribute(L"B", value); // one line of about 170 kB
        leaf->SetText(text);             // wrapped into lines of about 120 characters
        std::string saved = SaveBytes(root);
        CRoot back;
        ASSERT_TRUE(LoadBytes(back, saved)) << m_error;
        ASSERT_EQ(back.GetChildCount(), 1u);
        EXPECT_EQ(*back.GetChild(0)->FindAttribute(L"B"), value) << shift;
        EXPECT_EQ(back.GetChild(0)->GetText(), text) << shift;
        EXPECT_EQ(SaveBytes(back, L"again.circuit"), saved) << shift;
    }
    // A value broken over lines, with CR LF line ends around the block end.
    for (std::size_t offset = 0; offset < 4; ++offset) {
        std::string head = kDecl + "<Project A=\"";
        std::string file = head + std::string(64 * 1024 - head.size() - offset, 'a') +
                           "\r\n   \xE2\x82\xAC\"/>\r\n";
        CRoot root;
        ASSERT_TRUE(LoadBytes(root, file)) << m_error;
        EXPECT_EQ(*root.FindAttribute(L"A"),
                  std::wstring(64 * 1024 - head.size() - offset, L'a') + L" \u20AC")
            << offset;
    }
}

TEST_F(XmlFileTest, UnknownTagsAreKeptAndWrittenBackUnchanged) {
    std::string file = kDecl + Crlf({"<Project>", "  <Gadget Foo=\"1\">x",
                                     "    <Inner_2 Bar=\"&lt;\"/>", "  </Gadget>", "</Project>"});
    CRoot root;
    ASSERT_TRUE(LoadBytes(root, file)) << m_error;
    CTreeNode* gadget = root.GetChild(0);
    EXPECT_EQ(gadget->GetType(), 0);
    EXPECT_STREQ(gadget->GetTagName(), L"Gadget");
    EXPECT_STREQ(gadget->GetChild(0)->GetTagName(), L"Inner_2");
    EXPECT_EQ(SaveBytes(root), file);
}

TEST_F(XmlFileTest, Utf16FileWithByteOrderMark) {
    std::wstring text = L"<?xml?>\r\n<Project A=\"\u00E9\"/>\r\n";
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    CRoot root;
    ASSERT_TRUE(LoadBytes(root, bytes)) << m_error;
    EXPECT_EQ(*root.FindAttribute(L"A"), L"\u00E9");
}

TEST_F(XmlFileTest, MalformedFilesFailCleanly) {
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"declaration only", kDecl},
        {"declaration and root on one line", "<?xml version=\"1.0\"?><Project/>\r\n"},
        {"mismatched closing tag", kDecl + "<Project>\r\n  <Net>\r\n  </Wire>\r\n</Project>\r\n"},
        {"truncated", kDecl + "<Project>\r\n  <Net>GND\r\n    <Wire>1,2,3,4</Wire>\r\n"},
        {"truncated in a start tag", kDecl + "<Project>\r\n  <Net Name=\"x"},
        {"truncated in a closing tag", kDecl + "<Project></Proj"},
        {"comment", kDecl + "<Project>\r\n  <!-- note -->\r\n</Project>\r\n"},
        {"CDATA", kDecl + "<Project><![CDATA[x]]></Project>\r\n"},
        {"processing instruction", kDecl + "<Project><?pi x?></Project>\r\n"},
        {"document type", kDecl + "<!DOCTYPE Project>\r\n<Project/>\r\n"},
        {"not XML", kDecl + "hello world\r\n"},
        {"lone '<'", kDecl + "<Project>\r\n<\r\n</Project>\r\n"},
        {"slash without '>'", kDecl + "<Project><A/ ></Project>"},
        {"binary", std::string("\x00\x01\xFF\xFE\x00<", 6)},
        {"wrong kind", kDecl + "<SymbolLib>\r\n  <SymbolFolder>Passive</SymbolFolder>\r\n"
                               "</SymbolLib>\r\n"},
        {"root named like the kind", kDecl + "<ProjectX/>\r\n"},
        {"nested too deeply", kDecl + std::string(100000, '<') + ">"},
        // A save would drop anything after the root element.
        {"a second root element", kDecl + "<Project/>\r\n<Project/>\r\n"},
        {"text after the root", kDecl + "<Project></Project>\r\ntrailing\r\n"},
        {"a stray '>' after the root", kDecl + "<Project/>>"},
        // A name without '=' leaves the '/' or '>' after it to end the tag:
        // here the tag is left open, and so is the document.
        {"unclosed after a name without a value", kDecl + "<Project><A x></Project>\r\n"},
    };
    std::string deep = kDecl + "<Project>";
    for (int i = 0; i < 5000; ++i)
        deep += "<A>";
    for (const Case& c : cases) {
        CRoot root;
        root.SetAttribute(L"Keep", L"1");
        root.AddChild(new CTreeNode(8));
        root.SetFilePath(L"/old/path.circuit");
        EXPECT_FALSE(LoadBytes(root, c.bytes)) << c.what;
        EXPECT_FALSE(m_error.empty()) << c.what;
        // The document is exactly as it was.
        EXPECT_EQ(root.GetChildCount(), 1u) << c.what;
        EXPECT_EQ(root.GetAttributes().size(), 1u) << c.what;
        EXPECT_EQ(root.GetFilePath(), L"/old/path.circuit") << c.what;
    }
    CRoot root;
    EXPECT_FALSE(LoadBytes(root, deep + "\r\n")) << "5000 nested elements";
    EXPECT_EQ(root.GetChildCount(), 0u);
}

TEST_F(XmlFileTest, ParseErrorsNameTheirLine) {
    // The declaration is line 1; CR LF, lone CR and lone LF each end a line,
    // and a file that ends early points at its last line.
    const struct {
        std::string bytes;
        const wchar_t* line;
    } cases[] = {
        {kDecl + "<Project>\r\n  <A>\r\n  </B>\r\n</Project>\r\n", L"(line 4)"},
        {kDecl + "<Project>\n\n  <A>\n  </B>\n</Project>\n", L"(line 5)"},
        {kDecl + "<Project>\r\r  <A>\r  </B>\r</Project>\r", L"(line 5)"},
        {kDecl + "<Project>\r\n  <A>\r\n", L"(line 3)"},
        {kDecl + "<Project>\r\n  <A>", L"(line 3)"},
        {kDecl, L"(line 1)"},
        {kDecl + "<Project>\r\n  <A x=\"1\r\n   2\" <!-- -->/>\r\n</Project>", L"(line 5)"},
        {kDecl + "<Project/>\r\n\r\n  <Extra/>\r\n", L"(line 4)"},
    };
    for (const auto& c : cases) {
        CRoot root;
        EXPECT_FALSE(LoadBytes(root, c.bytes));
        const std::wstring& line = c.line;
        EXPECT_TRUE(m_error.size() >= line.size() &&
                    m_error.compare(m_error.size() - line.size(), line.size(), line) == 0)
            << WideToUtf8(m_error) << " / " << WideToUtf8(line);
    }
}

TEST_F(XmlFileTest, ModeratelyDeepNestingLoads) {
    std::string file = kDecl + "<Project>";
    for (int i = 0; i < 200; ++i)
        file += "<A>";
    for (int i = 0; i < 200; ++i)
        file += "</A>";
    file += "</Project>";
    CRoot root;
    EXPECT_TRUE(LoadBytes(root, file)) << m_error;
}

TEST_F(XmlFileTest, AnEmptyRootTagAcceptsAnyDocument) {
    CRoot root;
    ASSERT_TRUE(LoadBytes(root, kDecl + "<FootprintLib/>\r\n", L""));
}

TEST_F(XmlFileTest, FailedLoadKeepsTheDocumentAndItsPath) {
    std::wstring good = Path(L"good.circuit");
    ASSERT_TRUE(WriteWholeFile(good, kDecl + "<Project>\r\n  <Board/>\r\n</Project>\r\n"));
    std::wstring bad = Path(L"bad.circuit");
    std::string badBytes = kDecl + "<Project>\r\n  <Board>\r\n    <Net>\r\n";
    ASSERT_TRUE(WriteWholeFile(bad, badBytes));

    CRoot root;
    root.SetRootTag(L"Project");
    CXmlFile loader(&root);
    ASSERT_TRUE(loader.Load(good.c_str()));
    EXPECT_EQ(root.GetFilePath(), good);
    ASSERT_EQ(root.GetChildCount(), 1u);

    CXmlFile second(&root);
    EXPECT_FALSE(second.Load(bad.c_str()));
    EXPECT_EQ(root.GetFilePath(), good) << "the failed file's path is not taken";
    ASSERT_EQ(root.GetChildCount(), 1u);
    EXPECT_EQ(root.GetChild(0)->GetChildCount(), 0u);

    // A later plain save goes to the good file and leaves the bad one alone.
    root.GetChild(0)->SetAttribute(L"Note", L"2");
    CXmlFile saver(&root);
    ASSERT_TRUE(saver.Save());
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(bad, bytes));
    EXPECT_EQ(bytes, badBytes);
    ASSERT_TRUE(ReadWholeFile(good, bytes));
    EXPECT_EQ(bytes, kDecl + "<Project>\r\n  <Board Note=\"2\"/>\r\n</Project>\r\n");
}

// A document written to memory is the file a save writes, and read back from
// there it is the same document again, with no file path; bytes that do not
// read leave the document as it was.
TEST_F(XmlFileTest, TheBytesInMemoryAreTheSavedFile) {
    const std::pair<const wchar_t*, const wchar_t*> examples[] = {
        {L"demo.circuit", L"Project"},
        {L"demo.symbol", L"SymbolLib"},
        {L"demo.footprint", L"FootprintLib"}};
    for (const auto& [name, tag] : examples) {
        SCOPED_TRACE(WideToUtf8(name));
        CRoot root;
        root.SetRootTag(tag);
        const std::wstring example = PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR "/examples"), name);
        ASSERT_TRUE(CXmlFile(&root).Load(example.c_str()));
        const std::string saved = SaveBytes(root);
        std::string bytes;
        ASSERT_TRUE(CXmlFile(&root).SaveToBytes(bytes));
        EXPECT_TRUE(bytes == saved);
        CRoot copy;
        copy.SetRootTag(tag);
        ASSERT_TRUE(CXmlFile(&copy).LoadFromBytes(bytes));
        EXPECT_TRUE(copy.GetFilePath().empty());
        for (const std::string& bad :
             {std::string("<Project/>"), kDecl + "<" + WideToUtf8(tag) + ">\r\n  <Board>\r\n",
              kDecl + "<Other/>\r\n"}) {
            EXPECT_FALSE(CXmlFile(&copy).LoadFromBytes(bad)) << bad;
        }
        std::string again;
        ASSERT_TRUE(CXmlFile(&copy).SaveToBytes(again));
        EXPECT_TRUE(again == saved);
    }
}

// Ends the test program when a read hangs instead of letting it wait for good.
class HangGuard {
public:
    explicit HangGuard(unsigned seconds) { ::alarm(seconds); }
    ~HangGuard() { ::alarm(0); }
};

// Only a regular file is read, or written: a FIFO is refused at once rather
// than waited on, and so are a device, a folder and a link to any of them; a
// link to a regular file reads as the file.
TEST_F(XmlFileTest, OnlyRegularFilesAreRead) {
    const std::string doc = kDecl + "<Project>\r\n  <Board/>\r\n</Project>\r\n";
    ASSERT_TRUE(WriteWholeFile(Path(L"real.circuit"), doc));
    ASSERT_EQ(::mkfifo(PathToNative(Path(L"fifo.circuit")).c_str(), 0666), 0);
    ASSERT_TRUE(CreateDirectories(Path(L"folder.circuit")));
    const std::pair<const char*, const char*> links[] = {
        {"zero.circuit", "/dev/zero"},
        {"to-fifo.circuit", "fifo.circuit"},
        {"to-real.circuit", "real.circuit"},
    };
    for (const auto& [name, target] : links)
        ASSERT_EQ(::symlink(target, PathToNative(Path(Utf8ToWide(name).c_str())).c_str()), 0);
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"fifo.circuit", false},   {L"to-fifo.circuit", false}, {L"zero.circuit", false},
        {L"folder.circuit", false}, {L"to-real.circuit", true},  {L"real.circuit", true},
    };
    const HangGuard guard(60);
    for (const auto& [name, read] : cases) {
        SCOPED_TRACE(WideToUtf8(name));
        const std::wstring path = Path(name);
        // Refused at the open, before a byte is read.
        PlatformFile file;
        ASSERT_EQ(file.Open(path, PlatformFile::AccessRead, PlatformFile::OpenExisting), read);
        file.Close();
        CRoot root;
        root.SetRootTag(L"Project");
        CXmlFile loader(&root);
        EXPECT_EQ(loader.Load(path.c_str()), read) << WideToUtf8(loader.GetError());
        EXPECT_EQ(root.GetChildCount(), read ? 1u : 0u);
        EXPECT_EQ(CXmlFile(&root).Save(path.c_str()), read);
    }
}

TEST_F(XmlFileTest, ASuccessfulLoadReplacesTheDocument) {
    CRoot root;
    root.AddChild(new CTreeNode(8));
    root.SetAttribute(L"Old", L"1");
    ASSERT_TRUE(
        LoadBytes(root, kDecl + "<Project New=\"2\">\r\n  <Net/>\r\n  <Net/>\r\n</Project>"));
    EXPECT_EQ(root.GetChildCount(), 2u);
    EXPECT_FALSE(root.HasAttribute(L"Old"));
    EXPECT_TRUE(root.HasAttribute(L"New"));
    EXPECT_EQ(root.GetChild(0)->GetParent(), &root);
}

// A document big enough that writing it overruns a small file-size limit.
void FillBig(CRoot& root) {
    root.SetRootTag(L"Project");
    for (int i = 0; i < 2000; ++i)
        root.AddChild(new CGenericNode(26, L"Wire"))->SetText(L"1,2,3,4 and some more text");
}

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

TEST_F(XmlFileTest, FailedSaveLeavesTheOldFileUntouched) {
    std::wstring target = Path(L"doc.circuit");
    const std::string old = kDecl + "<Project/>\r\n";
    ASSERT_TRUE(WriteWholeFile(target, old));
    CRoot root;
    FillBig(root);
    root.SetFilePath(target);
    {
        FileSizeLimit limit(8192);
        CXmlFile saver(&root);
        EXPECT_FALSE(saver.Save());
        EXPECT_FALSE(saver.GetError().empty());
    }
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(target, bytes));
    EXPECT_EQ(bytes, old);
    EXPECT_EQ(FilesInDir(), std::vector<std::wstring>{L"doc.circuit"}) << "no temporary file left";

    // Saving under a new name that cannot be written keeps the old name.
    CXmlFile saver(&root);
    EXPECT_FALSE(saver.Save(Path(L"missing/folder.circuit").c_str()));
    EXPECT_EQ(root.GetFilePath(), target);
    CreateDirectories(Path(L"dir.circuit"));
    EXPECT_FALSE(saver.Save(Path(L"dir.circuit").c_str()));
    EXPECT_TRUE(DirectoryExists(Path(L"dir.circuit")));
    EXPECT_EQ(FilesInDir(), (std::vector<std::wstring>{L"dir.circuit", L"doc.circuit"}));
    EXPECT_TRUE(saver.Save());
    EXPECT_TRUE(ReadWholeFile(target, bytes));
    EXPECT_GT(bytes.size(), 8192u);
}

// A save writes the document where its file is and leaves the file as it
// was in every other way: through a symbolic link to the link's target (the
// link stays), keeping the permission bits. A file nobody may write is
// refused and left untouched, however the folder may be written.
TEST_F(XmlFileTest, ASaveKeepsTheFilesLinkAndPermissionsAndRefusesAReadOnlyFile) {
    struct Case {
        const char* what;
        mode_t mode;
        bool throughLink;
        bool refused;
    };
    const Case cases[] = {
        {"a private file", 0600, false, false},
        {"a file shared with the group, through a link", 0640, true, false},
        {"a read-only file", 0444, false, true},
        {"a read-only file, through a link", 0444, true, true},
    };
    const std::string old = kDecl + "<Project/>\r\n";
    auto modeOf = [](const std::wstring& path) {
        struct stat st {};
        return ::lstat(PathToNative(path).c_str(), &st) == 0 ? st.st_mode : mode_t{0};
    };
    CreateDirectories(Path(L"real"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring target = Path(L"real/doc.circuit");
        const std::wstring opened = c.throughLink ? Path(L"doc.circuit") : target;
        RemoveFile(target);
        RemoveFile(opened);
        ASSERT_TRUE(WriteWholeFile(target, old));
        ASSERT_EQ(::chmod(PathToNative(target).c_str(), c.mode), 0);
        if (c.throughLink) {
            ASSERT_EQ(::symlink("real/doc.circuit", PathToNative(opened).c_str()), 0);
        }
        CRoot root;
        root.SetRootTag(L"Project");
        root.AddChild(new CGenericNode(26, L"Wire"))->SetText(L"1,2,3,4");
        CXmlFile saver(&root);
        EXPECT_EQ(saver.Save(opened.c_str()), !c.refused);
        EXPECT_EQ(saver.GetError().empty(), !c.refused);
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(target, bytes));
        EXPECT_EQ(bytes == old, c.refused);
        EXPECT_EQ(modeOf(target), S_IFREG | c.mode);
        if (c.throughLink) {
            EXPECT_TRUE(S_ISLNK(modeOf(opened)));
        }
        EXPECT_EQ(ListDirectory(Path(L"real")), std::vector<std::wstring>{L"doc.circuit"})
            << "no temporary file left";
    }

    // A user who may write the folder but not the file: refused. Run as a
    // user without privileges where the test may become one.
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody)
        return;
    const std::wstring target = Path(L"theirs.circuit");
    ASSERT_TRUE(WriteWholeFile(target, old));
    ASSERT_EQ(::chmod(PathToNative(target).c_str(), 0644), 0);
    ASSERT_EQ(::chmod(PathToNative(m_dir).c_str(), 0777), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
            ::_exit(2);
        CRoot root;
        root.SetRootTag(L"Project");
        ::_exit(CXmlFile(&root).Save(target.c_str()) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save as nobody: " << status;
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(target, bytes));
    EXPECT_EQ(bytes, old);
}

// A folder the user may not write takes no temporary file: a file in it that
// the user may write is written in place (through a link too), keeping its
// permission bits, and a write cut short there is still a failed save. A file
// the user may not write stays refused. The superuser may write any folder,
// so as the superuser the saves run as nobody.
TEST_F(XmlFileTest, AFileInAFolderTheUserMayNotWriteIsWrittenInPlace) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() == 0 && !nobody)
        GTEST_SKIP() << "no user to save as";
    struct Case {
        const char* what;
        mode_t mode;
        bool throughLink;
        rlim_t sizeLimit; // 0: none
        bool saved;
    };
    const Case cases[] = {
        {"a file anyone may write", 0666, false, 0, true},
        {"the same, through a link", 0666, true, 0, true},
        {"a file nobody may write", 0444, false, 0, false},
        {"a write cut short", 0666, false, 8192, false},
    };
    const std::string old = kDecl + "<Project/>\r\n";
    CRoot big;
    FillBig(big);
    ASSERT_TRUE(CXmlFile(&big).Save(Path(L"expected.circuit").c_str()));
    std::string expected;
    ASSERT_TRUE(ReadWholeFile(Path(L"expected.circuit"), expected));
    const std::wstring locked = Path(L"locked");
    const std::wstring target = PathJoin(locked, L"doc.circuit");
    ASSERT_TRUE(CreateDirectories(locked));
    ASSERT_EQ(::chmod(PathToNative(m_dir).c_str(), 0755), 0);
    ASSERT_EQ(::symlink("locked/doc.circuit", PathToNative(Path(L"link.circuit")).c_str()), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(::chmod(PathToNative(locked).c_str(), 0755), 0);
        RemoveFile(target);
        ASSERT_TRUE(WriteWholeFile(target, old));
        ASSERT_EQ(::chmod(PathToNative(target).c_str(), c.mode), 0);
        ASSERT_EQ(::chmod(PathToNative(locked).c_str(), 0555), 0);
        const std::wstring opened = c.throughLink ? Path(L"link.circuit") : target;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::geteuid() == 0 &&
                (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0))
                ::_exit(2);
            std::optional<FileSizeLimit> limit;
            if (c.sizeLimit)
                limit.emplace(c.sizeLimit);
            CRoot root;
            FillBig(root);
            CXmlFile saver(&root);
            const bool saved = saver.Save(opened.c_str());
            ::_exit(saved == saver.GetError().empty() ? (saved ? 0 : 1) : 3);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), c.saved ? 0 : 1);
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(target, bytes));
        if (c.saved) {
            EXPECT_TRUE(bytes == expected) << bytes.size() << " bytes";
        } else if (!c.sizeLimit) {
            EXPECT_EQ(bytes, old);
        }
        struct stat st {};
        ASSERT_EQ(::lstat(PathToNative(target).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode, S_IFREG | c.mode);
        EXPECT_EQ(ListDirectory(locked), std::vector<std::wstring>{L"doc.circuit"});
    }
    ASSERT_EQ(::chmod(PathToNative(locked).c_str(), 0755), 0);
}

TEST_F(XmlFileTest, SaveWithoutAnyPathFails) {
    CRoot root;
    root.SetRootTag(L"Project");
    CXmlFile file(&root);
    EXPECT_FALSE(file.Save());
    EXPECT_FALSE(file.Load());
}

} // namespace

TEST_F(XmlFileTest, TextsWithNulCharactersTakeTheFormOfTheTextWithout) {
    // The form (empty tag, text on the tag's line, text on lines of its own)
    // follows the text as written, without its NUL characters, however many
    // there are and wherever they stand.
    const std::wstring nuls(300, L'\0');
    std::wstring words;
    for (int i = 0; i < 60; ++i)
        words += L"w" + std::to_wstring(i) + (i % 7 == 3 ? L"  " : L" ");
    words += L"end";
    std::wstring scattered;
    for (wchar_t c : words)
        scattered += std::wstring(1, c) + L'\0';
    const std::wstring texts[][2] = {
        {nuls, L""},
        {nuls + L"ab", L"ab"},
        {L"a" + nuls + L"b", L"ab"},
        {nuls + L" x ", L" x "},
        {scattered, words},
        {nuls + words + nuls, words},
    };
    for (const auto& [with, without] : texts) {
        CRoot a, b;
        a.SetRootTag(L"Project");
        b.SetRootTag(L"Project");
        a.AddChild(new CGenericNode(1, L"T"))->SetText(with);
        b.AddChild(new CGenericNode(1, L"T"))->SetText(without);
        const std::string saved = SaveBytes(a, L"with.circuit");
        EXPECT_EQ(saved, SaveBytes(b, L"without.circuit")) << saved;
        CRoot back;
        ASSERT_TRUE(LoadBytes(back, saved)) << m_error;
        EXPECT_TRUE(back.GetChild(0)->GetText() == without) << saved;
    }
}

TEST_F(XmlFileTest, NulCharactersAreDroppedOnReadAsOnWrite) {
    // A pin's text "L<NUL> 1" must read as what a save writes back ("L 1",
    // which the pin reads as side L, offset 1), or a second save differs.
    std::string in = Crlf({"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>", "<SymbolLib>"});
    static const char kPin[] = "  <Pin Name=\"A\0B\" Num=\"1\">L\0\0 1</Pin>\r\n";
    in += std::string(kPin, sizeof kPin - 1);
    in += Crlf({"</SymbolLib>"});
    CRoot root;
    ASSERT_TRUE(LoadBytes(root, in, L"SymbolLib", L"in.symbol")) << m_error;
    ASSERT_EQ(root.GetChildren().size(), 1u);
    EXPECT_EQ(root.GetChildren()[0]->GetAttributes().at(L"Name"), L"AB");
    const std::string first = SaveBytes(root, L"first.symbol");
    EXPECT_NE(first.find("<Pin Name=\"AB\" Num=\"1\">L1</Pin>"), std::string::npos) << first;
    CRoot again;
    ASSERT_TRUE(LoadBytes(again, first, L"SymbolLib", L"again.symbol")) << m_error;
    EXPECT_EQ(SaveBytes(again, L"second.symbol"), first);
}

TEST_F(XmlFileTest, ControlCharactersReadAndWriteAsReplacementCharacters) {
    // Controls XML cannot hold (below 0x20 but tab, line feed and carriage
    // return), as bytes or as references, read as U+FFFD, in the sixteen-byte
    // runs as one at a time; a tab, a line feed and a carriage return given
    // as references stay. (Controls before a text's first character are
    // blanks, as spaces are.)
    const std::wstring r = L"\uFFFD";
    const std::string run = "0123456789abcdef";
    const struct {
        const char* what;
        std::string element;
        std::wstring text, value;
    } cases[] = {
        {"bytes", "<T V=\"a\x01\x1B\">a\x01x\x1F</T>", L"a" + r + L"x" + r, L"a" + r + r},
        {"bytes in runs", "<T V=\"" + run + "\x0B" + run + "\">" + run + "\x1B" + run + "</T>",
         Utf8ToWide(run) + r + Utf8ToWide(run), Utf8ToWide(run) + r + Utf8ToWide(run)},
        {"references", "<T V=\"&#1;&#x1b;\">&#27;&amp;&#8;</T>", r + L"&" + r, r + r},
        {"tab, line feed and return", "<T V=\"&#9;&#10;&#13;\">a&#9;b&#13;&#10;c</T>", L"a\tb\r\nc",
         L"\t\n\r"},
        {"NUL dropped beside", "<T V=\"\x01\">" + std::string("a\0\x02", 3) + "</T>", L"a" + r, r},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CRoot root;
        ASSERT_TRUE(LoadBytes(root, kDecl + "<Project>" + c.element + "</Project>")) << m_error;
        ASSERT_EQ(root.GetChildCount(), 1u);
        const CTreeNode* node = root.GetChild(0);
        EXPECT_TRUE(node->GetText() == c.text) << WideToUtf8(node->GetText());
        const auto value = node->FindAttribute(L"V");
        EXPECT_TRUE(value && *value == c.value) << (value ? WideToUtf8(*value) : "none");
        const std::string first = SaveBytes(root, L"first.circuit");
        CRoot again;
        ASSERT_TRUE(LoadBytes(again, first)) << m_error;
        EXPECT_EQ(SaveBytes(again, L"second.circuit"), first);
    }
    // Texts the program holds: a control is written as U+FFFD, never as a
    // reference or a byte.
    CRoot made;
    made.SetRootTag(L"Project");
    auto* node = new CTreeNode();
    node->SetText(L"a\x01"
                  L"b\x1B\tc");
    node->SetAttribute(L"V", L"\x1F");
    made.AddChild(node);
    const std::string bytes = SaveBytes(made, L"made.circuit");
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_NE(
        bytes.find("V=\"" + replacement + "\">a" + replacement + "b" + replacement + "&#9;c<"),
        std::string::npos)
        << bytes;
}

TEST_F(XmlFileTest, SurrogatesStandingAloneReadAsReplacementCharacters) {
    // A surrogate in three-byte form is no character unless a low one follows
    // a high one straight away: each of its bytes reads as U+FFFD, also where
    // a NUL (which is dropped) or a child stands between a high and a low one,
    // so that the saved file is well-formed and saves the same again.
    const std::string high = "\xED\xA0\xBD", low = "\xED\xB8\xAC", nul(1, '\0');
    const std::wstring bad = L"\uFFFD\uFFFD\uFFFD", two = bad + bad;
    // A text long enough to be wrapped, with a space where counting the pair
    // as two characters or one moves the cut.
    std::string words;
    for (int i = 0; i < 12; ++i)
        words += "word" + std::to_string(i) + " ";
    const struct {
        const char* what;
        std::string element;
        std::wstring text, value;
    } cases[] = {
        {"text, NUL between", "<T>" + high + nul + low + "</T>", two, L""},
        {"value, NUL between", "<T V=\"" + high + nul + nul + low + "\"/>", L"", two},
        {"text around a child", "<T>" + high + "\r\n  <C/>\r\n  " + low + "</T>", two, L""},
        {"text with entities", "<T>&amp;" + high + nul + low + "&lt;</T>", L"&" + two + L"<", L""},
        {"wrapped text with a child", "<T>" + high + nul + low + words + words + "<C/></T>",
         two + Utf8ToWide(words + words.substr(0, words.size() - 1)), L""},
        {"low before high", "<T V='" + low + nul + high + "'>" + low + nul + high + "</T>", two,
         two},
        {"apart", "<T>" + high + " x " + low + "</T>", bad + L" x " + bad, L""},
        {"a pair", "<T V=\"" + high + low + "\">" + high + low + "</T>", L"\U0001F62C",
         L"\U0001F62C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CRoot root;
        ASSERT_TRUE(LoadBytes(root, kDecl + "<Project>" + c.element + "</Project>")) << m_error;
        ASSERT_EQ(root.GetChildCount(), 1u);
        const CTreeNode* node = root.GetChild(0);
        EXPECT_TRUE(node->GetText() == c.text) << WideToUtf8(node->GetText());
        const auto value = node->FindAttribute(L"V");
        EXPECT_TRUE(c.value.empty() ? !value : value && *value == c.value);
        const std::string first = SaveBytes(root, L"first.circuit");
        // No surrogate in any form is written.
        EXPECT_EQ(first.find('\xED'), std::string::npos) << first;
        CRoot again;
        ASSERT_TRUE(LoadBytes(again, first)) << m_error;
        EXPECT_TRUE(again.GetChild(0)->GetText() == c.text) << first;
        EXPECT_EQ(SaveBytes(again, L"second.circuit"), first);
    }
    // The net name of the issue: the bytes of the surrogate become U+FFFD.
    CRoot root;
    ASSERT_TRUE(LoadBytes(root, kDecl + "<Project><Net Name=\"N\xED\xA0\x80" + "1\"/></Project>"))
        << m_error;
    EXPECT_TRUE(*root.GetChild(0)->FindAttribute(L"Name") == L"N" + bad + L"1");
    // A surrogate on its own in a text the program holds is written as U+FFFD.
    CRoot made;
    made.SetRootTag(L"Project");
    auto* node = new CTreeNode();
    node->SetText(std::wstring{L'a', wchar_t(0xDC00), L'b'});
    node->SetAttribute(L"V", std::wstring{wchar_t(0xD800)});
    made.AddChild(node);
    const std::string bytes = SaveBytes(made, L"made.circuit");
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_NE(bytes.find("V=\"" + replacement + "\">a" + replacement + "b<"), std::string::npos)
        << bytes;
}
