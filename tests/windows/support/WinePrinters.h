#pragma once
// Printers for the Windows tests, made on Wine's PostScript driver (which only Wine has), and
// the user's default printer as the profile holds it.

#include <string>
#include <string_view>

namespace vellumor::test {

// Installs the driver the test printers use; once per process is enough.
void InstallTestPrinterDriver();
// Adds a printer on `port` (or finds it there already); false when the spooler refuses.
bool AddTestPrinter(std::string_view name, std::string_view port);
void DeleteTestPrinter(std::string_view name);
// The profile's default-printer entry ("name,driver,port"), "" for none; and setting it ("" removes it).
std::string DefaultPrinterEntry();
void SetDefaultPrinterEntry(std::string_view entry);

inline constexpr std::string_view kTestPrinterDriver = "Vellumor Test PostScript";

}  // namespace vellumor::test
