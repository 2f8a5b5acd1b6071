#include "mail/mail_store.h"

#include <algorithm>
#include <unordered_set>

#include "mail/mail_index_lines.h"
#include "platform/ascii.h"
#include "platform/directory_lock.h"
#include "platform/file_services.h"
#include "platform/whole_file.h"
#include "store/store_lines.h"

namespace corvane::mail {
namespace {

template <typename T>
void EraseOwned(std::vector<std::unique_ptr<T>>& list, const T& item) {
    std::erase_if(list, [&](const std::unique_ptr<T>& owned) { return owned.get() == &item; });
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Gives the entry the record's settings and folders (folders it has already keep their place).
void ApplyEntryRecord(PopAccount& entry, EntryRecord& record) {
    entry.server = std::move(record.server);
    entry.user = std::move(record.user);
    // A password typed for this run only is not in the file, and stays.
    const bool saved = !record.password.empty();
    if (saved || entry.savePassword) entry.password = std::move(record.password);
    entry.savePassword = saved;
    entry.deleteFromServer = entry.HasServer() && (record.flags & kFlagDeleteFromServer) != 0;
    entry.expanded = (record.flags & kFlagExpanded) != 0;
    entry.security = !entry.HasServer()                    ? platform::TlsMode::kNone
                     : (record.flags & kFlagTls) != 0      ? platform::TlsMode::kTls
                     : (record.flags & kFlagStartTls) != 0 ? platform::TlsMode::kStartTls
                                                           : platform::TlsMode::kNone;
    std::vector<std::string_view> seen;
    for (FolderRecord& folderRecord : record.folders) {
        if (std::any_of(seen.begin(), seen.end(), [&](std::string_view name) {
                return EqualsIgnoreCase(name, folderRecord.name);
            }))
            continue;
        seen.push_back(folderRecord.name);
        MailFolder* folder = MailStore::FindFolder(entry, folderRecord.name);
        if (folder == nullptr) folder = &MailStore::AddFolder(entry, folderRecord.name);
        folder->isDefault = (folderRecord.flags & kFlagDefaultFolder) != 0;
        folder->expanded = (folderRecord.flags & kFlagExpanded) != 0;
    }
}

void SetMessageFields(MailMessage& message, MessageRecord&& record) {
    message.file = std::move(record.file);
    message.from.clear();
    message.to.clear();
    (record.status == kStatusSent ? message.to : message.from) = std::move(record.address);
    message.date = std::move(record.date);
    message.subject = std::move(record.subject);
    message.status = record.status;
}

// The index line without its line end, as the baselines keep them.
std::string ChompedLine(const PopAccount& entry, const MailFolder& folder,
                        const MailMessage& message) {
    std::string line = FormatMessageLine(entry, folder, message);
    line.pop_back();
    return line;
}

}  // namespace

char StatusLetter(int status) {
    constexpr std::string_view kLetters = "URPDFS";
    return status >= 0 && status < static_cast<int>(kLetters.size())
               ? kLetters[static_cast<std::size_t>(status)]
               : '?';
}

MailStore::MailStore(std::string directory) : directory_(std::move(directory)) {}

std::string MailStore::EntriesPath() const {
    return platform::JoinPath(directory_, kEntriesFile);
}

std::string MailStore::MessagesPath() const {
    return platform::JoinPath(directory_, kMessagesFile);
}

void MailStore::Load() {
    platform::DirectoryLock lock(directory_);
    entries_.clear();
    entriesBase_.clear();
    messagesBase_.clear();
    entriesVersion_ = platform::GetFileVersion(EntriesPath());
    store::ForEachStoreLine(EntriesPath(), [&](std::string_view line) { ReadEntriesLine(line); });
    if (entries_.empty()) {
        CreateGlobalFolder(kTrash);
        CreateGlobalFolder(kOut);
        (void)WriteEntries();
    }
    messagesVersion_ = platform::GetFileVersion(MessagesPath());
    std::unordered_set<std::string> named;
    store::ForEachStoreLine(MessagesPath(), [&](std::string_view line) {
        std::optional<MessageRecord> record = ParseMessageLine(line);
        if (!record) return;
        named.insert(BaseName(record->file));
        messagesBase_.emplace(record->file, line);
        (void)AddRecord(std::move(*record), false);
    });
    // A check killed while receiving left its message unnamed and unfinished on the server.
    platform::DeleteUnlockedFiles(directory_, "CVT*.tmp",
                                  [&](const std::string& name) { return named.contains(name); });
    platform::RemoveLeftoverTemporaries(directory_);
}

void MailStore::ReadEntriesLine(std::string_view line) {
    std::optional<EntryRecord> record = ParseEntryLine(line);
    if (!record || FindEntry(record->name) != nullptr) return;
    entriesBase_.emplace(AsciiLower(record->name), line);
    auto entry = std::make_unique<PopAccount>();
    entry->name = std::move(record->name);
    ApplyEntryRecord(*entry, *record);
    entries_.push_back(std::move(entry));
}

bool MailStore::AddRecord(MessageRecord&& record, bool makeFolder) {
    PopAccount* entry = FindEntry(record.entry);
    if (entry == nullptr) return false;
    MailFolder* folder = FindFolder(*entry, record.folder);
    if (folder == nullptr && makeFolder) folder = &AddFolder(*entry, record.folder);
    if (folder == nullptr) return false;
    auto message = std::make_unique<MailMessage>();
    SetMessageFields(*message, std::move(record));
    AddMessage(*folder, std::move(message));
    return true;
}

bool MailStore::SaveEntries() {
    platform::DirectoryLock lock(directory_);
    MergeEntries();
    return WriteEntries();
}

bool MailStore::SaveMessages() {
    platform::DirectoryLock lock(directory_);
    // New lines may name folders that only the other side's "mailbox.ini" has.
    MergeEntries();
    MergeMessages();
    return WriteMessages();
}

bool MailStore::Refresh() {
    platform::DirectoryLock lock(directory_);
    const bool entries = MergeEntries();
    return MergeMessages() || entries;
}

bool MailStore::WriteEntries() {
    std::string text;
    std::unordered_map<std::string, std::string> lines;
    for (const auto& entry : entries_) {
        std::string line = FormatEntryLine(*entry);
        text += line;
        line.pop_back();
        lines.emplace(AsciiLower(entry->name), std::move(line));
    }
    if (platform::WriteFileAtomically(EntriesPath(), text)) return false;
    entriesVersion_ = platform::GetFileVersion(EntriesPath());
    entriesBase_ = std::move(lines);
    return true;
}

bool MailStore::WriteMessages() {
    std::string text;
    std::unordered_map<std::string, std::string> lines;
    for (const auto& entry : entries_) {
        for (const auto& folder : entry->folders) {
            for (const auto& message : folder->messages) {
                std::string line = FormatMessageLine(*entry, *folder, *message);
                text += line;
                line.pop_back();
                lines.emplace(message->file, std::move(line));
            }
        }
    }
    if (platform::WriteFileAtomically(MessagesPath(), text)) return false;
    messagesVersion_ = platform::GetFileVersion(MessagesPath());
    messagesBase_ = std::move(lines);
    return true;
}

bool MailStore::MergeEntries() {
    const platform::FileVersion version = platform::GetFileVersion(EntriesPath());
    if (version == entriesVersion_) return false;
    std::unordered_map<std::string, std::string> lines;
    bool changed = false;
    store::ForEachStoreLine(EntriesPath(), [&](std::string_view line) {
        std::optional<EntryRecord> theirs = ParseEntryLine(line);
        if (!theirs) return;
        const std::string key = AsciiLower(theirs->name);
        if (!lines.emplace(key, line).second) return;
        const auto base = entriesBase_.find(key);
        PopAccount* ours = FindEntry(theirs->name);
        if (ours == nullptr) {
            // Gone here since the last read: this side deleted or renamed it.
            if (base != entriesBase_.end()) return;
            ReadEntriesLine(line);
            changed = true;
            return;
        }
        std::string oursLine = FormatEntryLine(*ours);
        oursLine.pop_back();
        const bool oursUnchanged = base != entriesBase_.end() && base->second == oursLine;
        if (oursUnchanged && base->second != line) {
            ApplyEntryRecord(*ours, *theirs);
            changed = true;
            return;
        }
        // Folders the other side added are kept even when this side changed the entry.
        std::optional<EntryRecord> known;
        if (base != entriesBase_.end()) known = ParseEntryLine(base->second);
        for (const FolderRecord& folder : theirs->folders) {
            const bool wasKnown =
                known && std::any_of(known->folders.begin(), known->folders.end(),
                                     [&](const FolderRecord& old) {
                                         return EqualsIgnoreCase(old.name, folder.name);
                                     });
            if (wasKnown || FindFolder(*ours, folder.name) != nullptr) continue;
            AddFolder(*ours, folder.name).expanded = (folder.flags & kFlagExpanded) != 0;
            changed = true;
        }
    });
    entriesVersion_ = version;
    entriesBase_ = std::move(lines);
    if (changed && onMerged) onMerged();
    return changed;
}

struct MailStore::MessageLine {
    std::string text;
    MessageRecord record;
};

bool MailStore::MergeMessages() {
    const platform::FileVersion version = platform::GetFileVersion(MessagesPath());
    if (version == messagesVersion_) return false;
    std::unordered_map<std::string, MessageLine> theirs;
    std::vector<std::string> order;
    store::ForEachStoreLine(MessagesPath(), [&](std::string_view line) {
        std::optional<MessageRecord> record = ParseMessageLine(line);
        if (!record) return;
        std::string file = record->file;
        if (theirs.try_emplace(file, MessageLine{std::string(line), std::move(*record)}).second)
            order.push_back(std::move(file));
    });
    std::vector<MailMessage*> ours;
    for (const auto& entry : entries_) {
        for (const auto& folder : entry->folders) {
            for (const auto& message : folder->messages) ours.push_back(message.get());
        }
    }
    bool changed = false;
    std::unordered_set<std::string> held;
    for (MailMessage* message : ours) {
        held.insert(message->file);
        const auto base = messagesBase_.find(message->file);
        // New here, or changed here: this side's version stands.
        if (base == messagesBase_.end() ||
            base->second != ChompedLine(*message->folder->owner, *message->folder, *message))
            continue;
        const auto other = theirs.find(message->file);
        if (other == theirs.end()) {
            // The other side dropped it; it is gone when its file is.
            if (!platform::GetFileInfo(message->file)) {
                EraseOwned(message->folder->messages, *message);
                changed = true;
            }
        } else if (other->second.text != base->second) {
            MergedMessage(*message, other->second, changed);
        }
    }
    for (const std::string& file : order) {
        // Lines known before and missing here were deleted or moved away by this side.
        if (held.contains(file) || messagesBase_.contains(file)) continue;
        MessageLine& line = theirs[file];
        changed = AddRecord(std::move(line.record), true) || changed;
    }
    messagesVersion_ = version;
    messagesBase_.clear();
    for (auto& [file, line] : theirs) messagesBase_.emplace(file, std::move(line.text));
    if (changed && onMerged) onMerged();
    return changed;
}

void MailStore::MergedMessage(MailMessage& ours, const MessageLine& theirs, bool& changed) {
    PopAccount* entry = FindEntry(theirs.record.entry);
    MailFolder* folder = entry != nullptr ? FindFolder(*entry, theirs.record.folder) : nullptr;
    if (folder == nullptr) return;
    SetMessageFields(ours, MessageRecord(theirs.record));
    if (folder != ours.folder) MoveMessage(ours, *folder);
    changed = true;
}

PopAccount* MailStore::FindEntry(std::string_view name) const {
    for (const auto& entry : entries_) {
        if (EqualsIgnoreCase(entry->name, name)) return entry.get();
    }
    return nullptr;
}

MailFolder* MailStore::FindFolder(const PopAccount& entry, std::string_view name) {
    for (const auto& folder : entry.folders) {
        if (EqualsIgnoreCase(folder->name, name)) return folder.get();
    }
    return nullptr;
}

MailFolder* MailStore::GlobalFolder(std::string_view name) const {
    PopAccount* entry = FindEntry(name);
    if (entry == nullptr || entry->HasServer() || entry->folders.empty()) return nullptr;
    return entry->folders.front().get();
}

MailFolder& MailStore::CreateGlobalFolder(std::string_view name) {
    auto entry = std::make_unique<PopAccount>();
    entry->name = std::string(name);
    MailFolder& folder = AddFolder(*entry, name);
    entries_.push_back(std::move(entry));
    return folder;
}

MailFolder& MailStore::GlobalFolderMadeWhenMissing(std::string_view name) {
    MailFolder* folder = GlobalFolder(name);
    return folder != nullptr ? *folder : CreateGlobalFolder(name);
}

PopAccount& MailStore::AddAccount(std::string_view name, std::string_view server,
                                  std::string_view user) {
    auto entry = std::make_unique<PopAccount>();
    entry->name = std::string(name);
    entry->server = std::string(server);
    entry->user = std::string(user);
    DefaultFolder(*entry);
    entries_.push_back(std::move(entry));
    return *entries_.back();
}

MailFolder& MailStore::AddFolder(PopAccount& entry, std::string_view name) {
    auto folder = std::make_unique<MailFolder>();
    folder->name = std::string(name);
    folder->owner = &entry;
    entry.folders.push_back(std::move(folder));
    return *entry.folders.back();
}

MailFolder& MailStore::DefaultFolder(PopAccount& account) {
    for (const auto& folder : account.folders) {
        if (folder->isDefault) return *folder;
    }
    MailFolder* inbox = FindFolder(account, kInbox);
    if (inbox == nullptr) inbox = &AddFolder(account, kInbox);
    inbox->isDefault = true;
    return *inbox;
}

std::optional<std::string> MailStore::NewMessageFile() const {
    return platform::CreateTempFile(directory_, "CVT");
}

MailMessage& MailStore::AddMessage(MailFolder& to, std::unique_ptr<MailMessage> message,
                                   const MailMessage* after) {
    message->folder = &to;
    auto at = to.messages.end();
    if (after != nullptr) {
        at = std::find_if(to.messages.begin(), to.messages.end(),
                          [&](const auto& owned) { return owned.get() == after; });
        if (at != to.messages.end()) ++at;
    }
    return **to.messages.insert(at, std::move(message));
}

void MailStore::MoveMessage(MailMessage& message, MailFolder& to, const MailMessage* after) {
    MailFolder& from = *message.folder;
    auto at = std::find_if(from.messages.begin(), from.messages.end(),
                           [&](const auto& owned) { return owned.get() == &message; });
    if (at == from.messages.end()) return;
    std::unique_ptr<MailMessage> owned = std::move(*at);
    from.messages.erase(at);
    AddMessage(to, std::move(owned), after);
}

void MailStore::DeleteMessage(MailMessage& message) {
    if (!message.file.empty()) platform::DeleteFile(message.file);
    EraseOwned(message.folder->messages, message);
}

void MailStore::DeleteFolder(MailFolder& folder) {
    while (!folder.messages.empty()) DeleteMessage(*folder.messages.back());
    EraseOwned(folder.owner->folders, folder);
}

void MailStore::DeleteEntry(PopAccount& entry) {
    while (!entry.folders.empty()) DeleteFolder(*entry.folders.back());
    EraseOwned(entries_, entry);
}

}  // namespace corvane::mail
