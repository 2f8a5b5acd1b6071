#pragma once
// The realms of HTTP basic authentication: per server (host without regard to case, and port)
// the protected areas with their user and password. Records the user chose to save live in
// "ovalon.rlm": "host=port,realm,path pattern,user,password" with user and password in nibble
// form (core/password_nibbles.h). Host, realm and pattern are escaped (store/field_escapes.h), so
// a server's realm holding ",", "=" or a line end cannot forge a field or a record.
//
// The file is private to the user (mode 0600): nibbles only hide a password from a glance.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>


namespace corvane::store {

inline constexpr std::string_view kRealmFileName = "ovalon.rlm";

struct RealmRecord {
    std::string realm;
    std::string user;
    std::string password;
    std::string pathPattern;  // a directory of the server followed by "*"
    bool saved = false;
};

struct ServerRecord {
    std::string host;
    int port = 0;
    std::vector<std::unique_ptr<RealmRecord>> realms;
};

struct FoundCredentials {
    RealmRecord* record = nullptr;
    std::string userAndPassword;  // "user:password", for the Authorization header
};

// A path is covered by a pattern when they agree up to the pattern's "*" and the rest of the
// pattern after it ends the path; without "*" they must be equal. Case counts.
bool MatchesPathPattern(std::string_view path, std::string_view pattern);

// The pattern a realm gets from a request path: everything after its last "/" becomes "*".
std::string PathPatternFor(std::string_view path);

class CRealmStore {
  public:
    // Adds the saved records of the file; lines that do not parse are skipped.
    void Load(const std::string& path);
    // Rewrites the file with every saved record. False when it could not be written.
    bool Save(const std::string& path) const;

    std::optional<FoundCredentials> FindCredentials(std::string_view host, int port,
                                                    std::string_view path) const;
    RealmRecord& AddRealm(std::string_view host, int port, std::string_view realm,
                          std::string_view path, std::string_view user, std::string_view password,
                          bool saved);
    // New credentials for `record` were accepted: the server's other records of the same realm
    // that held the same old user and password take the record's new ones.
    void PropagateCredentials(const RealmRecord& record, std::string_view oldUser,
                              std::string_view oldPassword);
    void Clear() { servers_.clear(); }

    const std::vector<ServerRecord>& Servers() const { return servers_; }

  private:
    ServerRecord* FindServer(std::string_view host, int port);
    const ServerRecord* FindServer(std::string_view host, int port) const;
    ServerRecord& Server(std::string_view host, int port);
    void ParseLine(std::string_view line);

    std::vector<ServerRecord> servers_;
};

}  // namespace corvane::store
