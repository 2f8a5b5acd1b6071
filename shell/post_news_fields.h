#pragma once
// What a Post News window opens with: a new article, a follow-up to the article shown, or the
// groups of a newspost: address.

#include <string>

namespace corvane::shell {

struct PostNewsFields {
    std::string serverPrefix;  // "//host/" or empty
    std::string newsgroups;
    std::string subject;
    std::string references;
};

}  // namespace corvane::shell
