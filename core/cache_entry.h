#pragma once
// The request's link to its disk cache copy. The disk cache fills it in; until then (and for
// requests that are never cached) the base does nothing.

#include <memory>

#include "core/convertor_cache.h"

namespace corvane::core {

class CHTRequest;

class CCacheEntry {
  public:
    virtual ~CCacheEntry() = default;
    // The request was used again: refresh the copy's age.
    virtual void Touch(CHTRequest&) {}
    // A reload forgets the copy the request was linked to.
    virtual void Drop(CHTRequest&) {}
    // A writer for a new copy of the data an internal convertor consumes; null when no copy is
    // to be made (the data is read from a copy).
    virtual std::unique_ptr<CConvertorCacheWriter> OpenWriter(CHTRequest&) { return nullptr; }
};

}  // namespace corvane::core
