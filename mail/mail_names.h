#pragma once
// The rules for names given in the mail window's dialogs. Each check answers the message to show
// when the name is refused, or an empty string when it is accepted.

#include <string>
#include <string_view>

#include "mail/mail_store.h"

namespace corvane::mail {

// A POP account's name is user "@" server, both non-empty, unique among the top-level entries.
// `renaming` is the entry being edited (its own name does not count as taken).
std::string CheckAccountName(const MailStore& store, std::string_view name,
                             const PopAccount* renaming = nullptr);

// The user and server parts of an accepted account name (split at the last "@", so a user name
// may itself hold one).
std::string AccountUser(std::string_view name);
std::string AccountServer(std::string_view name);

// A new global folder: non-empty and unlike every entry's name.
std::string CheckGlobalFolderName(const MailStore& store, std::string_view name);

// A new folder inside a mailbox: non-empty and unlike the mailbox's other folders.
std::string CheckMailboxFolderName(const PopAccount& mailbox, std::string_view name,
                                   const MailFolder* renaming = nullptr);

}  // namespace corvane::mail
