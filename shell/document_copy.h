#pragma once
// Save As and Document Source work on the bytes the shown document was made from: the local
// file it was read from, or its copy in the disk cache. No toolkit here: the window asks for the
// file name and shows the messages.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::core {
class CHTRequest;
}
namespace corvane::store {
class CDiskCache;
}

namespace corvane::shell {

// Reads the next bytes: above 0 how many, 0 at the end, negative on a read error.
using ByteReader = std::function<std::int32_t(std::uint8_t* destination, std::int32_t maxLength)>;

struct StoredBytes {
    ByteReader read;
    std::string contentType;
};

// The document's bytes; nullopt when none are stored (the user is asked to reload).
std::optional<StoredBytes> OpenStoredBytes(core::CHTRequest& request, store::CDiskCache& cache);

struct SaveAsProposal {
    std::string name;    // the safe base name of the address's last part; may be empty
    std::string filter;  // "<type> Files (*.<ext>)|*.<ext>|All Files (*.*)|*.*||"
};
SaveAsProposal ProposeSaveAs(const core::CHTRequest& request);

enum class SaveResult { kSaved, kNoName, kNoSource, kCannotCreate };
// The message a failed save shows, empty for kSaved.
std::string_view SaveResultMessage(SaveResult result);

// Writes the document into `target` through a temporary file renamed over it at the end, so a
// failure leaves any earlier file whole. An HTML page that did not come from a local file starts
// with "<BASE HREF="address">", so its relative links keep working from the saved copy.
SaveResult SaveDocumentAs(core::CHTRequest& request, store::CDiskCache& cache,
                          const std::string& target);

// Saving an HTML page under a ".txt" name writes the page's text as the window shows it.
bool SavesShownText(const core::CHTRequest& request, std::string_view target);
// Writes the text into `target` the same way as SaveDocumentAs.
SaveResult SaveTextAs(std::string_view text, const std::string& target);

// The whole document, at most maxBytes of it; nullopt when none is stored or it cannot be read.
std::optional<std::string> ReadStoredDocument(core::CHTRequest& request, store::CDiskCache& cache,
                                              std::size_t maxBytes);

}  // namespace corvane::shell
