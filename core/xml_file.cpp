#include "core/xml_file.h"

#include "board/board_nets.h"
#include "platform/file.h"
#include "schematic/node_factory.h"

#include <cwchar>
#include <memory>

const XmlEntity g_XmlEntities[5] = {
    {L'&', L"&amp;", 5}, {L'"', L"&quot;", 6}, {L'\'', L"&apos;", 6},
    {L'<', L"&lt;", 4},  {L'>', L"&gt;", 4},
};

namespace {

// Deeper nesting than any document has; the bound keeps a hostile file from
// exhausting the stack.
constexpr int kMaxDepth = 256;

bool IsNameChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           c == L'_' || static_cast<uint32_t>(c) >= 0x80;
}

void AppendCharRef(std::wstring& out, wchar_t c) {
    out += L"&#";
    unsigned v = static_cast<unsigned>(c);
    wchar_t digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + v % 10);
        v /= 10;
    } while (v);
    while (n)
        out += digits[--n];
    out += L';';
}

// Appends the escaped text. Element texts also escape a space at either end
// (the reader drops blanks there) and record the positions of single spaces
// between two other characters, where a long line may be wrapped.
void AppendEncoded(std::wstring& out, std::wstring_view text, bool elementText,
                   std::vector<std::size_t>* cuts) {
    // No XML document can hold a NUL character: it is left out.
    std::wstring withoutNul;
    if (text.find(L'\0') != std::wstring_view::npos) {
        for (wchar_t c : text)
            if (c != L'\0')
                withoutNul += c;
        text = withoutNul;
    }
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        // A run of characters that stand for themselves goes in at once.
        std::size_t j = i;
        while (j < n) {
            wchar_t c = text[j];
            if ((c >= 0 && c <= 32) || c == L'&' || c == L'"' || c == L'\'' || c == L'<' ||
                c == L'>')
                break;
            ++j;
        }
        if (j > i) {
            out.append(text.substr(i, j - i));
            i = j;
            if (i == n)
                break;
        }
        wchar_t c = text[i];
        switch (c) {
        case L'&':
            out += L"&amp;";
            break;
        case L'"':
            out += L"&quot;";
            break;
        case L'\'':
            out += L"&apos;";
            break;
        case L'<':
            out += L"&lt;";
            break;
        case L'>':
            out += L"&gt;";
            break;
        case L' ':
            if (!elementText) {
                out += c;
            } else if (i == 0 || i + 1 == n) {
                AppendCharRef(out, c);
            } else {
                if (cuts && text[i - 1] != L' ' && text[i + 1] != L' ')
                    cuts->push_back(out.size());
                out += c;
            }
            break;
        default:
            AppendCharRef(out, c);
            break;
        }
        ++i;
    }
}

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
        for (const XmlEntity& e : g_XmlEntities) {
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
                out += static_cast<wchar_t>(v);
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

CXmlFile::CXmlFile(CRoot* root) : m_root(root) {}

CXmlFile::~CXmlFile() {
    m_file.Close();
}

std::wstring CXmlFile::EncodeEntities(std::wstring_view text) {
    std::wstring out;
    AppendEncoded(out, text, false, nullptr);
    return out;
}

std::wstring CXmlFile::DecodeEntities(std::wstring_view text) {
    std::wstring out;
    DecodeInto(text, out);
    return out;
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
    if (!m_file.ReadLineString(m_line)) {
        m_file.Close();
        return Fail(L"the file is empty");
    }
    m_lineNumber = 1;
    m_eof = false;
    m_line.clear();
    m_pos = 0;
    NextLine();
    m_names.assign(kMaxDepth + 1, std::wstring());
    m_texts.assign(kMaxDepth + 1, std::wstring());
    m_expectedRoot = m_root->GetRootTag();

    // Parse into a scratch root so that a failure leaves the document alone.
    auto scratch = std::make_unique<CRoot>();
    bool ok = ParseElement(scratch.get(), 0);
    m_file.Close();
    m_line.clear();
    m_line.shrink_to_fit();
    m_names.clear();
    m_texts.clear();
    if (!ok) {
        if (m_error.empty())
            Fail(L"the file is malformed");
        m_error += L" (line " + std::to_wstring(m_lineNumber) + L")";
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
    ReadAttributesTree(m_root);
    if (path)
        m_root->SetFilePath(filePath);
    return true;
}

bool CXmlFile::NextLine() {
    if (m_eof)
        return false;
    if (!m_file.ReadLineString(m_line)) {
        m_eof = true;
        m_line.clear();
        m_pos = 0;
        return false;
    }
    ++m_lineNumber;
    m_pos = 0;
    return true;
}

void CXmlFile::SkipWhitespace() {
    for (;;) {
        const std::size_t n = m_line.size();
        while (m_pos < n) {
            wchar_t c = m_line[m_pos];
            if (c < 1 || c > 32)
                return;
            ++m_pos;
        }
        if (!NextLine())
            return;
    }
}

void CXmlFile::ReadName(std::wstring& name) {
    SkipWhitespace();
    const std::size_t start = m_pos;
    const std::size_t n = m_line.size();
    while (m_pos < n && IsNameChar(m_line[m_pos]))
        ++m_pos;
    name.assign(m_line, start, m_pos - start);
}

void CXmlFile::ReadAttributeValue(std::wstring& value) {
    value.clear();
    SkipWhitespace();
    if (AtEnd())
        return;
    if (m_line[m_pos++] != L'=')
        return;
    SkipWhitespace();
    const wchar_t quote = Cur();
    if (quote != L'"' && quote != L'\'') {
        ReadName(value);
        return;
    }
    ++m_pos;
    for (;;) {
        std::size_t q = m_line.find(quote, m_pos);
        if (q != std::wstring::npos) {
            value.append(m_line, m_pos, q - m_pos);
            m_pos = q + 1;
            break;
        }
        value.append(m_line, m_pos);
        m_pos = m_line.size();
        // A value broken over lines: the line end and the indentation after
        // it read as one space.
        SkipWhitespace();
        if (AtEnd())
            break;
        value += L' ';
    }
    if (value.find(L'&') != std::wstring::npos) {
        DecodeInto(value, m_rawValue);
        value.swap(m_rawValue);
    }
}

bool CXmlFile::ParseElement(CTreeNode* node, int depth) {
    SkipWhitespace();
    if (AtEnd())
        return Fail(L"unexpected end of the file");
    if (Cur() != L'<')
        return Fail(L"expected '<'");
    ++m_pos;
    // The name follows the '<' directly: the node for it was chosen by what
    // stands there.
    if (m_pos >= m_line.size() || (m_line[m_pos] >= 1 && m_line[m_pos] <= 32))
        return Fail(L"blank after '<'");
    std::wstring& name = m_names[static_cast<std::size_t>(depth)];
    ReadName(name);
    if (name.empty())
        return Fail(L"markup that is not an element (comment, declaration or stray '<')");
    if (depth == 0)
        m_rootName = name;
    if (depth == 0 && !m_expectedRoot.empty() && name != m_expectedRoot)
        return Fail(L"the file holds a \"" + name + L"\" document, not a \"" + m_expectedRoot +
                    L"\"");

    SkipWhitespace();
    if (Cur() != L'>') {
        XmlAttributeMap& attributes = node->GetAttributes();
        for (;;) {
            if (AtEnd())
                return Fail(L"unexpected end of the file in <" + name + L">");
            if (Cur() == L'/') {
                ++m_pos;
                if (Cur() != L'>')
                    return Fail(L"expected '>' after '/' in <" + name + L">");
                ++m_pos;
                return true;
            }
            ReadName(m_attrName);
            ReadAttributeValue(m_value);
            auto [it, inserted] = attributes.try_emplace(std::move(m_attrName), std::move(m_value));
            if (!inserted)
                it->second = m_value;
            SkipWhitespace();
            if (Cur() == L'>')
                break;
        }
    }
    ++m_pos; // the '>'

    // Content: character data up to each '<', then a child or the closing tag.
    std::wstring& text = m_texts[static_cast<std::size_t>(depth)];
    text.clear();
    for (;;) {
        SkipWhitespace();
        for (;;) {
            if (m_pos >= m_line.size()) {
                SkipWhitespace();
                if (AtEnd())
                    return Fail(L"unexpected end of the file in <" + name + L">");
                text += L' ';
                continue;
            }
            std::size_t lt = m_line.find(L'<', m_pos);
            if (lt == std::wstring::npos) {
                text.append(m_line, m_pos);
                m_pos = m_line.size();
                continue;
            }
            text.append(m_line, m_pos, lt - m_pos);
            m_pos = lt;
            break;
        }
        if (!text.empty() && text.back() == L' ')
            text.pop_back();

        if (m_pos + 1 < m_line.size() && m_line[m_pos + 1] == L'/') {
            m_pos += 2;
            ReadName(m_closeName);
            if (m_closeName != name)
                return Fail(L"closing tag </" + m_closeName + L"> does not match <" + name + L">");
            SkipWhitespace();
            if (AtEnd() || Cur() != L'>')
                return Fail(L"expected '>' in </" + name + L">");
            ++m_pos;
            std::size_t end = text.size();
            while (end > 0 && text[end - 1] == L' ')
                --end;
            text.resize(end);
            if (text.find(L'&') == std::wstring::npos) {
                node->SetText(text);
            } else {
                DecodeInto(text, m_value);
                node->SetText(m_value);
            }
            return true;
        }

        if (depth + 1 >= kMaxDepth)
            return Fail(L"elements are nested too deeply");
        CTreeNode* child = CreateNodeFromTag(m_line.c_str() + m_pos);
        if (!child)
            return Fail(L"out of memory");
        if (!ParseElement(child, depth + 1)) {
            delete child;
            return false;
        }
        node->AddChild(child);
    }
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
    const std::wstring target = path ? std::wstring(path) : m_root->GetFilePath();
    if (target.empty())
        return Fail(L"no file name");
    const std::wstring temporary = TemporaryPathBeside(target);
    m_file.SetCodePage(m_codePage);
    m_file.SetByteOrderMark(false);
    if (temporary.empty() ||
        !m_file.Open(temporary, CTextFile::GenericWrite, 0, CTextFile::CreateAlways,
                     CTextFile::FileAttributeNormal)) {
        m_file.Close();
        return Fail(L"cannot create the file");
    }
    std::wstring declaration = L"<?xml version=\"" + m_version + L"\" encoding=\"" +
                               (m_codePage == CTextFile::CodePageUtf8 ? L"UTF-8" : L"") + L"\" ?>";
    bool ok = m_file.WriteString(declaration);
    if (ok) {
        WriteAttributesTree(m_root);
        ok = WriteElement(m_root, 0);
    }
    ok = m_file.Commit() && ok;
    ok = m_file.Close() && ok;
    m_out.clear();
    m_out.shrink_to_fit();
    if (!ok) {
        RemoveFile(temporary);
        return Fail(L"cannot write the file");
    }
    if (!RenameFile(temporary, target)) {
        RemoveFile(temporary);
        return Fail(L"cannot replace the file");
    }
    if (path)
        m_root->SetFilePath(target);
    return true;
}

bool CXmlFile::WriteElement(CTreeNode* node, int depth) {
    const wchar_t* tag = node->GetTagName();
    const std::size_t indent = static_cast<std::size_t>(depth);
    m_out.assign(indent, L' ');
    m_out += L'<';
    m_out += tag;
    m_cuts.clear();
    for (const auto& [name, value] : node->GetAttributes()) {
        m_cuts.push_back(m_out.size());
        m_out += L' ';
        m_out += name;
        m_out += L"=\"";
        AppendEncoded(m_out, value, false, nullptr);
        m_out += L'"';
    }
    std::wstring_view text = node->GetText();
    std::wstring withoutNul; // NUL characters are left out (see AppendEncoded)
    if (text.find(L'\0') != std::wstring_view::npos) {
        for (wchar_t c : text)
            if (c != L'\0')
                withoutNul += c;
        text = withoutNul;
    }
    const auto& children = node->GetChildren();
    if (text.empty() && children.empty()) {
        m_out += L"/>";
        return m_file.WriteString(m_out);
    }
    if (children.empty() && m_out.size() + text.size() < static_cast<std::size_t>(XmlLineWidth)) {
        m_out += L'>';
        AppendEncoded(m_out, text, true, nullptr);
        m_out += L"</";
        m_out += tag;
        m_out += L'>';
        return m_file.WriteString(m_out);
    }
    m_out += L'>';
    AppendEncoded(m_out, text, true, &m_cuts);
    bool ok = true;
    if (m_out.size() < static_cast<std::size_t>(XmlLineWidth)) {
        ok = m_file.WriteString(m_out);
    } else {
        // Cut at the first allowed space at least a line width after the
        // start of the piece; the space itself is dropped and the reader turns
        // the line break and the indentation back into it.
        std::size_t p = indent;
        for (std::size_t q : m_cuts) {
            if (q < p || q - p < static_cast<std::size_t>(XmlLineWidth))
                continue;
            m_piece.assign(indent, L' ');
            m_piece.append(m_out, p, q - p);
            ok = m_file.WriteString(m_piece) && ok;
            p = q + 1;
        }
        m_piece.assign(indent, L' ');
        m_piece.append(m_out, p);
        ok = m_file.WriteString(m_piece) && ok;
    }
    for (CTreeNode* child : children)
        ok = WriteElement(child, depth + 2) && ok;
    m_out.assign(indent, L' ');
    m_out += L"</";
    m_out += tag;
    m_out += L'>';
    return m_file.WriteString(m_out) && ok;
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
