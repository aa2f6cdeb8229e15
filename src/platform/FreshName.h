#pragma once
// Creating a file or folder under a name nobody uses yet, where the system does not pick one: a
// random part in the name, and another try when the name was taken after all (by a run that
// picked the same one, or that took the new, empty file for a dead run's and removed it).

#include <random>
#include <string>

namespace vellumor::platform {

// Six random letters and digits for names that must not be guessed or taken twice (staged files,
// replacement files).
inline std::string RandomNamePart() {
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::string part(6, 'a');
  for (char& c : part) {
    c = kLetters[random() % (sizeof(kLetters) - 1)];
  }
  return part;
}

// What one try at a fresh name came to.
enum class NameTry {
  Created,  // made, and this run's
  Taken,    // the name was taken: try another
  Failed,   // failed for another reason, which another name does not change
};

// Calls `tryName` (which picks a fresh name and tries to create under it) until it creates, fails
// for another reason than a taken name, or 100 names were taken; true when it created.
template <typename TryName>
bool CreateUnderFreshName(TryName&& tryName) {
  for (int tries = 0; tries < 100; ++tries) {
    const NameTry outcome = tryName();
    if (outcome != NameTry::Taken) {
      return outcome == NameTry::Created;
    }
  }
  return false;
}

}  // namespace vellumor::platform
