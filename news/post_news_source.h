#pragma once
// What the Post News window hands to the newspost protocol as the body of its request: the
// groups, the composed article and the attachment. The window learns the outcome once, through
// onFinished: true when the server accepted the article, false when posting failed or the request
// went away without posting.

#include <functional>
#include <string>

#include "core/runtime_class.h"

namespace corvane::news {

class CPostNewsSource : public core::CObject {
  public:
    ~CPostNewsSource() override { Finish(false); }

    // Reports the outcome the first time; later calls do nothing.
    void Finish(bool posted) {
        if (finished_) return;
        finished_ = true;
        sent = posted;
        if (onFinished) onFinished(posted);
    }

    std::string newsgroups;      // as typed, sent in one GROUP command
    std::string article;         // ComposeNewsArticle's text
    std::string attachmentPath;  // empty for none
    bool sent = false;
    std::function<void(bool posted)> onFinished;

  private:
    bool finished_ = false;
};

}  // namespace corvane::news
