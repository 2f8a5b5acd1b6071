#include "store/disk_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "platform/ascii.h"
#include "platform/directory_lock.h"
#include "platform/event_loop.h"
#include "platform/file_services.h"
#include "platform/whole_file.h"
#include "store/cache_copy_writer.h"

namespace corvane::store {
namespace {

// New copies committed within this time of the first share one rewrite of the index.
constexpr std::uint32_t kIndexWriteDelayMs = 250;

// The request's link to the cache: touches its copy when shown and makes new copies, except
// while the request's data comes from its copy.
class CCacheLink final : public core::CCacheEntry {
  public:
    explicit CCacheLink(CDiskCache& cache) : cache_(cache) {}
    void Touch(core::CHTRequest& request) override { cache_.Touch(CDiskCache::KeyOf(request)); }
    void Drop(core::CHTRequest&) override { servingCopy = false; }
    std::unique_ptr<core::CConvertorCacheWriter> OpenWriter(core::CHTRequest& request) override {
        if (servingCopy) return nullptr;
        return cache_.CreateWriter(request);
    }
    bool servingCopy = false;

  private:
    CDiskCache& cache_;
};

CCacheLink* LinkOf(core::CHTRequest& request) {
    return dynamic_cast<CCacheLink*>(request.cacheEntry.get());
}

// Whether a listed name has the form "prefix*suffix" (letters of either case, as the listing's
// patterns match them).
bool HasPrefixAndSuffix(std::string_view name, std::string_view prefix, std::string_view suffix) {
    if (name.size() < prefix.size() + suffix.size()) return false;
    // Inline: it runs for every name of a directory of many copies.
    const auto sameAt = [name](std::size_t at, std::string_view part) {
        for (std::size_t i = 0; i < part.size(); ++i) {
            if (AsciiLowerChar(name[at + i]) != AsciiLowerChar(part[i])) return false;
        }
        return true;
    };
    return sameAt(0, prefix) && sameAt(name.size() - suffix.size(), suffix);
}

// Whether a name is one of our copies' (so a hostile index line cannot name another file).
bool IsCopyName(std::string_view name) {
    return HasPrefixAndSuffix(name, kCopyPrefix, ".cvc") &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

// The copies a directory holds, found by name; each can be claimed by one index line only.
// An open-addressing array of name numbers: no allocation per name.
class CopyNames {
  public:
    explicit CopyNames(std::vector<std::string> names)
        : names_(std::move(names)), claimed_(names_.size()) {
        std::size_t slotCount = 16;
        while (slotCount < names_.size() * 2) slotCount *= 2;
        slots_.resize(slotCount);
        for (std::size_t i = 0; i < names_.size(); ++i)
            slots_[Probe(names_[i])] = static_cast<std::uint32_t>(i + 1);
    }
    // Claims the copy of that name; false when there is none or another line claimed it.
    bool Claim(std::string_view name) {
        const std::uint32_t found = slots_[Probe(name)];
        if (found == 0 || claimed_[found - 1]) return false;
        claimed_[found - 1] = true;
        return true;
    }
    template <typename OnName>
    void ForEachUnclaimed(OnName onName) const {
        for (std::size_t i = 0; i < names_.size(); ++i) {
            if (!claimed_[i]) onName(names_[i]);
        }
    }

  private:
    // The slot of name, or the free slot where it would go.
    std::size_t Probe(std::string_view name) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = std::hash<std::string_view>{}(name)&mask;; i = (i + 1) & mask) {
            if (slots_[i] == 0 || names_[slots_[i] - 1] == name) return i;
        }
    }

    std::vector<std::string> names_;
    std::vector<bool> claimed_;
    std::vector<std::uint32_t> slots_;  // 0: free; else a name's number + 1
};

std::string CopyNameFor(std::string_view tempPath) {
    const auto slash = tempPath.rfind('/');
    std::string name(tempPath.substr(slash + 1));
    name.replace(name.size() - 4, 4, ".cvc");
    return name;
}

}  // namespace

CachedCopy::~CachedCopy() {
    if (fd_ >= 0) close(fd_);
}

CachedCopy::CachedCopy(CachedCopy&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), value_(std::move(other.value_)) {}

CachedCopy& CachedCopy::operator=(CachedCopy&& other) noexcept {
    std::swap(fd_, other.fd_);
    std::swap(value_, other.value_);
    return *this;
}

