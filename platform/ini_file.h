// INI ("profile") files in place of the original platform's profile
// functions: "[Section]" lines and "key=value" lines, UTF-8. Section and key
// names compare case-insensitively; blanks around names and values are
// ignored; a value in one pair of double quotes is read without them; lines
// starting with ';' are comments. Writing a key replaces its line in place or
// adds it at the end of its section and keeps every other line as it was.
#pragma once

#include <string>
#include <vector>

class IniFile {
public:
    // Reads the file; a missing or unreadable file gives an empty one (false).
    bool Load(const std::wstring& path);
    // Writes the file atomically (temporary file and rename); creates it when
    // missing.
    bool Save(const std::wstring& path) const;

    bool HasKey(const std::wstring& section, const std::wstring& key) const;
    // The value, or the default when the section or key is missing.
    std::wstring GetString(const std::wstring& section, const std::wstring& key,
                           const std::wstring& defaultValue) const;
    // The value's leading decimal integer (or 0x hexadecimal), 0 when it has
    // none; the default when the key is missing.
    int GetInt(const std::wstring& section, const std::wstring& key, int defaultValue) const;
    // Sets a key, adding the section and key when missing.
    void SetString(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    // Removes a key; false when it was not there.
    bool DeleteKey(const std::wstring& section, const std::wstring& key);

    // The raw lines, for tests and diagnostics.
    const std::vector<std::wstring>& Lines() const { return lines_; }

private:
    // Index of the section's header line, or -1.
    int FindSection(const std::wstring& section) const;
    // Index of the key's line within the section starting at header, or -1.
    int FindKey(int header, const std::wstring& key) const;
    // One past the section's last non-blank line.
    int SectionEnd(int header) const;

    std::vector<std::wstring> lines_;
    bool crlf_ = false;
    bool bom_ = false;
};

// One-call forms as the callers use them; each reads the file, and the
// writer writes it back at once.
std::wstring IniGetString(const std::wstring& path, const std::wstring& section,
                          const std::wstring& key, const std::wstring& defaultValue);
int IniGetInt(const std::wstring& path, const std::wstring& section, const std::wstring& key,
              int defaultValue);
bool IniWriteString(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                    const std::wstring& value);
