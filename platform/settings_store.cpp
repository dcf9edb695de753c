#include "platform/settings_store.h"

#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"

#include <QChar>
#include <algorithm>
#include <bit>
#include <cwchar>
#include <memory>

// File format, one item per line:
//   ; comment
//   [Software\Vorpel\DefaultSettings]          a key by its full path
//   "Unit"=dword:00000001                      a number, 8 hex digits
//   "Font"=sz:"Arial Unicode MS"               a text
//   "Blob"=hex:01,ff,20                        bytes
// Quoted names and texts escape \\ \" and control characters (\n \r \t \xHH).
// Every key is written as its own section, so empty keys survive a reload.

namespace {

struct Value {
    std::wstring name;
    SettingsType type = SettingsType::None;
    uint32_t number = 0;
    std::wstring text;
    std::vector<uint8_t> bytes;
};

struct Node {
    std::wstring name;
    std::vector<Value> values;                   // in the order first set
    std::vector<std::unique_ptr<Node>> children; // sorted by folded name
};

struct Store {
    bool loaded = false;
    bool dirty = false;
    Node root;
};

Store& TheStore() {
    static Store store;
    return store;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && FoldCase(a) == FoldCase(b);
}

bool IsControl(wchar_t c) {
    return c < 0x20 || c == 0x7F;
}

// Splits a key path at backslashes. Fails on an empty path, an empty element
// or a control character (which the file could not hold in a section line).
bool SplitPath(const std::wstring& path, std::vector<std::wstring>& parts) {
    parts.clear();
    std::wstring part;
    for (wchar_t c : path) {
        if (IsControl(c))
            return false;
        if (c == L'\\') {
            if (part.empty())
                return false;
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (part.empty())
        return false;
    parts.push_back(part);
    return true;
}

Node* FindChild(Node* node, const std::wstring& name) {
    std::wstring folded = FoldCase(name);
    for (auto& child : node->children)
        if (FoldCase(child->name) == folded)
            return child.get();
    return nullptr;
}

Node* AddChild(Node* node, const std::wstring& name) {
    std::wstring folded = FoldCase(name);
    auto it =
        std::find_if(node->children.begin(), node->children.end(),
                     [&](const std::unique_ptr<Node>& c) { return FoldCase(c->name) > folded; });
    auto child = std::make_unique<Node>();
    child->name = name;
    Node* raw = child.get();
    node->children.insert(it, std::move(child));
    return raw;
}

void Load();

void EnsureLoaded() {
    if (!TheStore().loaded)
        Load();
}

Node* Walk(const std::vector<std::wstring>& parts, bool create, bool* created = nullptr) {
    EnsureLoaded();
    Node* node = &TheStore().root;
    for (const auto& part : parts) {
        Node* next = FindChild(node, part);
        if (!next) {
            if (!create)
                return nullptr;
            next = AddChild(node, part);
            if (created)
                *created = true;
        }
        node = next;
    }
    return node;
}

Value* FindValue(Node* node, const std::wstring& name) {
    if (!node)
        return nullptr;
    for (auto& v : node->values)
        if (SameName(v.name, name))
            return &v;
    return nullptr;
}

// ---- writing the file ----

const char kHex[] = "0123456789abcdef";

void AppendQuoted(std::string& out, const std::wstring& text) {
    out += '"';
    for (wchar_t c : text) {
        switch (c) {
        case L'\\':
            out += "\\\\";
            break;
        case L'"':
            out += "\\\"";
            break;
        case L'\n':
            out += "\\n";
            break;
        case L'\r':
            out += "\\r";
            break;
        case L'\t':
            out += "\\t";
            break;
        default:
            if (IsControl(c)) {
                out += "\\x";
                out += kHex[(c >> 4) & 0xF];
                out += kHex[c & 0xF];
            } else {
                out += WideToUtf8(std::wstring_view(&c, 1));
            }
        }
    }
    out += '"';
}

void WriteNode(std::string& out, const Node& node, const std::wstring& path) {
    if (!path.empty()) {
        out += "\n[" + WideToUtf8(path) + "]\n";
        for (const auto& v : node.values) {
            AppendQuoted(out, v.name);
            switch (v.type) {
            case SettingsType::Number:
                out += "=dword:";
                for (int shift = 28; shift >= 0; shift -= 4)
                    out += kHex[(v.number >> shift) & 0xF];
                break;
            case SettingsType::String:
                out += "=sz:";
                AppendQuoted(out, v.text);
                break;
            case SettingsType::Binary:
                out += "=hex:";
                for (size_t i = 0; i < v.bytes.size(); ++i) {
                    if (i)
                        out += ',';
                    out += kHex[v.bytes[i] >> 4];
                    out += kHex[v.bytes[i] & 0xF];
                }
                break;
            case SettingsType::None:
                break;
            }
            out += '\n';
        }
    }
    for (const auto& child : node.children)
        WriteNode(out, *child, path.empty() ? child->name : path + L"\\" + child->name);
}

bool Save() {
    std::string out = "; Vorpel settings (UTF-8). Written by the program; keys in [brackets].\n";
    WriteNode(out, TheStore().root, std::wstring());
    std::wstring folder = ConfigFolder();
    if (!DirectoryExists(folder) && !CreateDirectories(folder))
        return false;
    FileReplacement replacement(SettingsStore::FilePath());
    PlatformFile file;
    if (replacement.GetStatus() != FileReplacement::Ready ||
        !file.Open(replacement.GetWritePath(), PlatformFile::AccessWrite,
                   PlatformFile::CreateAlways))
        return false;
    bool ok = file.Write(out.data(), static_cast<int64_t>(out.size())) && file.Flush();
    file.Close();
    return ok && replacement.Commit();
}

// ---- reading the file ----

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// Reads a quoted text at pos; leaves pos after the closing quote.
bool ParseQuoted(const std::wstring& line, size_t& pos, std::wstring& text) {
    text.clear();
    if (pos >= line.size() || line[pos] != L'"')
        return false;
    ++pos;
    while (pos < line.size()) {
        wchar_t c = line[pos++];
        if (c == L'"')
            return true;
        if (c != L'\\') {
            text += c;
            continue;
        }
        if (pos >= line.size())
            return false;
        wchar_t e = line[pos++];
        switch (e) {
        case L'\\':
            text += L'\\';
            break;
        case L'"':
            text += L'"';
            break;
        case L'n':
            text += L'\n';
            break;
        case L'r':
            text += L'\r';
            break;
        case L't':
            text += L'\t';
            break;
        case L'x': {
            if (pos + 2 > line.size())
                return false;
            int hi = HexDigit(line[pos]), lo = HexDigit(line[pos + 1]);
            if (hi < 0 || lo < 0)
                return false;
            text += static_cast<wchar_t>(hi * 16 + lo);
            pos += 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

bool StartsWith(const std::wstring& s, size_t pos, const wchar_t* prefix) {
    return s.compare(pos, std::wcslen(prefix), prefix) == 0;
}

bool ParseValueLine(const std::wstring& line, Value& value) {
    size_t pos = 0;
    if (!ParseQuoted(line, pos, value.name))
        return false;
    if (StartsWith(line, pos, L"=dword:")) {
        pos += 7;
        size_t digits = line.size() - pos;
        if (digits < 1 || digits > 8)
            return false;
        uint32_t n = 0;
        for (; pos < line.size(); ++pos) {
            int d = HexDigit(line[pos]);
            if (d < 0)
                return false;
            n = n * 16 + static_cast<uint32_t>(d);
        }
        value.type = SettingsType::Number;
        value.number = n;
        return true;
    }
    if (StartsWith(line, pos, L"=sz:")) {
        pos += 4;
        if (!ParseQuoted(line, pos, value.text) || pos != line.size())
            return false;
        value.type = SettingsType::String;
        return true;
    }
    if (StartsWith(line, pos, L"=hex:")) {
        pos += 5;
        while (pos < line.size()) {
            if (pos + 2 > line.size())
                return false;
            int hi = HexDigit(line[pos]), lo = HexDigit(line[pos + 1]);
            if (hi < 0 || lo < 0)
                return false;
            value.bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
            pos += 2;
            if (pos < line.size()) {
                if (line[pos] != L',' || pos + 1 == line.size())
                    return false;
                ++pos;
            }
        }
        value.type = SettingsType::Binary;
        return true;
    }
    return false;
}

void Load() {
    Store& store = TheStore();
    store.root = Node();
    store.loaded = true;
    store.dirty = false;
    std::string bytes;
    if (!ReadWholeFile(SettingsStore::FilePath(), bytes))
        return;
    Node* current = nullptr;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::wstring line = Utf8ToWide(std::string_view(bytes).substr(start, end - start));
        start = end + 1;
        while (!line.empty() &&
               (line.back() == L'\r' || line.back() == L' ' || line.back() == L'\t'))
            line.pop_back();
        size_t first = line.find_first_not_of(L" \t");
        if (first == std::wstring::npos || line[first] == L';' || line[first] == L'#')
            continue;
        line.erase(0, first);
        if (line[0] == L'[') {
            // A bad section header makes its values unreachable rather than
            // landing them in the key before it.
            current = nullptr;
            size_t close = line.rfind(L']');
            std::vector<std::wstring> parts;
            if (close != std::wstring::npos && close + 1 == line.size() &&
                SplitPath(line.substr(1, close - 1), parts))
                current = Walk(parts, true);
            continue;
        }
        Value value;
        if (!current || !ParseValueLine(line, value))
            continue;
        if (Value* existing = FindValue(current, value.name)) {
            value.name = existing->name;
            *existing = std::move(value);
        } else {
            current->values.push_back(std::move(value));
        }
    }
}

bool RemoveChild(Node* parent, const std::wstring& name) {
    if (!parent)
        return false;
    std::wstring folded = FoldCase(name);
    auto& children = parent->children;
    auto it = std::find_if(children.begin(), children.end(), [&](const std::unique_ptr<Node>& c) {
        return FoldCase(c->name) == folded;
    });
    if (it == children.end())
        return false;
    children.erase(it);
    return true;
}

} // namespace

// ---- SettingsKey ----

SettingsKey::~SettingsKey() {
    Close();
}

SettingsKey::SettingsKey(SettingsKey&& other) noexcept
    : path_(std::move(other.path_)), parts_(std::move(other.parts_)), open_(other.open_),
      changed_(other.changed_) {
    other.open_ = false;
    other.changed_ = false;
}

SettingsKey& SettingsKey::operator=(SettingsKey&& other) noexcept {
    if (this != &other) {
        Close();
        path_ = std::move(other.path_);
        parts_ = std::move(other.parts_);
        open_ = other.open_;
        changed_ = other.changed_;
        other.open_ = false;
        other.changed_ = false;
    }
    return *this;
}

bool SettingsKey::Create(const std::wstring& path) {
    Close();
    std::vector<std::wstring> parts;
    if (!SplitPath(path, parts))
        return false;
    bool created = false;
    Walk(parts, true, &created);
    path_ = path;
    parts_ = std::move(parts);
    open_ = true;
    if (created)
        MarkChanged();
    return true;
}

bool SettingsKey::Open(const std::wstring& path) {
    Close();
    std::vector<std::wstring> parts;
    if (!SplitPath(path, parts) || !Walk(parts, false))
        return false;
    path_ = path;
    parts_ = std::move(parts);
    open_ = true;
    return true;
}

void SettingsKey::Close() {
    if (changed_)
        SettingsStore::Flush();
    changed_ = false;
    open_ = false;
    path_.clear();
    parts_.clear();
}

bool SettingsKey::Exists() const {
    return open_ && Walk(parts_, false);
}

void SettingsKey::MarkChanged() {
    changed_ = true;
    TheStore().dirty = true;
}

SettingsType SettingsKey::TypeOf(const std::wstring& name) const {
    const Value* v = open_ ? FindValue(Walk(parts_, false), name) : nullptr;
    return v ? v->type : SettingsType::None;
}

namespace {
// The value of a query, or the reason there is none.
SettingsResult Lookup(bool open, const std::vector<std::wstring>& parts, const std::wstring& name,
                      SettingsType type, const Value** value) {
    Node* node = open ? Walk(parts, false) : nullptr;
    if (!node)
        return SettingsResult::NoKey;
    const Value* v = FindValue(node, name);
    if (!v)
        return SettingsResult::Missing;
    if (v->type != type)
        return SettingsResult::WrongType;
    *value = v;
    return SettingsResult::Ok;
}
} // namespace

SettingsResult SettingsKey::QueryNumber(const std::wstring& name, uint32_t* value) const {
    const Value* v = nullptr;
    SettingsResult r = Lookup(open_, parts_, name, SettingsType::Number, &v);
    if (r == SettingsResult::Ok && value)
        *value = v->number;
    return r;
}

SettingsResult SettingsKey::QueryString(const std::wstring& name, std::wstring* value) const {
    const Value* v = nullptr;
    SettingsResult r = Lookup(open_, parts_, name, SettingsType::String, &v);
    if (r == SettingsResult::Ok && value)
        *value = v->text;
    return r;
}

SettingsResult SettingsKey::QueryBinary(const std::wstring& name,
                                        std::vector<uint8_t>* value) const {
    const Value* v = nullptr;
    SettingsResult r = Lookup(open_, parts_, name, SettingsType::Binary, &v);
    if (r == SettingsResult::Ok && value)
        *value = v->bytes;
    return r;
}

SettingsResult SettingsKey::QueryFloat(const std::wstring& name, float* value) const {
    uint32_t bits = 0;
    SettingsResult r = QueryNumber(name, &bits);
    if (r == SettingsResult::Ok && value)
        *value = std::bit_cast<float>(bits);
    return r;
}

namespace {
Value* ValueForWrite(bool open, const std::vector<std::wstring>& parts, const std::wstring& name) {
    Node* node = open ? Walk(parts, false) : nullptr;
    if (!node)
        return nullptr;
    if (Value* v = FindValue(node, name))
        return v;
    node->values.push_back(Value{});
    node->values.back().name = name;
    return &node->values.back();
}
} // namespace

bool SettingsKey::SetNumber(const std::wstring& name, uint32_t value) {
    Value* v = ValueForWrite(open_, parts_, name);
    if (!v)
        return false;
    v->type = SettingsType::Number;
    v->number = value;
    v->text.clear();
    v->bytes.clear();
    MarkChanged();
    return true;
}

bool SettingsKey::SetString(const std::wstring& name, const std::wstring& value) {
    Value* v = ValueForWrite(open_, parts_, name);
    if (!v)
        return false;
    v->type = SettingsType::String;
    v->number = 0;
    v->text = value;
    v->bytes.clear();
    MarkChanged();
    return true;
}

bool SettingsKey::SetBinary(const std::wstring& name, const std::vector<uint8_t>& value) {
    Value* v = ValueForWrite(open_, parts_, name);
    if (!v)
        return false;
    v->type = SettingsType::Binary;
    v->number = 0;
    v->text.clear();
    v->bytes = value;
    MarkChanged();
    return true;
}

bool SettingsKey::SetFloat(const std::wstring& name, float value) {
    return SetNumber(name, std::bit_cast<uint32_t>(value));
}

bool SettingsKey::DeleteValue(const std::wstring& name) {
    Node* node = open_ ? Walk(parts_, false) : nullptr;
    if (!node)
        return false;
    auto it = std::find_if(node->values.begin(), node->values.end(),
                           [&](const Value& v) { return SameName(v.name, name); });
    if (it == node->values.end())
        return false;
    node->values.erase(it);
    MarkChanged();
    return true;
}

bool SettingsKey::DeleteSubKey(const std::wstring& name) {
    if (name.empty() || name.find(L'\\') != std::wstring::npos)
        return false;
    if (!RemoveChild(open_ ? Walk(parts_, false) : nullptr, name))
        return false;
    MarkChanged();
    return true;
}

std::vector<std::wstring> SettingsKey::ValueNames() const {
    std::vector<std::wstring> names;
    if (Node* node = open_ ? Walk(parts_, false) : nullptr)
        for (const auto& v : node->values)
            names.push_back(v.name);
    return names;
}

std::vector<std::wstring> SettingsKey::SubKeyNames() const {
    std::vector<std::wstring> names;
    if (Node* node = open_ ? Walk(parts_, false) : nullptr)
        for (const auto& c : node->children)
            names.push_back(c->name);
    return names;
}

// ---- SettingsStore ----

std::wstring SettingsStore::FilePath() {
    return ConfigFolder() + L"/settings.conf";
}

bool SettingsStore::Flush() {
    Store& store = TheStore();
    if (!store.loaded || !store.dirty)
        return true;
    if (!Save())
        return false;
    store.dirty = false;
    return true;
}

void SettingsStore::Reload() {
    Load();
}

void SettingsStore::Reset() {
    Store& store = TheStore();
    store.root = Node();
    store.loaded = true;
    store.dirty = false;
    RemoveFile(FilePath());
}

bool SettingsStore::DeleteKey(const std::wstring& path) {
    std::vector<std::wstring> parts;
    if (!SplitPath(path, parts))
        return false;
    std::wstring last = parts.back();
    parts.pop_back();
    if (!RemoveChild(Walk(parts, false), last))
        return false;
    TheStore().dirty = true;
    Flush();
    return true;
}

bool SettingsStore::KeyExists(const std::wstring& path) {
    std::vector<std::wstring> parts;
    return SplitPath(path, parts) && Walk(parts, false);
}