std::int32_t CachedCopy::Read(std::uint8_t* destination, std::int32_t maxLength) {
    for (;;) {
        const ssize_t got = read(fd_, destination, static_cast<std::size_t>(maxLength));
        if (got >= 0) return static_cast<std::int32_t>(got);
        if (errno != EINTR) return -255;
    }
}

CDiskCache::CDiskCache(core::CHTHostServices& host) : host_(host) {
    lru_.newer = lru_.older = &lru_;
}

CDiskCache::~CDiskCache() {
    WriteNewCopies();
    if (directoryFd_ >= 0) close(directoryFd_);
}

std::string_view CDiskCache::KeyOf(const core::CHTRequest& request) {
    return request.key != nullptr ? request.key->key : std::string_view(request.canonicalUrl);
}

std::string CDiskCache::CopyPath(std::string_view fileName) const {
    return platform::JoinPath(directory_, fileName);
}

void CDiskCache::Open(const std::string& directory, const std::string& fallback) {
    WriteNewCopies();
    records_.Clear();
    lru_.newer = lru_.older = &lru_;
    totalBytes_ = 0;
    if (directoryFd_ >= 0) close(directoryFd_);
    directoryFd_ = -1;
    if (platform::CreateDirectories(directory)) {
        directory_ = directory;
        indexPath_ = platform::JoinPath(directory, kCacheIndexName);
    } else {
        directory_ = fallback;
        indexPath_.clear();
    }
    directoryFd_ = open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    {
        platform::DirectoryLock lock(directoryFd_);
        LoadIndex();
    }
    // Listing a directory of many copies would hold up the start; until the sweep, a line whose
    // copy is gone is found missing when it is first looked up.
    if (sweepPending_) return;
    sweepPending_ = true;
    AfterStart([this] {
        if (sweepPending_) Sweep();
    });
}

void CDiskCache::LoadIndex() {
    records_.Clear();
    lru_.newer = lru_.older = &lru_;
    totalBytes_ = 0;
    allStatusKnown_ = true;
    version_ = platform::GetFileVersion(indexPath_);
    if (indexPath_.empty()) return;
    // Index lines are rarely shorter; a hostile size must not reserve much.
    constexpr off_t kShortestLine = 48;
    constexpr off_t kMostCopies = 0x10000;
    const auto lines =
        static_cast<std::size_t>(std::min(version_.size / kShortestLine, kMostCopies));
    records_.Reserve(lines, static_cast<std::size_t>(version_.size));
    bool dropped = false;
    ReadCacheIndex(indexPath_, [&](std::string_view key, CacheIndexValue value) {
        // A key met again keeps its first line (the newer). A name that is not one of our
        // copies' (another file, a path) is never opened.
        if (!IsCopyName(value.fileName)) {
            dropped = true;
            return;
        }
        bool made = false;
        CacheRecord& record = records_.Add(key, made);
        if (!made) {
            dropped = true;
            return;
        }
        record.value = std::move(value);
        // The index lists the newest first: each goes to the old end.
        record.older = &lru_;
        record.newer = lru_.newer;
        lru_.newer->older = &record;
        lru_.newer = &record;
        allStatusKnown_ = false;
    });
    if (dropped) SaveIndex();
}

void CDiskCache::Sweep() {
    sweepPending_ = false;
    platform::DirectoryLock lock(directoryFd_);
    Refresh();
    auto listed = platform::ListFileNames(directory_, "*.*");
    RemoveLeftoverTemporaries(listed ? &*listed : nullptr);
    if (indexPath_.empty() || !listed) return;
    std::vector<std::string> copyNames;
    for (std::string& name : *listed) {
        if (IsCopyName(name)) copyNames.push_back(std::move(name));
    }
    CopyNames copies(std::move(copyNames));
    // Newest first, so that of two lines naming one copy the newer keeps it.
    bool dropped = false;
    for (CacheRecord* record = lru_.older; record != &lru_;) {
        CacheRecord* older = record->older;
        if (!copies.Claim(record->value.fileName)) {
            EraseRecord(*record);
            dropped = true;
        }
        record = older;
    }
    copies.ForEachUnclaimed(
        [this](const std::string& name) { platform::DeleteFile(CopyPath(name)); });
    if (dropped) SaveIndex();
}

void CDiskCache::AfterStart(std::function<void()> work) {
    platform::EventLoop* loop = host_.Loop();
    if (loop == nullptr) {
        work();
        return;
    }
    loop->Post([work = std::move(work), alive = std::weak_ptr<bool>(alive_)] {
        if (!alive.expired()) work();
    });
}

