#include "protocols/tcp_protocol.h"

#include <algorithm>
#include <cstring>

#include "core/host_services.h"
#include "core/status.h"
#include "core/transfer_progress.h"
#include "platform/ascii.h"
#include "platform/services.h"

namespace corvane::protocols {

using core::kEndOfData;
using core::kFailure;
using core::kNeedMoreData;

namespace {

// Reads per receive notification before the loop gets a turn again.
constexpr int kReadsPerNotification = 16;

// Longest reply code read; more digits would overflow the 16-bit code.
constexpr std::size_t kMaxCodeDigits = 4;

bool IsWouldBlock(int error) {
    return error == platform::kSocketWouldBlock || error == platform::kSocketInProgress;
}

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    if (text.empty()) return 0;
    if (text.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (!IsAsciiDigit(c)) return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<HostAndPort> SplitHostAndPort(std::string_view hostText) {
    std::string_view host = hostText;
    std::string_view port;
    if (hostText.starts_with('[')) {
        const std::size_t close = hostText.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        host = hostText.substr(1, close - 1);
        std::string_view rest = hostText.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return std::nullopt;
            port = rest.substr(1);
        }
    } else if (const std::size_t colon = hostText.rfind(':'); colon != std::string_view::npos) {
        host = hostText.substr(0, colon);
        port = hostText.substr(colon + 1);
    }
    const std::optional<std::uint16_t> number = ParsePort(port);
    if (host.empty() || !number) return std::nullopt;
    return HostAndPort{std::string(host), *number};
}

// CHTSocket

CHTSocket::CHTSocket(platform::EventLoop& loop, CHTTCP& tcp) : AsyncSocket(loop), owner(tcp) {}

CHTSocket::~CHTSocket() {
    *alive_ = false;
}

void CHTSocket::OnConnect(int error) {
    if (error == 0) connected = true;
    owner.StartDialogue(error);
}

void CHTSocket::OnReceive(int error) {
    // The platform never re-enters a receive notification; the guard keeps that promise here
    // even if a handler pumps events some other way.
    if (inReceive) return;
    const std::shared_ptr<bool> alive = alive_;
    CHTTCP& tcp = owner;
    inReceive = true;
    if (receiveStep == nullptr) {
        if (replyHandler != nullptr) (tcp.*replyHandler)(error);
    } else if (error != 0) {
        tcp.DeliverLines(kFailure);
    } else {
        for (int reads = 0; reads < kReadsPerNotification; ++reads) {
            const int result = tcp.ReceiveLine();
            tcp.DeliverLines(result);
            if (result <= 0 || !*alive || receiveStep == nullptr) break;
        }
    }
    if (*alive) inReceive = false;
}

void CHTSocket::OnSend(int /*error*/) {
    const std::shared_ptr<bool> alive = alive_;
    owner.FlushSend();
    if (*alive && owner.unsent_.empty() && sendReadyHandler != nullptr) (owner.*sendReadyHandler)();
}

void CHTSocket::OnClose(int error) {
    if (error != 0 || receiveStep == nullptr) {
        OnReceive(error);
        return;
    }
    if (inReceive) return;
    const std::shared_ptr<bool> alive = alive_;
    inReceive = true;
    owner.DeliverLines(kEndOfData);
    if (*alive) inReceive = false;
}

// CHTTCP

const core::CRuntimeClass CHTTCP::kRuntimeClass =
    core::MakeAbstractRuntimeClass<CHTTCP, core::CHTProtocol>("CHTTCP");

CHTTCP::CHTTCP() = default;
CHTTCP::~CHTTCP() = default;

void CHTTCP::Attach(core::CHTRequest* servedRequest, bool reloadFlag, bool embeddedFlag) {
    CHTProtocol::Attach(servedRequest, reloadFlag, embeddedFlag);
    if (request != nullptr) {
        SetProgressReporter(std::make_unique<core::CStatusBarProgress>(request->Host().Ui()));
    }
}

void CHTTCP::Abort() {
    socket_.reset();
    unsent_.clear();
    ReleaseWaitCursor();
}

std::unique_ptr<CHTSocket> CHTTCP::MakeSocket(platform::EventLoop& loop) {
    return std::make_unique<CHTSocket>(loop, *this);
}

int CHTTCP::Connect(std::string_view hostText, std::string_view service,
                    std::uint16_t defaultPort) {
    platform::EventLoop* loop = request != nullptr ? request->Host().Loop() : nullptr;
    const std::optional<HostAndPort> target = SplitHostAndPort(hostText);
    if (loop == nullptr || !target) {
        error = kFailure;
        return core::kOpenFailed;
    }
    socket_ = MakeSocket(*loop);
    if (socket_->Create() != 0) {
        socket_.reset();
        error = kFailure;
        return core::kOpenFailed;
    }
    request->Host().Ui().SetStatusText("Connecting to " + std::string(hostText) + "...");
    ShowWaitCursor();
    const std::uint16_t port =
        target->port != 0 ? target->port : platform::ServicePort(service, defaultPort);
    socket_->receiveStep = &CHTTCP::ReceiveLine;
    const int result = socket_->Connect(target->host, port);
    if (result == 0) {
        socket_->connected = true;
        StartDialogue(0);
    } else if (result != platform::kSocketWouldBlock) {
        socket_.reset();
        error = kFailure;
        return core::kOpenFailed;
    }
    return core::kOpenWaiting;
}

void CHTTCP::StartDialogue(int connectError) {
    if (connectError != 0) Fail(kFailure);
}

void CHTTCP::SendLine(std::string_view text) {
    unsent_.append(text);
    unsent_.append("\r\n");
    EmptyLineArea();
    FlushSend();
}

void CHTTCP::SendBytes(std::string_view bytes) {
    unsent_.append(bytes);
    FlushSend();
}

void CHTTCP::FlushSend() {
    while (!unsent_.empty() && socket_ != nullptr) {
        const platform::SocketTransfer sent = socket_->Send(unsent_.data(), unsent_.size());
        // The rest waits for OnSend; nothing is dropped.
        if (sent.error == platform::kSocketWouldBlock) return;
        if (sent.error != 0) {
            Fail(kFailure);
            return;
        }
        unsent_.erase(0, sent.bytes);
        if (sent.bytes == 0) return;
    }
}

void CHTTCP::EmptyLineArea() {
    fill_ = lineStart_ = lineLength_ = lineEnd_ = scanFrom_ = 0;
    lineHeld_ = continuation_ = pieceOpen_ = false;
    multiLineCode_ = -1;
}

int CHTTCP::ReceiveLine() {
    if (socket_ == nullptr) return kFailure;
    const std::int32_t space = kLineCapacity - fill_;
    if (space <= 0) return 0;
    const platform::SocketTransfer got = socket_->Receive(buffer_.data() + fill_, space);
    if (IsWouldBlock(got.error)) return 0;
    if (got.error != 0) return kFailure;
    if (got.bytes == 0) return kEndOfData;
    fill_ += static_cast<std::int32_t>(got.bytes);
    return 1;
}

void CHTTCP::SetLineEnd() {
    const std::int32_t end = lineStart_ + lineLength_;
    const std::int32_t saved = std::min<std::int32_t>(lineEnd_ - end, 2);
    for (std::int32_t i = 0; i < saved; ++i)
        savedEnd_[static_cast<std::size_t>(i)] = buffer_[end + i];
    for (std::int32_t i = end; i < lineEnd_; ++i) buffer_[static_cast<std::size_t>(i)] = 0;
    buffer_[static_cast<std::size_t>(end)] = 0;  // a full-size piece ends in the reserved byte
    lineHeld_ = true;
}

int CHTTCP::NextLine(bool atEnd) {
    if (lineHeld_) {
        lineStart_ = lineEnd_;
        lineHeld_ = false;
    }
    scanFrom_ = std::max(scanFrom_, lineStart_);
    const std::uint8_t* start = buffer_.data() + scanFrom_;
    const auto* lf = static_cast<const std::uint8_t*>(std::memchr(start, '\n', fill_ - scanFrom_));
    if (lf != nullptr) {
        const std::int32_t at = static_cast<std::int32_t>(lf - buffer_.data());
        lineLength_ = at - lineStart_;
        if (lineLength_ > 0 && buffer_[static_cast<std::size_t>(at - 1)] == '\r') --lineLength_;
        lineEnd_ = at + 1;
        continuation_ = pieceOpen_;
        pieceOpen_ = false;
        SetLineEnd();
        return lineLength_ + 1;
    }
    scanFrom_ = fill_;
    const bool full = lineStart_ == 0 && fill_ == kLineCapacity;
    if (full || (atEnd && lineStart_ < fill_)) {
        // A line longer than the area goes in pieces; a last line without LF as it is.
        lineLength_ = fill_ - lineStart_;
        lineEnd_ = fill_;
        continuation_ = pieceOpen_;
        pieceOpen_ = full;
        SetLineEnd();
        return lineLength_ + 1;
    }
    if (lineStart_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + lineStart_, fill_ - lineStart_);
        fill_ -= lineStart_;
        scanFrom_ -= lineStart_;
        lineStart_ = 0;
    }
    lineEnd_ = lineLength_ = 0;
    return 0;
}

void CHTTCP::DeliverLines(int readResult) {
    if (streamEnded_) return;
    if (readResult < 0 && readResult != kEndOfData) {
        streamEnded_ = true;
        if (socket_ != nullptr && socket_->replyHandler != nullptr)
            (this->*socket_->replyHandler)(kFailure);
        return;
    }
    const bool atEnd = readResult == kEndOfData;
    while (socket_ != nullptr && socket_->replyHandler != nullptr && !bodyMode_) {
        const int line = NextLine(atEnd);
        if (line == 0) break;
        (this->*socket_->replyHandler)(line);
    }
    if (!atEnd) return;
    streamEnded_ = true;
    if (socket_ != nullptr && socket_->replyHandler != nullptr && !bodyMode_)
        (this->*socket_->replyHandler)(kEndOfData);
}

std::string_view CHTTCP::Line() const {
    if (!lineHeld_) return {};
    return {reinterpret_cast<const char*>(buffer_.data()) + lineStart_,
            static_cast<std::size_t>(lineLength_)};
}

const char* CHTTCP::LineText() const {
    static const char kEmpty[] = "";
    return lineHeld_ ? reinterpret_cast<const char*>(buffer_.data()) + lineStart_ : kEmpty;
}

int CHTTCP::ReadReply(int lineResult) {
    if (lineResult < 0) {
        error = lineResult;
        return lineResult;
    }
    // A later piece of a long line is no line start: it can neither carry a code nor end a reply.
    if (lineResult == 0 || continuation_) return 0;
    const std::string_view line = Line();
    std::size_t digits = 0;
    int code = 0;
    while (digits < line.size() && digits < kMaxCodeDigits && IsAsciiDigit(line[digits])) {
        code = code * 10 + (line[digits] - '0');
        ++digits;
    }
    const bool continues = digits > 0 && digits < line.size() && line[digits] == '-';
    if (multiLineCode_ >= 0) {
        // Inside a multi-line reply lines without a code are text; a coded line without "-"
        // ends it.
        if (digits == 0 || continues) return 0;
        multiLineCode_ = -1;
    } else if (continues) {
        multiLineCode_ = code;
        replyCode = static_cast<std::int16_t>(code);
        return 0;
    }
    replyCode = static_cast<std::int16_t>(code);
    return lineResult;
}

void CHTTCP::StartBody(std::size_t consumed, std::string_view fileName) {
    std::int32_t from = lineHeld_ ? lineEnd_ : lineStart_;
    if (consumed != kAfterLine && lineHeld_) {
        // The data starts inside the line: give it its line end back.
        const std::int32_t end = lineStart_ + lineLength_;
        const std::int32_t saved = std::min<std::int32_t>(lineEnd_ - end, 2);
        for (std::int32_t i = 0; i < saved; ++i) buffer_[end + i] = savedEnd_[i];
        from = lineStart_ +
               static_cast<std::int32_t>(std::min<std::size_t>(consumed, lineEnd_ - lineStart_));
    }
    const std::int32_t count = fill_ - from;
    std::memmove(buffer_.data(), buffer_.data() + from, count);
    SetBuffer(buffer_.data(), kLineCapacity);
    available = count;
    EmptyLineArea();
    StartData(fileName);
}

void CHTTCP::StartData(std::string_view fileName) {
    bodyMode_ = true;
    if (buffer == nullptr) SetBuffer(buffer_.data(), kLineCapacity);
    if (socket_ != nullptr) {
        SetDataSource(&CHTTCP::SocketSource);
        socket_->receiveStep = nullptr;
        socket_->replyHandler = &CHTTCP::BodyNotification;
    }
    ChooseConvertor(fileName);
    // The questions may have let the user stop the load meanwhile.
    if (request == nullptr || request->protocol.get() != this) return;
    request->status = static_cast<std::int16_t>(convertor != nullptr ? 0 : kFailure);
    request->Wake();
}

void CHTTCP::BodyNotification(int notificationError) {
    if (notificationError != 0) {
        Fail(kFailure);
        return;
    }
    receiving = false;
    SetDataSource(&CHTTCP::SocketSource);
    if (request != nullptr) request->Wake();
}

std::int32_t CHTTCP::SocketSource(std::uint8_t* destination, std::int32_t maxLength) {
    if (socket_ == nullptr) return kFailure;
    const platform::SocketTransfer got = socket_->Receive(destination, maxLength);
    if (IsWouldBlock(got.error)) {
        // Nothing more until the next receive notification puts the socket source back.
        if (receiving) SetDataSource(&CHTTCP::WaitingSource);
        return kNeedMoreData;
    }
    if (got.error != 0) return kFailure;
    receiving = true;
    return static_cast<std::int32_t>(got.bytes);
}

std::int32_t CHTTCP::WaitingSource(std::uint8_t*, std::int32_t) {
    return kNeedMoreData;
}

std::int32_t CHTTCP::FailedSource(std::uint8_t*, std::int32_t) {
    return error < 0 ? error : kFailure;
}

void CHTTCP::Fail(int code) {
    error = code;
    EmptyLineArea();
    available = 0;
    SetDataSource(&CHTTCP::FailedSource);
    unsent_.clear();
    if (socket_ != nullptr) {
        socket_->receiveStep = nullptr;
        socket_->replyHandler = nullptr;
        socket_->sendReadyHandler = nullptr;
    }
    if (request != nullptr) {
        request->status = static_cast<std::int16_t>(code);
        request->Wake();
    }
}

}  // namespace corvane::protocols
