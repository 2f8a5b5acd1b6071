#include "core/convertor_cache.h"

#include "core/request.h"

namespace corvane::core {
namespace {

class DroppingCacheWriter final : public CConvertorCacheWriter {
  public:
    void Put(const void*, std::size_t) override {}
    void End(int) override {}
};

}  // namespace

std::unique_ptr<CConvertorCacheWriter> OpenCacheWriter(CHTRequest& request) {
    if (request.cacheEntry != nullptr) {
        if (std::unique_ptr<CConvertorCacheWriter> writer = request.cacheEntry->OpenWriter(request))
            return writer;
    }
    return std::make_unique<DroppingCacheWriter>();
}

}  // namespace corvane::core
