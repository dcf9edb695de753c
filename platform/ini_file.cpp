#include "platform/ini_file.h"

#include "platform/file.h"
#include "platform/text.h"

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring Trim(const std::wstring& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// The name of a "[name]" line, or false.
bool SectionName(const std::wstring& line, std::wstring& name) {
    std::wstring t = Trim(line);
    if (t.empty() || t[0] != L'[')
        return false;
    size_t close = t.find(L']');
    if (close == std::wstring::npos)
        return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// The key and value of a "key=value" line, or false for other lines.
bool KeyValue(const std::wstring& line, std::wstring& key, std::wstring& value) {
    std::wstring t = Trim(line);
    if (t.empty() || t[0] == L';' || t[0] == L'[')
        return false;
    size_t eq = t.find(L'=');
    if (eq == std::wstring::npos)
        return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
        value = value.substr(1, value.size() - 2);
    return true;
}

} // namespace

bool IniFile::Load(const std::wstring& path) {
    lines_.clear();
    crlf_ = false;
    bom_ = false;
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return false;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bom_ = true;
        bytes.erase(0, 3);
    }
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        bool last = end == std::string::npos;
        if (last)
            end = bytes.size();
        std::string_view line = std::string_view(bytes).substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            crlf_ = true;
        }
        lines_.push_back(Utf8ToWide(line));
        start = end + 1;
    }
    return true;
}

bool IniFile::Save(const std::wstring& path) const {
    std::string out;
    if (bom_)
        out = "\xEF\xBB\xBF";
    for (const auto& line : lines_) {
        out += WideToUtf8(line);
        out += crlf_ ? "\r\n" : "\n";
    }
    FileReplacement replacement(path);
    return replacement.GetStatus() == FileReplacement::Ready &&
           WriteWholeFile(replacement.GetWritePath(), out) && replacement.Commit();
}

int IniFile::FindSection(const std::wstring& section) const {
    std::wstring want = FoldCase(Trim(section));
    std::wstring name;
    for (size_t i = 0; i < lines_.size(); ++i)
        if (SectionName(lines_[i], name) && FoldCase(name) == want)
            return static_cast<int>(i);
    return -1;
}

int IniFile::FindKey(int header, const std::wstring& key) const {
    std::wstring want = FoldCase(Trim(key));
    std::wstring name, k, v;
    for (size_t i = static_cast<size_t>(header) + 1; i < lines_.size(); ++i) {
        if (SectionName(lines_[i], name))
            break;
        if (KeyValue(lines_[i], k, v) && FoldCase(k) == want)
            return static_cast<int>(i);
    }
    return -1;
}

int IniFile::SectionEnd(int header) const {
    std::wstring name;
    size_t end = static_cast<size_t>(header) + 1;
    for (size_t i = end; i < lines_.size(); ++i) {
        if (SectionName(lines_[i], name))
            break;
        if (!Trim(lines_[i]).empty())
            end = i + 1;
    }
    return static_cast<int>(end);
}

bool IniFile::HasKey(const std::wstring& section, const std::wstring& key) const {
    int header = FindSection(section);
    return header >= 0 && FindKey(header, key) >= 0;
}

std::wstring IniFile::GetString(const std::wstring& section, const std::wstring& key,
                                const std::wstring& defaultValue) const {
    int header = FindSection(section);
    int line = header >= 0 ? FindKey(header, key) : -1;
    std::wstring k, v;
    if (line < 0 || !KeyValue(lines_[static_cast<size_t>(line)], k, v))
        return defaultValue;
    return v;
}

int IniFile::GetInt(const std::wstring& section, const std::wstring& key, int defaultValue) const {
    if (!HasKey(section, key))
        return defaultValue;
    std::wstring text = GetString(section, key, std::wstring());
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+'))
        negative = text[i++] == L'-';
    // 32-bit arithmetic that wraps, so 4294967295 reads as -1 as it does on
    // the platform these files come from.
    uint32_t n = 0;
    if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        for (i += 2; i < text.size(); ++i) {
            wchar_t c = text[i];
            int d = (c >= L'0' && c <= L'9')   ? c - L'0'
                    : (c >= L'a' && c <= L'f') ? c - L'a' + 10
                    : (c >= L'A' && c <= L'F') ? c - L'A' + 10
                                               : -1;
            if (d < 0)
                break;
            n = n * 16 + static_cast<uint32_t>(d);
        }
    } else {
        for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
            n = n * 10 + static_cast<uint32_t>(text[i] - L'0');
    }
    if (negative)
        n = 0u - n;
    return static_cast<int>(n);
}

void IniFile::SetString(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value) {
    std::wstring line = Trim(key) + L"=" + value;
    int header = FindSection(section);
    if (header < 0) {
        if (!lines_.empty() && !Trim(lines_.back()).empty())
            lines_.push_back(std::wstring());
        lines_.push_back(L"[" + Trim(section) + L"]");
        lines_.push_back(line);
        return;
    }
    int existing = FindKey(header, key);
    if (existing >= 0) {
        // The key keeps the spelling the file gave it.
        std::wstring oldKey, oldValue;
        KeyValue(lines_[static_cast<size_t>(existing)], oldKey, oldValue);
        lines_[static_cast<size_t>(existing)] = oldKey + L"=" + value;
        return;
    }
    lines_.insert(lines_.begin() + SectionEnd(header), line);
}

bool IniFile::DeleteKey(const std::wstring& section, const std::wstring& key) {
    int header = FindSection(section);
    int line = header >= 0 ? FindKey(header, key) : -1;
    if (line < 0)
        return false;
    lines_.erase(lines_.begin() + line);
    return true;
}

std::wstring IniGetString(const std::wstring& path, const std::wstring& section,
                          const std::wstring& key, const std::wstring& defaultValue) {
    IniFile file;
    file.Load(path);
    return file.GetString(section, key, defaultValue);
}

int IniGetInt(const std::wstring& path, const std::wstring& section, const std::wstring& key,
              int defaultValue) {
    IniFile file;
    file.Load(path);
    return file.GetInt(section, key, defaultValue);
}

bool IniWriteString(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                    const std::wstring& value) {
    IniFile file;
    // An existing file that cannot be read must not be replaced by one key.
    if (!file.Load(path) && FileExists(path))
        return false;
    file.SetString(section, key, value);
    return file.Save(path);
}
