#include "mail/mail_index_lines.h"

#include "core/password_nibbles.h"
#include "store/field_escapes.h"

namespace corvane::mail {
namespace {

// Names end at "=" in "mailbox.ini"; every field ends at ";".
constexpr std::string_view kEntryNameSeparators = "=;";
constexpr std::string_view kFieldSeparators = ";";

std::string Field(std::string_view text) {
    return store::EscapeField(text, kFieldSeparators);
}

// The text up to the next ";" (or the end) from `at`, which moves past the ";". nullopt when no
// ";" follows.
std::optional<std::string_view> NextField(std::string_view line, std::size_t& at) {
    const std::size_t semicolon = line.find(';', at);
    if (semicolon == std::string_view::npos) return std::nullopt;
    std::string_view field = line.substr(at, semicolon - at);
    at = semicolon + 1;
    return field;
}

}  // namespace

std::string FormatEntryLine(const PopAccount& entry) {
    int flags = kFlagBase;
    if (entry.HasServer() && entry.deleteFromServer) flags += kFlagDeleteFromServer;
    if (entry.expanded) flags += kFlagExpanded;
    if (entry.HasServer() && entry.security == platform::TlsMode::kTls) flags += kFlagTls;
    if (entry.HasServer() && entry.security == platform::TlsMode::kStartTls) flags += kFlagStartTls;
    std::string line =
        store::EscapeField(entry.name, kEntryNameSeparators) + "=" + Field(entry.server) + ";";
    if (entry.HasServer()) {
        line += core::EncodePasswordNibbles(entry.user) + ";";
        if (entry.savePassword) line += core::EncodePasswordNibbles(entry.password);
        line += ";";
    } else {
        line += ";;";
    }
    line += static_cast<char>(flags);
    for (const auto& folder : entry.folders) {
        int folderFlags = kFlagBase;
        if (folder->isDefault) folderFlags += kFlagDefaultFolder;
        if (folder->expanded) folderFlags += kFlagExpanded;
        line += ";" + Field(folder->name) + ";" + static_cast<char>(folderFlags);
    }
    line += "\n";
    return line;
}

std::optional<EntryRecord> ParseEntryLine(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    EntryRecord record;
    record.name = store::UnescapeField(line.substr(0, equals));
    std::size_t at = equals + 1;
    const auto server = NextField(line, at);
    const auto user = server ? NextField(line, at) : std::nullopt;
    const auto password = user ? NextField(line, at) : std::nullopt;
    if (!password || at >= line.size() || line[at] == ';') return std::nullopt;
    record.server = store::UnescapeField(*server);
    record.user = core::DecodePasswordNibbles(*user);
    record.password = core::DecodePasswordNibbles(*password);
    record.flags = static_cast<unsigned char>(line[at++]);
    if (at < line.size() && line[at] == ';') ++at;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ';' || line[at] == ' ')) ++at;
        if (at >= line.size()) break;
        const auto name = NextField(line, at);
        if (!name || at >= line.size()) break;
        record.folders.push_back(
            {store::UnescapeField(*name), static_cast<unsigned char>(line[at++])});
    }
    return record;
}

std::string FormatMessageLine(const PopAccount& entry, const MailFolder& folder,
                              const MailMessage& message) {
    const std::string& address = message.status == kStatusSent ? message.to : message.from;
    return Field(entry.name) + ";" + Field(folder.name) + ";" + Field(message.file) + ";" +
           Field(address) + ";" + Field(message.date) + ";" + Field(message.subject) + ";" +
           static_cast<char>(kFlagBase + (message.status & 7)) + "\n";
}

std::optional<MessageRecord> ParseMessageLine(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t at = 0;;) {
        const std::size_t semicolon = line.find(';', at);
        fields.push_back(line.substr(at, semicolon - at));
        if (semicolon == std::string_view::npos) break;
        at = semicolon + 1;
    }
    if (fields.size() < 7 || fields.back().empty()) return std::nullopt;
    MessageRecord record;
    record.entry = store::UnescapeField(fields[0]);
    record.folder = store::UnescapeField(fields[1]);
    record.file = store::UnescapeField(fields[2]);
    record.address = store::UnescapeField(fields[3]);
    record.date = store::UnescapeField(fields[4]);
    // Files written without escapes may hold a ";" in the subject: it is everything up to the
    // status, the last field.
    const std::size_t subjectStart = fields[5].data() - line.data();
    const std::size_t subjectEnd = fields.back().data() - line.data() - 1;
    record.subject = store::UnescapeField(line.substr(subjectStart, subjectEnd - subjectStart));
    record.status = static_cast<unsigned char>(fields.back()[0]) & 7;
    return record;
}

}  // namespace corvane::mail
