#pragma once
// CHTTCP is the transport under every network protocol: it resolves the host and port, connects,
// sends commands, reads line by line with multi-line reply detection, and switches to a data
// body that the convertor pulls through the protocol's input buffer. CHTSocket is its socket; its
// notifications drive the dialogue, one reply handler after another.
//
// Order of calls: Attach -> Open (the subclass calls Connect) -> StartDialogue on connect ->
// SendCommand / reply handlers, one per delivered line -> StartBody or StartData -> the convertor
// pulls -> Abort (deletes the socket) -> destroy.
//
// Line mode: every complete line in the line area is handed to the reply handler in turn, with
// its length plus one; the handler reads it through Line() and, for command/reply protocols,
// ReadReply. The line area holds kLineCapacity bytes: a longer line is handed over in pieces of
// that size, and every piece after the first says so (LineIsContinuation), so a server cannot
// make the middle of a long line pass for a reply or an end-of-answer mark. A line may hold zero
// bytes: its length is the reader's, never a string search. After a closed connection the
// handler receives a pending partial line, then kEndOfData; after a reset or read error
// kFailure.
//
// Sending never drops anything: bytes that cannot be sent at once are queued and sent when the
// socket can send again.
//
// A connection may be secured with TLS, from the start (Transport::kTls) or later (StartTls).
// When the server's certificate fails the check, the user is asked whether to go on before
// anything is sent; a Yes is remembered for that host and certificate until the program ends,
// a No ends the load without a further message.
//
// A connection (with its TLS handshake) that is not made within the host's connect time-out
// fails the load, with "Connecting to HOST timed out" in the status bar.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/protocol.h"
#include "platform/async_socket.h"
#include "platform/host_services.h"
#include "protocols/line_reader.h"

namespace corvane::protocols {

class CHTTCP;

// A host text split into host and port. Port 0: the caller's default.
struct HostAndPort {
    std::string host;
    std::uint16_t port = 0;
};

// The text after the last ":" is the port, the text before it the host; "[::1]:8080" is an
// IPv6 literal with a port. nullopt when the port is not a decimal number from 1 to 65535 (an
// empty port after the colon means the default).
std::optional<HostAndPort> SplitHostAndPort(std::string_view hostText);

class CHTSocket : public platform::AsyncSocket {
  public:
    using ReceiveStep = int (CHTTCP::*)();
    using ReplyHandler = void (CHTTCP::*)(int result);
    using SendReadyHandler = void (CHTTCP::*)();

    CHTSocket(platform::EventLoop& loop, CHTTCP& owner);
    ~CHTSocket() override;

    CHTTCP& owner;
    // Line mode: reads into the line area (CHTTCP::ReceiveLine). Null in body mode.
    ReceiveStep receiveStep = nullptr;
    // Line mode: called with each delivered line result; body mode: with the notification's
    // error code.
    ReplyHandler replyHandler = nullptr;
    SendReadyHandler sendReadyHandler = nullptr;
    bool connected = false;
    bool inReceive = false;

  protected:
    void OnConnect(int error) override;
    void OnReceive(int error) override;
    void OnSend(int error) override;
    // The end of the stream is one last receive notification.
    void OnClose(int error) override;

  private:
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// How a connection is carried.
enum class Transport { kPlain, kTls };

// Asks whether to go on with a server whose certificate did not pass the check, unless the user
// accepted this certificate of this host before; a Yes is kept in `accepted` for the run.
bool TrustUnverifiedPeer(platform::HostServices& ui, std::set<std::string>& accepted,
                         std::string_view host, const platform::TlsPeer& peer);

class CHTTCP : public core::CHTProtocol {
  public:
    // Bytes of the line area (and of the input buffer in body mode).
    static constexpr std::int32_t kLineCapacity = LineReader::kCapacity;
    // Bytes of the input buffer in body mode.
    static constexpr std::int32_t kBodyCapacity = 64 * 1024;

    CHTTCP();
    ~CHTTCP() override;

    // Installs the status-bar progress reporter.
    void Attach(core::CHTRequest* servedRequest, bool reloadFlag, bool embeddedFlag) override;
    // Deletes the socket.
    void Abort() override;

    // Connects to the host text; port 0 (none given) becomes the service's port, or
    // defaultPort when the services database does not know it. Shows "Connecting to ..." and
    // the wait cursor. -1 failed (error set); otherwise 0, which Open passes on: the data is
    // still to come, whether the dialogue started at once or starts on connect.
    int Connect(std::string_view hostText, std::string_view service, std::uint16_t defaultPort,
                Transport transport = Transport::kPlain);
    // Secures the connected socket toward `host` (after a proxy's CONNECT, or a command that
    // switches to TLS): no lines are read while the handshake runs, and StartDialogue follows
    // with its end.
    void StartTls(std::string_view host);
    // The connection is up (error 0) or failed. Subclasses start their dialogue here; the base
    // fails the protocol on an error.
    virtual void StartDialogue(int error);

