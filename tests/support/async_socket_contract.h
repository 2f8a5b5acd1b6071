#pragma once
// AsyncSocket against peers started on 127.0.0.1, over any EventLoop implementation. A test
// program instantiates it with the same kind of factory as EventLoopContract:
//   INSTANTIATE_TYPED_TEST_SUITE_P(Poll, AsyncSocketContract, PollFactory);

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/async_socket.h"
#include "platform/event_loop.h"

namespace corvane::testing {

// Records every notification and then calls the matching hook, which may delete the socket.
class ProbeSocket : public platform::AsyncSocket {
  public:
    using AsyncSocket::AsyncSocket;
    using Hook = std::function<void(int error)>;

    std::vector<int> connects, receives, sends, closes, accepts;
    Hook onConnect, onReceive, onSend, onClose, onAccept;

    // Reads whatever is there; answers false at the end of the stream or on an error.
    bool Drain(std::string& into) {
        char buffer[4096];
        for (;;) {
            const platform::SocketTransfer got = Receive(buffer, sizeof buffer);
            if (got.error == platform::kSocketWouldBlock) return true;
            if (got.error != 0 || got.bytes == 0) return false;
            into.append(buffer, got.bytes);
        }
    }

  protected:
    void OnConnect(int error) override { Record(connects, onConnect, error); }
    void OnReceive(int error) override { Record(receives, onReceive, error); }
    void OnSend(int error) override { Record(sends, onSend, error); }
    void OnClose(int error) override { Record(closes, onClose, error); }
    void OnAccept(int error) override { Record(accepts, onAccept, error); }

  private:
    static void Record(std::vector<int>& log, const Hook& hook, int error) {
        log.push_back(error);
        const Hook copy = hook;  // the hook may destroy this object and with it the original
        if (copy) copy(error);
    }
};

// A plain blocking-free socket for the far end, so a fault on our side cannot hide itself.
class RawPeer {
  public:
    RawPeer() = default;
    explicit RawPeer(int fd) : fd_(fd) {}
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;
    ~RawPeer() { Close(); }

    // A listening socket on 127.0.0.1 with a system-chosen port (listen = false: bound only,
    // so connecting to it is refused).
    static std::uint16_t Listen(RawPeer& peer, bool listen = true) {
        peer.fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(peer.fd_, reinterpret_cast<sockaddr*>(&address), length) != 0) return 0;
        if (listen && ::listen(peer.fd_, 8) != 0) return 0;
        getsockname(peer.fd_, reinterpret_cast<sockaddr*>(&address), &length);
        return ntohs(address.sin_port);
    }

    // Accepts the next connection, running the loop until it is there.
    std::unique_ptr<RawPeer> Accept(platform::EventLoop& loop) {
        int fd = -1;
        loop.RunUntil(
            [&] {
                if (fd < 0) fd = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                return fd >= 0;
            },
            5000);
        return fd >= 0 ? std::make_unique<RawPeer>(fd) : nullptr;
    }

    void Send(const std::string& data) {
        ASSERT_EQ(send(fd_, data.data(), data.size(), MSG_NOSIGNAL), ssize_t(data.size()));
    }
    // Reads what has arrived; answers false once the stream ended.
    bool Read(std::string& into) {
        char buffer[65536];
        for (;;) {
            const ssize_t got = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got > 0) {
                into.append(buffer, got);
                continue;
            }
            return got < 0 && errno == EAGAIN;
        }
    }
    // Closing with a zero linger time resets the connection instead of ending it.
    void Reset() {
        linger option{1, 0};
        setsockopt(fd_, SOL_SOCKET, SO_LINGER, &option, sizeof option);
        Close();
    }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

template <typename Factory>
class AsyncSocketContract : public ::testing::Test {
  protected:
    std::unique_ptr<platform::EventLoop> loop_ = Factory::Make();
    platform::EventLoop& loop = *loop_;

    void RunFor(std::uint32_t ms) {
        loop.RunUntil([] { return false; }, ms);
    }

    RawPeer listener;
    const std::uint16_t port = RawPeer::Listen(listener);

