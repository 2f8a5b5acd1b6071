#include "shell/application.h"

#include "config/settings_keys.h"
#include "config/settings_paths.h"
#include "html/text_convertor.h"
#include "protocols/file_protocol.h"
#include "protocols/ftp_protocol.h"
#include "protocols/gopher_protocol.h"
#include "protocols/terminal_launch.h"
#include "render/view_settings.h"
#include "shell/browser_window.h"

namespace corvane::shell {
namespace {

// Protocols and convertors are classes registered once per process.
void RegisterClasses() {
    static const bool registered = [] {
        protocols::RegisterFileProtocol();
        protocols::RegisterGopherAndWhois();
        protocols::RegisterFtp();
        protocols::RegisterTerminals();
        html::RegisterTextConvertors();
        html::TextConvertorServices services;
        services.window = &CBrowserWindow::HostFor;
        html::SetTextConvertorServices(services);
        return true;
    }();
    (void)registered;
}

}  // namespace

CApplication::CApplication(std::string profileDirectory, platform::EventLoop& loop,
                           platform::HostServices& ui)
    : loop_(loop),
      ui_(ui),
      settings_(profileDirectory, config::StartPageUrl(config::ExecutableDirectory())),
      launcher_(loop) {
    settings_.LoadAllSettings();
    protocols::SetFtpAnonymousPassword(
        settings_.Section(config::keys::kEmailAddress.section).Get(config::keys::kEmailAddress));
    const auto services = settings_.Section(config::sections::kServices);
    protocols::SetTerminalPrograms(services.Get(config::keys::kTelnetApp),
                                   services.Get(config::keys::kTn3270App));
    scheduler_ = std::make_unique<core::CHTScheduler>([] { return platform::TickCount(); });
    host_ = std::make_unique<core::CHTHostServices>(ui_, *scheduler_);
    host_->downloads.launcher = &launcher_;
    host_->SetLoop(&loop_);
    RegisterClasses();
    scheduler_->AttachTo(loop_);
}

CApplication::~CApplication() {
    scheduler_->Detach();
    host_.reset();
    scheduler_->DeleteRetired();
}

std::string CApplication::HomePage() const {
    return settings_.General().homePage;
}

render::ViewSettings CApplication::ViewSettings() const {
    return render::ViewSettingsFromDisplay(settings_.Display());
}

}  // namespace corvane::shell
