#pragma once

#include <cmath>

// Rounds to the nearest whole number, ties to the even one (2.5 gives 2, 3.5
// gives 4), whatever the floating-point rounding mode: a tie is rounded as half of
// it, doubled, and halving a tie is exact.
[[nodiscard]] inline double RedondearPar(double x) {
  if (std::fabs(x - std::trunc(x)) == 0.5) {
    return 2.0 * std::round(x / 2.0);
  }
  return std::round(x);
}
