#pragma once
// Deleting from the mail window: everything deleted outside "Trash" goes there first; only what
// is already in "Trash" is deleted with its files.

#include <string>

#include "mail/mail_store.h"

namespace corvane::mail {

// One row of the mail window: an entry, one of its folders, or one of that folder's messages
// (the most specific pointer set says which).
struct MailItem {
    PopAccount* entry = nullptr;
    MailFolder* folder = nullptr;
    MailMessage* message = nullptr;
};

// The question asked before deleting (OK and Cancel), or an empty string when none is asked.
std::string DeleteConfirmation(const MailStore& store, const MailItem& item);

// Deletes the item; "Trash" is made when it is missing and needed. The caller saves the index
// files afterwards.
void DeleteItem(MailStore& store, const MailItem& item);

}  // namespace corvane::mail
