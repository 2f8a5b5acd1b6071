#include "shell/busy_logo.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

namespace corvane::shell {
namespace {

constexpr int kFrames = 12;
constexpr int kFrameMs = 80;

}  // namespace

BusyLogo::BusyLogo(QWidget* parent) : QWidget(parent) {
    setObjectName("busyLogo");
    setToolTip("Corvane");
    timer_.setInterval(kFrameMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % kFrames;
        update();
    });
}

void BusyLogo::SetBusy(bool busy) {
    if (busy == timer_.isActive()) return;
    if (busy) {
        timer_.start();
    } else {
        timer_.stop();
        frame_ = 0;
    }
    update();
}

void BusyLogo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const int side = std::min(width(), height()) - 4;
    const QPixmap logo = QApplication::windowIcon().pixmap(side, side);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.rotate(360.0 * frame_ / kFrames);
    painter.drawPixmap(-side / 2, -side / 2, logo);
}

}  // namespace corvane::shell
