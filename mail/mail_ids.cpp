#include "mail/mail_ids.h"

#include <ctime>

#include "platform/ascii.h"
#include "platform/file_services.h"

namespace corvane::mail {
namespace {

constexpr std::string_view kCurrent = "current";
constexpr std::string_view kYes = "yes";

std::string LocalStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
    return text;
}

}  // namespace

MailIdFile::MailIdFile(const std::string& mailDirectory)
    : file_(platform::JoinPath(mailDirectory, kFileName)) {}

std::string MailIdFile::NewBatchStamp(std::string_view account) {
    const std::string base = LocalStamp();
    const std::string current = file_.ReadString(account, kCurrent, "");
    std::string stamp = base;
    for (int suffix = 2;; ++suffix) {
        const bool used = EqualsIgnoreCase(stamp, current) || running_.contains(stamp) ||
                          !file_.Keys(stamp).empty();
        if (!used) break;
        stamp = base + "-" + std::to_string(suffix);
    }
    running_.insert(stamp);
    return stamp;
}

bool MailIdFile::IsKnown(std::string_view account, std::string_view key) const {
    if (key.empty()) return false;
    const std::string current = file_.ReadString(account, kCurrent, "");
    return !current.empty() && !file_.ReadString(current, key, "").empty();
}

void MailIdFile::Record(std::string_view stamp, const std::vector<std::string>& keys) {
    if (stamp.empty()) return;
    (void)file_.WriteStrings(stamp, keys, kYes);
}

void MailIdFile::CloseBatch(std::string_view account, std::string_view stamp, int result) {
    if (account.empty() || stamp.empty()) return;
    running_.erase(std::string(stamp));
    const std::string current = file_.ReadString(account, kCurrent, "");
    if (current.empty()) {
        (void)file_.WriteString(account, kCurrent, stamp);
        return;
    }
    if (result == 0) {
        if (!EqualsIgnoreCase(current, stamp)) (void)file_.DeleteSection(current);
        (void)file_.WriteString(account, kCurrent, stamp);
        return;
    }
    if (EqualsIgnoreCase(current, stamp)) return;
    (void)file_.WriteStrings(current, file_.Keys(stamp), kYes);
    (void)file_.DeleteSection(stamp);
}

void MailIdFile::RenameAccount(std::string_view from, std::string_view to) {
    if (EqualsIgnoreCase(from, to)) return;
    const std::string current = file_.ReadString(from, kCurrent, "");
    if (current.empty()) return;
    const std::string stale = file_.ReadString(to, kCurrent, "");
    if (!stale.empty() && !EqualsIgnoreCase(stale, current)) (void)file_.DeleteSection(stale);
    if (file_.WriteString(to, kCurrent, current)) (void)file_.DeleteSection(from);
}

}  // namespace corvane::mail
