#include "config/settings.h"

#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "config/settings_paths.h"
#include "core/scheme_registry.h"

namespace corvane::config {
namespace {

// One stored value of a group: its key and the member that holds it.
template <class Group>
struct Field {
    std::variant<std::pair<IntKey, int Group::*>, std::pair<StringKey, std::string Group::*>>
        binding;
};

template <class Group>
Field<Group> Bind(const IntKey& key, int Group::*member) {
    return {std::pair{key, member}};
}
template <class Group>
Field<Group> Bind(const StringKey& key, std::string Group::*member) {
    return {std::pair{key, member}};
}

// Saving "General" needs only the key names: its defaults depend on the installation.
const Field<GeneralSettings> kGeneralFields[] = {
    Bind(keys::kHomePage, &GeneralSettings::homePage),
    Bind(keys::kAutoloadHomePage, &GeneralSettings::autoloadHomePage),
    Bind(keys::kSourceCommand, &GeneralSettings::sourceCommand),
    Bind(StringKey{sections::kGeneral, keys::kBookmarkFile.key, ""},
         &GeneralSettings::bookmarkFile),
};

// The keys of "Settings", in the order start-up reads them.
const Field<DisplaySettings> kDisplayFields[] = {
    Bind(keys::kUseDocumentColor, &DisplaySettings::useDocumentColor),
    Bind(keys::kUnvisitedLinkColor, &DisplaySettings::unvisitedLinkColor),
    Bind(keys::kVisitedLinkColor, &DisplaySettings::visitedLinkColor),
    Bind(keys::kHighlightedLinkColor, &DisplaySettings::highlightedLinkColor),
    Bind(keys::kTextColor, &DisplaySettings::textColor),
    Bind(keys::kBackgroundColor, &DisplaySettings::backgroundColor),
    Bind(keys::kUnderlineLinks, &DisplaySettings::underlineLinks),
    Bind(keys::kVisitedLinksExpire, &DisplaySettings::visitedLinksExpire),
    Bind(keys::kVisitedLinkDaysValid, &DisplaySettings::visitedLinkDaysValid),
    Bind(keys::kDefaultBgImageFile, &DisplaySettings::defaultBgImageFile),
    Bind(keys::kUseDocumentBgImageFile, &DisplaySettings::useDocumentBgImageFile),
    Bind(keys::kBgImageFileName, &DisplaySettings::bgImageFileName),
    Bind(keys::kPropFontName, &DisplaySettings::propFontName),
    Bind(keys::kPropFontSize, &DisplaySettings::propFontSize),
    Bind(keys::kFixFontName, &DisplaySettings::fixFontName),
    Bind(keys::kFixFontSize, &DisplaySettings::fixFontSize),
    Bind(keys::kColorDithering, &DisplaySettings::colorDithering),
    Bind(keys::kLoadDisplayType, &DisplaySettings::loadDisplayType),
    Bind(keys::kAutoLoadImages, &DisplaySettings::autoLoadImages),
};

const Field<ProxySettings> kProxyFields[] = {
    Bind(keys::kHttpProxy, &ProxySettings::http),
    Bind(keys::kFtpProxy, &ProxySettings::ftp),
    Bind(keys::kGopherProxy, &ProxySettings::gopher),
};

const Field<CacheSettings> kCacheFields[] = {
    Bind(keys::kCacheLimitKBytes, &CacheSettings::limitKBytes),
    Bind(keys::kCacheUpdate, &CacheSettings::update),
    Bind(keys::kCacheClearOnExit, &CacheSettings::clearOnExit),
};

template <class Group, std::size_t N>
void LoadGroup(const CSettingsSection& section, const Field<Group> (&fields)[N], Group& group) {
    for (const Field<Group>& field : fields) {
        std::visit([&](const auto& binding) { group.*binding.second = section.Get(binding.first); },
                   field.binding);
    }
}

// Writes the differing values; `held` takes each value that was stored.
template <class Group, std::size_t N>
bool SaveGroup(CSettingsSection section, const Field<Group> (&fields)[N], const Group& edited,
               Group& held) {
    bool stored = true;
    for (const Field<Group>& field : fields) {
        std::visit(
            [&](const auto& binding) {
                const auto member = binding.second;
                if (held.*member == edited.*member) return;
                bool written;
                if constexpr (std::is_same_v<std::decay_t<decltype(edited.*member)>, int>) {
                    written = section.WriteInt(binding.first.key, edited.*member);
                } else {
                    written = section.WriteString(binding.first.key, edited.*member);
                }
                if (written) {
                    held.*member = edited.*member;
                } else {
                    stored = false;
                }
            },
            field.binding);
    }
    return stored;
}

// Each proxy setting owns a slot; its scheme is fetched through the slot while it is set.
struct ProxyBinding {
    std::string_view scheme;
    std::string ProxySettings::*value;
    int slot;
};
constexpr ProxyBinding kProxyBindings[] = {
    {"http", &ProxySettings::http, 0},
    {"ftp", &ProxySettings::ftp, 1},
    {"gopher", &ProxySettings::gopher, 2},
};

}  // namespace

std::string SettingsFilePath(std::string_view profileDirectory) {
    std::string path(profileDirectory);
    if (!path.empty() && path.back() != '/') path.push_back('/');
    return path + "ovalon.ini";
}

Settings::Settings(std::string profileDirectory, std::string homePage)
    : profileDirectory_(std::move(profileDirectory)),
      profileFile_(SettingsFilePath(profileDirectory_)),
      homePage_(std::move(homePage)) {}

CSettingsSection Settings::Section(std::string_view name) const {
    return CSettingsSection(profileFile_, name);
}

void Settings::LoadAllSettings() {
    const CSettingsSection general = Section(sections::kGeneral);
    general_.homePage = general.GetString(keys::kHomePage.key, homePage_);
    general_.autoloadHomePage = general.Get(keys::kAutoloadHomePage);
    general_.sourceCommand = general.Get(keys::kSourceCommand);
    general_.bookmarkFile = general.GetString(keys::kBookmarkFile.key,
                                              ProfilePath(profileDirectory_, keys::kBookmarkFile));

    LoadGroup(Section(sections::kSettings), kDisplayFields, display_);
    LoadGroup(Section(sections::kProxy), kProxyFields, proxy_);
    BindProxies();
    LoadGroup(Section(sections::kCache), kCacheFields, cache_);
}

bool Settings::SaveGeneral(const GeneralSettings& edited) {
    return SaveGroup(Section(sections::kGeneral), kGeneralFields, edited, general_);
}

bool Settings::SaveDisplay(const DisplaySettings& edited) {
    return SaveGroup(Section(sections::kSettings), kDisplayFields, edited, display_);
}

bool Settings::SaveProxy(const ProxySettings& edited) {
    const bool stored = SaveGroup(Section(sections::kProxy), kProxyFields, edited, proxy_);
    BindProxies();
    return stored;
}

bool Settings::SaveCache(const CacheSettings& edited) {
    return SaveGroup(Section(sections::kCache), kCacheFields, edited, cache_);
}

std::string Settings::ProxyHost(int slot) const {
    for (const ProxyBinding& binding : kProxyBindings) {
        if (binding.slot == slot) return proxy_.*binding.value;
    }
    return {};
}

void Settings::BindProxies() const {
    for (const ProxyBinding& binding : kProxyBindings) {
        core::SetProxySlot(binding.scheme, (proxy_.*binding.value).empty() ? -1 : binding.slot);
    }
}

}  // namespace corvane::config
