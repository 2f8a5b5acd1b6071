#include "config/configuration_values.h"

#include <vector>

#include "config/settings_paths.h"

namespace corvane::config {
namespace {

// The keys of one section, each bound to its field, so reading and saving walk one list.
template <class Record>
struct Field {
    std::string_view key;
    int Record::*number = nullptr;
    std::string Record::*text = nullptr;
    int defaultNumber = 0;
    std::string defaultText;
};

template <class Record>
Field<Record> Number(const IntKey& key, int Record::*member) {
    return {key.key, member, nullptr, key.defaultValue, {}};
}

template <class Record>
Field<Record> Text(const StringKey& key, std::string Record::*member) {
    return {key.key, nullptr, member, 0, std::string(key.defaultValue)};
}

template <class Record>
Record ReadFields(const CSettingsSection& section, const std::vector<Field<Record>>& fields) {
    Record record;
    for (const Field<Record>& field : fields) {
        if (field.number) record.*field.number = section.GetInt(field.key, field.defaultNumber);
        if (field.text) record.*field.text = section.GetString(field.key, field.defaultText);
    }
    return record;
}

// Answers whether anything changed; `written` turns false when a write failed.
template <class Record>
bool SaveFields(CSettingsSection section, const std::vector<Field<Record>>& fields,
                const Record& old, const Record& edited, bool& written) {
    bool changed = false;
    for (const Field<Record>& field : fields) {
        if (field.number && old.*field.number != edited.*field.number) {
            written = section.WriteInt(field.key, edited.*field.number) && written;
            changed = true;
        }
        if (field.text && old.*field.text != edited.*field.text) {
            written = section.WriteString(field.key, edited.*field.text) && written;
            changed = true;
        }
    }
    return changed;
}

std::vector<Field<MailNewsSettings>> MailNewsFields(std::string_view profileDirectory) {
    using M = MailNewsSettings;
    using namespace keys;
    std::vector<Field<M>> fields = {
        Text(kMailName, &M::mailName),
        Text(kEmailAddress, &M::emailAddress),
        Text(kSmtpServer, &M::smtpServer),
        {kMailDirectory.key, nullptr, &M::mailDirectory, 0,
         ProfilePath(profileDirectory, kMailDirectory)},
        Number(kSaveOutgoingMail, &M::saveOutgoingMail),
        Number(kClearMailDisplay, &M::clearMailDisplay),
        Text(kNntpServer, &M::nntpServer),
        Text(kNewsFileDirectory, &M::newsFileDirectory),
        Number(kNumberOfArticles, &M::numberOfArticles),
        Number(kSavePostedNews, &M::savePostedNews),
        Number(kGroupListCache, &M::groupListCache),
        Number(kPromptForGroupList, &M::promptForGroupList),
        Number(kOnlySubscribedGroups, &M::onlySubscribedGroups),
    };
    return fields;
}

std::vector<Field<ServicesSettings>> ServicesFields() {
    using S = ServicesSettings;
    return {Text(keys::kTelnetApp, &S::telnetApp), Text(keys::kTn3270App, &S::tn3270App),
            Number(keys::kDisplayFullFtp, &S::displayFullFtp)};
}

std::string CacheDirectorySetting(const Settings& settings) {
    return settings.Section(sections::kCache)
        .GetString(keys::kCacheDir.key, ProfilePath(settings.ProfileDirectory(), keys::kCacheDir));
}

}  // namespace

ConfigurationValues ReadConfiguration(const Settings& settings) {
    ConfigurationValues values;
    values.general = settings.General();
    values.display = settings.Display();
    values.proxy = settings.Proxy();
    values.cache = settings.Cache();
    values.cacheDirectory = CacheDirectorySetting(settings);
    values.mailNews = ReadFields(settings.Section(sections::kMailAndNews),
                                 MailNewsFields(settings.ProfileDirectory()));
    values.services = ReadFields(settings.Section(sections::kServices), ServicesFields());
    return values;
}

ConfigurationChanges SaveConfiguration(Settings& settings, const ConfigurationValues& edited) {
    const ConfigurationValues old = ReadConfiguration(settings);
    ConfigurationChanges changes;
    bool& written = changes.written;
    changes.general = !(old.general == edited.general);
    changes.display = !(old.display == edited.display);
    changes.proxy = !(old.proxy == edited.proxy);
    changes.cache = !(old.cache == edited.cache);
    written = settings.SaveGeneral(edited.general) && written;
    written = settings.SaveDisplay(edited.display) && written;
    written = settings.SaveProxy(edited.proxy) && written;
    written = settings.SaveCache(edited.cache) && written;
    if (old.cacheDirectory != edited.cacheDirectory) {
        changes.cacheDirectory = true;
        written = settings.Section(sections::kCache)
                      .WriteString(keys::kCacheDir.key, edited.cacheDirectory) &&
                  written;
    }
    changes.mailNews = SaveFields(settings.Section(sections::kMailAndNews),
                                  MailNewsFields(settings.ProfileDirectory()), old.mailNews,
                                  edited.mailNews, written);
    changes.services = SaveFields(settings.Section(sections::kServices), ServicesFields(),
                                  old.services, edited.services, written);
    return changes;
}

}  // namespace corvane::config
