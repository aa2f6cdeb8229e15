#pragma once
// Whether only root can change what a path leads to. The backend runs as root and starts a program
// as every user who prints, so the program and the file that names it must be out of reach of
// every other user: each folder on the way, each link followed and the file itself owned by root
// and writable by nobody else (group- or other-writable is refused, a sticky folder too), as sudo
// and sshd judge their files. A folder that anyone else may write to lets its names be swapped.

#include <filesystem>
#include <string>

namespace vellumor::backend {

// "" when `path` is absolute and every folder from the root down to it, every link met on the way
// (and in the links' targets), and the file it ends at are owned by root and writable by no one
// else; else the reason, naming the first part that is not.
std::string UnprotectedReason(const std::filesystem::path& path);

}  // namespace vellumor::backend
