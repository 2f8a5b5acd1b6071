#include "config/mime_database.h"

#include <algorithm>

#include "platform/ascii.h"
#include "platform/file_services.h"
#include "platform/program_launcher.h"
#include "platform/whole_file.h"

namespace corvane::config {
namespace {

using core::ConvertorAction;

// Real databases are some tens of kilobytes; a larger file is not a database.
constexpr std::size_t kMaxDatabaseBytes = 4u << 20;
constexpr std::string_view kHiddenValue = "-1,";

bool IsSuffixChar(char c) {
    return IsAsciiAlnum(c) || c == '-' || c == '_' || c == '+';
}

std::vector<std::string> SplitList(std::string_view list) {
    std::vector<std::string> items;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        if (comma != 0) items.emplace_back(list.substr(0, comma));
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return items;
}

std::string JoinList(const std::vector<std::string>& items) {
    std::string list;
    for (const std::string& item : items) {
        if (!list.empty()) list += ',';
        list += item;
    }
    return list;
}

bool ContainsIgnoreCase(const std::vector<std::string>& items, std::string_view item) {
    return std::any_of(items.begin(), items.end(),
                       [item](const std::string& each) { return EqualsIgnoreCase(each, item); });
}

MimeTypesFile ReadDatabase(const std::string& path) {
    std::string text;
    if (path.empty() || platform::ReadWholeFile(path, kMaxDatabaseBytes, text)) return {};
    return MimeTypesFile::Parse(text);
}

bool IsDefaultAction(const core::CHTConvertorRegistry& registry, int typeIndex) {
    const core::CHTConvertorEntry& entry = registry.Entry(typeIndex);
    return entry.action == (registry.HasInternalConvertor(typeIndex) ? ConvertorAction::kDisplay
                                                                     : ConvertorAction::kAsk);
}

}  // namespace

bool IsMimeToken(std::string_view text) {
    static constexpr std::string_view kSpecials = "()<>@,;:\\\"/[]?=";
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return c > ' ' && c < 0x7F && kSpecials.find(c) == std::string_view::npos;
    });
}

bool IsMimeType(std::string_view text) {
    const std::size_t slash = text.find('/');
    return slash != std::string_view::npos && IsMimeToken(text.substr(0, slash)) &&
           IsMimeToken(text.substr(slash + 1));
}

std::optional<std::string> NormalizeSuffixList(std::string_view text) {
    std::vector<std::string> items;
    if (TrimAsciiSpace(text).empty()) return std::string();
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = TrimAsciiSpace(text.substr(0, comma));
        if (item.empty() || !std::all_of(item.begin(), item.end(), IsSuffixChar))
            return std::nullopt;
        items.emplace_back(item);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return JoinList(items);
}

std::string ApplicationText(ConvertorAction action, std::string_view application) {
    switch (action) {
        case ConvertorAction::kDisplay:
            return std::string(kDisplayText);
        case ConvertorAction::kSave:
            return std::string(kSaveText);
        case ConvertorAction::kApplication:
            if (!application.empty()) return std::string(application);
            break;
        case ConvertorAction::kAsk:
            break;
    }
    return std::string(kAskText);
}

ActionChoice ActionOfText(std::string_view text) {
    if (text == kDisplayText) return {ConvertorAction::kDisplay, {}};
    if (text == kSaveText) return {ConvertorAction::kSave, {}};
    if (text.empty() || text == kAskText) return {ConvertorAction::kAsk, {}};
    return {ConvertorAction::kApplication, std::string(text)};
}

// MimeTypesFile

MimeTypesFile MimeTypesFile::Parse(std::string_view text) {
    MimeTypesFile file;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        Line line;
        line.text = std::string(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        std::string_view rest = line.text;
        std::vector<std::string> words;
        while (true) {
            rest = TrimAsciiSpace(rest);
            if (rest.empty() || rest.front() == '#') break;
            std::size_t blank = 0;
            while (blank < rest.size() && !IsAsciiSpace(rest[blank])) ++blank;
            words.emplace_back(rest.substr(0, blank));
            rest.remove_prefix(blank);
        }
        if (!words.empty() && IsMimeType(words.front())) {
            line.type = words.front();
            for (std::size_t i = 1; i < words.size(); ++i) {
                const std::string& word = words[i];
                if (std::all_of(word.begin(), word.end(), IsSuffixChar))
                    line.extensions.push_back(word);
            }
        }
        file.lines_.push_back(std::move(line));
    }
    return file;
}

