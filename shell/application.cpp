#include "shell/application.h"

#include "config/settings_paths.h"
#include "html/text_convertor.h"
#include "platform/file_services.h"
#include "protocols/file_protocol.h"
#include "protocols/http_protocol.h"
#include "render/view_settings.h"
#include "shell/browser_window.h"

namespace corvane::shell {
namespace {

// Protocols and convertors are classes registered once per process.
void RegisterClasses() {
    static const bool registered = [] {
        protocols::RegisterFileProtocol();
        protocols::RegisterHttpProtocol();
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
    scheduler_ = std::make_unique<core::CHTScheduler>([] { return platform::TickCount(); });
    host_ = std::make_unique<core::CHTHostServices>(ui_, *scheduler_);
    host_->downloads.launcher = &launcher_;
    host_->SetLoop(&loop_);
    host_->proxyHost = [this](int slot) { return settings_.ProxyHost(slot); };
    OpenStores(profileDirectory);
    RegisterClasses();
    scheduler_->AttachTo(loop_);
}

void CApplication::OpenStores(const std::string& profileDirectory) {
    realmFile_ = profileDirectory + "/" + std::string(store::kRealmFileName);
    realms_.Load(realmFile_);
    cache_ = std::make_unique<store::CDiskCache>(*host_);
    cache_->Open(profileDirectory + "/cache", platform::TempDirectory());
    const config::CacheSettings& cache = settings_.Cache();
    cache_->SetLimit(cache.limitKBytes);
    cache_->SetUpdate(static_cast<store::CacheUpdate>(cache.update));
    cache_->SetClearOnExit(cache.clearOnExit != 0);
    webStores_ = std::make_unique<store::CBrowsingStores>(*cache_, realms_);
    host_->webStores = webStores_.get();
}

CApplication::~CApplication() {
    realms_.Save(realmFile_);
    scheduler_->Detach();
    host_.reset();
    scheduler_->DeleteRetired();
    webStores_.reset();
    cache_->Shutdown();
}

std::string CApplication::HomePage() const {
    return settings_.General().homePage;
}

render::ViewSettings CApplication::ViewSettings() const {
    return render::ViewSettingsFromDisplay(settings_.Display());
}

}  // namespace corvane::shell
