#include "store/realm_store.h"

#include <charconv>
#include <utility>

#include "core/password_nibbles.h"
#include "platform/ascii.h"
#include "platform/whole_file.h"
#include "store/field_escapes.h"
#include "store/store_lines.h"

namespace corvane::store {
namespace {

constexpr std::string_view kSeparators = ",=";

// The next ","-separated field of rest (the last one runs to the end); nullopt when none is left.
std::optional<std::string_view> NextField(std::string_view& rest, bool last) {
    if (last) return rest;
    const auto comma = rest.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    std::string_view field = rest.substr(0, comma);
    rest = rest.substr(comma + 1);
    return field;
}

}  // namespace

bool MatchesPathPattern(std::string_view path, std::string_view pattern) {
    std::size_t i = 0;
    while (i < path.size() && i < pattern.size() && path[i] == pattern[i]) ++i;
    if (i == path.size() && i == pattern.size()) return true;
    if (i < pattern.size() && pattern[i] == '*') {
        const std::string_view tail = pattern.substr(i + 1);
        const std::string_view rest = path.substr(i);
        return rest.size() >= tail.size() && rest.substr(rest.size() - tail.size()) == tail;
    }
    return false;
}

std::string PathPatternFor(std::string_view path) {
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos) return "*";
    return std::string(path.substr(0, slash + 1)) + "*";
}

const ServerRecord* CRealmStore::FindServer(std::string_view host, int port) const {
    for (const ServerRecord& server : servers_) {
        if (server.port == port && EqualsIgnoreCase(server.host, host)) return &server;
    }
    return nullptr;
}

ServerRecord* CRealmStore::FindServer(std::string_view host, int port) {
    return const_cast<ServerRecord*>(std::as_const(*this).FindServer(host, port));
}

ServerRecord& CRealmStore::Server(std::string_view host, int port) {
    if (ServerRecord* server = FindServer(host, port)) return *server;
    servers_.push_back({std::string(host), port, {}});
    return servers_.back();
}

void CRealmStore::ParseLine(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) return;
    std::string_view rest = line.substr(equals + 1);
    int port = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), port);
    if (error != std::errc()) return;
    const auto comma = rest.find(',');
    if (comma == std::string_view::npos) return;
    rest = rest.substr(comma + 1);
    const auto realm = NextField(rest, false);
    const auto pattern = NextField(rest, false);
    const auto user = NextField(rest, false);
    const auto password = NextField(rest, true);
    if (!realm || !pattern || !user || !password) return;

    ServerRecord& server = Server(UnescapeField(line.substr(0, equals)), port);
    const std::string realmText = UnescapeField(*realm);
    const std::string patternText = UnescapeField(*pattern);
    for (const auto& known : server.realms) {
        if (EqualsIgnoreCase(known->realm, realmText) &&
            EqualsIgnoreCase(known->pathPattern, patternText))
            return;
    }
    auto record = std::make_unique<RealmRecord>();
    record->realm = realmText;
    record->pathPattern = patternText;
    record->user = core::DecodePasswordNibbles(*user);
    record->password = core::DecodePasswordNibbles(*password);
    record->saved = true;
    server.realms.push_back(std::move(record));
}

void CRealmStore::Load(const std::string& path) {
    ForEachStoreLine(path, [this](std::string_view line) { ParseLine(line); });
}

bool CRealmStore::Save(const std::string& path) const {
    std::string text;
    for (const ServerRecord& server : servers_) {
        for (const auto& record : server.realms) {
            if (!record->saved) continue;
            text += EscapeField(server.host, kSeparators);
            text += '=' + std::to_string(server.port) + ',';
            text += EscapeField(record->realm, kSeparators) + ',';
            text += EscapeField(record->pathPattern, kSeparators) + ',';
            text += core::EncodePasswordNibbles(record->user) + ',';
            text += core::EncodePasswordNibbles(record->password) + '\n';
        }
    }
    return !platform::WriteFileAtomically(path, text);
}

std::optional<FoundCredentials> CRealmStore::FindCredentials(std::string_view host, int port,
                                                             std::string_view path) const {
    const ServerRecord* server = FindServer(host, port);
    if (server == nullptr) return std::nullopt;
    for (const auto& record : server->realms) {
        if (MatchesPathPattern(path, record->pathPattern))
            return FoundCredentials{record.get(), record->user + ":" + record->password};
    }
    return std::nullopt;
}

RealmRecord& CRealmStore::AddRealm(std::string_view host, int port, std::string_view realm,
                                   std::string_view path, std::string_view user,
                                   std::string_view password, bool saved) {
    ServerRecord& server = Server(host, port);
    auto record = std::make_unique<RealmRecord>();
    record->realm = std::string(realm);
    record->user = std::string(user);
    record->password = std::string(password);
    record->pathPattern = PathPatternFor(path);
    record->saved = saved;
    server.realms.push_back(std::move(record));
    return *server.realms.back();
}

void CRealmStore::PropagateCredentials(const RealmRecord& record, std::string_view oldUser,
                                       std::string_view oldPassword) {
    for (ServerRecord& server : servers_) {
        bool holds = false;
        for (const auto& candidate : server.realms) holds = holds || candidate.get() == &record;
        if (!holds) continue;
        for (auto& other : server.realms) {
            if (other.get() == &record || other->realm != record.realm || other->user != oldUser ||
                other->password != oldPassword)
                continue;
            other->user = record.user;
            other->password = record.password;
            other->saved = record.saved;
        }
    }
}

}  // namespace corvane::store
