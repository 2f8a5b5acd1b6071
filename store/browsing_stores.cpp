#include "store/browsing_stores.h"

#include "platform/ascii.h"

namespace corvane::store {
namespace {

class StoredCopy : public core::CHTStoredCopy {
  public:
    explicit StoredCopy(CachedCopy copy) : copy_(std::move(copy)) {}
    const std::string& ContentType() const override { return copy_.ContentType(); }
    std::int32_t Read(std::uint8_t* destination, std::int32_t maxLength) override {
        return copy_.Read(destination, maxLength);
    }

  private:
    CachedCopy copy_;
};

core::CHTLogin LoginOf(const RealmRecord& record) {
    return {record.realm, record.pathPattern, record.user, record.password, record.saved};
}

}  // namespace

core::CopyCheck CBrowsingStores::CheckCopy(core::CHTRequest& request) {
    switch (cache_.Check(request)) {
        case CacheCheck::kServe:
            return core::CopyCheck::kServe;
        case CacheCheck::kRevalidate:
            return core::CopyCheck::kRevalidate;
        case CacheCheck::kFetch:
            break;
    }
    return core::CopyCheck::kFetch;
}

std::unique_ptr<core::CHTStoredCopy> CBrowsingStores::OpenCopy(core::CHTRequest& request) {
    std::optional<CachedCopy> copy = cache_.OpenCached(request);
    if (!copy) return nullptr;
    return std::make_unique<StoredCopy>(std::move(*copy));
}

void CBrowsingStores::KeepNoCopy(core::CHTRequest& request) {
    // An entry without a link makes no writer; the next check links the request again.
    request.cacheEntry = std::make_unique<core::CCacheEntry>();
}

std::optional<core::CHTLogin> CBrowsingStores::FindLogin(std::string_view host, int port,
                                                         std::string_view path) {
    const std::optional<FoundCredentials> found = realms_.FindCredentials(host, port, path);
    if (!found) return std::nullopt;
    return LoginOf(*found->record);
}

std::optional<core::CHTLogin> CBrowsingStores::FindRealm(std::string_view host, int port,
                                                         std::string_view realm) {
    for (const ServerRecord& server : realms_.Servers()) {
        if (server.port != port || !EqualsIgnoreCase(server.host, host)) continue;
        for (const auto& record : server.realms) {
            if (record->realm == realm) return LoginOf(*record);
        }
    }
    return std::nullopt;
}

void CBrowsingStores::StoreLogin(std::string_view host, int port, std::string_view path,
                                 const core::CHTLogin& login, const core::CHTLogin* refused) {
    if (refused != nullptr) {
        // The record that was sent covers this path; it takes the new login in place.
        const std::optional<FoundCredentials> found = realms_.FindCredentials(host, port, path);
        if (found && found->record->realm == refused->realm &&
            found->record->pathPattern == refused->pathPattern) {
            RealmRecord& record = *found->record;
            record.realm = login.realm;
            record.user = login.user;
            record.password = login.password;
            record.saved = login.saved;
            realms_.PropagateCredentials(record, refused->user, refused->password);
            return;
        }
    }
    realms_.AddRealm(host, port, login.realm, path, login.user, login.password, login.saved);
}

}  // namespace corvane::store
