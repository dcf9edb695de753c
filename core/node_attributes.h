// The attributes of a node class, described once. Each entry names the
// attribute, the member it holds and its kind and default; reading, writing
// and the writer's "the element holds this already" check all follow from
// the list:
//
//     const NodeAttributes<CConductor, 2> kAttributes{{
//         Attr::Custom<CConductor, ReadLayer, WriteLayer, VaryLayer>(L"Layer"),
//         Attr::Float<&CConductor::m_width, 0.0f>(L"Width"),
//     }};
//
// A member the class inherits names the class last
// (Attr::Point<&CPad::m_boardPosition, CPad>). Reading sets every described member, to its default
// when the attribute is absent; writing leaves the element alone when it holds exactly what the
// setters would write, and otherwise writes each attribute through its
// setter (a value equal to its default is left out). Attributes the list
// does not know stay on the element.
//
// Each described class registers its list (RegisterNodeAttributes), so that
// a test can give every described attribute of every class a value other
// than its default and see it survive a save and a load.
#pragma once

#include "core/board_layer.h"
#include "core/expected_attributes.h"
#include "core/plain_number.h"
#include "core/tree_node.h"
#include "core/xml_element.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The most attributes a described class has.
constexpr std::size_t kMaxNodeAttributes = 12;
using NodeExpectedAttributes = ExpectedAttributes<kMaxNodeAttributes>;

template <class Node> struct NodeAttribute {
    const wchar_t* name;
    // The member from the element (its default when the attribute is absent).
    void (*read)(Node& node, std::wstring_view name);
    // What the setter would write for the member, added to the list.
    void (*expect)(const Node& node, std::wstring_view name, NodeExpectedAttributes& list);
    // The member through its setter.
    void (*write)(Node& node, std::wstring_view name);
    // Gives the member a value other than its default (for tests).
    void (*vary)(Node& node);
};

template <class Node, std::size_t N> class NodeAttributes {
public:
    static_assert(N <= kMaxNodeAttributes);

    // The entries in any order: they are read in this order (an entry may
    // depend on one read before it); the check compares them in the order
    // of the names.
    constexpr explicit NodeAttributes(std::array<NodeAttribute<Node>, N> entries)
        : m_entries(entries) {
        for (std::size_t i = 0; i < N; ++i)
            m_sorted[i] = i;
        for (std::size_t i = 1; i < N; ++i)
            for (std::size_t j = i; j > 0 && Before(m_sorted[j], m_sorted[j - 1]); --j)
                std::swap(m_sorted[j], m_sorted[j - 1]);
    }

    void Read(Node& node) const {
        for (const NodeAttribute<Node>& a : m_entries)
            a.read(node, a.name);
    }

    void Write(Node& node) const {
        NodeExpectedAttributes expected;
        for (std::size_t i : m_sorted)
            m_entries[i].expect(node, m_entries[i].name, expected);
        if (expected.Matches(node.GetAttributes()))
            return;
        for (const NodeAttribute<Node>& a : m_entries)
            a.write(node, a.name);
    }

    void Vary(Node& node) const {
        for (const NodeAttribute<Node>& a : m_entries)
            a.vary(node);
    }

    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (const NodeAttribute<Node>& a : m_entries)
            names.emplace_back(a.name);
        return names;
    }

private:
    constexpr bool Before(std::size_t a, std::size_t b) const {
        const std::wstring_view x = m_entries[a].name, y = m_entries[b].name;
        const std::size_t n = x.size() < y.size() ? x.size() : y.size();
        for (std::size_t i = 0; i < n; ++i)
            if (x[i] != y[i])
                return static_cast<uint32_t>(x[i]) < static_cast<uint32_t>(y[i]);
        return x.size() < y.size();
    }

    std::array<NodeAttribute<Node>, N> m_entries;
    std::array<std::size_t, N> m_sorted{};
};

// A described class as the test sees it: its tag, the names it describes,
// and how to give them values other than their defaults.
struct DescribedNodeClass {
    const wchar_t* tag;
    std::vector<std::wstring> names;
    std::function<void(CTreeNode&)> vary;
};

// Every class that registered its list.
std::vector<DescribedNodeClass>& DescribedNodeClasses();

// Registers the list of Node, whose elements carry tag; made at start-up
// by a static object beside the list.
template <class Node, std::size_t N> struct RegisterNodeAttributes {
    RegisterNodeAttributes(const wchar_t* tag, const NodeAttributes<Node, N>& list) {
        DescribedNodeClasses().push_back(
            {tag, list.Names(), [&list](CTreeNode& node) { list.Vary(static_cast<Node&>(node)); }});
    }
};

