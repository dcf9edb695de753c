// Loads one document file into a CRoot and saves a CRoot back. Every node is
// one element: its tag name, its attribute map as attributes (in name order)
// and its element text as character content, with its children as child
// elements. Files are UTF-8 without a byte-order mark, with CR LF line ends
// and two spaces of indentation per level.
//
// The reader is the system's own small parser: it accepts what the writer
// produces plus some leniencies (single-quoted and unquoted attribute values,
// values and texts broken over lines). Comments, CDATA sections, processing
// instructions and document type declarations after the first line are not
// part of the format and make a load fail.
#pragma once

#include "core/root.h"
#include "core/text_file.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A value a node's reader could not take as it stood and replaced with one
// the editor can use. What a load notes is told to the user once the
// document is read: one warning per text (a format with one %s, which gets
// the details noted with it, the first eight joined). Noted outside a load,
// it is told at once.
void NoteReadRepair(unsigned textId, const std::wstring& detail);

// Lines are wrapped where a start tag and its text would exceed this width.
constexpr int XmlLineWidth = 120;

class CXmlFile {
public:
    explicit CXmlFile(CRoot* root);
    ~CXmlFile();
    CXmlFile(const CXmlFile&) = delete;
    CXmlFile& operator=(const CXmlFile&) = delete;

    // Loads the file (path, or the root's file path when null) into the root.
    // The file's root element must carry the root's tag (any element when
    // the root's tag is empty; the root then takes the element's name). On
    // success the root's attributes, text and children are replaced by the
    // file's, every node has read its attributes, and a given path becomes
    // the root's file path. On failure the root and its file path are left
    // exactly as they were.
    bool Load(const wchar_t* path = nullptr);
    // Saves the root (to path, or to the root's file path when null). The
    // document is written to a temporary file beside the target, forced to the
    // disk and then renamed over the target, so a failed save leaves the old
    // file untouched. The target is the file a symbolic link leads to, and it
    // keeps its permissions; a file the user may not write is not saved. On
    // success a given path becomes the root's file path.
    bool Save(const wchar_t* path = nullptr);

    // The bytes Save would write, into bytes; and the document read from
    // such bytes as Load reads a file, the root's file path left alone. A
    // copy made through both holds exactly what the saved file would.
    bool SaveToBytes(std::string& bytes);
    bool LoadFromBytes(std::string_view bytes);

    // Why the last Load or Save failed, with the line number for parse errors.
    const std::wstring& GetError() const { return m_error; }

private:
    bool Fail(const std::wstring& reason);
    // Parses size bytes from m_begin (the document after its declaration)
    // into the root.
    bool ParseDocument(std::size_t size);
    std::wstring Declaration() const;
    // The root's elements, to the file or to m_sink.
    bool WriteDocument();
    // A growable run of characters that keeps its room between uses; the
    // reader collects the attributes of a start tag in it.
    class WideScratch {
    public:
        void Clear() { m_size = 0; }
        std::size_t Size() const { return m_size; }
        const wchar_t* Data() const { return m_data.get(); }
        wchar_t* MutableData() { return m_data.get(); }
        void Truncate(std::size_t size) { m_size = size; }
        // Room for count more characters at the end, counted as written.
        wchar_t* Extend(std::size_t count) {
            if (m_size + count > m_capacity)
                Grow(m_size + count);
            wchar_t* p = m_data.get() + m_size;
            m_size += count;
            return p;
        }

    private:
        void Grow(std::size_t needed);
        std::unique_ptr<wchar_t[]> m_data;
        std::size_t m_size = 0, m_capacity = 0;
    };

    bool AtEnd() const { return m_p >= m_end; }
    char Cur() const { return m_p < m_end ? *m_p : '\0'; }
    void SkipWhitespace() {
        // Most calls stand on a character that is no blank already.
        if (m_p<m_end&& static_cast<unsigned char>(*m_p)> 32)
            return;
        SkipBlanks();
    }
    void SkipBlanks();
    // The line of a read position, for messages.
    int LineNumberAt(const char* at) const;
    // The bytes of a name token at the read position (after blanks).
    std::string_view ReadNameBytes();
    // The name at the read position, appended as characters.
    void AppendName(WideScratch& out);
    // The value of an attribute (after its name), decoded and appended.
    void AppendAttributeValue(WideScratch& out);
    // Appends the attribute at the read position to the scratch as an entry
    // of an attribute block. The plain form only (see the definition);
    // false, with nothing read, for any other.
    bool AppendPlainAttribute();
    // Any form; false, with the attribute skipped, when it has no name.
    bool AppendAttribute();
    // The attributes collected for the start tag just read go to the node.
    void StoreAttributes(CTreeNode* node);
    bool ParseElement(CTreeNode* node, int depth);
    // The content of the element whose start tag was just read.
    bool ParseContent(CTreeNode* node, int depth);
    static void ReadAttributesTree(CTreeNode* node);
    static void WriteAttributesTree(CTreeNode* node);
    bool WriteElement(CTreeNode* node, int depth);
    // Room for count more bytes at the end of the output lines.
    char* OutRoom(std::size_t count) {
        return m_outLength + count <= m_out.size() ? m_out.data() + m_outLength : GrowOut(count);
    }
    char* GrowOut(std::size_t count);
    void AppendOut(std::string_view bytes);
    void AppendOut(std::wstring_view text);
    void AppendEncodedOut(std::wstring_view text, bool elementText, std::size_t& width,
                          std::size_t lineStart, bool cuts);
    // Ends the current output line; hands full batches of lines to the file.
    bool EndLine();
    bool FlushLines();

    CRoot* m_root;
    CTextFile m_file;
    std::wstring m_version = L"1.0";
    int m_codePage = CTextFile::CodePageUtf8;
    std::wstring m_error;

    // Reader state: the document after its declaration line as UTF-8, and
    // the read position in it.
    const char* m_begin = nullptr;
    const char* m_p = nullptr;
    const char* m_end = nullptr;
    std::wstring m_expectedRoot;
    std::wstring m_rootName;
    std::vector<std::string_view> m_names;           // element name (UTF-8) per depth
    std::vector<WideScratch> m_texts;                // collected content per depth
    std::vector<std::vector<CTreeNode*>> m_children; // children read so far per depth
    std::wstring m_tag;
    std::wstring m_rawValue;
    std::wstring m_decoded;
    // Attributes of the start tag being read, as the entries of an attribute
    // block; how many, and whether their names are in strictly rising order.
    WideScratch m_attrText;
    std::size_t m_attrCount = 0;
    bool m_attrOrdered = true;
    std::vector<XmlAttributeMap::value_type> m_attrEntries;

    // Writer state: UTF-8 lines not yet handed to the file, and the places
    // (in characters and in bytes from the line start) where a long line may
    // be wrapped.
    std::string m_out;
    std::size_t m_outLength = 0;
    std::string* m_sink = nullptr; // SaveToBytes's output, instead of the file
    std::string m_piece;
    std::vector<std::pair<std::size_t, std::size_t>> m_cuts;
};

// Builds the nets of every board in the tree below node (boards are not
// searched below). Called after a project has been loaded.
void BuildBoardNetsInTree(CTreeNode* node);
