#pragma once
// What a file: URL names on this machine: the roots list, a directory or a file; or nothing that
// can be served (a URL with a host, a missing entry, a path no file can have).

#include <string>
#include <string_view>

namespace corvane::protocols {

struct LocalTarget {
    enum class Kind { kFailed, kRootList, kDirectory, kFile };
    Kind kind = Kind::kFailed;
    std::string path;  // the local path of a directory or file
};

// `host` and `addressPath` are the address's host and path (the path without its leading "/");
// a "~" first segment is the home directory `home`.
LocalTarget ResolveLocalTarget(std::string_view host, std::string_view addressPath,
                               std::string_view home);

}  // namespace corvane::protocols
