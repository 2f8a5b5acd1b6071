#include "news/post_news_protocol.h"

#include "core/ht_host_services.h"
#include "core/status.h"
#include "news/news_url.h"
#include "protocols/whois_protocol.h"

namespace corvane::news {

using core::kFailure;

const core::CRuntimeClass CHTPostNews::kRuntimeClass =
    core::MakeRuntimeClass<CHTPostNews, CNNTP>("CHTPostNews");

CHTPostNews::~CHTPostNews() {
    // Whatever stopped the posting, the window hears of it now, not when the request goes.
    if (source_ != nullptr) source_->Finish(false);
}

int CHTPostNews::Open() {
    error = kFailure;
    if (request == nullptr || !ChooseServer()) return core::kOpenFailed;
    const std::string newsgroups = DecodeNewsPath(request->address.path);
    source_ = dynamic_cast<CPostNewsSource*>(request->body.get());
    if (newsgroups.empty() || source_ == nullptr) {
        // Nothing composed: the address only opens the window, and nothing is sent.
        source_ = nullptr;
        const core::CHTAddress& address = request->address;
        const std::string prefix =
            address.hasLocation && !address.host.empty() ? "//" + address.host + "/" : "";
        if (services->openPostNews) services->openPostNews(prefix, newsgroups, "");
        error = core::kSilentEnd;
        return core::kOpenFailed;
    }
    // A line end in the groups would end the GROUP command early.
    if (!protocols::IsSafeCommandText(newsgroups)) return core::kOpenFailed;
    error = 0;
    return ConnectToServer();
}

void CHTPostNews::FirstCommand() {
    SendCommand("GROUP " + DecodeNewsPath(request->address.path), &CHTPostNews::OnGroupReply);
}

bool CHTPostNews::Accept(int result, int expectedClass, bool loginOnRefusal) {
    if (AcceptReply(result, expectedClass, loginOnRefusal)) return true;
    // A refusal's text says why ("441 Unwanted newsgroup"): the status bar shows it.
    if (error != 0 && replyCode != 0 && request != nullptr)
        request->Host().Ui().SetStatusText(std::string(Line()));
    return false;
}

void CHTPostNews::OnGroupReply(int result) {
    if (!Accept(result, 2, true)) return;
    SendCommand("POST", &CHTPostNews::OnPostReply);
}

void CHTPostNews::OnPostReply(int result) {
    if (!Accept(result, 3, true)) return;
    std::unique_ptr<protocols::CUUEncoder> encoder;
    if (!source_->attachmentPath.empty()) {
        encoder = protocols::CUUEncoder::Open(source_->attachmentPath);
        if (encoder == nullptr) {
            // The file went away after the window checked it: the text is not ended, so the
            // server drops it.
            request->Host().Ui().SetStatusText("Invalid attachment.");
            Fail(kFailure);
            return;
        }
    }
    pieces_ = std::make_unique<protocols::OutgoingPieces>(source_->article, std::move(encoder));
    SetReplyHandler(&CHTPostNews::OnEndOfText);
    Socket()->sendReadyHandler =
        static_cast<protocols::CHTSocket::SendReadyHandler>(&CHTPostNews::SendPieces);
    SendPieces();
}

void CHTPostNews::SendPieces() {
    std::string piece;
    // More only while the socket takes everything at once; otherwise its send-ready call
    // brings the next piece.
    while (PendingSendBytes() == 0 && error == 0 && pieces_->Next(piece)) SendBytes(piece);
    if (pieces_->Failed()) {
        request->Host().Ui().SetStatusText("Invalid attachment.");
        Fail(kFailure);
    }
}

void CHTPostNews::OnEndOfText(int result) {
    if (!pieces_->Finished()) {
        // A reply before the end of the text: the server gave up on the article.
        if (ReadReply(result) == 0) return;
        request->Host().Ui().SetStatusText(std::string(Line()));
        Fail(kFailure);
        return;
    }
    if (!Accept(result, 2, false)) return;
    Socket()->sendReadyHandler = nullptr;
    if (services->filePostedNews) services->filePostedNews(source_->newsgroups, source_->article);
    source_->Finish(true);
    source_ = nullptr;
    SendLine("QUIT");
    request->Host().Ui().SetStatusText("News Posted");
    Fail(core::kSilentEnd);
}

}  // namespace corvane::news
