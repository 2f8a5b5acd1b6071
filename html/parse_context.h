#pragma once
// CParseContext: the builder's state for the whole document or, during table replay, for one
// table cell. The FONT and BASEFONT sizes ride on their style stack entries instead of a
// separate attribute stack, so the two can never get out of step.

#include <cstdint>

#include "html/style_stack.h"

namespace corvane::html {

class CHTMLAnchor;
class CHTMLTable;

struct CParseContext {
    StyleStack styles;
    CHTMLAnchor* currentAnchor = nullptr;
    std::int32_t preDepth = 0;         // never below 0
    std::int32_t blockQuoteDepth = 0;  // never below 0
    std::int32_t listDepth = 0;        // UL, OL, DIR, MENU and DL
    bool compact = false;              // the innermost DL has COMPACT
    CHTMLTable* currentTable = nullptr;
    bool inTable = false;
    bool titleSeen = false;
};

}  // namespace corvane::html
