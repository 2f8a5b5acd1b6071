#include "news/news_services.h"

#include <algorithm>

#include "config/settings_keys.h"
#include "core/password_nibbles.h"
#include "news/group_list_cache.h"
#include "news/subscriptions.h"
#include "platform/ascii.h"
#include "platform/file_services.h"
#include "platform/whole_file.h"

namespace corvane::news {
namespace {

namespace keys = config::keys;

NewsServices* gServices = nullptr;

constexpr std::string_view kSubsViewSuffix = "-SubsView";
constexpr std::string_view kHasSubsSuffix = "-HasSubs";
constexpr std::string_view kOpenSuffix = "-Open";

std::string Key(std::string_view server, std::string_view suffix) {
    return std::string(server) + std::string(suffix);
}

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

CacheChoice NewsServices::TakeGroupTree(NewsServerRecord& server) {
    if (server.groupCount >= 0) return CacheChoice::kUseCache;
    if (server.reload) return CacheChoice::kRetrieve;
    std::string path;
    const CacheChoice choice = GroupListCache(server, path);
    if (choice != CacheChoice::kUseCache) return choice;
    auto tree = std::make_shared<GroupTree>();
    const long long lines = ReadGroupListCache(path, *tree);
    if (lines < 0) return CacheChoice::kRetrieve;
    server.groups = std::move(tree);
    server.groupCount = lines;
    return CacheChoice::kUseCache;
}

std::vector<std::string> NewsServices::ServerNames() const {
    std::vector<std::string> names;
    for (std::string& name : Services().Keys()) {
        if (!Trimmed(name).empty()) names.push_back(std::move(name));
    }
    const std::string fallback = DefaultServer();
    const bool listed = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return EqualsIgnoreCase(name, fallback);
    });
    if (!listed) names.insert(names.begin(), fallback);
    return names;
}

void NewsServices::ReadWindowState(NewsServerRecord& server) const {
    const config::CSettingsSection settings = MailAndNews();
    server.subscribedView = settings.GetInt(Key(server.name, kSubsViewSuffix), 0) != 0;
    server.hasSubscriptions = settings.GetInt(Key(server.name, kHasSubsSuffix), 0) != 0;
    server.open = settings.GetInt(Key(server.name, kOpenSuffix), 0) != 0;
}

void NewsServices::SaveWindowState(const NewsServerRecord& server) const {
    config::CSettingsSection settings = MailAndNews();
    settings.WriteInt(Key(server.name, kSubsViewSuffix), server.subscribedView ? 1 : 0);
    settings.WriteInt(Key(server.name, kHasSubsSuffix), server.hasSubscriptions ? 1 : 0);
    settings.WriteInt(Key(server.name, kOpenSuffix), server.open ? 1 : 0);
}

void NewsServices::SetSubscription(NewsServerRecord& server, GroupNode& node, bool subscribed) {
    SetSubscribed(node, subscribed);
    server.hasSubscriptions = HasSubscriptions(*server.groups);
    MailAndNews().WriteInt(Key(server.name, kHasSubsSuffix), server.hasSubscriptions ? 1 : 0);
    SaveGroupListCache(server);
}

void NewsServices::RemoveServer(NewsServerRecord& server) {
    config::CSettingsSection settings = MailAndNews();
    for (std::string_view suffix : {kSubsViewSuffix, kHasSubsSuffix, kOpenSuffix})
        settings.DeleteKey(Key(server.name, suffix));
    config::CSettingsSection services = Services();
    const std::string path = services.GetString(server.name, "");
    // A missing file is simply not deleted.
    if (!path.empty()) (void)platform::DeleteFile(path);
    services.DeleteKey(server.name);
    server.groups = std::make_shared<GroupTree>();
    server.groupCount = -1;
    server.subscribedView = false;
    server.hasSubscriptions = false;
    server.open = false;
}

void NewsServices::StartReload(NewsServerRecord& server) {
    MailAndNews().DeleteKey(Key(server.name, kHasSubsSuffix));
    server.groups = std::make_shared<GroupTree>();
    server.groupCount = -1;
    server.hasSubscriptions = false;
    server.subscribedView = false;
    server.reload = true;
    server.loading = true;
}

void NewsServices::SetSecurity(NewsServerRecord& server, platform::TlsMode security) {
    server.security = security;
    config::CSettingsSection settings = MailAndNews();
    const std::string key = server.name + std::string(keys::kSecuritySuffix);
    if (security == platform::TlsMode::kStartTls) {
        settings.WriteString(key, "STARTTLS");
    } else if (security == platform::TlsMode::kTls) {
        settings.WriteString(key, "TLS");
    } else {
        settings.DeleteKey(key);
    }
}

void NewsServices::ClearLogin(NewsServerRecord& server) {
    server.user.clear();
    server.password.clear();
    server.savePassword = false;
    SaveLogin(server);
}

}  // namespace corvane::news
