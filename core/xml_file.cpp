#include "core/xml_file.h"

#include "board/board_nets.h"
#include "core/attribute_name.h"
#include "core/node_arena.h"
#include "core/text_scanner.h"
#include "core/utf8_codec.h"
#include "platform/file.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "schematic/node_factory.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <utility>

namespace {

struct XmlEntity {
    wchar_t character;
    const wchar_t* text;
    int length;
};
// & " ' < >, in the order they are matched.
constexpr XmlEntity kEntities[] = {
    {L'&', L"&amp;", 5}, {L'"', L"&quot;", 6}, {L'\'', L"&apos;", 6},
    {L'<', L"&lt;", 4},  {L'>', L"&gt;", 4},
};

// A control character no XML document can hold: below 0x20, other than a
// tab, a line feed or a carriage return.
constexpr bool IsForbiddenControl(uint32_t c) {
    return c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r';
}

// The writer leaves NUL characters out and writes the other controls no XML
// document can hold as U+FFFD; the reader does the same, so that what is read
// is what a save writes back.
void CleanControlCharacters(std::wstring& text) {
    if (std::none_of(text.begin(), text.end(),
                     [](wchar_t c) { return IsForbiddenControl(static_cast<uint32_t>(c)); }))
        return;
    text.erase(std::remove(text.begin(), text.end(), L'\0'), text.end());
    for (wchar_t& c : text)
        if (IsForbiddenControl(static_cast<uint32_t>(c)))
            c = static_cast<wchar_t>(utf8::kReplacement);
}

// Deeper nesting than any document has; the bound keeps a hostile file from
// exhausting the stack.
constexpr int kMaxDepth = 256;

// Lines are handed to the text file in batches of about this many bytes.
constexpr std::size_t kOutBatch = 64 * 1024;

using TextScanner::IsBlank;
using TextScanner::IsNameByte;

bool IsAscii(std::string_view bytes) {
    unsigned bits = 0;
    for (char b : bytes)
        bits |= static_cast<unsigned char>(b);
    return bits < 0x80;
}

// The characters of UTF-8 bytes, written to out (never more characters than
// bytes); returns how many.
std::size_t DecodeTo(const char* bytes, std::size_t size, wchar_t* out) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes);
    const auto* const end = p + size;
    const uint8_t* q = utf8::SkipAscii(p, end);
    wchar_t* d = out;
    while (p < end) {
        TextScanner::WidenAscii(p, q, d);
        d += q - p;
        p = q;
        while (p < end && *p >= 0x80) {
            char32_t c;
            p += utf8::DecodeMultiByte(p, end, c);
            *d++ = static_cast<wchar_t>(c);
        }
        q = utf8::SkipAscii(p, end);
    }
    return static_cast<std::size_t>(d - out);
}

// Whether the reader reads the name back as one attribute name: not empty,
// and only letters, digits, '_' and characters beyond ASCII.
bool IsWritableName(std::wstring_view name) {
    if (name.empty())
        return false;
    for (wchar_t c : name) {
        const auto u = static_cast<uint32_t>(c);
        if (u < 0x80 ? !IsNameByte(static_cast<char>(u)) : u > 0x10FFFF)
            return false;
    }
    return true;
}

// The characters of UTF-8 bytes, in a string of their size.
std::wstring ToWide(std::string_view bytes, bool ascii = false) {
    if (ascii || IsAscii(bytes)) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        return std::wstring(p, p + bytes.size());
    }
    std::wstring out;
    utf8::AppendDecoded(out, bytes);
    return out;
}

// True for a character that is not written as itself.
constexpr bool NeedsEscape(wchar_t c) {
    return (c >= 0 && c <= 32) || c == L'&' || c == L'"' || c == L'\'' || c == L'<' || c == L'>';
}

// The ASCII characters that are written as themselves.
constexpr std::array<bool, 128> kPlain = [] {
    std::array<bool, 128> t{};
    for (int c = 0; c < 128; ++c)
        t[c] = !NeedsEscape(static_cast<wchar_t>(c));
    return t;
}();

