#include "mail/mail_to.h"

#include <random>

#include "core/ht_host_services.h"
#include "core/scheme_registry.h"
#include "core/status.h"
#include "core/url_escapes.h"
#include "mail/outgoing_mail.h"
#include "platform/ascii.h"
#include "platform/services.h"
#include "protocols/http_message.h"
#include "protocols/quoted_printable_encoder.h"
#include "protocols/whois_protocol.h"

namespace corvane::mail {

using core::kFailure;

namespace {

MailSendServices* gServices = nullptr;

// The line of a multi-line EHLO reply after its code, in lower case ("auth plain login").
std::string Capability(std::string_view line) {
    return line.size() < 4 ? std::string() : AsciiLower(line.substr(4));
}

bool HasWord(std::string_view text, std::string_view word) {
    std::size_t at = 0;
    while ((at = text.find(word, at)) != std::string_view::npos) {
        const std::size_t end = at + word.size();
        if ((at == 0 || text[at - 1] == ' ') && (end == text.size() || text[end] == ' '))
            return true;
        at = end;
    }
    return false;
}

std::string MessageIdLocalPart(std::time_t when) {
    std::random_device random;
    return std::to_string(when) + "." + std::to_string(random()) + std::to_string(random());
}

}  // namespace

const core::CRuntimeClass CMailTo::kRuntimeClass =
    core::MakeRuntimeClass<CMailTo, protocols::CHTTCP>("CMailTo");

void SetMailSendServices(MailSendServices* services) {
    gServices = services;
}

void RegisterMailtoProtocol() {
    core::Schemes().SetProtocolClass(core::kSchemeMailto, &CMailTo::kRuntimeClass);
}

int CMailTo::Open() {
    if (gServices == nullptr || request == nullptr) {
        error = kFailure;
        return core::kOpenFailed;
    }
    source_ = dynamic_cast<CComposeSource*>(request->body.get());
    const auto* form = dynamic_cast<const core::CHTFormBody*>(request->body.get());
    const MailtoAddress address = ReadMailtoPath(request->address.path);
    // A link only opens the compose window: a page must not send mail in the user's name by
    // being clicked. Forms (a query or a post) and the compose window send.
    const bool sends = source_ != nullptr || form != nullptr ||
                       (request->method == core::kMethodFormQuery && address.hasQuery);
    if (!sends || (address.user.empty() && address.domain.empty())) {
        const std::string path = request->address.path;
        if (gServices->openCompose)
            gServices->openCompose(core::DecodeUrlEscapes(path.substr(0, path.find('?'))),
                                   request->owner);
        return core::kOpenDoneItself;
    }
    settings_ = gServices->settings();
    firstRecipient_ = address.user + (address.domain.empty() ? "" : "@" + address.domain);
    recipients_.push_back(firstRecipient_);
    if (source_ != nullptr) {
        subject_ = source_->subject.empty() ? " " : source_->subject;
        furtherRecipients_ = source_->furtherRecipients;
    } else {
        subject_ = DecodeFormText(request->address.anchor);
        formData_ = form != nullptr ? DecodeFormText(form->data) : address.formData;
    }
    if (!RefuseLineBreaks()) return core::kOpenFailed;
    if (source_ != nullptr && !source_->attachmentPath.empty()) {
        // Opened now, so that an attachment that cannot be read sends nothing at all.
        encoder_ = protocols::CUUEncoder::Open(source_->attachmentPath);
        if (encoder_ == nullptr) {
            request->Host().Ui().SetStatusText("Invalid attachment.");
            error = kFailure;
            return core::kOpenFailed;
        }
    }
    server_ = settings_.server;
    if (server_.empty()) server_ = address.domain;
    if (server_.empty()) server_ = "localhost";
    const int opened = Connect(server_, "smtp", 25);
    if (opened != core::kOpenFailed)
        request->Host().Ui().SetStatusText("Sending Mail to " + server_ + "...");
    return opened;
}

bool CMailTo::RefuseLineBreaks() {
    std::string list = furtherRecipients_;
    bool safe = protocols::IsSafeCommandText(firstRecipient_) &&
                protocols::IsSafeCommandText(subject_) &&
                protocols::IsSafeCommandText(settings_.address) &&
                protocols::IsSafeCommandText(settings_.name) && protocols::IsSafeCommandText(list);
    if (source_ != nullptr) {
        safe = safe && protocols::IsSafeCommandText(source_->to) &&
               protocols::IsSafeCommandText(source_->cc);
    }
    if (safe) return true;
    request->Host().Ui().ShowMessage(
        "The message was not sent: a recipient, the subject or the sender holds a line break.",
        platform::MessageButtons::kOk, platform::MessageIcon::kExclamation);
    error = kFailure;
    return false;
}

void CMailTo::StartDialogue(int connectError) {
    if (connectError != 0) {
        SendFailed();
        return;
    }
    if (secured_) {
        // The TLS handshake is done: the server's capabilities are asked for again.
        SendHello(true);
        return;
    }
    request->Host().Ui().SetStatusText("");
    SetReplyHandler(&CMailTo::OnGreeting);
}

bool CMailTo::Accept(int result, int expectedClass) {
    const int reply = ReadReply(result);
    if (reply == 0) return false;
    if (reply > 0 && replyCode / 100 == expectedClass) return true;
    if (reply > 0) request->Host().Ui().SetStatusText(std::string(Line()));
    SendFailed();
    return false;
}

void CMailTo::SendFailed() {
    if (Socket() != nullptr && Socket()->connected) SendLine("QUIT");
    if (source_ != nullptr) {
        // The compose window says so and keeps its text.
        source_->Finish(false);
        Fail(core::kSilentEnd);
        return;
    }
    Fail(kFailure);
}

void CMailTo::OnGreeting(int result) {
    if (Accept(result, 2)) SendHello(true);
}

void CMailTo::SendHello(bool extended) {
    std::string name = platform::LocalHostName();
    if (name.empty() || !protocols::IsSafeCommandText(name)) name = "localhost";
    if (name.size() > 260) name.resize(260);
    startTlsOffered_ = authPlain_ = authLogin_ = false;
    if (extended) {
        SendCommand("EHLO " + name, &CMailTo::OnEhlo);
    } else {
        SendCommand("HELO " + name, &CMailTo::OnHelo);
    }
}

void CMailTo::OnEhlo(int result) {
    if (result > 0 && !LineIsContinuation()) {
        const std::string capability = Capability(Line());
        if (capability == "starttls") startTlsOffered_ = true;
        if (capability.starts_with("auth ") || capability.starts_with("auth=")) {
            authPlain_ = authPlain_ || HasWord(capability.substr(5), "plain");
            authLogin_ = authLogin_ || HasWord(capability.substr(5), "login");
        }
    }
    const int reply = ReadReply(result);
    if (reply == 0) return;
    if (reply > 0 && replyCode / 100 == 5 && !secured_) {
        SendHello(false);  // a server from before EHLO
        return;
    }
    if (reply < 0 || replyCode / 100 != 2) {
        if (reply > 0) request->Host().Ui().SetStatusText(std::string(Line()));
        SendFailed();
        return;
    }
    AfterHello();
}

void CMailTo::OnHelo(int result) {
    if (Accept(result, 2)) SendMailFrom();
}

void CMailTo::AfterHello() {
    if (startTlsOffered_ && !secured_) {
        SendCommand("STARTTLS", &CMailTo::OnStartTls);
        return;
    }
    if (!settings_.user.empty() && (authPlain_ || authLogin_) &&
        protocols::IsSafeCommandText(settings_.user) &&
        protocols::IsSafeCommandText(settings_.password)) {
        if (authPlain_) {
            const std::string credentials =
                std::string(1, '\0') + settings_.user + std::string(1, '\0') + settings_.password;
            SendCommand("AUTH PLAIN " + protocols::Base64(credentials), &CMailTo::OnAuth);
        } else {
            SendCommand("AUTH LOGIN", &CMailTo::OnAuthUser);
        }
        return;
    }
    SendMailFrom();
}

void CMailTo::OnStartTls(int result) {
    if (!Accept(result, 2)) return;
    secured_ = true;
    StartTls(
        protocols::SplitHostAndPort(server_).value_or(protocols::HostAndPort{server_, 0}).host);
}

void CMailTo::OnAuthUser(int result) {
    if (Accept(result, 3)) SendCommand(protocols::Base64(settings_.user), &CMailTo::OnAuthPassword);
}

void CMailTo::OnAuthPassword(int result) {
    if (Accept(result, 3)) SendCommand(protocols::Base64(settings_.password), &CMailTo::OnAuth);
}

void CMailTo::OnAuth(int result) {
    if (Accept(result, 2)) SendMailFrom();
}

void CMailTo::SendMailFrom() {
    SendCommand("MAIL From:<" + settings_.address + ">", &CMailTo::OnMailFrom);
}

void CMailTo::OnMailFrom(int result) {
    if (Accept(result, 2)) SendCommand("RCPT To:<" + firstRecipient_ + ">", &CMailTo::OnRecipient);
}

void CMailTo::OnRecipient(int result) {
    if (Accept(result, 2)) SendNextRecipient();
}

void CMailTo::SendNextRecipient() {
    while (!furtherRecipients_.empty()) {
        const std::string address = TakeRecipient(furtherRecipients_);
        if (address.empty()) continue;
        recipients_.push_back(address);
        SendCommand("RCPT To:<" + address + ">", &CMailTo::OnRecipient);
        return;
    }
    SendCommand("DATA", &CMailTo::OnData);
}

void CMailTo::OnData(int result) {
    if (!Accept(result, 3)) return;
    BuildText();
    SetReplyHandler(&CMailTo::OnEndOfText);
    Socket()->sendReadyHandler =
        static_cast<protocols::CHTSocket::SendReadyHandler>(&CMailTo::SendText);
    SendText();
}

void CMailTo::BuildText() {
    const std::string& body = source_ != nullptr ? source_->text : formData_;
    const bool quotedPrintable = !protocols::FitsSevenBit(body);
    MessageHeaders headers;
    headers.fromName = settings_.name;
    headers.fromAddress = settings_.address;
    if (source_ != nullptr) {
        headers.to = AddressListHeader(source_->to);
        headers.cc = AddressListHeader(source_->cc);
        headers.subject = subject_;
    } else {
        headers.to = firstRecipient_;
        headers.subject = subject_.empty() ? "Form Output From Corvane" : subject_;
    }
    headers.transferEncoding = quotedPrintable ? "quoted-printable" : "7bit";
    const std::time_t now = gServices->now();
    std::string text = ComposeHeaders(headers, now, MessageIdLocalPart(now));
    if (quotedPrintable)
        protocols::AppendQuotedPrintable(body, text);
    else
        text += body;
    pieces_ =
        std::make_unique<protocols::OutgoingPieces>(text, std::move(encoder_), quotedPrintable);
}

void CMailTo::SendText() {
    std::string piece;
    // More only while the socket takes everything at once; otherwise its send-ready call brings
    // the next piece.
    while (PendingSendBytes() == 0 && error == 0 && pieces_->Next(piece)) {
        SendBytes(piece);
        if (error != 0) {
            SendFailed();
            return;
        }
    }
    if (pieces_->Failed()) {
        // No "." follows, so the server drops the message.
        request->Host().Ui().SetStatusText("Invalid attachment.");
        SendFailed();
    }
}

void CMailTo::OnEndOfText(int result) {
    if (!pieces_->Finished()) {
        // A reply before the end of the text: the server gave up on the message.
        const int reply = ReadReply(result);
        if (reply == 0) return;
        if (reply > 0) request->Host().Ui().SetStatusText(std::string(Line()));
        SendFailed();
        return;
    }
    if (!Accept(result, 2)) return;
    Socket()->sendReadyHandler = nullptr;
    if (!subject_.empty() || source_ != nullptr) {
        SentMail copy;
        copy.recipients = recipients_;
        copy.subject = subject_;
        if (source_ != nullptr) {
            copy.attachment = source_->attachmentPath;
            copy.text = source_->text;
        } else {
            copy.text = formData_;
        }
        if (!gServices->fileSentCopy(copy))
            request->Host().Ui().SetStatusText("The copy could not be filed in Out.");
    }
    if (source_ != nullptr) source_->Finish(true);
    SendLine("QUIT");
    request->Host().Ui().SetStatusText("Mail Sent");
    // The load ends quietly: the window keeps the page it shows.
    Fail(core::kSilentEnd);
}

}  // namespace corvane::mail
