#pragma once
// The scrolling Qt widget around CHTMLView: it forwards size, paint and mouse events in
// document coordinates and carries out what the view asks of its window (scroll ranges,
// repaints, the posted relayout, cursors).

#include <QAbstractScrollArea>
#include <functional>

#include "render/html_view.h"
#include "shell/qt_drawing_surface.h"
#include "shell/qt_form_controls.h"

namespace corvane::shell {

class HtmlViewWidget : public QAbstractScrollArea, public render::CViewWindow {
    Q_OBJECT
  public:
    HtmlViewWidget(platform::HostServices& host, QWidget* parent = nullptr);
    ~HtmlViewWidget() override;

    render::CHTMLView& View() { return view_; }
    // Document coordinates of a point of the viewport.
    render::Point ToDocument(const QPoint& point) const;

    void SetScrollSizes(const render::ScrollSizes& sizes) override;
    void Repaint(const render::Rect& documentArea) override;
    void PostRelayout() override;
    void SetCursor(render::CursorKind cursor) override;
    void ScrollToY(int y) override;
    int ScrollY() const override;

    // The right button was released over the view: the frame shows its context menu there.
    std::function<void(const QPoint& globalPosition, render::Point documentPoint)> onContextMenu;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Home, End (with or without Ctrl), Space and Shift+Space scroll as in every Linux browser;
    // the scroll area already takes the arrows and the page keys.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QtDrawingSurface surface_;
    render::CHTMLView view_;
    QtControlFactory controls_{viewport()};
    bool captured_ = false;
};

}  // namespace corvane::shell
