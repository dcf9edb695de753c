#include "core/xml_attribute_map.h"

#include "core/attribute_name.h"
#include "core/node_arena.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

// A view's length as it is stored in the block: one character.
wchar_t LengthChar(std::size_t length) {
    return static_cast<wchar_t>(static_cast<uint32_t>(length));
}

// Blocks come from the node arena, so that a file's reader cuts them out of
// larger blocks along with the nodes.
wchar_t* NewBlock(std::size_t characters) {
    return static_cast<wchar_t*>(NodeArena::Allocate(characters * sizeof(wchar_t)));
}

std::size_t StoredLength(const wchar_t* p) {
    return static_cast<uint32_t>(*p);
}

std::wstring_view NameOf(const wchar_t* entry) {
    return {entry + 1, StoredLength(entry)};
}

const wchar_t* ValueField(const wchar_t* entry) {
    return entry + 1 + StoredLength(entry);
}

const wchar_t* NextEntry(const wchar_t* entry) {
    const wchar_t* value = ValueField(entry);
    return value + 1 + StoredLength(value) + 1;
}

} // namespace

XmlAttributeMap::value_type XmlAttributeMap::const_iterator::operator*() const {
    const wchar_t* value = ValueField(m_entry);
    return {NameOf(m_entry), std::wstring_view(value + 1, StoredLength(value))};
}

XmlAttributeMap::const_iterator& XmlAttributeMap::const_iterator::operator++() {
    m_entry = NextEntry(m_entry);
    return *this;
}

XmlAttributeMap::XmlAttributeMap(std::initializer_list<value_type> entries) {
    std::vector<value_type> list(entries);
    Assign(list);
}

XmlAttributeMap::XmlAttributeMap(const XmlAttributeMap& other)
    : m_used(other.m_used), m_capacity(other.m_used), m_count(other.m_count) {
    if (m_used) {
        m_data = NewBlock(m_used);
        std::wmemcpy(m_data, other.m_data, m_used);
    }
}

XmlAttributeMap::~XmlAttributeMap() {
    NodeArena::Free(m_data);
}

XmlAttributeMap::XmlAttributeMap(XmlAttributeMap&& other) noexcept {
    swap(other);
}

XmlAttributeMap& XmlAttributeMap::operator=(const XmlAttributeMap& other) {
    if (this == &other)
        return *this;
    if (other.m_used > m_capacity) {
        XmlAttributeMap copy(other);
        swap(copy);
        return *this;
    }
    if (other.m_used)
        std::wmemcpy(m_data, other.m_data, other.m_used);
    m_used = other.m_used;
    m_count = other.m_count;
    return *this;
}

XmlAttributeMap& XmlAttributeMap::operator=(XmlAttributeMap&& other) noexcept {
    XmlAttributeMap moved(std::move(other));
    swap(moved);
    return *this;
}

void XmlAttributeMap::swap(XmlAttributeMap& other) noexcept {
    std::swap(m_data, other.m_data);
    std::swap(m_used, other.m_used);
    std::swap(m_capacity, other.m_capacity);
    std::swap(m_count, other.m_count);
}

const wchar_t* XmlAttributeMap::Locate(std::wstring_view name, bool& found) const {
    found = false;
    if (!m_data)
        return nullptr;
    const wchar_t* p = m_data;
    const wchar_t* const end = m_data + m_used;
    while (p < end) {
        const int order = CompareAttributeNames(NameOf(p), name);
        if (order >= 0) {
            found = order == 0;
            return p;
        }
        p = NextEntry(p);
    }
    return end;
}

XmlAttributeMap::const_iterator XmlAttributeMap::find(std::wstring_view name) const {
    bool found = false;
    const wchar_t* p = Locate(name, found);
    return found ? const_iterator(p) : end();
}

std::wstring_view XmlAttributeMap::at(std::wstring_view name) const {
    std::size_t length = 0;
    const wchar_t* value = Find(name, &length);
    if (!value)
        throw std::out_of_range("no such attribute");
    return {value, length};
}

const wchar_t* XmlAttributeMap::Find(std::wstring_view name, std::size_t* length) const {
    if (!m_data)
        return nullptr;
    // Lookups by the node classes mostly hit: compare the stored length
    // first, then the characters.
    const wchar_t* p = m_data;
    const wchar_t* const end = m_data + m_used;
    while (p < end) {
        const std::size_t n = StoredLength(p);
        const wchar_t* value = p + 1 + n;
        if (AttributeNameIs({p + 1, n}, name)) {
            if (length)
                *length = StoredLength(value);
            return value + 1;
        }
        p = value + 1 + StoredLength(value) + 1;
    }
    return nullptr;
}

wchar_t* XmlAttributeMap::WriteEntry(wchar_t* d, std::wstring_view name, std::wstring_view value) {
    *d++ = LengthChar(name.size());
    std::wmemcpy(d, name.data(), name.size());
    d += name.size();
    *d++ = LengthChar(value.size());
    if (!value.empty())
        std::wmemcpy(d, value.data(), value.size());
    d += value.size();
    *d++ = L'\0';
    return d;
}

