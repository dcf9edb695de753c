#include "core/text_file.h"

#include "core/text_scanner.h"
#include "core/utf8_codec.h"
#include "platform/text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::size_t kOutFlushSize = 64 * 1024;

using utf8::IsHighSurrogate;
using utf8::IsLowSurrogate;
using utf8::kReplacement;

// Windows-1252 byte -> character, built once from the platform's table.
const std::array<wchar_t, 256>& Cp1252Table() {
    static const std::array<wchar_t, 256> table = [] {
        std::array<wchar_t, 256> t{};
        for (int b = 0; b < 256; ++b) {
            char byte = static_cast<char>(b);
            std::wstring w = Cp1252ToWide(std::string_view(&byte, 1));
            t[b] = w.empty() ? static_cast<wchar_t>(kReplacement) : w[0];
        }
        return t;
    }();
    return table;
}

void AppendUtf16(std::string& out, char32_t c) {
    auto unit = [&out](char32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>((u >> 8) & 0xFF));
    };
    if (c < 0x10000) {
        unit(c);
    } else {
        c -= 0x10000;
        unit(0xD800 + (c >> 10));
        unit(0xDC00 + (c & 0x3FF));
    }
}

} // namespace

CTextFile::CTextFile() = default;

CTextFile::~CTextFile() {
    Close();
}

bool CTextFile::Open(const std::wstring& path, uint32_t access, uint32_t, uint32_t disposition,
                     uint32_t) {
    Close();
    m_writeFailed = false;
    m_filled = m_position = 0;
    m_outLength = 0;
    PlatformFile::Disposition d;
    switch (disposition) {
    case CreateAlways:
        d = PlatformFile::CreateAlways;
        break;
    case OpenExisting:
        d = PlatformFile::OpenExisting;
        break;
    case OpenAlways:
        d = PlatformFile::OpenAlways;
        break;
    case CreateNew:
        if (FileExists(path))
            return false;
        d = PlatformFile::CreateAlways;
        break;
    default:
        return false;
    }
    int platformAccess = 0;
    if (access & GenericRead)
        platformAccess |= PlatformFile::AccessRead;
    if (access & GenericWrite)
        platformAccess |= PlatformFile::AccessWrite;
    if (!platformAccess || !m_file.Open(path, platformAccess, d))
        return false;
    m_writing = (access & GenericWrite) != 0;
    if (access & GenericRead) {
        if (!m_buffer)
            m_buffer.reset(new uint8_t[kBufferSize]);
        int64_t n = m_file.Read(m_buffer.get(), kBufferSize);
        if (n < 0)
            return false;
        m_filled = static_cast<std::size_t>(n);
        if (m_byteOrderMark && m_filled >= 2 && m_buffer[0] == 0xFF && m_buffer[1] == 0xFE) {
            m_codePage = CodePageUtf16;
            m_position = 2;
        }
    }
    if (m_writing && m_byteOrderMark) {
        if (m_codePage == CodePageUtf16)
            return AppendOut("\xFF\xFE", 2);
        if (m_codePage == CodePageUtf8)
            return AppendOut("\xEF\xBB\xBF", 3);
    }
    return true;
}

bool CTextFile::Close() {
    if (!m_file.IsOpen())
        return !m_writeFailed;
    bool ok = FlushOut();
    m_file.Close();
    m_writing = false;
    return ok && !m_writeFailed;
}

bool CTextFile::Commit() {
    return FlushOut() && !m_writeFailed && m_file.Flush();
}

std::size_t CTextFile::EnsureBytes(std::size_t count) {
    std::size_t available = m_filled - m_position;
    if (available >= count || !m_buffer || !m_file.IsOpen())
        return available;
    if (m_position > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_position, available);
        m_position = 0;
        m_filled = available;
    }
    while (m_filled < count) {
        int64_t n =
            m_file.Read(m_buffer.get() + m_filled, static_cast<int64_t>(kBufferSize - m_filled));
        if (n <= 0) // a failed read counts as the end of the file
            break;
        m_filled += static_cast<std::size_t>(n);
    }
    return m_filled - m_position;
}

bool CTextFile::ReadByte(uint8_t& byte) {
    byte = 0;
    if (EnsureBytes(1) < 1)
        return false;
    byte = m_buffer[m_position++];
    return true;
}

bool CTextFile::ReadWChar(uint16_t& unit) {
    unit = 0;
    std::size_t n = EnsureBytes(2);
    if (n < 2) {
        m_position += n; // an odd last byte is dropped
        return false;
    }
    unit = static_cast<uint16_t>(m_buffer[m_position] | (m_buffer[m_position + 1] << 8));
    m_position += 2;
    return true;
}

