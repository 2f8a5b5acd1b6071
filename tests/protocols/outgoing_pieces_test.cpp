// A message text and its attachment handed out in bounded pieces.

#include "protocols/outgoing_pieces.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/scratch_directory.h"

namespace corvane::protocols {
namespace {

std::string Drain(OutgoingPieces& pieces, std::size_t& largest) {
    std::string all;
    std::string piece;
    largest = 0;
    while (pieces.Next(piece)) {
        largest = std::max(largest, piece.size());
        all += piece;
    }
    return all;
}

TEST(OutgoingPieces, TextThenAttachmentLinesThenTheEndMark) {
    std::size_t largest = 0;
    OutgoingPieces plain(".a\nb", nullptr);
    EXPECT_EQ(Drain(plain, largest), "..a\r\nb\r\n.\r\n");
    EXPECT_TRUE(plain.Finished());

    testing::ScratchDirectory files;
    files.Write("big.bin", std::string(200000, '\x01'));
    OutgoingPieces withFile("text\r\n\r\n", CUUEncoder::Open(files.File("big.bin")));
    const std::string all = Drain(withFile, largest);
    EXPECT_LE(largest, OutgoingPieces::kPieceSize);
    EXPECT_FALSE(withFile.Failed());
    EXPECT_TRUE(all.starts_with("text\r\n\r\nbegin 644 big.bin\r\nM"));
    EXPECT_TRUE(all.ends_with("\r\n`\r\nend\r\n.\r\n"));
    // 200000 bytes: 4444 full lines of 45 bytes (61 characters) and one of 20 (28 characters).
    EXPECT_EQ(all.size(), 8u + 19 + 4444 * 63 + 30 + 3 + 5 + 3);
}

}  // namespace
}  // namespace corvane::protocols
