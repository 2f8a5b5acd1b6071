#include "shell/find_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/qt_text.h"

namespace corvane::shell {

FindDialog::FindDialog(render::CHTMLView& view, QWidget* parent)
    : QDialog(parent),
      view_(view),
      field_(new QLineEdit),
      fromTop_(new QCheckBox("&Start from top of page")),
      matchCase_(new QCheckBox(" &Match case")) {
    setWindowTitle("Find");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto* label = new QLabel("&Find:");
    label->setBuddy(field_);
    form->addRow(label, field_);
    layout->addLayout(form);
    layout->addWidget(fromTop_);
    layout->addWidget(matchCase_);
    auto* buttons = new QDialogButtonBox;
    QPushButton* next = buttons->addButton("Find Next", QDialogButtonBox::ActionRole);
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, &FindDialog::FindNext);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    field_->setMinimumWidth(260);
}

void FindDialog::FindNext() {
    const std::string pattern = ToUtf8(field_->text());
    const bool fromTop = fromTop_->isChecked();
    const bool matchCase = matchCase_->isChecked();
    if (!pattern.empty()) fromTop_->setChecked(false);
    if (view_.FindNext(pattern, fromTop, matchCase) ==
        render::CHTMLView::FindOutcome::kEmptyPattern) {
        field_->setFocus();
    }
}

}  // namespace corvane::shell
