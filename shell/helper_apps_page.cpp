#include "shell/helper_apps_page.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

using core::ConvertorAction;

// A dialog whose OK first asks `check`; a message from it is shown and the dialog stays open.
class CheckedDialog : public QDialog {
  public:
    CheckedDialog(QWidget* parent, platform::HostServices& host) : QDialog(parent), host_(host) {}
    std::function<std::optional<std::string_view>()> check;

    void accept() override {
        if (const auto message = check ? check() : std::nullopt) {
            host_.ShowMessage(*message, platform::MessageButtons::kOk,
                              platform::MessageIcon::kExclamation);
            return;
        }
        QDialog::accept();
    }

  private:
    platform::HostServices& host_;
};

QDialogButtonBox* AddOkCancel(QDialog& dialog, QLayout& layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addWidget(buttons);
    return buttons;
}

QLineEdit* AddField(QFormLayout& form, const QString& label, const QString& text,
                    const char* name) {
    auto* field = new QLineEdit(text);
    field->setObjectName(name);
    form.addRow(label, field);
    return field;
}

// A program chosen in the file dialog, quoted when its path has blanks.
QString BrowseForProgram(QWidget* parent) {
    const QString path = QFileDialog::getOpenFileName(parent, "Browse", "/usr/bin");
    return path.contains(' ') ? '"' + path + '"' : path;
}

}  // namespace

HelperAppsPage::HelperAppsPage(core::CHTConvertorRegistry& registry, config::MimeDatabase& database,
                               platform::HostServices& host, QWidget* parent)
    : QWidget(parent), registry_(registry), database_(database), host_(host), model_(registry) {
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("File &Types");
    list_ = new QTreeWidget;
    list_->setObjectName("fileTypes");
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({"MIME Type / SubType", "File Extension", "Application"});
    // Long type names must not push the Application column out of sight.
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    label->setBuddy(list_);
    layout->addWidget(label);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    for (const auto& [text, slot] :
         {std::pair{"&Add", &HelperAppsPage::Add}, std::pair{"&Delete", &HelperAppsPage::Delete},
          std::pair{"&Edit", &HelperAppsPage::Edit}}) {
        auto* button = new QPushButton(text);
        connect(button, &QPushButton::clicked, this, slot);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    auto* box = new QGroupBox("Action");
    auto* grid = new QGridLayout(box);
    actions_ = new QButtonGroup(this);
    const char* texts[] = {"Use &Corvane Browser", "&Save As", "As&k User", "&Use Application"};
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(texts[i]);
        actions_->addButton(radio, i);
        grid->addWidget(radio, i, 0);
    }
    application_ = new QLineEdit;
    application_->setObjectName("application");
    application_->setPlaceholderText(kDesktopOpener);
    grid->addWidget(application_, 3, 1);
    auto* browse = new QPushButton("&Browse...");
    grid->addWidget(browse, 3, 2);
    layout->addWidget(box);
    connect(actions_, &QButtonGroup::idClicked, this, &HelperAppsPage::ChooseAction);
    connect(application_, &QLineEdit::editingFinished, this, [this] {
        if (actions_->checkedId() == 3 && application_->isModified()) ChooseAction(3);
        application_->setModified(false);
    });
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString program = BrowseForProgram(this);
        if (program.isEmpty()) return;
        application_->setText(program);
        ChooseAction(3);
    });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { ShowRow(); });
    Fill(0);
}

int HelperAppsPage::Row() const {
    QTreeWidgetItem* item = list_->currentItem();
    return item ? list_->indexOfTopLevelItem(item) : -1;
}

void HelperAppsPage::Fill(int select) {
    list_->clear();
    for (const config::HelperAppRow& row : model_.Rows()) {
        list_->addTopLevelItem(new QTreeWidgetItem(
            {FromUtf8(row.type), FromUtf8(row.extensions), FromUtf8(row.application)}));
    }
    if (select >= 0 && select < list_->topLevelItemCount())
        list_->setCurrentItem(list_->topLevelItem(select));
    ShowRow();
}

