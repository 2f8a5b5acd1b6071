#pragma once
// A fresh directory for one test, removed with everything in it when the test ends.

#include <string>
#include <string_view>
#include <vector>

namespace corvane::testing {

class ScratchDirectory {
  public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

    // Writes a file in place, for setting up what a test reads.
    void Write(std::string_view name, std::string_view content) const;
    // The file's content; empty when it cannot be read.
    std::string Read(std::string_view name) const;
    // The names in the directory, sorted.
    std::vector<std::string> Names() const;

  private:
    std::string path_;
};

// A whole file's content; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Writes a whole file in place, for setting up what a test or a server reads.
void WriteFile(const std::string& path, std::string_view content);

}  // namespace corvane::testing
