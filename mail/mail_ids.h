#pragma once
// "mailid.ini": which messages each account left on its server, so a later check does not file
// them again. Section ACCOUNT, key "current", names the batch of the last check; a batch section
// (named by its stamp, the local time of the check) lists the message keys seen then as
// KEY=yes. A check records into a new batch and, when it ends, the new batch replaces the
// current one (success or stop) or is merged into it (failure), so keys of an interrupted check
// are never forgotten.
//
// Memory: one object per mail directory, shared by the checks running at the same time; it
// remembers the stamps handed out to running checks so that no two batches share a section.

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile_file.h"

namespace corvane::mail {

class MailIdFile {
  public:
    static constexpr std::string_view kFileName = "mailid.ini";

    explicit MailIdFile(const std::string& mailDirectory);

    // A stamp "%Y%m%d%H%M%S" of the local time, with "-2", "-3"... added when that section is
    // in use (a check within the same second, another account's running check).
    std::string NewBatchStamp(std::string_view account);

    // True when the account's current batch lists the key; an empty key is never known.
    bool IsKnown(std::string_view account, std::string_view key) const;
    // Records the keys in the batch, written to disk once.
    void Record(std::string_view stamp, const std::vector<std::string>& keys);
    // result 0 (success, or a stop): the batch becomes current; otherwise it is merged into the
    // current one. Nothing happens for an empty account or stamp.
    void CloseBatch(std::string_view account, std::string_view stamp, int result);

    // The account was renamed: its history goes with it, so messages it left on the server are
    // not filed again. A history the new name had before is dropped.
    void RenameAccount(std::string_view from, std::string_view to);

    const std::string& path() const { return file_.path(); }

  private:
    platform::ProfileFile file_;
    std::set<std::string> running_;
};

}  // namespace corvane::mail
