#include "cam/output_file.h"

#include "board/board.h"
#include "platform/file.h"

#include <utility>

namespace {

// C0 and C1 controls, DEL, and the Unicode line and paragraph separators.
bool IsControl(wchar_t c) {
    const auto u = static_cast<uint32_t>(c);
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
}

std::size_t Utf8Length(wchar_t c) {
    const auto u = static_cast<uint32_t>(c);
    return u < 0x80 ? 1 : u < 0x800 ? 2 : u < 0x10000 ? 3 : 4;
}

} // namespace

COutputFile::COutputFile(std::wstring fileName) : m_fileName(std::move(fileName)) {}

COutputFile::~COutputFile() {
    if (m_pending)
        Discard();
}

bool COutputFile::Open(int codePage, bool byteOrderMark) {
    // What stands under the name must take a new file as a create there
    // would: a folder, or a file the user may not write, refuses it.
    m_replacement.emplace(m_fileName);
    if (m_replacement->GetStatus() != FileReplacement::Ready) {
        m_replacement.reset();
        return false;
    }
    m_file.SetCodePage(codePage);
    m_file.SetByteOrderMark(byteOrderMark);
    if (!m_file.Open(m_replacement->GetWritePath(), CTextFile::GenericWrite, 0,
                     CTextFile::CreateAlways, CTextFile::FileAttributeNormal)) {
        // A byte-order mark is written at the open: a failure there leaves an
        // open file, which the replacement then removes.
        if (m_file.IsOpen())
            m_file.Close();
        m_replacement.reset();
        return false;
    }
    m_pending = true;
    return true;
}

bool COutputFile::Finish() {
    if (!m_pending)
        return false;
    m_pending = false;
    const bool written = m_file.Close() && m_replacement->Commit();
    m_replacement.reset();
    if (!written)
        RemoveFile(m_fileName);
    return written;
}

void COutputFile::Discard() {
    m_pending = false;
    m_file.Close();
    m_replacement.reset();
    RemoveFile(m_fileName);
}

std::wstring FileNamePart(std::wstring_view text) {
    std::wstring part;
    std::size_t bytes = 0;
    bool onlyDots = true;
    for (wchar_t c : text) {
        bytes += Utf8Length(c);
        if (bytes > kMaxFileNamePartBytes)
            break;
        part += c == L'/' || c == L'\\' || IsControl(c) ? L'_' : c;
        onlyDots = onlyDots && c == L'.';
    }
    if (onlyDots)
        part.assign(part.size(), L'_');
    return part;
}

std::wstring BoardFileNamePart(const CBoard* board) {
    return board ? FileNamePart(board->GetText()) : std::wstring();
}

std::wstring WithoutControlCharacters(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        if (IsControl(c))
            c = L'_';
    return out;
}
