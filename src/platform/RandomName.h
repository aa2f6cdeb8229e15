#pragma once
// Six random letters and digits for names that must not be guessed or taken twice (staged files,
// replacement files); the creation that uses one still fails when the name is taken.

#include <random>
#include <string>

namespace vellumor::platform {

inline std::string RandomNamePart() {
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::string part(6, 'a');
  for (char& c : part) {
    c = kLetters[random() % (sizeof(kLetters) - 1)];
  }
  return part;
}

}  // namespace vellumor::platform
