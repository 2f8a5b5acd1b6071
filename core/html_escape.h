#pragma once
// Escaping of text for the pages and files the program writes as HTML.

#include <string>
#include <string_view>

namespace corvane::core {

// kKeep leaves TAB, LF and CR as they are, for running text such as a message body; names (file
// names, selectors, queries) use kAsReferences so a line break in one can neither cut nor bend
// the page.
enum class LineBreaks { kAsReferences, kKeep };

// Appends `text` with "<", ">", "&", '"' and control bytes written as character references, so it
// stands safely both as element text and inside a double-quoted attribute value. 0x1A, which ends
// the data for the text convertor, is always a reference.
void AppendHtmlEscaped(std::string_view text, std::string& out,
                       LineBreaks lineBreaks = LineBreaks::kAsReferences);

std::string EscapeHtmlText(std::string_view text,
                           LineBreaks lineBreaks = LineBreaks::kAsReferences);

}  // namespace corvane::core
