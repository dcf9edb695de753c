#include "dialogs/footprint_generator.h"

#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_shapes.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/length_unit.h"
#include "dialogs/bga.h"
#include "dialogs/board_class_settings.h"
#include "dialogs/dip.h"
#include "dialogs/package_picture.h"
#include "dialogs/qfp.h"
#include "dialogs/soic.h"
#include "platform/combo_box_control.h"
#include "platform/settings_store.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace {
// Posted when a field has been left: wParam is the field's id.
constexpr UINT kFieldLeftMessage = WM_USER + 0x121;
} // namespace

CFootprintGenerator::CFootprintGenerator(DialogTemplate tmpl, PackageKind kind, int unit)
    : PlatformDialog(std::move(tmpl)), m_unit(IsLengthUnit(unit) ? unit : kUnitMm), m_kind(kind) {}

CFootprintGenerator::~CFootprintGenerator() {
    DestroyWindow();
}

std::unique_ptr<CFootprint> CFootprintGenerator::TakeFootprint() {
    return std::move(m_footprint);
}

std::unique_ptr<PlatformWindow> CFootprintGenerator::MakeControl(const DialogItem& item) {
    if (item.id == kPicture)
        return std::make_unique<CPackagePicture>(m_kind);
    return nullptr;
}

std::optional<CFootprintGenerator::Field> CFootprintGenerator::FindField(int id) {
    for (const Field& f : Fields())
        if (f.id == id)
            return f;
    return std::nullopt;
}

bool CFootprintGenerator::ReadField(int id) {
    const std::optional<Field> f = FindField(id);
    if (!f)
        return false;
    if (f->count) {
        bool ok = false;
        const auto value = static_cast<uint32_t>(GetDlgItemInt(id, &ok, false));
        if (!ok || value > f->maxCount) {
            // The field shows the count it keeps, as a length field does.
            SetDlgItemInt(id, static_cast<int>(*f->count), false);
            OnDataExchangeError(id, true);
            return false;
        }
        *f->count = value;
        return true;
    }
    return DDX_Length(id, *f->length, true, false, 0.0f, 0.0f, m_unit) != 0;
}

void CFootprintGenerator::ShowField(int id) {
    const std::optional<Field> f = FindField(id);
    if (!f)
        return;
    if (f->count)
        SetDlgItemInt(id, static_cast<int>(*f->count), false);
    else
        DDX_Length(id, *f->length, false, false, 0.0f, 0.0f, m_unit);
}

void CFootprintGenerator::ShowFields() {
    for (const Field& f : Fields())
        ShowField(f.id);
}

void CFootprintGenerator::ShowCheckMessage(unsigned stringId) {
    ShowMessageBox(LoadStringText(stringId), LoadStringText(128), MB_OK | MB_ICONERROR);
}

void CFootprintGenerator::OnInitDialog() {
    CenterWindow();
    if (auto* combo = GetDlgItemAs<ComboBoxControl>(kUnit)) {
        for (unsigned id = 170; id <= 173; ++id)
            combo->AddString(LoadStringText(id));
        combo->SetCurSel(m_unit);
    }
    ShowFields();
    ShowExtras();
}

void CFootprintGenerator::OnOk() {
    m_pendingField = 0;
    for (const Field& f : Fields())
        if (!ReadField(f.id))
            return;
    ReadExtras();
    if (!ChecksPass())
        return;
    m_footprint = Build();
    EndDialog(IDOK);
}

bool CFootprintGenerator::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                               LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        OnInitDialog();
        result = 1;
        return true;
    }
    if (msg == kFieldLeftMessage) {
        const int id = static_cast<int>(wParam);
        if (!IsEnded() && id == m_pendingField && !m_checking) {
            m_pendingField = 0;
            m_checking = true;
            auto life = LifeToken();
            FieldLeft(id);
            if (*life)
                m_checking = false;
        }
        result = 0;
        return true;
    }
    if (msg != WM_COMMAND)
        return false;
    (void)lParam;
    const int id = static_cast<int>(LOWORD(wParam));
    const int code = static_cast<int>(HIWORD(wParam));
    result = 0;
    if (id == kUnit && code == CBN_SELCHANGE) {
        // The millimetres held are shown again in the new unit; what the
        // fields hold is not read first.
        const int unit = GetDlgItemAs<ComboBoxControl>(kUnit)->GetCurSel();
        if (IsLengthUnit(unit))
            m_unit = unit;
        ShowFields();
        return true;
    }
    if (code == EN_KILLFOCUS && FindField(id)) {
        if (!m_checking && !IsEnded()) {
            m_pendingField = id;
            PostMessage(kFieldLeftMessage, static_cast<WPARAM>(id));
        }
        return true;
    }
    if (code == BN_CLICKED && id == IDOK) {
        OnOk();
        return true;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        m_pendingField = 0;
        EndDialog(IDCANCEL);
        return true;
    }
    return OnExtraCommand(id, code);
}

