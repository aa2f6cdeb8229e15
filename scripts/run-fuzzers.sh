#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (seconds, default 45)
# from the seed corpora in fuzz/corpus. Any crash, leak or sanitizer report fails the run; the
# input that caused it is left in build-fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-45}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELLUMOR_FUZZ=ON -DVELLUMOR_TESTS=OFF -DVELLUMOR_QT_UI=OFF >/dev/null
targets=(FuzzSetupFile FuzzHive FuzzJobTitle FuzzCommandLine FuzzDateTokens FuzzVersionProbe)
cmake --build build-fuzz --target "${targets[@]}"

mkdir -p build-fuzz/findings
for target in "${targets[@]}"; do
  # New inputs go to a scratch corpus so the seeds in the repository stay small.
  work="build-fuzz/corpus/$target"
  mkdir -p "$work"
  echo "== $target for ${seconds}s"
  build-fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="build-fuzz/findings/$target-" -print_final_stats=1 \
    "$work" "fuzz/corpus/$target" 2>&1 | tail -n 12
  status=${PIPESTATUS[0]}
  if [ "$status" -ne 0 ]; then
    echo "$target found a problem (exit $status); see build-fuzz/findings"
    exit 1
  fi
done
echo "fuzzers: no findings"
