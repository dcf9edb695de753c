// The text file object: a file with a read buffer, a code page that says how
// bytes become characters and back, a byte-order-mark flag, a line reader and
// a line writer. Documents, manufacturing output and the DXF reader all go
// through it.
//
// Code pages: -1 UTF-16 little-endian (characters above U+FFFF as surrogate
// pairs), 65001 UTF-8, 0 (the "ANSI code page") and every other value
// Windows-1252.
//
// Writes are buffered: call Close (or Commit) and check its result to know
// that every line reached the file.
#pragma once

#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CTextFile {
public:
    // Open arguments, after the values of the original platform.
    static constexpr uint32_t GenericRead = 0x80000000u;
    static constexpr uint32_t GenericWrite = 0x40000000u;
    static constexpr uint32_t FileShareRead = 0x1;
    static constexpr uint32_t CreateNew = 1;
    static constexpr uint32_t CreateAlways = 2;
    static constexpr uint32_t OpenExisting = 3;
    static constexpr uint32_t OpenAlways = 4;
    static constexpr uint32_t FileAttributeNormal = 0x80;

    static constexpr int CodePageAnsi = 0;
    static constexpr int CodePageUtf16 = -1;
    static constexpr int CodePageUtf8 = 65001;

    CTextFile();
    ~CTextFile();
    CTextFile(const CTextFile&) = delete;
    CTextFile& operator=(const CTextFile&) = delete;

    int GetCodePage() const { return m_codePage; }
    void SetCodePage(int codePage) { m_codePage = codePage; }
    bool GetByteOrderMark() const { return m_byteOrderMark; }
    void SetByteOrderMark(bool flag) { m_byteOrderMark = flag; }

    // Opens the file. Reading: the first block is read, and with the
    // byte-order-mark flag set a leading FF FE switches to UTF-16. Writing with
    // the flag set: FF FE (UTF-16) or EF BB BF (UTF-8) is written first. The
    // share mode and the flags are accepted for the callers' sake and ignored.
    bool Open(const std::wstring& path, uint32_t access, uint32_t shareMode, uint32_t disposition,
              uint32_t flagsAndAttributes);
    bool IsOpen() const { return m_file.IsOpen(); }
    // Writes what is buffered and closes; false when any write failed.
    bool Close();
    // Writes what is buffered and forces it to the disk.
    bool Commit();

    // The next byte, or the next 16-bit unit (little-endian); 0 and false at
    // the end of the file.
    bool ReadByte(uint8_t& byte);
    bool ReadWChar(uint16_t& unit);

    // Reads characters of the current line into buffer. A line ends at CR LF,
    // or at any other single CR or LF; the line end is not stored and a NUL
    // follows the characters. When capacity characters were stored before the
    // line end, returns capacity without a NUL and the rest of the line stays
    // for the next call. Returns the count stored (0 at the end of the file).
    int ReadLine(wchar_t* buffer, int capacity);
    // The whole next line; false when the file was exhausted before it (a
    // last line without a line end is still returned).
    bool ReadLineString(std::wstring& line);
    // The bytes of the next line as they stand in the file, for the byte
    // encodings (not UTF-16): the line ends as for ReadLineString, and the
    // view stays valid until the next read. False when the file was exhausted
    // before the line.
    bool ReadLineBytes(std::string_view& line);
    // Appends every byte not read yet, as it is in the file (no code page
    // conversion, line ends included), with size set to their count: for
    // readers that take a whole document at once.
    std::unique_ptr<char[]> ReadRestBytes(std::size_t& size);

    // Writes the text in the file's encoding, then CR LF.
    bool WriteString(const wchar_t* text);
    bool WriteString(std::wstring_view text);
    // Writes the bytes as they are, then CR LF.
    bool WriteLine(const void* bytes, std::size_t count);

private:
    // Bytes available from the read position after trying to have at least
    // count of them in the buffer.
    std::size_t EnsureBytes(std::size_t count);
    // The next character in the file's encoding; false at the end.
    bool ReadChar(char32_t& c);
    // After a CR: consumes a directly following LF.
    void SkipLfAfterCr();
    // Reads up to max characters of the line into the sink; sets ended when a
    // line end was consumed.
    template <class Sink> std::size_t ReadLineInto(Sink&& sink, std::size_t max, bool& ended);
    // Room for count more bytes at the end of the output buffer (flushing
    // first when needed).
    char* Reserve(std::size_t count);
    bool AppendOut(const char* bytes, std::size_t count);
    bool FlushOut();

    PlatformFile m_file;
    int m_codePage = CodePageAnsi;
    bool m_byteOrderMark = true;
    bool m_writing = false;
    bool m_writeFailed = false;
    std::unique_ptr<uint8_t[]> m_buffer;
    std::size_t m_filled = 0;   // bytes in the buffer
    std::size_t m_position = 0; // read position in the buffer
    std::string m_lineBytes;    // a line that did not lie whole in the buffer
    std::vector<char> m_out;    // bytes written but not yet in the file
    std::size_t m_outLength = 0;
};
