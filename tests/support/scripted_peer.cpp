#include "tests/support/scripted_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <regex>

namespace corvane::testing {

ScriptedPeer::ScriptedPeer(platform::EventLoop& loop) : loop_(loop) {}

ScriptedPeer::~ScriptedPeer() {
    *alive_ = false;
    StopWatching();
    if (pauseTimer_ != 0) loop_.StopTimer(pauseTimer_);
    if (listenWatch_ != 0) loop_.UnwatchFd(listenWatch_);
    if (listenFd_ >= 0) close(listenFd_);
    if (fd_ >= 0) close(fd_);
}

ScriptedPeer& ScriptedPeer::Expect(std::string line) {
    steps_.push_back({Step::Kind::kExpect, std::move(line)});
    return *this;
}

ScriptedPeer& ScriptedPeer::ExpectPattern(std::string pattern) {
    steps_.push_back({Step::Kind::kExpectPattern, std::move(pattern)});
    return *this;
}

ScriptedPeer& ScriptedPeer::Send(std::string bytes) {
    steps_.push_back({Step::Kind::kSend, std::move(bytes)});
    return *this;
}

ScriptedPeer& ScriptedPeer::Pause(std::uint32_t milliseconds) {
    steps_.push_back({Step::Kind::kPause, {}, milliseconds});
    return *this;
}

ScriptedPeer& ScriptedPeer::Close() {
    steps_.push_back({Step::Kind::kClose, {}});
    return *this;
}

ScriptedPeer& ScriptedPeer::Reset() {
    steps_.push_back({Step::Kind::kReset, {}});
    return *this;
}

ScriptedPeer& ScriptedPeer::SendCutRecord(std::string bytes) {
    steps_.push_back({Step::Kind::kSendCut, std::move(bytes)});
    return *this;
}

ScriptedPeer& ScriptedPeer::StartTls(std::string certificate, std::string key) {
    steps_.push_back({Step::Kind::kStartTls, std::move(certificate), 0, std::move(key)});
    return *this;
}

ScriptedPeer& ScriptedPeer::StaySilent() {
    steps_.push_back({Step::Kind::kSilent, {}});
    return *this;
}

std::size_t ScriptedPeer::LongestSend() const {
    std::size_t longest = 0;
    for (const Step& step : steps_) {
        if (step.kind == Step::Kind::kSend) longest = std::max(longest, step.text.size());
    }
    return longest;
}

std::uint16_t ScriptedPeer::Listen(std::string_view address) {
    sockaddr_storage storage{};
    socklen_t length = 0;
    const std::string text(address);
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (inet_pton(AF_INET, text.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        length = sizeof *v4;
    } else if (inet_pton(AF_INET6, text.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        length = sizeof *v6;
    } else {
        return 0;
    }
    listenFd_ = socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    auto* generic = reinterpret_cast<sockaddr*>(&storage);
    if (listenFd_ < 0 || bind(listenFd_, generic, length) != 0 || listen(listenFd_, 4) != 0 ||
        getsockname(listenFd_, generic, &length) != 0) {
        return 0;
    }
    listenWatch_ =
        loop_.WatchFd(listenFd_, platform::kIoRead, [this](int, unsigned) { OnListenReady(); });
    return ntohs(storage.ss_family == AF_INET ? v4->sin_port : v6->sin6_port);
}

void ScriptedPeer::OnListenReady() {
    if (fd_ >= 0) return;
    fd_ = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd_ < 0) return;
    accepted_ = true;
    loop_.UnwatchFd(listenWatch_);
    listenWatch_ = 0;
    watch_ = loop_.WatchFd(fd_, platform::kIoRead, [this](int, unsigned) { OnReadable(); });
    Play();
}

void ScriptedPeer::OnReadable() {
    char buffer[4096];
    for (;;) {
        const ssize_t got = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0 && tls_ != nullptr) {
            if (!tls_->PutReceived(buffer, static_cast<std::size_t>(got))) stopped_ = true;
            SendRaw(tls_->TakeOutgoing());
            received_ += tls_->TakePlain();
            continue;
        }
        if (got > 0) {
            received_.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EAGAIN) break;
        clientClosed_ = true;
        StopWatching();
        break;
    }
    Play();
}

void ScriptedPeer::SendRaw(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size() && fd_ >= 0) {
        const ssize_t wrote = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (wrote <= 0) break;  // the client went away; what it got is what it got
        sent += static_cast<std::size_t>(wrote);
    }
}

