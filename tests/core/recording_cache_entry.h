#pragma once
// A cache entry that records what a convertor writes through it: the bytes and the end status.

#include <cstddef>
#include <memory>
#include <string>

#include "core/cache_entry.h"
#include "core/convertor_cache.h"

namespace corvane::testing {

class RecordingCacheEntry : public core::CCacheEntry {
  public:
    // `end` stays as it is until the writer ends.
    RecordingCacheEntry(std::string& copy, int& end) : copy_(copy), end_(end) {}
    std::unique_ptr<core::CConvertorCacheWriter> OpenWriter(core::CHTRequest&) override {
        return std::make_unique<Writer>(copy_, end_);
    }

  private:
    class Writer : public core::CConvertorCacheWriter {
      public:
        Writer(std::string& copy, int& end) : copy_(copy), end_(end) {}
        void Put(const void* data, std::size_t length) override {
            copy_.append(static_cast<const char*>(data), length);
        }
        void End(int status) override { end_ = status; }

      private:
        std::string& copy_;
        int& end_;
    };
    std::string& copy_;
    int& end_;
};

}  // namespace corvane::testing
