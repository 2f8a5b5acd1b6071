#include "config/configuration_values.h"

#include <functional>

#include <gtest/gtest.h>

#include "core/scheme_registry.h"
#include "platform/profile_file.h"
#include "tests/support/scratch_directory.h"

namespace corvane::config {
namespace {

TEST(ConfigurationValues, EveryPageValueIsStoredUnderItsKeyAndReadBack) {
    struct Case {
        std::function<void(ConfigurationValues&)> edit;
        std::string_view section;
        std::string_view key;
        std::string_view stored;
    };
    const Case cases[] = {
        {[](auto& v) { v.general.homePage = "http://home.test/"; }, "General", "Home Page",
         "http://home.test/"},
        {[](auto& v) { v.general.autoloadHomePage = 0; }, "General", "Autoload Home Page", "0"},
        {[](auto& v) { v.general.sourceCommand = "gedit"; }, "General", "Source Command", "gedit"},
        {[](auto& v) { v.display.backgroundColor = 0x00FF00; }, "Settings", "Background Color",
         "65280"},
        {[](auto& v) { v.display.propFontSize = 16; }, "Settings", "PropFontSize", "16"},
        {[](auto& v) { v.display.fixFontName = "Mono"; }, "Settings", "FixFontName", "Mono"},
        {[](auto& v) { v.display.colorDithering = 0; }, "Settings", "Color Ditehring", "0"},
        {[](auto& v) { v.display.loadDisplayType = 0; }, "Settings", "Load Display Type", "0"},
        {[](auto& v) { v.proxy.ftp = "proxy.test:3128"; }, "Proxy", "FTP Proxy", "proxy.test:3128"},
        {[](auto& v) { v.cache.limitKBytes = -1; }, "Cache", "Cache Limit (KBytes)", "-1"},
        {[](auto& v) { v.cache.clearOnExit = 1; }, "Cache", "Cache Clear On Exit", "1"},
        {[](auto& v) { v.cacheDirectory = "/var/tmp/c"; }, "Cache", "Cache Dir", "/var/tmp/c"},
        {[](auto& v) { v.mailNews.smtpServer = "smtp.test"; }, "Mail and News", "SMTP Server",
         "smtp.test"},
        {[](auto& v) { v.mailNews.numberOfArticles = 250; }, "Mail and News", "Number of Articles",
         "250"},
        {[](auto& v) { v.mailNews.saveOutgoingMail = 0; }, "Mail and News", "Save Outing Mail",
         "0"},
        {[](auto& v) { v.mailNews.onlySubscribedGroups = 0; }, "Mail and News",
         "Display only Subscribed Newsgroup", "0"},
        {[](auto& v) { v.services.tn3270App = "c3270"; }, "Services", "Use TN3270 App", "c3270"},
        {[](auto& v) { v.services.displayFullFtp = 0; }, "Services", "Display Full FTP", "0"},
    };
    for (const Case& c : cases) {
        corvane::testing::ScratchDirectory scratch;
        Settings settings(scratch.path(), "file:/start.html");
        settings.LoadAllSettings();
        // Confirming without a change writes nothing.
        EXPECT_TRUE(SaveConfiguration(settings, ReadConfiguration(settings)).written);
        EXPECT_TRUE(scratch.Names().empty());
        ConfigurationValues edited = ReadConfiguration(settings);
        c.edit(edited);
        EXPECT_TRUE(SaveConfiguration(settings, edited).written);
        platform::ProfileFile file(SettingsFilePath(scratch.path()));
        EXPECT_EQ(file.ReadString(c.section, c.key, "(none)"), c.stored) << c.key;
        EXPECT_EQ(file.Keys(c.section).size(), 1u) << c.key;  // no other key was written
        Settings restarted(scratch.path(), "file:/start.html");
        restarted.LoadAllSettings();
        const ConfigurationValues again = ReadConfiguration(restarted);
        EXPECT_TRUE(again.general == edited.general && again.display == edited.display &&
                    again.proxy == edited.proxy && again.cache == edited.cache &&
                    again.cacheDirectory == edited.cacheDirectory &&
                    again.mailNews == edited.mailNews && again.services == edited.services)
            << c.key;
    }
    core::SetProxySlot("ftp", -1);
}

TEST(ConfigurationValues, ChangesNameTheGroupsToApplyAndProxiesRebindAtOnce) {
    corvane::testing::ScratchDirectory scratch;
    Settings settings(scratch.path(), "file:/start.html");
    settings.LoadAllSettings();
    ConfigurationValues edited = ReadConfiguration(settings);
    edited.proxy.http = "proxy.test:8080";
    edited.services.telnetApp = "xterm -e telnet";
    const ConfigurationChanges changes = SaveConfiguration(settings, edited);
    EXPECT_TRUE(changes.proxy && changes.services);
    EXPECT_FALSE(changes.general || changes.display || changes.cache || changes.cacheDirectory ||
                 changes.mailNews);
    EXPECT_EQ(settings.ProxyHost(core::Schemes().ProxySlot(core::FindScheme("http"))),
              "proxy.test:8080");
    edited.proxy.http.clear();
    SaveConfiguration(settings, edited);
    EXPECT_EQ(core::Schemes().ProxySlot(core::FindScheme("http")), -1);
}

}  // namespace
}  // namespace corvane::config
