#pragma once
// The program-wide host-services object. It owns, for the whole run, the table of requests (the
// shared ones keyed by canonical URL, which doubles as the visited list, and the private ones),
// and it reaches the user only through platform::HostServices. Cache, visited list and realm
// store attach to it as their layers are built.

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/address.h"
#include "core/convertor_registry.h"
#include "core/download_services.h"
#include "core/request.h"
#include "core/request_table.h"
#include "core/scheduler.h"
#include "platform/host_services.h"

namespace corvane::core {

class CHTProgressReporter;
class CHTWebStores;
class COvalonDoc;

class CHTHostServices {
  public:
    CHTHostServices(platform::HostServices& ui, CHTScheduler& scheduler);
    ~CHTHostServices();
    CHTHostServices(const CHTHostServices&) = delete;
    CHTHostServices& operator=(const CHTHostServices&) = delete;

    platform::HostServices& Ui() const { return ui_; }
    CHTScheduler& Scheduler() const { return scheduler_; }
    // The loop that sockets and timers are watched on; null in tests that drive passes directly.
    platform::EventLoop* Loop() const { return loop_; }
    void SetLoop(platform::EventLoop* loop) { loop_ = loop; }

    // The request for `text` read against `base`: for method 0 the shared request of its
    // canonical URL (made when missing), otherwise a new private request.
    CHTRequest* GetRequest(std::string_view text, const CHTAddress* base, int method,
                           COvalonDoc* owner);
    CHTRequest* SharedRequest(const CHTAddress& address, COvalonDoc* owner);

    // The table entry for a canonical URL, created without a request when missing.
    CHTRequestEntry& Entry(std::string_view canonicalUrl);
    CHTRequestEntry* FindEntry(std::string_view canonicalUrl);
    // Entry for many URLs at once, faster for a long list (CHTRequestTable::EntryBatch).
    void EntryBatch(std::span<const std::string_view> canonicalUrls,
                    std::span<CHTRequestEntry*> entries) {
        table_.EntryBatch(canonicalUrls, entries);
    }
    const CHTRequestTable& Entries() const { return table_; }
    // Room for `more` addresses beyond the present ones (a guess; growing costs little more).
    void ReserveEntries(std::size_t more) { table_.Reserve(more); }
    std::size_t PrivateRequestCount() const { return private_.size(); }

    // Stops the request and destroys it at the next safe point, unless a Back/Forward list or a
    // task still holds it (then it is only stopped; answers false). A shared request leaves its
    // table entry, which keeps the visit time.
    bool DeleteRequest(CHTRequest* request);
    // Deletes the request when no Back/Forward list and no task holds it any more: a private
    // request that runs no protocol (a download goes on), any request when `deleteShared` is set.
    void ReleaseRequest(CHTRequest* request, bool deleteShared = false);

    // A closing window: requests it made forget it.
    void ForgetOwner(const COvalonDoc* owner);

    // The in-memory document list. Windows register while they live; when one shows a request,
    // that document becomes the most recently used, and while the documents held add up to more
    // than documentLimitBytes (their retrieved sizes), the least recently shown parsed documents
    // that no window shows and no protocol is filling are dropped. Back or Forward to a request
    // whose document was dropped loads it again.
    void AddWindow(const COvalonDoc* window);
    void RemoveWindow(const COvalonDoc* window);
    void DocumentShown(CHTRequest& request);
    std::uint64_t documentLimitBytes = std::uint64_t{32} << 20;

    // Keeps a background retrieval (kind 6) running until it ends.
    void StartBackground(CHTRequest& request);
    // Runs a task away from any window until it calls EndBackground.
    void AdoptBackground(std::unique_ptr<CHTTask> task);
    std::size_t BackgroundCount() const { return background_.size(); }
    void EndBackground(CHTTask& task);

    // Seconds since 1970, for visit times and cache ages.
    std::int64_t Now() const { return static_cast<std::int64_t>(clock_()); }
    void SetClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }

    // Colour depth of the display; an image decoded for another depth is fetched again.
    int displayDepth = 24;
    // Whether the MIME type with this index is shown by the program itself (action 0): by
    // default the answer of the program's type registry.
    std::function<bool(int typeIndex)> displaysInternally = DisplaysInternally;
    // Shows (true) or restores (false) the wait cursor with the mouse captured; none by default.
    std::function<void(bool)> showWaitCursor;
    // Makes the download window's progress reporter for a background retrieval; none by default.
    std::function<std::unique_ptr<CHTProgressReporter>(CHTRequest&)> makeDownloadReporter;
    // Running downloads by owner, their directory and the application launcher.
    CDownloadServices downloads;
    // The disk cache and the realm store as HTTP sees them; null: neither is kept.
    CHTWebStores* webStores = nullptr;
    // Documents the user asks for are not built: their bytes only go to the request's cache
    // writer as they arrive (the source dump, whose memory must not grow with the file).
    bool sourceOnly = false;
    // How long making a connection may take before the load gives up.
    std::uint32_t connectTimeoutMs = 30'000;
    // The host text ("host:port") of a proxy slot; empty or none: the slot has no proxy.
    std::function<std::string(int slot)> proxyHost;
    // Certificates the user chose to trust although they failed the check, as "host fingerprint":
    // a Yes lasts for that host and that certificate until the program ends.
    std::set<std::string> acceptedCertificates;

  private:
    platform::HostServices& ui_;
    CHTScheduler& scheduler_;
    platform::EventLoop* loop_ = nullptr;
    std::function<std::time_t()> clock_ = [] { return std::time(nullptr); };
    CHTRequestTable table_;
    std::vector<std::unique_ptr<CHTRequest>> private_;
    std::vector<std::unique_ptr<CHTTask>> background_;
    std::vector<const COvalonDoc*> windows_;
    // When each request was last shown (a counter, larger is later); only looked up, never
    // followed, so an entry of a deleted request does no harm until it is erased.
    std::unordered_map<const CHTRequest*, std::uint64_t> lastShown_;
    std::uint64_t showCount_ = 0;
};

}  // namespace corvane::core
