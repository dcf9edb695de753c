#include "platform/paint_target_impl.h"

#include "platform/file.h"

QPainter* PaintTargetImpl::Painter() {
    if (painter)
        return painter;
    if (!device)
        return nullptr;
    ownPainter = std::make_unique<QPainter>();
    if (!ownPainter->begin(device)) {
        ownPainter.reset();
        return nullptr;
    }
    painter = ownPainter.get();
    return painter;
}

void PaintTargetImpl::End() {
    if (ownPainter) {
        ownPainter->end();
        ownPainter.reset();
        painter = nullptr;
    }
}

PaintTarget::PaintTarget(std::unique_ptr<PaintTargetImpl> impl) : impl_(std::move(impl)) {}

PaintTarget::~PaintTarget() {
    if (impl_)
        impl_->End();
}

std::unique_ptr<PaintTarget> PaintTarget::CreateImage(int width, int height, ARGB fill) {
    auto impl = std::make_unique<PaintTargetImpl>();
    if (width < 1)
        width = 1;
    if (height < 1)
        height = 1;
    impl->image = std::make_unique<QImage>(width, height, QImage::Format_ARGB32_Premultiplied);
    impl->image->fill(QColor::fromRgba(fill));
    // 96 dpi = 3780 dots per metre (rounded as Qt stores it).
    impl->image->setDotsPerMeterX(3780);
    impl->image->setDotsPerMeterY(3780);
    impl->device = impl->image.get();
    impl->width = width;
    impl->height = height;
    return std::make_unique<PaintTarget>(std::move(impl));
}

std::unique_ptr<PaintTarget> CreatePaintTargetForDevice(QPaintDevice* device, QPainter* painter,
                                                        int dpiX, int dpiY) {
    auto impl = std::make_unique<PaintTargetImpl>();
    impl->device = device;
    impl->painter = painter;
    impl->dpiX = dpiX;
    impl->dpiY = dpiY;
    impl->width = device ? device->width() : 0;
    impl->height = device ? device->height() : 0;
    return std::make_unique<PaintTarget>(std::move(impl));
}

int PaintTarget::Width() const { return impl_->width; }
int PaintTarget::Height() const { return impl_->height; }
int PaintTarget::DpiX() const { return impl_->dpiX; }
int PaintTarget::DpiY() const { return impl_->dpiY; }

void PaintTarget::SetDpi(int dpiX, int dpiY) {
    impl_->dpiX = dpiX;
    impl_->dpiY = dpiY;
}

ARGB PaintTarget::PixelAt(int x, int y) const {
    if (!impl_->image || x < 0 || y < 0 || x >= impl_->width || y >= impl_->height)
        return 0;
    impl_->End();
    return impl_->image->pixelColor(x, y).rgba();
}

void PaintTarget::Fill(ARGB color) {
    if (!impl_->image)
        return;
    impl_->End();
    impl_->image->fill(QColor::fromRgba(color));
}

bool PaintTarget::SavePng(const std::wstring& path) const {
    if (!impl_->image)
        return false;
    impl_->End();
    return impl_->image->save(QString::fromStdWString(path), "PNG");
}

void PaintTarget::Flush() { impl_->End(); }
