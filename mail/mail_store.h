#pragma once
// The mail directory: one file per message and two index files describing the tree of top-level
// entries (POP mailboxes, each with its server and login, and global folders such as "Trash" and
// "Out"), their folders and their messages.
//
//   "mailbox.ini"  one line per entry: name=server;user;password;flags, then ;folder;flags pairs
//   "mail.ini"     one line per message: entry;folder;file;address;date;subject;status
//
// Both are rewritten whole through WriteFileAtomically, with mode 0600: they name private mail and
// may hold nibble-encoded passwords. Another process may share the directory (the window and a
// headless check run by a timer): every rewrite happens under a lock on the directory, and an index
// file that the other process replaced since this one last read or wrote it is merged first, line
// by line (entries by name, messages by file): what only the other side changed is taken, what
// this side changed is kept, so neither loses the other's new lines. Text that comes from messages
// or users is escaped so a ";",
// "=" or line end in it can never forge a field or a line (mail_index_lines.h).
//
// Memory and ownership: the store owns its entries, an entry its folders, a folder its messages;
// the back pointers (folder, owner) never own. Deleting or moving a message invalidates pointers
// to it held elsewhere only when it is deleted.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/file_services.h"
#include "platform/tls_session.h"

namespace corvane::mail {

struct MailFolder;
struct MessageRecord;
struct PopAccount;

// Status values kept in the index; 2, 3 and 4 are stored and shown by letter only.
enum MessageStatus : int { kStatusNew = 0, kStatusRead = 1, kStatusSent = 5 };

struct MailMessage {
    std::string file;  // full path of the message file
    std::string from;  // sender (received mail)
    std::string to;    // recipient (sent copies)
    std::string subject;
    std::string date;
    int status = kStatusNew;  // 0..7
    MailFolder* folder = nullptr;
};

struct MailFolder {
    std::string name;
    PopAccount* owner = nullptr;
    bool isDefault = false;
    bool expanded = false;
    std::vector<std::unique_ptr<MailMessage>> messages;
};

// A POP mailbox (with a server) or a global folder (without one).
struct PopAccount {
    std::string name;
    std::string server;
    std::string user;
    std::string password;  // written to "mailbox.ini" only when savePassword is set
    bool savePassword = false;
    bool deleteFromServer = false;
    // kStartTls: "STLS" after the greeting, and no login when the server refuses it; kTls: TLS
    // from the connect, on the pop3s port (995) unless the server names a port.
    platform::TlsMode security = platform::TlsMode::kNone;
    bool expanded = false;
    std::vector<std::unique_ptr<MailFolder>> folders;

    bool HasServer() const { return !server.empty(); }
};

// The list letter of a status: "U", "R", "P", "D", "F", "S", else "?".
char StatusLetter(int status);

class MailStore {
  public:
    static constexpr std::string_view kEntriesFile = "mailbox.ini";
    static constexpr std::string_view kMessagesFile = "mail.ini";
    static constexpr std::string_view kTrash = "Trash";
    static constexpr std::string_view kOut = "Out";
    static constexpr std::string_view kNews = "News";
    static constexpr std::string_view kInbox = "In";

    // directory: the resolved mail directory, without a trailing "/".
    explicit MailStore(std::string directory);

    const std::string& directory() const { return directory_; }
    std::string EntriesPath() const;
    std::string MessagesPath() const;

    // Reads "mailbox.ini"; when that gives no entry, makes "Trash" and "Out" and saves them; then
    // reads "mail.ini". Missing files read as empty. Removes what killed checks left: message
    // files still "CVTnnnn.tmp" that no index names and no running check is writing.
    void Load();
    // Rewrite the index files whole, after merging what another process wrote; false when the file
    // could not be replaced (the old one stays).
    bool SaveEntries();
    bool SaveMessages();
    // Merges index files another process replaced; true when the tree changed.
    bool Refresh();
    // Called whenever a merge changed the tree: messages may have been removed, so pointers to
    // messages held outside the store must be dropped.
    std::function<void()> onMerged;

    const std::vector<std::unique_ptr<PopAccount>>& entries() const { return entries_; }

    // Names compare without regard to ASCII case.
    PopAccount* FindEntry(std::string_view name) const;
    static MailFolder* FindFolder(const PopAccount& entry, std::string_view name);
    // The first folder of the global folder entry of that name (an entry without a server).
    MailFolder* GlobalFolder(std::string_view name) const;
    // Appends an entry and one folder of the same name; answers the folder.
    MailFolder& CreateGlobalFolder(std::string_view name);
    // The global folder, made when missing.
    MailFolder& GlobalFolderMadeWhenMissing(std::string_view name);
    // Appends a POP mailbox with an "In" folder that is its default.
    PopAccount& AddAccount(std::string_view name, std::string_view server, std::string_view user);
    static MailFolder& AddFolder(PopAccount& entry, std::string_view name);

    // The folder marked default; else the one named "In", which is then marked; else a new "In".
    static MailFolder& DefaultFolder(PopAccount& account);

    // A new empty message file in the mail directory, "CVTnnnn.tmp", created exclusively (0600).
    std::optional<std::string> NewMessageFile() const;

    // Appends the message (or inserts it right after `after`, which must be in `to`).
    static MailMessage& AddMessage(MailFolder& to, std::unique_ptr<MailMessage> message,
                                   const MailMessage* after = nullptr);
    static void MoveMessage(MailMessage& message, MailFolder& to,
                            const MailMessage* after = nullptr);
    // Removes the record and its file.
    static void DeleteMessage(MailMessage& message);
    static void DeleteFolder(MailFolder& folder);
    void DeleteEntry(PopAccount& entry);

  private:
    struct MessageLine;
    void ReadEntriesLine(std::string_view line);
    // Files the record's message into its entry's folder; false when the entry is unknown. With
    // makeFolder a folder missing from a known entry is made.
    bool AddRecord(MessageRecord&& record, bool makeFolder);
    bool WriteEntries();
    bool WriteMessages();
    // Under the directory lock: merge the file when another process replaced it.
    bool MergeEntries();
    bool MergeMessages();
    void MergedMessage(MailMessage& ours, const MessageLine& theirs, bool& changed);

    std::string directory_;
    std::vector<std::unique_ptr<PopAccount>> entries_;
    // Each file's lines as last read or written (entries by lower-case name, messages by file),
    // and its version then: what the other process changed is what differs from these.
    std::unordered_map<std::string, std::string> entriesBase_;
    std::unordered_map<std::string, std::string> messagesBase_;
    platform::FileVersion entriesVersion_;
    platform::FileVersion messagesVersion_;
};

}  // namespace corvane::mail
