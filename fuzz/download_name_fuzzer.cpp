// Any address path reduces to a download name that is a plain base name: no "/", no control
// character, no leading "." or "-", bounded length; and its extension is part of it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/download_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view path(reinterpret_cast<const char*>(data), size);
    std::string name = corvane::core::SafeDownloadName(path);
    if (name.size() > corvane::core::kMaxDownloadNameLength) std::abort();
    if (!name.empty() && (name[0] == '.' || name[0] == '-' || name[0] == ' ')) std::abort();
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '/' || byte < 0x20 || byte == 0x7F) std::abort();
    }
    std::string_view extension = corvane::core::DownloadNameExtension(name);
    if (!extension.empty() && name.substr(name.size() - extension.size()) != extension)
        std::abort();
    return 0;
}