// Decodes into out (replacing it).
void DecodeInto(std::wstring_view text, std::wstring& out) {
    out.clear();
    std::size_t amp = text.find(L'&');
    if (amp == std::wstring_view::npos) {
        out.assign(text);
        return;
    }
    out.reserve(text.size());
    std::size_t i = 0;
    while (amp != std::wstring_view::npos) {
        out.append(text.substr(i, amp - i));
        i = amp;
        std::wstring_view rest = text.substr(amp);
        bool done = false;
        for (const XmlEntity& e : kEntities) {
            if (rest.substr(0, static_cast<std::size_t>(e.length)) == e.text) {
                out += e.character;
                i = amp + static_cast<std::size_t>(e.length);
                done = true;
                break;
            }
        }
        if (!done && rest.size() > 3 && rest[1] == L'#') {
            bool hex = rest[2] == L'x' || rest[2] == L'X';
            std::size_t k = hex ? 3 : 2;
            uint32_t v = 0;
            std::size_t digits = 0;
            while (k < rest.size() && digits < 8) {
                wchar_t d = rest[k];
                int dv = d >= L'0' && d <= L'9'          ? d - L'0'
                         : hex && d >= L'a' && d <= L'f' ? d - L'a' + 10
                         : hex && d >= L'A' && d <= L'F' ? d - L'A' + 10
                                                         : -1;
                if (dv < 0)
                    break;
                v = v * (hex ? 16 : 10) + static_cast<uint32_t>(dv);
                ++digits;
                ++k;
            }
            if (digits > 0 && k < rest.size() && rest[k] == L';' && v >= 1 && v <= 0x10FFFF &&
                !(v >= 0xD800 && v <= 0xDFFF)) {
                out += IsForbiddenControl(v) ? static_cast<wchar_t>(utf8::kReplacement)
                                             : static_cast<wchar_t>(v);
                i = amp + k + 1;
                done = true;
            }
        }
        if (!done) {
            out += L'&';
            i = amp + 1;
        }
        amp = text.find(L'&', i);
    }
    out.append(text.substr(i));
}

} // namespace

namespace {

// The repairs noted during the load under way, by text, in the order first
// noted; null outside a load.
using ReadRepairs = std::vector<std::pair<unsigned, std::vector<std::wstring>>>;
thread_local ReadRepairs* t_readRepairs = nullptr;

void TellReadRepair(unsigned textId, const std::vector<std::wstring>& details) {
    constexpr std::size_t kShown = 8;
    std::wstring list;
    for (std::size_t i = 0; i < details.size() && i < kShown; ++i)
        list += (i ? L", " : L"") + details[i];
    if (details.size() > kShown)
        list += L", ...";
    ShowMessageBox(StrPrintf(LoadStringText(textId).c_str(), list.c_str()), L"Vorpel",
                   MB_OK | MB_ICONWARNING);
}

} // namespace

void NoteReadRepair(unsigned textId, const std::wstring& detail) {
    if (!t_readRepairs) {
        TellReadRepair(textId, {detail});
        return;
    }
    auto it = std::find_if(t_readRepairs->begin(), t_readRepairs->end(),
                           [textId](const auto& entry) { return entry.first == textId; });
    if (it == t_readRepairs->end())
        it = t_readRepairs->insert(t_readRepairs->end(), {textId, {}});
    // A detail noted again is listed once.
    if (std::find(it->second.begin(), it->second.end(), detail) == it->second.end())
        it->second.push_back(detail);
}

CXmlFile::CXmlFile(CRoot* root) : m_root(root) {}

CXmlFile::~CXmlFile() {
    m_file.Close();
}

bool CXmlFile::Fail(const std::wstring& reason) {
    m_error = reason;
    return false;
}

bool CXmlFile::Load(const wchar_t* path) {
    m_error.clear();
    if (!m_root)
        return Fail(L"no document");
    const std::wstring filePath = path ? std::wstring(path) : m_root->GetFilePath();
    if (filePath.empty())
        return Fail(L"no file name");
    m_file.SetCodePage(m_codePage);
    m_file.SetByteOrderMark(true);
    if (!m_file.Open(filePath, CTextFile::GenericRead, CTextFile::FileShareRead,
                     CTextFile::OpenExisting, CTextFile::FileAttributeNormal)) {
        m_file.Close();
        return Fail(L"cannot open the file");
    }
    // The first line is the XML declaration.
    std::wstring line;
    if (!m_file.ReadLineString(line)) {
        m_file.Close();
        return Fail(L"the file is empty");
    }
    // The rest is parsed as one block of UTF-8: the bytes of the file as they
    // are, or the lines of a UTF-16 file encoded.
    std::unique_ptr<char[]> bytes;
    std::string encoded;
    std::size_t size = 0;
    if (m_file.GetCodePage() == CTextFile::CodePageUtf16) {
        for (bool first = true; m_file.ReadLineString(line); first = false) {
            if (!first)
                encoded += '\n';
            utf8::AppendEncoded(encoded, line);
        }
        m_begin = encoded.data();
        size = encoded.size();
    } else {
        bytes = m_file.ReadRestBytes(size);
        m_begin = bytes.get();
    }
    m_file.Close();
    if (!ParseDocument(size))
        return false;
    if (path)
        m_root->SetFilePath(filePath);
    return true;
}

bool CXmlFile::LoadFromBytes(std::string_view bytes) {
    m_error.clear();
    if (!m_root)
        return Fail(L"no document");
    // The declaration line is what a save writes first; the rest is parsed.
    const std::size_t lineEnd = bytes.find('\n');
    if (lineEnd == std::string_view::npos)
        return Fail(L"the file is empty");
    m_begin = bytes.data() + lineEnd + 1;
    return ParseDocument(bytes.size() - lineEnd - 1);
}

