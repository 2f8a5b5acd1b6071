#include "html/table_collector.h"

#include <algorithm>
#include <climits>

#include "html/attribute_values.h"
#include "html/attributes.h"
#include "html/builder.h"
#include "html/tags.h"
#include "platform/ascii.h"

namespace corvane::html {
namespace {

std::int32_t HorizontalAlignment(std::string_view value, std::int32_t otherwise) {
    if (EqualsIgnoreCase(value, "CENTER") || EqualsIgnoreCase(value, "MIDDLE")) return kAlignCentre;
    if (EqualsIgnoreCase(value, "LEFT")) return kAlignLeft;
    if (EqualsIgnoreCase(value, "RIGHT")) return kAlignRight;
    return otherwise;
}

std::int32_t VerticalAlignment(std::string_view value, std::int32_t otherwise) {
    if (EqualsIgnoreCase(value, "TOP")) return kAlignTop;
    if (EqualsIgnoreCase(value, "BOTTOM")) return kAlignBottom;
    if (EqualsIgnoreCase(value, "BASELINE")) return kAlignBaseline;
    if (EqualsIgnoreCase(value, "MIDDLE") || EqualsIgnoreCase(value, "CENTER")) return kAlignMiddle;
    return otherwise;
}

// WIDTH: pixels, or a percentage (negative) when the value ends in '%'; nothing when it is not
// positive. Bounded so that no sum of widths can overflow.
std::optional<std::int32_t> Length(std::string_view text) {
    std::string value;
    if (!GetAttribute(text, "WIDTH", value)) return std::nullopt;
    const std::int32_t number = ParseInteger(value);
    if (number <= 0) return std::nullopt;
    if (value.back() == '%') return -std::min(number, 1000);
    return std::min(number, kMaxTableLength);
}

std::int32_t Spacing(std::string_view text, std::string_view name, std::int32_t otherwise) {
    std::string value;
    if (!GetAttribute(text, name, value)) return otherwise;
    return std::clamp(ParseInteger(value), 0, kMaxTableSpacing);
}

std::int32_t Span(std::string_view text, std::string_view name, std::int32_t limit) {
    std::string value;
    if (!GetAttribute(text, name, value)) return 1;
    return std::clamp(ParseInteger(value), 1, limit);
}

void ReadTableAttributes(CHTMLTable& table, std::string_view text) {
    if (const std::optional<std::string> border = GetAttribute(text, "BORDER")) {
        table.border = border->empty() ? 1 : std::clamp(ParseInteger(*border), 0, kMaxTableSpacing);
        table.drawBorders = table.border >= 1;
        if (table.border < 1) table.cellBorder = 0;
    }
    table.cellSpacing = Spacing(text, "CELLSPACING", table.cellSpacing);
    table.cellPadding = Spacing(text, "CELLPADDING", table.cellPadding);
    table.alignment = HorizontalAlignment(GetAttribute(text, "ALIGN").value_or(""), kAlignLeft);
    table.width = Length(text);
}

void CloseCell(CHTMLTable& table) {
    table.openCell.reset();
    table.preDepth = 0;
}

void StartRow(CHTMLTable& table, std::string_view text) {
    // A TR right after another, or before any cell, starts no empty row.
    if (table.rows.empty() || !table.rows.back().cells.empty()) table.rows.emplace_back();
    CHTMLTableRow& row = table.rows.back();
    row.alignment = HorizontalAlignment(GetAttribute(text, "ALIGN").value_or(""), kAlignLeft);
    row.vertical = VerticalAlignment(GetAttribute(text, "VALIGN").value_or(""), kAlignMiddle);
    table.rowEnded = false;
}

void StartCell(CHTMLTable& table, int number, std::string_view text) {
    auto cell = std::make_unique<CHTMLTableCell>();
    const auto index = static_cast<std::uint32_t>(table.cells.size());
    cell->firstToken = cell->endToken = static_cast<std::uint32_t>(table.tokens.size());
    if (number == tag::kCaption) {
        cell->alignment = kAlignCentre;
        table.captionBelow = EqualsIgnoreCase(GetAttribute(text, "ALIGN").value_or(""), "BOTTOM");
        table.caption = index;  // a later caption replaces an earlier one
    } else {
        if (table.rows.empty() || table.rowEnded) {
            table.rows.emplace_back();
            table.rowEnded = false;
        }
        CHTMLTableRow& row = table.rows.back();
        cell->header = number == tag::kTh;
        const std::int32_t alignment = cell->header ? kAlignCentre : row.alignment;
        cell->alignment = HorizontalAlignment(GetAttribute(text, "ALIGN").value_or(""), alignment);
        cell->vertical = VerticalAlignment(GetAttribute(text, "VALIGN").value_or(""), row.vertical);
        cell->noWrap = GetAttribute(text, "NOWRAP").has_value();
        cell->columnSpan = Span(text, "COLSPAN", kMaxColumnSpan);
        cell->rowSpan = Span(text, "ROWSPAN", kMaxRowSpan);
        cell->width = Length(text);
        row.cells.push_back(index);
    }
    table.cells.push_back(std::move(cell));
    table.openCell = index;
    table.preDepth = 0;
}

void Append(CHTMLTable& table, const RecordedToken& token) {
    if (table.tokens.size() >= UINT32_MAX) return;  // beyond what a cell can hold: dropped
    table.tokens.push_back(token);
    table.cells[*table.openCell]->endToken = static_cast<std::uint32_t>(table.tokens.size());
}

// Records a token for the open cell of the table, or, between the cells of a nested table, for
// the cell that table stands in. False when there is no cell to record it for.
bool Record(CHTMLTable* table, std::int32_t token, std::string_view text) {
    while (table && !table->openCell) table = table->parent;
    if (!table) return false;
    if (table->text.size() + text.size() > UINT32_MAX) return true;  // dropped
    const auto offset = static_cast<std::uint32_t>(table->text.size());
    table->text.append(text);
    Append(*table, RecordedToken{token, offset, static_cast<std::uint32_t>(text.size())});
    return true;
}

void FreeCollection(CHTMLTable& table) {
    std::vector<RecordedToken>().swap(table.tokens);
    std::string().swap(table.text);
    std::vector<CHTMLTable*>().swap(table.nested);
    table.openCell.reset();
}

// The PRE depth as the replay will see it, so the tokenizer treats line ends inside a cell the
// way the cell's content will be built.
void TrackPreDepth(CHTMLTable& table, int token) {
    const bool isEnd = (token & kEndTagFlag) != 0;
    const int number = token & ~kEndTagFlag;
    if (number != tag::kPre && number != tag::kXmp) return;
    table.preDepth = isEnd ? std::max(0, table.preDepth - 1) : table.preDepth + 1;
}

bool IsTag(int token) {
    return token != TOKEN_TEXT && token != TOKEN_TEXTAREA_TEXT && token != TOKEN_OPTION_TEXT &&
           token != TOKEN_LINE_BREAK;
}

}  // namespace

CTableCollector& DefaultTableCollector() {
    static CTableCollector collector;
    return collector;
}

int HandleTokenNow(CHTMLBuilder& builder, int token, std::string_view text) {
    const int answer = builder.HandleToken(token, text);
    if (answer == CHTMLBuilder::kTableCompleted) {
        while (!DefaultTableCollector().Replay(builder)) {
        }
    }
    return answer;
}

void EndOfDataNow(CHTMLBuilder& builder) {
    if (builder.CloseOpenTables() == CHTMLBuilder::kTableCompleted) {
        while (!DefaultTableCollector().Replay(builder)) {
        }
    }
    builder.EndOfData();
}

int CTableCollector::HandleTableToken(CHTMLBuilder& builder, int token, std::string_view text) {
    CParseContext& context = builder.Context();
    const bool isTag = IsTag(token);
    const bool isEnd = isTag && (token & kEndTagFlag) != 0;
    const int number = isTag ? token & ~kEndTagFlag : 0;
    if (!context.inTable) {
        // TR, TD, TH, CAPTION and end tags outside any table are dropped.
        if (number == tag::kTable && !isEnd) {
            CHTMLTable* table = builder.Document().AddTable();
            ReadTableAttributes(*table, text);
            context.currentTable = table;
            context.inTable = true;
        }
        return CHTMLBuilder::kContinue;
    }
    CHTMLTable& outermost = *context.currentTable;
    CHTMLTable& table = *outermost.innermost;
    switch (number) {
        case tag::kLink:
        case tag::kListing:
        case tag::kMeta:
        case tag::kNextid:
        case tag::kPlaintext:
        case tag::kPlaintextAlias:
        case tag::kTitle:
            return kTokenNotTaken;
        case tag::kBody:
        case tag::kHead:
        case tag::kHtml:
            return CHTMLBuilder::kContinue;
        case tag::kTable:
            if (!isEnd) {
                // A TABLE between the cells of a table has nowhere to go and is ignored.
                if (table.openCell) {
                    CHTMLTable* nested = builder.Document().AddTable();
                    ReadTableAttributes(*nested, text);
                    nested->parent = &table;
                    outermost.innermost = nested;
                }
                return CHTMLBuilder::kContinue;
            }
            CloseCell(table);
            if (CHTMLTable* parent = table.parent) {
                outermost.innermost = parent;
                // A nested table stands in its parent's open cell as one token.
                if (table.HasCells()) {
                    parent->nested.push_back(&table);
                    Append(*parent,
                           RecordedToken{kNestedTableToken,
                                         static_cast<std::uint32_t>(parent->nested.size() - 1), 0});
                }
                return CHTMLBuilder::kContinue;
            }
            context.inTable = false;
            if (table.HasCells()) return CHTMLBuilder::kTableCompleted;
            // A table without cells is thrown away; what stood around its cells stays.
            FreeCollection(table);
            context.currentTable = nullptr;
            return CHTMLBuilder::kContinue;
        case tag::kTr:
            CloseCell(table);
            if (isEnd) {
                table.rowEnded = true;
            } else {
                StartRow(table, text);
            }
            return CHTMLBuilder::kContinue;
        case tag::kTd:
        case tag::kTh:
        case tag::kCaption:
            CloseCell(table);
            if (!isEnd) StartCell(table, number, text);
            return CHTMLBuilder::kContinue;
        default:
            break;
    }
    if (table.openCell) TrackPreDepth(table, token);
    // Outside every cell of the outermost table a token lands in the surrounding flow.
    return Record(&table, token, text) ? CHTMLBuilder::kContinue : kTokenNotTaken;
}

bool CTableCollector::Replay(CHTMLBuilder& builder) {
    CParseContext& surrounding = builder.Context();
    CHTMLTable* outermost = surrounding.currentTable;
    if (!outermost || surrounding.inTable) return true;
    CHTML& document = builder.Document();
    CHTMLElement* insertion = document.InsertionPoint();
    std::deque<TableReplayFrame>& frames = outermost->replay;
    if (frames.empty()) {
        frames.emplace_back();
        frames.back().table = outermost;
        frames.back().order = outermost->ReplayOrder();
    }
    int budget = kTokensPerPass;
    while (!frames.empty() && budget > 0) {
        TableReplayFrame& frame = frames.back();
        CHTMLTable& table = *frame.table;
        if (frame.cell == frame.order.size()) {
            // The table is complete: it goes where it stood, in its cell or in the flow.
            CHTMLTable* done = frame.table;
            FreeCollection(*done);
            frames.pop_back();
            if (frames.empty()) {
                builder.SetContext(&surrounding);
                document.SetInsertionPoint(insertion);
            } else {
                TableReplayFrame& parent = frames.back();
                builder.SetContext(&parent.context);
                document.SetInsertionPoint(
                    &parent.table->cells[parent.order[parent.cell]]->sentinel);
            }
            document.LinkElement(done);
            builder.AddBreak(kEndOfLine);
            continue;
        }
        CHTMLTableCell& cell = *table.cells[frame.order[frame.cell]];
        if (!frame.cellStarted) {
            frame.cellStarted = true;
            frame.context = CParseContext{};
            frame.next = cell.firstToken;
        }
        builder.SetContext(&frame.context);
        document.SetInsertionPoint(&cell.sentinel);
        bool nestedStarted = false;
        while (frame.next < cell.endToken && budget > 0) {
            const RecordedToken token = table.tokens[frame.next++];
            --budget;
            if (token.token == kNestedTableToken) {
                TableReplayFrame& inner = frames.emplace_back();
                inner.table = table.nested[token.offset];
                inner.order = inner.table->ReplayOrder();
                nestedStarted = true;
                break;
            }
            builder.HandleToken(token.token,
                                std::string_view(table.text).substr(token.offset, token.length));
        }
        if (nestedStarted || frame.next < cell.endToken) continue;
        // Every cell ends its last line and is closed by a marker.
        builder.AddBreak(kEndOfLine);
        builder.AddElement<CHTMLCellEnd>(&table);
        ++frame.cell;
        frame.cellStarted = false;
    }
    builder.SetContext(&surrounding);
    document.SetInsertionPoint(insertion);
    if (!frames.empty()) return false;
    surrounding.currentTable = nullptr;
    return true;
}

}  // namespace corvane::html
