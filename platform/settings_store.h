// Per-user settings in place of the original platform's registry: a tree of
// keys named by backslash-separated paths ("Software\Vorpel\DefaultSettings"),
// each holding named values of three types. Key and value names compare
// case-insensitively and keep the case they were created with.
//
// Everything lives in one human-readable UTF-8 file, ConfigFolder() +
// "/settings.conf", read on first use and rewritten atomically (temporary file
// and rename) when the last open key that changed something is closed, or on
// SettingsStore::Flush. A damaged file never stops the program: lines that
// cannot be read are skipped, so the damaged parts start empty.
//
// Enumeration order is stable: subkeys by name (case-insensitively), values in
// the order they were first set (kept across saving and reloading).
// Used from the user-interface thread only; nothing is locked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class SettingsType {
    None,   // no such value
    Number, // a 32-bit number (a DWORD)
    String, // a text
    Binary, // bytes
};

// The answer of a typed query. Callers keep their defaults unless Ok.
enum class SettingsResult {
    Ok,
    NoKey,     // the key is not open or no longer exists
    Missing,   // the key has no value of that name
    WrongType, // the value exists with another type (or size)
};

// A handle on one key. Cheap to create; it names the key by its path, so a key
// deleted meanwhile makes every later operation fail instead of crashing.
// Changes made through a handle reach the file when the handle is closed or
// destroyed.
class SettingsKey {
public:
    SettingsKey() = default;
    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;
    SettingsKey(SettingsKey&& other) noexcept;
    SettingsKey& operator=(SettingsKey&& other) noexcept;

    // Opens the key, creating it and its missing parents. False for an empty
    // path or an empty path element.
    bool Create(const std::wstring& path);
    // Opens an existing key only.
    bool Open(const std::wstring& path);
    // Writes pending changes and forgets the key.
    void Close();
    bool IsOpen() const { return open_; }
    // True while the key is open and still exists.
    bool Exists() const;
    const std::wstring& Path() const { return path_; }

    SettingsType TypeOf(const std::wstring& name) const;
    SettingsResult QueryNumber(const std::wstring& name, uint32_t* value) const;
    SettingsResult QueryString(const std::wstring& name, std::wstring* value) const;
    SettingsResult QueryBinary(const std::wstring& name, std::vector<uint8_t>* value) const;
    // A length stored as the bit pattern of its float (a Number value).
    SettingsResult QueryFloat(const std::wstring& name, float* value) const;

    bool SetNumber(const std::wstring& name, uint32_t value);
    bool SetString(const std::wstring& name, const std::wstring& value);
    bool SetBinary(const std::wstring& name, const std::vector<uint8_t>& value);
    bool SetFloat(const std::wstring& name, float value);

    // False when there was no such value.
    bool DeleteValue(const std::wstring& name);
    // Deletes a direct subkey (name without backslash) with all its subkeys.
    bool DeleteSubKey(const std::wstring& name);

    std::vector<std::wstring> ValueNames() const;
    std::vector<std::wstring> SubKeyNames() const;

private:
    void MarkChanged();

    std::wstring path_;
    std::vector<std::wstring> parts_;
    bool open_ = false;
    bool changed_ = false;
};

// The process-wide store behind every key.
namespace SettingsStore {
// The settings file, ConfigFolder() + "/settings.conf".
std::wstring FilePath();
// Writes the file when something changed since it was last written; true when
// nothing needed writing or the write succeeded.
bool Flush();
// Drops what is in memory and reads the file again (also after
// VORPEL_CONFIG_HOME changed). Unwritten changes are lost.
void Reload();
// Empties the store and deletes the file: a fresh user profile.
void Reset();
// Deletes a key, given by its full path, with all its subkeys; false when it
// did not exist. Written at once.
bool DeleteKey(const std::wstring& path);
// Whether a key exists.
bool KeyExists(const std::wstring& path);
} // namespace SettingsStore
