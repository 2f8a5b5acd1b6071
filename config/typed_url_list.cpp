#include "config/typed_url_list.h"

#include <algorithm>

#include "platform/ascii.h"

namespace corvane::config {
namespace {

std::string KeyOf(std::size_t index) {
    return std::string(keys::kTypedUrlPrefix) + std::to_string(index + 1);
}

bool FitsTheField(std::string_view url) {
    return std::none_of(url.begin(), url.end(),
                        [](char c) { return static_cast<unsigned char>(c) < ' ' || c == 0x7f; });
}

}  // namespace

void TypedUrlList::Remember(std::string_view url) {
    if (url.empty()) return;
    const auto same = std::find_if(entries_.begin(), entries_.end(), [url](const std::string& e) {
        return EqualsIgnoreCase(e, url);
    });
    if (same != entries_.end()) {
        entries_.erase(same);
    } else if (entries_.size() >= kMaxEntries) {
        entries_.pop_back();
    }
    entries_.insert(entries_.begin(), std::string(url));
}

bool TypedUrlList::Load(const CSettingsSection& urlList) {
    for (std::size_t i = 0; i < kMaxEntries; ++i) {
        std::string url = urlList.GetString(KeyOf(i), "");
        if (url.empty()) break;
        if (!FitsTheField(url)) return false;
        entries_.push_back(std::move(url));
    }
    return true;
}

bool TypedUrlList::Save(CSettingsSection& urlList) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (!urlList.WriteString(KeyOf(i), entries_[i])) return false;
    }
    return true;
}

}  // namespace corvane::config
