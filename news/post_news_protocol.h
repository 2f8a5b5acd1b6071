#pragma once
// CHTPostNews serves newspost: addresses. With a composed article as the request's body it posts
// it: GROUP with the newsgroups as typed (a refusal stops before POST), POST, the article in
// pieces with its attachment uuencoded, ".", then files the copy and sends QUIT without waiting.
// Without one (an address typed or followed) it only asks for the Post News window and sends
// nothing.

#include <memory>
#include <string>

#include "news/nntp_session.h"
#include "news/post_news_source.h"
#include "protocols/outgoing_pieces.h"

namespace corvane::news {

class CHTPostNews : public CNNTP {
  public:
    ~CHTPostNews() override;
    int Open() override;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    void FirstCommand() override;

  private:
    // AcceptReply that also shows a refusal's text.
    bool Accept(int result, int expectedClass, bool loginOnRefusal);
    void OnGroupReply(int result);
    void OnPostReply(int result);
    void SendPieces();
    void OnEndOfText(int result);

    CPostNewsSource* source_ = nullptr;
    std::unique_ptr<protocols::OutgoingPieces> pieces_;
};

}  // namespace corvane::news
