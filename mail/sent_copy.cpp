#include "mail/sent_copy.h"

#include "mail/received_message.h"

namespace corvane::mail {
namespace {

MailMessage* File(MailStore& store, std::string_view folderName, const std::string& sender,
                  const std::string& to, const std::string& subject, const std::string& date,
                  const std::string& content) {
    const std::optional<std::string> temporary = store.NewMessageFile();
    if (!temporary) return nullptr;
    ReceivedMessage file;
    if (!file.Open(*temporary) || !file.Append(content)) return nullptr;
    const std::optional<std::string> path = file.Commit();
    if (!path) return nullptr;
    auto message = std::make_unique<MailMessage>();
    message->file = *path;
    message->from = sender;
    message->to = to;
    message->subject = subject;
    message->date = date;
    message->status = kStatusSent;
    return &MailStore::AddMessage(store.GlobalFolderMadeWhenMissing(folderName),
                                  std::move(message));
}

}  // namespace

std::string SentDate(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    std::strftime(text, sizeof text, "%d %b %Y %H:%M", &local);
    std::string date = text;
    if (date.starts_with('0')) date.erase(0, 1);
    return date;
}

MailMessage* FileSentMail(MailStore& store, const std::string& sender, const SentMail& mail,
                          std::time_t when) {
    const std::string date = SentDate(when);
    const std::string to = mail.recipients.empty() ? std::string() : mail.recipients.front();
    std::string content = "To: " + to + "\nFrom: " + sender + "\nSubject: " + mail.subject + "\n";
    if (mail.recipients.size() > 1) {
        content += "Cc: ";
        for (std::size_t i = 1; i < mail.recipients.size(); ++i)
            content += (i > 1 ? ", " : "") + mail.recipients[i];
        content += "\n";
    }
    if (!mail.attachment.empty()) content += "Attachment: " + mail.attachment + "\n";
    content += "Date: " + date + "\n\n" + mail.text + "\n";
    return File(store, MailStore::kOut, sender, to, mail.subject, date, content);
}

MailMessage* FileSentNews(MailStore& store, const std::string& sender,
                          const std::string& newsgroups, const std::string& text,
                          std::time_t when) {
    const std::string date = SentDate(when);
    return File(store, MailStore::kNews, sender, newsgroups, "", date,
                "Date: " + date + "\n" + text + "\n");
}

}  // namespace corvane::mail