bool CTextFile::ReadChar(char32_t& c) {
    if (m_codePage == CodePageUtf16) {
        uint16_t unit;
        if (!ReadWChar(unit))
            return false;
        c = unit;
        if (IsHighSurrogate(c) && EnsureBytes(2) >= 2) {
            char32_t next = m_buffer[m_position] | (m_buffer[m_position + 1] << 8);
            if (IsLowSurrogate(next)) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                m_position += 2;
            }
        }
        // A surrogate without its partner is no character.
        if (IsHighSurrogate(c) || IsLowSurrogate(c))
            c = kReplacement;
        return true;
    }
    if (EnsureBytes(1) < 1)
        return false;
    const uint8_t b0 = m_buffer[m_position];
    if (b0 < 0x80) {
        c = b0;
        ++m_position;
        return true;
    }
    if (m_codePage != CodePageUtf8) {
        c = static_cast<char32_t>(Cp1252Table()[b0]);
        ++m_position;
        return true;
    }
    // UTF-8: up to two three-byte surrogates make one character.
    const std::size_t available = EnsureBytes(6);
    const uint8_t* p = m_buffer.get() + m_position;
    m_position += utf8::DecodeMultiByte(p, p + available, c);
    return true;
}

void CTextFile::SkipLfAfterCr() {
    if (m_codePage == CodePageUtf16) {
        if (EnsureBytes(2) >= 2 && m_buffer[m_position] == '\n' && m_buffer[m_position + 1] == 0)
            m_position += 2;
    } else if (EnsureBytes(1) >= 1 && m_buffer[m_position] == '\n') {
        ++m_position;
    }
}

template <class Sink>
std::size_t CTextFile::ReadLineInto(Sink&& sink, std::size_t max, bool& ended) {
    ended = false;
    std::size_t count = 0;
    while (count < max) {
        // Fast path: a run of plain ASCII bytes in a byte encoding.
        if (m_codePage != CodePageUtf16 && m_position < m_filled) {
            const uint8_t* p = m_buffer.get() + m_position;
            const uint8_t* end = m_buffer.get() + m_filled;
            if (static_cast<std::size_t>(end - p) > max - count)
                end = p + (max - count);
            const uint8_t* q = p;
            q = TextScanner::FindLineEnd(q, end, true);
            while (q < end && *q < 0x80 && *q != '\r' && *q != '\n')
                ++q;
            if (q > p) {
                sink(p, q);
                count += static_cast<std::size_t>(q - p);
                m_position += static_cast<std::size_t>(q - p);
                continue;
            }
        }
        char32_t c;
        if (!ReadChar(c))
            break;
        if (c == '\r' || c == '\n') {
            if (c == '\r')
                SkipLfAfterCr();
            ended = true;
            break;
        }
        sink(c);
        ++count;
    }
    return count;
}

int CTextFile::ReadLine(wchar_t* buffer, int capacity) {
    if (capacity < 1 || !buffer)
        return 0;
    std::size_t stored = 0;
    struct Sink {
        wchar_t* out;
        std::size_t& n;
        void operator()(const uint8_t* a, const uint8_t* b) {
            while (a < b)
                out[n++] = static_cast<wchar_t>(*a++);
        }
        void operator()(char32_t c) { out[n++] = static_cast<wchar_t>(c); }
    } sink{buffer, stored};
    bool ended;
    ReadLineInto(sink, static_cast<std::size_t>(capacity), ended);
    if (stored < static_cast<std::size_t>(capacity))
        buffer[stored] = 0;
    return static_cast<int>(stored);
}

bool CTextFile::ReadLineString(std::wstring& line) {
    line.clear();
    struct Sink {
        std::wstring& out;
        void operator()(const uint8_t* a, const uint8_t* b) {
            std::size_t old = out.size();
            out.resize(old + static_cast<std::size_t>(b - a));
            utf8::WidenAscii(a, b, out.data() + old);
        }
        void operator()(char32_t c) { out.push_back(static_cast<wchar_t>(c)); }
    } sink{line};
    bool ended;
    std::size_t n = ReadLineInto(sink, static_cast<std::size_t>(-1), ended);
    return n > 0 || ended;
}

bool CTextFile::ReadLineBytes(std::string_view& line) {
    line = {};
    m_lineBytes.clear();
    bool collected = false; // the line so far is in m_lineBytes
    for (;;) {
        if (m_position >= m_filled && EnsureBytes(1) == 0) {
            if (!collected)
                return false;
            line = m_lineBytes;
            return true;
        }
        const uint8_t* p = m_buffer.get() + m_position;
        const uint8_t* end = m_buffer.get() + m_filled;
        const uint8_t* q = p;
        // No byte of a multi-byte character is a CR or a LF, so the line end
        // is found in the bytes.
        q = TextScanner::FindLineEnd(q, end);
        const auto length = static_cast<std::size_t>(q - p);
        if (q == end) {
            // The line goes on past the buffer.
            m_lineBytes.append(reinterpret_cast<const char*>(p), length);
            m_position = m_filled;
            collected = true;
            continue;
        }
        m_position += length + 1;
        if (!collected && (*q == '\n' || q + 1 < end)) {
            // The whole line and what follows its CR are in the buffer.
            if (*q == '\r' && q[1] == '\n')
                ++m_position;
            line = std::string_view(reinterpret_cast<const char*>(p), length);
            return true;
        }
        m_lineBytes.append(reinterpret_cast<const char*>(p), length);
        if (*q == '\r')
            SkipLfAfterCr();
        line = m_lineBytes;
        return true;
    }
}

