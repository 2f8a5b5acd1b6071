#include "mail/mail_names.h"

namespace corvane::mail {
namespace {

std::size_t UserEnd(std::string_view name) {
    return name.rfind('@');
}

}  // namespace

std::string CheckAccountName(const MailStore& store, std::string_view name,
                             const PopAccount* renaming) {
    if (name.empty()) return "Please enter your pop account name ...";
    const std::size_t at = UserEnd(name);
    if (at == std::string_view::npos || at == 0 || at + 1 == name.size())
        return "Your pop account name is invalid ...";
    const PopAccount* existing = store.FindEntry(name);
    if (existing != nullptr && existing != renaming)
        return "The pop account name you entered is already existed.\nPlease enter another one ...";
    return {};
}

std::string AccountUser(std::string_view name) {
    const std::size_t at = UserEnd(name);
    return at == std::string_view::npos ? std::string() : std::string(name.substr(0, at));
}

std::string AccountServer(std::string_view name) {
    const std::size_t at = UserEnd(name);
    return at == std::string_view::npos ? std::string() : std::string(name.substr(at + 1));
}

std::string CheckGlobalFolderName(const MailStore& store, std::string_view name) {
    if (name.empty()) return "Please enter a unique global folder name ...";
    if (store.FindEntry(name) != nullptr) {
        return "The folder name you entered is already in use\n by an existing mailbox or global "
               "folder.Please enter a unique global folder name ...";
    }
    return {};
}

std::string CheckMailboxFolderName(const PopAccount& mailbox, std::string_view name,
                                   const MailFolder* renaming) {
    if (name.empty()) return "Please enter a mailbox unique folder name ...";
    const MailFolder* existing = MailStore::FindFolder(mailbox, name);
    if (existing != nullptr && existing != renaming) {
        return "The folder name you entered is already in use\n inside this mailbox.Please enter "
               "a mailbox unique folder name ...";
    }
    return {};
}

}  // namespace corvane::mail