    // Connects a client to the listener and answers the far end of the connection. A pending
    // connect must end in exactly one OnConnect(0); one made at once gets none.
    std::unique_ptr<RawPeer> ConnectTo(ProbeSocket& client) {
        EXPECT_EQ(client.Create(), 0);
        const int result = client.Connect("127.0.0.1", port);
        if (result == platform::kSocketWouldBlock) {
            EXPECT_TRUE(loop.RunUntil([&] { return !client.connects.empty(); }, 5000));
            EXPECT_EQ(client.connects, std::vector<int>{0});
        } else {
            EXPECT_EQ(result, 0);
        }
        EXPECT_TRUE(client.IsConnected());
        auto peer = listener.Accept(loop);
        RunFor(5);
        EXPECT_EQ(client.connects.size(), result == 0 ? 0u : 1u);
        return peer;
    }
};

TYPED_TEST_SUITE_P(AsyncSocketContract);

TYPED_TEST_P(AsyncSocketContract, RefusedConnectIsReportedOnce) {
    RawPeer closedPort;
    const std::uint16_t port = RawPeer::Listen(closedPort, false);
    ASSERT_NE(port, 0);
    ProbeSocket client(this->loop);
    ASSERT_EQ(client.Create(), 0);
    const int result = client.Connect("127.0.0.1", port);
    if (result == platform::kSocketWouldBlock) {
        ASSERT_TRUE(this->loop.RunUntil([&] { return !client.connects.empty(); }, 5000));
        EXPECT_EQ(client.connects, std::vector<int>{ECONNREFUSED});
    } else {
        EXPECT_EQ(result, ECONNREFUSED);  // failed at once: no notification follows
    }
    this->RunFor(20);
    EXPECT_LE(client.connects.size(), 1u);
    EXPECT_FALSE(client.IsConnected());
}

TYPED_TEST_P(AsyncSocketContract, DataArrivingOneByteAtATime) {
    ProbeSocket client(this->loop);
    auto peer = this->ConnectTo(client);
    ASSERT_TRUE(peer);
    std::string received;
    client.onReceive = [&](int) { client.Drain(received); };
    const std::string message = "220-first\r\n220 last\r\n";
    for (std::size_t i = 0; i < message.size(); ++i) {
        peer->Send(message.substr(i, 1));
        ASSERT_TRUE(this->loop.RunUntil([&] { return received.size() == i + 1; }, 5000)) << i;
    }
    EXPECT_EQ(received, message);
    EXPECT_EQ(client.receives.size(), message.size());
    EXPECT_EQ(client.Connect("127.0.0.1", this->port), EISCONN);
}

TYPED_TEST_P(AsyncSocketContract, UnreadDataIsNotAnnouncedAgainUntilReceiveIsCalled) {
    ProbeSocket client(this->loop);
    auto peer = this->ConnectTo(client);
    ASSERT_TRUE(peer);
    peer->Send("abc");
    ASSERT_TRUE(this->loop.RunUntil([&] { return !client.receives.empty(); }, 5000));
    int idleCalls = 0;
    this->loop.SetIdleHook([&] { return ++idleCalls < 3; });
    this->RunFor(30);
    EXPECT_EQ(client.receives.size(), 1u);
    EXPECT_EQ(idleCalls, 3);  // the unread descriptor did not keep the loop busy
    this->loop.SetIdleHook({});

    char byte;
    ASSERT_EQ(client.Receive(&byte, 1).bytes, 1u);  // leaves "bc": announced again
    ASSERT_TRUE(this->loop.RunUntil([&] { return client.receives.size() == 2; }, 5000));
    std::string rest;
    EXPECT_TRUE(client.Drain(rest));
    EXPECT_EQ(rest, "bc");
    EXPECT_EQ(client.Receive(&byte, 0).error, EINVAL);  // never mistaken for the end
}

