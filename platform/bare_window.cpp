#include "platform/bare_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

namespace {
class BareWindow : public QWidget {
public:
    bool painted = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(240, 240, 240));
        painted = true;
    }
};
} // namespace

int ShowBareWindowUntilPainted(int width, int height) {
    BareWindow w;
    w.resize(width, height);
    w.show();
    QElapsedTimer timer;
    timer.start();
    while (!w.painted && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return w.painted ? 0 : 1;
}
