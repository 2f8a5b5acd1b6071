#pragma once
// A file sent inside a message text as uuencoded lines, one line per step, so a large file never
// sits in memory whole. Mail attachments and news postings both use it.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace corvane::protocols {

class CUUEncoder {
  public:
    // The file opened for reading; nullptr when it cannot be, when it is no regular file,
    // or when its name holds a line end
    // (it would end the "begin" line early).
    static std::unique_ptr<CUUEncoder> Open(const std::string& path);
    ~CUUEncoder();
    CUUEncoder(const CUUEncoder&) = delete;
    CUUEncoder& operator=(const CUUEncoder&) = delete;

    // Produces the next line: "begin 644 NAME", data lines of up to 45 bytes each, the line of
    // the empty read (a grave accent alone), then "end". Answers the line's length, 0 once
    // finished, -1 when reading the file failed (the encoder is finished then).
    int Step();
    // The line of the last step, without a line end.
    std::string_view Line() const { return line_; }

    // The data line for up to 45 bytes: length character, then four characters per group of
    // three bytes (a last group of one byte gives two, of two bytes three).
    static std::string EncodeLine(std::string_view bytes);

  private:
    enum class State { kHeader, kData, kEnd, kFinished };
    CUUEncoder(std::string path, std::FILE* file);

    std::string path_;
    std::FILE* file_;
    std::string line_;
    State state_ = State::kHeader;
};

}  // namespace corvane::protocols
