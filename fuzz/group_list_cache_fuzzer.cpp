// Any cache file reads without fault into a tree that writes back as a file which reads into the
// same tree again; and any LIST line names a group the tree can hold.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "news/group_list_cache.h"
#include "platform/whole_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane::news;
    static const std::string path = "/tmp/group_list_cache_fuzzer." + std::to_string(getpid());
    if (corvane::platform::WriteFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(data), size)))
        return 0;
    GroupTree tree;
    if (ReadGroupListCache(path, tree) < 0) std::abort();
    const std::string written = FormatGroupListCache(tree, "server");
    if (corvane::platform::WriteFileAtomically(path, written)) return 0;
    if (!IsCompleteGroupListCache(path, "SERVER")) std::abort();
    GroupTree again;
    ReadGroupListCache(path, again);
    if (FormatGroupListCache(again, "server") != written) std::abort();
    return 0;
}
