#pragma once
// The seam between the internal convertors and the disk cache. Every internal convertor (text,
// HTML, images) opens a writer when it starts consuming a request's data, puts every byte it
// consumes into it and ends it when the data ends, so the cache can keep a copy. The writer comes
// from the request's cache entry (CCacheEntry::OpenWriter); until the disk cache provides entries
// that make one, the bytes are dropped. File convertors never feed the cache.

#include <cstddef>
#include <memory>

namespace corvane::core {

class CHTRequest;

class CConvertorCacheWriter {
  public:
    virtual ~CConvertorCacheWriter() = default;
    virtual void Put(const void* data, std::size_t length) = 0;
    // status 0: the data ended normally and the copy may be committed; negative: abandon it.
    virtual void End(int status) = 0;
};

// The writer of the request's cache entry, or one that drops everything when the request has no
// entry or the entry declines (its data comes from the cache itself). Never null.
std::unique_ptr<CConvertorCacheWriter> OpenCacheWriter(CHTRequest& request);

}  // namespace corvane::core
