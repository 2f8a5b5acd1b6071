#pragma once
// Builds documents from HTML strings and describes their element lists as short words, so tests
// read as "what the layout will see".

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/builder.h"
#include "html/document.h"
#include "html/table_collector.h"
#include "html/tokenizer.h"

namespace corvane::html::testing {

inline constexpr std::string_view kPageUrl = "http://example.org/dir/page.html";

struct Built {
    std::unique_ptr<CHTML> document;
    std::vector<int> tokens;  // every token handed to the builder
};

inline Built BuildDocument(std::string_view html, BuilderServices services = {},
                           std::string_view url = kPageUrl) {
    Built built{std::make_unique<CHTML>(std::string(url)), {}};
    CHTMLBuilder builder(*built.document, services);
    CHTMLTokenizer tokenizer;
    // Tables are replayed as they complete, as the text convertor does between passes.
    auto replay = [&](int answer) {
        if (answer != CHTMLBuilder::kTableCompleted) return;
        auto* tables = dynamic_cast<TableReplay*>(services.tables);
        if (tables == nullptr) tables = &DefaultTableCollector();
        while (!tables->Replay(builder)) {
        }
    };
    auto feed = [&](int ch) {
        const int token = tokenizer.Feed(ch, builder.Preformatted());
        if (token == kTokenNone) return;
        built.tokens.push_back(token);
        replay(builder.HandleToken(token, tokenizer.Text()));
    };
    for (const char c : html) feed(static_cast<unsigned char>(c));
    feed(0);
    replay(builder.CloseOpenTables());
    builder.EndOfData();
    return built;
}

inline std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

// One word per element: "text:405:Hello", "break:1", "align:3", "ul+1", "ul-0", "dl+1",
// "bullet:2", "number:2:5", "dd", "name:x", "centre+", "quote-", "rule", "image:url", "start",
// "pre:text".
inline std::string Describe(const CHTMLElement& e) {
    switch (e.type) {
        case kElementText: {
            const auto& text = static_cast<const CHTMLText&>(e);
            return (text.preformatted ? "pre:" : "text:" + Hex(text.style) + ":") +
                   std::string(text.text);
        }
        case kElementBreak:
            return "break:" + std::to_string(static_cast<const CHTMLBreak&>(e).kind);
        case kElementAlignment:
            return "align:" + std::to_string(static_cast<const CHTMLAlignmentMarker&>(e).alignment);
        case kElementList:
        case kElementDefinitionList: {
            const auto& list = static_cast<const CHTMLListMarker&>(e);
            return std::string(e.type == kElementList ? "ul" : "dl") + (list.isEnd ? "-" : "+") +
                   std::to_string(list.depth);
        }
        case kElementBulletItem:
            return "bullet:" + std::to_string(static_cast<const CHTMLBulletItem&>(e).shape);
        case kElementNumberedItem: {
            const auto& item = static_cast<const CHTMLNumberedItem&>(e);
            return "number:" + std::to_string(item.numberStyle) + ":" + std::to_string(item.number);
        }
        case kElementDefinitionData: {
            const auto& data = static_cast<const CHTMLDefinitionData&>(e);
            return std::string(data.term ? "dt" : "dd") + (data.compact ? ":compact" : "");
        }
        case kElementAnchorName:
            return "name:" + static_cast<const CHTMLAnchorName&>(e).name;
        case kElementCentre:
            return static_cast<const CHTMLBlockMarker&>(e).isEnd ? "centre-" : "centre+";
        case kElementBlockQuote:
            return static_cast<const CHTMLBlockMarker&>(e).isEnd ? "quote-" : "quote+";
        case kElementRule:
            return "rule";
        case kElementImage:
            return "image:" + static_cast<const CHTMLImage&>(e).url;
        case kElementDocumentStart:
            return "start";
        case kElementCellEnd:
            return "cellend";
        default:
            return "type" + std::to_string(e.type);
    }
}

// The element list without the document-start element and the break the end of data adds.
inline std::vector<std::string> Elements(const CHTML& document) {
    std::vector<std::string> words;
    for (const CHTMLElement* e = document.First(); e != document.End(); e = e->next) {
        words.push_back(Describe(*e));
    }
    if (!words.empty() && words.front() == "start") words.erase(words.begin());
    if (!words.empty() && words.back() == "break:2") words.pop_back();
    return words;
}

inline std::vector<std::string> Elements(std::string_view html) {
    return Elements(*BuildDocument(html).document);
}

// Only the text runs, for tests about text and style.
inline std::vector<std::string> Texts(std::string_view html) {
    std::vector<std::string> texts;
    for (const std::string& word : Elements(html)) {
        if (word.starts_with("text:") || word.starts_with("pre:")) texts.push_back(word);
    }
    return texts;
}

}  // namespace corvane::html::testing
