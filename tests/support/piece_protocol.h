#pragma once
// A protocol whose data source answers from a queue: bytes, or "#<status>" answered once instead.

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "core/protocol.h"

namespace corvane::testing {

inline std::int32_t TakeAnswer(std::deque<std::string>& answers, std::uint8_t* destination,
                               std::int32_t maxLength) {
    if (answers.empty()) return 0;
    std::string& front = answers.front();
    if (front.starts_with('#')) {
        const int status = std::stoi(front.substr(1));
        answers.pop_front();
        return status;
    }
    const std::size_t count = std::min(front.size(), static_cast<std::size_t>(maxLength));
    std::memcpy(destination, front.data(), count);
    front.erase(0, count);
    if (front.empty()) answers.pop_front();
    return static_cast<std::int32_t>(count);
}

class PieceProtocol : public core::CHTProtocol {
  public:
    explicit PieceProtocol(std::deque<std::string> pieces, std::int32_t capacity = 2048)
        : answers(std::move(pieces)), storage_(static_cast<std::size_t>(capacity)) {
        SetBuffer(storage_.data(), capacity);
        SetDataSource(&PieceProtocol::Source);
    }
    std::deque<std::string> answers;

  private:
    std::int32_t Source(std::uint8_t* destination, std::int32_t maxLength) {
        return TakeAnswer(answers, destination, maxLength);
    }
    std::vector<std::uint8_t> storage_;
};

}  // namespace corvane::testing
