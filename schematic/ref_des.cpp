#include "schematic/ref_des.h"

#include "core/model_services.h"
#include "core/node_type.h"
#include "core/tree_node.h"
#include "core/undo_node_records.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/sheet.h"
#include "schematic/text.h"

#include <algorithm>
#include <cwctype>
#include <map>

CRefDes::CRefDes(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && std::iswalpha(static_cast<wint_t>(text[i])))
        ++i;
    m_prefix = text.substr(0, i);
    // As atoi reads it: blanks, a sign, digits; no digits give 0.
    const wchar_t* p = text.c_str() + i;
    while (*p == L' ' || (*p >= L'\t' && *p <= L'\r'))
        ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-')
        negative = *p++ == L'-';
    uint32_t value = 0;
    while (*p >= L'0' && *p <= L'9')
        value = value * 10u + static_cast<uint32_t>(*p++ - L'0');
    m_number = negative ? 0u - value : value;
}

std::wstring CRefDes::ToString() const {
    return m_prefix + StrPrintf(L"%u", m_number);
}

bool CRefDes::operator<(const CRefDes& other) const {
    if (m_prefix == other.m_prefix)
        return m_number < other.m_number;
    const std::size_t n = std::min(m_prefix.size(), other.m_prefix.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto a = static_cast<uint16_t>(m_prefix[i]);
        const auto b = static_cast<uint16_t>(other.m_prefix[i]);
        if (a != b)
            return a < b;
    }
    return m_prefix.size() < other.m_prefix.size();
}

std::vector<CPackage*> CollectPackages(CTreeNode* board, const std::vector<CPackage*>* extra) {
    std::vector<CPackage*> packages;
    if (board)
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Package &&
                !static_cast<CPackage*>(child)->GetPowerPin())
                packages.push_back(static_cast<CPackage*>(child));
    if (extra)
        for (CPackage* package : *extra)
            if (!package->GetPowerPin())
                packages.push_back(package);
    return packages;
}

bool AssignNextRefDes(CTreeNode* board, CPackage* package, const std::vector<CPackage*>* extra) {
    CText* text = package->FindText(L"RefDes");
    if (!text)
        return false;
    CRefDes mine(text->GetText());
    uint32_t highest = 0;
    for (CPackage* other : CollectPackages(board, extra)) {
        if (other == package)
            continue;
        if (CText* t = other->FindText(L"RefDes")) {
            CRefDes r(t->GetText());
            if (r.m_prefix == mine.m_prefix)
                highest = std::max(highest, r.m_number);
        }
    }
    mine.m_number = highest + 1;
    PushUndo(new CUndoChangeNodeAttribute(text, nullptr));
    text->SetText(mine.ToString());
    return true;
}

void RenumberRefDes(CTreeNode* board) {
    struct Entry {
        CRefDes refDes;
        std::size_t order;
        CText* text;
    };
    std::vector<Entry> entries;
    for (CPackage* package : CollectPackages(board, nullptr))
        if (CText* text = package->FindText(L"RefDes"))
            entries.push_back({CRefDes(text->GetText()), entries.size(), text});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.refDes < b.refDes; });
    std::map<std::wstring, uint32_t> next;
    for (Entry& e : entries) {
        const std::wstring name =
            CRefDes(e.refDes).m_prefix + StrPrintf(L"%u", ++next[e.refDes.m_prefix]);
        if (name == e.text->GetText())
            continue;
        PushUndo(new CUndoChangeNodeAttribute(e.text, nullptr));
        e.text->SetText(name);
    }
}

namespace {
std::wstring PlaceOf(CPackage* package) {
    CPart* part = package->GetPart(0);
    const std::wstring sheet = part && part->m_pSheet ? part->m_pSheet->GetName() : L"";
    const POINT p = part ? part->m_position : POINT{0, 0};
    return StrPrintf(LoadStringText(299).c_str(), sheet.c_str(), p.x, p.y);
}
} // namespace

int ReportDuplicateRefDes(CTreeNode* board) {
    std::map<CRefDes, CPackage*> seen;
    int duplicates = 0;
    for (CPackage* package : CollectPackages(board, nullptr)) {
        CText* text = package->FindText(L"RefDes");
        if (!text || text->GetText().empty())
            continue;
        CRefDes refDes(text->GetText());
        auto [it, added] = seen.emplace(refDes, package);
        if (added)
            continue;
        ++duplicates;
        ShowMessageBox(PlaceOf(it->second) + L"\n" + PlaceOf(package), LoadStringText(242),
                       MB_OK | MB_ICONERROR);
    }
    return duplicates;
}
