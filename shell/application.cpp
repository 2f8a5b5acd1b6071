#include "shell/application.h"

#include <cstdlib>

#include "config/settings_keys.h"
#include "config/settings_paths.h"
#include "html/text_convertor.h"
#include "images/image_convertor.h"
#include "mail/mail_protocol.h"
#include "mail/sent_copy.h"
#include "news/news_protocol.h"
#include "platform/file_services.h"
#include "protocols/file_protocol.h"
#include "protocols/ftp_protocol.h"
#include "protocols/gopher_protocol.h"
#include "protocols/http_protocol.h"
#include "protocols/terminal_launch.h"
#include "render/view_settings.h"
#include "shell/browser_window.h"
#include "store/visited_list.h"

namespace corvane::shell {
namespace {

// Links are drawn visited when their address has a visit time in the running application's
// request table.
class VisitedInTable final : public html::VisitedLookup {
  public:
    bool IsVisited(std::string_view url) const override {
        const core::CHTRequestEntry* entry = table != nullptr ? table->FindEntry(url) : nullptr;
        return entry != nullptr && store::IsVisited(*entry);
    }
    core::CHTHostServices* table = nullptr;
};

VisitedInTable gVisited;

// Protocols and convertors are classes registered once per process.
void RegisterClasses() {
    static const bool registered = [] {
        protocols::RegisterFileProtocol();
        protocols::RegisterHttpProtocol();
        protocols::RegisterGopherAndWhois();
        protocols::RegisterFtp();
        protocols::RegisterTerminals();
        news::RegisterNewsProtocols();
        mail::RegisterMailtoProtocol();
        mail::RegisterMailProtocol();
        html::RegisterTextConvertors();
        images::RegisterImageConvertors();
        html::TextConvertorServices services;
        services.window = &CBrowserWindow::HostFor;
        services.visited = &gVisited;
        html::SetTextConvertorServices(services);
        return true;
    }();
    (void)registered;
}

// The start page lies beside the executable in a build tree, under share/corvane when installed.
std::string DefaultHomePage() {
    const std::string here = config::ExecutableDirectory();
    std::string url = config::StartPageUrl(here);
    if (url.empty() && !here.empty()) url = config::StartPageUrl(here + "../share/corvane");
    return url;
}

}  // namespace

CApplication::CApplication(std::string profileDirectory, platform::EventLoop& loop,
                           platform::HostServices& ui)
    : loop_(loop), ui_(ui), settings_(profileDirectory, DefaultHomePage()), launcher_(loop) {
    settings_.LoadAllSettings();
    scheduler_ = std::make_unique<core::CHTScheduler>([] { return platform::TickCount(); });
    host_ = std::make_unique<core::CHTHostServices>(ui_, *scheduler_);
    host_->downloads.launcher = &launcher_;
    host_->SetLoop(&loop_);
    host_->proxyHost = [this](int slot) { return settings_.ProxyHost(slot); };

    cache_ = std::make_unique<store::CDiskCache>(*host_);
    config::ConfigurationChanges start;
    start.cache = start.cacheDirectory = start.mailNews = start.services = true;
    ApplyConfiguration(start);
    store::LoadVisited(*host_, VisitedPath());
    realms_.Load(platform::JoinPath(ProfileDirectory(), store::kRealmFileName));
    gVisited.table = host_.get();
    webStores_ = std::make_unique<store::CBrowsingStores>(*cache_, realms_);
    host_->webStores = webStores_.get();
    news_ = std::make_unique<news::NewsServices>(ui_, settings_.ProfileFile(),
                                                 settings_.ProfileDirectory());
    news::SetNewsServices(news_.get());
    SetUpMailSend();
    // The news layer knows nothing of the mail store; the copy is filed from here.
    news_->filePostedNews = [this](const std::string& newsgroups, const std::string& article) {
        FilePostedNews(newsgroups, article);
    };

    RegisterClasses();
    const char* home = std::getenv("HOME");
    mimeTypes_ = std::make_unique<config::MimeDatabase>(
        std::string(config::kSystemMimeTypesFile), config::UserMimeTypesFile(home ? home : ""),
        settings_.Section(config::sections::kContentType));
    // The registry is the process's: its types are merged once, when first needed (a text dump
    // of a local page never needs them), by the youngest application alive then.
    if (!core::Convertors().Merged()) mimeTypes_->DeferLoad(core::Convertors());
    scheduler_->AttachTo(loop_);
}

void CApplication::ApplyConfiguration(const config::ConfigurationChanges& changes) {
    if (changes.mailNews) {
        protocols::SetFtpAnonymousPassword(
            settings_.Section(config::sections::kMailAndNews).Get(config::keys::kEmailAddress));
    }
    if (changes.services) {
        const auto services = settings_.Section(config::sections::kServices);
        protocols::SetTerminalPrograms(services.Get(config::keys::kTelnetApp),
                                       services.Get(config::keys::kTn3270App));
    }
    if (changes.cacheDirectory) {
        // An unusable cache directory leaves copies in the temporary directory, indexed in
        // memory.
        cache_->Open(config::CacheDirectory(settings_.Section(config::sections::kCache),
                                            settings_.ProfileDirectory(), ""),
                     platform::TempDirectory());
    }
    if (changes.cache || changes.cacheDirectory) {
        const config::CacheSettings& cache = settings_.Cache();
        cache_->SetLimit(cache.limitKBytes);
        cache_->SetUpdate(static_cast<store::CacheUpdate>(cache.update));
        cache_->SetClearOnExit(cache.clearOnExit != 0);
    }
}

CApplication::~CApplication() {
    // Checks still running end here; what they filed is in the index already.
    if (mail_) (void)mail_->store.SaveMessages();
    mail_.reset();
    scheduler_->Detach();
    SaveStores();
    gVisited.table = nullptr;
    host_.reset();
    news::SetNewsServices(nullptr);
    mail::SetMailSendServices(nullptr);
    scheduler_->DeleteRetired();
    cache_->Shutdown();
}

void CApplication::SetUpMailSend() {
    mailSend_.settings = [this] {
        const config::CSettingsSection section = settings_.Section(config::sections::kMailAndNews);
        mail::SmtpSettings smtp;
        smtp.server = section.Get(config::keys::kSmtpServer);
        smtp.address = section.Get(config::keys::kEmailAddress);
        smtp.name = section.Get(config::keys::kMailName);
        // The login of the first mailbox that has one, for servers that want AUTH.
        for (const auto& account : Mail().store.entries()) {
            if (account->HasServer() && !account->user.empty() && !account->password.empty()) {
                smtp.user = account->user;
                smtp.password = account->password;
                break;
            }
        }
        return smtp;
    };
    mailSend_.fileSentCopy = [this](const mail::SentMail& sent) {
        mail::MailStore& store = Mail().store;
        const std::string sender =
            settings_.Section(config::sections::kMailAndNews).Get(config::keys::kEmailAddress);
        return mail::FileSentMail(store, sender, sent, std::time(nullptr)) != nullptr &&
               store.SaveMessages();
    };
    mail::SetMailSendServices(&mailSend_);
}

mail::MailSession& CApplication::Mail() {
    if (!mail_) {
        mail_ = std::make_unique<mail::MailSession>(
            config::MailDirectory(settings_.Section(config::sections::kMailAndNews),
                                  ProfileDirectory()),
            loop_, ui_, true);
        mail_->checks.ShareAcceptedCertificates(host_->acceptedCertificates);
        mail_->checks.showWaitCursor = [this](bool show) {
            if (host_->showWaitCursor) host_->showWaitCursor(show);
        };
    }
    return *mail_;
}

void CApplication::FilePostedNews(const std::string& newsgroups, const std::string& article) {
    const config::CSettingsSection section = settings_.Section(config::sections::kMailAndNews);
    if (section.Get(config::keys::kSavePostedNews) == 0) return;
    mail::MailStore& store = Mail().store;
    if (mail::FileSentNews(store, section.Get(config::keys::kEmailAddress), newsgroups, article,
                           std::time(nullptr)) != nullptr)
        (void)store.SaveMessages();
}

std::string CApplication::VisitedPath() const {
    return platform::JoinPath(ProfileDirectory(), store::kVisitedFileName);
}

void CApplication::SaveStores() {
    const config::DisplaySettings& display = settings_.Display();
    store::SaveVisited(*host_, VisitedPath(),
                       display.visitedLinksExpire != 0
                           ? std::optional<int>(display.visitedLinkDaysValid)
                           : std::nullopt);
    realms_.Save(platform::JoinPath(ProfileDirectory(), store::kRealmFileName));
}

std::string CApplication::HomePage() const {
    return settings_.General().homePage;
}

render::ViewSettings CApplication::ViewSettings() const {
    return render::ViewSettingsFromDisplay(settings_.Display());
}

}  // namespace corvane::shell
