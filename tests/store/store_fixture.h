#pragma once
// The program-wide objects the stores work with, over a scratch profile directory, with a clock
// the test sets.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/ht_host_services.h"
#include "core/scheduler.h"
#include "platform/scripted_host_services.h"
#include "store/disk_cache.h"
#include "tests/support/scratch_directory.h"

namespace corvane::store::testing {

class StoreTest : public ::testing::Test {
  protected:
    StoreTest() { Restart(); }
    ~StoreTest() override { Close(); }

    // A new run of the program over the same profile directory, with the loop the program runs
    // (none: work waiting for the loop is done at once).
    void Restart(platform::EventLoop* loop = nullptr) {
        Close();
        host_ = std::make_unique<core::CHTHostServices>(ui_, scheduler_);
        host_->SetClock([this] { return static_cast<std::time_t>(now_); });
        host_->SetLoop(loop);
        cache_ = std::make_unique<CDiskCache>(*host_);
        cache_->Open(CacheDirectory(), scratch_.File("fallback"));
    }
    void Close() {
        host_.reset();
        scheduler_.DeleteRetired();
        cache_.reset();
    }
    std::string CacheDirectory() const { return scratch_.File("cache"); }
    std::string CachePath(std::string_view name) const {
        return CacheDirectory() + "/" + std::string(name);
    }

    core::CHTRequest& Request(const std::string& url, int method = core::kMethodShared) {
        return *host_->GetRequest(url, nullptr, method, nullptr);
    }

    // Streams bytes into a new copy for url and ends the transfer with status; false when the
    // cache made no writer.
    bool Store(const std::string& url, const std::string& bytes, int status = 0,
               int method = core::kMethodShared) {
        core::CHTRequest& request = Request(url, method);
        auto writer = cache_->CreateWriter(request);
        if (writer == nullptr) return false;
        writer->Put(bytes.data(), bytes.size());
        writer->End(status);
        return true;
    }

    corvane::testing::ScratchDirectory scratch_;
    std::int64_t now_ = 1'000'000'000;
    platform::ScriptedHostServices ui_;
    std::uint32_t tick_ = 0;
    core::CHTScheduler scheduler_{[this] { return tick_ += 10; }};
    std::unique_ptr<core::CHTHostServices> host_;
    std::unique_ptr<CDiskCache> cache_;
};

}  // namespace corvane::store::testing