void ScriptedPeer::StopWatching() {
    if (watch_ != 0) loop_.UnwatchFd(watch_);
    watch_ = 0;
}

void ScriptedPeer::Play() {
    while (!stopped_ && !pausing_ && !awaitingTurn_ && next_ < steps_.size()) {
        if (tls_ != nullptr && !tls_->HandshakeDone()) return;
        if (!PlayStep(steps_[next_])) return;
        ++next_;
    }
}

// Plays one step; false when it must wait (for a line, a packet turn or the pause timer).
bool ScriptedPeer::PlayStep(const Step& step) {
    switch (step.kind) {
        case Step::Kind::kExpect:
        case Step::Kind::kExpectPattern: {
            const std::size_t lf = received_.find('\n', matchedUpTo_);
            if (lf == std::string::npos) return false;
            std::string line = received_.substr(matchedUpTo_, lf - matchedUpTo_);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            matchedUpTo_ = lf + 1;
            const bool matches = step.kind == Step::Kind::kExpect
                                     ? line == step.text
                                     : std::regex_match(line, std::regex(step.text));
            if (!matches) {
                mismatch_ = "expected \"" + step.text + "\", client sent \"" + line + "\"";
                stopped_ = true;
                return false;
            }
            return true;
        }
        case Step::Kind::kSend: {
            const std::string& bytes = step.text;
            if (bytePackets_) {
                for (char c : bytes) packets_.emplace_back(1, c);
            } else if (splitAt_ > 0 && splitAt_ < bytes.size()) {
                packets_.push_back(bytes.substr(0, splitAt_));
                packets_.push_back(bytes.substr(splitAt_));
            } else {
                packets_.push_back(bytes);
            }
            WriteNextPacket();
            return true;
        }
        case Step::Kind::kPause:
            pausing_ = true;
            pauseTimer_ = loop_.StartTimer(step.milliseconds, false, [this] {
                pauseTimer_ = 0;
                pausing_ = false;
                Play();
            });
            return true;
        case Step::Kind::kClose:
            shutdown(fd_, SHUT_WR);
            return true;
        case Step::Kind::kReset: {
            linger abort{1, 0};
            setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            StopWatching();
            close(fd_);
            fd_ = -1;
            stopped_ = true;
            ++next_;
            return false;
        }
        case Step::Kind::kSilent:
            stopped_ = true;
            ++next_;
            return false;
        case Step::Kind::kStartTls: {
            tls_ = std::make_unique<TlsServerSession>(step.text, step.key);
            // What came after the last matched line is the client's first TLS bytes.
            const std::string early = received_.substr(matchedUpTo_);
            received_.resize(matchedUpTo_);
            if (!early.empty() && !tls_->PutReceived(early.data(), early.size())) stopped_ = true;
            SendRaw(tls_->TakeOutgoing());
            received_ += tls_->TakePlain();
            return true;
        }
        case Step::Kind::kSendCut: {
            const std::string sealed = tls_ != nullptr ? tls_->Seal(step.text) : step.text;
            SendRaw(sealed.substr(0, sealed.size() / 2));
            return true;
        }
    }
    return false;
}

// One packet now, the next on a later turn of the loop: the client gets each one before the
// next is written, since loopback delivers a send at once and the loop hands out ready
// descriptors before posted work.
void ScriptedPeer::WriteNextPacket() {
    if (packets_.empty() || fd_ < 0) return;
    awaitingTurn_ = true;
    const std::string packet = std::move(packets_.front());
    packets_.erase(packets_.begin());
    SendRaw(tls_ != nullptr ? tls_->Seal(packet) : packet);
    std::weak_ptr<bool> alive = alive_;
    loop_.Post([this, alive] {
        if (alive.expired()) return;
        awaitingTurn_ = false;
        if (!packets_.empty()) {
            WriteNextPacket();
        } else {
            Play();
        }
    });
}

}  // namespace corvane::testing
