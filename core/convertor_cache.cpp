#include "core/convertor_cache.h"

#include <utility>

namespace corvane::core {
namespace {

class DroppingCacheWriter final : public CConvertorCacheWriter {
  public:
    void Put(const void*, std::size_t) override {}
    void End(int) override {}
};

CacheWriterProvider& Provider() {
    static CacheWriterProvider provider;
    return provider;
}

}  // namespace

void SetCacheWriterProvider(CacheWriterProvider provider) {
    Provider() = std::move(provider);
}

std::unique_ptr<CConvertorCacheWriter> OpenCacheWriter(CHTRequest& request) {
    if (Provider()) {
        if (std::unique_ptr<CConvertorCacheWriter> writer = Provider()(request)) return writer;
    }
    return std::make_unique<DroppingCacheWriter>();
}

}  // namespace corvane::core