std::unique_ptr<CFootprint> RunFootprintGenerator(PackageKind kind, PlatformWindow* owner) {
    int stored = -1;
    {
        SettingsKey key;
        uint32_t unit = 0;
        if (key.Open(BoardClassSettings::kKeyPath) &&
            key.QueryNumber(L"Unit", &unit) == SettingsResult::Ok &&
            IsLengthUnit(static_cast<int>(unit)))
            stored = static_cast<int>(unit);
    }
    std::unique_ptr<CFootprintGenerator> dialog;
    switch (kind) {
    case PackageKind::Soic:
        dialog = std::make_unique<CSOIC>(stored >= 0 ? stored : kUnitMil);
        break;
    case PackageKind::Qfp:
        dialog = std::make_unique<CQFP>(stored >= 0 ? stored : kUnitMm);
        break;
    case PackageKind::Bga:
        dialog = std::make_unique<CBGA>(stored >= 0 ? stored : kUnitMm);
        break;
    case PackageKind::Dip:
        dialog = std::make_unique<CDIP>(stored >= 0 ? stored : kUnitMil);
        break;
    }
    if (dialog->DoModal(owner) != IDOK)
        return nullptr;
    return dialog->TakeFootprint();
}

// ---- pieces of the builders ------------------------------------------------

namespace FootprintParts {

double D(float v) {
    // The shortest decimal text that reads back as the float, read as a double.
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, v);
    double d = v;
    if (written.ec == std::errc())
        std::from_chars(text, written.ptr, d);
    return d;
}

CPadstack* AddPadstack(CFootprint* footprint) {
    return static_cast<CPadstack*>(footprint->AddChild(new CPadstack()));
}

CPadLayer* AddPadLayer(CPadstack* padstack, int layer, int shape, double width, double height) {
    auto* pl = new CPadLayer(layer);
    pl->m_shape = shape;
    pl->m_width = F(width);
    pl->m_height = F(height);
    padstack->AddChild(pl);
    return pl;
}

void AddPad(CPadstack* padstack, const std::wstring& number, double x, double y) {
    auto* pad = new CPad();
    pad->m_num = number;
    pad->m_boardPosition = PointF{F(x), F(y)};
    padstack->AddChild(pad);
}

CMarking* AddMarking(CFootprint* footprint, int layer) {
    return static_cast<CMarking*>(footprint->AddChild(new CMarking(layer)));
}

void AddLine(CMarking* marking, double x1, double y1, double x2, double y2) {
    auto* line = new CMarkingLine(marking);
    line->m_p1 = PointF{F(x1), F(y1)};
    line->m_p2 = PointF{F(x2), F(y2)};
    marking->m_primitives.push_back(line);
}

void AddRect(CMarking* marking, double x1, double y1, double x2, double y2) {
    auto* rect = new CMarkingRect(marking);
    rect->m_p1 = PointF{F(x1), F(y1)};
    rect->m_p2 = PointF{F(x2), F(y2)};
    marking->m_primitives.push_back(rect);
}

void AddPolyline(CMarking* marking, const std::vector<std::pair<double, double>>& points) {
    auto* poly = new CMarkingPolygon(marking);
    poly->m_closed = false;
    poly->m_filled = false;
    for (const auto& [x, y] : points)
        poly->m_vertices.push_back(PointF{F(x), F(y)});
    marking->m_primitives.push_back(poly);
}

void AddDot(CMarking* marking, double x1, double y1, double x2, double y2) {
    auto* dot = new CMarkingCircle(marking);
    dot->m_p1 = PointF{F(x1), F(y1)};
    dot->m_p2 = PointF{F(x2), F(y2)};
    dot->m_filled = true;
    marking->m_primitives.push_back(dot);
}

double RowGrid(uint32_t n, double e) {
    return n % 2 ? e : e / 2;
}

void AddTwoRowPads(CPadstack* padstack, CMarking* silkscreen, uint32_t n, double e, double c,
                   double tickFrom, double tickLength) {
    const uint32_t h = n / 2;
    const double x0 = (static_cast<double>(h) - 1) * e / 2;
    for (uint32_t i = 1; i <= n; ++i) {
        const bool first = i <= h;
        const double x = first ? (i - 1) * e - x0 : x0 - (i - 1 - h) * e;
        AddPad(padstack, std::to_wstring(i), x, first ? -c / 2 : c / 2);
        if (i % 10 == 0) {
            const double y = first ? -(c / 2 + tickFrom) : c / 2 + tickFrom;
            AddLine(silkscreen, x, y, x, first ? y - tickLength : y + tickLength);
        }
    }
}

void AddNotchedSide(CMarking* silkscreen, uint32_t n, double e, double c, double l) {
    const double x = -(static_cast<double>(n) + 2) * e / 4;
    AddPolyline(silkscreen, {{x, -c / 2 - l / 2},
                             {x, l / 2 - c / 2},
                             {x - e / 2, l / 2 - c / 2},
                             {x - e / 2, c / 2 - l / 2},
                             {x, c / 2 - l / 2},
                             {x, c / 2 + l / 2}});
}

} // namespace FootprintParts
