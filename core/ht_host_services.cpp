#include "core/ht_host_services.h"

#include <algorithm>

#include "core/load_task.h"
#include "core/ovalon_doc.h"
#include "core/protocol.h"
#include "platform/event_loop.h"

namespace corvane::core {

CHTHostServices::CHTHostServices(platform::HostServices& ui, CHTScheduler& scheduler)
    : ui_(ui), scheduler_(scheduler) {}

CHTHostServices::~CHTHostServices() {
    background_.clear();
    for (CHTRequestEntry& entry : table_) {
        if (entry.request != nullptr) entry.request->Stop();
    }
    for (auto& request : private_) request->Stop();
    // Protocols stopped above may sit in the scheduler's retired list; they must go before the
    // requests they point at.
    scheduler_.DeleteRetired();
}

CHTRequestEntry& CHTHostServices::Entry(std::string_view canonicalUrl) {
    return table_.Entry(canonicalUrl);
}

CHTRequestEntry* CHTHostServices::FindEntry(std::string_view canonicalUrl) {
    return table_.Find(canonicalUrl);
}

CHTRequest* CHTHostServices::SharedRequest(const CHTAddress& address, COvalonDoc* owner) {
    CHTRequestEntry& entry = Entry(FormatAddress(address));
    if (entry.request == nullptr) {
        entry.request = std::make_unique<CHTRequest>(*this, address, kMethodShared, owner);
        entry.request->key = &entry;
    }
    entry.request->method = kMethodShared;
    return entry.request.get();
}

CHTRequest* CHTHostServices::GetRequest(std::string_view text, const CHTAddress* base, int method,
                                        COvalonDoc* owner) {
    CHTAddress address = ParseAddress(text, base);
    if (method == kMethodShared) return SharedRequest(address, owner);
    private_.push_back(std::make_unique<CHTRequest>(*this, address, method, owner));
    return private_.back().get();
}

bool CHTHostServices::DeleteRequest(CHTRequest* request) {
    request->Stop();
    if (request->useCount > 0 || request->taskRefs > 0) return false;
    lastShown_.erase(request);
    if (request->key != nullptr) {
        scheduler_.DeleteLater(std::move(request->key->request));
        return true;
    }
    auto it = std::find_if(private_.begin(), private_.end(),
                           [request](const auto& held) { return held.get() == request; });
    if (it == private_.end()) return false;
    scheduler_.DeleteLater(std::move(*it));
    private_.erase(it);
    return true;
}

void CHTHostServices::ReleaseRequest(CHTRequest* request, bool deleteShared) {
    if (request->useCount > 0 || request->taskRefs > 0) return;
    if (deleteShared || (request->IsPrivate() && request->protocol == nullptr)) {
        DeleteRequest(request);
    }
}

void CHTHostServices::ForgetOwner(const COvalonDoc* owner) {
    downloads.ForgetOwner(owner);
    for (CHTRequestEntry& entry : table_) {
        if (entry.request != nullptr && entry.request->owner == owner)
            entry.request->owner = nullptr;
    }
    for (auto& request : private_) {
        if (request->owner == owner) request->owner = nullptr;
    }
}

void CHTHostServices::AddWindow(const COvalonDoc* window) {
    windows_.push_back(window);
}

void CHTHostServices::RemoveWindow(const COvalonDoc* window) {
    std::erase(windows_, window);
}

void CHTHostServices::DocumentShown(CHTRequest& request) {
    lastShown_[&request] = ++showCount_;
    const auto sizeOf = [](const CHTRequest& held) {
        return std::max<std::uint64_t>(held.size, 1);
    };
    std::uint64_t total = 0;
    std::vector<CHTRequest*> droppable;
    const auto consider = [&](CHTRequest* held) {
        if (held == nullptr || held->document == nullptr) return;
        total += sizeOf(*held);
        // Images are drawn by the pages that embed them, which no window lists.
        if (held->kind != kKindDocument || held->protocol != nullptr) return;
        for (const COvalonDoc* window : windows_) {
            if (window->Shown() == held) return;
        }
        droppable.push_back(held);
    };
    for (CHTRequestEntry& entry : table_) consider(entry.request.get());
    for (auto& held : private_) consider(held.get());
    if (total <= documentLimitBytes) return;
    const auto shownAt = [this](const CHTRequest* held) {
        const auto found = lastShown_.find(held);
        return found == lastShown_.end() ? 0 : found->second;
    };
    std::sort(droppable.begin(), droppable.end(),
              [&](const CHTRequest* a, const CHTRequest* b) { return shownAt(a) < shownAt(b); });
    for (CHTRequest* held : droppable) {
        if (total <= documentLimitBytes) break;
        total -= sizeOf(*held);
        held->SetResult(kKindNothing, nullptr);
    }
}

void CHTHostServices::StartBackground(CHTRequest& request) {
    AdoptBackground(std::make_unique<CBackgroundTask>(*this, request));
}

void CHTHostServices::AdoptBackground(std::unique_ptr<CHTTask> task) {
    background_.push_back(std::move(task));
    scheduler_.Schedule(*background_.back());
    // A menu command runs outside the loop's turns, and an idle loop only passes the scheduler
    // after a turn: a posted one lets it step the new task.
    if (loop_ != nullptr) loop_->Post([] {});
}

void CHTHostServices::EndBackground(CHTTask& task) {
    auto it = std::find_if(background_.begin(), background_.end(),
                           [&task](const auto& held) { return held.get() == &task; });
    if (it == background_.end()) return;
    scheduler_.DeleteLater(std::move(*it));
    background_.erase(it);
}

}  // namespace corvane::core
