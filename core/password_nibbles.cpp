#include "core/password_nibbles.h"

namespace corvane::core {

std::string EncodePasswordNibbles(std::string_view password) {
    std::string stored;
    stored.reserve(password.size() * 2);
    for (const char c : password) {
        const auto byte = static_cast<unsigned char>(c);
        stored.push_back(static_cast<char>((byte >> 4) + 64));
        stored.push_back(static_cast<char>((byte & 0x0F) + 64));
    }
    return stored;
}

std::string DecodePasswordNibbles(std::string_view stored) {
    std::string password;
    password.reserve(stored.size() / 2);
    for (std::size_t i = 0; i + 1 < stored.size(); i += 2) {
        const auto high = static_cast<unsigned char>(stored[i]) & 0x0F;
        const auto low = static_cast<unsigned char>(stored[i + 1]) & 0x0F;
        password.push_back(static_cast<char>((high << 4) | low));
    }
    return password;
}

}  // namespace corvane::core
