#pragma once
// The disk cache: copies of retrieved documents in a cache directory, with the index "ovalon.dir"
// mapping each canonical URL (matched exactly, case included) to its copy "QV0" + hex + ".cvc",
// its content type and its refresh values. Bounded by a limit in kilobytes, evicting the least
// recently used copies first; a copy's modification time is its last use, so the order survives
// restarts.
//
// Only complete transfers of plain requests (method 0) become copies: a copy is written as a
// "QV0....tmp" file and renamed to ".cvc" and indexed only when its transfer ends whole. The index
// is rewritten whole through an atomic rename, so a kill at any moment leaves an index whose every
// line names a complete copy. A removal is written at once (the index stops naming a copy before
// it goes); new copies are written together a moment after the first of them (at once without an
// event loop), and at shutdown, so a page of two hundred images costs a few rewrites, not two
// hundred. A kill before then leaves those copies unindexed, and the next start removes them.
// Windows of other processes share the directory: changes are made under a lock on the
// directory, after reading again an index that another process replaced (keeping the copies not
// written yet), and a temporary file is removed only when no process holds its lock.
//
// Use from HTTP: Link the request, Check it, then serve with OpenCached, revalidate, or fetch;
// an internal convertor's data then flows into a new copy through the request's cache entry.
//
// Opening reads the index and examines no copy: a copy's size and time, and whether it is there
// at all, are read when it is first looked up, and all of them when the limit or the LRU order
// needs them. Until then the LRU order is the index's, which is written newest first. What would
// hold up the start waits for the event loop's first turn: enforcing a limit set at start, and
// the sweep that lists the directory and removes what a crash left (temporary files, copies no
// line names, lines whose copy is gone).
//
// Memory: records live in CacheRecords, keyed by URL; the LRU list links them in place. The cache
// must outlive every request linked to it.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/convertor_cache.h"
#include "core/ht_host_services.h"
#include "core/request.h"
#include "platform/file_services.h"
#include "store/cache_index.h"
#include "store/cache_records.h"

namespace corvane::store {

inline constexpr std::string_view kCopyPrefix = "QV0";

// The "Cache Update" setting.
enum class CacheUpdate : int { kNever = 0, kOncePerSession = 1, kEveryTime = 2 };

// What a request does about its cached copy.
enum class CacheCheck {
    kFetch,       // no copy (or no caching for this request): ask the server
    kRevalidate,  // ask the server with If-Modified-Since: the request's lastUsed
    kServe,       // serve the copy without asking the server
};

// A copy opened for reading while it is served.
class CachedCopy {
  public:
    CachedCopy(int fd, CacheIndexValue value) : fd_(fd), value_(std::move(value)) {}
    ~CachedCopy();
    CachedCopy(CachedCopy&& other) noexcept;
    CachedCopy& operator=(CachedCopy&& other) noexcept;

    const std::string& ContentType() const { return value_.contentType; }
    // Bytes read (above 0), 0 at the end, -255 on a read error.
    std::int32_t Read(std::uint8_t* destination, std::int32_t maxLength);

  private:
    int fd_;
    CacheIndexValue value_;
};

class CDiskCache {
  public:
    explicit CDiskCache(core::CHTHostServices& host);
    ~CDiskCache();
    CDiskCache(const CDiskCache&) = delete;
    CDiskCache& operator=(const CDiskCache&) = delete;

    // Uses `directory` (made, mode 0700, when missing) with its index; when it cannot be made,
    // copies go to `fallback` and the index is kept in memory only. Removes the temporary files
    // and the unindexed copies that a crash left, and index lines whose copy is gone: on the
    // event loop's first turn when the host has a loop, else at once.
    void Open(const std::string& directory, const std::string& fallback);
    // The limit in kilobytes, enforced at once; negative: no limit.
    void SetLimit(std::int32_t limitKB);
    void SetUpdate(CacheUpdate update) { update_ = update; }
    void SetClearOnExit(bool clear) { clearOnExit_ = clear; }
    // At exit: writes the index, clears the cache when asked to, then removes our temporary
    // files (and sweeps, when the loop never turned).
    void Shutdown();

