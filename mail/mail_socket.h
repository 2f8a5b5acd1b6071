#pragma once
// One POP3 mail check: fetches the waiting messages of one account and files each into the
// account's mailbox.
//
//   connect -> greeting -> (STLS -> TLS handshake) -> USER -> PASS -> STAT -> for each message:
//   RETR, headers, body, (DELE) -> QUIT -> finish
//
// The account's security setting asks for TLS from the connect (pop3s) or through STLS; a server
// that refuses STLS gets no login. A certificate that does not pass the check is put to the user,
// and nothing is sent before a Yes.
//
// Every reply must begin with "+OK". A rejected PASS asks for the password again and retries on
// the same connection. Messages are stored as received with POP3's dot-stuffing undone. Nothing
// is lost: a message is deleted from the server only after its file is complete on disk and
// "mail.ini" names it (done for up to kGroupSize messages at once, then their DELEs follow);
// messages left on the server are remembered in "mailid.ini" by their Message-ID so that the next
// check does not file them again (mail_ids.h). A check ends by calling MailCheckHost::CheckFinished
// on a later loop turn, after which the host deletes it.
//
// Memory and ownership: the host owns the socket; the socket owns the message being received.
// It refers to the store, the "mailid.ini" file and the host, which outlive it; the account is
// looked up by name whenever it is needed, since the mail window may delete it meanwhile.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mail/mail_ids.h"
#include "mail/mail_store.h"
#include "mail/message_headers.h"
#include "mail/received_message.h"
#include "platform/async_socket.h"
#include "platform/host_services.h"
#include "protocols/line_reader.h"

namespace corvane::mail {

class CMailSocket;

// What a check needs of the application.
class MailCheckHost {
  public:
    virtual ~MailCheckHost() = default;
    virtual platform::HostServices& Ui() = 0;
    // False in headless runs: a rejected password then ends the check.
    virtual bool MayAskUser() const = 0;
    // The progress dialog "Corvane: Check Mail" of this check, made at the first text.
    virtual void ShowCheckProgress(CMailSocket& check, std::string_view text) = 0;
    // Whether to go on with a server whose certificate did not pass the check.
    virtual bool TrustCertificate(std::string_view host, const platform::TlsPeer& peer) = 0;
    // Shows (true) or restores (false) the wait cursor, from the connect until the connection.
    virtual void ShowWaitCursor(bool show) = 0;
    // New mail was filed into the account's mailbox.
    virtual void MailboxChanged(PopAccount& account) = 0;
    // The check is over; result as reported to the user (0 when new mail arrived). The host may
    // delete the socket here.
    virtual void CheckFinished(CMailSocket& check, int result) = 0;
};

class CMailSocket : public platform::AsyncSocket {
  public:
    // Messages received are made durable and written to the index together, this many at most,
    // before the server is asked to delete them.
    static constexpr std::size_t kGroupSize = 64;
    // A server silent this long ends the check.
    static constexpr std::uint32_t kSilenceTimeoutMs = 120'000;

    CMailSocket(platform::EventLoop& loop, MailStore& store, MailIdFile& ids, MailCheckHost& host);
    ~CMailSocket() override;

    // Starts a check of the account; false when it did not start (the user has been told).
    bool Check(std::string_view accountName);
    // The Stop button: the check ends with -52 after QUIT; what was filed stays.
    void Stop();

    const std::string& accountName() const { return accountName_; }
    // The check's own outcome, before new mail turns a failure into a success for the user:
    // 0, -52 stopped, -255 failed.
    int outcome() const { return outcome_; }
    // The server refused the password and no other was given.
    bool passwordRefused() const { return passwordRefused_; }
    // Messages filed by this check.
    int filedCount() const { return filed_; }

  protected:
    void OnConnect(int error) override;
    void OnReceive(int error) override;
    void OnSend(int error) override;
    void OnClose(int error) override;

  private:
    enum class State {
        kIdle,
        kConnecting,
        kGreeting,
        kStls,
        kSecuring,  // the TLS handshake after STLS
        kUser,
        kPass,
        kStat,
        kRetr,
        kHeaders,
        kBody,
        kDele,
        kQuit,
        kFinished
    };

    PopAccount* Account() const;
    void SendCommand(std::string_view command);
    void DrainSocket(bool closed);
    void HandleLine(bool closed);
    // The reply test of every step: true when the line is "+OK ...".
    bool ReplyOk();
    void HandleReply();
    void HandleMessageLine();
    void PasswordRefused();
    void StartMessage();
    void FinishMessage();
    void NextMessage();
    // Makes the messages filed since the last call durable and names them in "mail.ini", then
    // records the keys of those left on the server; false when the index could not be written.
    bool SaveFiled();
    void CommitGroup();
    void SendNextDelete();
    void SendQuit(int result);
    void Finish(int result);
    void ArmSilenceTimer();
    void ReleaseWaitCursor();
    void ConnectFailed();
    void SendUser();
    void Progress(std::string_view text);

    platform::EventLoop& loop_;
    MailStore& store_;
    MailIdFile& ids_;
    MailCheckHost& host_;
    protocols::LineReader reader_;
    std::string outgoing_;
    State state_ = State::kIdle;
    std::string accountName_;
    std::string server_;
    std::string tlsHost_;  // the name the server's certificate must carry
    platform::TlsMode security_ = platform::TlsMode::kNone;
    std::string batchStamp_;
    MessageSummary summary_;
    ReceivedMessage message_;
    std::uint32_t messageCount_ = 0;
    std::uint32_t messageNumber_ = 0;
    bool inHandler_ = false;
    bool newMail_ = false;
    bool stopRequested_ = false;
    bool passwordRefused_ = false;
    bool progressShown_ = false;
    bool lineOpen_ = false;
    bool waitCursor_ = false;
    bool unsaved_ = false;  // filed messages that "mail.ini" does not name yet
    std::vector<std::string> pendingKeys_;
    std::vector<std::uint32_t>
        pendingDeletes_;  // the last message line was a cut piece: its rest follows
    int outcome_ = 0;
    int filed_ = 0;
    platform::TimerId silenceTimer_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::mail
