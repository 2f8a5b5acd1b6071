#pragma once
// What the document builder needs from outside the html layer, as small interfaces with
// do-nothing defaults: the window (title, repaint, refresh), the history (visited links), and
// the table builder. Tables default to CTableCollector (table_collector.h).

#include <cstdint>
#include <string_view>

namespace corvane::html {

class CHTMLBuilder;
class CHTMLImage;

class DocumentHost {
  public:
    virtual ~DocumentHost() = default;
    // The cleaned TITLE, once per document.
    virtual void ShowTitle(std::string_view /*title*/) {}
    // BODY BGCOLOR arrived: repaint the window now.
    virtual void RepaintBackground() {}
    // META refresh: load `url` (empty: this document again) after `seconds`.
    virtual void RequestRefresh(std::int32_t /*seconds*/, std::string_view /*url*/) {}
    // An inline or background image was created and wants its data.
    virtual void RequestImage(CHTMLImage& /*image*/) {}
};

class VisitedLookup {
  public:
    virtual ~VisitedLookup() = default;
    // `url` is canonical.
    virtual bool IsVisited(std::string_view /*url*/) const { return false; }
};

// TABLE, TR, TD, TH and CAPTION, and while a table is open in the builder's context every
// token. Returns 1 when the token was taken, 4 when it completed a table that must be replayed
// before parsing goes on, and kTokenNotTaken when the builder should handle it itself.
inline constexpr int kTokenNotTaken = 0;
class TableHooks {
  public:
    virtual ~TableHooks() = default;
    virtual int HandleTableToken(CHTMLBuilder& /*builder*/, int /*token*/,
                                 std::string_view /*text*/) {
        return 1;
    }
};

// Replays a completed table's cells through the builder. Answers true when the replay is
// complete, false to be called again on the next pass.
class TableReplay {
  public:
    virtual ~TableReplay() = default;
    virtual bool Replay(CHTMLBuilder& builder) = 0;
};

struct BuilderServices {
    DocumentHost* host = nullptr;
    const VisitedLookup* visited = nullptr;
    TableHooks* tables = nullptr;
};

}  // namespace corvane::html
