#pragma once
// CMailTo serves mailto: addresses. A plain link opens the Send Mail window; a form whose action
// is a mailto: address, and the Send Mail window itself (a form post whose body is a
// CComposeSource), send one message through the SMTP server and end without a document.
//
//   connect -> greeting -> EHLO (HELO when refused) -> [STARTTLS -> EHLO] -> [AUTH] -> MAIL ->
//   RCPT for each recipient, in order -> DATA -> text in pieces -> "." -> QUIT
//
// Every field that becomes a header or a command is refused when it holds a line break, before
// anything is sent. The text goes out with CR LF line ends and dot-stuffed; a compose window's
// attachment is uuencoded line by line behind it, and the attachment is opened before connecting
// so an unreadable one sends nothing. The copy goes into "Out" only after the server's final
// 2xx; a failure files nothing and the compose window keeps its text.
//
// Memory: the request owns the compose source; the protocol refers to it while it runs.

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include <vector>

#include "core/request.h"
#include "mail/compose_source.h"
#include "mail/sent_copy.h"
#include "protocols/outgoing_pieces.h"
#include "protocols/tcp_protocol.h"
#include "protocols/uu_encoder.h"

namespace corvane::mail {

// The settings a send reads, looked up when it starts.
struct SmtpSettings {
    std::string server;   // "SMTP Server": "host" or "host:port"; empty: the recipient's domain
    std::string address;  // "E-Mail Address"
    std::string name;     // "Mail Name"
    std::string user;     // the login offered when the server asks for AUTH; empty: none
    std::string password;
};

// What sending needs of the application.
struct MailSendServices {
    std::function<SmtpSettings()> settings;
    // Opens the Send Mail window of the window that followed the link.
    std::function<void(const std::string& recipient, core::COvalonDoc* owner)> openCompose;
    // Files the copy in "Out" and saves the index; false when it could not be filed.
    std::function<bool(const SentMail& mail)> fileSentCopy;
    std::function<std::time_t()> now = [] { return std::time(nullptr); };
};

void SetMailSendServices(MailSendServices* services);
// Makes mailto: addresses load with CMailTo.
void RegisterMailtoProtocol();

class CMailTo : public protocols::CHTTCP {
  public:
    int Open() override;
    void StartDialogue(int error) override;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    // Reads the reply; true once it is complete and of the expected class. A wrong class ends
    // the send (after QUIT), with the server's reply on the status line.
    bool Accept(int result, int expectedClass);
    void SendFailed();
    void SendHello(bool extended);
    void OnGreeting(int result);
    void OnEhlo(int result);
    void OnHelo(int result);
    void OnStartTls(int result);
    void AfterHello();
    void OnAuth(int result);
    void OnAuthUser(int result);
    void OnAuthPassword(int result);
    void SendMailFrom();
    void OnMailFrom(int result);
    void OnRecipient(int result);
    void SendNextRecipient();
    void OnData(int result);
    void BuildText();
    void SendText();
    void OnEndOfText(int result);
    bool RefuseLineBreaks();

    SmtpSettings settings_;
    CComposeSource* source_ = nullptr;
    std::string server_;
    std::string firstRecipient_;
    std::string furtherRecipients_;  // still to send
    std::vector<std::string> recipients_;
    std::string subject_;
    std::string formData_;
    std::unique_ptr<protocols::CUUEncoder> encoder_;  // opened at once, then sent by pieces_
    std::unique_ptr<protocols::OutgoingPieces> pieces_;
    bool secured_ = false;
    bool startTlsOffered_ = false;
    bool authPlain_ = false;
    bool authLogin_ = false;
};

}  // namespace corvane::mail
