#pragma once
// The news protocols. CHTGetNews reads one article (ARTICLE) and shows it as a page. CHTNews
// serves news: addresses: the group list of a server (from memory, the cache file or LIST), a
// group's threaded article list (GROUP, XOVER) and an article by message-id. CHTNNTP serves
// nntp://server/group/number: GROUP, then ARTICLE by number.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "news/article_page.h"
#include "news/news_url.h"
#include "news/nntp_lines.h"
#include "news/nntp_session.h"
#include "news/overview.h"

namespace corvane::news {

class CHTGetNews : public CNNTP {
  public:
    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // Sends "ARTICLE " + selector (a message-id or a number) and shows the article, or saves
    // its attachment `attachment` (from 1) when that is not 0.
    void SendArticle(std::string_view selector, std::size_t attachment = 0);

  private:
    void OnArticleReply(int result);
    void OnArticleLine(int result);
    // The headers are complete: the follow-up fields and the page up to the body.
    bool StartArticlePage();

    std::string selector_;
    std::size_t attachment_ = 0;
    ArticleHeaderReader headers_;
    ArticleBodyWriter body_;
    bool inBody_ = false;
    bool lastWasHeader_ = false;
};

class CHTNews : public CHTGetNews {
  public:
    ~CHTNews() override;
    int Open() override;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    void FirstCommand() override;

  private:
    int ServeGroupList();
    void OnListReply(int result);
    void OnListLine(int result);
    void OnGroupReply(int result);
    void OnOverviewReply(int result);
    void OnOverviewLine(int result);
    void TakeOverviewLine();
    void ShowArticleList();

    NewsSelection selection_;
    std::shared_ptr<GroupTree> loading_;
    std::int64_t received_ = 0;
    std::int64_t groupFirst_ = 0;
    std::int64_t groupLast_ = 0;
    ArticleRange range_;
    std::vector<ArticleEntry> entries_;
    LineJoiner overviewLine_{64 * 1024};  // far longer than any real overview line
    bool overviewPending_ = false;
    bool listing_ = false;  // a group list is being retrieved from the server
};

class CHTNNTP : public CHTGetNews {
  public:
    int Open() override;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    void FirstCommand() override;

  private:
    void OnGroupReply(int result);

    std::string group_;
    std::string number_;
};

// Makes news:, nntp: and newspost: addresses load with their protocol classes.
void RegisterNewsProtocols();

}  // namespace corvane::news
