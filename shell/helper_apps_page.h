#pragma once
// The "Helper Apps" page of the configuration sheet and the dialogs it and the download
// question open: "Corvane Helper App" (Add and Edit) and "Corvane : Configure File Type Viewer".
// The page shows a HelperAppsModel and writes it back on Apply; messages go through the host
// services, so tests answer them.

#include <QDialog>
#include <QWidget>

#include "config/mime_database.h"
#include "platform/host_services.h"

class QButtonGroup;
class QLineEdit;
class QTreeWidget;

namespace corvane::shell {

// The program the desktop would choose, offered first wherever a viewer is chosen.
inline constexpr const char* kDesktopOpener = "xdg-open";

class HelperAppsPage : public QWidget {
    Q_OBJECT
  public:
    HelperAppsPage(core::CHTConvertorRegistry& registry, config::MimeDatabase& database,
                   platform::HostServices& host, QWidget* parent = nullptr);

    config::HelperAppsModel& Model() { return model_; }
    QTreeWidget& List() { return *list_; }
    QLineEdit& ApplicationField() { return *application_; }
    // Add and Edit open the dialog; tests fill it in through this hook before it runs.
    std::function<void(QDialog&)> beforeDialog;

    void Add();
    void Edit();
    void Delete();
    // The action choice for the selected row (0 Corvane, 1 save, 2 ask, 3 application).
    void ChooseAction(int action);
    // OK: every change to the registry, "~/.mime.types" and the "Content Type" section.
    bool Apply();

  private:
    void Fill(int select);
    void ShowRow();
    int Row() const;
    // Opens the Add/Edit dialog; OK shows the row it put.
    void RunTypeDialog(const QString& type, const QString& subtype, const QString& suffixes);

    core::CHTConvertorRegistry& registry_;
    config::MimeDatabase& database_;
    platform::HostServices& host_;
    config::HelperAppsModel model_;
    QTreeWidget* list_;
    QButtonGroup* actions_;
    QLineEdit* application_;
};

// "Corvane : Configure File Type Viewer" for a type: true when the type now has an application.
bool ConfigureTypeViewer(
    QWidget* parent, platform::HostServices& host, std::string_view type,
    const std::function<std::optional<std::string_view>(std::string_view)>& configure,
    const std::function<void(QDialog&)>& beforeDialog = {});

}  // namespace corvane::shell