    const std::string& Directory() const { return directory_; }
    const std::string& IndexPath() const { return indexPath_; }
    std::size_t Count() const { return records_.size(); }
    std::uint64_t TotalBytes() {
        KnowAllStatus();
        return totalBytes_;
    }
    // The record of a key, exact case; null when there is no copy. Valid until the next call
    // of the cache, which may read an index that another window replaced.
    const CacheRecord* Find(std::string_view key);
    const CacheRecord* Newest() {
        KnowAllStatus();
        return lru_.older != &lru_ ? lru_.older : nullptr;
    }

    // Gives a request without a cache entry one of this cache (touching, committing new copies).
    void Link(core::CHTRequest& request);
    // The decision for a request about to be retrieved; sets its lastUsed (0 unless
    // revalidating) and, with a copy, its refresh values and size.
    CacheCheck Check(core::CHTRequest& request);
    // Opens the request's copy to serve it; nullopt when it has none or it cannot be read.
    std::optional<CachedCopy> OpenCached(core::CHTRequest& request);
    // A new copy for the request's data, or null when the request is not cached (a method, a
    // local file, no directory).
    std::unique_ptr<core::CConvertorCacheWriter> CreateWriter(core::CHTRequest& request);
    // The copy was used now: newest in the LRU order, its file's time now.
    void Touch(std::string_view key);
    // Deletes the key's copy and index line.
    void Abandon(std::string_view key);
    // Deletes every copy and empties the index.
    void Clear();

    // The key of a request: its table entry's text, else its canonical URL.
    static std::string_view KeyOf(const core::CHTRequest& request);

  private:
    friend class CacheCopyWriter;
    // Called by a writer whose transfer ended whole: the copy at tempPath becomes the key's.
    void Commit(core::CHTRequest& request, const std::string& tempPath, std::uint64_t bytes,
                const std::string& contentType);
    // Whether the request's data now comes from its copy (then no new copy is written).
    void MarkServing(core::CHTRequest& request, bool fromCopy);
    // Reads the index, keeping the lines that name a copy of ours, once per key.
    void LoadIndex();
    // Lists the directory: removes the leftovers, the copies no line names and the lines whose
    // copy is not there.
    void Sweep();
    // Runs work on the event loop's next turn while the cache lives, or now without a loop.
    void AfterStart(std::function<void()> work);
    // Reads the index again when another process replaced it, keeping the copies committed here
    // that it does not name yet.
    void Refresh();
    // Writes every record; first forgets new copies that another window's start took for a
    // crash's leftovers and removed.
    bool SaveIndex();
    // Writes the index now if new copies are not in it yet, under the directory lock.
    void WriteNewCopies();
    // Has WriteNewCopies run a moment from now, or at once without an event loop.
    void ScheduleIndexWrite();
    void AddRecord(std::string_view key, CacheIndexValue value, std::uint64_t size,
                   std::int64_t lastUsed);
    // Removes what a crash left; with `listed` (the directory's file names), only the kinds of
    // file it holds are looked for.
    void RemoveLeftoverTemporaries(const std::vector<std::string>* listed = nullptr) const;
    void Unlink(CacheRecord& record);
    void InsertByTime(CacheRecord& record);
    void EraseRecord(CacheRecord& record);
    void EnforceLimit();
    // Reads the copy's size and time from its file, once.
    void KnowStatus(CacheRecord& record);
    // Reads every copy's and puts the LRU list in the order of their times.
    void KnowAllStatus();
    std::string CopyPath(std::string_view fileName) const;

    core::CHTHostServices& host_;
    std::string directory_;
    std::string indexPath_;  // empty: the index lives in memory only
    int directoryFd_ = -1;
    platform::FileVersion version_;
    CacheRecords records_;
    CacheRecord lru_;               // sentinel: older is the newest record, newer the oldest
    std::uint64_t totalBytes_ = 0;  // of the records whose status is known
    bool allStatusKnown_ = true;
    // Keys of the copies committed since the index was last written.
    std::vector<std::string> unsavedKeys_;
    bool indexWriteScheduled_ = false;
    // Shared with a limit check posted to the event loop, which it tells that the cache is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::int32_t limitKB_ = -1;
    CacheUpdate update_ = CacheUpdate::kOncePerSession;
    bool clearOnExit_ = false;
    bool sweepPending_ = false;
};

}  // namespace corvane::store
