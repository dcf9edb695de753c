#include "views/dxf_reader.h"

#include "core/text_file.h"

std::vector<const CDxfNode*> DxfDrawing::FindSections(const wchar_t* name) const {
    std::vector<const CDxfNode*> out;
    for (const auto& section : sections)
        if (section->Equals(name))
            out.push_back(section.get());
    return out;
}

bool ReadDxfDrawing(const std::wstring& path, DxfDrawing& drawing) {
    drawing.sections.clear();
    drawing.truncated = false;
    CTextFile file;
    file.SetCodePage(CTextFile::CodePageAnsi);
    file.SetByteOrderMark(true);
    if (!file.Open(path, CTextFile::GenericRead, CTextFile::FileShareRead, CTextFile::OpenExisting,
                   CTextFile::FileAttributeNormal))
        return false;
    NodeArena::Scope arena;
    CDxfLineReader reader(file);
    CDxfNode* section = nullptr; // the open section's node
    CDxfNode* group = nullptr;   // the node that takes the next values
    std::wstring codeLine, value;
    bool haveLine = reader.ReadLine(codeLine);
    while (haveLine) {
        int code = 0;
        if (!ParseDxfCode(codeLine, code) || !reader.ReadValueLine(value))
            break;
        std::unique_ptr<CDxfNode> item(MakeDxfNode(code, value));
        if (item && IsDxfPointCode(code)) {
            // The point reads the pairs of its other axes and further points
            // itself and hands back the first code line that is not its own.
            if (item->ReadContinuation(reader, codeLine))
                break;
            if (group)
                group->AddChild(item.release());
            continue;
        }
        if (!item) {
            // A code of no value class: the pair is skipped.
        } else if (code == 0 && (item->Equals(L"SECTION") || item->Equals(L"ENDSEC"))) {
            section = group = nullptr;
        } else if (!section) {
            section = group = item.get();
            drawing.sections.push_back(std::move(item));
        } else if (code == 0) {
            group = section->AddChild(item.release());
            group->ReserveChildren(16); // an entity has about as many values
        } else {
            group->AddChild(item.release());
        }
        haveLine = reader.ReadLine(codeLine);
    }
    drawing.truncated = reader.IsTruncated();
    return true;
}
