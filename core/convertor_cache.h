#pragma once
// The seam between the internal convertors and the disk cache. Every internal convertor (text,
// HTML, images) opens a writer when it starts consuming a request's data, puts every byte it
// consumes into it and ends it when the data ends, so the cache can keep a copy. The disk cache
// installs the provider at start-up; until then no copy is made. File convertors never feed it.

#include <cstddef>
#include <functional>
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

// Answers a writer for the request, or null when no copy is wanted (for instance when the data
// comes from the cache itself).
using CacheWriterProvider = std::function<std::unique_ptr<CConvertorCacheWriter>(CHTRequest&)>;

// Installs the provider; an empty function removes it.
void SetCacheWriterProvider(CacheWriterProvider provider);

// A writer for the request: the provider's, or one that drops everything when there is none or it
// declines. Never null.
std::unique_ptr<CConvertorCacheWriter> OpenCacheWriter(CHTRequest& request);

}  // namespace corvane::core
