#pragma once
// The Linux machine's own programs, started from the Windows tests through Wine, which runs a
// Linux program a Windows program starts: the readers that check the PDFs the Windows engine
// wrote independently of it (poppler), and the Linux engine the Windows one is compared with.

#include <filesystem>
#include <string>
#include <vector>

namespace vellumor::test {

// The Linux path of a Windows path, as Wine maps its drives; "" when there is none.
std::string LinuxPath(const std::filesystem::path& path);

// Runs the Linux program at the absolute Linux path `arguments[0]` with the other arguments as
// they are (file names as LinuxPath gives them) and waits for it; its exit code, or -1 when it
// could not be started.
int RunLinuxProgram(const std::vector<std::string>& arguments);

// Page `page` of `pdf` as a greyscale raster of `resolution` dots per inch (pdftoppm -gray, a PGM
// file's bytes); "" when it could not be rendered.
std::string PageRaster(const std::filesystem::path& pdf, int page, int resolution);

}  // namespace vellumor::test
