// What one step changed of a node's attributes and element text: the values
// before the step and the values it left, both whole, of which only those
// that differ count as the step's change. Putting the step back changes
// only those, so what other histories changed on the node stays.
#pragma once

#include "core/xml_attribute_map.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class CTreeNode;

class AttributeChange {
public:
    // Before the change: the node writes its fields into its attribute map,
    // which is copied with the text; the step changed nothing yet. leftOut
    // names an attribute that the record follows by other means (a sheet
    // object's sheet).
    explicit AttributeChange(CTreeNode* node, std::wstring_view leftOut = {});

    // The node's own history changed it since (the step itself, a drag
    // going on, a record of another kind): the values it holds now are the
    // ones the step left.
    void TakeCurrent(CTreeNode* node);
    // Another history changed the node since: what the step did not change
    // follows the node, so that it never counts as the step's change.
    void TakeOthers(CTreeNode* node);
    // True when the node holds what the step changed as the step left it.
    bool FindsAsLeft(CTreeNode* node) const;
    // Writes the values before the step back into the node's attribute map
    // and text for what the step changed, and returns the change that does
    // the opposite; the caller then lets the node read its attributes.
    // Whatever the node holds now counts as left by the step.
    AttributeChange PutBack(CTreeNode* node);
    // The step changed nothing.
    bool IsEmpty() const;
    // Whether the step changed an attribute for which counts is true.
    bool ChangedAny(const std::function<bool(std::wstring_view name)>& counts) const;
    // Where the attribute name holds from, before the step or as it left
    // it, it holds to instead: what it names took another name.
    void FollowRename(std::wstring_view name, std::wstring_view from, std::wstring_view to);

    // Each value the step left: an attribute by name (no value: the step
    // removed it) or, with a null name, the text.
    using LeftValueVisitor =
        std::function<void(const std::wstring* name, const std::optional<std::wstring>& value)>;
    void ForEachLeftValue(const LeftValueVisitor& visit) const;

private:
    AttributeChange() = default;
    // The node's attribute map as it stands, without the left-out name.
    XmlAttributeMap Current(CTreeNode* node) const;
    // Calls f(name) for each name that differs between before and left.
    template <class F> void ForEachChanged(const F& f) const;

    std::wstring m_leftOut;
    XmlAttributeMap m_before;
    XmlAttributeMap m_left;
    std::wstring m_textBefore;
    std::wstring m_textLeft;
};
