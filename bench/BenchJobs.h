#pragma once
// The print jobs the benchmark converts, made at run time.

#include <cstddef>
#include <filesystem>

namespace vellumor::bench {

// `pages` pages of text set in Courier, 60 lines each, with a title line.
void WriteTextJob(const std::filesystem::path& path, int pages);
// `pages` pages, each one photo-like RGB image of `width` x `height` pixels as raw binary data
// (CR LF pairs, Ctrl-Z and 0xFF bytes included), as a scanner or photo application prints.
void WriteImageJob(const std::filesystem::path& path, int pages, int width, int height);
// Image pages until the job is at least `bytes` long.
void WriteLargeJob(const std::filesystem::path& path, std::size_t bytes);

}  // namespace vellumor::bench
