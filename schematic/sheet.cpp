#include "schematic/sheet.h"

#include "core/default_settings.h"
#include "core/model_services.h"
#include "core/node_attributes.h"
#include "core/node_type.h"
#include "core/undo_node_records.h"
#include "platform/text.h"
#include "schematic/bus.h"
#include "schematic/clone_map.h"
#include "schematic/net.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/sheet_object.h"
#include "schematic/wire.h"

#include <limits>

using namespace std::literals;

CSheet::CSheet() : CTreeNode(NodeType::Sheet) {}

CSheet::CSheet(const wchar_t* name) : CTreeNode(NodeType::Sheet, name) {}

// The object set is rebuilt by the clone operation from the copied objects.
CSheet::CSheet(const CSheet& other)
    : CTreeNode(other), m_gridSize(other.m_gridSize), m_unit(other.m_unit),
      m_wireWidth(other.m_wireWidth), m_busWidth(other.m_busWidth),
      m_dotDiameter(other.m_dotDiameter), m_fontName(other.m_fontName) {}

CSheet::~CSheet() {
    if (!m_links)
        return;
    auto name = std::make_shared<const std::wstring>(m_text);
    while (m_links)
        m_links->Lose(name);
}

void SheetLink::Attach(CSheet* sheet) {
    m_sheet = sheet;
    if (!sheet)
        return;
    m_prev = nullptr;
    m_next = sheet->m_links;
    if (m_next)
        m_next->m_prev = this;
    sheet->m_links = this;
}

void SheetLink::Detach() {
    if (!m_sheet)
        return;
    if (m_prev)
        m_prev->m_next = m_next;
    else
        m_sheet->m_links = m_next;
    if (m_next)
        m_next->m_prev = m_prev;
    m_sheet = nullptr;
    m_prev = m_next = nullptr;
}

void SheetLink::Lose(const std::shared_ptr<const std::wstring>& name) {
    Detach();
    m_lostName = name;
}

CSheetObject::~CSheetObject() {
    if (m_handle)
        *m_handle = nullptr;
}

CSheetObject::Handle CSheetObject::GetHandle() {
    if (!m_handle)
        m_handle = std::make_shared<CSheetObject*>(this);
    return m_handle;
}

CTreeNode* CSheet::Clone() const {
    CCloneScope scope;
    return scope.Record(this, new CSheet(*this));
}

const wchar_t* CSheet::GetTagName() const {
    return L"Sheet";
}

int32_t MmToHundredths(float mm) {
    // Limited to 10 m, where hundredths still survive the way through a float
    // of millimetres in the file; not-a-number reads as nothing.
    constexpr double kLimit = kMaxSheetHundredths;
    double v = static_cast<double>(mm) * 100.0;
    if (v != v)
        v = 0;
    v = std::clamp(v, -kLimit, kLimit);
    return static_cast<int32_t>(v > 0 ? v + 0.5 : v - 0.5);
}

