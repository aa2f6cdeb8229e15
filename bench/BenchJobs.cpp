#include "BenchJobs.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace vellumor::bench {

void WriteTextJob(const std::filesystem::path& path, int pages) {
  std::ofstream out(path, std::ios::binary);
  out << "%!PS-Adobe-3.0\n%%Title: Text " << pages << " pages.txt - Notepad\n%%Pages: " << pages << "\n";
  out << "/Courier findfont 10 scalefont setfont\n";
  for (int page = 1; page <= pages; ++page) {
    out << "%%Page: " << page << " " << page << "\n";
    for (int line = 0; line < 60; ++line) {
      out << "40 " << (760 - line * 12) << " moveto (Page " << page << " line " << line
          << ": the quick brown fox jumps over the lazy dog 0123456789) show\n";
    }
    out << "showpage\n";
  }
  out << "%%EOF\n";
}

namespace {

void WriteImagePage(std::ofstream& out, int page, int width, int height) {
  out << "%%Page: " << page << " " << page << "\n";
  out << "gsave 36 36 translate 540 " << (540 * height / width) << " scale /DeviceRGB setcolorspace\n";
  out << "<< /ImageType 1 /Width " << width << " /Height " << height
      << " /BitsPerComponent 8 /Decode [0 1 0 1 0 1] /ImageMatrix [" << width << " 0 0 -" << height << " 0 " << height
      << "] /DataSource currentfile >> image\n";
  // Smooth gradients with some texture: compressible like a photo, not like a blank page.
  std::vector<char> row(static_cast<std::size_t>(width) * 3);
  unsigned state = 12345u + static_cast<unsigned>(page);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1103515245u + 12345u;
      const int noise = static_cast<int>((state >> 16) & 15);
      row[static_cast<std::size_t>(x) * 3] = static_cast<char>((x * 255 / width + noise) & 0xFF);
      row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<char>((y * 255 / height + noise) & 0xFF);
      row[static_cast<std::size_t>(x) * 3 + 2] =
          static_cast<char>(((x + y) * 127 / (width + height) + page * 40) & 0xFF);
    }
    out.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
  out << "\ngrestore showpage\n";
}

}  // namespace

void WriteImageJob(const std::filesystem::path& path, int pages, int width, int height) {
  std::ofstream out(path, std::ios::binary);
  out << "%!PS-Adobe-3.0\n%%Title: Photos\n%%Pages: " << pages << "\n";
  for (int page = 1; page <= pages; ++page) {
    WriteImagePage(out, page, width, height);
  }
  out << "%%EOF\n";
}

void WriteLargeJob(const std::filesystem::path& path, std::size_t bytes) {
  std::ofstream out(path, std::ios::binary);
  out << "%!PS-Adobe-3.0\n%%Title: Large scan\n";
  constexpr int kWidth = 4000;
  constexpr int kHeight = 2800;
  const std::size_t perPage = static_cast<std::size_t>(kWidth) * kHeight * 3;
  int page = 1;
  for (std::size_t written = 0; written < bytes; written += perPage, ++page) {
    WriteImagePage(out, page, kWidth, kHeight);
  }
  out << "%%EOF\n";
}

}  // namespace vellumor::bench
