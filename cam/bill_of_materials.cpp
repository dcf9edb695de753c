#include "cam/bill_of_materials.h"

#include "board/board.h"
#include "cam/layer_select.h"
#include "cam/output_file.h"
#include "core/root.h"
#include "core/text_file.h"
#include "platform/file.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/ref_des.h"
#include "schematic/sheet.h"
#include "schematic/text.h"

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace {
constexpr unsigned kNoComponents = 240;
constexpr unsigned kNoRefDes = 241;
constexpr unsigned kDuplicateRefDes = 242;
constexpr unsigned kRootNotFound = 243;
constexpr unsigned kSheetAt = 299;
constexpr unsigned kFileSaveError = 301;

// Shown for the sheet of a package that has no part, or whose part lies on
// no sheet.
constexpr const wchar_t* kNoSheet = L"?";

struct BomRow {
    CPackage* package = nullptr;
    const CText* fields[4] = {nullptr, nullptr, nullptr, nullptr};
};

using BomMap = std::map<CRefDes, BomRow>;

constexpr const wchar_t* kFieldNames[4] = {L"PartNum", L"Value", L"Tolerance", L"Description"};

// The sheet and position of the package's first part.
void FirstPartPlace(const CPackage* package, std::wstring& sheet, POINT& at) {
    const CPart* part = package->GetPart(0);
    sheet = part && part->m_pSheet ? part->m_pSheet->GetName() : std::wstring(kNoSheet);
    at = part ? part->m_position : POINT{0, 0};
}

std::wstring SheetAt(const CPackage* package) {
    std::wstring sheet;
    POINT at{};
    FirstPartPlace(package, sheet, at);
    return StrPrintf(LoadStringText(kSheetAt).c_str(), sheet.c_str(), at.x, at.y);
}

// False when a package was reported and left out.
bool Collect(CBoard* board, BomMap& rows) {
    bool complete = true;
    for (CTreeNode* child : board->GetChildren()) {
        if (child->GetType() != NodeType::Package)
            continue;
        auto* package = static_cast<CPackage*>(child);
        if (package->GetPowerPin())
            continue;
        CText* text = package->FindText(L"RefDes");
        CRefDes refDes = text ? CRefDes(text->GetText()) : CRefDes();
        if (!text || text->GetText().empty() || refDes.m_number == 0) {
            std::wstring sheet;
            POINT at{};
            FirstPartPlace(package, sheet, at);
            ShowMessageBox(StrPrintf(LoadStringText(kNoRefDes).c_str(), at.x, at.y, sheet.c_str()),
                           L"Vorpel", MB_OK | MB_ICONERROR);
            complete = false;
            continue;
        }
        auto found = rows.find(refDes);
        if (found != rows.end()) {
            ShowMessageBox(SheetAt(found->second.package) + L"\n" + SheetAt(package),
                           LoadStringText(kDuplicateRefDes), MB_OK | MB_ICONERROR);
            complete = false;
            continue;
        }
        BomRow row;
        row.package = package;
        for (int i = 0; i < 4; ++i)
            row.fields[i] = package->FindText(kFieldNames[i]);
        rows.emplace(refDes, row);
    }
    return complete;
}

// A field as it stands, or in double quotes (inner quotes doubled) when it
// holds a separator, a quote or a line break that would shift the columns.
std::wstring CsvField(const std::wstring& text) {
    if (text.find_first_of(L";\"\r\n") == std::wstring::npos)
        return text;
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        if (c == L'"')
            quoted += L'"';
        quoted += c;
    }
    return quoted + L"\"";
}

// Inside quotes already: only the quotes need doubling.
std::wstring QuoteInner(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'"')
            out += L'"';
        out += c;
    }
    return out;
}

// Closes a run of consecutive designators: three or more as "first-last", two
// as "first,second", one as it stands.
void AppendRefDesRun(std::wstring& line, std::vector<BomMap::iterator>& run) {
    if (run.size() >= 3)
        line += L"-" + run.back()->first.ToString();
    else if (run.size() == 2)
        line += L"," + run.back()->first.ToString();
    run.clear();
}

// The fields as a key: a missing field differs from an empty one.
using FieldKey = std::array<std::optional<std::wstring>, 4>;

FieldKey KeyOf(const BomRow& row) {
    FieldKey key;
    for (int i = 0; i < 4; ++i)
        if (row.fields[i])
            key[static_cast<std::size_t>(i)] = row.fields[i]->GetText();
    return key;
}

