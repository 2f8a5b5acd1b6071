#include "protocols/local_target.h"

#include <sys/stat.h>

#include "protocols/local_path.h"

namespace corvane::protocols {

LocalTarget ResolveLocalTarget(std::string_view host, std::string_view addressPath,
                               std::string_view home) {
    LocalTarget target;
    if (!host.empty()) return target;
    const std::string_view withoutQuery = addressPath.substr(0, addressPath.rfind('?'));
    if (withoutQuery.empty()) {
        target.kind = LocalTarget::Kind::kRootList;
        return target;
    }
    auto local = UrlPathToLocalPath("/" + std::string(addressPath), TrailingSlash::kDrop);
    if (!local) return target;
    target.path = ExpandHomeDirectory(std::move(*local), home);

    struct stat status {};
    if (stat(target.path.c_str(), &status) != 0) return target;
    target.kind =
        S_ISDIR(status.st_mode) ? LocalTarget::Kind::kDirectory : LocalTarget::Kind::kFile;
    return target;
}

}  // namespace corvane::protocols
