// One manufacturing output file, and the board name as it goes into output
// file names and comments.
//
// An output file is written under a temporary name beside its own and only
// renamed onto it once every byte reached the file and it closed cleanly: a
// file cut short by a full disk, a size limit or the end of the process
// never stands under the name a board maker would take. Like a document's
// save, it replaces the file a symbolic link leads to and keeps that file's
// permissions, and in a folder that takes no new file it writes a file the
// user may write in place.
#pragma once

#include "core/text_file.h"
#include "platform/file.h"

#include <optional>
#include <string>
#include <string_view>

class CBoard;

class COutputFile {
public:
    explicit COutputFile(std::wstring fileName);
    // A file neither finished nor discarded is discarded.
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    const std::wstring& FileName() const { return m_fileName; }
    // Creates the temporary file with the code page and byte-order-mark
    // flag given; false when it cannot be created.
    bool Open(int codePage, bool byteOrderMark);
    CTextFile& File() { return m_file; }
    // Closes the file and puts it under its name. False when a write, the
    // close or the rename failed: then nothing is left under either name (an
    // older file of that name is removed, so that no set of files mixes
    // this run's with an earlier one's).
    bool Finish();
    // Closes and removes the file, and any older file under its name.
    void Discard();

private:
    std::wstring m_fileName;
    std::optional<FileReplacement> m_replacement;
    CTextFile m_file;
    bool m_pending = false; // open, neither finished nor discarded
};

// The text as one part of a file name: folder separators and control
// characters become '_', as does every dot of a part made of dots only, and
// the part is cut (at a character) to at most kMaxFileNamePartBytes bytes of
// UTF-8. An empty text stays empty.
constexpr std::size_t kMaxFileNamePartBytes = 100;
std::wstring FileNamePart(std::wstring_view text);
// The board's name as it goes into its output file names; empty for none.
std::wstring BoardFileNamePart(const CBoard* board);
// The text with every control character (line ends too) as '_', for a
// comment line of an output file.
std::wstring WithoutControlCharacters(std::wstring_view text);