bool CXmlFile::ParseDocument(std::size_t size) {
    m_p = m_begin;
    m_end = m_begin + size;
    m_names.assign(kMaxDepth + 1, std::string_view());
    m_children.assign(kMaxDepth + 1, std::vector<CTreeNode*>());
    m_texts.clear();
    m_texts.resize(kMaxDepth + 1);
    m_expectedRoot = m_root->GetRootTag();

    // Parse into a scratch root so that a failure leaves the document alone.
    auto scratch = std::make_unique<CRoot>();
    // What the nodes make while they are read comes from blocks too.
    std::optional<NodeArena::Scope> arena(std::in_place);
    bool ok = ParseElement(scratch.get(), 0);
    if (ok) {
        // A save would drop whatever follows the root element: such a file is
        // refused rather than silently shortened.
        SkipWhitespace();
        if (!AtEnd())
            ok = Fail(L"content after the end of the document");
    }
    const int lineNumber = ok ? 0 : LineNumberAt(m_p);
    m_begin = m_p = m_end = nullptr;
    m_names.clear();
    m_children.clear();
    m_texts.clear();
    if (!ok) {
        if (m_error.empty())
            Fail(L"the file is malformed");
        m_error += L" (line " + std::to_wstring(lineNumber) + L")";
        return false;
    }

    for (CTreeNode* old : m_root->ReleaseChildren())
        delete old;
    if (m_root->GetRootTag().empty())
        m_root->SetRootTag(m_rootName);
    m_root->GetAttributes().swap(scratch->GetAttributes());
    m_root->SetText(scratch->GetText());
    for (CTreeNode* child : scratch->ReleaseChildren())
        m_root->AddChild(child);
    ReadRepairs repairs;
    ReadRepairs* const outer = std::exchange(t_readRepairs, &repairs);
    ReadAttributesTree(m_root);
    t_readRepairs = outer;
    arena.reset();
    for (const auto& [textId, details] : repairs)
        TellReadRepair(textId, details);
    return true;
}

void CXmlFile::WideScratch::Grow(std::size_t needed) {
    const std::size_t capacity = std::max<std::size_t>(needed, 2 * m_capacity + 64);
    std::unique_ptr<wchar_t[]> data(new wchar_t[capacity]);
    if (m_size)
        std::wmemcpy(data.get(), m_data.get(), m_size);
    m_data = std::move(data);
    m_capacity = capacity;
}

int CXmlFile::LineNumberAt(const char* at) const {
    // The declaration is line 1. CR LF is one line end, any other CR or LF
    // one each; at the end of the file the count stays on the last line.
    int line = 2;
    for (const char* p = m_begin; p < at; ++p) {
        if (*p == '\n' || (*p == '\r' && (p + 1 == m_end || p[1] != '\n')))
            ++line;
    }
    if (at >= m_end)
        line -= m_end > m_begin && (m_end[-1] == '\n' || m_end[-1] == '\r') ? 1 : 0;
    if (m_end == m_begin)
        line = 1;
    return line;
}

void CXmlFile::SkipBlanks() {
    m_p = TextScanner::SkipBlanks(m_p, m_end);
}

std::string_view CXmlFile::ReadNameBytes() {
    SkipWhitespace();
    const char* start = m_p;
    m_p = TextScanner::FindNameEnd(start, m_end);
    return std::string_view(start, static_cast<std::size_t>(m_p - start));
}

void CXmlFile::AppendName(WideScratch& out) {
    SkipWhitespace();
    // Names are ASCII as a rule: read and widened in one go. A byte beyond
    // ASCII sends the name through the decoder instead.
    const char* const start = m_p;
    const char* p = TextScanner::FindAsciiNameEnd(start, m_end);
    if (p == m_end || static_cast<unsigned char>(*p) < 0x80) {
        m_p = p;
        const std::string_view name(start, static_cast<std::size_t>(p - start));
        TextScanner::WidenAscii(name, out.Extend(name.size()));
        return;
    }
    const std::string_view bytes = ReadNameBytes();
    m_rawValue.clear();
    utf8::AppendDecoded(m_rawValue, bytes);
    std::wmemcpy(out.Extend(m_rawValue.size()), m_rawValue.data(), m_rawValue.size());
}

