// Helpers of the Gerber tests: a scratch folder, reading written files
// back as lines, and reading files through gerbv.
#pragma once

#include "core/text_file.h"
#include "platform/file.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

class ScratchDir {
public:
    ScratchDir() {
        std::string dir = "/tmp/vorpel-gerber-XXXXXX";
        if (mkdtemp(dir.data()))
            path = dir;
    }
    ~ScratchDir() {
        std::string cleanup = "rm -rf '" + path + "'";
        (void)std::system(cleanup.c_str());
    }
    std::wstring W() const { return Utf8ToWide(path); }
    std::string path;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Lines of a CR LF file; fails the test on a bare LF.
inline std::vector<std::string> ReadCrLfLines(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t lf = bytes.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back(bytes.substr(start));
            ADD_FAILURE() << path << ": last line without CR LF";
            break;
        }
        if (lf == start || bytes[lf - 1] != '\r')
            ADD_FAILURE() << path << ": line without CR";
        lines.push_back(bytes.substr(start, lf - start - (lf > start ? 1 : 0)));
        start = lf + 1;
    }
    return lines;
}

inline std::string JoinLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines)
        s += l + "\n";
    return s;
}

struct GerbvResult {
    int status = -1;
    std::string output; // stdout and stderr
    int width = 0;      // pixels of the rendered image
    int height = 0;
};

// Renders the files together with gerbv, without a border, at dpi.
inline GerbvResult RunGerbv(const std::vector<std::string>& files, int dpi, const std::string& png,
                            const char* format = "png") {
    std::string cmd =
        std::string("gerbv -x ") + format + " -B 0 -D " + std::to_string(dpi) + " -o '" + png + "'";
    for (const std::string& f : files)
        cmd += " '" + f + "'";
    cmd += " 2>&1";
    GerbvResult r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return r;
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, p))
        r.output.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    const std::string img = ReadBytes(png);
    if (img.size() >= 24 && img.compare(1, 3, "PNG") == 0) {
        auto be32 = [&](size_t o) {
            return int((uint8_t(img[o]) << 24) | (uint8_t(img[o + 1]) << 16) |
                       (uint8_t(img[o + 2]) << 8) | uint8_t(img[o + 3]));
        };
        r.width = be32(16);
        r.height = be32(20);
    }
    return r;
}

// Lines holding one of the known messages are left out of the check.
inline bool GerbvReportsError(const std::string& output,
                              const std::vector<std::string>& known = {}) {
    std::string lower;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        bool skip = false;
        for (const std::string& k : known)
            skip = skip || line.find(k) != std::string::npos;
        if (skip)
            continue;
        for (char c : line)
            lower += char(std::tolower(static_cast<unsigned char>(c)));
        lower += '\n';
    }
    for (const char* word : {"error", "unknown", "invalid", "ignor", "critical", "warning"})
        if (lower.find(word) != std::string::npos)
            return true;
    return false;
}

// The file must be read by gerbv without complaint, and with the outline
// file the rendered extent must be the board's (mm).
inline void ExpectGerbvReads(const std::string& file, const std::string& outline, double widthMm,
                             double heightMm, const std::string& scratch,
                             const std::vector<std::string>& known = {}) {
    const int dpi = 254; // 10 pixels per millimetre
    // Read alone (drawn as SVG, which also takes files without features),
    // then drawn with the outline.
    const GerbvResult alone = RunGerbv({file}, dpi, scratch + "/alone.svg", "svg");
    EXPECT_EQ(alone.status, 0) << file << "\n" << alone.output;
    EXPECT_FALSE(GerbvReportsError(alone.output, known)) << file << "\n" << alone.output;
    const GerbvResult both = RunGerbv({file, outline}, dpi, scratch + "/both.png");
    EXPECT_EQ(both.status, 0) << file << "\n" << both.output;
    EXPECT_FALSE(GerbvReportsError(both.output, known)) << file << "\n" << both.output;
    EXPECT_NEAR(both.width, widthMm * 10, 3) << file;
    EXPECT_NEAR(both.height, heightMm * 10, 3) << file;
}
