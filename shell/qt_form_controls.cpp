#include "shell/qt_form_controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>

#include "shell/qt_drawing_surface.h"
#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

// Tab belongs to the form, which moves between its text fields, not to Qt's focus chain.
bool IsPlainTab(QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    return key->key() == Qt::Key_Tab && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

template <class Base>
class TabReporting : public Base {
  public:
    TabReporting(QWidget* parent, int key, render::ControlEvents& events)
        : Base(parent), key_(key), events_(events) {}

  protected:
    bool event(QEvent* event) override {
        if (IsPlainTab(event)) {
            events_.TabPressed(key_);
            return true;
        }
        return Base::event(event);
    }

  private:
    int key_;
    render::ControlEvents& events_;
};

class QtControlWindow : public render::ControlWindow {
  public:
    explicit QtControlWindow(QWidget* widget) : widget_(widget) {}
    // A window may go from inside one of its own signals (a submit that replaces the page), so
    // the widget is silenced and hidden now and deleted once the loop turns.
    ~QtControlWindow() override {
        QObject::disconnect(widget_, nullptr, nullptr, nullptr);
        widget_->hide();
        widget_->deleteLater();
    }

    void Move(const render::Rect& r) override {
        widget_->setGeometry(r.left, r.top, r.Width(), r.Height());
    }
    void Show(bool shown) override { widget_->setVisible(shown); }
    void SetText(std::string_view text) override {
        const QSignalBlocker quiet(widget_);
        if (auto* edit = qobject_cast<QLineEdit*>(widget_)) edit->setText(FromUtf8(text));
        if (auto* area = qobject_cast<QPlainTextEdit*>(widget_)) area->setPlainText(FromUtf8(text));
    }
    void SetChecked(bool checked) override {
        const QSignalBlocker quiet(widget_);
        if (auto* button = qobject_cast<QAbstractButton*>(widget_); button && button->isCheckable())
            button->setChecked(checked);
    }
    void SetSelection(const std::vector<bool>& selected) override {
        const QSignalBlocker quiet(widget_);
        if (auto* list = qobject_cast<QListWidget*>(widget_)) {
            for (int row = 0; row < list->count(); ++row) {
                list->item(row)->setSelected(static_cast<std::size_t>(row) < selected.size() &&
                                             selected[static_cast<std::size_t>(row)]);
            }
        }
        if (auto* combo = qobject_cast<QComboBox*>(widget_)) {
            const auto first = std::find(selected.begin(), selected.end(), true);
            combo->setCurrentIndex(
                first == selected.end() ? -1 : static_cast<int>(first - selected.begin()));
        }
    }
    void Focus() override { widget_->setFocus(Qt::TabFocusReason); }

    QWidget* Widget() const { return widget_; }

  private:
    QWidget* widget_;
};

QWidget* MakeWidget(const render::ControlSpec& spec, QWidget* parent, int key,
                    render::ControlEvents& events) {
    using render::ControlKind;
    switch (spec.kind) {
        case ControlKind::kEdit:
        case ControlKind::kPassword: {
            auto* edit = new TabReporting<QLineEdit>(parent, key, events);
            if (spec.kind == ControlKind::kPassword) edit->setEchoMode(QLineEdit::Password);
            if (spec.maxLength > 0) edit->setMaxLength(spec.maxLength);
            edit->setText(FromUtf8(spec.text));
            QObject::connect(edit, &QLineEdit::textEdited, edit, [&events, key](const QString& t) {
                events.TextEdited(key, ToUtf8(t));
            });
            QObject::connect(edit, &QLineEdit::returnPressed, edit,
                             [&events, key] { events.EnterPressed(key); });
            return edit;
        }
        case ControlKind::kCheckBox:
        case ControlKind::kRadio: {
            QAbstractButton* button = spec.kind == ControlKind::kCheckBox
                                          ? static_cast<QAbstractButton*>(new QCheckBox(parent))
                                          : new QRadioButton(parent);
            // Radio groups are kept by the form, per form and NAME, not per parent widget.
            button->setAutoExclusive(false);
            QObject::connect(button, &QAbstractButton::clicked, button,
                             [&events, key](bool checked) { events.Toggled(key, checked); });
            return button;
        }
        case ControlKind::kButton: {
            auto* button = new QPushButton(FromUtf8(spec.text), parent);
            QObject::connect(button, &QPushButton::clicked, button, [&events, key, button] {
                const QPoint at = button->mapFromGlobal(QCursor::pos());
                const QRect inside = button->rect();
                events.Clicked(key, render::Point{std::clamp(at.x(), 0, inside.right()),
                                                  std::clamp(at.y(), 0, inside.bottom())});
            });
            return button;
        }
        case ControlKind::kList: {
            auto* list = new QListWidget(parent);
            for (const std::string& option : spec.options) list->addItem(FromUtf8(option));
            list->setSelectionMode(spec.multiple ? QAbstractItemView::MultiSelection
                                                 : QAbstractItemView::SingleSelection);
            QObject::connect(list, &QListWidget::itemSelectionChanged, list, [&events, key, list] {
                std::vector<int> rows;
                for (int row = 0; row < list->count(); ++row) {
                    if (list->item(row)->isSelected()) rows.push_back(row);
                }
                events.SelectionChanged(key, rows);
            });
            return list;
        }
        case ControlKind::kDropDown: {
            auto* combo = new QComboBox(parent);
            for (const std::string& option : spec.options) combo->addItem(FromUtf8(option));
            QObject::connect(combo, &QComboBox::activated, combo,
                             [&events, key](int row) { events.SelectionChanged(key, {row}); });
            return combo;
        }
        case ControlKind::kTextArea: {
            auto* area = new TabReporting<QPlainTextEdit>(parent, key, events);
            area->setPlainText(FromUtf8(spec.text));
            QObject::connect(area, &QPlainTextEdit::textChanged, area, [&events, key, area] {
                events.TextEdited(key, ToUtf8(area->toPlainText()));
            });
            return area;
        }
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<render::ControlWindow> QtControlFactory::Create(const render::ControlSpec& spec,
                                                                int key,
                                                                render::ControlEvents& events) {
    QWidget* widget = MakeWidget(spec, parent_, key, events);
    if (widget == nullptr) return nullptr;
    widget->setFont(QtFontFor(spec.font, dpi_));
    widget->hide();
    return std::make_unique<QtControlWindow>(widget);
}

QWidget* WidgetOf(render::ControlWindow& window) {
    return static_cast<QtControlWindow&>(window).Widget();
}

}  // namespace corvane::shell
