#include "core/download_services.h"

#include <algorithm>

#include "core/request.h"

namespace corvane::core {

CDownloadServices::CDownloadServices() = default;
CDownloadServices::~CDownloadServices() = default;

void CDownloadServices::Add(CHTRequest& download) {
    if (!IsRunning(download)) running_.push_back(&download);
}

void CDownloadServices::Remove(const CHTRequest* download) {
    std::erase(running_, download);
}

bool CDownloadServices::IsRunning(const CHTRequest& download) const {
    return std::find(running_.begin(), running_.end(), &download) != running_.end();
}

std::size_t CDownloadServices::RunningCount(const COvalonDoc* owner) const {
    return static_cast<std::size_t>(
        std::count_if(running_.begin(), running_.end(),
                      [owner](const CHTRequest* download) { return download->owner == owner; }));
}

bool CDownloadServices::CloseWhenIdle(COvalonDoc* owner) {
    if (RunningCount(owner) == 0) return true;
    if (!IsClosing(owner)) closing_.push_back(owner);
    return false;
}

bool CDownloadServices::IsClosing(const COvalonDoc* owner) const {
    return std::find(closing_.begin(), closing_.end(), owner) != closing_.end();
}

void CDownloadServices::ForgetOwner(const COvalonDoc* owner) {
    std::erase(closing_, owner);
}

void CDownloadServices::DownloadEnded(COvalonDoc* owner) {
    if (!IsClosing(owner) || RunningCount(owner) > 0) return;
    std::erase(closing_, owner);
    if (postCloseMessage) postCloseMessage(owner);
}

DownloadDirectory& CDownloadServices::Directory() {
    return directory_ != nullptr ? *directory_ : SystemDownloadDirectory();
}

void CDownloadServices::SetDirectory(std::unique_ptr<DownloadDirectory> directory) {
    directory_ = std::move(directory);
}

}  // namespace corvane::core
