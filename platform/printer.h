// Printers: the system's printers and their papers through the print system,
// the settings a print runs with (DevMode), a printer's device context that
// prints pages, and a recording of a page that can be played back scaled (the
// print preview).
//
// Besides the system's printers there is one more: kPdfPrinterName writes
// the pages into a PDF file (DevMode::outputFile), with no unprintable margin.
#pragma once

#include "platform/types.h"

#include <memory>
#include <string>
#include <vector>

class DeviceContext;
class PaintTarget;

std::wstring DefaultPrinterName();
std::vector<std::wstring> AvailablePrinterNames();

// The printer that writes PDF files.
extern const wchar_t* const kPdfPrinterName;
// The system's printers followed by the PDF printer.
std::vector<std::wstring> PrinterChoices();

// Orientation of the paper.
constexpr int DMORIENT_PORTRAIT = 1;
constexpr int DMORIENT_LANDSCAPE = 2;

// A paper: its name and its size held upright, in tenths of a millimetre.
struct PaperSize {
    std::wstring name;
    int width = 0;
    int length = 0;
};
// The papers a printer takes (the standard sizes for the PDF printer).
std::vector<PaperSize> PrinterPaperSizes(const std::wstring& printerName);

// What a print runs with: printer, paper, orientation, copies. Empty until a
// printer was chosen.
struct DevMode {
    std::wstring deviceName;
    // The file the PDF printer writes.
    std::wstring outputFile;
    PaperSize paper;
    int orientation = DMORIENT_PORTRAIT;
    int copies = 1;
    bool collate = false;

    bool IsEmpty() const { return deviceName.empty(); }
};
bool operator==(const DevMode& a, const DevMode& b);

// The printer's own settings (its default paper, portrait). An empty name or
// an unknown printer gives the PDF printer.
DevMode PrinterDefaultDevMode(const std::wstring& printerName);

// A device context for a printer with the paper and orientation of a
// DevMode. Its device pixels cover the printable area; GetDeviceCaps answers
// the sizes, resolution and physical offsets. Nothing is printed until
// StartDoc, then every page is framed by StartPage and EndPage; EndDoc
// finishes the job (for the PDF printer, the file), AbortDoc drops it.
class PrinterDC {
public:
    // Null when the printer cannot be had.
    static std::unique_ptr<PrinterDC> Create(const DevMode& devMode);
    ~PrinterDC();
    PrinterDC(const PrinterDC&) = delete;
    PrinterDC& operator=(const PrinterDC&) = delete;

    DeviceContext& DC() { return *dc_; }
    bool StartDoc(const std::wstring& documentName);
    bool StartPage();
    bool EndPage();
    // False when the job failed (the file could not be written).
    bool EndDoc();
    void AbortDoc();

private:
    struct Impl;
    explicit PrinterDC(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    std::unique_ptr<DeviceContext> dc_;
};

// A recording of what is drawn on a page of width x height device pixels at
// a resolution; once drawn, it plays back into any target at any scale.
class PageRecording {
public:
    PageRecording(int width, int height, int dpiX, int dpiY);
    ~PageRecording();
    PageRecording(const PageRecording&) = delete;
    PageRecording& operator=(const PageRecording&) = delete;

    // What to draw the page on (a DeviceContext over it, for instance).
    PaintTarget& Target() { return *target_; }
    // Ends the recording and draws it onto target: the page's pixel (0, 0)
    // lands on device point (x, y) and a page pixel spans (scaleX, scaleY)
    // device pixels; nothing is drawn outside the device rectangle clip.
    void Play(PaintTarget& target, double x, double y, double scaleX, double scaleY,
              const RECT& clip);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::unique_ptr<PaintTarget> target_;
};