void CDiskCache::KnowStatus(CacheRecord& record) {
    if (record.statusKnown) return;
    record.statusKnown = true;
    struct stat status {};
    // A copy removed behind our back counts as empty, and is not found.
    if (directoryFd_ < 0 || fstatat(directoryFd_, record.value.fileName.c_str(), &status, 0) != 0 ||
        !S_ISREG(status.st_mode)) {
        record.present = false;
        return;
    }
    record.size = static_cast<std::uint64_t>(status.st_size);
    record.lastUsed = status.st_mtime;
    totalBytes_ += record.size;
}

void CDiskCache::KnowAllStatus() {
    if (allStatusKnown_) return;
    allStatusKnown_ = true;
    std::vector<CacheRecord*> ordered;
    ordered.reserve(records_.size());
    for (CacheRecord* record = lru_.older; record != &lru_; record = record->older) {
        KnowStatus(*record);
        ordered.push_back(record);
    }
    // Newest first; records of one time keep the index's order.
    std::stable_sort(
        ordered.begin(), ordered.end(),
        [](const CacheRecord* a, const CacheRecord* b) { return a->lastUsed > b->lastUsed; });
    lru_.newer = lru_.older = &lru_;
    for (CacheRecord* record : ordered) {
        record->older = &lru_;
        record->newer = lru_.newer;
        lru_.newer->older = record;
        lru_.newer = record;
    }
}

void CDiskCache::Refresh() {
    if (indexPath_.empty() || platform::GetFileVersion(indexPath_) == version_) return;
    // The other window's index lacks the copies committed here since our last write.
    struct NewCopy {
        std::string key;
        CacheIndexValue value;
        std::uint64_t size;
        std::int64_t lastUsed;
    };
    std::vector<NewCopy> newCopies;
    for (std::string& key : std::exchange(unsavedKeys_, {})) {
        const CacheRecord* record = records_.Find(key);
        if (record == nullptr) continue;
        newCopies.push_back({std::move(key), record->value, record->size, record->lastUsed});
    }
    LoadIndex();
    for (NewCopy& copy : newCopies) {
        // The same address fetched there too: ours is indexed, theirs left for the next start.
        if (CacheRecord* theirs = records_.Find(copy.key)) EraseRecord(*theirs);
        unsavedKeys_.push_back(copy.key);
        AddRecord(copy.key, std::move(copy.value), copy.size, copy.lastUsed);
    }
}

bool CDiskCache::SaveIndex() {
    if (indexPath_.empty()) {
        unsavedKeys_.clear();
        return true;
    }
    // Another window's start removes the copies that no index names yet.
    for (const std::string& key : std::exchange(unsavedKeys_, {})) {
        CacheRecord* record = records_.Find(key);
        struct stat status {};
        if (record != nullptr &&
            fstatat(directoryFd_, record->value.fileName.c_str(), &status, 0) != 0)
            EraseRecord(*record);
    }
    std::string text;
    if (!records_.empty()) {
        text = "[" + std::string(kCacheIndexSection) + "]\n";
        for (const CacheRecord* record = lru_.older; record != &lru_; record = record->older)
            text += FormatCacheIndexLine(record->key, record->value);
    }
    const bool written = !platform::WriteFileAtomically(indexPath_, text);
    version_ = platform::GetFileVersion(indexPath_);
    return written;
}

void CDiskCache::WriteNewCopies() {
    indexWriteScheduled_ = false;
    if (unsavedKeys_.empty()) return;
    platform::DirectoryLock lock(directoryFd_);
    Refresh();
    SaveIndex();
}

void CDiskCache::ScheduleIndexWrite() {
    platform::EventLoop* loop = host_.Loop();
    if (loop == nullptr) {
        SaveIndex();
        return;
    }
    if (indexWriteScheduled_) return;
    indexWriteScheduled_ = true;
    loop->StartTimer(kIndexWriteDelayMs, false, [this, alive = std::weak_ptr<bool>(alive_)] {
        if (!alive.expired()) WriteNewCopies();
    });
}

