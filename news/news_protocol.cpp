#include "news/news_protocol.h"

#include "core/convertor_choice.h"
#include "core/ht_host_services.h"
#include "core/scheme_registry.h"
#include "core/status.h"
#include "html/mime_text.h"
#include "news/article_list_page.h"
#include "news/article_threads.h"
#include "news/group_list_cache.h"
#include "news/group_list_page.h"
#include "news/news_html.h"
#include "news/post_news_protocol.h"
#include "platform/ascii.h"
#include "protocols/whois_protocol.h"

namespace corvane::news {

using core::kFailure;

namespace {

// The status line is updated every so many groups: a million status texts would cost more than
// the list.
constexpr std::int64_t kGroupsPerStatus = 256;

// A header line has a name without spaces before its colon; anything else already belongs to
// the body (an article whose headers are not followed by a blank line).
bool IsHeaderLine(std::string_view line) {
    if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) return true;
    const std::size_t colon = line.find(':');
    return colon != std::string_view::npos && colon > 0 &&
           line.substr(0, colon).find_first_of(" \t") == std::string_view::npos;
}

// The numbers after the code of a "211 count first last group" reply.
bool ReadGroupReply(std::string_view line, std::int64_t& first, std::int64_t& last) {
    std::int64_t numbers[3] = {};
    for (std::int64_t& number : numbers) {
        while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        if (line.empty() || !IsAsciiDigit(line.front())) return false;
        number = LeadingNumber(line);
        while (!line.empty() && IsAsciiDigit(line.front())) line.remove_prefix(1);
    }
    first = numbers[1];
    last = numbers[2];
    return true;
}

}  // namespace

const core::CRuntimeClass CHTGetNews::kRuntimeClass =
    core::MakeAbstractRuntimeClass<CHTGetNews, CNNTP>("CHTGetNews");
const core::CRuntimeClass CHTNews::kRuntimeClass =
    core::MakeRuntimeClass<CHTNews, CHTGetNews>("CHTNews");
const core::CRuntimeClass CHTNNTP::kRuntimeClass =
    core::MakeRuntimeClass<CHTNNTP, CHTGetNews>("CHTNNTP");

void RegisterNewsProtocols() {
    core::Schemes().SetProtocolClass(core::kSchemeNews, &CHTNews::kRuntimeClass);
    core::Schemes().SetProtocolClass(core::kSchemeNntp, &CHTNNTP::kRuntimeClass);
    core::Schemes().SetProtocolClass(core::kSchemeNewsPost, &CHTPostNews::kRuntimeClass);
}

// Articles.

void CHTGetNews::SendArticle(std::string_view selector, std::size_t attachment) {
    selector_ = selector;
    attachment_ = attachment;
    SendCommand("ARTICLE " + selector_, &CHTGetNews::OnArticleReply);
}

void CHTGetNews::OnArticleReply(int result) {
    if (!AcceptReply(result, 2, true)) return;
    headers_ = ArticleHeaderReader();
    inBody_ = false;
    lastWasHeader_ = false;
    SetReplyHandler(&CHTGetNews::OnArticleLine);
}

bool CHTGetNews::StartArticlePage() {
    const ArticleHeaders headers = headers_.Finish();
    const std::string charset(core::ContentTypeCharset(headers.contentType));
    // A follow-up and its quote show these as text, not as encoded words.
    request->subject = html::DecodeHeaderText(headers.subject, charset);
    std::string_view from = headers.from;
    while (!from.empty() && from.front() == ' ') from.remove_prefix(1);
    request->sender = html::DecodeHeaderText(from, charset);
    const std::size_t comma = headers.newsgroups.find(',');
    request->newsgroups = comma != std::string::npos && comma > 0
                              ? headers.newsgroups.substr(0, comma)
                              : headers.newsgroups;
    // The follow-up refers to this article by its own id; the address gives it only for
    // news:id addresses, so the header is preferred.
    std::string ownId = headers.messageId;
    if (ownId.empty()) ownId = selector_;
    if (!ownId.starts_with('<')) ownId = "<" + ownId + ">";
    request->references = headers.references.empty() ? ownId : headers.references + " " + ownId;
    body_ = ArticleBodyWriter::For(headers);
    if (attachment_ > 0) {
        body_.KeepAttachment(attachment_);
        return true;  // saved at the end, no page
    }
    if (ownId.find('@') != std::string::npos && ownId.ends_with('>'))
        body_.LinkAttachments(linkStart + LinkText(ownId.substr(1, ownId.size() - 2)));
    // The page is written in UTF-8 whatever the article's character set.
    request->charset = "UTF-8";
    if (!StartPage()) return false;
    Emit(ArticleHeaderHtml(headers, charset));
    return true;
}