std::string MimeTypesFile::Text() const {
    std::string text;
    for (const Line& line : lines_) text += line.text + "\n";
    return text;
}

bool MimeTypesFile::Names(std::string_view type) const {
    return std::any_of(lines_.begin(), lines_.end(),
                       [type](const Line& line) { return EqualsIgnoreCase(line.type, type); });
}

bool MimeTypesFile::SetType(std::string_view type,
                            const std::optional<std::vector<std::string>>& extensions) {
    std::vector<const Line*> current;
    for (const Line& line : lines_) {
        if (EqualsIgnoreCase(line.type, type)) current.push_back(&line);
    }
    if (extensions ? current.size() == 1 && current.front()->extensions == *extensions
                   : current.empty()) {
        return false;
    }
    Line replacement;
    if (extensions) {
        replacement.type = std::string(type);
        replacement.extensions = *extensions;
        replacement.text = replacement.type;
        for (const std::string& extension : *extensions) replacement.text += " " + extension;
    }
    bool placed = !extensions.has_value();
    std::vector<Line> kept;
    for (Line& line : lines_) {
        if (!EqualsIgnoreCase(line.type, type)) {
            kept.push_back(std::move(line));
        } else if (!placed) {
            kept.push_back(replacement);
            placed = true;
        }
    }
    if (!placed) kept.push_back(std::move(replacement));
    lines_ = std::move(kept);
    return true;
}

// MimeDatabase

MimeDatabase::MimeDatabase(std::string systemFile, std::string userFile,
                           CSettingsSection contentTypes)
    : systemFile_(std::move(systemFile)),
      userFile_(std::move(userFile)),
      contentTypes_(std::move(contentTypes)) {}

std::string UserMimeTypesFile(std::string_view homeDirectory) {
    return homeDirectory.empty() ? std::string()
                                 : platform::JoinPath(homeDirectory, kUserMimeTypesName);
}

MimeDatabase::~MimeDatabase() {
    if (deferredOn_ != nullptr) deferredOn_->DropDeferredMerge(this);
}

bool MimeDatabase::Hidden(std::string_view type) const {
    return contentTypes_.GetString(type, "") == kHiddenValue;
}

void MimeDatabase::DeferLoad(core::CHTConvertorRegistry& registry) {
    ApplyActions(registry);
    deferredOn_ = &registry;
    registry.DeferMerge(this, [this, &registry] {
        deferredOn_ = nullptr;
        Load(registry);
    });
}

void MimeDatabase::Load(core::CHTConvertorRegistry& registry) {
    const MimeTypesFile system = ReadDatabase(systemFile_);
    user_ = ReadDatabase(userFile_);
    claims_.clear();
    baseline_.clear();
    known_.clear();
    registry.Reserve(system.Lines().size() + user_.Lines().size());
    for (const MimeTypesFile::Line& line : system.Lines()) {
        if (!line.type.empty()) known_.insert(AsciiLower(line.type));
    }
    for (int i = 0; i < registry.Count(); ++i) {
        const core::CHTConvertorEntry& entry = registry.Entry(i);
        known_.insert(AsciiLower(entry.type));
        for (const std::string& extension : SplitList(entry.extensions)) {
            claims_.emplace(AsciiLower(extension), entry.type);
            baseline_[AsciiLower(entry.type)].push_back(extension);
        }
    }
    const MimeTypesFile* const files[] = {&system, &user_};
    for (const MimeTypesFile* file : files) {
        for (const MimeTypesFile::Line& line : file->Lines()) {
            if (line.type.empty()) continue;
            int index = registry.FindType(line.type);
            if (index < 0) {
                if (Hidden(line.type)) continue;
                index = registry.Register(line.type, nullptr, "");
            }
            core::CHTConvertorEntry& entry = registry.Entry(index);
            for (const std::string& extension : line.extensions) {
                // The first claim keeps the extension.
                if (!claims_.emplace(AsciiLower(extension), entry.type).second) continue;
                if (!core::ExtensionListContains(entry.extensions, extension)) {
                    if (!entry.extensions.empty()) entry.extensions += ',';
                    entry.extensions += extension;
                }
                if (file == &system) baseline_[AsciiLower(entry.type)].push_back(extension);
            }
        }
    }
    ApplyActions(registry);
}

