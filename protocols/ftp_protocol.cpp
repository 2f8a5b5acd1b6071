#include "protocols/ftp_protocol.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/ht_host_services.h"
#include "core/scheme_registry.h"
#include "core/status.h"
#include "core/url_escapes.h"
#include "platform/ascii.h"
#include "protocols/whois_protocol.h"

namespace corvane::protocols {
namespace {

std::string& AnonymousPassword() {
    static std::string password;
    return password;
}

bool InClass(int code, int first, int last) {
    return code >= first && code <= last;
}

// Reads a decimal number at `at`, moving past it; -1 when there is none or it is too large.
int ReadNumber(std::string_view text, std::size_t& at) {
    int value = -1;
    while (at < text.size() && IsAsciiDigit(text[at])) {
        value = (value < 0 ? 0 : value) * 10 + (text[at] - '0');
        if (value > 65535) return -1;
        ++at;
    }
    return value;
}

}  // namespace

void SetFtpAnonymousPassword(std::string password) {
    AnonymousPassword() = std::move(password);
}

std::uint16_t PassivePort(std::string_view text, bool extended) {
    const std::size_t open = text.find('(');
    if (open == std::string_view::npos) return 0;
    std::size_t at = open + 1;
    if (extended) {
        if (text.substr(at, 3) != "|||") return 0;
        at += 3;
        const int port = ReadNumber(text, at);
        return port > 0 && at < text.size() && text[at] == '|' ? static_cast<std::uint16_t>(port)
                                                               : 0;
    }
    int numbers[6];
    for (int i = 0; i < 6; ++i) {
        numbers[i] = ReadNumber(text, at);
        if (numbers[i] < 0 || numbers[i] > 255) return 0;
        if (i < 5) {
            if (at >= text.size() || text[at] != ',') return 0;
            ++at;
        }
    }
    return static_cast<std::uint16_t>(numbers[4] * 256 + numbers[5]);
}

void RegisterFtp() {
    core::Schemes().SetProtocolClass(core::kSchemeFtp, &CHTFTP::kRuntimeClass);
}

// CFtpDataSocket

CFtpDataSocket::CFtpDataSocket(platform::EventLoop& loop, CHTFTP& owner)
    : AsyncSocket(loop), owner_(owner) {}

void CFtpDataSocket::OnConnect(int error) {
    owner_.StopWatchingConnect();
    if (error == 0) owner_.dataConnected_ = true;
    owner_.DataNotification(error);
}

void CFtpDataSocket::OnReceive(int error) {
    owner_.DataNotification(error);
}

void CFtpDataSocket::OnClose(int error) {
    owner_.DataNotification(error);
}

// CFtpListenSocket

CFtpListenSocket::CFtpListenSocket(platform::EventLoop& loop, CHTFTP& owner)
    : AsyncSocket(loop), owner_(owner) {}

void CFtpListenSocket::OnAccept(int error) {
    owner_.Accepted(error);
}

// CHTFTP

const core::CRuntimeClass CHTFTP::kRuntimeClass = core::MakeRuntimeClass<CHTFTP, CHTTCP>("CHTFTP");

CHTFTP::CHTFTP() {
    SetBuffer(storage_, kBufferSize);
}

int CHTFTP::Open() {
    error = core::kFailure;
    if (request == nullptr) return core::kOpenFailed;
    const core::CHTAddress& address = request->address;
    serverText_ = address.host;
    const std::size_t at = serverText_.rfind('@');
    host_ = at == std::string::npos ? serverText_ : serverText_.substr(at + 1);
    shownLocation_ = serverText_;
    if (at != std::string::npos) {
        const std::string login = serverText_.substr(0, at);
        const std::size_t colon = login.find(':');
        user_ = core::DecodeUrlEscapes(login.substr(0, colon));
        if (colon != std::string::npos) {
            password_ = core::DecodeUrlEscapes(login.substr(colon + 1));
            // The password stays in the links, which later loads need, but is never shown.
            shownLocation_ = login.substr(0, colon) + "@" + host_;
        }
    }
    path_ = core::DecodeUrlEscapes(address.path);
    if (host_.empty() || !IsSafeCommandText(user_) || !IsSafeCommandText(password_) ||
        !IsSafeCommandText(path_))
        return core::kOpenFailed;
    directory_ = "/" + path_;
    if (directory_.back() != '/') directory_ += "/";
    error = 0;
    attempts_ = 3;
    int opened = core::kOpenFailed;
    while (attempts_ > 0 && (opened = ConnectControl()) == core::kOpenFailed) --attempts_;
    if (opened == core::kOpenFailed) request->Host().Ui().SetStatusText("");
    return opened;
}

int CHTFTP::ConnectControl() {
    Abort();
    listing_ = false;
    messages_.clear();
    return Connect(host_, "ftp", 21);
}

std::string CHTFTP::DataTimeoutText() const {
    const std::optional<HostAndPort> control = SplitHostAndPort(host_);
    return "The data connection with " + (control ? control->host : host_) + " timed out";
}

void CHTFTP::Abort() {
    data_.reset();
    listener_.reset();
    if (Socket() != nullptr) (void)Socket()->ShutDown(platform::SocketShutdown::kBoth);
    CHTTCP::Abort();
}

void CHTFTP::StartDialogue(int connectError) {
    if (connectError != 0) {
        error = core::kFailure;
        Retry();
        return;
    }
    request->Host().Ui().SetStatusText("");
    SetReplyHandler(&CHTFTP::OnGreeting);
}

int CHTFTP::Reply(int lineResult) {
    const int answer = ReadReply(lineResult);
    if (answer == 0) return 0;
    if (answer < 0) {
        Retry();
        return -1;
    }
    return replyCode;
}

void CHTFTP::Unexpected() {
    if (InClass(replyCode, 500, 599)) {
        Fail(core::kFailure);
    } else {
        Retry();
    }
}

void CHTFTP::Retry() {
    if (--attempts_ > 0 && ConnectControl() != core::kOpenFailed) return;
    attempts_ = 0;
    Fail(core::kFailure);
}

void CHTFTP::OnGreeting(int result) {
    const int code = Reply(result);
    if (code <= 0) return;
    if (!InClass(code, 200, 299)) return Unexpected();
    SendCommand("USER " + (user_.empty() ? std::string("anonymous") : user_), &CHTFTP::OnLogin);
}

void CHTFTP::OnLogin(int result) {
    const int code = Reply(result);
    if (code <= 0) return;
    if (InClass(code, 300, 399)) {
        std::string password = password_;
        if (user_.empty() && password.empty()) password = AnonymousPassword();
        SendCommand("PASS " + password, &CHTFTP::OnLogin);
    } else if (InClass(code, 230, 239)) {
        SendCommand("TYPE I", &CHTFTP::OnType);
    } else {
        Unexpected();
    }
}

void CHTFTP::OnType(int result) {
    const int code = Reply(result);
    if (code <= 0) return;
    if (!InClass(code, 200, 209)) return Unexpected();
    AskForDataPort();
}

void CHTFTP::AskForDataPort() {
    data_.reset();
    listener_.reset();
    dataConnected_ = false;
    dataEnded_ = false;
    if (passiveRefused_) return StartActive();
    SendCommand(extendedRefused_ ? "PASV" : "EPSV", &CHTFTP::OnPassive);
}

void CHTFTP::OnPassive(int result) {
    const int code = Reply(result);
    if (code <= 0) return;
    if (InClass(code, 500, 599)) {
        (extendedRefused_ ? passiveRefused_ : extendedRefused_) = true;
        AskForDataPort();
        return;
    }
    const bool extended = code == 229;
    const std::uint16_t port =
        (extended || code == 227)
            ? PassivePort(Line().substr(std::min<std::size_t>(4, Line().size())), extended)
            : 0;
    if (port == 0) return Unexpected();
    const std::optional<HostAndPort> control = SplitHostAndPort(host_);
    data_ = std::make_unique<CFtpDataSocket>(*request->Host().Loop(), *this);
    const int connected = data_->Create() == 0 ? data_->Connect(control->host, port) : -1;
    if (connected != 0 && connected != platform::kSocketWouldBlock) return Retry();
    dataConnected_ = connected == 0;
    if (!dataConnected_) WatchConnecting(DataTimeoutText());
    SendTransferCommand();
}

void CHTFTP::SendTransferCommand() {
    if (listing_) {
        SendCommand("LIST", &CHTFTP::OnList);
    } else {
        SendCommand("RETR /" + path_, &CHTFTP::OnRetrieve);
    }
}

void CHTFTP::StartActive() {
    platform::SocketEndpoint local;
    platform::SocketEndpoint listening;
    listener_ = std::make_unique<CFtpListenSocket>(*request->Host().Loop(), *this);
    unsigned bytes[4];
    char end = 0;
    if (Socket() == nullptr || Socket()->GetLocalAddress(local) != 0 ||
        std::sscanf(local.address.c_str(), "%3u.%3u.%3u.%3u%c", &bytes[0], &bytes[1], &bytes[2],
                    &bytes[3], &end) != 4 ||
        listener_->Create(0, local.address) != 0 || listener_->GetLocalAddress(listening) != 0 ||
        listener_->Listen(1) != 0) {
        listener_.reset();
        return Retry();
    }
    WatchConnecting(DataTimeoutText());
    char command[64];
    std::snprintf(command, sizeof command, "PORT %u,%u,%u,%u,%u,%u", bytes[0], bytes[1], bytes[2],
                  bytes[3], listening.port >> 8, listening.port & 0xFFu);
    SendCommand(command, &CHTFTP::OnPort);
}

void CHTFTP::OnPort(int result) {
    const int code = Reply(result);
    if (code <= 0) return;
    if (!InClass(code, 200, 299)) return Unexpected();
    SendTransferCommand();
}

void CHTFTP::Accepted(int acceptError) {
    if (acceptError != 0 || listener_ == nullptr) {
        Fail(core::kFailure);
        return;
    }
    data_ = std::make_unique<CFtpDataSocket>(*request->Host().Loop(), *this);
    if (listener_->Accept(*data_) != 0) {
        Fail(core::kFailure);
        return;
    }
    // Anyone may connect to a listening port: only the server's data is taken, whoever else
    // comes is turned away and the server still awaited.
    platform::SocketEndpoint server;
    platform::SocketEndpoint peer;
    if (Socket() == nullptr || Socket()->GetPeerAddress(server) != 0 ||
        data_->GetPeerAddress(peer) != 0 || peer.address != server.address) {
        data_.reset();
        return;
    }
    StopWatchingConnect();
    dataConnected_ = true;
    // One data connection per transfer: nobody else may connect now.
    listener_.reset();
    WakeForData();
}

void CHTFTP::WakeForData() {
    // Before the transfer's reply has chosen the convertor there is nothing to pump: a load
    // woken then would find no convertor and fail a download that is about to start.
    if (request != nullptr && convertor != nullptr) request->Wake();
}

void CHTFTP::OnRetrieve(int result) {
    const int code = Reply(result);
    if (code <= 0) return;
    if (InClass(code, 100, 199)) {
        const std::string_view text = Line();
        if (const std::size_t open = text.rfind('('); open != std::string_view::npos) {
            std::uint64_t size = 0;
            for (std::size_t at = open + 1; at < text.size() && IsAsciiDigit(text[at]); ++at) {
                if (size > (UINT64_MAX - 9) / 10) break;
                size = size * 10 + static_cast<std::uint64_t>(text[at] - '0');
            }
            request->size = size;
        }
        SetReplyHandler(&CHTFTP::OnFinal);
        StartFile();
    } else if (InClass(code, 500, 599)) {
        listing_ = true;
        data_.reset();
        SendCommand("SYST", &CHTFTP::OnSystem);
    } else {
        Unexpected();
    }
}

void CHTFTP::OnSystem(int result) {
    const int code = Reply(result);
    if (code <= 0) return;
    system_ = InClass(code, 210, 219) && Line().size() > 4 ? FtpSystemFromReply(Line().substr(4))
                                                           : FtpSystem::kOther;
    SendCommand("CWD /" + path_, &CHTFTP::OnDirectory);
}

void CHTFTP::OnDirectory(int result) {
    if (result > 0 && !LineIsContinuation() && Line().size() >= 4 && Line()[3] == '-' &&
        messages_.size() < kMessageLimit)
        messages_.emplace_back(Line().substr(4));
    const int code = Reply(result);
    if (code <= 0) return;
    if (!InClass(code, 200, 299)) return Unexpected();
    AskForDataPort();
}

void CHTFTP::OnList(int result) {
    const int code = Reply(result);
    if (code <= 0) return;
    if (!InClass(code, 100, 199)) return Unexpected();
    SetReplyHandler(&CHTFTP::OnFinal);
    StartListing();
}

void CHTFTP::OnFinal(int result) {
    const int code = ReadReply(result);
    if (code == 0) return;
    // The server may close the control connection once the transfer is done.
    if (code < 0) {
        SetReplyHandler(static_cast<void (CHTFTP::*)(int)>(nullptr));
        return;
    }
    if (!InClass(replyCode, 200, 299)) {
        Fail(core::kFailure);
        return;
    }
    SendLine("QUIT");
    SetReplyHandler(static_cast<void (CHTFTP::*)(int)>(nullptr));
}

void CHTFTP::StartFile() {
    SetDataSource(&CHTFTP::FileSource);
    ChooseConvertor(path_);
    // The questions may have let the user stop the load meanwhile.
    if (request == nullptr || request->protocol.get() != this) return;
    request->status = static_cast<std::int16_t>(convertor != nullptr ? 0 : core::kFailure);
    request->Wake();
}

void CHTFTP::StartListing() {
    pending_ =
        FtpListingHeader(shownLocation_, path_, messages_) + FtpParentLine(serverText_, directory_);
    taken_ = 0;
    listingLine_.clear();
    listingLineCut_ = false;
    SetDataSource(&CHTFTP::ListingSource);
    const bool started = StartOwnPage();
    request->status = static_cast<std::int16_t>(started ? 0 : core::kFailure);
    request->Wake();
}

void CHTFTP::DataNotification(int notificationError) {
    if (notificationError != 0) {
        Fail(core::kFailure);
        return;
    }
    WakeForData();
}

std::int32_t CHTFTP::FileSource(std::uint8_t* destination, std::int32_t maxLength) {
    // In active mode the data connection is still to be accepted.
    if (data_ == nullptr) return listener_ != nullptr ? core::kNeedMoreData : core::kFailure;
    // The server may announce the transfer before the connection is seen to be up.
    if (!dataConnected_) return core::kNeedMoreData;
    const platform::SocketTransfer got = data_->Receive(destination, maxLength);
    if (got.error == platform::kSocketWouldBlock || got.error == platform::kSocketInProgress)
        return core::kNeedMoreData;
    if (got.error != 0) return core::kFailure;
    return static_cast<std::int32_t>(got.bytes);
}

std::int32_t CHTFTP::ListingSource(std::uint8_t* destination, std::int32_t maxLength) {
    while (taken_ >= pending_.size()) {
        pending_.clear();
        taken_ = 0;
        if (dataEnded_) return 0;
        char chunk[4096];
        const std::int32_t got =
            FileSource(reinterpret_cast<std::uint8_t*>(chunk), std::int32_t{sizeof chunk});
        if (got < 0) return got;
        if (got == 0) {
            dataEnded_ = true;
            if (!listingLine_.empty()) ListingLine(listingLine_);
            continue;
        }
        for (std::int32_t i = 0; i < got; ++i) {
            if (chunk[i] == '\n') {
                ListingLine(listingLine_);
                listingLine_.clear();
                listingLineCut_ = false;
            } else if (listingLine_.size() < kListingLineCapacity) {
                listingLine_.push_back(chunk[i]);
            } else {
                listingLineCut_ = true;
            }
        }
    }
    const std::size_t count =
        std::min(pending_.size() - taken_, static_cast<std::size_t>(maxLength));
    std::memcpy(destination, pending_.data() + taken_, count);
    taken_ += count;
    return static_cast<std::int32_t>(count);
}

void CHTFTP::ListingLine(std::string_view line) {
    // A line longer than the listing area cannot name an entry that is listed correctly.
    if (listingLineCut_) return;
    if (const std::optional<FtpEntry> entry = ParseFtpListLine(line, system_))
        pending_ += FtpEntryLine(serverText_, directory_, *entry);
}

}  // namespace corvane::protocols