void CXmlFile::AppendAttributeValue(WideScratch& out) {
    SkipWhitespace();
    if (AtEnd())
        return;
    if (*m_p != '=') {
        // A name without a value. The '/' or '>' after it still ends the tag;
        // any other character is consumed, with all the bytes it takes.
        if (*m_p == '/' || *m_p == '>')
            return;
        const auto* p = reinterpret_cast<const uint8_t*>(m_p);
        char32_t c;
        m_p += *p < 0x80 ? 1 : utf8::DecodeMultiByte(p, reinterpret_cast<const uint8_t*>(m_end), c);
        return;
    }
    ++m_p;
    SkipWhitespace();
    const char quote = Cur();
    if (quote != '"' && quote != '\'') {
        AppendName(out);
        return;
    }
    ++m_p;
    // Most values end on their line and are plain ASCII without entities:
    // they are widened straight into the output.
    const char* q = TextScanner::FindValueStop(m_p, m_end, quote);
    if (q < m_end && *q == quote) {
        const std::string_view plain(m_p, static_cast<std::size_t>(q - m_p));
        TextScanner::WidenAscii(plain, out.Extend(plain.size()));
        m_p = q + 1;
        return;
    }
    std::wstring& value = m_rawValue;
    value.clear();
    bool entities = false;
    for (;;) {
        const char* close = m_p;
        while (close < m_end && *close != quote && *close != '\r' && *close != '\n')
            ++close;
        const std::string_view piece(m_p, static_cast<std::size_t>(close - m_p));
        entities = entities || piece.find('&') != std::string_view::npos;
        utf8::AppendDecoded(value, piece);
        if (close < m_end && *close == quote) {
            m_p = close + 1;
            break;
        }
        // A value broken over lines: the line end and the indentation after
        // it read as one space.
        m_p = close;
        SkipWhitespace();
        if (AtEnd())
            break;
        value += L' ';
    }
    if (entities) {
        DecodeInto(value, m_decoded);
        value.swap(m_decoded);
    }
    CleanControlCharacters(value);
    std::wmemcpy(out.Extend(value.size()), value.data(), value.size());
}

bool CXmlFile::AppendPlainAttribute() {
    // Name="value" with an ASCII name, straight after it, and a value of
    // plain ASCII on its line: what the writer writes, read in one go.
    const char* const nameStart = m_p;
    const char* p = TextScanner::FindAsciiNameEnd(nameStart, m_end);
    if (p == nameStart || m_end - p < 2 || p[0] != '=' || p[1] != '"')
        return false;
    const char* const valueStart = p + 2;
    const char* q = TextScanner::FindValueStop(valueStart, m_end);
    if (q == m_end || *q != '"')
        return false;
    const auto nameLength = static_cast<std::size_t>(p - nameStart);
    const auto valueLength = static_cast<std::size_t>(q - valueStart);
    wchar_t* d = m_attrText.Extend(nameLength + valueLength + 3);
    *d++ = static_cast<wchar_t>(static_cast<uint32_t>(nameLength));
    TextScanner::WidenAscii({nameStart, nameLength}, d);
    d += nameLength;
    *d++ = static_cast<wchar_t>(static_cast<uint32_t>(valueLength));
    TextScanner::WidenAscii({valueStart, valueLength}, d);
    d[valueLength] = L'\0';
    m_p = q + 1;
    return true;
}

bool CXmlFile::AppendAttribute() {
    const std::size_t entry = m_attrText.Size();
    m_attrText.Extend(1);
    AppendName(m_attrText);
    const std::size_t valueField = m_attrText.Size();
    m_attrText.Extend(1);
    AppendAttributeValue(m_attrText);
    const std::size_t nameLength = valueField - entry - 1;
    // A value without a name (stray '=' or quotes) is skipped: the writer
    // would give it an empty name, which is no XML.
    if (nameLength == 0) {
        m_attrText.Truncate(entry);
        return false;
    }
    const std::size_t valueLength = m_attrText.Size() - valueField - 1;
    *m_attrText.Extend(1) = L'\0';
    wchar_t* const text = m_attrText.MutableData();
    text[entry] = static_cast<wchar_t>(static_cast<uint32_t>(nameLength));
    text[valueField] = static_cast<wchar_t>(static_cast<uint32_t>(valueLength));
    return true;
}