void CDiskCache::RemoveLeftoverTemporaries(const std::vector<std::string>* listed) const {
    const auto mayHold = [listed](std::string_view prefix, std::string_view suffix) {
        return listed == nullptr ||
               std::any_of(listed->begin(), listed->end(), [&](const std::string& name) {
                   return HasPrefixAndSuffix(name, prefix, suffix);
               });
    };
    // Indexes are written only under the directory lock, which the caller holds: a half-written
    // one is a crash's.
    if (!indexPath_.empty() && mayHold("." + std::string(kCacheIndexName) + ".", "")) {
        if (auto halfWritten =
                platform::ListDirectory(directory_, "." + std::string(kCacheIndexName) + ".*")) {
            for (const auto& entry : *halfWritten) platform::DeleteFile(CopyPath(entry.name));
        }
    }
    // A copy still being written by a running window holds a lock on its file.
    if (mayHold(kCopyPrefix, ".tmp"))
        platform::DeleteUnlockedFiles(directory_, std::string(kCopyPrefix) + "*.tmp");
}

const CacheRecord* CDiskCache::Find(std::string_view key) {
    Refresh();
    CacheRecord* record = records_.Find(key);
    if (record == nullptr) return nullptr;
    KnowStatus(*record);
    return record->present ? record : nullptr;
}

void CDiskCache::Unlink(CacheRecord& record) {
    if (record.newer == nullptr) return;
    record.newer->older = record.older;
    record.older->newer = record.newer;
    record.newer = record.older = nullptr;
}

void CDiskCache::InsertByTime(CacheRecord& record) {
    // From the newest end, before the first record used no later than this one.
    CacheRecord* before = lru_.older;
    while (before != &lru_ && before->lastUsed > record.lastUsed) before = before->older;
    record.older = before;
    record.newer = before->newer;
    before->newer->older = &record;
    before->newer = &record;
}

void CDiskCache::EraseRecord(CacheRecord& record) {
    Unlink(record);
    if (record.statusKnown) totalBytes_ -= std::min(totalBytes_, record.size);
    records_.Erase(record);
}

void CDiskCache::SetLimit(std::int32_t limitKB) {
    limitKB_ = limitKB;
    const auto enforce = [this] {
        platform::DirectoryLock lock(directoryFd_);
        Refresh();
        EnforceLimit();
    };
    // Reading every copy's size would hold up the start.
    if (limitKB_ >= 0 && !allStatusKnown_)
        AfterStart(enforce);
    else
        enforce();
}

void CDiskCache::EnforceLimit() {
    if (limitKB_ < 0) return;
    KnowAllStatus();
    const auto limit = static_cast<std::uint64_t>(limitKB_);
    std::vector<std::string> evicted;
    while (totalBytes_ / 1024 > limit && lru_.newer != &lru_) {
        CacheRecord& oldest = *lru_.newer;
        evicted.push_back(oldest.value.fileName);
        EraseRecord(oldest);
    }
    if (records_.empty()) totalBytes_ = 0;
    if (evicted.empty()) return;
    // The index stops naming the copies before they go.
    SaveIndex();
    for (const std::string& name : evicted) platform::DeleteFile(CopyPath(name));
}

void CDiskCache::Link(core::CHTRequest& request) {
    // Another kind of entry (a capture of the source) keeps its place; the copy is then not
    // touched or written for this request.
    if (request.cacheEntry == nullptr) request.cacheEntry = std::make_unique<CCacheLink>(*this);
}

void CDiskCache::MarkServing(core::CHTRequest& request, bool fromCopy) {
    Link(request);
    if (CCacheLink* link = LinkOf(request)) link->servingCopy = fromCopy;
}

CacheCheck CDiskCache::Check(core::CHTRequest& request) {
    if (!request.ReadsStoredCopy() || !request.localFile.empty()) {
        request.lastUsed = 0;
        return CacheCheck::kFetch;
    }
    MarkServing(request, false);
    const CacheRecord* record = Find(KeyOf(request));
    if (record == nullptr) {
        request.lastUsed = 0;
        return CacheCheck::kFetch;
    }
    request.size = record->size;
    request.refreshSeconds = record->value.refreshSeconds;
    request.refreshUrl = record->value.refreshUrl;
    const bool revalidate = update_ == CacheUpdate::kEveryTime ||
                            (update_ == CacheUpdate::kOncePerSession && !request.seenSinceStart);
    request.lastUsed = revalidate ? record->lastUsed : 0;
    return revalidate ? CacheCheck::kRevalidate : CacheCheck::kServe;
}

