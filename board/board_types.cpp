#include "board/board_types.h"

#include "core/document_bounds.h"
#include "platform/text.h"

const XmlEnumRow kPadLayerRows[14] = {
    {0, L"TOP"},  {1, L"BOT"},  {2, L"INR"},  {3, L"PLN"},  {22, L"SST"},
    {23, L"SSB"}, {26, L"SMT"}, {27, L"SMB"}, {28, L"SPT"}, {29, L"SPB"},
    {24, L"AST"}, {25, L"ASB"}, {30, L"OLT"}, {31, L"OLB"},
};
const XmlEnumRow kLayerTypeRows[5] = {
    {0, L""}, {1, L"ROUTING"}, {2, L"PLANE"}, {3, L"JUMPER"}, {4, L"DOC"},
};
const XmlEnumRow kPadShapeRows[5] = {
    {0, L""}, {1, L"ROUND"}, {2, L"OBLONG"}, {3, L"RECT"}, {4, L"CUSTOM"},
};
const XmlEnumRow kDrillTypeRows[4] = {
    {0, L"NONE"},
    {1, L"ROUND"},
    {2, L"SLOT"},
    {3, L"CUSTOM"},
};
const XmlEnumRow kPlaceRows[2] = {
    {0, L"TOP"},
    {1, L"BOTTOM"},
};

const wchar_t* PadLayerToName(int value) {
    for (const XmlEnumRow& row : kPadLayerRows)
        if (row.value == value)
            return row.name;
    return L"";
}

int ScanFloats(const wchar_t* text, int count, float* out, bool* notFinite) {
    if (notFinite)
        *notFinite = false;
    int read = 0;
    const wchar_t* p = text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (*p != L',')
                break;
            ++p;
        }
        const wchar_t* end = nullptr;
        double v = ParseDouble(p, &end);
        // A number that is not finite is no coordinate: the scan ends there.
        if (end != p && !IsDocumentFloat(v) && notFinite)
            *notFinite = true;
        if (end == p || !IsDocumentFloat(v))
            break;
        out[i] = static_cast<float>(v);
        ++read;
        p = end;
    }
    return read;
}
