#pragma once
// The disk cache and the realm store as the HTTP client sees them (core::CHTWebStores).
//
// Memory: refers to the cache and the store, which must outlive it.

#include "core/web_stores.h"
#include "store/disk_cache.h"
#include "store/realm_store.h"

namespace corvane::store {

class CBrowsingStores : public core::CHTWebStores {
  public:
    CBrowsingStores(CDiskCache& cache, CRealmStore& realms) : cache_(cache), realms_(realms) {}

    core::CopyCheck CheckCopy(core::CHTRequest& request) override;
    std::unique_ptr<core::CHTStoredCopy> OpenCopy(core::CHTRequest& request) override;
    void KeepNoCopy(core::CHTRequest& request) override;
    std::optional<core::CHTLogin> FindLogin(std::string_view host, int port,
                                            std::string_view path) override;
    std::optional<core::CHTLogin> FindRealm(std::string_view host, int port,
                                            std::string_view realm) override;
    void StoreLogin(std::string_view host, int port, std::string_view path,
                    const core::CHTLogin& login, const core::CHTLogin* refused) override;

  private:
    CDiskCache& cache_;
    CRealmStore& realms_;
};

}  // namespace corvane::store
