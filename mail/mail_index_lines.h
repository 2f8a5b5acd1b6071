#pragma once
// The line formats of "mailbox.ini" and "mail.ini", apart from the store.
//
//   entry    name=server;user;password;F[;folder;F]...   F = "@" + 32 delete + 16 expanded
//                                                            + 1 STLS + 2 TLS from the start
//                                                          folder F = "@" + 8 default + 16 expanded
//   message  entry;folder;file;address;date;subject;S      S = "@" + status
//
// User and password are nibble-encoded. Subjects, senders and dates come from messages, so every
// field is escaped (store/field_escapes.h: ";" and "=" where they separate, line ends, control
// characters and "\" as "\xHH"); reading undoes only "\xHH", so files without escapes read as
// they always did. Lines have no width limit.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mail/mail_store.h"

namespace corvane::mail {

inline constexpr int kFlagBase = 64;
inline constexpr int kFlagDeleteFromServer = 32;
inline constexpr int kFlagExpanded = 16;
inline constexpr int kFlagDefaultFolder = 8;
inline constexpr int kFlagTls = 2;
inline constexpr int kFlagStartTls = 1;

struct FolderRecord {
    std::string name;
    int flags = kFlagBase;
};

struct EntryRecord {
    std::string name;
    std::string server;
    std::string user;      // decoded
    std::string password;  // decoded
    int flags = kFlagBase;
    std::vector<FolderRecord> folders;
};

struct MessageRecord {
    std::string entry;
    std::string folder;
    std::string file;
    std::string address;  // the sender, or for status 5 the recipient
    std::string date;
    std::string subject;
    int status = 0;
};

// With the line end.
std::string FormatEntryLine(const PopAccount& entry);
std::optional<EntryRecord> ParseEntryLine(std::string_view line);

std::string FormatMessageLine(const PopAccount& entry, const MailFolder& folder,
                              const MailMessage& message);
std::optional<MessageRecord> ParseMessageLine(std::string_view line);

}  // namespace corvane::mail
