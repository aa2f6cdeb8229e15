#pragma once
// Finding Ghostscript's DLL on Windows and binding the program's delay-loaded engine imports to
// it: first the DLL beside the program, then the DLL each Ghostscript installation records in
// the registry (HKEY_LOCAL_MACHINE, then HKEY_CURRENT_USER, "SOFTWARE\GPL Ghostscript\<version>",
// value "GS_DLL"), newest version first. Every candidate is loaded by its absolute path.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vellumor::platform {

// The DLL of the program's own word size.
inline constexpr const char* kEngineDllName = sizeof(void*) == 8 ? "gsdll64.dll" : "gsdll32.dll";
inline constexpr std::string_view kGhostscriptKey = "SOFTWARE\\GPL Ghostscript";

// Every function the program calls; a DLL lacking one is too old to be used.
inline constexpr std::array<const char*, 7> kEngineFunctions{
    "gsapi_new_instance",     "gsapi_delete_instance", "gsapi_set_stdio", "gsapi_set_poll",
    "gsapi_set_arg_encoding", "gsapi_init_with_args",  "gsapi_exit"};

struct EngineDllSearch {
  std::filesystem::path programFolder;
  std::filesystem::path registryFolder;  // the registry to read installations from ({} = the machine's)
};

// The places to try, in order; only files that exist.
std::vector<std::filesystem::path> EngineDllCandidates(const EngineDllSearch& search);

// Loads the first candidate that loads and has every engine function, and binds the engine
// imports to it for the rest of the process. False with the reason in `error` otherwise.
bool LoadEngineDll(const EngineDllSearch& search, std::string& error);

// Compares Ghostscript version names ("9.56.1", "10.02.1") by their numbers: true when `left`
// is newer.
bool IsNewerVersion(std::string_view left, std::string_view right);

}  // namespace vellumor::platform