bool CXmlFile::ParseElement(CTreeNode* node, int depth) {
    SkipWhitespace();
    if (AtEnd())
        return Fail(L"unexpected end of the file");
    if (*m_p != '<')
        return Fail(L"expected '<'");
    ++m_p;
    // The name follows the '<' directly: the node for it was chosen by what
    // stands there.
    if (m_p >= m_end || IsBlank(*m_p))
        return Fail(L"blank after '<'");
    std::string_view& name = m_names[static_cast<std::size_t>(depth)];
    name = ReadNameBytes();
    if (name.empty())
        return Fail(L"markup that is not an element (comment, declaration or stray '<')");
    if (depth == 0) {
        m_rootName = ToWide(name);
        if (!m_expectedRoot.empty() && m_rootName != m_expectedRoot)
            return Fail(L"the file holds a \"" + m_rootName + L"\" document, not a \"" +
                        m_expectedRoot + L"\"");
    }

    SkipWhitespace();
    if (Cur() != '>') {
        // Names and values go into one scratch buffer first, and into the
        // node's attribute block at once when the start tag is complete.
        m_attrText.Clear();
        m_attrCount = 0;
        m_attrOrdered = true;
        std::size_t lastName = 0;
        for (;;) {
            if (AtEnd())
                return Fail(L"unexpected end of the file in <" + ToWide(name) + L">");
            if (*m_p == '/') {
                ++m_p;
                if (Cur() != '>')
                    return Fail(L"expected '>' after '/' in <" + ToWide(name) + L">");
                ++m_p;
                StoreAttributes(node);
                return true;
            }
            // Each attribute goes into the scratch as an entry of the
            // attribute block: [name length][name][value length][value][NUL].
            const std::size_t entry = m_attrText.Size();
            if (AppendPlainAttribute() || AppendAttribute()) {
                const wchar_t* const text = m_attrText.Data();
                const std::size_t nameLength = static_cast<uint32_t>(text[entry]);
                // The writer puts names in order: then the entries are the
                // block as it is.
                if (m_attrCount > 0 &&
                    CompareAttributeNames(
                        {text + lastName + 1, static_cast<uint32_t>(text[lastName])},
                        {text + entry + 1, nameLength}) >= 0)
                    m_attrOrdered = false;
                lastName = entry;
                ++m_attrCount;
            }
            SkipWhitespace();
            if (Cur() == '>')
                break;
        }
        StoreAttributes(node);
    }
    ++m_p; // the '>'

    // The children are collected first and then given to the node at once.
    std::vector<CTreeNode*>& children = m_children[static_cast<std::size_t>(depth)];
    children.clear();
    const bool ok = ParseContent(node, depth);
    if (!children.empty()) {
        node->ReserveChildren(children.size());
        for (CTreeNode* child : children)
            node->AddChild(child);
        children.clear();
    }
    return ok;
}

bool CXmlFile::ParseContent(CTreeNode* node, int depth) {
    const std::string_view name = m_names[static_cast<std::size_t>(depth)];
    // Character data up to each '<', then a child or the closing tag.
    WideScratch& text = m_texts[static_cast<std::size_t>(depth)];
    text.Clear();
    bool entities = false, controls = false;
    for (;;) {
        SkipWhitespace();
        for (;;) {
            if (m_p >= m_end || *m_p == '\r' || *m_p == '\n') {
                // A line end and the indentation after it read as one space.
                SkipWhitespace();
                if (AtEnd())
                    return Fail(L"unexpected end of the file in <" + ToWide(name) + L">");
                *text.Extend(1) = L' ';
                continue;
            }
            const char* stop = m_p;
            for (;;) {
                stop = TextScanner::FindTextStop(stop, m_end);
                if (stop == m_end || *stop == '<' || *stop == '\r' || *stop == '\n')
                    break;
                (*stop == '&' ? entities : controls) = true;
                ++stop;
            }
            if (stop > m_p) {
                const auto size = static_cast<std::size_t>(stop - m_p);
                const std::size_t before = text.Size();
                wchar_t* const d = text.Extend(size);
                text.Truncate(before + DecodeTo(m_p, size, d));
            }
            m_p = stop;
            if (stop < m_end && *stop == '<')
                break;
        }
        if (text.Size() && text.Data()[text.Size() - 1] == L' ')
            text.Truncate(text.Size() - 1);

        if (m_p + 1 < m_end && m_p[1] == '/') {
            m_p += 2;
            std::string_view close = ReadNameBytes();
            if (close != name) {
                // Bytes that are no valid UTF-8 may still read as the same
                // characters.
                std::wstring wideClose = ToWide(close), wideName = ToWide(name);
                if (wideClose != wideName)
                    return Fail(L"closing tag </" + wideClose + L"> does not match <" + wideName +
                                L">");
            }
            SkipWhitespace();
            if (AtEnd() || *m_p != '>')
                return Fail(L"expected '>' in </" + ToWide(name) + L">");
            ++m_p;
            std::size_t end = text.Size();
            while (end > 0 && text.Data()[end - 1] == L' ')
                --end;
            const std::wstring_view content(text.Data(), end);
            if (!entities && !controls) {
                node->SetText(content);
            } else {
                if (entities)
                    DecodeInto(content, m_decoded);
                else
                    m_decoded.assign(content);
                CleanControlCharacters(m_decoded);
                node->SetText(m_decoded);
            }
            return true;
        }

        if (depth + 1 >= kMaxDepth)
            return Fail(L"elements are nested too deeply");
        // The factory looks at the name after the '<' only.
        const char* nameEnd = TextScanner::FindNameEnd(m_p + 1, m_end);
        const std::string_view childName(m_p + 1, static_cast<std::size_t>(nameEnd - m_p - 1));
        wchar_t shortName[32];
        const wchar_t* tag = shortName;
        if (childName.size() < std::size(shortName) && IsAscii(childName)) {
            TextScanner::WidenAscii(childName, shortName);
            shortName[childName.size()] = 0;
        } else {
            m_tag = ToWide(childName);
            tag = m_tag.c_str();
        }
        CTreeNode* child = CreateNodeFromTag(tag);
        if (!child)
            return Fail(L"out of memory");
        if (!ParseElement(child, depth + 1)) {
            delete child;
            return false;
        }
        m_children[static_cast<std::size_t>(depth)].push_back(child);
    }
}

