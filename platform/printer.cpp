#include "platform/printer.h"

#include "platform/device_context.h"
#include "platform/paint_target_impl.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringList>

#include <algorithm>
#include <cmath>

const wchar_t* const kPdfPrinterName = L"Print to File (PDF)";

std::wstring DefaultPrinterName() {
    return QPrinterInfo::defaultPrinterName().toStdWString();
}

std::vector<std::wstring> AvailablePrinterNames() {
    std::vector<std::wstring> names;
    for (const QString& n : QPrinterInfo::availablePrinterNames())
        names.push_back(n.toStdWString());
    return names;
}

std::vector<std::wstring> PrinterChoices() {
    std::vector<std::wstring> names = AvailablePrinterNames();
    names.push_back(kPdfPrinterName);
    return names;
}

namespace {

int Tenths(qreal mm) {
    return static_cast<int>(std::lround(mm * 10.0));
}

PaperSize ToPaper(const QPageSize& size) {
    QSizeF mm = size.size(QPageSize::Millimeter);
    int w = Tenths(mm.width()), l = Tenths(mm.height());
    return PaperSize{size.name().toStdWString(), std::min(w, l), std::max(w, l)};
}

bool IsSystemPrinter(const std::wstring& name) {
    return !name.empty() && name != kPdfPrinterName &&
           !QPrinterInfo::printerInfo(QString::fromStdWString(name)).isNull();
}

// The papers offered for PDF files.
const QPageSize::PageSizeId kPdfPapers[] = {
    QPageSize::A5,     QPageSize::A4,    QPageSize::A3,      QPageSize::A2,
    QPageSize::A1,     QPageSize::A0,    QPageSize::B5,      QPageSize::B4,
    QPageSize::Letter, QPageSize::Legal, QPageSize::Tabloid,
};

} // namespace

bool operator==(const DevMode& a, const DevMode& b) {
    return a.deviceName == b.deviceName && a.outputFile == b.outputFile &&
           a.paper.name == b.paper.name && a.paper.width == b.paper.width &&
           a.paper.length == b.paper.length && a.orientation == b.orientation &&
           a.copies == b.copies && a.collate == b.collate;
}

std::vector<PaperSize> PrinterPaperSizes(const std::wstring& printerName) {
    std::vector<PaperSize> papers;
    if (IsSystemPrinter(printerName)) {
        QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdWString(printerName));
        for (const QPageSize& size : info.supportedPageSizes())
            if (size.isValid())
                papers.push_back(ToPaper(size));
    }
    if (papers.empty())
        for (QPageSize::PageSizeId id : kPdfPapers)
            papers.push_back(ToPaper(QPageSize(id)));
    return papers;
}

DevMode PrinterDefaultDevMode(const std::wstring& printerName) {
    DevMode dm;
    if (IsSystemPrinter(printerName)) {
        QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromStdWString(printerName));
        dm.deviceName = printerName;
        QPageSize size = info.defaultPageSize();
        dm.paper = ToPaper(size.isValid() ? size : QPageSize(QPageSize::A4));
    } else {
        dm.deviceName = kPdfPrinterName;
        dm.paper = ToPaper(QPageSize(QPageSize::A4));
    }
    return dm;
}

// ---- PrinterDC -----------------------------------------------------------------

struct PrinterDC::Impl {
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<PaintTarget> target;
    bool started = false;
    bool pageStarted = false;
    bool anyPage = false;
    // The file the PDF printer writes, empty for the system's printers.
    QString outputFile;
};

PrinterDC::PrinterDC(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
    dc_ = std::make_unique<DeviceContext>(*impl_->target);
}

PrinterDC::~PrinterDC() {
    if (impl_->started)
        AbortDoc();
    dc_.reset();
    impl_->target.reset();
}

