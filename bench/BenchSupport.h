#pragma once
// What every benchmark program reports its timings with.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vellumor::bench {

// The middle of `values` (the mean of the two middle ones for an even count); `values` must not
// be empty.
inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace vellumor::bench
