#include "shell/html_view_widget.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include "shell/qt_text.h"

namespace corvane::shell {

HtmlViewWidget::HtmlViewWidget(platform::HostServices& host, QWidget* parent)
    : QAbstractScrollArea(parent), view_(surface_, host, *this) {
    // The bars stay put and are disabled when the document fits, so showing a page never
    // changes the width it was laid out at.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    view_.Forms().SetFactory(&controls_);
    const QPalette colours = palette();
    const auto toColor = [](const QColor& c) {
        return render::MakeColor(c.red(), c.green(), c.blue());
    };
    view_.SetSelectionColors(toColor(colours.color(QPalette::Active, QPalette::HighlightedText)),
                             toColor(colours.color(QPalette::Active, QPalette::Highlight)));
    // Selected text is offered to other programs at once, as everywhere on X11 and Wayland.
    view_.onSelectionMade = [](const std::string& text) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard->supportsSelection())
            clipboard->setText(FromUtf8(text), QClipboard::Selection);
    };
}

HtmlViewWidget::~HtmlViewWidget() {
    // The control widgets go while their parent, the viewport, is still there.
    view_.Forms().SetFactory(nullptr);
}

render::Point HtmlViewWidget::ToDocument(const QPoint& point) const {
    return render::Point{point.x() + horizontalScrollBar()->value(),
                         point.y() + verticalScrollBar()->value()};
}

void HtmlViewWidget::SetScrollSizes(const render::ScrollSizes& sizes) {
    const auto apply = [](QScrollBar* bar, int total, int page, int line) {
        bar->setRange(0, std::max(0, total - page));
        bar->setPageStep(page);
        bar->setSingleStep(line);
        bar->setEnabled(total > page);
    };
    apply(horizontalScrollBar(), sizes.totalWidth, viewport()->width(), sizes.lineWidth);
    apply(verticalScrollBar(), sizes.totalHeight, viewport()->height(), sizes.lineHeight);
}

void HtmlViewWidget::Repaint(const render::Rect& area) {
    if (area.IsEmpty()) {
        viewport()->update();
        return;
    }
    viewport()->update(area.left - horizontalScrollBar()->value(),
                       area.top - verticalScrollBar()->value(), area.Width(), area.Height());
}

void HtmlViewWidget::PostRelayout() {
    QMetaObject::invokeMethod(
        this, [this] { view_.OnRelayout(); }, Qt::QueuedConnection);
}

void HtmlViewWidget::SetCursor(render::CursorKind cursor) {
    switch (cursor) {
        case render::CursorKind::kLink:
            viewport()->setCursor(Qt::PointingHandCursor);
            break;
        case render::CursorKind::kPressedLink:
            viewport()->setCursor(Qt::ClosedHandCursor);
            break;
        case render::CursorKind::kSelecting:
            viewport()->setCursor(Qt::IBeamCursor);
            break;
        case render::CursorKind::kBusy:
            viewport()->setCursor(Qt::BusyCursor);
            break;
        case render::CursorKind::kArrow:
            viewport()->setCursor(Qt::ArrowCursor);
            break;
    }
}

void HtmlViewWidget::ScrollToY(int y) {
    verticalScrollBar()->setValue(y);
}

int HtmlViewWidget::ScrollY() const {
    return verticalScrollBar()->value();
}

void HtmlViewWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (onContextMenu) onContextMenu(event->globalPos(), ToDocument(event->pos()));
}

void HtmlViewWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int dx = horizontalScrollBar()->value();
    const int dy = verticalScrollBar()->value();
    painter.translate(-dx, -dy);
    const QRect r = event->rect().translated(dx, dy);
    surface_.SetPainter(&painter);
    view_.Paint(surface_, render::Rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    surface_.SetPainter(nullptr);
}

void HtmlViewWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    view_.OnSize(viewport()->width(), viewport()->height());
}

void HtmlViewWidget::mouseMoveEvent(QMouseEvent* event) {
    view_.MouseMove(ToDocument(event->position().toPoint()));
}

void HtmlViewWidget::leaveEvent(QEvent* event) {
    QAbstractScrollArea::leaveEvent(event);
    view_.MouseLeave();
}

void HtmlViewWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus();
    captured_ = true;
    view_.LeftButtonDown(ToDocument(event->position().toPoint()));
}

void HtmlViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !captured_) return;
    captured_ = false;
    view_.LeftButtonUp(ToDocument(event->position().toPoint()));
}

void HtmlViewWidget::keyPressEvent(QKeyEvent* event) {
    QScrollBar* bar = verticalScrollBar();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier || modifiers == Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Home:
            if (!plain) break;
            bar->triggerAction(QAbstractSlider::SliderToMinimum);
            return;
        case Qt::Key_End:
            if (!plain) break;
            bar->triggerAction(QAbstractSlider::SliderToMaximum);
            return;
        case Qt::Key_Space:
            if (modifiers == Qt::NoModifier) {
                bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
                return;
            }
            if (modifiers == Qt::ShiftModifier) {
                bar->triggerAction(QAbstractSlider::SliderPageStepSub);
                return;
            }
            break;
        default:
            break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void HtmlViewWidget::scrollContentsBy(int, int) {
    view_.OnScroll(render::Point{horizontalScrollBar()->value(), verticalScrollBar()->value()});
    viewport()->update();
}

}  // namespace corvane::shell
