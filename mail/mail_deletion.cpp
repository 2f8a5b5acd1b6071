#include "mail/mail_deletion.h"

namespace corvane::mail {
namespace {

bool IsTrash(const MailStore& store, const MailFolder* folder) {
    return folder != nullptr && folder == store.GlobalFolder(MailStore::kTrash);
}

void MoveAllToTrash(MailStore& store, MailFolder& folder) {
    MailFolder& trash = store.GlobalFolderMadeWhenMissing(MailStore::kTrash);
    while (!folder.messages.empty()) MailStore::MoveMessage(*folder.messages.front(), trash);
}

}  // namespace

std::string DeleteConfirmation(const MailStore& store, const MailItem& item) {
    if (item.message != nullptr) return {};
    if (item.folder != nullptr) {
        if (IsTrash(store, item.folder))
            return "Permanently deleting all mail messages inside the trash folder.\nProceed?";
        return "Deleting the mail folder " + item.folder->name + " will delete all its " +
               "messages.\nProceed?";
    }
    if (item.entry == nullptr) return {};
    return "Deleting the mail box " + item.entry->name + " will delete all its " + "folders and " +
           "messages.\nProceed?";
}

void DeleteItem(MailStore& store, const MailItem& item) {
    if (item.message != nullptr) {
        if (IsTrash(store, item.message->folder)) {
            MailStore::DeleteMessage(*item.message);
        } else {
            MailStore::MoveMessage(*item.message,
                                   store.GlobalFolderMadeWhenMissing(MailStore::kTrash));
        }
        return;
    }
    if (item.folder != nullptr) {
        PopAccount& owner = *item.folder->owner;
        if (IsTrash(store, item.folder)) {
            store.DeleteEntry(owner);
            return;
        }
        MoveAllToTrash(store, *item.folder);
        if (owner.HasServer()) {
            MailStore::DeleteFolder(*item.folder);
        } else {
            store.DeleteEntry(owner);
        }
        return;
    }
    if (item.entry == nullptr) return;
    // Deleting the Trash entry itself deletes its messages for good.
    if (item.entry->folders.empty() || !IsTrash(store, item.entry->folders.front().get())) {
        for (const auto& folder : item.entry->folders) MoveAllToTrash(store, *folder);
    }
    store.DeleteEntry(*item.entry);
}

}  // namespace corvane::mail
