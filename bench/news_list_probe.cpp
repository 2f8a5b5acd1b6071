// Reads a LIST answer's lines from a file into a group tree and writes the group list page of
// every group to standard output: what compare_news.sh times against awk splitting the same
// lines. The file is read in blocks and cut into lines in place, as the transport hands the
// session its lines, so the figure is the tree's and the page's, not a stream library's.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "news/group_list_page.h"
#include "news/group_tree.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: news_list_probe LIST-FILE\n");
        return 2;
    }
    const int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::perror(argv[1]);
        return 1;
    }
    auto tree = std::make_shared<corvane::news::GroupTree>();
    std::vector<char> buffer(64 * 1024);
    std::size_t held = 0;
    for (ssize_t got; (got = read(fd, buffer.data() + held, buffer.size() - held)) > 0;) {
        held += static_cast<std::size_t>(got);
        std::size_t start = 0;
        for (const void* end; (end = std::memchr(buffer.data() + start, '\n', held - start));) {
            const std::size_t stop =
                static_cast<std::size_t>(static_cast<const char*>(end) - buffer.data());
            tree->AddListLine(std::string_view(buffer.data() + start, stop - start));
            start = stop + 1;
        }
        std::memmove(buffer.data(), buffer.data() + start, held - start);
        held -= start;
        if (held == buffer.size()) buffer.resize(buffer.size() * 2);  // a line longer than it
    }
    close(fd);
    if (held > 0) tree->AddListLine(std::string_view(buffer.data(), held));
    tree->FinishLoading();
    corvane::news::GroupListPage page(tree, {"server", "news:", "", ""});
    char block[4096];
    for (int n; (n = page.Fill(block, sizeof block)) > 0;) std::fwrite(block, 1, n, stdout);
    return 0;
}
