#include "schematic/sheet.h"

#include "core/default_settings.h"
#include "core/model_services.h"
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

using namespace std::literals;

CSheet::CSheet() : CTreeNode(NodeType::Sheet) {}

CSheet::CSheet(const wchar_t* name) : CTreeNode(NodeType::Sheet, name) {}

// The object set is rebuilt by the clone operation from the copied objects.
CSheet::CSheet(const CSheet& other)
    : CTreeNode(other), m_gridSize(other.m_gridSize), m_unit(other.m_unit),
      m_wireWidth(other.m_wireWidth), m_busWidth(other.m_busWidth),
      m_dotDiameter(other.m_dotDiameter), m_fontName(other.m_fontName) {}

CSheet::~CSheet() = default;

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
    constexpr double kLimit = 1e6;
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

} // namespace

void CSheet::ReadAttributes() {
    GetAttributeUInt(L"Unit"sv, m_unit, 1);
    if (m_unit >= 4)
        m_unit = static_cast<uint32_t>(g_DefaultSettings.unit);
    GetAttributeString(L"FontName"sv, m_fontName, L"");
    float w = 0, h = 0;
    GetAttributeSizeF(L"SheetSize"sv, w, h, g_DefaultSettings.sheetWidth,
                      g_DefaultSettings.sheetHeight);
    m_size = SIZE{HundredthsAtLeast(w, 1, g_DefaultSettings.sheetWidth),
                  HundredthsAtLeast(h, 1, g_DefaultSettings.sheetHeight)};
    float v = 0;
    GetAttributeFloat(L"GridSize"sv, v, g_DefaultSettings.gridWidth);
    m_gridSize = HundredthsAtLeast(v, 1, g_DefaultSettings.gridWidth);
    // A missing width reads as the current setting; the writer always
    // writes them, so a saved sheet keeps its widths whatever the settings.
    GetAttributeFloat(L"WireWidth"sv, v, g_DefaultSettings.wireWidth);
    m_wireWidth = static_cast<uint32_t>(HundredthsAtLeast(v, 0, g_DefaultSettings.wireWidth));
    GetAttributeFloat(L"BusWidth"sv, v, g_DefaultSettings.busWidth);
    m_busWidth = static_cast<uint32_t>(HundredthsAtLeast(v, 0, g_DefaultSettings.busWidth));
    GetAttributeFloat(L"DotDiam"sv, v, g_DefaultSettings.connCircle);
    m_dotDiameter = static_cast<uint32_t>(HundredthsAtLeast(v, 0, g_DefaultSettings.connCircle));
}

void CSheet::WriteAttributes() {
    SetAttributeUInt(L"Unit"sv, m_unit, 1);
    SetAttributeString(L"FontName"sv, m_fontName, L"");
    SetAttributeSizeF(L"SheetSize"sv, static_cast<float>(m_size.cx) / 100.0f,
                      static_cast<float>(m_size.cy) / 100.0f, 0, 0);
    SetAttributeFloat(L"GridSize"sv, static_cast<float>(m_gridSize) / 100.0f, 0);
    // Written even when equal to the current default, which may change.
    auto always = [this](std::wstring_view name, uint32_t value) {
        wchar_t buffer[kFloatTextSize];
        SetAttribute(name,
                     std::wstring_view(buffer, static_cast<std::size_t>(
                                                   FormatFloatRoundTripTo(
                                                       buffer, static_cast<float>(value) / 100.0f) -
                                                   buffer)));
    };
    always(L"WireWidth"sv, m_wireWidth);
    always(L"BusWidth"sv, m_busWidth);
    always(L"DotDiam"sv, m_dotDiameter);
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

// Sheet objects ---------------------------------------------------------------

void CSheetObject::WriteSheetName() {
    if (!m_pSheet || m_pSheet->GetName().empty())
        RemoveAttribute(L"SheetName"sv);
    else
        SetAttribute(L"SheetName"sv, m_pSheet->GetName());
}

void CSheetObject::ReadSheetName(const CTreeNode* holder) {
    const std::optional<std::wstring_view> name = FindAttribute(L"SheetName"sv);
    if (!name)
        return;
    if (CSheet* sheet = FindSheetByName(holder, *name))
        sheet->AddObject(this);
}
