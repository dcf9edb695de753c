// The attributes of a node class, described once. Each entry names the
// attribute, the member it holds and its kind and default; reading, writing
// and the writer's "the element holds this already" check all follow from
// the list:
//
//     const NodeAttributes<CConductor, 2> kAttributes{{
//         Attr::Layer<&CConductor::m_layer>(L"Layer"),
//         Attr::Float<&CConductor::m_width>(L"Width", 0),
//     }};
//
// An attribute that belongs to one state of the node only (a slot drill has
// no diameter) is written while its condition holds and removed otherwise:
//
//     Attr::When(Attr::Float<&CDrill::m_diam>(L"Diam", 0.7f), HasDiameter, MakeCustom),
//
// Attr::Only instead reads and writes it only while the condition holds and
// otherwise leaves both the member and the element's text as they are.
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
#include "core/document_bounds.h"
#include "core/expected_attributes.h"
#include "core/plain_number.h"
#include "core/tree_node.h"
#include "core/xml_element.h"
#include "platform/types.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// The most attributes a described class has.
constexpr std::size_t kMaxNodeAttributes = 12;
using NodeExpectedAttributes = ExpectedAttributes<kMaxNodeAttributes>;

template <class Node> struct NodeAttribute {
    // Held with its length, measured once when the list is made.
    std::wstring_view name;
    // The member from the element (its default when the attribute is absent).
    void (*read)(Node& node, const NodeAttribute& a);
    // What the setter would write for the member, added to the list.
    void (*expect)(const Node& node, const NodeAttribute& a, NodeExpectedAttributes& list);
    // The member through its setter.
    void (*write)(Node& node, const NodeAttribute& a);
    // Gives the member a value other than its default (for tests).
    void (*vary)(Node& node, const NodeAttribute& a);
    // The default of a number, of whichever kind the member is.
    int intDefault = 0;
    float floatDefault = 0;
    std::wstring_view textDefault = L"";
    // When set, the attribute is written only while this holds.
    bool (*when)(const Node& node) = nullptr;
    // Makes `when` hold (for tests).
    void (*enable)(Node& node) = nullptr;
    // While `when` fails: false removes the attribute, true leaves it and
    // the member alone (and it is not read either).
    bool keepOtherwise = false;

    bool Off(const Node& node) const { return when && !when(node); }
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
            if (!a.keepOtherwise || !a.Off(node))
                a.read(node, a);
    }

    void Write(Node& node) const {
        NodeExpectedAttributes expected;
        for (std::size_t i : m_sorted) {
            const NodeAttribute<Node>& a = m_entries[i];
            if (!a.Off(node))
                a.expect(node, a, expected);
            else if (a.keepOtherwise)
                if (const auto kept = node.FindAttribute(a.name))
                    expected.Add(a.name, *kept);
        }
        if (expected.Matches(node.GetAttributes()))
            return;
        for (const NodeAttribute<Node>& a : m_entries) {
            if (!a.Off(node))
                a.write(node, a);
            else if (!a.keepOtherwise)
                node.RemoveAttribute(a.name);
        }
    }

    // Gives every member a value other than its default, then makes the
    // condition of the entry focus hold, so that it is written too.
    void Vary(Node& node, std::size_t focus) const {
        for (const NodeAttribute<Node>& a : m_entries)
            a.vary(node, a);
        if (focus < N && m_entries[focus].enable)
            m_entries[focus].enable(node);
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
// and how to give them values other than their defaults (with the
// condition of names[focus] holding).
struct DescribedNodeClass {
    const wchar_t* tag;
    std::vector<std::wstring> names;
    std::function<void(CTreeNode& node, std::size_t focus)> vary;
};

// Every class that registered its list.
std::vector<DescribedNodeClass>& DescribedNodeClasses();

// Registers the list of Node, whose elements carry tag; made at start-up
// by a static object beside the list.
template <class Node, std::size_t N> struct RegisterNodeAttributes {
    RegisterNodeAttributes(const wchar_t* tag, const NodeAttributes<Node, N>& list) {
        DescribedNodeClasses().push_back(
            {tag, list.Names(), [&list](CTreeNode& node, std::size_t focus) {
                 list.Vary(static_cast<Node&>(node), focus);
             }});
    }
};

namespace Attr {

template <class T> struct MemberOf;
template <class C, class M> struct MemberOf<M C::*> {
    using Class = C;
    using Type = M;
};
template <auto Member> using ClassOf = typename MemberOf<decltype(Member)>::Class;

template <auto Member> using TypeOf = typename MemberOf<decltype(Member)>::Type;

// An integer member read and written as an int in decimal.
template <auto Member, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Int(const wchar_t* name, int def) {
    using T = TypeOf<Member>;
    return {
        name,
        [](Node& n, const NodeAttribute<Node>& a) {
            int v = a.intDefault;
            n.GetAttributeInt(a.name, v, a.intDefault);
            n.*Member = static_cast<T>(v);
        },
        [](const Node& n, const NodeAttribute<Node>& a, NodeExpectedAttributes& list) {
            list.AddInt(a.name, static_cast<int>(n.*Member), a.intDefault);
        },
        [](Node& n, const NodeAttribute<Node>& a) {
            n.SetAttributeInt(a.name, static_cast<int>(n.*Member), a.intDefault);
        },
        [](Node& n, const NodeAttribute<Node>& a) { n.*Member = static_cast<T>(a.intDefault + 7); },
        def};
}

// uint32_t, written in decimal.
template <auto Member, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> UInt(const wchar_t* name, uint32_t def) {
    return {name,
            [](Node& n, const NodeAttribute<Node>& a) {
                n.GetAttributeUInt(a.name, n.*Member, static_cast<uint32_t>(a.intDefault));
            },
            [](const Node& n, const NodeAttribute<Node>& a, NodeExpectedAttributes& list) {
                list.AddInt(a.name, n.*Member, static_cast<uint32_t>(a.intDefault));
            },
            [](Node& n, const NodeAttribute<Node>& a) {
                n.SetAttributeUInt(a.name, n.*Member, static_cast<uint32_t>(a.intDefault));
            },
            // Small enough for a unit or a count.
            [](Node& n, const NodeAttribute<Node>& a) {
                n.*Member = static_cast<uint32_t>(a.intDefault) + 1;
            },
            static_cast<int>(def)};
}

// bool, written as "1" or left out ("0" when its default is true).
template <auto Member, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Bool(const wchar_t* name, bool def) {
    return {name,
            [](Node& n, const NodeAttribute<Node>& a) {
                bool v = a.intDefault != 0;
                n.GetAttributeBool(a.name, v, a.intDefault != 0);
                n.*Member = v;
            },
            [](const Node& n, const NodeAttribute<Node>& a, NodeExpectedAttributes& list) {
                list.AddBool(a.name, n.*Member, a.intDefault != 0);
            },
            [](Node& n, const NodeAttribute<Node>& a) {
                n.SetAttributeBool(a.name, n.*Member ? 1 : 0, a.intDefault != 0 ? 1 : 0);
            },
            [](Node& n, const NodeAttribute<Node>& a) { n.*Member = a.intDefault == 0; },
            def ? 1 : 0};
}

// float, written with the shortest text that reads back to it.
template <auto Member, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Float(const wchar_t* name, float def) {
    return {name,
            [](Node& n, const NodeAttribute<Node>& a) {
                float v = a.floatDefault;
                n.GetAttributeFloat(a.name, v, a.floatDefault);
                n.*Member = v;
            },
            [](const Node& n, const NodeAttribute<Node>& a, NodeExpectedAttributes& list) {
                list.AddFloat(a.name, n.*Member, a.floatDefault);
            },
            [](Node& n, const NodeAttribute<Node>& a) {
                n.SetAttributeFloat(a.name, n.*Member, a.floatDefault);
            },
            [](Node& n, const NodeAttribute<Node>& a) { n.*Member = a.floatDefault + 0.375f; },
            0,
            def};
}

// std::wstring, as it stands.
template <auto Member, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Text(const wchar_t* name, const wchar_t* def = L"") {
    NodeAttribute<Node> entry{
        name,
        [](Node& n, const NodeAttribute<Node>& a) {
            const auto v = n.FindAttribute(a.name);
            (n.*Member).assign(v ? *v : a.textDefault);
        },
        [](const Node& n, const NodeAttribute<Node>& a, NodeExpectedAttributes& list) {
            list.AddString(a.name, n.*Member, a.textDefault);
        },
        [](Node& n, const NodeAttribute<Node>& a) {
            if (n.*Member == a.textDefault)
                n.RemoveAttribute(a.name);
            else
                n.SetAttribute(a.name, n.*Member);
        },
        [](Node& n, const NodeAttribute<Node>&) { n.*Member = L"a b&<\"x\u00e9"; }};
    entry.textDefault = def;
    return entry;
}

// An int named by the rows of a table; a value of no row is left out, a name
// of no row reads as the default.
template <auto Member, const XmlEnumRow* Table, int Rows, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Enum(const wchar_t* name, int def) {
    return {name,
            [](Node& n, const NodeAttribute<Node>& a) {
                int v = a.intDefault;
                n.GetAttributeEnum(a.name, v, a.intDefault, Table, Rows);
                n.*Member = v;
            },
            [](const Node& n, const NodeAttribute<Node>& a, NodeExpectedAttributes& list) {
                list.AddEnum(a.name, n.*Member, a.intDefault, Table, Rows);
            },
            [](Node& n, const NodeAttribute<Node>& a) {
                n.SetAttributeEnum(a.name, n.*Member, a.intDefault, Table, Rows);
            },
            [](Node& n, const NodeAttribute<Node>& a) {
                for (int i = 0; i < Rows; ++i)
                    if (Table[i].value != a.intDefault && Table[i].name && *Table[i].name) {
                        n.*Member = Table[i].value;
                        return;
                    }
            },
            def};
}

// A PointF member as "x,y"; (0, 0) is the default.
template <auto Member, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Point(const wchar_t* name) {
    return {name,
            [](Node& n, const NodeAttribute<Node>& a) {
                PointF& p = n.*Member;
                PlainNumber::GetPointF(n, a.name, p.X, p.Y, 0, 0);
            },
            [](const Node& n, const NodeAttribute<Node>& a, NodeExpectedAttributes& list) {
                list.AddPointF(a.name, (n.*Member).X, (n.*Member).Y, 0, 0);
            },
            [](Node& n, const NodeAttribute<Node>& a) {
                n.SetAttributePointF(a.name, (n.*Member).X, (n.*Member).Y, 0, 0);
            },
            [](Node& n, const NodeAttribute<Node>&) {
                n.*Member = PointF{1.25f, -2.5f};
            }};
}

// Two float members as "x,y" (a grid, a size); (0, 0) is the default.
template <auto X, auto Y, class Node = ClassOf<X>>
constexpr NodeAttribute<Node> FloatPair(const wchar_t* name) {
    return {name,
            [](Node& n, const NodeAttribute<Node>& a) {
                PlainNumber::GetPointF(n, a.name, n.*X, n.*Y, 0, 0);
            },
            [](const Node& n, const NodeAttribute<Node>& a, NodeExpectedAttributes& list) {
                list.AddPointF(a.name, n.*X, n.*Y, 0, 0);
            },
            [](Node& n, const NodeAttribute<Node>& a) {
                n.SetAttributePointF(a.name, n.*X, n.*Y, 0, 0);
            },
            [](Node& n, const NodeAttribute<Node>&) {
                n.*X = 0.75f;
                n.*Y = -1.5f;
            }};
}

// A POINT or SIZE member as "x,y" in integers; (0, 0) is the default.
template <auto Member, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> IntPair(const wchar_t* name) {
    using T = TypeOf<Member>;
    static_assert(std::is_same_v<T, POINT> || std::is_same_v<T, SIZE>);
    return {name,
            [](Node& n, const NodeAttribute<Node>& a) {
                int x = 0, y = 0;
                PlainNumber::GetPoint(n, a.name, x, y, 0, 0);
                n.*Member = T{x, y};
            },
            [](const Node& n, const NodeAttribute<Node>& a, NodeExpectedAttributes& list) {
                const auto [x, y] = n.*Member;
                list.AddPoint(a.name, x, y, 0, 0);
            },
            [](Node& n, const NodeAttribute<Node>& a) {
                const auto [x, y] = n.*Member;
                n.SetAttributePoint(a.name, x, y, 0, 0);
            },
            [](Node& n, const NodeAttribute<Node>&) {
                n.*Member = T{3, -4};
            }};
}

// A board layer id written as its code ("TOP", "I01", ...); an id without a
// code (-1, none) is left out, a text of no code reads as -1.
template <auto Member, class Node = ClassOf<Member>>
constexpr NodeAttribute<Node> Layer(const wchar_t* name) {
    return {name,
            [](Node& n, const NodeAttribute<Node>& a) {
                n.*Member = LayerFromCode(n.FindAttribute(a.name).value_or(std::wstring_view()));
            },
            [](const Node& n, const NodeAttribute<Node>& a, NodeExpectedAttributes& list) {
                list.AddString(a.name, LayerCode(n.*Member), L"");
            },
            [](Node& n, const NodeAttribute<Node>& a) {
                const std::wstring_view code = LayerCode(n.*Member);
                if (code.empty())
                    n.RemoveAttribute(a.name);
                else
                    n.SetAttribute(a.name, code);
            },
            [](Node& n, const NodeAttribute<Node>&) { n.*Member = kLayerInner1 + 2; }};
}

// Anything else: the class gives the text it writes (empty: none) and takes
// the text it reads (null: absent); Vary gives a value other than the
// default. The text Get returns must stay put until the next Get of the
// same entry (the writer compares it after asking every entry).
template <class Node, std::wstring_view (*Get)(const Node&),
          void (*Set)(Node&, const std::wstring_view*), void (*Vary)(Node&)>
constexpr NodeAttribute<Node> Custom(const wchar_t* name) {
    return {name,
            [](Node& n, const NodeAttribute<Node>& a) {
                const auto v = n.FindAttribute(a.name);
                Set(n, v ? &*v : nullptr);
            },
            [](const Node& n, const NodeAttribute<Node>& a, NodeExpectedAttributes& list) {
                list.AddString(a.name, Get(n), L"");
            },
            [](Node& n, const NodeAttribute<Node>& a) {
                const std::wstring_view text = Get(n);
                if (text.empty())
                    n.RemoveAttribute(a.name);
                else
                    n.SetAttribute(a.name, text);
            },
            [](Node& n, const NodeAttribute<Node>&) { Vary(n); }};
}

// entry, written only while when(node) holds and removed otherwise; enable
// makes it hold (for tests). Read as entry reads it.
template <class Node>
constexpr NodeAttribute<Node> When(NodeAttribute<Node> entry, bool (*when)(const Node&),
                                   void (*enable)(Node&)) {
    entry.when = when;
    entry.enable = enable;
    return entry;
}

// entry, read and written only while when(node) holds; otherwise the member
// and the element's text stay as they are.
template <class Node>
constexpr NodeAttribute<Node> Only(NodeAttribute<Node> entry, bool (*when)(const Node&),
                                   void (*enable)(Node&)) {
    entry = When(entry, when, enable);
    entry.keepOtherwise = true;
    return entry;
}

} // namespace Attr