// One line per prefix and set of fields, in the order of the lines' first
// designators. The rows are put into their lines in one pass: a board may
// hold a hundred thousand designators of one prefix.
std::vector<std::wstring> GroupLines(BomMap& rows) {
    std::vector<std::vector<BomMap::iterator>> groups;
    std::map<FieldKey, std::size_t> groupOf; // of the current prefix
    const std::wstring* prefix = nullptr;
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        if (!prefix || *prefix != it->first.m_prefix) {
            prefix = &it->first.m_prefix;
            groupOf.clear();
        }
        auto [found, added] = groupOf.try_emplace(KeyOf(it->second), groups.size());
        if (added)
            groups.emplace_back();
        groups[found->second].push_back(it);
    }
    std::vector<std::wstring> lines;
    for (const std::vector<BomMap::iterator>& group : groups) {
        const auto first = group.front();
        std::wstring line = first->first.ToString();
        std::vector<BomMap::iterator> run{first};
        for (std::size_t k = 1; k < group.size(); ++k) {
            const auto other = group[k];
            if (other->first.m_number != run.back()->first.m_number + 1) {
                AppendRefDesRun(line, run);
                line += L"," + other->first.ToString();
            }
            run.push_back(other);
        }
        AppendRefDesRun(line, run);
        for (const CText* field : first->second.fields)
            line += L";" + CsvField(field ? field->GetText() : std::wstring());
        line += L";" + std::to_wstring(group.size());
        lines.push_back(line);
    }
    return lines;
}

const CRoot* FindProject(const CTreeNode* node) {
    for (const CTreeNode* n = node ? node->GetParent() : nullptr; n; n = n->GetParent()) {
        auto* root = dynamic_cast<const CRoot*>(n);
        if (root && (root->GetType() == NodeType::Project || root->GetRootTag() == L"Project"))
            return root;
    }
    return nullptr;
}

// The project's file name without its extension; empty without a saved project.
std::wstring ProjectName(const CBoard* board) {
    const CRoot* project = FindProject(board);
    if (!project || project->GetFilePath().empty())
        return std::wstring();
    std::wstring name = PathFileName(project->GetFilePath());
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.erase(dot);
    return name;
}

bool WriteFile(CBoard* board, const std::wstring& prefix, BomMap& rows) {
    const std::wstring fileName = prefix + L"." + BoardFileNamePart(board) + L".bom.csv";
    COutputFile output(fileName);
    if (!output.Open(CTextFile::CodePageUtf8, true)) {
        ShowMessageBox(LoadStringText(kFileSaveError) + fileName + L"'", L"Vorpel",
                       MB_OK | MB_ICONERROR);
        return false;
    }
    CTextFile& file = output.File();
    file.WriteString(L"Bill of materials");
    // A heading line: a line end in a name would break it in two.
    file.WriteString(L"Project: \"" + QuoteInner(WithoutControlCharacters(ProjectName(board))) +
                     L"\", Board: \"" + QuoteInner(WithoutControlCharacters(board->GetText())) +
                     L"\"");
    file.WriteString(L"");
    file.WriteString(L"RefDes;PartNum;Value;Tolerance;Description;Quantity");
    for (const std::wstring& line : GroupLines(rows))
        file.WriteString(line);
    if (!output.Finish()) {
        ShowMessageBox(LoadStringText(kFileSaveError) + fileName + L"'", L"Vorpel",
                       MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

// Collects; false (after "No components found") when nothing is listed.
// *complete tells whether every package is listed (none was left out).
bool CollectRows(CBoard* board, BomMap& rows, bool* complete) {
    *complete = !board || Collect(board, rows);
    if (rows.empty()) {
        ShowMessageBox(LoadStringText(kNoComponents), L"Vorpel", MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}
} // namespace

std::wstring BillOfMaterialsPath(const CBoard* board, bool* noProject) {
    return CLayerSelect::DefaultPrefix(board, noProject);
}

bool ExportBillOfMaterials(CBoard* board, const std::wstring& prefix) {
    BomMap rows;
    bool complete = true;
    if (!CollectRows(board, rows, &complete))
        return false;
    return WriteFile(board, prefix, rows) && complete;
}

bool ExportBillOfMaterials(CBoard* board) {
    BomMap rows;
    bool complete = true;
    if (!CollectRows(board, rows, &complete))
        return false;
    bool noProject = false;
    const std::wstring prefix = BillOfMaterialsPath(board, &noProject);
    if (noProject)
        ShowMessageBox(LoadStringText(kRootNotFound), L"Vorpel", MB_OK | MB_ICONWARNING);
    return WriteFile(board, prefix, rows) && complete;
}