std::unique_ptr<PrinterDC> PrinterDC::Create(const DevMode& devMode) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (IsSystemPrinter(devMode.deviceName)) {
        printer->setPrinterName(QString::fromStdWString(devMode.deviceName));
        if (!printer->isValid())
            return nullptr;
        printer->setCopyCount(std::max(1, devMode.copies));
        printer->setCollateCopies(devMode.collate);
    } else if (devMode.deviceName == kPdfPrinterName) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdWString(devMode.outputFile));
        // A file has no unprintable margin: the printable area is the paper.
        printer->setFullPage(true);
    } else {
        return nullptr;
    }
    if (devMode.paper.width > 0 && devMode.paper.length > 0) {
        QPageSize size(QSizeF(devMode.paper.width / 10.0, devMode.paper.length / 10.0),
                       QPageSize::Millimeter, QString::fromStdWString(devMode.paper.name),
                       QPageSize::FuzzyMatch);
        printer->setPageSize(size);
    }
    printer->setPageOrientation(devMode.orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape
                                                                          : QPageLayout::Portrait);
    if (printer->width() <= 0 || printer->height() <= 0)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    const int dpi = printer->resolution();
    impl->target = CreatePaintTargetForDevice(printer.get(), nullptr, dpi, dpi);
    if (printer->outputFormat() == QPrinter::PdfFormat)
        impl->outputFile = printer->outputFileName();
    impl->printer = std::move(printer);
    return std::unique_ptr<PrinterDC>(new PrinterDC(std::move(impl)));
}

bool PrinterDC::StartDoc(const std::wstring& documentName) {
    if (impl_->started)
        return false;
    impl_->printer->setDocName(QString::fromStdWString(documentName));
    impl_->started = true;
    impl_->anyPage = false;
    return true;
}

bool PrinterDC::StartPage() {
    if (!impl_->started || impl_->pageStarted)
        return false;
    // The painter opens the job with its first page; later pages follow.
    if (!impl_->anyPage) {
        if (!impl_->target->Impl()->Painter())
            return false;
    } else if (!impl_->printer->newPage()) {
        return false;
    }
    impl_->anyPage = true;
    impl_->pageStarted = true;
    return true;
}

bool PrinterDC::EndPage() {
    if (!impl_->pageStarted)
        return false;
    impl_->target->Impl()->ReleaseHolder();
    impl_->pageStarted = false;
    return true;
}

bool PrinterDC::EndDoc() {
    if (!impl_->started)
        return false;
    impl_->target->Impl()->End();
    impl_->started = false;
    impl_->pageStarted = false;
    return impl_->printer->printerState() != QPrinter::Error &&
           impl_->printer->printerState() != QPrinter::Aborted;
}

void PrinterDC::AbortDoc() {
    if (!impl_->started)
        return;
    if (impl_->anyPage)
        impl_->printer->abort();
    impl_->target->Impl()->End();
    impl_->started = false;
    impl_->pageStarted = false;
    // A dropped job leaves no half-written file behind.
    if (!impl_->outputFile.isEmpty())
        QFile::remove(impl_->outputFile);
}

// ---- PageRecording ---------------------------------------------------------------

struct PageRecording::Impl {
    QPicture picture;
    int width = 0;
    int height = 0;
};

PageRecording::PageRecording(int width, int height, int dpiX, int dpiY)
    : impl_(std::make_unique<Impl>()) {
    impl_->width = std::max(1, width);
    impl_->height = std::max(1, height);
    target_ = CreatePaintTargetForDevice(&impl_->picture, nullptr, dpiX, dpiY);
    // The picture knows no size of its own: the page's is what drawing clips to.
    target_->Impl()->width = impl_->width;
    target_->Impl()->height = impl_->height;
}

PageRecording::~PageRecording() {
    target_.reset();
}

void PageRecording::Play(PaintTarget& target, double x, double y, double scaleX, double scaleY,
                         const RECT& clip) {
    target_->Impl()->End();
    PaintTargetImpl* out = target.Impl();
    out->ReleaseHolder();
    QPainter* painter = out->Painter();
    if (!painter)
        return;
    painter->save();
    painter->setClipRect(
        QRect(QPoint(clip.left, clip.top), QPoint(clip.right - 1, clip.bottom - 1)),
        Qt::IntersectClip);
    painter->translate(x, y);
    painter->scale(scaleX, scaleY);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    painter->drawPicture(0, 0, impl_->picture);
    painter->restore();
}
