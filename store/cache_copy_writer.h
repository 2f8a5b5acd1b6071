#pragma once
// Streams the data an internal convertor consumes into a new cache copy: a "QV0....tmp" file,
// locked while it is written so that no other window takes it for a crash's leftover. The copy
// is handed to the cache only when the data ended normally, every byte reached the disk and, when
// the server announced a length, exactly that many bytes came; otherwise the file is deleted.
// Bytes are gathered in memory and written 64 KB at a time.

#include <memory>
#include <string>
#include <vector>

#include "core/convertor_cache.h"

namespace corvane::core {
class CHTRequest;
}

namespace corvane::store {

class CDiskCache;

class CacheCopyWriter final : public core::CConvertorCacheWriter {
  public:
    // Null when no temporary file can be made in the cache directory.
    static std::unique_ptr<CacheCopyWriter> Create(CDiskCache& cache, core::CHTRequest& request);
    ~CacheCopyWriter() override;

    void Put(const void* data, std::size_t length) override;
    void End(int status) override;

  private:
    CacheCopyWriter(CDiskCache& cache, core::CHTRequest& request, std::string path, int fd);
    bool WritePending();
    void Discard();

    CDiskCache& cache_;
    core::CHTRequest& request_;
    std::string path_;
    std::string contentType_;
    int fd_;
    std::vector<char> pending_;
    std::uint64_t bytes_ = 0;
    bool failed_ = false;
};

}  // namespace corvane::store
