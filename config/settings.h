#pragma once
// The settings record held for the whole run: the sections "General" and "Settings" (the display
// of documents), with the proxies and the cache values that start-up reads as well. Each group
// loads all its keys at once and saves by comparing with the values in memory: a key is written
// only when its value differs, so confirming a dialog without changes never touches the file.
// The other sections are read by the code that uses them, through CSettingsSection.

#include <string>

#include "config/settings_section.h"

namespace corvane::config {

struct GeneralSettings {
    std::string homePage;
    int autoloadHomePage = 0;
    std::string sourceCommand;
    std::string bookmarkFile;
    bool operator==(const GeneralSettings&) const = default;
};

// The section "Settings": colours, fonts, images and the visited-link age.
struct DisplaySettings {
    int useDocumentColor = 0;
    int unvisitedLinkColor = 0;
    int visitedLinkColor = 0;
    int highlightedLinkColor = 0;
    int textColor = 0;
    int backgroundColor = 0;
    int underlineLinks = 0;
    int visitedLinksExpire = 0;
    int visitedLinkDaysValid = 0;
    int defaultBgImageFile = 0;
    int useDocumentBgImageFile = 0;
    std::string bgImageFileName;
    std::string propFontName;
    int propFontSize = 0;
    std::string fixFontName;
    int fixFontSize = 0;
    int colorDithering = 0;
    int loadDisplayType = 0;
    int autoLoadImages = 0;
    bool operator==(const DisplaySettings&) const = default;
};

struct ProxySettings {
    std::string http;    // proxy slot 0
    std::string ftp;     // proxy slot 1
    std::string gopher;  // proxy slot 2
    bool operator==(const ProxySettings&) const = default;
};

struct CacheSettings {
    int limitKBytes = 0;  // negative: no limit
    int update = 0;       // 1: revalidate once per run, 0: never
    int clearOnExit = 0;
    bool operator==(const CacheSettings&) const = default;
};

class Settings {
  public:
    // The settings file is "ovalon.ini" in `profileDirectory`; `homePage` is the installation's
    // start page, the default of "Home Page".
    Settings(std::string profileDirectory, std::string homePage);

    // Reads "General", "Settings", "Proxy" (binding each non-empty proxy to its scheme's proxy
    // slot, unbinding the empty ones) and "Cache", in that order.
    void LoadAllSettings();

    const GeneralSettings& General() const { return general_; }
    const DisplaySettings& Display() const { return display_; }
    const ProxySettings& Proxy() const { return proxy_; }
    // The host text of the proxy bound to a slot; empty when the slot has none.
    std::string ProxyHost(int slot) const;
    const CacheSettings& Cache() const { return cache_; }

    // Write every value that differs from the one in memory and keep the new values. The proxy
    // bindings follow the new proxy values. Answer false when a write failed (the values that
    // could not be stored are kept as they were).
    bool SaveGeneral(const GeneralSettings& edited);
    bool SaveDisplay(const DisplaySettings& edited);
    bool SaveProxy(const ProxySettings& edited);
    bool SaveCache(const CacheSettings& edited);

    const std::string& ProfileDirectory() const { return profileDirectory_; }
    const std::string& ProfileFile() const { return profileFile_; }

    // An accessor for any section of this run's store.
    CSettingsSection Section(std::string_view name) const;

  private:
    void BindProxies() const;

    std::string profileDirectory_;
    std::string profileFile_;
    std::string homePage_;
    GeneralSettings general_;
    DisplaySettings display_;
    ProxySettings proxy_;
    CacheSettings cache_;
};

// The settings file inside a profile directory.
std::string SettingsFilePath(std::string_view profileDirectory);

}  // namespace corvane::config
