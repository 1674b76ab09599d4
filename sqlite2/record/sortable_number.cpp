#include "record/sortable_number.h"

#include <cmath>

namespace sqlite2 {

namespace {

// 64 symbols in ascending byte order.
constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz|~";
constexpr int kExponentBias = 1024;
constexpr int kMaxDigits = 10;

// One step of the scaling below: multiply m by factor while the condition on m holds and the
// exponent has room, moving the exponent by step each time.
template <typename Condition>
void scale(double& m, int& exponent, double factor, int step, Condition condition) {
  while (condition(m, exponent)) {
    m *= factor;
    exponent += step;
  }
}

// Brings a non-zero magnitude m into [1/128, 1/2) by powers of 64, returning the power.
int normalise(double& m) {
  int e = 0;
  const double p4 = 64.0 * 64 * 64 * 64;
  const double p16 = p4 * p4 * p4 * p4;
  const double p64 = p16 * p16 * p16 * p16;
  if (m < 0.5 / 64) {
    scale(m, e, p64, -64, [&](double v, int x) { return v < 0.5 / p64 && x > -961; });
    scale(m, e, p16, -16, [&](double v, int x) { return v < 0.5 / p16 && x > -1009; });
    scale(m, e, p4, -4, [&](double v, int x) { return v < 0.5 / p4 && x > -1021; });
    scale(m, e, 64.0, -1, [](double v, int x) { return v < 0.5 / 64 && x > -1024; });
  } else if (m >= 0.5) {
    scale(m, e, 1 / p64, 64, [&](double v, int x) { return v >= 0.5 * (p64 / 64) && x < 960; });
    scale(m, e, 1 / p16, 16, [&](double v, int x) { return v >= 0.5 * (p16 / 64) && x < 1008; });
    scale(m, e, 1 / p4, 4, [&](double v, int x) { return v >= 0.5 * (p4 / 64) && x < 1020; });
    scale(m, e, 1 / 64.0, 1, [](double v, int x) { return v >= 0.5 && x < 1023; });
  }
  return e;
}

}  // namespace

void appendSortableNumber(std::string& out, double r) {
  bool negative = r < 0;
  out += negative ? '-' : '0';
  double m = std::fabs(r);
  int e = m == 0 ? -kExponentBias : normalise(m);
  if (negative) {
    e = -e;
    m = -m;
  }
  e += kExponentBias;
  m += 0.5;
  if (e < 0) return;
  if (e >= 2 * kExponentBias || m >= 1 || std::isnan(m)) {
    out.append(12, '~');
    return;
  }
  out += kDigits[(e >> 6) & 63];
  out += kDigits[e & 63];
  for (int digits = 0; m > 0 && digits < kMaxDigits; ++digits) {
    m *= 64;
    int d = static_cast<int>(m);
    out += kDigits[d];
    m -= d;
  }
}

}  // namespace sqlite2
