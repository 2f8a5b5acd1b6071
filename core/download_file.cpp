#include "core/download_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <utility>

#include "core/url_escapes.h"
#include "platform/file_services.h"

namespace corvane::core {
namespace {

constexpr std::size_t kMaxExtensionLength = 16;
constexpr int kFreshNameAttempts = 64;

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// Never cut inside a UTF-8 sequence: back off over at most three continuation bytes (text that
// is not UTF-8 is cut where it is).
std::size_t Utf8Boundary(std::string_view text, std::size_t length) {
    for (std::size_t i = 0; i < 3 && length > 0 && length < text.size() &&
                            (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80;
         ++i) {
        --length;
    }
    return length;
}

// A leading "." hides the file or names a directory; a leading "-" reads as an option.
void DropLeadingDotsAndDashes(std::string& name) {
    name.erase(0, name.find_first_not_of(".- "));
}

std::string BoundLength(std::string name) {
    if (name.size() <= kMaxDownloadNameLength) return name;
    std::string extension(DownloadNameExtension(name));
    std::size_t keep = kMaxDownloadNameLength - (extension.empty() ? 0 : extension.size() + 1);
    name.resize(Utf8Boundary(name, keep));
    if (!extension.empty()) name += "." + extension;
    return name;
}

std::string RandomLetters(std::size_t count) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string letters;
    for (std::size_t i = 0; i < count; ++i) letters += kAlphabet[pick(generator)];
    return letters;
}

}  // namespace

std::string SafeDownloadName(std::string_view addressPath) {
    std::string_view segment = addressPath.substr(0, addressPath.find_first_of("?#"));
    if (std::size_t slash = segment.rfind('/'); slash != std::string_view::npos) {
        segment.remove_prefix(slash + 1);
    }
    std::string decoded = DecodeUrlEscapes(segment);
    // Escaped slashes decode into path separators; only the final component can be a name.
    if (std::size_t slash = decoded.rfind('/'); slash != std::string::npos) {
        decoded.erase(0, slash + 1);
    }
    std::string name;
    for (char c : decoded) name += IsControl(static_cast<unsigned char>(c)) ? '_' : c;
    DropLeadingDotsAndDashes(name);
    name = BoundLength(std::move(name));
    DropLeadingDotsAndDashes(name);  // a cut can leave nothing before the extension
    return name;
}

std::string_view DownloadNameExtension(std::string_view safeName) {
    std::size_t dot = safeName.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    std::string_view extension = safeName.substr(dot + 1);
    if (extension.size() > kMaxExtensionLength) return {};
    return extension;
}

DownloadFile::DownloadFile(int fd, std::string path, std::string tempPath)
    : fd_(fd), path_(std::move(path)), tempPath_(std::move(tempPath)) {}

DownloadFile::DownloadFile(DownloadFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      tempPath_(std::move(other.tempPath_)) {}

DownloadFile& DownloadFile::operator=(DownloadFile&& other) noexcept {
    if (this != &other) {
        Discard();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        tempPath_ = std::move(other.tempPath_);
    }
    return *this;
}

bool DownloadFile::Write(const void* data, std::size_t length) {
    const char* bytes = static_cast<const char*>(data);
    while (length > 0) {
        ssize_t written = ::write(fd_, bytes, length);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

bool DownloadFile::Commit() {
    if (fd_ < 0) return false;
    bool replacing = !tempPath_.empty();
    bool ok = !replacing || ::fsync(fd_) == 0;
    ok = ::close(std::exchange(fd_, -1)) == 0 && ok;
    if (ok && replacing)
        ok = platform::MoveFile(tempPath_, path_, platform::ExistingTarget::kReplace);
    if (!ok) {
        platform::DeleteFile(replacing ? tempPath_ : path_);
        return false;
    }
    tempPath_.clear();
    return true;
}

void DownloadFile::Discard() {
    if (fd_ < 0) return;
    ::close(std::exchange(fd_, -1));
    platform::DeleteFile(tempPath_.empty() ? path_ : tempPath_);
}

std::optional<DownloadFile> CreateReplacingFile(const std::string& target) {
    std::size_t slash = target.rfind('/');
    std::string directory = slash == std::string::npos ? "." : target.substr(0, slash);
    if (directory.empty()) directory = "/";
    struct stat existing {};
    mode_t mode;
    if (::stat(target.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            errno = EISDIR;
            return std::nullopt;
        }
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    std::optional<std::string> tempPath = platform::CreateTempFile(directory, "CVT");
    if (!tempPath) return std::nullopt;
    int fd = ::open(tempPath->c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || ::fchmod(fd, mode) != 0) {
        int saved = errno;
        if (fd >= 0) ::close(fd);
        platform::DeleteFile(*tempPath);
        errno = saved;
        return std::nullopt;
    }
    return DownloadFile(fd, target, std::move(*tempPath));
}

DownloadDirectory::DownloadDirectory(std::string parent) : parent_(std::move(parent)) {
    if (parent_.empty()) parent_ = platform::TempDirectory();
}

DownloadDirectory::~DownloadDirectory() {
    if (dirFd_ >= 0) ::close(dirFd_);
}

bool DownloadDirectory::EnsureCreated() {
    if (dirFd_ >= 0) return true;
    // mkdtemp makes a new directory with mode 0700, so nobody else can plant anything inside.
    std::string pattern = parent_ + "/corvane-" + std::to_string(::getuid()) + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return false;
    int fd = ::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    dirFd_ = fd;
    path_ = std::move(pattern);
    return true;
}

std::optional<DownloadFile> DownloadDirectory::CreateExclusive(const std::string& name) {
    int fd =
        ::openat(dirFd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return std::nullopt;
    return DownloadFile(fd, path_ + "/" + name);
}

std::optional<DownloadFile> DownloadDirectory::CreateFresh(std::string_view extension) {
    for (int attempt = 0; attempt < kFreshNameAttempts; ++attempt) {
        std::string name = "CVT" + RandomLetters(8);
        if (!extension.empty()) name += "." + std::string(extension);
        if (auto file = CreateExclusive(name)) return file;
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

std::optional<DownloadFile> DownloadDirectory::Create(std::string_view addressPath) {
    if (!EnsureCreated()) return std::nullopt;
    std::string name = SafeDownloadName(addressPath);
    if (!name.empty()) {
        if (auto file = CreateExclusive(name)) return file;
        if (errno != EEXIST && errno != ELOOP) return std::nullopt;
    }
    return CreateFresh(DownloadNameExtension(name));
}

DownloadDirectory& SystemDownloadDirectory() {
    static DownloadDirectory directory;
    return directory;
}

}  // namespace corvane::core
