#pragma once
// The request's link to its disk cache copy. The disk cache fills it in; until then (and for
// requests that are never cached) the base does nothing.

namespace corvane::core {

class CHTRequest;

class CCacheEntry {
  public:
    virtual ~CCacheEntry() = default;
    // The request was used again: refresh the copy's age.
    virtual void Touch(CHTRequest&) {}
    // A reload forgets the copy the request was linked to.
    virtual void Drop(CHTRequest&) {}
};

}  // namespace corvane::core