    // Sends the command with CR LF appended, after installing the handler for its reply and
    // emptying the line area. A send error fails the protocol.
    template <class Derived>
    void SendCommand(std::string_view text, void (Derived::*handler)(int)) {
        SetReplyHandler(handler);
        SendLine(text);
    }
    void SendLine(std::string_view text);
    // Queues raw bytes (a request body) behind whatever is still unsent.
    void SendBytes(std::string_view bytes);
    // Bytes queued and not yet accepted by the system.
    std::size_t PendingSendBytes() const { return unsent_.size(); }

    template <class Derived>
    void SetReplyHandler(void (Derived::*handler)(int)) {
        if (socket_ != nullptr)
            socket_->replyHandler = static_cast<CHTSocket::ReplyHandler>(handler);
    }

    // The current line, without its line end; it may contain zero bytes. Also terminated with
    // a zero byte in place, for protocols that read it as a C string.
    std::string_view Line() const { return lines_.Line(); }
    const char* LineText() const { return lines_.LineText(); }
    // The line is a later piece of a line longer than the line area, not a line start.
    bool LineIsContinuation() const { return lines_.IsContinuation(); }

    // Reads a reply from the line result handed to a handler: the reply code is the number at
    // the start of the line. A reply whose first line has "-" after the code goes on, over lines
    // without a code, until a line that starts with a code and no "-". Answers 0 while it goes on
    // (the next line comes in the next handler call), the line result once it is complete, and a
    // negative result stored as the error.
    int ReadReply(int lineResult);
    std::int16_t replyCode = 0;

    // Switches to body mode: the data starts `consumed` bytes into the current line (by default
    // after the whole line and its line end); the bytes already received after that point
    // become the first available input, then data is read from the socket.
    static constexpr std::size_t kAfterLine = LineReader::kAfterLine;
    void StartBody(std::size_t consumed = kAfterLine, std::string_view fileName = {});
    // Body mode without buffered bytes: chooses the convertor and wakes the request.
    void StartData(std::string_view fileName = {});

    // Ends the dialogue with `code`: error and request status, waiting tasks woken, buffers
    // emptied, the data source answers the code, no more lines are delivered.
    void Fail(int code);

    CHTSocket* Socket() const { return socket_.get(); }
    bool receiving = false;  // the socket source has delivered data

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // Makes the socket; subclasses may give theirs another class.
    virtual std::unique_ptr<CHTSocket> MakeSocket(platform::EventLoop& loop);

    // Gives a connection being made the host's connect time-out (Connect does so for the
    // control connection). When it passes first, the status bar shows `timeoutText`, the
    // connections are dropped (Abort) and the protocol fails.
    void WatchConnecting(std::string timeoutText);
    void StopWatchingConnect();

  private:
    friend class CHTSocket;
    enum class PeerAnswer { kAccepted, kRefused, kGone };

    // Asks the user about a certificate that failed the check, unless it was accepted before.
    // kGone: the load was stopped while the question was up; nothing may be touched.
    PeerAnswer ConfirmPeer();
    // Notes on the request what the secured connection was.
    void NoteSecurity();

    // Line mode receive step: reads once into the free part of the line area. 1 when bytes
    // were read, 0 when nothing was there, kEndOfData when the peer closed, kFailure on an error.
    int ReceiveLine();
    void DeliverLines(int readResult);
    void BodyNotification(int error);
    void FlushSend();
    void EmptyLineArea();
    // Makes the body buffer the protocol's input buffer (empty).
    void UseBodyBuffer();
    std::int32_t SocketSource(std::uint8_t* destination, std::int32_t maxLength);
    std::int32_t WaitingSource(std::uint8_t* destination, std::int32_t maxLength);
    std::int32_t FailedSource(std::uint8_t* destination, std::int32_t maxLength);

    std::unique_ptr<CHTSocket> socket_;
    platform::EventLoop* timerLoop_ = nullptr;
    platform::TimerId connectTimer_ = 0;
    LineReader lines_;
    // The input buffer in body mode, made on first use and left uninitialised: a page of many
    // small images makes one per image, and zeroing 64 KiB for each cost more than its bytes.
    std::unique_ptr<std::uint8_t[]> body_;
    ReplyReader replies_;
    std::string unsent_;
    bool bodyMode_ = false;
    std::string tlsHost_;       // the name the certificate must carry
    bool securing_ = false;     // StartTls on a connected socket: the handshake runs
    bool streamEnded_ = false;  // the end or a failure of the stream was delivered
};

}  // namespace corvane::protocols
