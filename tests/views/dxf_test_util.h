// Helpers of the DXF tests: drawings written pair by pair, the folder of the
// drawings made by an independent writer, and a scratch folder.
#pragma once

#include "platform/file.h"
#include "platform/text.h"

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

using DxfPairs = std::vector<std::pair<int, std::string>>;

// The pairs as a file holds them: the code right-aligned in three columns,
// then the value, each on its own line.
inline std::string DxfText(const DxfPairs& pairs, const char* lineEnd = "\n") {
    std::string out;
    for (const auto& [code, value] : pairs) {
        std::string c = std::to_string(code);
        if (c.size() < 3)
            c.insert(0, 3 - c.size(), ' ');
        out += c + lineEnd + value + lineEnd;
    }
    return out;
}

inline void Append(DxfPairs& to, const DxfPairs& more) {
    to.insert(to.end(), more.begin(), more.end());
}

// A number as a drawing holds it (never in the test's locale).
inline std::string Num(double v) {
    return WideToUtf8(FormatGeneral(v, 17));
}

inline DxfPairs DxfLine(double x1, double y1, double x2, double y2) {
    return {{0, "LINE"}, {8, "0"},      {10, Num(x1)}, {20, Num(y1)},
            {30, "0.0"}, {11, Num(x2)}, {21, Num(y2)}, {31, "0.0"}};
}

inline DxfPairs DxfArc(double cx, double cy, double r, double a1, double a2) {
    return {{0, "ARC"},  {8, "0"},     {10, Num(cx)}, {20, Num(cy)},
            {30, "0.0"}, {40, Num(r)}, {50, Num(a1)}, {51, Num(a2)}};
}

// A whole drawing: a header with the measurement (none for -1), then the
// entities section.
inline DxfPairs DxfDrawingPairs(const DxfPairs& entities, int measurement = -1) {
    DxfPairs out = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1015"}};
    if (measurement >= 0)
        Append(out, {{9, "$MEASUREMENT"}, {70, std::to_string(measurement)}});
    Append(out, {{0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}});
    Append(out, entities);
    Append(out, {{0, "ENDSEC"}, {0, "EOF"}});
    return out;
}

inline std::string DrawingPath(const char* name) {
    return std::string(VORPEL_SOURCE_DIR "/tests/views/dxf/") + name;
}

class DxfScratchDir {
public:
    DxfScratchDir() {
        std::string d = "/tmp/vorpel-dxf-XXXXXX";
        if (mkdtemp(d.data()))
            path = d;
    }
    ~DxfScratchDir() {
        if (!path.empty())
            (void)std::system(("rm -rf '" + path + "'").c_str());
    }
    DxfScratchDir(const DxfScratchDir&) = delete;
    DxfScratchDir& operator=(const DxfScratchDir&) = delete;

    // Writes the bytes to a new file of the folder; returns its path.
    std::wstring Write(const std::string& bytes) {
        const std::wstring file =
            Utf8ToWide(path) + L"/drawing" + std::to_wstring(++m_count) + L".dxf";
        WriteWholeFile(file, bytes);
        return file;
    }

    std::string path;

private:
    int m_count = 0;
};