void CXmlFile::StoreAttributes(CTreeNode* node) {
    if (m_attrCount == 0)
        return;
    const wchar_t* const block = m_attrText.Data();
    if (m_attrOrdered) {
        node->GetAttributes().AssignEntries(block, m_attrText.Size(), m_attrCount);
        return;
    }
    // Out of order or repeated names: the map sorts them out.
    m_attrEntries.clear();
    for (std::size_t i = 0; i < m_attrText.Size();) {
        const std::size_t nameLength = static_cast<uint32_t>(block[i]);
        const std::size_t valueField = i + 1 + nameLength;
        const std::size_t valueLength = static_cast<uint32_t>(block[valueField]);
        m_attrEntries.emplace_back(std::wstring_view(block + i + 1, nameLength),
                                   std::wstring_view(block + valueField + 1, valueLength));
        i = valueField + 1 + valueLength + 1;
    }
    node->GetAttributes().Assign(m_attrEntries);
}

void CXmlFile::ReadAttributesTree(CTreeNode* node) {
    for (CTreeNode* child : node->GetChildren())
        ReadAttributesTree(child);
    node->ReadAttributes();
}

void CXmlFile::WriteAttributesTree(CTreeNode* node) {
    node->WriteAttributes();
    for (CTreeNode* child : node->GetChildren())
        WriteAttributesTree(child);
}

bool CXmlFile::Save(const wchar_t* path) {
    m_error.clear();
    if (!m_root)
        return Fail(L"no document");
    const std::wstring filePath = path ? std::wstring(path) : m_root->GetFilePath();
    if (filePath.empty())
        return Fail(L"no file name");
    FileReplacement replacement(filePath);
    if (replacement.GetStatus() == FileReplacement::ReadOnly)
        return Fail(L"the file is read-only");
    m_file.SetCodePage(m_codePage);
    m_file.SetByteOrderMark(false);
    if (replacement.GetStatus() != FileReplacement::Ready ||
        !m_file.Open(replacement.GetWritePath(), CTextFile::GenericWrite, 0,
                     CTextFile::CreateAlways, CTextFile::FileAttributeNormal)) {
        m_file.Close();
        return Fail(L"cannot create the file");
    }
    bool ok = m_file.WriteString(Declaration()) && WriteDocument();
    ok = m_file.Commit() && ok;
    ok = m_file.Close() && ok;
    m_out.clear();
    m_out.shrink_to_fit();
    m_outLength = 0;
    if (!ok)
        return Fail(L"cannot write the file");
    if (!replacement.Commit())
        return Fail(L"cannot replace the file");
    if (path)
        m_root->SetFilePath(filePath);
    return true;
}

std::wstring CXmlFile::Declaration() const {
    return L"<?xml version=\"" + m_version + L"\" encoding=\"" +
           (m_codePage == CTextFile::CodePageUtf8 ? L"UTF-8" : L"") + L"\" ?>";
}

bool CXmlFile::WriteDocument() {
    WriteAttributesTree(m_root);
    m_outLength = 0;
    bool ok = WriteElement(m_root, 0);
    return FlushLines() && ok;
}

bool CXmlFile::SaveToBytes(std::string& bytes) {
    m_error.clear();
    if (!m_root)
        return Fail(L"no document");
    bytes.clear();
    utf8::AppendEncoded(bytes, Declaration());
    bytes += "\r\n";
    m_sink = &bytes;
    const bool ok = WriteDocument();
    m_sink = nullptr;
    m_out.clear();
    m_out.shrink_to_fit();
    m_outLength = 0;
    return ok || Fail(L"cannot write the document");
}

char* CXmlFile::GrowOut(std::size_t count) {
    m_out.resize(std::max(m_outLength + count, std::max<std::size_t>(2 * m_out.size(), 4096)));
    return m_out.data() + m_outLength;
}

void CXmlFile::AppendOut(std::string_view bytes) {
    std::memcpy(OutRoom(bytes.size()), bytes.data(), bytes.size());
    m_outLength += bytes.size();
}

