// The full layout's rows made by several threads in blocks: the file and the failure must be
// those of one thread writing row after row, whatever the number of threads.
#include "cli/row_blocks.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace wavespec::cli {
namespace {

std::string shortest(double v) {
    char b[32];
    return std::string(b, std::to_chars(b, b + sizeof b, v).ptr);
}

double value_of(std::size_t row) {
    return static_cast<double>(row) / 7.0 - 1000.0;
}

// Rows "row,value" under the header "n,x", with a value that is not finite at bad_row; the
// file's text, or the failure's message.
std::string write_table(std::size_t rows, unsigned threads, std::size_t bad_row) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "row_blocks_test.csv").string();
    try {
        BlockWriter out(path, "t.csv");
        out.text("n,x");
        out.end_line();
        out.name_columns({"n", "x"});
        write_rows<1>({&out}, rows, threads, [&](std::array<RowText, 1>& texts, std::size_t r) {
            texts[0].number(static_cast<double>(r));
            texts[0].field(r == bad_row ? INFINITY : value_of(r));
            texts[0].end_line();
        });
        out.close();
    } catch (const FileWriteError& error) {
        return error.what();
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(RowBlocks, SameBytesAtEveryThreadCountAroundTheBlockEdges) {
    for (std::size_t rows : {std::size_t{0}, std::size_t{1}, kRowsPerBlock - 1, kRowsPerBlock,
                             kRowsPerBlock + 1, 3 * kRowsPerBlock + 5}) {
        std::string expected = "n,x\n";
        for (std::size_t r = 0; r < rows; ++r) {
            expected += shortest(static_cast<double>(r)) + "," + shortest(value_of(r)) + "\n";
        }
        for (unsigned threads : {1u, 2u, 3u, 8u}) {
            ASSERT_EQ(write_table(rows, threads, rows), expected)
                << rows << " rows, " << threads << " threads";
        }
    }
}

TEST(RowBlocks, NamesTheFirstValueThatIsNotFiniteAsOneThreadWould) {
    // The header is line 1, row r line r + 2; a bad row in a later block than the first one
    // being made, in the first block of a later round, and in the last row.
    const std::size_t rows = 5 * kRowsPerBlock;
    for (std::size_t bad : {std::size_t{0}, kRowsPerBlock + 3, 2 * kRowsPerBlock, rows - 1}) {
        for (unsigned threads : {1u, 2u, 3u}) {
            EXPECT_EQ(write_table(rows, threads, bad),
                      "t.csv: x on line " + std::to_string(bad + 2) +
                          " is not finite (inf); the record's files are not written")
                << "row " << bad << ", " << threads << " threads";
        }
    }
}

}  // namespace
}  // namespace wavespec::cli