namespace {

// A value below its least (only a damaged file holds one) reads as the
// current setting: a zero size or grid is what the writer leaves out, so it
// would not come back the same, and a width is never negative.
int32_t HundredthsAtLeast(float mm, int32_t least, float def) {
    const int32_t v = MmToHundredths(mm);
    return v >= least ? v : MmToHundredths(def);
}

// Compares unequal to every length: the attribute is always written.
constexpr float kNoDefault = std::numeric_limits<float>::quiet_NaN();

// A length member in hundredths of a millimetre, written in millimetres
// (left out when zero, unless always). A missing value, or one below least,
// reads as the current setting.
template <auto Member, float DefaultSettings::*Setting, int32_t Least, bool Always>
constexpr NodeAttribute<CSheet> Millimetres(const wchar_t* name) {
    using T = Attr::TypeOf<Member>;
    return {name,
            [](CSheet& s, const NodeAttribute<CSheet>& a) {
                float v = 0;
                const float setting = g_DefaultSettings.*Setting;
                s.GetAttributeFloat(a.name, v, setting);
                s.*Member = static_cast<T>(HundredthsAtLeast(v, Least, setting));
            },
            [](const CSheet& s, const NodeAttribute<CSheet>& a, NodeExpectedAttributes& list) {
                list.AddFloat(a.name, static_cast<float>(s.*Member) / 100.0f,
                              Always ? kNoDefault : 0);
            },
            [](CSheet& s, const NodeAttribute<CSheet>& a) {
                s.SetAttributeFloat(a.name, static_cast<float>(s.*Member) / 100.0f,
                                    Always ? kNoDefault : 0);
            },
            [](CSheet& s, const NodeAttribute<CSheet>&) { s.*Member = static_cast<T>(1234); }};
}

// The sheet's size as "width,height" in millimetres; read as Millimetres.
NodeAttribute<CSheet> constexpr SheetSize(const wchar_t* name) {
    return {name,
            [](CSheet& s, const NodeAttribute<CSheet>& a) {
                float w = 0, h = 0;
                const DefaultSettings& d = g_DefaultSettings;
                s.GetAttributeSizeF(a.name, w, h, d.sheetWidth, d.sheetHeight);
                s.m_size = SIZE{HundredthsAtLeast(w, 1, d.sheetWidth),
                                HundredthsAtLeast(h, 1, d.sheetHeight)};
            },
            [](const CSheet& s, const NodeAttribute<CSheet>& a, NodeExpectedAttributes& list) {
                list.AddPointF(a.name, static_cast<float>(s.m_size.cx) / 100.0f,
                               static_cast<float>(s.m_size.cy) / 100.0f, 0, 0);
            },
            [](CSheet& s, const NodeAttribute<CSheet>& a) {
                s.SetAttributeSizeF(a.name, static_cast<float>(s.m_size.cx) / 100.0f,
                                    static_cast<float>(s.m_size.cy) / 100.0f, 0, 0);
            },
            [](CSheet& s, const NodeAttribute<CSheet>&) {
                s.m_size = SIZE{59400, 42000};
            }};
}

// A zero size or grid is what the writer leaves out, so it reads as the
// setting; a width is always written, so a saved sheet keeps its widths
// whatever the settings.
constexpr NodeAttributes<CSheet, 7> kAttributes{{
    Attr::UInt<&CSheet::m_unit>(L"Unit", 1),
    Attr::Text<&CSheet::m_fontName>(L"FontName"),
    SheetSize(L"SheetSize"),
    Millimetres<&CSheet::m_gridSize, &DefaultSettings::gridWidth, 1, false>(L"GridSize"),
    Millimetres<&CSheet::m_wireWidth, &DefaultSettings::wireWidth, 0, true>(L"WireWidth"),
    Millimetres<&CSheet::m_busWidth, &DefaultSettings::busWidth, 0, true>(L"BusWidth"),
    Millimetres<&CSheet::m_dotDiameter, &DefaultSettings::connCircle, 0, true>(L"DotDiam"),
}};
const RegisterNodeAttributes kRegistered(L"Sheet", kAttributes);

} // namespace

void CSheet::ReadAttributes() {
    kAttributes.Read(*this);
    if (m_unit >= 4)
        m_unit = static_cast<uint32_t>(g_DefaultSettings.unit);
}

void CSheet::WriteAttributes() {
    kAttributes.Write(*this);
}

void CSheet::AddObject(CSheetObject* object) {
    // Objects mostly come in node order (a file being read): the hint makes
    // that insert take constant time.
    m_objects.insert(m_objects.end(), object);
    object->m_pSheet = this;
}

void CSheet::RemoveObject(CSheetObject* object) {
    m_objects.erase(object);
    object->m_pSheet = nullptr;
}

bool CSheet::HasObject(CSheetObject* object) const {
    return m_objects.count(object) != 0;
}

CBus* CSheet::FindBusAt(POINT p) const {
    for (CSheetObject* object : m_objects)
        if (object->GetType() == NodeType::Bus && static_cast<CBus*>(object)->ContainsPoint(p))
            return static_cast<CBus*>(object);
    return nullptr;
}

