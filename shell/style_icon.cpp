#include "shell/style_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <vector>

namespace corvane::shell {
namespace {

class StyleIconEngine : public QIconEngine {
  public:
    explicit StyleIconEngine(QStyle::StandardPixmap which) : which_(which) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        for (const Drawn& drawn : drawn_) {
            if (drawn.size == size && drawn.mode == mode && drawn.state == state)
                return drawn.pixmap;
        }
        // The style's icon lives only as long as it takes to draw this size.
        const QPixmap pixmap =
            QApplication::style()->standardIcon(which_).pixmap(size, 1.0, mode, state);
        drawn_.push_back({size, mode, state, pixmap});
        return pixmap;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal scale = painter->device()->devicePixelRatio();
        QPixmap drawn = pixmap(rect.size() * scale, mode, state);
        drawn.setDevicePixelRatio(scale);
        painter->drawPixmap(rect, drawn);
    }

    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("corvane-style"); }
    QIconEngine* clone() const override { return new StyleIconEngine(*this); }

  private:
    struct Drawn {
        QSize size;
        QIcon::Mode mode;
        QIcon::State state;
        QPixmap pixmap;
    };
    QStyle::StandardPixmap which_;
    // A toolbar and a menu ask for two or three sizes in a few modes: a short list.
    std::vector<Drawn> drawn_;
};

}  // namespace

QIcon StyleIcon(QStyle::StandardPixmap which) {
    return QIcon(new StyleIconEngine(which));
}

}  // namespace corvane::shell
