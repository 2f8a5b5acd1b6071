// Pages through the whole load with the disk cache between the window and a scripted peer: the
// first load fetches and the text convertor writes the copy; after a restart the copy is served
// without the peer, or revalidated once per run.

#include <gtest/gtest.h>

#include <map>

#include "core/ovalon_doc.h"
#include "core/protocol.h"
#include "core/scheme_registry.h"
#include "html/document.h"
#include "html/text_convertor.h"
#include "store/visited_list.h"
#include "tests/store/store_fixture.h"

namespace corvane::store {
namespace {

struct Peer {
    std::map<std::string, std::string> pages;
    int requests = 0;     // every time the peer was asked
    int conditional = 0;  // of which If-Modified-Since requests
    std::int64_t lastModifiedSince = 0;
    bool changed = false;  // the answer to a conditional request: 200 (true) or 304
};

Peer* gPeer = nullptr;
CDiskCache* gCache = nullptr;

// What HTTP does with the cache, over the peer instead of a socket.
class CPeerProtocol : public core::CHTProtocol {
  public:
    CPeerProtocol() { SetBuffer(buffer_, sizeof buffer_); }

    int Open() override {
        CacheCheck check = gCache->Check(*request);
        if (check == CacheCheck::kRevalidate) {
            ++gPeer->requests;
            ++gPeer->conditional;
            gPeer->lastModifiedSince = request->lastUsed;
            check = gPeer->changed ? CacheCheck::kFetch : CacheCheck::kServe;
            if (gPeer->changed) --gPeer->requests;  // the fetch below counts it
        }
        if (check == CacheCheck::kServe) copy_ = gCache->OpenCached(*request);
        if (copy_) {
            contentType = copy_->ContentType();
            SetDataSource(&CPeerProtocol::CopySource);
        } else {
            ++gPeer->requests;
            body_ = gPeer->pages[request->canonicalUrl];
            contentType = "text/html";
            request->announcedLength = static_cast<std::int64_t>(body_.size());
            SetDataSource(&CPeerProtocol::PeerSource);
        }
        ChooseConvertor();
        return convertor != nullptr ? core::kOpenComplete : core::kOpenFailed;
    }

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    std::int32_t CopySource(std::uint8_t* destination, std::int32_t maxLength) {
        return copy_->Read(destination, maxLength);
    }
    std::int32_t PeerSource(std::uint8_t* destination, std::int32_t maxLength) {
        const auto count = std::min(body_.size() - sent_, static_cast<std::size_t>(maxLength));
        std::copy_n(body_.data() + sent_, count, destination);
        sent_ += count;
        return static_cast<std::int32_t>(count);
    }

    std::uint8_t buffer_[512];
    std::optional<CachedCopy> copy_;
    std::string body_;
    std::size_t sent_ = 0;
};

const core::CRuntimeClass CPeerProtocol::kRuntimeClass =
    core::MakeRuntimeClass<CPeerProtocol, core::CHTProtocol>("CPeerProtocol");

class CachedLoadTest : public testing::StoreTest {
  protected:
    void SetUp() override {
        html::RegisterTextConvertors();
        previous_ = core::Schemes().ProtocolClass(core::kSchemeHttp);
        core::Schemes().SetProtocolClass(core::kSchemeHttp, &CPeerProtocol::kRuntimeClass);
        gPeer = &peer_;
        peer_.pages["http://peer/page.html"] =
            "<title>Cached</title>" + std::string(3000, 'x') + "<a href=other.html>other</a>";
    }
    void TearDown() override {
        doc_.reset();
        core::Schemes().SetProtocolClass(core::kSchemeHttp, previous_);
        gPeer = nullptr;
        gCache = nullptr;
    }
    void Run() {
        Restart();
        gCache = cache_.get();
        cache_->SetLimit(-1);
        doc_ = std::make_unique<core::COvalonDoc>(*host_, nullptr);
    }
    std::string Load(const std::string& url) {
        doc_->Navigate(url);
        for (int pass = 0; pass < 1000 && scheduler_.RunPass(); ++pass) {
        }
        const core::CHTRequest* request = doc_->Current();
        const auto* result = request != nullptr
                                 ? dynamic_cast<const html::CHTMLDocument*>(request->document.get())
                                 : nullptr;
        return result != nullptr ? result->html->title : "(nothing)";
    }
    void EndRun() {
        doc_.reset();
        SaveVisited(*host_, scratch_.File(kVisitedFileName), std::nullopt);
    }

    Peer peer_;
    const core::CRuntimeClass* previous_ = nullptr;
    std::unique_ptr<core::COvalonDoc> doc_;
};

TEST_F(CachedLoadTest, APageComesBackFromTheCacheAfterARestart) {
    Run();
    cache_->SetUpdate(CacheUpdate::kNever);
    EXPECT_EQ(Load("http://peer/page.html"), "Cached");
    EXPECT_EQ(peer_.requests, 1);
    ASSERT_NE(cache_->Find("http://peer/page.html"), nullptr);
    EXPECT_EQ(cache_->Find("http://peer/page.html")->size,
              peer_.pages["http://peer/page.html"].size());
    EndRun();

    Run();
    cache_->SetUpdate(CacheUpdate::kNever);
    EXPECT_EQ(Load("http://peer/page.html"), "Cached");
    EXPECT_EQ(peer_.requests, 1);  // the peer was not asked
    EndRun();

    Run();  // once per run: the first load asks whether the copy is still good
    const std::int64_t copyTime = cache_->Find("http://peer/page.html")->lastUsed;
    EXPECT_EQ(Load("http://peer/page.html"), "Cached");
    EXPECT_EQ(peer_.conditional, 1);
    EXPECT_EQ(peer_.lastModifiedSince, copyTime);
    EXPECT_EQ(Load("http://peer/page.html"), "Cached");
    EXPECT_EQ(peer_.conditional, 1);
    EXPECT_EQ(peer_.requests, 2);
    EndRun();

    Run();  // the page changed: the new copy replaces the old one
    peer_.changed = true;
    peer_.pages["http://peer/page.html"] = "<title>New</title>";
    EXPECT_EQ(Load("http://peer/page.html"), "New");
    EXPECT_EQ(cache_->Count(), 1u);
    EXPECT_EQ(cache_->TotalBytes(), 18u);
}

}  // namespace
}  // namespace corvane::store