void HelperAppsPage::ShowRow() {
    const int row = Row();
    for (QAbstractButton* button : actions_->buttons()) button->setEnabled(row >= 0);
    if (row < 0) return;
    const config::ActionChoice choice =
        config::ActionOfText(model_.Rows()[static_cast<std::size_t>(row)].application);
    actions_->button(static_cast<int>(choice.action))->setChecked(true);
    application_->setText(FromUtf8(choice.application));
}

void HelperAppsPage::ChooseAction(int action) {
    const int row = Row();
    if (row < 0) return;
    const QString command =
        application_->text().trimmed().isEmpty() ? kDesktopOpener : application_->text();
    if (const auto message =
            model_.SetAction(row, static_cast<ConvertorAction>(action), ToUtf8(command))) {
        host_.ShowMessage(*message, platform::MessageButtons::kOk,
                          platform::MessageIcon::kExclamation);
    }
    Fill(row);
}

void HelperAppsPage::RunTypeDialog(const QString& type, const QString& subtype,
                                   const QString& suffixes) {
    CheckedDialog dialog(this, host_);
    dialog.setWindowTitle("Corvane Helper App");
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    QLineEdit* typeField = AddField(*form, "MIME &Type:", type, "type");
    QLineEdit* subtypeField = AddField(*form, "MIME &SubType:", subtype, "subtype");
    QLineEdit* suffixField = AddField(*form, "Suffix &List:", suffixes, "suffixes");
    layout->addLayout(form);
    AddOkCancel(dialog, *layout);
    int put = -1;
    dialog.check = [&]() -> std::optional<std::string_view> {
        const auto answer = model_.PutType(ToUtf8(typeField->text()), ToUtf8(subtypeField->text()),
                                           ToUtf8(suffixField->text()));
        if (const auto* message = std::get_if<std::string_view>(&answer)) return *message;
        put = std::get<int>(answer);
        return std::nullopt;
    };
    if (beforeDialog) beforeDialog(dialog);
    if (dialog.exec() == QDialog::Accepted) Fill(put);
}

void HelperAppsPage::Add() {
    RunTypeDialog({}, {}, {});
}

void HelperAppsPage::Edit() {
    const int row = Row();
    if (row < 0) return;
    const config::HelperAppRow& chosen = model_.Rows()[static_cast<std::size_t>(row)];
    const QString type = FromUtf8(chosen.type);
    RunTypeDialog(type.section('/', 0, 0), type.section('/', 1), FromUtf8(chosen.extensions));
}

void HelperAppsPage::Delete() {
    const int row = Row();
    if (row < 0) return;
    const std::string question = "Are you sure you want to delete the file type \n" +
                                 model_.Rows()[static_cast<std::size_t>(row)].type +
                                 "from the registry MIME database?";
    if (host_.ShowMessage(question, platform::MessageButtons::kYesNo,
                          platform::MessageIcon::kQuestion) != platform::MessageAnswer::kYes) {
        return;
    }
    Fill(model_.Delete(row));
}

bool HelperAppsPage::Apply() {
    return model_.Save(registry_, database_);
}

bool ConfigureTypeViewer(
    QWidget* parent, platform::HostServices& host, std::string_view type,
    const std::function<std::optional<std::string_view>(std::string_view)>& configure,
    const std::function<void(QDialog&)>& beforeDialog) {
    CheckedDialog dialog(parent, host);
    dialog.setWindowTitle("Corvane : Configure File Type Viewer");
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    form->addRow("MIME Type :", new QLabel(FromUtf8(type)));
    auto* row = new QHBoxLayout;
    auto* program = new QLineEdit(kDesktopOpener);
    program->setObjectName("application");
    auto* browse = new QPushButton("&Browse");
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, program] {
        const QString chosen = BrowseForProgram(&dialog);
        if (!chosen.isEmpty()) program->setText(chosen);
    });
    row->addWidget(program, 1);
    row->addWidget(browse);
    form->addRow("Application :", row);
    layout->addLayout(form);
    AddOkCancel(dialog, *layout);
    dialog.check = [&] { return configure(ToUtf8(program->text())); };
    if (beforeDialog) beforeDialog(dialog);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace corvane::shell
