#pragma once

#include <cstdint>
#include <filesystem>

namespace quillwen::testing {

// Lays the volume store in `folder` out again the way other tools may: the
// pages in a shuffled order, with unused random bytes before the first and
// between them. The page table keeps its entries, names and lengths; only
// where each page ends changes, so every reader of the store must find the
// same pages as before.
void ScatterVolumeStore(const std::filesystem::path& folder, uint32_t seed);

}  // namespace quillwen::testing
