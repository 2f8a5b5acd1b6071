// Bookmark files are read from anywhere: an imported page, a file another program wrote. Reading
// must never crash, must not depend on how the bytes are split into pieces, and what it makes of
// a file must be stable once written: the first save may normalise (a marker word the page put
// in a strange place), the second and third are identical.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bookmarks/bookmark_list.h"
#include "bookmarks/bookmark_reader.h"
#include "bookmarks/bookmark_writer.h"
#include "platform/scripted_host_services.h"

using namespace corvane;

namespace {

std::string ReadAndWrite(std::string_view text, std::size_t split) {
    platform::ScriptedHostServices host;
    bookmarks::CBookmarkList list(host, "", "");
    {
        bookmarks::CBookmarkReader reader(list, nullptr);
        reader.Feed(text.substr(0, split));
        reader.Feed(text.substr(split));
        reader.Finish();
    }
    return bookmarks::BookmarkFileText(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string once = ReadAndWrite(text, 0);
    if (size > 1 && ReadAndWrite(text, data[0] % size) != once) std::abort();
    const std::string twice = ReadAndWrite(once, 0);
    if (ReadAndWrite(twice, 0) != twice) std::abort();
    return 0;
}
