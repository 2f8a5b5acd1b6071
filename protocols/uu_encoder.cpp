#include "protocols/uu_encoder.h"

#include <sys/stat.h>

#include <array>

namespace corvane::protocols {
namespace {

constexpr std::size_t kBytesPerLine = 45;

// A 6-bit value as a character; 0 becomes the grave accent, as a space would be lost at a line end.
char Encoded(unsigned value) {
    value &= 63;
    return value == 0 ? '`' : static_cast<char>(value + 32);
}

}  // namespace

std::unique_ptr<CUUEncoder> CUUEncoder::Open(const std::string& path) {
    if (path.find_first_of("\r\n") != std::string::npos) return nullptr;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return nullptr;
    struct stat status {};
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return std::unique_ptr<CUUEncoder>(new CUUEncoder(path, file));
}

CUUEncoder::CUUEncoder(std::string path, std::FILE* file) : path_(std::move(path)), file_(file) {}

CUUEncoder::~CUUEncoder() {
    std::fclose(file_);
}

std::string CUUEncoder::EncodeLine(std::string_view bytes) {
    std::string line(1, Encoded(static_cast<unsigned>(bytes.size())));
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
        unsigned b[3] = {0, 0, 0};
        for (std::size_t i = 0; i < count; ++i) b[i] = static_cast<unsigned char>(bytes[at + i]);
        const unsigned values[4] = {b[0] >> 2, (b[0] & 3) << 4 | b[1] >> 4,
                                    (b[1] & 15) << 2 | b[2] >> 6, b[2] & 63};
        for (std::size_t i = 0; i <= count; ++i) line += Encoded(values[i]);
    }
    return line;
}

int CUUEncoder::Step() {
    switch (state_) {
        case State::kHeader: {
            const std::size_t slash = path_.find_last_of('/');
            line_ = "begin 644 " + path_.substr(slash == std::string::npos ? 0 : slash + 1);
            state_ = State::kData;
            break;
        }
        case State::kData: {
            std::array<char, kBytesPerLine> bytes{};
            const std::size_t count = std::fread(bytes.data(), 1, bytes.size(), file_);
            if (count < bytes.size() && std::ferror(file_) != 0) {
                state_ = State::kFinished;
                line_.clear();
                return -1;
            }
            line_ = EncodeLine(std::string_view(bytes.data(), count));
            if (count == 0) state_ = State::kEnd;
            break;
        }
        case State::kEnd:
            line_ = "end";
            state_ = State::kFinished;
            break;
        case State::kFinished:
            line_.clear();
            return 0;
    }
    return static_cast<int>(line_.size());
}

}  // namespace corvane::protocols
