#pragma once
// Sends through CMailTo on a real loop: the mailto protocol registered, the send services over
// fixed settings, and what the application would have been asked to do recorded.

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "mail/compose_source.h"
#include "mail/mail_to.h"
#include "tests/support/protocol_load.h"

namespace corvane::mail {

class MailSend {
  public:
    MailSend() {
        RegisterMailtoProtocol();
        services.settings = [this] { return settings; };
        services.openCompose = [this](const std::string& recipient, core::COvalonDoc*) {
            composeOpened.push_back(recipient);
        };
        services.fileSentCopy = [this](const SentMail& mail) {
            filed.push_back(mail);
            return true;
        };
        services.now = [] { return std::time_t{1796637587}; };  // Mon, 07 Dec 2026 09:59:47 UTC
        SetMailSendServices(&services);
        settings.address = "me@sender.test";
    }
    ~MailSend() { SetMailSendServices(nullptr); }

    // A compose source for the window's send; the outcome lands in `outcome`.
    std::unique_ptr<CComposeSource> Source(std::string to, std::string text) {
        auto source = std::make_unique<CComposeSource>();
        source->to = std::move(to);
        source->text = std::move(text);
        source->subject = "Hi";
        source->onFinished = [this](bool accepted) { outcome = accepted ? 1 : 0; };
        return source;
    }

    // Opens the URL with the method and body; the Open answer.
    int Open(const std::string& url, int method = core::kMethodShared,
             std::unique_ptr<core::CObject> body = nullptr) {
        request = load.host.GetRequest(url, nullptr, method, nullptr);
        request->body = std::move(body);
        request->protocol = core::CreateProtocol(*request, false, false);
        opened = request->protocol->Open();
        return opened;
    }
    // Runs until the send ends; the request's status (-52 ends quietly).
    int Finish(int milliseconds = 10000) {
        load.loop.RunUntil([&] { return request->status != 0; }, milliseconds);
        const int status = request->status;
        request->body.reset();  // as deleting the request would
        return status;
    }

    // The Message-ID varies; everything else is fixed.
    static std::string WithoutMessageId(const std::string& text) {
        return std::regex_replace(text, std::regex("Message-ID: <[0-9.]+@"), "Message-ID: <ID@");
    }

    testing::ProtocolLoad load;
    MailSendServices services;
    SmtpSettings settings;
    core::CHTRequest* request = nullptr;
    int opened = 0;
    int outcome = -1;  // -1 not told, 0 failed, 1 sent
    std::vector<std::string> composeOpened;
    std::vector<SentMail> filed;
};

}  // namespace corvane::mail
