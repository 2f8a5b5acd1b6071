#pragma once
// What news retrieval needs of the application: the news server records with their group trees
// and logins, the settings (default server, page size, the group list cache), and the questions
// to the user. The application makes one at start-up and hands it to SetNewsServices; tests make
// their own over a scratch profile.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings_section.h"
#include "news/group_tree.h"
#include "platform/host_services.h"
#include "platform/tls_session.h"

namespace corvane::news {

// One news server: its login and its tree of groups, kept for the whole run.
struct NewsServerRecord {
    std::string name;
    std::string user;  // empty: no login is sent on connect
    std::string password;
    bool savePassword = true;
    platform::TlsMode security = platform::TlsMode::kNone;  // NAME-Security
    // Shared with the group list pages being written, so a reload never pulls the tree from
    // under a page; a new list replaces it whole.
    std::shared_ptr<GroupTree> groups = std::make_shared<GroupTree>();
    std::int64_t groupCount = -1;  // -1: the tree is not loaded
    bool reload = false;           // the next group list goes to the server, not the cache
    // The newsgroup window's state of the server ("-SubsView", "-HasSubs", "-Open").
    bool subscribedView = false;
    bool hasSubscriptions = false;
    bool open = false;
    bool loading = false;  // a group list request for the newsgroup window runs
};

// Answers of GroupListCache and TakeGroupTree.
enum class CacheChoice { kCancelled = -1, kRetrieve = 0, kUseCache = 1 };

class NewsServices {
  public:
    NewsServices(platform::HostServices& ui, std::string profileFile, std::string profileDirectory);

    platform::HostServices& Ui() const { return ui_; }

    // The server an address without a host reads from: the "NNTP Server" setting, or this
    // machine when it is empty.
    std::string DefaultServer() const;
    // "Number of Articles", at least 1.
    std::int64_t ArticlesPerPage() const;

    // The record of a server (names match without regard to case); a new one loads the login
    // saved for it.
    NewsServerRecord& Server(std::string_view name);
    // Stores the login (or forgets it when it is not to be saved).
    void SaveLogin(const NewsServerRecord& server);
    // "Need username and password": on OK the record takes the trimmed user name and password
    // and the save flag, and the login is saved. False when cancelled.
    bool AskLogin(NewsServerRecord& server);
    // Whether the user may be asked again after the server refused a login.
    std::function<bool()> mayAsk = [] { return true; };

    // Whether a group list is to come from the cache file: asks when there is none (or it is
    // incomplete) and, with "Prompt for Group List Retrieval", when there is one. `path` is the
    // file to read.
    CacheChoice GroupListCache(const NewsServerRecord& server, std::string& path);
    // Writes the tree to the server's cache file (making one when it has none). False when
    // caching is off or the file could not be written.
    bool SaveGroupListCache(const NewsServerRecord& server);
    // Makes the server's group tree usable: kUseCache when it is in memory or was read from the
    // cache file (after the questions of GroupListCache), kRetrieve when it has to come from the
    // server, kCancelled when the user said no.
    CacheChoice TakeGroupTree(NewsServerRecord& server);
    // Told when a group list request for the newsgroup window ended: retrieved or not.
    std::function<void(NewsServerRecord&, bool retrieved)> groupListEnded;

    // Opens the Post News window: server prefix ("//host/" or empty), newsgroups, references.
    std::function<void(const std::string&, const std::string&, const std::string&)> openPostNews;
    // Files the copy of a posted article (newsgroups, article text) in the folder "News".
    std::function<void(const std::string&, const std::string&)> filePostedNews;

    // The newsgroup window's server list: the keys of "NNTP Services" and the default server.
    std::vector<std::string> ServerNames() const;
    // Reads and writes a record's "-SubsView", "-HasSubs" and "-Open" values.
    void ReadWindowState(NewsServerRecord& server) const;
    void SaveWindowState(const NewsServerRecord& server) const;
    // Subscribes or unsubscribes a node of the server's tree; the server's has-subscriptions
    // flag follows, and the flag and the cache file are saved at once so no change is lost.
    void SetSubscription(NewsServerRecord& server, GroupNode& node, bool subscribed);
    // Forgets a server: its window keys, its cache file and "NNTP Services" key, its tree.
    void RemoveServer(NewsServerRecord& server);
    // Prepares a reload of the server's list: subscriptions and the tree are dropped and the
    // next list comes from the server. The cache file stays until the new list has arrived whole
    // (it is then rewritten), so a reload that fails loses nothing.
    void StartReload(NewsServerRecord& server);
    // Forgets the server's login.
    // Sets how connections to the server are secured and stores it (NAME-Security: "STARTTLS",
    // "TLS", or no key for none); the next connection uses it.
    void SetSecurity(NewsServerRecord& server, platform::TlsMode security);
    void ClearLogin(NewsServerRecord& server);

  private:
    config::CSettingsSection MailAndNews() const;
    config::CSettingsSection Services() const;
    std::string NewsDirectory() const;
    CacheChoice AskToRetrieve(std::string_view server) const;

    platform::HostServices& ui_;
    std::string profileFile_;
    std::string profileDirectory_;
    std::vector<std::unique_ptr<NewsServerRecord>> servers_;
};

// The services news protocols use; null until the application sets them.
void SetNewsServices(NewsServices* services);
NewsServices* TheNewsServices();

}  // namespace corvane::news
