// Reads a LIST answer's lines from a file into a group tree and writes the group list page of
// every group to standard output: what compare_news.sh times against awk splitting the same
// lines.
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "news/group_list_page.h"
#include "news/group_tree.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: news_list_probe LIST-FILE\n");
        return 2;
    }
    auto tree = std::make_shared<corvane::news::GroupTree>();
    std::ifstream in(argv[1], std::ios::binary);
    for (std::string line; std::getline(in, line);) tree->AddListLine(line);
    tree->FinishLoading();
    corvane::news::GroupListPage page(tree, {"server", "news:", "", ""});
    char block[4096];
    for (int n; (n = page.Fill(block, sizeof block)) > 0;) std::fwrite(block, 1, n, stdout);
    return 0;
}