CWire* CSheet::FindWireAt(POINT p, const CNet* excluded) const {
    for (CSheetObject* object : m_objects) {
        if (object->GetType() != NodeType::Wire)
            continue;
        auto* wire = static_cast<CWire*>(object);
        if (excluded && wire->GetParent() == static_cast<const CTreeNode*>(excluded))
            continue;
        if (wire->ContainsPoint(p, true))
            return wire;
    }
    return nullptr;
}

void CSheet::CollectPinsAt(POINT p, std::vector<CPin*>& list, const CPin* skip) const {
    for (CSheetObject* object : m_objects) {
        if (object->GetType() != NodeType::Part)
            continue;
        for (CTreeNode* child : object->GetChildren()) {
            if (child->GetType() != NodeType::Pin || child == skip)
                continue;
            auto* pin = static_cast<CPin*>(child);
            const POINT c = pin->GetConnectionPoint();
            if (c.x == p.x && c.y == p.y)
                list.push_back(pin);
        }
    }
}

CPin* CSheet::FindPinAt(POINT p, const CPin* skip) const {
    std::vector<CPin*> pins;
    CollectPinsAt(p, pins, skip);
    return pins.empty() ? nullptr : pins.front();
}

namespace {

// Compared in line: every sheet object of a file being read looks up its
// sheet by name.
bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace

CSheet* FindSheetByName(const CTreeNode* holder, std::wstring_view name) {
    if (!holder || name.empty())
        return nullptr;
    for (CTreeNode* child : holder->GetChildren())
        if (child->GetType() == NodeType::Sheet && SameName(child->GetText(), name))
            return static_cast<CSheet*>(child);
    return nullptr;
}

CSheet* FindUnnamedSheet(const CTreeNode* holder) {
    if (!holder)
        return nullptr;
    for (CTreeNode* child : holder->GetChildren())
        if (child->GetType() == NodeType::Sheet && child->GetText().empty())
            return static_cast<CSheet*>(child);
    return nullptr;
}

std::wstring MakeUniqueSheetName(const CTreeNode* holder, const std::wstring& wanted,
                                 const CSheet* self) {
    const std::wstring base = wanted.empty() ? std::wstring(L"Sheet") : wanted;
    auto taken = [&](const std::wstring& name) {
        if (!holder)
            return false;
        for (CTreeNode* child : holder->GetChildren())
            if (child != self && child->GetType() == NodeType::Sheet && child->GetText() == name)
                return true;
        return false;
    };
    if (!taken(base))
        return base;
    for (int n = 2;; ++n) {
        std::wstring name = base + StrPrintf(L" %d", n);
        if (!taken(name))
            return name;
    }
}

CSheet* AddSheet(CTreeNode* holder, const std::wstring& wanted) {
    auto* sheet = new CSheet(MakeUniqueSheetName(holder, wanted).c_str());
    sheet->m_unit = static_cast<uint32_t>(g_DefaultSettings.unit);
    sheet->m_size = SIZE{MmToHundredths(g_DefaultSettings.sheetWidth),
                         MmToHundredths(g_DefaultSettings.sheetHeight)};
    sheet->m_gridSize = MmToHundredths(g_DefaultSettings.gridWidth);
    sheet->m_wireWidth = static_cast<uint32_t>(MmToHundredths(g_DefaultSettings.wireWidth));
    sheet->m_busWidth = static_cast<uint32_t>(MmToHundredths(g_DefaultSettings.busWidth));
    sheet->m_dotDiameter = static_cast<uint32_t>(MmToHundredths(g_DefaultSettings.connCircle));
    holder->AddChild(sheet);
    PushUndo(new CUndoInsert(sheet, nullptr));
    return sheet;
}

void RenameSheet(CSheet* sheet, const std::wstring& wanted) {
    const std::wstring name = MakeUniqueSheetName(sheet->GetParent(), wanted, sheet);
    if (name == sheet->GetName())
        return;
    PushUndo(new CUndoChangeNodeAttribute(sheet, nullptr));
    sheet->SetText(name);
}