TYPED_TEST_P(AsyncSocketContract, PeerClosingMidStream) {
    ProbeSocket client(this->loop);
    auto peer = this->ConnectTo(client);
    ASSERT_TRUE(peer);
    std::string received;
    bool ended = false;
    client.onReceive = [&](int) { ended = !client.Drain(received); };
    peer->Send("partial line without end");
    peer->Close();
    ASSERT_TRUE(this->loop.RunUntil([&] { return !client.closes.empty(); }, 5000));
    if (!ended) ended = !client.Drain(received);
    EXPECT_TRUE(ended);
    EXPECT_EQ(received, "partial line without end");
    EXPECT_EQ(client.closes, std::vector<int>{0});
    // Sending into the closed connection ends in EPIPE (after the peer's reset), and the
    // SIGPIPE that would go with it does not end the program.
    platform::SocketTransfer sent;
    for (int i = 0; i < 100 && sent.error != EPIPE; ++i) sent = client.Send("x", 1);
    EXPECT_EQ(sent.error, EPIPE);
    this->RunFor(20);
    EXPECT_EQ(client.closes.size(), 1u);
}

TYPED_TEST_P(AsyncSocketContract, PeerResetIsAnErrorClose) {
    ProbeSocket client(this->loop);
    auto peer = this->ConnectTo(client);
    ASSERT_TRUE(peer);
    peer->Reset();
    ASSERT_TRUE(this->loop.RunUntil([&] { return !client.closes.empty(); }, 5000));
    EXPECT_EQ(client.closes, std::vector<int>{ECONNRESET});
}

TYPED_TEST_P(AsyncSocketContract, LargeSendResumesWhenSendingIsPossibleAgain) {
    ProbeSocket client(this->loop);
    auto peer = this->ConnectTo(client);
    ASSERT_TRUE(peer);

    std::string payload(16 << 20, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i % 251);
    std::size_t offset = 0;
    const auto push = [&] {
        while (offset < payload.size()) {
            const auto sent = client.Send(payload.data() + offset, payload.size() - offset);
            if (sent.error == platform::kSocketWouldBlock) return;
            ASSERT_EQ(sent.error, 0);
            offset += sent.bytes;
        }
    };
    client.onSend = [&](int error) {
        EXPECT_EQ(error, 0);
        push();
    };
    push();
    ASSERT_LT(offset, payload.size()) << "the socket buffers took everything at once";

    std::string arrived;
    const platform::WatchId watch = this->loop.WatchFd(peer->fd(), platform::kIoRead,
                                                       [&](int, unsigned) { peer->Read(arrived); });
    ASSERT_TRUE(this->loop.RunUntil([&] { return arrived.size() == payload.size(); }, 20000));
    this->loop.UnwatchFd(watch);
    EXPECT_FALSE(client.sends.empty());
    EXPECT_TRUE(arrived == payload);
}

TYPED_TEST_P(AsyncSocketContract, ListenAcceptAndLocalAddress) {
    ProbeSocket server(this->loop);
    ASSERT_EQ(server.Create(0, "127.0.0.1"), 0);
    ASSERT_EQ(server.Listen(1), 0);
    platform::SocketEndpoint local;
    ASSERT_EQ(server.GetLocalAddress(local), 0);
    EXPECT_EQ(local.address, "127.0.0.1");
    ASSERT_NE(local.port, 0);

    ProbeSocket connection(this->loop);
    std::string echoed;
    server.onAccept = [&](int) { EXPECT_EQ(server.Accept(connection), 0); };
    connection.onReceive = [&](int) {
        std::string got;
        connection.Drain(got);
        connection.Send(got.data(), got.size());
    };
    ProbeSocket client(this->loop);
    client.onReceive = [&](int) { client.Drain(echoed); };
    ASSERT_EQ(client.Create(), 0);
    const int result = client.Connect("127.0.0.1", local.port);
    ASSERT_TRUE(result == 0 || result == platform::kSocketWouldBlock) << result;
    ASSERT_TRUE(this->loop.RunUntil([&] { return connection.IsConnected(); }, 5000));
    EXPECT_EQ(server.accepts, std::vector<int>{0});

    platform::SocketEndpoint accepted;
    ASSERT_EQ(connection.GetLocalAddress(accepted), 0);
    EXPECT_EQ(accepted.port, local.port);
    ASSERT_TRUE(this->loop.RunUntil([&] { return client.IsConnected(); }, 5000));
    ASSERT_EQ(client.Send("ping", 4).bytes, 4u);
    ASSERT_TRUE(this->loop.RunUntil([&] { return echoed == "ping"; }, 5000));

    // Nothing more waits: accepting again would block and re-arms the notification.
    EXPECT_EQ(server.Accept(connection), platform::kSocketWouldBlock);
    EXPECT_TRUE(connection.IsConnected());
    EXPECT_EQ(connection.ShutDown(platform::SocketShutdown::kSends), 0);
    ASSERT_TRUE(this->loop.RunUntil([&] { return !client.closes.empty(); }, 5000));
}

