#pragma once
// A window over real host services and a scheduler on a fake clock, with a scratch directory for
// the files it loads: Load() navigates and steps the scheduler until the load is over.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/address.h"
#include "core/ht_host_services.h"
#include "core/ovalon_doc.h"
#include "core/request.h"
#include "core/scheduler.h"
#include "platform/scripted_host_services.h"
#include "tests/support/scratch_directory.h"

namespace corvane::testing {

class WindowLoadTest : public ::testing::Test {
  protected:
    void TearDown() override {
        doc_.reset();
        host_.reset();
        scheduler_.DeleteRetired();
    }

    // Steps the scheduler until nothing is queued (or a thousand passes went by).
    void Settle() {
        for (int pass = 0; pass < 1000 && scheduler_.RunPass(); ++pass) {
        }
    }
    // The request the URL was loaded into, or null when the load left none.
    core::CHTRequest* Load(const std::string& url) {
        doc_->Navigate(url);
        Settle();
        core::CHTRequestEntry* entry =
            host_->FindEntry(core::FormatAddress(core::ParseAddress(url)));
        return entry != nullptr ? entry->request.get() : nullptr;
    }

    ScratchDirectory scratch_;
    std::uint32_t now_ = 1;
    platform::ScriptedHostServices ui_;
    core::CHTScheduler scheduler_{[this] { return now_ += 10; }};
    std::unique_ptr<core::CHTHostServices> host_ =
        std::make_unique<core::CHTHostServices>(ui_, scheduler_);
    std::unique_ptr<core::COvalonDoc> doc_ = std::make_unique<core::COvalonDoc>(*host_, nullptr);
};

}  // namespace corvane::testing
