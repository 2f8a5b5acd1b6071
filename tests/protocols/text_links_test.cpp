#include "protocols/text_links.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::protocols {
namespace {

std::string Link(const std::string& url) {
    return "<a href=\"" + url + "\">" + url + "</a>";
}

TEST(TextLinks, EveryPrefixInAnyCaseUpToItsTerminator) {
    const std::vector<std::string> urls = {"http://a.example/x",         "FTP://f.example/pub",
                                           "MailTo:someone@example.org", "news:comp.lang.c",
                                           "NEWSPOST:alt.test",          "nntp://n.example/group",
                                           "Gopher://g.example/",        "telnet://t.example",
                                           "tn3270://ibm.example",       "whois://w.example"};
    const std::string terminators = " ,<>()";
    for (const std::string& url : urls) {
        for (char end : terminators) {
            std::string html;
            const std::string text = "see " + url + end + "z";
            const std::string expected =
                "see " + Link(url) +
                (end == '<' ? std::string("&lt;") : end == '>' ? "&gt;" : std::string(1, end)) +
                "z";
            EXPECT_EQ(AppendTextWithLinks(text, html), expected.size());
            EXPECT_EQ(html, expected);
        }
    }
}

TEST(TextLinks, EdgesOfTheText) {
    struct Case {
        std::string text, html;
    };
    const std::vector<Case> cases = {
        {"http: is a scheme", Link("http:") + " is a scheme"},
        {"at the end http://e.example/", "at the end " + Link("http://e.example/")},
        {std::string("gopher://g\0tail", 15), Link("gopher://g") + "&#0;tail"},
        {"tab\tand\r\nline", "tab\tand\r\nline"},
        {"no link <b>here</b> ftp", "no link &lt;b&gt;here&lt;/b&gt; ftp"},
        {"&lt; stays text, http://a.example/?x=1&y=2",
         "&amp;lt; stays text, <a href=\"http://a.example/?x=1&amp;y=2\">"
         "http://a.example/?x=1&amp;y=2</a>"},
        {"http://q.example/\"x",
         "<a href=\"http://q.example/&quot;x\">http://q.example/&quot;x</a>"},
    };
    for (const Case& c : cases) {
        std::string html = "kept";
        AppendTextWithLinks(c.text, html);
        EXPECT_EQ(html, "kept" + c.html);
    }
}

}  // namespace
}  // namespace corvane::protocols