TYPED_TEST_P(AsyncSocketContract, UnusableHostTextsFailAtOnce) {
    const std::string nul("local\0host", 10);
    for (const std::string& host : {std::string(), nul, std::string(300, 'a')}) {
        ProbeSocket client(this->loop);
        ASSERT_EQ(client.Create(), 0);
        EXPECT_EQ(client.Connect(host, 80), platform::kSocketHostNotFound) << host.size();
        this->RunFor(5);
        EXPECT_TRUE(client.connects.empty());
    }
}

TYPED_TEST_P(AsyncSocketContract, DeletingTheSocketInsideItsNotifications) {
    // Inside OnReceive, with a close already waiting behind the data.
    auto client = std::make_unique<ProbeSocket>(this->loop);
    auto peer = this->ConnectTo(*client);
    ASSERT_TRUE(peer);
    bool deleted = false;
    client->onReceive = [&](int) {
        client.reset();
        deleted = true;
    };
    peer->Send("data");
    peer->Close();
    ASSERT_TRUE(this->loop.RunUntil([&] { return deleted; }, 5000));
    this->RunFor(20);

    // Inside OnConnect, and while a name lookup is still running.
    client = std::make_unique<ProbeSocket>(this->loop);
    ASSERT_EQ(client->Create(), 0);
    client->onConnect = [&](int) { client.reset(); };
    ASSERT_EQ(client->Connect("localhost", this->port), platform::kSocketWouldBlock);
    ASSERT_TRUE(this->loop.RunUntil([&] { return !client; }, 10000));
    auto abandoned = std::make_unique<ProbeSocket>(this->loop);
    ASSERT_EQ(abandoned->Create(), 0);
    ASSERT_EQ(abandoned->Connect("localhost", this->port), platform::kSocketWouldBlock);
    abandoned.reset();
    this->RunFor(20);
}

TYPED_TEST_P(AsyncSocketContract, ReceiveIsNeverDeliveredWhileTheLastOneRuns) {
    ProbeSocket client(this->loop);
    auto peer = this->ConnectTo(client);
    ASSERT_TRUE(peer);
    int depth = 0;
    int deepest = 0;
    std::string received;
    client.onReceive = [&](int) {
        ++depth;
        deepest = std::max(deepest, depth);
        char byte;
        if (client.Receive(&byte, 1).bytes == 1) received += byte;
        if (received.size() == 1) {
            // A handler pumping the loop while more data arrives, as a long list reader does.
            peer->Send("23");
            bool later = false;
            this->loop.StartTimer(10, false, [&] { later = true; });
            this->loop.RunUntil([&] { return later; }, 5000);
        }
        --depth;
    };
    peer->Send("1");
    ASSERT_TRUE(this->loop.RunUntil([&] { return received == "123"; }, 5000));
    EXPECT_EQ(deepest, 1);
}

REGISTER_TYPED_TEST_SUITE_P(AsyncSocketContract, RefusedConnectIsReportedOnce,
                            DataArrivingOneByteAtATime,
                            UnreadDataIsNotAnnouncedAgainUntilReceiveIsCalled, PeerClosingMidStream,
                            PeerResetIsAnErrorClose, LargeSendResumesWhenSendingIsPossibleAgain,
                            ListenAcceptAndLocalAddress, UnusableHostTextsFailAtOnce,
                            DeletingTheSocketInsideItsNotifications,
                            ReceiveIsNeverDeliveredWhileTheLastOneRuns);

}  // namespace corvane::testing
