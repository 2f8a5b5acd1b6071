#pragma once
// CTableCollector: the builder's table hooks. While a TABLE is open in the builder's context it
// takes every token: TR, TD, TH and CAPTION shape the rows and cells, and everything inside a
// cell is recorded for that cell. A TABLE inside a cell is collected as a table of its own and
// recorded in its cell as one token, so each token is recorded and replayed once however deep
// the nesting. At the outermost TABLE's end the builder pauses (answer 4) and Replay builds each
// cell's tokens into the cell's own element list, in a fresh parse context, then links the table
// into the surrounding flow followed by an end of line.
//
// The collector keeps no state of its own: everything lives in the document's tables and the
// builder's context, so one collector serves every document.

#include <string_view>

#include "html/builder_services.h"

namespace corvane::html {

class CTableCollector final : public TableHooks, public TableReplay {
  public:
    // Tokens replayed per call to Replay; the rest waits for the next pass.
    static constexpr int kTokensPerPass = 64 * 1024;

    int HandleTableToken(CHTMLBuilder& builder, int token, std::string_view text) override;
    bool Replay(CHTMLBuilder& builder) override;
};

// The collector the builder and the text convertors use unless told otherwise.
CTableCollector& DefaultTableCollector();

// For callers that build a whole document without pausing (benchmarks, fuzzers, tests): the
// token goes to the builder, and a table it completes is replayed at once by the collector.
int HandleTokenNow(CHTMLBuilder& builder, int token, std::string_view text);
// Ends and replays the tables still open, then ends the document.
void EndOfDataNow(CHTMLBuilder& builder);

}  // namespace corvane::html
