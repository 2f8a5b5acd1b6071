#pragma once
// Every stored setting: its section, its key and its default. Keys and sections are matched
// without regard to case by the store. Booleans are integers (0 off, anything else on); colours
// are integers with red in the lowest byte, then green, then blue.
//
// Defaults that depend on the profile directory (the bookmark file, the cache and mail
// directories) or on the installation (the home page) are ProfileKey or computed by
// settings_paths.h.

#include <string_view>

namespace corvane::config {

struct IntKey {
    std::string_view section;
    std::string_view key;
    int defaultValue;
};

struct StringKey {
    std::string_view section;
    std::string_view key;
    std::string_view defaultValue;
};

// A string whose default is a name inside the profile directory.
struct ProfileKey {
    std::string_view section;
    std::string_view key;
    std::string_view nameInProfile;
};

namespace sections {
inline constexpr std::string_view kMainFrame = "Main Frame";
inline constexpr std::string_view kUrlList = "URL List";
inline constexpr std::string_view kGeneral = "General";
inline constexpr std::string_view kSettings = "Settings";
inline constexpr std::string_view kProxy = "Proxy";
inline constexpr std::string_view kCache = "Cache";
inline constexpr std::string_view kMailAndNews = "Mail and News";
inline constexpr std::string_view kServices = "Services";
inline constexpr std::string_view kNntpServices = "NNTP Services";
// The program's own action per content type (config/mime_database.h).
inline constexpr std::string_view kContentType = "Content Type";
}  // namespace sections

namespace keys {
using namespace sections;

// Window placement and bars.
inline constexpr IntKey kToolBar{kMainFrame, "ToolBar", 1};
inline constexpr IntKey kStatusBar{kMainFrame, "StatusBar", 1};
inline constexpr IntKey kLocationBar{kMainFrame, "LocationBar", 1};
inline constexpr IntKey kMaximized{kMainFrame, "Maximized", 0};
inline constexpr IntKey kMinimized{kMainFrame, "Minimized", 0};
inline constexpr IntKey kX{kMainFrame, "x", 0};
inline constexpr IntKey kY{kMainFrame, "y", 0};
inline constexpr IntKey kWidth{kMainFrame, "Width", 0};
inline constexpr IntKey kHeight{kMainFrame, "Height", 0};
inline constexpr IntKey kToolDock{kMainFrame, "ToolDock", 1};
inline constexpr IntKey kToolX{kMainFrame, "Toolx", 0};
inline constexpr IntKey kToolY{kMainFrame, "Tooly", 0};
inline constexpr IntKey kToolWidth{kMainFrame, "ToolWidth", 0};
inline constexpr IntKey kToolHeight{kMainFrame, "ToolHeight", 0};

// The location bar's list: this prefix followed by 1 to kTypedUrlCount, empty by default.
inline constexpr std::string_view kTypedUrlPrefix = "TypedURL_";
inline constexpr int kTypedUrlCount = 20;

// General. The home page's default is the start page shipped with the program.
inline constexpr StringKey kHomePage{kGeneral, "Home Page", ""};
inline constexpr IntKey kAutoloadHomePage{kGeneral, "Autoload Home Page", 1};
inline constexpr StringKey kSourceCommand{kGeneral, "Source Command", ""};
inline constexpr ProfileKey kBookmarkFile{kGeneral, "Bookmark File", "bookmark.htm"};

// Settings: display of documents.
inline constexpr IntKey kUseDocumentColor{kSettings, "Use Document Color", 1};
inline constexpr IntKey kUnvisitedLinkColor{kSettings, "Unvisited Link Color", 0xFF0000};
inline constexpr IntKey kVisitedLinkColor{kSettings, "Visited Link Color", 0x800080};
inline constexpr IntKey kHighlightedLinkColor{kSettings, "Highlighted Link Color", 0x0000FF};
inline constexpr IntKey kTextColor{kSettings, "Text Color", 0};
inline constexpr IntKey kBackgroundColor{kSettings, "Background Color", 0xFFFFFF};
inline constexpr IntKey kUnderlineLinks{kSettings, "Underline Links", 1};
inline constexpr IntKey kVisitedLinksExpire{kSettings, "Visited Links Expire", 0};
inline constexpr IntKey kVisitedLinkDaysValid{kSettings, "Visited Link Days Valid", 30};
inline constexpr IntKey kDefaultBgImageFile{kSettings, "Default BG Image File", 1};
inline constexpr IntKey kUseDocumentBgImageFile{kSettings, "Use Document BG Image File", 1};
inline constexpr StringKey kBgImageFileName{kSettings, "BG Image File Name", ""};
inline constexpr StringKey kPropFontName{kSettings, "PropFontName", "Times New Roman"};
inline constexpr IntKey kPropFontSize{kSettings, "PropFontSize", 12};
inline constexpr StringKey kFixFontName{kSettings, "FixFontName", "Courier New"};
inline constexpr IntKey kFixFontSize{kSettings, "FixFontSize", 10};
inline constexpr IntKey kColorDithering{kSettings, "Color Ditehring", 1};
inline constexpr IntKey kLoadDisplayType{kSettings, "Load Display Type", 2};
inline constexpr IntKey kAutoLoadImages{kSettings, "Auto Load Images", 1};

// Proxies, each bound to a proxy slot of its scheme.
inline constexpr StringKey kHttpProxy{kProxy, "HTTP Proxy", ""};
inline constexpr StringKey kFtpProxy{kProxy, "FTP Proxy", ""};
inline constexpr StringKey kGopherProxy{kProxy, "Gopher Proxy", ""};

// Disk cache.
inline constexpr ProfileKey kCacheDir{kCache, "Cache Dir", "cache"};
inline constexpr IntKey kCacheLimitKBytes{kCache, "Cache Limit (KBytes)", 1000};
inline constexpr IntKey kCacheUpdate{kCache, "Cache Update", 1};
inline constexpr IntKey kCacheClearOnExit{kCache, "Cache Clear On Exit", 0};

// Mail and news. The news server's default is our own machine.
inline constexpr StringKey kMailName{kMailAndNews, "Mail Name", ""};
inline constexpr StringKey kEmailAddress{kMailAndNews, "E-Mail Address", ""};
inline constexpr StringKey kSmtpServer{kMailAndNews, "SMTP Server", ""};
inline constexpr ProfileKey kMailDirectory{kMailAndNews, "Mail Directory", "mail"};
inline constexpr IntKey kSaveOutgoingMail{kMailAndNews, "Save Outing Mail", 1};
inline constexpr IntKey kClearMailDisplay{kMailAndNews, "Clear Mail Display", 1};
inline constexpr StringKey kNntpServer{kMailAndNews, "NNTP Server", "localhost"};
inline constexpr StringKey kNewsFileDirectory{kMailAndNews, "News File Directory", ""};
inline constexpr IntKey kNumberOfArticles{kMailAndNews, "Number of Articles", 100};
inline constexpr IntKey kSavePostedNews{kMailAndNews, "Save Posted News", 1};
inline constexpr IntKey kGroupListCache{kMailAndNews, "Group List Cache", 1};
inline constexpr IntKey kPromptForGroupList{kMailAndNews, "Prompt for Group List Retrieval", 1};
inline constexpr IntKey kOnlySubscribedGroups{kMailAndNews, "Display only Subscribed Newsgroup", 1};
// Per news server: the server's name followed by these suffixes.
inline constexpr std::string_view kSavePasswordSuffix = "-SavePasswd";
inline constexpr int kSavePasswordDefault = 1;
inline constexpr std::string_view kUserSuffix = "-User";
inline constexpr std::string_view kPasswordSuffix = "-Passwd";  // stored in nibble form
// "STARTTLS" (the command, refused servers get no login) or "TLS" (from the start, port 563);
// anything else: no TLS.
inline constexpr std::string_view kSecuritySuffix = "-Security";

// External programs and FTP listings.
inline constexpr StringKey kTelnetApp{kServices, "Use Telnet App", "x-terminal-emulator -e telnet"};
inline constexpr StringKey kTn3270App{kServices, "Use TN3270 App", "x3270"};
inline constexpr IntKey kDisplayFullFtp{kServices, "Display Full FTP", 1};

}  // namespace keys
}  // namespace corvane::config