void CHTGetNews::OnArticleLine(int result) {
    if (result < 0) {
        Fail(kFailure);  // the connection ended before the article did
        return;
    }
    const bool continuation = LineIsContinuation();
    const AnswerLine line = ReadAnswerLine(Line(), continuation);
    if (!inBody_) {
        const bool blank = !continuation && !line.end && line.text.empty();
        const bool header =
            !line.end && !blank && (continuation ? lastWasHeader_ : IsHeaderLine(line.text));
        if (header) {
            headers_.Add(line.text, continuation);
            lastWasHeader_ = true;
            return;
        }
        if (!StartArticlePage()) return;
        inBody_ = true;
        if (blank) return;
    }
    std::string html;
    if (line.end) {
        body_.End(html);
        if (attachment_ > 0) {
            auto kept = body_.TakeKeptAttachment();
            if (!kept) {
                Fail(kFailure);  // the article has no such attachment
                return;
            }
            (void)SaveData(std::move(kept->data), kept->type);
            return;
        }
        Emit(html);
        EndPage();
        return;
    }
    body_.Line(line.text, continuation, html);
    if (attachment_ == 0) Emit(html);
}

// news: addresses.

int CHTNews::Open() {
    error = kFailure;
    if (request == nullptr || !ChooseServer()) return core::kOpenFailed;
    selection_ = SelectNews(DecodeNewsPath(request->address.path), request->address.anchor);
    request->newsgroups = selection_.group;
    if (!protocols::IsSafeCommandText(selection_.group) ||
        !protocols::IsSafeCommandText(selection_.messageId))
        return core::kOpenFailed;
    error = 0;
    if (selection_.mode == NewsMode::kGroupList) return ServeGroupList();
    return ConnectToServer();
}

int CHTNews::ServeGroupList() {
    const CacheChoice choice = services->TakeGroupTree(*server);
    if (choice == CacheChoice::kCancelled) {
        error = core::kSilentEnd;
        return core::kOpenFailed;
    }
    if (choice == CacheChoice::kRetrieve) {
        server->reload = false;
        listing_ = true;
        return ConnectToServer();
    }
    GroupListView view{serverName, linkStart, selection_.hierarchy, selection_.fragment};
    return ServeWithoutConnection({},
                                  std::make_unique<GroupListPage>(server->groups, std::move(view)));
}

void CHTNews::FirstCommand() {
    switch (selection_.mode) {
        case NewsMode::kGroupList:
            SendCommand("LIST", &CHTNews::OnListReply);
            break;
        case NewsMode::kArticleList:
            SendCommand("GROUP " + selection_.group, &CHTNews::OnGroupReply);
            break;
        case NewsMode::kArticle:
            SendArticle(selection_.messageId, selection_.attachment);
            break;
    }
}

void CHTNews::OnListReply(int result) {
    if (!AcceptReply(result, 2, true)) return;
    loading_ = std::make_shared<GroupTree>();
    received_ = 0;
    SetReplyHandler(&CHTNews::OnListLine);
}

void CHTNews::OnListLine(int result) {
    if (result < 0) {
        Fail(kFailure);  // a list cut short is neither shown nor kept
        return;
    }
    // The rest of an over-long line holds no group name.
    if (LineIsContinuation()) return;
    const AnswerLine line = ReadAnswerLine(Line(), false);
    if (!line.end) {
        if (loading_->AddListLine(line.text)) {
            if (++received_ % kGroupsPerStatus == 0)
                request->Host().Ui().SetStatusText("No of newgroups received: " +
                                                   std::to_string(received_));
        }
        return;
    }
    request->Host().Ui().SetStatusText("No of newgroups received: " + std::to_string(received_));
    loading_->FinishLoading();
    server->groups = std::move(loading_);
    server->groupCount = received_;
    services->SaveGroupListCache(*server);
    listing_ = false;
    if (services->groupListEnded) services->groupListEnded(*server, true);
    if (!IsCurrent()) return;
    if (request->method == core::kMethodNewsWindow) {
        // The newsgroup window only wanted the list refreshed.
        Fail(core::kSilentEnd);
        return;
    }
    if (!StartPage()) return;
    GroupListView view{serverName, linkStart, selection_.hierarchy, selection_.fragment};
    SetUnits(std::make_unique<GroupListPage>(server->groups, std::move(view)));
    EndPage();
}

