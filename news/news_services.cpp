#include "news/news_services.h"

#include <algorithm>

#include "config/settings_keys.h"
#include "core/password_nibbles.h"
#include "news/group_list_cache.h"
#include "platform/ascii.h"
#include "platform/file_services.h"
#include "platform/whole_file.h"

namespace corvane::news {
namespace {

namespace keys = config::keys;

NewsServices* gServices = nullptr;

std::string Trimmed(std::string_view text) {
    while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsAsciiSpace(text.back())) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace

void SetNewsServices(NewsServices* services) {
    gServices = services;
}

NewsServices* TheNewsServices() {
    return gServices;
}

NewsServices::NewsServices(platform::HostServices& ui, std::string profileFile,
                           std::string profileDirectory)
    : ui_(ui),
      profileFile_(std::move(profileFile)),
      profileDirectory_(std::move(profileDirectory)) {}

config::CSettingsSection NewsServices::MailAndNews() const {
    return config::CSettingsSection(profileFile_, config::sections::kMailAndNews);
}

config::CSettingsSection NewsServices::Services() const {
    return config::CSettingsSection(profileFile_, config::sections::kNntpServices);
}

std::string NewsServices::DefaultServer() const {
    const std::string server = Trimmed(MailAndNews().Get(keys::kNntpServer));
    return server.empty() ? std::string(keys::kNntpServer.defaultValue) : server;
}

std::int64_t NewsServices::ArticlesPerPage() const {
    return std::max(1, MailAndNews().Get(keys::kNumberOfArticles));
}

NewsServerRecord& NewsServices::Server(std::string_view name) {
    for (const auto& server : servers_) {
        if (EqualsIgnoreCase(server->name, name)) return *server;
    }
    auto record = std::make_unique<NewsServerRecord>();
    record->name = name;
    const config::CSettingsSection settings = MailAndNews();
    const std::string key(name);
    record->savePassword = settings.GetInt(key + std::string(keys::kSavePasswordSuffix),
                                           keys::kSavePasswordDefault) != 0;
    const std::string security =
        Trimmed(settings.GetString(key + std::string(keys::kSecuritySuffix), ""));
    if (EqualsIgnoreCase(security, "STARTTLS")) record->security = platform::TlsMode::kStartTls;
    if (EqualsIgnoreCase(security, "TLS")) record->security = platform::TlsMode::kTls;
    if (record->savePassword) {
        record->user = settings.GetString(key + std::string(keys::kUserSuffix), "");
        record->password = core::DecodePasswordNibbles(
            settings.GetString(key + std::string(keys::kPasswordSuffix), ""));
    }
    servers_.push_back(std::move(record));
    return *servers_.back();
}

void NewsServices::SaveLogin(const NewsServerRecord& server) {
    config::CSettingsSection settings = MailAndNews();
    const std::string& key = server.name;
    settings.WriteInt(key + std::string(keys::kSavePasswordSuffix), server.savePassword ? 1 : 0);
    settings.WriteString(key + std::string(keys::kUserSuffix),
                         server.savePassword ? server.user : "");
    settings.WriteString(key + std::string(keys::kPasswordSuffix),
                         server.savePassword ? core::EncodePasswordNibbles(server.password) : "");
}

bool NewsServices::AskLogin(NewsServerRecord& server) {
    platform::Credentials prefill{server.user, server.password, server.savePassword};
    const std::optional<platform::Credentials> login =
        ui_.AskUserPassword("Need username and password", server.name, prefill);
    if (!login) return false;
    server.user = Trimmed(login->user);
    server.password = Trimmed(login->password);
    server.savePassword = login->savePassword;
    SaveLogin(server);
    return true;
}

CacheChoice NewsServices::AskToRetrieve(std::string_view server) const {
    const std::string text = "No news group list for " + std::string(server) +
                             ".\nIt may take a while to retrieve the news group list.\n"
                             "Especially if you are using a modem or on a slow connection.\n"
                             "Proceed?";
    const platform::MessageAnswer answer = ui_.ShowMessage(
        text, platform::MessageButtons::kOkCancel, platform::MessageIcon::kQuestion);
    return answer == platform::MessageAnswer::kOk ? CacheChoice::kRetrieve
                                                  : CacheChoice::kCancelled;
}

CacheChoice NewsServices::GroupListCache(const NewsServerRecord& server, std::string& path) {
    const config::CSettingsSection settings = MailAndNews();
    if (settings.Get(keys::kGroupListCache) == 0) return AskToRetrieve(server.name);
    path = Services().GetString(server.name, "");
    if (path.empty() || !IsCompleteGroupListCache(path, server.name))
        return AskToRetrieve(server.name);
    if (settings.Get(keys::kPromptForGroupList) == 0) return CacheChoice::kUseCache;
    const std::optional<int> choice = ui_.AskChoice(
        "Corvane : Newsgroup Retrieve Settings",
        "It may take a while to retrieve the news group list. Especially if you are using a "
        "modem or on a slow connection.",
        {"Use &Cache", "&Retrieve from Server"});
    if (!choice) return CacheChoice::kCancelled;
    return *choice == 0 ? CacheChoice::kUseCache : CacheChoice::kRetrieve;
}

std::string NewsServices::NewsDirectory() const {
    const std::string directory = Trimmed(MailAndNews().Get(keys::kNewsFileDirectory));
    return directory.empty() ? profileDirectory_ : directory;
}

bool NewsServices::SaveGroupListCache(const NewsServerRecord& server) {
    if (MailAndNews().Get(keys::kGroupListCache) == 0) return false;
    config::CSettingsSection services = Services();
    std::string path = services.GetString(server.name, "");
    if (path.empty() || !platform::GetFileInfo(path)) {
        const std::string directory = NewsDirectory();
        if (!platform::CreateDirectories(directory)) return false;
        path = NewGroupListCachePath(directory);
        if (path.empty()) return false;
        services.WriteString(server.name, path);
    }
    return !platform::WriteFileAtomically(path, FormatGroupListCache(*server.groups, server.name));
}

}  // namespace corvane::news
