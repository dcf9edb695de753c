// Reads an Excellon file with gerbv (an independent reader) and returns what
// it understood: its complaints, its tools and its holes, taken from gerbv's
// RS-274X re-export (inches, six decimals).
#pragma once

#include "platform/file.h"
#include "platform/text.h"

#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

// Numbers read independently of the process locale.
inline double GerbvNumber(const std::string& text) {
    return ParseDouble(Utf8ToWide(text).c_str());
}

struct GerbvHole {
    double diameterMm = 0;
    double xMm = 0;
    double yMm = 0;
};

struct GerbvReading {
    bool available = false;         // gerbv is installed
    bool ran = false;               // it exited with 0 and wrote its export
    std::vector<std::string> notes; // every complaint it printed
    std::vector<double> toolsMm;    // aperture diameters, in definition order
    std::vector<GerbvHole> holes;

    // Complaints other than the rout-mode codes (G00 to G03, M15, M16) that
    // this gerbv does not support and only reports.
    std::vector<std::string> Errors() const {
        static const std::regex routCode("Unsupported (G0[0-3]|M1[56]) ");
        std::vector<std::string> errors;
        for (const std::string& n : notes)
            if (!std::regex_search(n, routCode))
                errors.push_back(n);
        return errors;
    }
};

inline bool GerbvAvailable() {
    return std::system("command -v gerbv >/dev/null 2>&1") == 0;
}

inline GerbvReading ReadWithGerbv(const std::wstring& drillFile) {
    GerbvReading r;
    r.available = GerbvAvailable();
    if (!r.available)
        return r;
    const std::string in = WideToUtf8(drillFile);
    const std::string out = in + ".gerbv.gbr", err = in + ".gerbv.err";
    const std::string cmd =
        "gerbv --export=rs274x -o '" + out + "' '" + in + "' >'" + err + "' 2>&1";
    r.ran = std::system(cmd.c_str()) == 0;
    std::string text;
    if (ReadWholeFile(Utf8ToWide(err), text)) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            if (line.find_first_not_of(" \t\r") != std::string::npos)
                r.notes.push_back(line);
    }
    if (!ReadWholeFile(Utf8ToWide(out), text)) {
        r.ran = false;
        return r;
    }
    static const std::regex aperture(R"(%ADD(\d+)C,([0-9.]+)\*%)");
    static const std::regex select(R"(^G54D(\d+)\*)");
    static const std::regex flash(R"(X(-?\d+)Y(-?\d+)D03\*)");
    std::map<int, double> apertures;
    double current = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (std::regex_search(line, m, aperture)) {
            const double mm = GerbvNumber(m[2]) * 25.4;
            apertures[static_cast<int>(GerbvNumber(m[1]))] = mm;
            r.toolsMm.push_back(mm);
        } else if (std::regex_search(line, m, select)) {
            current = apertures[static_cast<int>(GerbvNumber(m[1]))];
        } else if (std::regex_search(line, m, flash)) {
            r.holes.push_back({current, GerbvNumber(m[1]) * 25.4e-6, GerbvNumber(m[2]) * 25.4e-6});
        }
    }
    return r;
}