namespace Attr {

template <class T> struct MemberOf;
template <class C, class M> struct MemberOf<M C::*> {
    using Class = C;
    using Type = M;
};
template <auto Member> using ClassOf = typename MemberOf<decltype(Member)>::Class;

// int, written in decimal.
template <auto Member, int Def, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Int(const wchar_t* name) {
    return {name,
            [](Node& n, std::wstring_view key) {
                int v = Def;
                n.GetAttributeInt(key, v, Def);
                n.*Member = v;
            },
            [](const Node& n, std::wstring_view key, NodeExpectedAttributes& list) {
                list.AddInt(key, n.*Member, Def);
            },
            [](Node& n, std::wstring_view key) { n.SetAttributeInt(key, n.*Member, Def); },
            [](Node& n) { n.*Member = Def + 7; }};
}

// bool, written as "1" or left out ("0" when its default is true).
template <auto Member, bool Def, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Bool(const wchar_t* name) {
    return {name,
            [](Node& n, std::wstring_view key) {
                bool v = Def;
                n.GetAttributeBool(key, v, Def);
                n.*Member = v;
            },
            [](const Node& n, std::wstring_view key, NodeExpectedAttributes& list) {
                list.AddBool(key, n.*Member, Def);
            },
            [](Node& n, std::wstring_view key) {
                n.SetAttributeBool(key, n.*Member ? 1 : 0, Def ? 1 : 0);
            },
            [](Node& n) { n.*Member = !Def; }};
}

// float, written with the shortest text that reads back to it.
template <auto Member, float Def, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Float(const wchar_t* name) {
    return {name,
            [](Node& n, std::wstring_view key) {
                float v = Def;
                n.GetAttributeFloat(key, v, Def);
                n.*Member = v;
            },
            [](const Node& n, std::wstring_view key, NodeExpectedAttributes& list) {
                list.AddFloat(key, n.*Member, Def);
            },
            [](Node& n, std::wstring_view key) { n.SetAttributeFloat(key, n.*Member, Def); },
            [](Node& n) { n.*Member = Def + 0.375f; }};
}

// std::wstring, as it stands; empty is the default.
template <auto Member, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Text(const wchar_t* name) {
    return {name,
            [](Node& n, std::wstring_view key) {
                const auto v = n.FindAttribute(key);
                (n.*Member).assign(v ? *v : std::wstring_view());
            },
            [](const Node& n, std::wstring_view key, NodeExpectedAttributes& list) {
                list.AddString(key, n.*Member, L"");
            },
            [](Node& n, std::wstring_view key) { n.SetAttributeString(key, n.*Member, L""); },
            [](Node& n) { n.*Member = L"a b&<\"x\u00e9"; }};
}

// An int named by the rows of a table; a value of no row is left out, a name
// of no row reads as the default.
template <auto Member, const XmlEnumRow* Table, int Rows, int Def, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Enum(const wchar_t* name) {
    return {name,
            [](Node& n, std::wstring_view key) {
                int v = Def;
                n.GetAttributeEnum(key, v, Def, Table, Rows);
                n.*Member = v;
            },
            [](const Node& n, std::wstring_view key, NodeExpectedAttributes& list) {
                list.AddEnum(key, n.*Member, Def, Table, Rows);
            },
            [](Node& n, std::wstring_view key) {
                n.SetAttributeEnum(key, n.*Member, Def, Table, Rows);
            },
            [](Node& n) {
                for (int i = 0; i < Rows; ++i)
                    if (Table[i].value != Def && Table[i].name) {
                        n.*Member = Table[i].value;
                        return;
                    }
            }};
}

// A PointF member as "x,y"; (0, 0) is the default.
template <auto Member, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Point(const wchar_t* name) {
    return {name,
            [](Node& n, std::wstring_view key) {
                PointF& p = n.*Member;
                PlainNumber::GetPointF(n, key, p.X, p.Y, 0, 0);
            },
            [](const Node& n, std::wstring_view key, NodeExpectedAttributes& list) {
                list.AddPointF(key, (n.*Member).X, (n.*Member).Y, 0, 0);
            },
            [](Node& n, std::wstring_view key) {
                n.SetAttributePointF(key, (n.*Member).X, (n.*Member).Y, 0, 0);
            },
            [](Node& n) {
                n.*Member = PointF{1.25f, -2.5f};
            }};
}

// A board layer id written as its code ("TOP", "I01", ...); an id without a
// code (-1, none) is left out, a text of no code reads as -1.
template <auto Member, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Layer(const wchar_t* name) {
    return {name,
            [](Node& n, std::wstring_view key) {
                n.*Member = LayerFromCode(n.FindAttribute(key).value_or(std::wstring_view()));
            },
            [](const Node& n, std::wstring_view key, NodeExpectedAttributes& list) {
                list.AddString(key, LayerCode(n.*Member), L"");
            },
            [](Node& n, std::wstring_view key) {
                const std::wstring_view code = LayerCode(n.*Member);
                if (code.empty())
                    n.RemoveAttribute(key);
                else
                    n.SetAttribute(key, code);
            },
            [](Node& n) { n.*Member = kLayerInner1 + 2; }};
}

// Anything else: the class gives the text it writes (empty: none) and takes
// the text it reads (null: absent); Vary gives a value other than the
// default.
template <class Node, std::wstring_view (*Get)(const Node&),
          void (*Set)(Node&, const std::wstring_view*), void (*Vary)(Node&)>
constexpr NodeAttribute<Node> Custom(const wchar_t* name) {
    return {name,
            [](Node& n, std::wstring_view key) {
                const auto v = n.FindAttribute(key);
                Set(n, v ? &*v : nullptr);
            },
            [](const Node& n, std::wstring_view key, NodeExpectedAttributes& list) {
                list.AddString(key, Get(n), L"");
            },
            [](Node& n, std::wstring_view key) {
                const std::wstring_view text = Get(n);
                if (text.empty())
                    n.RemoveAttribute(key);
                else
                    n.SetAttribute(key, text);
            },
            Vary};
}

} // namespace Attr
