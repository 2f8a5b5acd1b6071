// Any cache file reads without fault into a tree that writes back as a file which reads into the
// same tree again; and any LIST line names a group the tree can hold.
#include <unistd.h>

#include <fstream>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "news/group_list_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane::news;
    static const std::string path = "/tmp/group_list_cache_fuzzer." + std::to_string(getpid());
    // A plain write: the reader is what is tested, and a flushed rewrite would slow every run.
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    GroupTree tree;
    if (ReadGroupListCache(path, tree) < 0) std::abort();
    const std::string written = FormatGroupListCache(tree, "server");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << written;
    if (!IsCompleteGroupListCache(path, "SERVER")) std::abort();
    GroupTree again;
    ReadGroupListCache(path, again);
    if (FormatGroupListCache(again, "server") != written) std::abort();
    return 0;
}