wchar_t* XmlAttributeMap::Splice(const wchar_t* at, std::size_t removed, std::size_t inserted) {
    const std::size_t offset = at ? static_cast<std::size_t>(at - m_data) : 0;
    const std::size_t tail = m_used - offset - removed;
    const std::size_t used = m_used - removed + inserted;
    if (used > std::numeric_limits<uint32_t>::max())
        throw std::bad_alloc();
    if (used > m_capacity) {
        // Some slack, so that a node that grows value by value while its
        // attributes are written does not reallocate each time.
        const std::size_t capacity =
            std::min<std::size_t>(std::max(used, std::size_t(m_capacity) * 3 / 2 + 8),
                                  std::numeric_limits<uint32_t>::max());
        auto* data = NewBlock(capacity);
        if (offset)
            std::wmemcpy(data, m_data, offset);
        if (tail)
            std::wmemcpy(data + offset + inserted, m_data + offset + removed, tail);
        NodeArena::Free(m_data);
        m_data = data;
        m_capacity = static_cast<uint32_t>(capacity);
    } else if (tail && removed != inserted) {
        std::wmemmove(m_data + offset + inserted, m_data + offset + removed, tail);
    }
    m_used = static_cast<uint32_t>(used);
    return m_data + offset;
}

void XmlAttributeMap::Set(std::wstring_view name, std::wstring_view value) {
    bool found = false;
    const wchar_t* entry = Locate(name, found);
    const wchar_t* field = found ? ValueField(entry) : nullptr;
    if (found && StoredLength(field) == value.size()) {
        // The usual case of a save: the value did not change, or changed in
        // place.
        auto* d = const_cast<wchar_t*>(field + 1);
        if (!value.empty() && std::wmemcmp(d, value.data(), value.size()) != 0)
            std::wmemmove(d, value.data(), value.size());
        return;
    }
    // The views may point into this very block, which the splice moves.
    std::wstring nameCopy, valueCopy;
    if (Holds(name.data())) {
        nameCopy.assign(name);
        name = nameCopy;
    }
    if (Holds(value.data())) {
        valueCopy.assign(value);
        value = valueCopy;
    }
    const std::size_t removed = found ? EntrySize(name.size(), StoredLength(field)) : 0;
    wchar_t* d = Splice(entry, removed, EntrySize(name.size(), value.size()));
    WriteEntry(d, name, value);
    if (!found)
        ++m_count;
}

bool XmlAttributeMap::Remove(std::wstring_view name) {
    bool found = false;
    const wchar_t* entry = Locate(name, found);
    if (!found)
        return false;
    Splice(entry, static_cast<std::size_t>(NextEntry(entry) - entry), 0);
    --m_count;
    return true;
}

void XmlAttributeMap::Assign(std::vector<value_type>& entries) {
    // Names mostly come in order already (the writer sorts them).
    auto less = [](const value_type& a, const value_type& b) {
        return CompareAttributeNames(a.first, b.first) < 0;
    };
    if (!std::is_sorted(entries.begin(), entries.end(), less))
        std::stable_sort(entries.begin(), entries.end(), less);
    std::size_t total = 0, count = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i + 1 < entries.size() && entries[i + 1].first == entries[i].first)
            continue; // a repeated name keeps its last value
        total += EntrySize(entries[i].first.size(), entries[i].second.size());
        ++count;
    }
    if (total > std::numeric_limits<uint32_t>::max())
        throw std::bad_alloc();
    wchar_t* data = total ? NewBlock(total) : nullptr;
    wchar_t* d = data;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i + 1 < entries.size() && entries[i + 1].first == entries[i].first)
            continue;
        d = WriteEntry(d, entries[i].first, entries[i].second);
    }
    NodeArena::Free(m_data);
    m_data = data;
    m_used = m_capacity = static_cast<uint32_t>(total);
    m_count = static_cast<uint32_t>(count);
}

void XmlAttributeMap::AssignEntries(const wchar_t* entries, std::size_t size, std::size_t count) {
    if (size > std::numeric_limits<uint32_t>::max())
        throw std::bad_alloc();
    wchar_t* data = size ? NewBlock(size) : nullptr;
    if (size)
        std::wmemcpy(data, entries, size);
    NodeArena::Free(m_data);
    m_data = data;
    m_used = m_capacity = static_cast<uint32_t>(size);
    m_count = static_cast<uint32_t>(count);
}

bool XmlAttributeMap::operator==(const XmlAttributeMap& other) const {
    // Equal maps have equal blocks: the entries are ordered and the format
    // has one form.
    return m_count == other.m_count && m_used == other.m_used &&
           (m_used == 0 || std::wmemcmp(m_data, other.m_data, m_used) == 0);
}
