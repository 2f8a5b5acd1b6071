#pragma once
// A scripted server on loopback for protocol tests: it plays a conversation table against the
// client under test, on the same event loop, and records every byte the client sent.
//
//   ScriptedPeer peer(loop);
//   peer.Send("220-Welcome\r\n220 Ready\r\n")
//       .Expect("HELO me")                     // the client's next line, without CR LF
//       .ExpectPattern("MAIL FROM:<.*>")       // or matched whole by an ECMAScript pattern
//       .Send("250 OK\r\n")
//       .Pause(50)                             // milliseconds
//       .Close();                              // or Reset(), or StaySilent()
//   peer.SplitAt(3);                           // every answer as two packets: 3 bytes, the rest
//   std::uint16_t port = peer.Listen();        // 127.0.0.1 and a free port
//   ... connect the client to port and run the loop until it is done ...
//   EXPECT_TRUE(peer.Done()) << peer.Mismatch();
//   EXPECT_EQ(peer.Received(), "HELO me\r\nMAIL FROM:<a@b>\r\n");
//
// Steps run in order once a client connects (one connection per peer). An Expect waits for a
// whole line from the client; a line that differs stops the conversation and is reported by
// Mismatch(). Answers go out one packet per loop turn: the loop hands the client each packet
// before the next is written, so with SplitAt(n) for every n from 0 to LongestSend() (one peer
// per run) or OnePacketPerByte() a reply handler is proven independent of packet boundaries.
// Close sends FIN and keeps recording; Reset aborts the connection with RST; StaySilent (and the
// end of the table) keeps the connection open without a word, as a server that hangs.
//
// StartTls(certificate, key) makes the peer a TLS server from that step on (first, or after a
// proxy's "200" to CONNECT): the next steps wait for the handshake, Expect steps read the
// decrypted lines, and every packet goes out as its own record, so the splits above cut records.
// SendCutRecord sends the first half of one record's bytes.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "tests/support/tls_server_session.h"

namespace corvane::testing {

class ScriptedPeer {
  public:
    explicit ScriptedPeer(platform::EventLoop& loop);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    ScriptedPeer& Expect(std::string line);
    ScriptedPeer& ExpectPattern(std::string pattern);
    ScriptedPeer& Send(std::string bytes);
    ScriptedPeer& Pause(std::uint32_t milliseconds);
    ScriptedPeer& Close();
    ScriptedPeer& Reset();
    ScriptedPeer& StaySilent();
    ScriptedPeer& SendCutRecord(std::string bytes);
    // The certificate and key are PEM files.
    ScriptedPeer& StartTls(std::string certificate, std::string key);

    // Packets of every Send: cut once after `at` bytes (0 or beyond the end: whole).
    void SplitAt(std::size_t at) { splitAt_ = at; }
    void OnePacketPerByte() { bytePackets_ = true; }
    // The longest Send of the table: the split points worth trying run from 0 to this.
    std::size_t LongestSend() const;

    // Listens on a numeric address ("127.0.0.1", "::1") with a free port; answers the port, 0
    // when listening failed.
    std::uint16_t Listen(std::string_view address = "127.0.0.1");

    bool Accepted() const { return accepted_; }
    // Every step has been played.
    bool Done() const { return next_ == steps_.size() && packets_.empty() && !awaitingTurn_; }
    // The first line that differed from the table, with what was expected; empty when none.
    const std::string& Mismatch() const { return mismatch_; }
    // Every byte the client sent, in order.
    const std::string& Received() const { return received_; }
    bool ClientClosed() const { return clientClosed_; }

  private:
    struct Step {
        enum class Kind {
            kExpect,
            kExpectPattern,
            kSend,
            kPause,
            kClose,
            kReset,
            kSilent,
            kSendCut,
            kStartTls
        };
        Kind kind;
        std::string text;
        std::uint32_t milliseconds = 0;
        std::string key = {};  // kStartTls: the key file; text is the certificate file
    };
    void OnListenReady();
    void OnReadable();
    void Play();
    bool PlayStep(const Step& step);
    void WriteNextPacket();
    void StopWatching();
    void SendRaw(const std::string& bytes);

    platform::EventLoop& loop_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::size_t splitAt_ = 0;
    bool bytePackets_ = false;
    int listenFd_ = -1;
    int fd_ = -1;
    platform::WatchId listenWatch_ = 0;
    platform::WatchId watch_ = 0;
    platform::TimerId pauseTimer_ = 0;
    bool pausing_ = false;
    bool awaitingTurn_ = false;  // a packet went out this turn
    bool accepted_ = false;
    bool stopped_ = false;              // silent, reset or mismatched: nothing more is played
    std::vector<std::string> packets_;  // the current Send, still to write
    std::string received_;
    std::size_t matchedUpTo_ = 0;  // bytes of received_ already taken by Expect steps
    bool clientClosed_ = false;
    std::string mismatch_;
    std::unique_ptr<TlsServerSession> tls_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::testing
