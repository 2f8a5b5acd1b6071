#include "protocols/http_protocol.h"

#include "core/address.h"
#include "core/ht_host_services.h"
#include "core/scheme_registry.h"
#include "core/status.h"
#include "platform/ascii.h"
#include "protocols/http_message.h"

namespace corvane::protocols {

using core::kFailure;

namespace {

constexpr std::uint16_t kHttpPort = 80;
constexpr std::uint16_t kHttpsPort = 443;

// Port of a scheme when the address names none, for keying logins.
int DefaultPort(int scheme) {
    switch (scheme) {
        case core::kSchemeFtp:
            return 21;
        case core::kSchemeGopher:
            return 70;
        case core::kSchemeHttps:
            return kHttpsPort;
        default:
            return kHttpPort;
    }
}

}  // namespace

const core::CRuntimeClass CHTTP::kRuntimeClass = core::MakeRuntimeClass<CHTTP, CHTTCP>("CHTTP");

void RegisterHttpProtocol() {
    core::Schemes().SetProtocolClass(core::kSchemeHttp, &CHTTP::kRuntimeClass);
    core::Schemes().SetProtocolClass(core::kSchemeHttps, &CHTTP::kRuntimeClass);
}

int CHTTP::Open() {
    if (request == nullptr) {
        error = kFailure;
        return core::kOpenFailed;
    }
    core::CHTWebStores* stores = request->Host().webStores;
    request->lastUsed = 0;
    request->security = core::CHTRequest::Security::kNone;
    request->certificateSubject.clear();
    if (stores != nullptr && request->method == core::kMethodShared) {
        const core::CopyCheck check = stores->CheckCopy(*request);
        if (reload) {
            // Reload asks for the document itself, never "not modified".
            request->lastUsed = 0;
        } else if (check == core::CopyCheck::kServe) {
            if (OpenCopy()) {
                ServeCopy();
                return convertor != nullptr ? core::kOpenComplete : core::kOpenFailed;
            }
            request->lastUsed = 0;
        }
    }
    return ConnectToServer();
}

void CHTTP::Abort() {
    CHTTCP::Abort();
    copy_.reset();
}

int CHTTP::ConnectToServer() {
    const bool secure = request->address.scheme == core::kSchemeHttps;
    // https takes the http proxy, through which it asks for a tunnel.
    proxySlot_ = static_cast<std::int16_t>(
        core::Schemes().ProxySlot(secure ? int{core::kSchemeHttp} : request->address.scheme));
    connectHost_.clear();
    const auto& proxyHost = request->Host().proxyHost;
    if (proxySlot_ >= 0 && proxyHost) connectHost_ = proxyHost(proxySlot_);
    if (connectHost_.empty()) {
        proxySlot_ = -1;
        connectHost_ = request->address.host;
    }
    locationSeen_ = authenticationNeeded_ = false;
    headerBytes_ = 0;
    askedRealm_.clear();
    tunnel_ = secure && proxySlot_ >= 0 ? Tunnel::kNeeded : Tunnel::kNone;
    if (secure && proxySlot_ < 0)
        return Connect(connectHost_, "https", kHttpsPort, Transport::kTls);
    return Connect(connectHost_, "http", kHttpPort);
}

bool CHTTP::OpenCopy() {
    core::CHTWebStores* stores = request->Host().webStores;
    copy_ = stores != nullptr ? stores->OpenCopy(*request) : nullptr;
    return copy_ != nullptr;
}

void CHTTP::ServeCopy() {
    contentType = copy_->ContentType();
    request->charset.clear();
    SetDataSource(&CHTTP::CopySource);
    StartData(FileName());
}

std::int32_t CHTTP::CopySource(std::uint8_t* destination, std::int32_t maxLength) {
    return copy_ != nullptr ? copy_->Read(destination, maxLength) : kFailure;
}

std::string CHTTP::FileName() const {
    const std::string& path = request->address.path;
    return "/" + path.substr(0, path.find('?'));
}

std::string CHTTP::LoginHost() const {
    const std::optional<HostAndPort> split = SplitHostAndPort(request->address.host);
    return split ? split->host : request->address.host;
}

int CHTTP::LoginPort() const {
    const std::optional<HostAndPort> split = SplitHostAndPort(request->address.host);
    return split && split->port != 0 ? split->port : DefaultPort(request->address.scheme);
}

void CHTTP::StartDialogue(int connectError) {
    if (connectError != 0) {
        Fail(kFailure);
        return;
    }
    if (tunnel_ == Tunnel::kNeeded) {
        tunnel_ = Tunnel::kAsked;
        // SendCommand adds the empty line that ends the request.
        SendCommand(FormatTunnelRequest(LoginHost() + ":" + std::to_string(LoginPort())),
                    &CHTTP::OnTunnelStatus);
        return;
    }
    ReleaseWaitCursor();
    request->Host().Ui().SetStatusText("");
    std::string text = RequestText();
    // SendCommand ends the text with the last CR LF.
    text.resize(text.size() - 2);
    SendCommand(text, &CHTTP::OnStatusLine);
}

std::string CHTTP::RequestText() {
    const core::CHTAddress& address = request->address;
    HttpRequestParts parts;
    parts.post = request->method == core::kMethodFormPost;
    if (proxySlot_ >= 0 && tunnel_ == Tunnel::kNone) {
        parts.target =
            std::string(core::Schemes().SchemeName(address.scheme)) + "://" + address.host;
    }
    parts.target += "/" + address.path;
    parts.hostHeader = address.host;
    const std::string defaultPort = ":" + std::to_string(DefaultPort(address.scheme));
    if (parts.hostHeader.ends_with(defaultPort) &&
        (address.scheme == core::kSchemeHttp || address.scheme == core::kSchemeHttps)) {
        parts.hostHeader.resize(parts.hostHeader.size() - defaultPort.size());
    }
    parts.reload = reload;
    // Only a web page's address goes to a server: a local file's or a message's would show
    // the user's paths, and a secure page's address never leaves over a plain connection.
    if (request->referrer && (StartsWithIgnoreCase(*request->referrer, "http:") ||
                              (StartsWithIgnoreCase(*request->referrer, "https:") &&
                               address.scheme == core::kSchemeHttps))) {
        parts.referrer = *request->referrer;
    }
    // A secure site's redirection to a plain address gets no stored login sent with it.
    core::CHTWebStores* stores = request->Host().webStores;
    if (stores != nullptr && !login_ && !request->downgradedByRedirect) {
        login_ = stores->FindLogin(LoginHost(), LoginPort(), "/" + address.path);
    }
    if (login_) parts.authorization = login_->user + ":" + login_->password;
    if (parts.post) {
        if (const auto* body = dynamic_cast<const core::CHTFormBody*>(request->body.get())) {
            parts.bodyType = body->contentType;
            parts.body = body->data;
        }
    } else {
        parts.ifModifiedSince = request->lastUsed;
    }
    return FormatHttpRequest(parts);
}

void CHTTP::OnTunnelStatus(int result) {
    if (result <= 0 || !CountHeaderLine()) {
        Fail(kFailure);
        return;
    }
    const std::optional<int> code = ParseStatusLine(Line());
    if (!code || *code / 100 != 2) {
        request->Host().Ui().SetStatusText("The proxy refused the tunnel: " +
                                           std::string(Line().substr(0, 200)));
        Fail(kFailure);
        return;
    }
    SetReplyHandler(&CHTTP::OnTunnelLine);
}

void CHTTP::OnTunnelLine(int result) {
    if (result <= 0 || !CountHeaderLine()) {
        Fail(kFailure);
        return;
    }
    if (!Line().empty() || LineIsContinuation()) return;
    tunnel_ = Tunnel::kOpen;
    headerBytes_ = 0;
    StartTls(LoginHost());
}

bool CHTTP::CountHeaderLine() {
    const std::string_view line = Line();
    headerBytes_ += line.size() + 1;
    return headerBytes_ <= kMaxHeaderBytes && line.find('\0') == std::string_view::npos;
}

void CHTTP::OnStatusLine(int result) {
    if (result < 0 || result == 0) {
        Fail(kFailure);
        return;
    }
    const std::string_view line = Line();
    if (line.find('\0') != std::string_view::npos) {
        Fail(kFailure);
        return;
    }
    request->size = 0;
    request->announcedLength = -1;
    request->charset.clear();
    request->refreshSeconds = -1;
    request->refreshUrl.clear();
    contentType.clear();
    const std::optional<int> code = ParseStatusLine(line);
    if (!code) {
        // An HTTP/0.9 answer: no headers, the line is already the body.
        contentType = "text/html";
        StartBody(0, FileName());
        return;
    }
    if (*code == 304 && request->lastUsed != 0 && OpenCopy()) {
        CHTTCP::Abort();
        ServeCopy();
        return;
    }
    // Errors, and a 304 without a copy to serve, show the server's text as a page, but it never
    // replaces a document in the cache.
    if ((*code / 100 != 2 && *code / 100 != 3) || *code == 304) {
        contentType = "text/html";
        if (core::CHTWebStores* stores = request->Host().webStores) stores->KeepNoCopy(*request);
    }
    SetReplyHandler(&CHTTP::OnHeaderLine);
}

void CHTTP::OnHeaderLine(int result) {
    if (result <= 0 || !CountHeaderLine()) {
        Fail(kFailure);
        return;
    }
    const std::string_view line = Line();
    // Pieces of a line longer than the line area: neither the first nor the rest is a header.
    if (LineIsContinuation() || line.size() >= static_cast<std::size_t>(kLineCapacity)) return;
    if (line.empty()) {
        EndOfHeaders();
        return;
    }
    if (const std::optional<HeaderField> field = SplitHeaderLine(line)) {
        TakeHeader(field->name, field->value);
    }
}

void CHTTP::TakeHeader(std::string_view name, std::string_view value) {
    if (EqualsIgnoreCase(name, "location")) {
        if (HasLineBreak(value)) {
            Fail(kFailure);
            return;
        }
        // Relative to the address that was asked for.
        const core::CHTAddress target = core::ParseAddress(value, &request->address);
        request->kind = core::kKindRedirect;
        request->canonicalUrl = core::FormatAddress(target);
        locationSeen_ = true;
    } else if (EqualsIgnoreCase(name, "content-type")) {
        // Kept whole: the convertor choice takes the type before ";" and the charset after it.
        contentType = std::string(value);
    } else if (EqualsIgnoreCase(name, "content-length")) {
        if (const std::optional<std::int64_t> length = ParseContentLength(value)) {
            request->size = static_cast<std::uint64_t>(*length);
            request->announcedLength = *length;
        }
    } else if (EqualsIgnoreCase(name, "refresh")) {
        if (std::optional<RefreshValue> refresh = ParseRefresh(value)) {
            request->refreshSeconds = refresh->seconds;
            request->refreshUrl.clear();
            if (!refresh->url.empty() && !HasLineBreak(refresh->url)) {
                request->refreshUrl =
                    core::FormatAddress(core::ParseAddress(refresh->url, &request->address));
            }
        }
    } else if (EqualsIgnoreCase(name, "www-authenticate")) {
        TakeAuthenticate(value);
    }
}

void CHTTP::TakeAuthenticate(std::string_view value) {
    std::optional<std::string> realm = ParseRealm(value);
    if (!realm) return;
    askedRealm_ = std::move(*realm);
    authenticationNeeded_ = true;
    core::CHTWebStores* stores = request->Host().webStores;
    if (login_ || realmReused_ || stores == nullptr) return;
    // A realm known on this server from another of its paths: try its login here at once.
    std::optional<core::CHTLogin> known = stores->FindRealm(LoginHost(), LoginPort(), askedRealm_);
    if (!known) return;
    realmReused_ = true;
    const std::string path = "/" + request->address.path;
    stores->StoreLogin(LoginHost(), LoginPort(), path, *known, nullptr);
    login_ = stores->FindLogin(LoginHost(), LoginPort(), path);
    if (login_) Reconnect();
}

bool CHTTP::Reconnect() {
    CHTTCP::Abort();
    if (ConnectToServer() == core::kOpenFailed) {
        Fail(kFailure);
        return false;
    }
    return true;
}

void CHTTP::EndOfHeaders() {
    if (locationSeen_) {
        CHTTCP::Abort();
        request->status = 0;
        request->Wake();
        return;
    }
    core::CHTWebStores* stores = request->Host().webStores;
    if (authenticationNeeded_ && stores != nullptr) {
        platform::HostServices& ui = request->Host().Ui();
        if (login_ &&
            ui.ShowMessage("Authorization falied.  Retry?", platform::MessageButtons::kYesNo,
                           platform::MessageIcon::kQuestion) != platform::MessageAnswer::kYes) {
            authenticationNeeded_ = false;
        }
        // The questions may have let the user stop the load meanwhile.
        if (request == nullptr || request->protocol.get() != this) return;
    }
    if (authenticationNeeded_ && stores != nullptr) {
        platform::HostServices& ui = request->Host().Ui();
        platform::Credentials prefill;
        if (login_) prefill = {login_->user, login_->password, login_->saved};
        const std::string host = LoginHost();
        std::optional<platform::Credentials> answer =
            ui.AskUserPassword("Need username and password at " + host, host, prefill);
        if (request == nullptr || request->protocol.get() != this) return;
        if (answer) {
            core::CHTLogin given;
            given.realm = askedRealm_;
            given.user = answer->user;
            given.password = answer->password;
            given.saved = answer->savePassword;
            const std::string path = "/" + request->address.path;
            stores->StoreLogin(host, LoginPort(), path, given, login_ ? &*login_ : nullptr);
            login_ = stores->FindLogin(host, LoginPort(), path);
            if (!login_) login_ = given;
            Reconnect();
            return;
        }
    }
    StartBody(kAfterLine, FileName());
}

}  // namespace corvane::protocols
