// The attributes of one element: names mapped to values, ordered by comparing
// names code unit by code unit (the order the writer emits them in).
//
// A document holds hundreds of thousands of elements with a few short
// attributes each, so all of an element's attributes live in one block of
// characters: an element costs one allocation, not three per attribute, and
// rewriting a value with the text it already has costs no allocation at all.
// Each entry is [name length][name][value length][value][NUL]; the NUL lets
// the number readers take a value's characters as a C string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class XmlAttributeMap {
public:
    using value_type = std::pair<std::wstring_view, std::wstring_view>;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = XmlAttributeMap::value_type;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = value_type;

        const_iterator() = default;
        value_type operator*() const;
        const_iterator& operator++();
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const const_iterator& other) const { return m_entry == other.m_entry; }

    private:
        friend class XmlAttributeMap;
        explicit const_iterator(const wchar_t* entry) : m_entry(entry) {}
        const wchar_t* m_entry = nullptr;
    };

    XmlAttributeMap() = default;
    XmlAttributeMap(std::initializer_list<value_type> entries);
    XmlAttributeMap(const XmlAttributeMap& other);
    XmlAttributeMap(XmlAttributeMap&& other) noexcept;
    XmlAttributeMap& operator=(const XmlAttributeMap& other);
    XmlAttributeMap& operator=(XmlAttributeMap&& other) noexcept;
    ~XmlAttributeMap();

    bool empty() const { return m_count == 0; }
    std::size_t size() const { return m_count; }
    const_iterator begin() const { return const_iterator(m_data); }
    const_iterator end() const { return const_iterator(m_data ? m_data + m_used : nullptr); }
    const_iterator find(std::wstring_view name) const;
    bool contains(std::wstring_view name) const { return find(name) != end(); }
    // The value of a present name; std::out_of_range when absent.
    std::wstring_view at(std::wstring_view name) const;

    // The value, its characters followed by a NUL; null when absent.
    const wchar_t* Find(std::wstring_view name, std::size_t* length = nullptr) const;
    // Inserts the name or replaces its value.
    void Set(std::wstring_view name, std::wstring_view value);
    // Returns whether the name was there.
    bool Remove(std::wstring_view name);
    void clear() { m_used = m_count = 0; }
    void swap(XmlAttributeMap& other) noexcept;

    // Replaces the whole map with the given entries in any order; of a
    // repeated name the last value counts. The entries' views may point into
    // a scratch buffer of the caller. One allocation at the exact size.
    void Assign(std::vector<value_type>& entries);
    // Replaces the whole map with count entries already in the block's own
    // form (see above), names in strictly rising order: what a reader builds
    // while it parses a start tag. One allocation, one copy.
    void AssignEntries(const wchar_t* entries, std::size_t size, std::size_t count);

    bool operator==(const XmlAttributeMap& other) const;

private:
    // The entry of name, or where it belongs (the first entry with a greater
    // name, or the end); found tells which.
    const wchar_t* Locate(std::wstring_view name, bool& found) const;
    // Makes room: the characters [at, at + removed) become inserted
    // characters, whose content the caller writes. Returns the new address of
    // at.
    wchar_t* Splice(const wchar_t* at, std::size_t removed, std::size_t inserted);
    bool Holds(const wchar_t* p) const {
        return p && m_data && std::less_equal<const wchar_t*>()(m_data, p) &&
               std::less<const wchar_t*>()(p, m_data + m_capacity);
    }
    static std::size_t EntrySize(std::size_t nameLength, std::size_t valueLength) {
        return nameLength + valueLength + 3;
    }
    static wchar_t* WriteEntry(wchar_t* d, std::wstring_view name, std::wstring_view value);

    wchar_t* m_data = nullptr;
    uint32_t m_used = 0;     // characters in use
    uint32_t m_capacity = 0; // characters allocated
    uint32_t m_count = 0;    // entries
};
