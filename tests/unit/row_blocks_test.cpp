// Rows made in blocks by several threads: the file and the failure of one thread row by row.
#include "cli/row_blocks.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <fstream>
#include <iterator>

#include "unit/record_test_support.hpp"

namespace wavespec::cli {
namespace {

// Rows "r,r/7" (r on line r + 2, after "n,x"), inf in place of row bad's: the text or the failure.
std::string write_table(std::size_t rows, unsigned threads, std::size_t bad) {
    const test::ScratchDir dir;
    try {
        BlockWriter out(dir.file("t.csv"), "t.csv");
        out.text("n,x");
        out.end_line();
        out.name_columns({"n", "x"});
        write_rows<1>({&out}, rows, threads, [&](std::array<RowText, 1>& texts, std::size_t r) {
            texts[0].number(static_cast<double>(r));
            texts[0].field(r == bad ? INFINITY : static_cast<double>(r) / 7.0);
            texts[0].end_line();
        });
        out.close();
    } catch (const FileWriteError& error) {
        return error.what();
    }
    std::ifstream in(dir.file("t.csv"), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(RowBlocks, SameBytesAndSameFirstFailureAtEveryThreadCount) {
    const std::size_t n = kRowsPerBlock;
    for (std::size_t rows : {std::size_t{0}, std::size_t{1}, n - 1, n, n + 1, 3 * n + 5}) {
        std::string expected = "n,x\n";
        for (double r = 0; r < static_cast<double>(rows); ++r) {
            char b[64], *comma = std::to_chars(b, b + 32, r).ptr;
            *comma = ',';
            expected += std::string(b, std::to_chars(comma + 1, b + 64, r / 7.0).ptr) + "\n";
        }
        for (unsigned threads : {1u, 2u, 3u}) ASSERT_EQ(write_table(rows, threads, rows), expected);
    }
    for (std::size_t bad : {std::size_t{0}, n + 3, 3 * n, 5 * n - 1})
        for (unsigned threads : {1u, 2u, 3u})
            EXPECT_EQ(write_table(5 * n, threads, bad),
                      "t.csv: x on line " + std::to_string(bad + 2) +
                          " is not finite (inf); the record's files are not written");
}

}  // namespace
}  // namespace wavespec::cli
