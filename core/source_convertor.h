#pragma once
// The convertor of a retrieval whose bytes are wanted as they are, not shown: it hands every
// byte to the request's cache writer (which keeps or writes them) and builds no document, so
// memory stays the same for a file of any size. The request ends as handed off: the load keeps
// the window's document.

#include <memory>

#include "core/convertor.h"
#include "core/convertor_cache.h"

namespace corvane::core {

class CSourceConvertor : public CHTConvertor {
  public:
    // Bytes passed on per Convert before the loop gets a turn.
    static constexpr std::int32_t kBytesPerPass = 256 * 1024;

    ~CSourceConvertor() override;
    void Init(CHTRequest* servedRequest) override;
    int Convert() override;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    int End(int status);

    std::unique_ptr<CConvertorCacheWriter> writer_;
    bool done_ = false;
    bool failed_ = false;
};

}  // namespace corvane::core