void MimeDatabase::ApplyActions(core::CHTConvertorRegistry& registry) const {
    for (int i = 0; i < registry.Count(); ++i) {
        core::CHTConvertorEntry& entry = registry.Entry(i);
        const std::string value = contentTypes_.GetString(entry.type, "");
        if (value.empty() || !IsAsciiDigit(value.front())) continue;
        const int action = value.front() - '0';
        if (action > static_cast<int>(ConvertorAction::kApplication) ||
            (value.size() > 1 && value[1] != ',')) {
            continue;
        }
        entry.action = static_cast<ConvertorAction>(action);
        const std::size_t comma = value.find(',');
        entry.application =
            entry.action == ConvertorAction::kApplication && comma != std::string::npos
                ? value.substr(comma + 1)
                : std::string();
    }
}

std::string MimeDatabase::ClaimOf(std::string_view extension) const {
    const auto found = claims_.find(AsciiLower(extension));
    return found == claims_.end() ? std::string() : found->second;
}

bool MimeDatabase::WriteAction(const core::CHTConvertorRegistry& registry, int typeIndex) {
    const core::CHTConvertorEntry& entry = registry.Entry(typeIndex);
    // Saving the page visits every type: only changes rewrite the settings file.
    const std::string stored = contentTypes_.GetString(entry.type, "");
    if (IsDefaultAction(registry, typeIndex))
        return stored.empty() || contentTypes_.DeleteKey(entry.type);
    const std::string application =
        entry.action == ConvertorAction::kApplication ? entry.application : std::string();
    const std::string value = std::to_string(static_cast<int>(entry.action)) + "," + application;
    return value == stored || contentTypes_.WriteString(entry.type, value);
}

bool MimeDatabase::SaveType(core::CHTConvertorRegistry& registry, std::string_view type,
                            const std::vector<std::string>& extensions,
                            const ActionChoice& action) {
    registry.Complete();  // the claims below are the merged database's
    int index = registry.FindType(type);
    const bool isNew = index < 0;
    if (isNew) index = registry.Register(type, nullptr, "");
    core::CHTConvertorEntry& entry = registry.Entry(index);
    // Extensions the type let go of are free again, unless the system gives them to it.
    const std::vector<std::string>& baseline = baseline_[AsciiLower(entry.type)];
    for (auto it = claims_.begin(); it != claims_.end();) {
        const bool drop = EqualsIgnoreCase(it->second, entry.type) &&
                          !ContainsIgnoreCase(extensions, it->first) &&
                          !ContainsIgnoreCase(baseline, it->first);
        it = drop ? claims_.erase(it) : std::next(it);
    }
    std::vector<std::string> owned;
    std::vector<std::string> extras;
    for (const std::string& extension : extensions) {
        const std::string& owner = claims_.emplace(AsciiLower(extension), entry.type).first->second;
        if (!EqualsIgnoreCase(owner, entry.type) || ContainsIgnoreCase(owned, extension)) continue;
        owned.push_back(extension);
        if (!ContainsIgnoreCase(baseline, extension)) extras.push_back(extension);
    }
    entry.extensions = JoinList(owned);
    entry.action = action.action;
    entry.application =
        action.action == ConvertorAction::kApplication ? action.application : std::string();
    // The user's file names the type when the system does not, or when it adds extensions.
    const bool listedElsewhere = known_.count(AsciiLower(entry.type)) != 0;
    const std::optional<std::vector<std::string>> line =
        !extras.empty() || !listedElsewhere ? std::optional(extras) : std::nullopt;
    if (user_.SetType(entry.type, line)) userChanged_ = true;
    return WriteAction(registry, index);
}

bool MimeDatabase::DeleteType(core::CHTConvertorRegistry& registry, std::string_view type) {
    registry.Complete();
    if (user_.SetType(type, std::nullopt)) userChanged_ = true;
    for (auto it = claims_.begin(); it != claims_.end();) {
        const bool drop = EqualsIgnoreCase(it->second, type) &&
                          !ContainsIgnoreCase(baseline_[AsciiLower(type)], it->first);
        it = drop ? claims_.erase(it) : std::next(it);
    }
    const int index = registry.FindType(type);
    const bool internal = index >= 0 && registry.HasInternalConvertor(index);
    if (index >= 0 && !internal) registry.Entry(index).removed = true;
    if (!internal && ReadDatabase(systemFile_).Names(type))
        return contentTypes_.WriteString(type, kHiddenValue);
    return contentTypes_.DeleteKey(type);
}

