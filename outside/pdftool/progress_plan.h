#pragma once
// Which pages get a progress word, so a huge job still prints only a few hundred.
#include <cstddef>

namespace pw::pdftool {

inline constexpr std::size_t kMaxProgressWords = 200;

// True when page `index` (0-based) of `total` is announced: every page of a small job, else
// `limit` pages spread evenly, always including the last one.
bool announcesPage(std::size_t index, std::size_t total, std::size_t limit = kMaxProgressWords);

} // namespace pw::pdftool
