#include "mail/mail_store.h"

#include <algorithm>

#include "mail/mail_index_lines.h"
#include "platform/ascii.h"
#include "platform/file_services.h"
#include "platform/whole_file.h"
#include "store/store_lines.h"

namespace corvane::mail {
namespace {

template <typename T>
void EraseOwned(std::vector<std::unique_ptr<T>>& list, const T& item) {
    std::erase_if(list, [&](const std::unique_ptr<T>& owned) { return owned.get() == &item; });
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
    entries_.clear();
    store::ForEachStoreLine(EntriesPath(), [&](std::string_view line) { ReadEntriesLine(line); });
    if (entries_.empty()) {
        CreateGlobalFolder(kTrash);
        CreateGlobalFolder(kOut);
        (void)SaveEntries();
    }
    PopAccount* lastEntry = nullptr;
    MailFolder* lastFolder = nullptr;
    store::ForEachStoreLine(MessagesPath(), [&](std::string_view line) {
        ReadMessagesLine(line, lastEntry, lastFolder);
    });
}

void MailStore::ReadEntriesLine(std::string_view line) {
    std::optional<EntryRecord> record = ParseEntryLine(line);
    if (!record || FindEntry(record->name) != nullptr) return;
    auto entry = std::make_unique<PopAccount>();
    entry->name = std::move(record->name);
    entry->server = std::move(record->server);
    entry->user = std::move(record->user);
    entry->password = std::move(record->password);
    entry->savePassword = !entry->password.empty();
    entry->deleteFromServer = entry->HasServer() && (record->flags & kFlagDeleteFromServer) != 0;
    entry->expanded = (record->flags & kFlagExpanded) != 0;
    for (FolderRecord& folderRecord : record->folders) {
        if (FindFolder(*entry, folderRecord.name) != nullptr) continue;
        MailFolder& folder = AddFolder(*entry, folderRecord.name);
        folder.isDefault = (folderRecord.flags & kFlagDefaultFolder) != 0;
        folder.expanded = (folderRecord.flags & kFlagExpanded) != 0;
    }
    entries_.push_back(std::move(entry));
}

void MailStore::ReadMessagesLine(std::string_view line, PopAccount*& lastEntry,
                                 MailFolder*& lastFolder) {
    std::optional<MessageRecord> record = ParseMessageLine(line);
    if (!record) return;
    if (lastEntry == nullptr || !EqualsIgnoreCase(lastEntry->name, record->entry)) {
        lastEntry = FindEntry(record->entry);
        lastFolder = nullptr;
    }
    if (lastEntry == nullptr) return;
    if (lastFolder == nullptr || !EqualsIgnoreCase(lastFolder->name, record->folder))
        lastFolder = FindFolder(*lastEntry, record->folder);
    if (lastFolder == nullptr) return;
    auto message = std::make_unique<MailMessage>();
    message->file = std::move(record->file);
    (record->status == kStatusSent ? message->to : message->from) = std::move(record->address);
    message->date = std::move(record->date);
    message->subject = std::move(record->subject);
    message->status = record->status;
    AddMessage(*lastFolder, std::move(message));
}

bool MailStore::SaveEntries() const {
    std::string text;
    for (const auto& entry : entries_) text += FormatEntryLine(*entry);
    return !platform::WriteFileAtomically(EntriesPath(), text);
}

bool MailStore::SaveMessages() const {
    std::string text;
    for (const auto& entry : entries_) {
        for (const auto& folder : entry->folders) {
            for (const auto& message : folder->messages)
                text += FormatMessageLine(*entry, *folder, *message);
        }
    }
    return !platform::WriteFileAtomically(MessagesPath(), text);
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
