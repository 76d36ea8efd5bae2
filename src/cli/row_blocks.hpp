// The long CSVs of the full layout made by several threads: their rows are formatted in
// blocks, a few blocks at once, and written in order, so the bytes, and the first failure
// reported, are those of one thread writing row after row.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <exception>
#include <utility>
#include <vector>

#include "cli/block_writer.hpp"
#include "support/worker_threads.hpp"

namespace wavespec::cli {

// Rows a block: about half a megabyte of text in each file.
inline constexpr std::size_t kRowsPerBlock = 8192;

// Rows [0, count) of N files at once: format_row(texts, row) adds row's line to each of the N
// texts (one per file, in outs' order), up to `threads` blocks of rows being made at once.
template <std::size_t N, class FormatRow>
void write_rows(const std::array<BlockWriter*, N>& outs, std::size_t count, unsigned threads,
                const FormatRow& format_row) {
    const std::size_t lanes = std::max(threads, 1u);
    std::vector<std::array<RowText, N>> blocks;
    for (std::size_t k = 0; k < lanes; ++k) {
        blocks.push_back([&]<std::size_t... f>(std::index_sequence<f...>) {
            return std::array<RowText, N>{RowText(outs[f]->name(), outs[f]->columns(), 0)...};
        }(std::make_index_sequence<N>()));
    }
    std::vector<std::exception_ptr> failures(lanes);
    for (std::size_t first = 0; first < count; first += lanes * kRowsPerBlock) {
        const std::size_t in_round = std::min(lanes, (count - first - 1) / kRowsPerBlock + 1);
        run_together(in_round, [&](std::size_t k) {
            const std::size_t from = first + k * kRowsPerBlock;
            const std::size_t to = std::min(count, from + kRowsPerBlock);
            failures[k] = nullptr;
            try {
                for (std::size_t f = 0; f < N; ++f) {
                    blocks[k][f].restart(outs[f]->next_line() + (from - first));
                }
                for (std::size_t row = from; row < to; ++row) format_row(blocks[k], row);
            } catch (...) {
                failures[k] = std::current_exception();
            }
        });
        // Blocks in file order: the earliest failure is the one a single thread meets first.
        for (std::size_t k = 0; k < in_round; ++k) {
            if (failures[k]) std::rethrow_exception(failures[k]);
            for (std::size_t f = 0; f < N; ++f) outs[f]->lines(blocks[k][f]);
        }
    }
}

}  // namespace wavespec::cli
