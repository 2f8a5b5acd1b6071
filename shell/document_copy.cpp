#include "shell/document_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "core/convertor_registry.h"
#include "core/download_file.h"
#include "core/request.h"
#include "platform/ascii.h"
#include "store/disk_cache.h"

namespace corvane::shell {
namespace {

constexpr std::int32_t kBlock = 64 * 1024;

// A local file read as it is now; closed with the last copy of the reader.
std::optional<ByteReader> OpenLocalFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    auto owned = std::shared_ptr<int>(new int(fd), [](int* f) {
        close(*f);
        delete f;
    });
    return ByteReader([owned](std::uint8_t* destination, std::int32_t maxLength) -> std::int32_t {
        for (;;) {
            const ssize_t got = read(*owned, destination, static_cast<std::size_t>(maxLength));
            if (got >= 0) return static_cast<std::int32_t>(got);
            if (errno != EINTR) return -1;
        }
    });
}

std::string TypeOf(const core::CHTRequest& request) {
    const core::CHTConvertorRegistry& types = core::Convertors();
    return types.IsValid(request.convertorIndex) ? types.Entry(request.convertorIndex).type
                                                 : std::string();
}

}  // namespace

std::optional<StoredBytes> OpenStoredBytes(core::CHTRequest& request, store::CDiskCache& cache) {
    if (!request.localFile.empty()) {
        std::optional<ByteReader> reader = OpenLocalFile(request.localFile);
        if (!reader) return std::nullopt;
        return StoredBytes{std::move(*reader), TypeOf(request)};
    }
    std::optional<store::CachedCopy> copy = cache.OpenCached(request);
    if (!copy) return std::nullopt;
    // The type the document was shown as; the copy's recorded type for one never shown.
    std::string type = TypeOf(request);
    if (type.empty()) type = copy->ContentType();
    auto shared = std::make_shared<store::CachedCopy>(std::move(*copy));
    return StoredBytes{[shared](std::uint8_t* destination, std::int32_t maxLength) {
                           return shared->Read(destination, maxLength);
                       },
                       std::move(type)};
}

SaveAsProposal ProposeSaveAs(const core::CHTRequest& request) {
    SaveAsProposal proposal;
    proposal.name = core::SafeDownloadName(request.canonicalUrl);
    const core::CHTConvertorRegistry& types = core::Convertors();
    if (types.IsValid(request.convertorIndex)) {
        const core::CHTConvertorEntry& entry = types.Entry(request.convertorIndex);
        const std::string extension = entry.extensions.substr(0, entry.extensions.find(','));
        if (!extension.empty()) {
            proposal.filter = entry.type + " Files (*." + extension + ")|*." + extension + "|";
        }
    }
    proposal.filter += "All Files (*.*)|*.*||";
    return proposal;
}

std::string_view SaveResultMessage(SaveResult result) {
    switch (result) {
        case SaveResult::kNoName:
            return "No target filename found... please select a valid filename";
        case SaveResult::kNoSource:
            return "Source not avaliable at this time.\nPlease try to reload URL.";
        case SaveResult::kCannotCreate:
            return "Cannot create file";
        case SaveResult::kSaved:
            break;
    }
    return {};
}

SaveResult SaveDocumentAs(core::CHTRequest& request, store::CDiskCache& cache,
                          const std::string& target) {
    if (target.empty()) return SaveResult::kNoName;
    std::optional<StoredBytes> source = OpenStoredBytes(request, cache);
    if (!source) return SaveResult::kNoSource;
    std::optional<core::DownloadFile> file = core::CreateReplacingFile(target);
    if (!file) return SaveResult::kCannotCreate;
    const std::string& url = request.canonicalUrl;
    const std::string type = AsciiLower(source->contentType);
    const bool html = type == "text/html" || type.starts_with("text/html;");
    if (html && !StartsWithIgnoreCase(url, "file:")) {
        const std::string base = "<BASE HREF=\"" + url + "\">";
        if (!file->Write(base.data(), base.size())) return SaveResult::kCannotCreate;
    }
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[kBlock]);
    for (;;) {
        const std::int32_t got = source->read(block.get(), kBlock);
        if (got == 0) break;
        if (got < 0 || !file->Write(block.get(), static_cast<std::size_t>(got)))
            return SaveResult::kCannotCreate;
    }
    return file->Commit() ? SaveResult::kSaved : SaveResult::kCannotCreate;
}

bool SavesShownText(const core::CHTRequest& request, std::string_view target) {
    return AsciiLower(TypeOf(request)) == "text/html" && AsciiLower(target).ends_with(".txt");
}

SaveResult SaveTextAs(std::string_view text, const std::string& target) {
    if (target.empty()) return SaveResult::kNoName;
    std::optional<core::DownloadFile> file = core::CreateReplacingFile(target);
    if (!file || !file->Write(text.data(), text.size()) || !file->Commit())
        return SaveResult::kCannotCreate;
    return SaveResult::kSaved;
}

std::optional<std::string> ReadStoredDocument(core::CHTRequest& request, store::CDiskCache& cache,
                                              std::size_t maxBytes) {
    std::optional<StoredBytes> source = OpenStoredBytes(request, cache);
    if (!source) return std::nullopt;
    std::string bytes;
    while (bytes.size() < maxBytes) {
        const std::size_t before = bytes.size();
        const auto want =
            static_cast<std::int32_t>(std::min<std::size_t>(kBlock, maxBytes - before));
        bytes.resize(before + static_cast<std::size_t>(want));
        const std::int32_t got =
            source->read(reinterpret_cast<std::uint8_t*>(bytes.data() + before), want);
        if (got < 0) return std::nullopt;
        bytes.resize(before + static_cast<std::size_t>(got));
        if (got == 0) break;
    }
    return bytes;
}

}  // namespace corvane::shell
