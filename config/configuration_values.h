#pragma once
// What the configuration sheet edits, without its widgets: every key its pages show, read from
// the settings at once, and written back on OK key by key, only where a value changed. The answer
// says which groups changed so the program can apply them at once (proxies rebound, the cache's
// directory and limit, the view's colours and fonts, the terminal programs).

#include <string>

#include "config/settings.h"

namespace corvane::config {

// The section "Mail and News" without the per-server logins, which the news code keeps.
struct MailNewsSettings {
    std::string mailName;
    std::string emailAddress;
    std::string smtpServer;
    std::string mailDirectory;
    int saveOutgoingMail = 0;
    int clearMailDisplay = 0;
    std::string nntpServer;
    std::string newsFileDirectory;
    int numberOfArticles = 0;
    int savePostedNews = 0;
    int groupListCache = 0;
    int promptForGroupList = 0;
    int onlySubscribedGroups = 0;
    bool operator==(const MailNewsSettings&) const = default;
};

struct ServicesSettings {
    std::string telnetApp;
    std::string tn3270App;
    int displayFullFtp = 0;
    bool operator==(const ServicesSettings&) const = default;
};

struct ConfigurationValues {
    GeneralSettings general;
    DisplaySettings display;
    ProxySettings proxy;
    CacheSettings cache;
    std::string cacheDirectory;
    MailNewsSettings mailNews;
    ServicesSettings services;
};

ConfigurationValues ReadConfiguration(const Settings& settings);

struct ConfigurationChanges {
    bool general = false;
    bool display = false;
    bool proxy = false;
    bool cache = false;  // limit, update policy, clearing at exit
    bool cacheDirectory = false;
    bool mailNews = false;
    bool services = false;
    bool written = true;  // false when some value could not be stored
};

ConfigurationChanges SaveConfiguration(Settings& settings, const ConfigurationValues& edited);

}  // namespace corvane::config