std::optional<CachedCopy> CDiskCache::OpenCached(core::CHTRequest& request) {
    if (!request.ReadsStoredCopy()) return std::nullopt;
    const CacheRecord* record = Find(KeyOf(request));
    if (record == nullptr) return std::nullopt;
    const int fd = open(CopyPath(record->value.fileName).c_str(),
                        O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    request.size = static_cast<std::uint64_t>(status.st_size);
    request.lastUsed = status.st_mtime;
    request.refreshSeconds = record->value.refreshSeconds;
    request.refreshUrl = record->value.refreshUrl;
    MarkServing(request, true);
    return CachedCopy(fd, record->value);
}

std::unique_ptr<core::CConvertorCacheWriter> CDiskCache::CreateWriter(core::CHTRequest& request) {
    if (request.method != core::kMethodShared || !request.localFile.empty() || directoryFd_ < 0)
        return nullptr;
    return CacheCopyWriter::Create(*this, request);
}

void CDiskCache::Commit(core::CHTRequest& request, const std::string& tempPath, std::uint64_t bytes,
                        const std::string& contentType) {
    platform::DirectoryLock lock(directoryFd_);
    Refresh();
    const std::string name = CopyNameFor(tempPath);
    const std::string copyPath = CopyPath(name);
    if (!platform::MoveFile(tempPath, copyPath, platform::ExistingTarget::kFail)) {
        platform::DeleteFile(tempPath);
        return;
    }
    // A copy fetched again after a revalidation keeps the time it is valid from; any other copy
    // is used now, and its time keeps the LRU order across restarts.
    platform::SetModificationTime(copyPath, request.lastUsed != 0 ? request.lastUsed : host_.Now());
    std::string oldName;
    // The new copy goes into the LRU order by time, and the limit counts every copy.
    KnowAllStatus();
    if (CacheRecord* old = records_.Find(KeyOf(request))) {
        oldName = old->value.fileName;
        EraseRecord(*old);
    }
    request.lastUsed = host_.Now();
    unsavedKeys_.emplace_back(KeyOf(request));
    AddRecord(KeyOf(request),
              {name, contentType, request.refreshSeconds >= 0 ? request.refreshSeconds : -1,
               request.refreshUrl},
              bytes, request.lastUsed);
    if (oldName.empty()) {
        ScheduleIndexWrite();
    } else {
        // The index on disk names the old copy: it must not go before the index changes.
        SaveIndex();
        if (oldName != name) platform::DeleteFile(CopyPath(oldName));
    }
    EnforceLimit();
}

void CDiskCache::AddRecord(std::string_view key, CacheIndexValue value, std::uint64_t size,
                           std::int64_t lastUsed) {
    bool made = false;
    CacheRecord& record = records_.Add(key, made);
    record.value = std::move(value);
    record.statusKnown = true;
    record.size = size;
    record.lastUsed = lastUsed;
    InsertByTime(record);
    totalBytes_ += size;
}

void CDiskCache::Touch(std::string_view key) {
    CacheRecord* found = records_.Find(key);
    if (found == nullptr) return;
    CacheRecord& record = *found;
    KnowStatus(record);
    record.lastUsed = host_.Now();
    platform::SetModificationTime(CopyPath(record.value.fileName), record.lastUsed);
    Unlink(record);
    InsertByTime(record);
}

void CDiskCache::Abandon(std::string_view key) {
    platform::DirectoryLock lock(directoryFd_);
    Refresh();
    CacheRecord* record = records_.Find(key);
    if (record == nullptr) return;
    const std::string name = record->value.fileName;
    EraseRecord(*record);
    SaveIndex();
    platform::DeleteFile(CopyPath(name));
}

void CDiskCache::Clear() {
    platform::DirectoryLock lock(directoryFd_);
    records_.Clear();
    lru_.newer = lru_.older = &lru_;
    totalBytes_ = 0;
    allStatusKnown_ = true;
    SaveIndex();
    if (auto listing = platform::ListDirectory(directory_, "*.cvc")) {
        for (const auto& entry : *listing) {
            if (!entry.info.isDirectory) platform::DeleteFile(CopyPath(entry.name));
        }
    }
}

void CDiskCache::Shutdown() {
    if (directoryFd_ < 0) return;
    WriteNewCopies();
    if (clearOnExit_) Clear();
    // A run that ended before the loop turned is swept now.
    if (sweepPending_) {
        Sweep();
        return;
    }
    platform::DirectoryLock lock(directoryFd_);
    RemoveLeftoverTemporaries();
}

}  // namespace corvane::store