void CHTNews::OnGroupReply(int result) {
    if (!AcceptReply(result, 2, true)) return;
    if (!ReadGroupReply(Line().substr(std::min<std::size_t>(3, Line().size())), groupFirst_,
                        groupLast_)) {
        Fail(kFailure);
        return;
    }
    range_ =
        ChooseArticleRange(selection_.range, groupFirst_, groupLast_, services->ArticlesPerPage());
    entries_.clear();
    if (range_.first > range_.last) {
        ShowArticleList();  // an empty group
        return;
    }
    SendCommand("XOVER " + std::to_string(range_.first) + "-" + std::to_string(range_.last),
                &CHTNews::OnOverviewReply);
}

void CHTNews::OnOverviewReply(int result) {
    const int reply = ReadReply(result);
    if (reply == 0) return;
    // "No articles in that range" is an empty list, not a failure.
    if (reply > 0 && (replyCode == 420 || replyCode == 423)) {
        ShowArticleList();
        return;
    }
    if (reply < 0 || replyCode / 100 != 2) {
        Fail(kFailure);
        return;
    }
    overviewPending_ = false;
    SetReplyHandler(&CHTNews::OnOverviewLine);
}

void CHTNews::TakeOverviewLine() {
    if (!overviewPending_) return;
    overviewPending_ = false;
    if (overviewLine_.Dropped()) return;
    if (std::optional<ArticleEntry> entry = ParseOverviewLine(overviewLine_.Text()))
        entries_.push_back(std::move(*entry));
}

void CHTNews::OnOverviewLine(int result) {
    if (result < 0) {
        Fail(kFailure);
        return;
    }
    const bool continuation = LineIsContinuation();
    const AnswerLine line = ReadAnswerLine(Line(), continuation);
    if (!continuation) TakeOverviewLine();
    if (line.end) {
        ShowArticleList();
        return;
    }
    overviewLine_.Add(line.text, continuation);
    overviewPending_ = true;
}

void CHTNews::ShowArticleList() {
    ThreadArticles(entries_);
    request->charset = "UTF-8";
    if (!StartPage()) return;
    ArticleListView view;
    view.server = serverName;
    view.group = selection_.group;
    view.linkStart = linkStart;
    view.groupFirst = groupFirst_;
    view.groupLast = groupLast_;
    view.first = range_.first;
    view.last = range_.last;
    view.pageSize = services->ArticlesPerPage();
    SetUnits(std::make_unique<ArticleListPage>(std::move(view), std::move(entries_)));
    entries_.clear();
    EndPage();
}

CHTNews::~CHTNews() {
    // A list that never arrived whole: the newsgroup window stops waiting for it.
    // The services themselves are gone when the program ends with the list still coming.
    NewsServices* current = TheNewsServices();
    if (listing_ && server != nullptr && current == services && current != nullptr &&
        current->groupListEnded)
        current->groupListEnded(*server, false);
}

// nntp: addresses.

int CHTNNTP::Open() {
    error = kFailure;
    if (request == nullptr || !ChooseServer()) return core::kOpenFailed;
    const std::string path = DecodeNewsPath(request->address.path);
    const std::size_t slash = path.find('/');
    group_ = path.substr(0, slash);
    number_ = slash == std::string::npos ? std::string() : path.substr(slash + 1);
    request->newsgroups = group_;
    if (group_.empty() || number_.empty() || !protocols::IsSafeCommandText(group_) ||
        !protocols::IsSafeCommandText(number_))
        return core::kOpenFailed;
    error = 0;
    return ConnectToServer();
}

void CHTNNTP::FirstCommand() {
    SendCommand("GROUP " + group_, &CHTNNTP::OnGroupReply);
}

void CHTNNTP::OnGroupReply(int result) {
    if (!AcceptReply(result, 2, true)) return;
    SendArticle(number_);
}

}  // namespace corvane::news
