#pragma once
// Form controls as Qt widgets: QLineEdit (hiding its characters for PASSWORD), QCheckBox,
// QRadioButton, QPushButton, QListWidget, QComboBox and QPlainTextEdit, made as children of the
// view's visible area. Each reports only what the user does; Set calls are silent.

#include <QWidget>
#include <memory>

#include "render/control_window.h"

namespace corvane::shell {

class QtControlFactory : public render::ControlFactory {
  public:
    // `parent`: the widget the controls sit on; `dpi`: the DPI the view's fonts are measured at.
    explicit QtControlFactory(QWidget* parent, int dpi = 96) : parent_(parent), dpi_(dpi) {}

    std::unique_ptr<render::ControlWindow> Create(const render::ControlSpec& spec, int key,
                                                  render::ControlEvents& events) override;

  private:
    QWidget* parent_;
    int dpi_;
};

// The widget behind a window made by the factory (tests type into it and click it).
QWidget* WidgetOf(render::ControlWindow& window);

}  // namespace corvane::shell