void CXmlFile::AppendOut(std::wstring_view text) {
    char* d = OutRoom(text.size() * 4);
    m_outLength = static_cast<std::size_t>(utf8::EncodeTo(d, text) - m_out.data());
}

// The escaped text goes in as UTF-8. width counts the characters of the line
// (the unit of the line width); element texts also escape a space at either
// end (the reader drops blanks there) and record the single spaces between two
// other characters, where a long line may be wrapped.
void CXmlFile::AppendEncodedOut(std::wstring_view text, bool elementText, std::size_t& width,
                                std::size_t lineStart, bool cuts) {
    const std::size_t n = text.size();
    // The longest form of one character is a reference like "&#4294967295;".
    char* const start = OutRoom(n * 13);
    char* d = start;
    // Entities make the line longer than the text by this many characters.
    std::size_t extra = 0;
    // Element texts keep their first and last character out of the fast way
    // (a space there is escaped).
    const std::size_t fastEnd = elementText ? (n ? n - 1 : 0) : n;
    for (std::size_t i = 0; i < n; ++i) {
        // Sixteen characters at a time while they go in as they stand.
        while (fastEnd >= i + 16 && (i > 0 || !elementText)) {
            unsigned spaces = 0;
            const std::size_t plain =
                TextScanner::PackPlainOutput16(text.data() + i, text.data() + fastEnd, d, spaces);
            // A single space between two other characters is a place where a
            // long line may be wrapped.
            while (cuts && spaces) {
                const std::size_t k = static_cast<std::size_t>(__builtin_ctz(spaces));
                spaces &= spaces - 1;
                const std::size_t at = i + k;
                if (at > 0 && text[at - 1] != L' ' && text[at + 1] != L' ')
                    m_cuts.emplace_back(width + at + extra,
                                        static_cast<std::size_t>(d + k - m_out.data()) - lineStart);
            }
            i += plain;
            d += plain;
            if (plain < 16)
                break;
        }
        if (i == n)
            break;
        const auto c = static_cast<uint32_t>(text[i]);
        if (c < 0x80 && kPlain[c]) {
            *d++ = static_cast<char>(c);
            continue;
        }
        if (c >= 0x80) {
            char32_t u = c;
            if (utf8::IsHighSurrogate(u) && i + 1 < n &&
                utf8::IsLowSurrogate(static_cast<uint32_t>(text[i + 1]))) {
                u = 0x10000 + ((u - 0xD800) << 10) + (static_cast<uint32_t>(text[i + 1]) - 0xDC00);
                ++i;
            } else if (u > 0x10FFFF || utf8::IsHighSurrogate(u) || utf8::IsLowSurrogate(u)) {
                u = utf8::kReplacement;
            }
            d = utf8::EncodeCodePoint(d, u);
            continue;
        }
        if (!NeedsEscape(static_cast<wchar_t>(c))) {
            *d++ = static_cast<char>(c);
            continue;
        }
        const char* entity = nullptr;
        std::size_t length = 0;
        switch (c) {
        case '&':
            entity = "&amp;";
            length = 5;
            break;
        case '"':
            entity = "&quot;";
            length = 6;
            break;
        case '\'':
            entity = "&apos;";
            length = 6;
            break;
        case '<':
            entity = "&lt;";
            length = 4;
            break;
        case '>':
            entity = "&gt;";
            length = 4;
            break;
        case ' ':
            if (!elementText || (i != 0 && i + 1 != n)) {
                if (cuts && text[i - 1] != L' ' && text[i + 1] != L' ')
                    m_cuts.emplace_back(width + i + extra,
                                        static_cast<std::size_t>(d - m_out.data()) - lineStart);
                *d++ = ' ';
                continue;
            }
            break;
        case 0: {
            // No XML document can hold a NUL character: the text goes in
            // again without them.
            std::wstring withoutNul;
            for (wchar_t w : text)
                if (w != L'\0')
                    withoutNul += w;
            while (!m_cuts.empty() && m_cuts.back().second + lineStart >=
                                          static_cast<std::size_t>(start - m_out.data()))
                m_cuts.pop_back();
            AppendEncodedOut(withoutNul, elementText, width, lineStart, cuts);
            return;
        }
        default:
            break;
        }
        if (entity) {
            std::memcpy(d, entity, length);
            d += length;
            extra += length - 1;
            continue;
        }
        if (IsForbiddenControl(c)) {
            // Not even a reference to it is XML: it goes in as U+FFFD, as the
            // reader reads it.
            d = utf8::EncodeCodePoint(d, utf8::kReplacement);
            continue;
        }
        // A character reference: "&#" and the decimal code.
        char digits[16];
        int count = 0;
        unsigned v = c;
        do {
            digits[count++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v);
        *d++ = '&';
        *d++ = '#';
        for (int k = count; k > 0; --k)
            *d++ = digits[k - 1];
        *d++ = ';';
        extra += static_cast<std::size_t>(count) + 2;
    }
    m_outLength = static_cast<std::size_t>(d - m_out.data());
    width += n + extra;
}

bool CXmlFile::EndLine() {
    AppendOut(std::string_view("\r\n"));
    return m_outLength < kOutBatch || FlushLines();
}

bool CXmlFile::FlushLines() {
    if (m_outLength == 0)
        return true;
    if (m_sink) {
        m_sink->append(m_out.data(), m_outLength);
        m_outLength = 0;
        return true;
    }
    // The batch ends with a CR LF, which the text file adds itself.
    bool ok = m_file.WriteLine(m_out.data(), m_outLength - 2);
    m_outLength = 0;
    return ok;
}

bool CXmlFile::WriteElement(CTreeNode* node, int depth) {
    const std::wstring_view tag = node->GetTagName();
    const std::size_t indent = static_cast<std::size_t>(depth);
    const std::size_t lineStart = m_outLength;
    // width: the length of the line in characters.
    std::size_t width = indent + 1 + tag.size();
    std::memset(OutRoom(indent + 1), ' ', indent);
    m_out[m_outLength + indent] = '<';
    m_outLength += indent + 1;
    AppendOut(tag);
    m_cuts.clear();
    for (const auto& [name, value] : node->GetAttributes()) {
        // A name the reader would not read back as the same attribute (empty,
        // or with blanks, quotes or markup in it) makes no XML: it is left out.
        if (!IsWritableName(name))
            continue;
        m_cuts.emplace_back(width, m_outLength - lineStart);
        AppendOut(std::string_view(" "));
        AppendOut(std::wstring_view(name));
        AppendOut(std::string_view("=\""));
        width += name.size() + 3;
        AppendEncodedOut(value, false, width, lineStart, false);
        AppendOut(std::string_view("\""));
        ++width;
    }
    // The text without NUL characters (which no document can hold, see
    // AppendEncodedOut) decides the form: empty, on the line of the tag, or
    // on lines of its own. Looking at a line's worth of characters tells.
    const std::wstring_view text = node->GetText();
    const std::size_t need =
        width < static_cast<std::size_t>(XmlLineWidth) ? XmlLineWidth - width : 1;
    std::size_t seen = std::min(text.size(), need);
    if (seen && std::wmemchr(text.data(), L'\0', seen)) {
        seen = 0;
        for (std::size_t i = 0; i < text.size() && seen < need; ++i)
            seen += text[i] != L'\0';
    }
    const auto& children = node->GetChildren();
    if (seen == 0 && children.empty()) {
        AppendOut(std::string_view("/>"));
        return EndLine();
    }
    if (children.empty() && seen < need) {
        AppendOut(std::string_view(">"));
        AppendEncodedOut(text, true, width, lineStart, false);
        AppendOut(std::string_view("</"));
        AppendOut(tag);
        AppendOut(std::string_view(">"));
        return EndLine();
    }
    AppendOut(std::string_view(">"));
    ++width;
    AppendEncodedOut(text, true, width, lineStart, true);
    bool ok = true;
    if (width < static_cast<std::size_t>(XmlLineWidth)) {
        ok = EndLine();
    } else {
        // Cut at the first allowed space at least a line width after the
        // start of the piece; the space itself is dropped and the reader turns
        // the line break and the indentation back into it.
        m_piece.assign(m_out.data() + lineStart, m_outLength - lineStart);
        m_outLength = lineStart;
        std::size_t p = indent;     // in characters
        std::size_t pByte = indent; // in bytes from the line start
        for (const auto& [q, qByte] : m_cuts) {
            if (q < p || q - p < static_cast<std::size_t>(XmlLineWidth))
                continue;
            std::memset(OutRoom(indent), ' ', indent);
            m_outLength += indent;
            AppendOut(std::string_view(m_piece).substr(pByte, qByte - pByte));
            ok = EndLine() && ok;
            p = q + 1;
            pByte = qByte + 1;
        }
        std::memset(OutRoom(indent), ' ', indent);
        m_outLength += indent;
        AppendOut(std::string_view(m_piece).substr(pByte));
        ok = EndLine() && ok;
    }
    for (CTreeNode* child : children)
        ok = WriteElement(child, depth + 2) && ok;
    std::memset(OutRoom(indent), ' ', indent);
    m_outLength += indent;
    AppendOut(std::string_view("</"));
    AppendOut(tag);
    AppendOut(std::string_view(">"));
    return EndLine() && ok;
}

void BuildBoardNetsInTree(CTreeNode* node) {
    if (!node)
        return;
    for (CTreeNode* child : node->GetChildren()) {
        if (std::wcscmp(child->GetTagName(), L"Board") == 0)
            BuildBoardNets(child);
        else
            BuildBoardNetsInTree(child);
    }
}