bool MimeDatabase::Flush() {
    if (!userChanged_) return true;
    if (userFile_.empty()) return false;
    if (platform::WriteFileAtomically(userFile_, user_.Text(), platform::NewFileAccess::kUmask))
        return false;
    userChanged_ = false;
    return true;
}

void LoadMimeDatabase(core::CHTConvertorRegistry& registry, MimeDatabase& database) {
    database.Load(registry);
}

// HelperAppsModel

HelperAppsModel::HelperAppsModel(const core::CHTConvertorRegistry& registry) {
    registry.Complete();
    for (int i = 0; i < registry.Count(); ++i) {
        const core::CHTConvertorEntry& entry = registry.Entry(i);
        if (entry.removed) continue;
        rows_.push_back(
            {entry.type, entry.extensions, ApplicationText(entry.action, entry.application)});
    }
}

int HelperAppsModel::Find(std::string_view type) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (EqualsIgnoreCase(rows_[i].type, type)) return static_cast<int>(i);
    }
    return -1;
}

std::variant<int, std::string_view> HelperAppsModel::PutType(std::string_view type,
                                                             std::string_view subtype,
                                                             std::string_view suffixes) {
    type = TrimAsciiSpace(type);
    subtype = TrimAsciiSpace(subtype);
    if (!IsMimeToken(type)) return kInvalidType;
    if (!IsMimeToken(subtype)) return kInvalidSubtype;
    const std::optional<std::string> list = NormalizeSuffixList(suffixes);
    if (!list) return kInvalidSuffixes;
    const std::string name = std::string(type) + "/" + std::string(subtype);
    int row = Find(name);
    if (row < 0) {
        rows_.push_back({name, *list, std::string(kAskText)});
        row = static_cast<int>(rows_.size()) - 1;
        std::erase_if(deleted_,
                      [&name](const std::string& each) { return EqualsIgnoreCase(each, name); });
    } else {
        rows_[static_cast<std::size_t>(row)].extensions = *list;
    }
    return row;
}

int HelperAppsModel::Delete(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return -1;
    deleted_.push_back(rows_[static_cast<std::size_t>(row)].type);
    rows_.erase(rows_.begin() + row);
    return std::min(row, static_cast<int>(rows_.size()) - 1);
}

std::optional<std::string_view> HelperAppsModel::SetAction(int row, ConvertorAction action,
                                                           std::string_view application) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return std::nullopt;
    application = TrimAsciiSpace(application);
    if (action == ConvertorAction::kApplication &&
        (!platform::IsExecutableCommand(application) ||
         ActionOfText(application).action != ConvertorAction::kApplication)) {
        return kInvalidApplication;
    }
    rows_[static_cast<std::size_t>(row)].application = ApplicationText(action, application);
    return std::nullopt;
}

bool HelperAppsModel::Save(core::CHTConvertorRegistry& registry, MimeDatabase& database) const {
    bool ok = true;
    for (const std::string& type : deleted_) {
        if (Find(type) < 0) ok = database.DeleteType(registry, type) && ok;
    }
    for (const HelperAppRow& row : rows_) {
        ok = database.SaveType(registry, row.type, SplitList(row.extensions),
                               ActionOfText(row.application)) &&
             ok;
    }
    return database.Flush() && ok;
}

std::optional<std::string_view> ConfigureViewer(core::CHTConvertorRegistry& registry,
                                                MimeDatabase& database, int typeIndex,
                                                std::string_view application) {
    application = TrimAsciiSpace(application);
    if (!registry.IsValid(typeIndex) || !platform::IsExecutableCommand(application))
        return kInvalidApplication;
    core::CHTConvertorEntry& entry = registry.Entry(typeIndex);
    entry.action = ConvertorAction::kApplication;
    entry.application = std::string(application);
    database.WriteAction(registry, typeIndex);
    return std::nullopt;
}

}  // namespace corvane::config
