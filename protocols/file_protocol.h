#pragma once
// CHTFile serves the "file" scheme: it reads a local file and hands it to the convertor its
// content or name chooses, generates the listing of a local directory, and generates the roots
// list ("/" and the home directory) for a file: URL with an empty path.
//
// Order of calls: create by class -> Attach -> Open (decides what the URL names, installs the
// data source and the convertor) -> the convertor pulls -> Abort -> destroy.
//
// Only regular files and directories are served: a device, a FIFO or a socket could block the
// window or never end. A file that reads on far past the size it reported (/proc/self/pagemap
// reports 0 and never ends) fails once kOverrunAllowance bytes beyond that size have been read.

#include <cstdint>
#include <memory>
#include <string>

#include "core/protocol.h"
#include "protocols/generated_units.h"

namespace corvane::protocols {

class CHTFile : public core::CHTProtocol {
  public:
    static constexpr std::int32_t kBufferSize = 2048;
    static constexpr std::uint64_t kOverrunAllowance = 256u << 20;

    CHTFile();
    ~CHTFile() override;

    int Open() override;
    void Abort() override;

    // The local path of the file or directory being served (empty for the roots list).
    const std::string& Path() const { return path_; }

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // Opens a regular file and makes it the data source; false when it cannot be read.
    bool OpenFile(const std::string& path);

  private:
    int OpenGenerated(std::unique_ptr<GeneratedUnits> generator);
    std::int32_t FileSource(std::uint8_t* destination, std::int32_t maxLength);
    std::int32_t GeneratedSource(std::uint8_t* destination, std::int32_t maxLength);

    std::uint8_t buffer_[kBufferSize];
    std::string path_;
    int fd_ = -1;
    // Bytes the file may still deliver before it counts as never ending.
    std::uint64_t readLimit_ = 0;
    std::unique_ptr<GeneratedUnits> generator_;
};

// Puts CHTFile in the scheme registry for "file"; files it opens from then on may read
// `overrunAllowance` bytes beyond the size they report.
void RegisterFileProtocol(std::uint64_t overrunAllowance = CHTFile::kOverrunAllowance);

}  // namespace corvane::protocols
