#pragma once
// An environment variable changed for one test: the old value, or its absence, comes back when
// the test ends. POSIX only.

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace vellumor::test {

class ScopedVariable final {
 public:
  explicit ScopedVariable(std::string name) : name_{std::move(name)} {
    if (const char* old = std::getenv(name_.c_str())) {
      old_ = old;
    }
  }
  ScopedVariable(std::string name, const std::optional<std::string>& value) : ScopedVariable{std::move(name)} {
    Set(value);
  }
  ~ScopedVariable() { Set(old_); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

  // Sets the variable, or takes it away for std::nullopt.
  void Set(const std::optional<std::string>& value) {
    value ? ::setenv(name_.c_str(), value->c_str(), 1) : ::unsetenv(name_.c_str());
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace vellumor::test
