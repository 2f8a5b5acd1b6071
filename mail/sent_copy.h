#pragma once
// Copies of what the user sent, filed with status "S": mail into the global folder "Out", news
// into "News" (each made when missing). The sending code calls these once the server accepted
// the message.

#include <ctime>
#include <string>
#include <vector>

#include "mail/mail_store.h"

namespace corvane::mail {

struct SentMail {
    std::vector<std::string> recipients;  // user "@" domain; the first is the list's address
    std::string subject;
    std::string attachment;  // the attached file's path, or empty
    std::string text;        // the compose source's text
};

// "%d %b %Y %H:%M" of the local time, the day without a leading zero.
std::string SentDate(std::time_t when);

// sender: the "E-Mail Address" setting. Answers the filed message, or nullptr when its file could
// not be written (nothing is filed then). The caller saves "mail.ini".
MailMessage* FileSentMail(MailStore& store, const std::string& sender, const SentMail& mail,
                          std::time_t when);
// newsgroups: the posting's groups; text: the headers and body the news composer wrote.
MailMessage* FileSentNews(MailStore& store, const std::string& sender,
                          const std::string& newsgroups, const std::string& text, std::time_t when);

}  // namespace corvane::mail