std::unique_ptr<char[]> CTextFile::ReadRestBytes(std::size_t& size) {
    const std::size_t buffered = m_buffer ? m_filled - m_position : 0;
    // What the file held at the open is all that is read; it is also the
    // room, unless the file shrank meanwhile.
    const int64_t fileSize = m_file.IsOpen() ? m_file.LeftToRead() : 0;
    std::size_t capacity = buffered + static_cast<std::size_t>(std::max<int64_t>(fileSize, 0));
    capacity = std::max(capacity, buffered + kBufferSize);
    // Not value-initialised: every byte handed out is read first.
    std::unique_ptr<char[]> bytes(new char[capacity]);
    if (buffered)
        std::memcpy(bytes.get(), m_buffer.get() + m_position, buffered);
    m_position = m_filled;
    size = buffered;
    while (m_file.IsOpen() && m_file.LeftToRead() != 0) {
        if (size == capacity) {
            capacity *= 2;
            std::unique_ptr<char[]> grown(new char[capacity]);
            std::memcpy(grown.get(), bytes.get(), size);
            bytes = std::move(grown);
        }
        const int64_t n = m_file.Read(bytes.get() + size, static_cast<int64_t>(capacity - size));
        if (n <= 0) // a failed read counts as the end of the file
            break;
        size += static_cast<std::size_t>(n);
    }
    return bytes;
}

char* CTextFile::Reserve(std::size_t count) {
    if (m_outLength + count > m_out.size()) {
        if (m_outLength > 0)
            FlushOut();
        if (count > m_out.size())
            m_out.resize(std::max(count, kOutFlushSize));
    }
    return m_out.data() + m_outLength;
}

bool CTextFile::AppendOut(const char* bytes, std::size_t count) {
    if (count >= kOutFlushSize && FlushOut()) {
        // A large block goes to the file as it is, without a copy.
        if (!m_file.Write(bytes, static_cast<int64_t>(count)))
            m_writeFailed = true;
        return !m_writeFailed;
    }
    std::memcpy(Reserve(count), bytes, count);
    m_outLength += count;
    return !m_writeFailed;
}

bool CTextFile::FlushOut() {
    if (m_outLength == 0)
        return !m_writeFailed;
    if (!m_file.IsOpen() || !m_file.Write(m_out.data(), static_cast<int64_t>(m_outLength)))
        m_writeFailed = true;
    m_outLength = 0;
    return !m_writeFailed;
}

bool CTextFile::WriteString(const wchar_t* text) {
    return WriteString(text ? std::wstring_view(text) : std::wstring_view());
}

bool CTextFile::WriteString(std::wstring_view text) {
    if (!m_file.IsOpen() || !m_writing)
        return false;
    if (m_codePage == CodePageUtf16) {
        std::string bytes;
        utf8::ForEachCodePoint(text, [&bytes](char32_t c) { AppendUtf16(bytes, c); });
        bytes.append("\r\0\n\0", 4);
        return AppendOut(bytes.data(), bytes.size());
    }
    if (m_codePage == CodePageUtf8) {
        // At most four bytes per character, then CR LF.
        char* out = Reserve(text.size() * 4 + 2);
        char* d = utf8::EncodeTo(out, text);
        *d++ = '\r';
        *d++ = '\n';
        m_outLength += static_cast<std::size_t>(d - out);
        return !m_writeFailed;
    }
    // Manufacturing files are plain ASCII line after line: such a line is
    // copied straight into the output buffer without a conversion.
    char* out = Reserve(text.size() + 2);
    char* d = out;
    for (wchar_t c : text) {
        if (static_cast<uint32_t>(c) >= 0x80) {
            std::string bytes = WideToCp1252(text);
            return WriteLine(bytes.data(), bytes.size());
        }
        *d++ = static_cast<char>(c);
    }
    *d++ = '\r';
    *d++ = '\n';
    m_outLength += static_cast<std::size_t>(d - out);
    return !m_writeFailed;
}

bool CTextFile::WriteLine(const void* bytes, std::size_t count) {
    if (!m_file.IsOpen() || !m_writing)
        return false;
    AppendOut(static_cast<const char*>(bytes), count);
    return AppendOut("\r\n", 2);
}
