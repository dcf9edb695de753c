#include "platform/draw_baseline.h"

#include "platform/paint_target.h"
#include "platform/paint_target_impl.h"

#include <QPainterPath>

#include <chrono>

double DrawSceneWithQPainter(const BaselineScene& s, float zoom) {
    auto target = PaintTarget::CreateImage(1920, 1080);
    const auto t0 = std::chrono::steady_clock::now();
    {
        QPainter* p = target->Impl()->Painter();
        const double sx = 96 * zoom / 25.4;
        const QTransform base(sx, 0, 0, -sx, 10, 1070);
        p->setWorldTransform(base);
        p->setRenderHint(QPainter::Antialiasing, true);
        QPen pen(QColor(0, 0xA0, 0), 0.25);
        pen.setCapStyle(Qt::RoundCap);
        p->setPen(pen);
        for (size_t i = 0; i < s.lines.size(); i += 2)
            p->drawLine(QLineF(s.lines[i].X, s.lines[i].Y, s.lines[i + 1].X, s.lines[i + 1].Y));
        QPainterPath shapes[3];
        shapes[0].addRoundedRect(QRectF(-1, -0.6, 2, 1.2), 0.2, 0.2);
        shapes[1].addRoundedRect(QRectF(-1, -0.5, 2, 1), 0.5, 0.5);
        shapes[2].addEllipse(QRectF(-0.8, -0.8, 1.6, 1.6));
        const QBrush pad(QColor(0xC0, 0, 0));
        for (const BaselineScene::Pad& pd : s.pads) {
            p->setWorldTransform(QTransform::fromTranslate(pd.x, pd.y) * base);
            p->fillPath(shapes[pd.shape], pad);
        }
        p->setWorldTransform(base);
        const QBrush copper(QColor(0, 0, 0xC0));
        for (size_t i = 0; i < s.polygons.size(); i += 2) {
            QPainterPath poly;
            poly.setFillRule(Qt::OddEvenFill);
            for (int k = 0; k < 2; ++k) {
                const auto& c = s.polygons[i + k];
                QPolygonF q;
                for (const PointF& pt : c)
                    q.append(QPointF(pt.X, pt.Y));
                poly.addPolygon(q);
                poly.closeSubpath();
            }
            p->fillPath(poly, copper);
        }
        target->Flush();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}
