#pragma once
// The configuration property sheet (Options > Configurations...): pages General, View, Fonts,
// Images, Helper Apps, Mail/News, Services, Proxies and Cache. The pages edit a copy of the
// values (config/configuration_values.h); OK writes the changed keys and the helper
// applications, and the caller applies what changed.

#include <QDialog>
#include <QTabWidget>
#include <functional>

#include "config/configuration_values.h"
#include "config/mime_database.h"
#include "platform/host_services.h"

namespace corvane::shell {

class CApplication;
class CMainFrame;
class HelperAppsPage;

class ConfigurationSheet : public QDialog {
    Q_OBJECT
  public:
    ConfigurationSheet(config::Settings& settings, core::CHTConvertorRegistry& registry,
                       config::MimeDatabase& database, platform::HostServices& host,
                       QWidget* parent = nullptr);

    // The buttons of the Cache page, run after their question is answered OK.
    std::function<void()> clearCache;
    std::function<void()> clearPasswords;

    QTabWidget& Pages() { return *pages_; }
    HelperAppsPage& HelperApps() { return *helperApps_; }
    config::ConfigurationValues& Values() { return values_; }
    // What the last OK changed.
    const config::ConfigurationChanges& Changes() const { return changes_; }

    void accept() override;

  private:
    QWidget* GeneralPage();
    QWidget* ViewPage();
    QWidget* FontsPage();
    QWidget* ImagesPage();
    QWidget* MailNewsPage();
    QWidget* ServicesPage();
    QWidget* ProxiesPage();
    QWidget* CachePage();
    void Ask(const char* question, const std::function<void()>& action);

    config::Settings& settings_;
    platform::HostServices& host_;
    config::ConfigurationValues values_;
    config::ConfigurationChanges changes_;
    QTabWidget* pages_;
    HelperAppsPage* helperApps_;
};

// Options > Configurations... of the window: runs the sheet over the application's settings and
// MIME database and puts what OK changed into effect at once.
void RunConfigurationSheet(CMainFrame& frame, CApplication& application,
                           const std::function<void(ConfigurationSheet&)>& beforeExec = {});

}  // namespace corvane::shell
