// vellumor-settings-bench: what closing the settings window costs. Saves the settings record
// into an emulated registry the way the program does (one change of the hive holding all 42
// values) and, side by side, value by value (42 changes, each its own locked read, flushed
// write and rename), alternating two records so that every save really writes. Prints medians.
//
//   vellumor-settings-bench [--runs N] [--work DIR]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "registry/ProductRegistryKey.h"
#include "settings/RegistryStore.h"
#include "settings/Settings.h"

namespace {

namespace fs = std::filesystem;
using namespace vellumor;
using bench::Median;

// The save as it was before the settings became one change: every value its own write.
void SaveValueByValue(platform::Registry& registry, const settings::Settings& record) {
  registry::ProductRegistryKey key{registry};
  key.Create(registry::kProductKeyPath);
  for (const settings::FieldInfo& field : settings::RegistryFieldOrder()) {
    if (field.kind == settings::FieldKind::Text) {
      key.SetText(field.name, record.*field.text);
    } else {
      key.SetNumber(field.name, record.*field.number);
    }
  }
  key.Close();
}

// Two records that differ in every field, so that every value of every save is really written.
settings::Settings Record(char tag) {
  settings::Settings record;
  std::int32_t number = tag == 'A' ? 1 : 2;
  for (const settings::FieldInfo& field : settings::RegistryFieldOrder()) {
    if (field.kind == settings::FieldKind::Text) {
      record.*field.text = std::string{tag} + " " + std::string{field.name};
    } else {
      record.*field.number = number;
    }
  }
  return record;
}

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 21;
  fs::path work = fs::temp_directory_path() / "vellumor-settings-bench";
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (argument == "--work" && i + 1 < argc) {
      work = argv[++i];
    } else {
      std::fprintf(stderr, "usage: vellumor-settings-bench [--runs N] [--work DIR]\n");
      return 2;
    }
  }
  fs::remove_all(work);
  platform::Registry registry{work / "registry"};
  const settings::Settings records[2]{Record('A'), Record('B')};

  std::vector<double> batched;
  std::vector<double> valueByValue;
  // Each save replaces the other record, so that every value really changes.
  for (int run = 0; run < runs; ++run) {
    batched.push_back(Milliseconds([&] { settings::SaveSettingsToRegistry(registry, records[0]); }));
    valueByValue.push_back(Milliseconds([&] { SaveValueByValue(registry, records[1]); }));
  }
  settings::Settings loaded{settings::DefaultSettings("/")};
  const double load = Milliseconds([&] { settings::LoadSettingsFromRegistry(registry, loaded); });
  if (!(loaded == records[1])) {
    std::fprintf(stderr, "the last save did not read back\n");
    return 1;
  }

  std::printf("settings save in %s, %d runs each, medians:\n", work.c_str(), runs);
  std::printf("  one change (the program):  %8.2f ms\n", Median(batched));
  std::printf("  42 changes, value by value: %8.2f ms\n", Median(valueByValue));
  std::printf("settings load (one read): %.2f ms\n", load);
  fs::remove_all(work);
  return 0;
}
