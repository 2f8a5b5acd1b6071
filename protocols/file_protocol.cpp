#include "protocols/file_protocol.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/request.h"
#include "core/scheme_registry.h"
#include "core/status.h"
#include "protocols/directory_listing.h"
#include "protocols/local_target.h"

namespace corvane::protocols {

namespace {

std::uint64_t gOverrunAllowance = CHTFile::kOverrunAllowance;

}  // namespace

const core::CRuntimeClass CHTFile::kRuntimeClass =
    core::MakeRuntimeClass<CHTFile, core::CHTProtocol>("CHTFile");

void RegisterFileProtocol(std::uint64_t overrunAllowance) {
    gOverrunAllowance = overrunAllowance;
    core::Schemes().SetProtocolClass(core::kSchemeFile, &CHTFile::kRuntimeClass);
}

CHTFile::CHTFile() {
    SetBuffer(buffer_, kBufferSize);
}

CHTFile::~CHTFile() {
    Abort();
}

int CHTFile::Open() {
    error = core::kFailure;
    if (request == nullptr) return core::kOpenFailed;
    const core::CHTAddress& address = request->address;
    const LocalTarget target = ResolveLocalTarget(address.host, address.path, UserHomeDirectory());
    path_ = target.path;
    switch (target.kind) {
        case LocalTarget::Kind::kFailed:
            return core::kOpenFailed;
        case LocalTarget::Kind::kRootList:
            return OpenGenerated(std::make_unique<RootList>(UserHomeDirectory()));
        case LocalTarget::Kind::kDirectory:
            return OpenGenerated(std::make_unique<DirectoryListing>(path_));
        case LocalTarget::Kind::kFile:
            break;
    }
    if (!OpenFile(path_)) return core::kOpenFailed;
    error = 0;
    // The content decides first, then the extension of the name.
    ChooseConvertor("/" + address.path.substr(0, address.path.rfind('?')));
    if (convertor == nullptr) {
        Abort();
        error = core::kFailure;
        return core::kOpenFailed;
    }
    return core::kOpenComplete;
}

bool CHTFile::OpenFile(const std::string& path) {
    Abort();
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) return false;
    struct stat status {};
    if (fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
        Abort();
        return false;
    }
    // The document is this very file; the disk cache keeps no copy of its own.
    request->localFile = path;
    request->size = static_cast<std::uint64_t>(status.st_size);
    request->lastUsed = status.st_mtime;
    readLimit_ = static_cast<std::uint64_t>(std::max<off_t>(status.st_size, 0)) + gOverrunAllowance;
    SetDataSource(&CHTFile::FileSource);
    return true;
}

int CHTFile::OpenGenerated(std::unique_ptr<GeneratedUnits> generator) {
    generator_ = std::move(generator);
    SetDataSource(&CHTFile::GeneratedSource);
    error = 0;
    if (!StartOwnPage()) {
        error = core::kFailure;
        return core::kOpenFailed;
    }
    return core::kOpenComplete;
}

void CHTFile::Abort() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

std::int32_t CHTFile::FileSource(std::uint8_t* destination, std::int32_t maxLength) {
    if (fd_ < 0) return 0;
    if (readLimit_ == 0) return core::kFailure;
    const auto wanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(std::max(maxLength, 0)), readLimit_));
    for (;;) {
        const ssize_t got = read(fd_, destination, wanted);
        if (got >= 0) {
            readLimit_ -= static_cast<std::uint64_t>(got);
            return static_cast<std::int32_t>(got);
        }
        if (errno != EINTR) return core::kFailure;
    }
}

std::int32_t CHTFile::GeneratedSource(std::uint8_t* destination, std::int32_t maxLength) {
    if (generator_ == nullptr) return 0;
    return generator_->Fill(reinterpret_cast<char*>(destination), maxLength);
}

}  // namespace corvane::protocols
