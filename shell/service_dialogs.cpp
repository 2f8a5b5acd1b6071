#include "shell/service_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "shell/qt_text.h"

namespace corvane::shell {

std::optional<std::vector<std::string>> AskServiceFields(QWidget* parent, const QString& title,
                                                         const std::vector<ServiceField>& fields) {
    QDialog dialog(parent);
    dialog.setObjectName("serviceDialog");
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    std::vector<QLineEdit*> edits;
    for (const ServiceField& field : fields) {
        auto* edit = new QLineEdit(FromUtf8(field.initial));
        edit->setMinimumWidth(300);
        if (field.password) edit->setEchoMode(QLineEdit::Password);
        auto* label = new QLabel(field.label);
        label->setBuddy(edit);
        form->addRow(label, edit);
        edits.push_back(edit);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    QLineEdit* focused = edits.empty() ? nullptr : edits.front();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].focus) focused = edits[i];
    }
    if (focused != nullptr) focused->setFocus();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    std::vector<std::string> texts;
    for (const QLineEdit* edit : edits) texts.push_back(ToUtf8(edit->text()));
    return texts;
}

}  // namespace corvane::shell
