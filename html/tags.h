#pragma once
// The HTML vocabulary: tag numbers and the alphabetical tag table used to look names up.
// Tag numbers are shared by the tokenizer, the document builder, forms and table layout; they
// are fixed values, not positions, so they never move when the table changes.

#include <array>
#include <cstdint>
#include <string_view>

namespace corvane::html {

// Token codes that are not tag numbers.
inline constexpr int kTokenNone = 0;
inline constexpr int TOKEN_TEXT = 1;
inline constexpr int TOKEN_TEXTAREA_TEXT = 66;
inline constexpr int TOKEN_OPTION_TEXT = 67;
inline constexpr int TOKEN_LINE_BREAK = 69;
// Added to a tag number for its end tag.
inline constexpr int kEndTagFlag = 0x4000;

namespace tag {
inline constexpr int kA = 2, kAddress = 3, kB = 4, kBase = 5, kBlockquote = 6, kBody = 7, kBr = 8,
                     kCaption = 9, kCite = 10, kCode = 11, kDd = 12, kDir = 13, kDl = 14, kDt = 15,
                     kEm = 16, kFig = 17, kForm = 18, kH1 = 19, kH2 = 20, kH3 = 21, kH4 = 22,
                     kH5 = 23, kH6 = 24, kHead = 25, kHr = 26, kHtml = 27, kI = 28, kImg = 29,
                     kInput = 30, kIsindex = 31, kKbd = 32, kLi = 33, kLink = 34, kListing = 35,
                     kMenu = 36, kMeta = 37, kNextid = 38, kOl = 39, kOption = 40, kP = 41,
                     kPlaintext = 42, kPre = 43, kSamp = 44, kSelect = 45, kStrike = 46,
                     kStrong = 47, kSup = 48, kSub = 49, kTable = 50, kTextarea = 51, kTd = 52,
                     kTh = 53, kTitle = 54, kTr = 55, kTt = 56, kU = 57, kUl = 58, kVar = 59,
                     kXmp = 60, kCenter = 62, kFont = 63, kBasefont = 64, kBlink = 68, kBig = 71,
                     kSmall = 72;
// Their content is never shown: the tokenizer drops it up to the element's own end tag.
inline constexpr int kScript = 73, kStyle = 74;
// Never produced by the tokenizer: 65 is a second spelling of PLAINTEXT for the builder, 70 ends
// a replayed table cell.
inline constexpr int kPlaintextAlias = 65;
inline constexpr int kCellEnd = 70;
}  // namespace tag

struct TagRow {
    int number;
    std::string_view name;
};

// Names lower-case, ascending for the reader; the lookup hashes them.
inline constexpr std::array<TagRow, 67> kTagTable{{
    {2, "a"},          {3, "address"}, {4, "b"},          {5, "base"},      {64, "basefont"},
    {71, "big"},       {68, "blink"},  {6, "blockquote"}, {7, "body"},      {8, "br"},
    {9, "caption"},    {62, "center"}, {10, "cite"},      {11, "code"},     {12, "dd"},
    {13, "dir"},       {14, "dl"},     {15, "dt"},        {16, "em"},       {17, "fig"},
    {63, "font"},      {18, "form"},   {19, "h1"},        {20, "h2"},       {21, "h3"},
    {22, "h4"},        {23, "h5"},     {24, "h6"},        {25, "head"},     {26, "hr"},
    {27, "html"},      {28, "i"},      {29, "img"},       {30, "input"},    {31, "isindex"},
    {32, "kbd"},       {33, "li"},     {34, "link"},      {35, "listing"},  {36, "menu"},
    {37, "meta"},      {38, "nextid"}, {39, "ol"},        {40, "option"},   {41, "p"},
    {42, "plaintext"}, {43, "pre"},    {44, "samp"},      {73, "script"},   {45, "select"},
    {72, "small"},     {46, "strike"}, {47, "strong"},    {74, "style"},    {49, "sub"},
    {48, "sup"},       {50, "table"},  {52, "td"},        {51, "textarea"}, {53, "th"},
    {54, "title"},     {55, "tr"},     {56, "tt"},        {57, "u"},        {58, "ul"},
    {59, "var"},       {60, "xmp"},
}};

// Tag number of the name at the start of `name` (up to the first white space or '/'), compared
// without regard to case; 0 when the name is empty or unknown.
int LookupTag(std::string_view name);

}  // namespace corvane::html
