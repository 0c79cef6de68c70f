// swde — semantic checks of SWDE cadastral exchange objects.
//
// Shares read exactly and added exactly. A share is n or n/d in natural numbers of up to 64 bits;
// the sum of a group is kept as a reduced fraction in 128 bits (any two shares add up within it).
// A sum that would need more is reported as unchecked, never guessed.
#include <algorithm>
#include <limits>
#include <string_view>

#include "swde/checks/DocumentInternal.hpp"
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {
namespace document {
namespace {

// A run of digits of at most 64 bits.
bool readNatural(std::string_view text, std::uint64_t& out) {
  if (!IsDigits(text)) {
    return false;
  }
  std::uint64_t value = 0;
  for (const char c : text) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
      return false;
    }
    value = value * 10 + digit;
  }
  out = value;
  return true;
}

template <typename T>
T gcd(T a, T b) {
  while (b != 0) {
    const T rest = a % b;
    a = b;
    b = rest;
  }
  return a;
}

}  // namespace

Verdict JudgeShare(std::string_view value, std::uint64_t& numerator, std::uint64_t& denominator) {
  std::string_view text = TrimView(value);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    text.remove_prefix(1);
  }
  const std::size_t slash = text.find('/');
  std::uint64_t n = 0;
  std::uint64_t d = 1;
  const bool readable = slash == std::string_view::npos
                            ? readNatural(text, n)
                            : readNatural(TrimView(text.substr(0, slash)), n) &&
                                  readNatural(TrimView(text.substr(slash + 1)), d) && d != 0;
  if (!readable) {
    return Fail(dcShareForm, "licznik/mianownik");
  }
  if (negative && n != 0) {
    return Fail(dcNegativeShare, ">= 0");
  }
  numerator = n;
  denominator = d;
  return {};
}

bool ShareSum::add(std::uint64_t numerator, std::uint64_t denominator) {
  if (overflowed_) {
    return false;
  }
  constexpr Wide kMax = ~Wide{0};
  // p/q + n/d = (p * (d/g) + n * (q/g)) / (q/g * d), with g = gcd(q, d).
  const Wide d = denominator;
  const Wide g = gcd(denominator_, d);
  const Wide qOverG = denominator_ / g;
  const Wide dOverG = d / g;
  const bool fits = qOverG <= kMax / d && (numerator_ == 0 || dOverG <= kMax / numerator_) &&
                    (numerator == 0 || qOverG <= kMax / numerator) &&
                    numerator_ * dOverG <= kMax - qOverG * numerator;
  if (!fits) {
    overflowed_ = true;
    return false;
  }
  const Wide sum = numerator_ * dOverG + qOverG * numerator;
  const Wide common = qOverG * d;
  const Wide reduce = sum == 0 ? common : gcd(sum, common);
  numerator_ = sum / reduce;
  denominator_ = common / reduce;
  return true;
}

AnsiString ShareSum::text() const {
  auto decimal = [](Wide value) {
    AnsiString digits;
    do {
      digits.push_back(static_cast<char>('0' + static_cast<int>(value % 10)));
      value /= 10;
    } while (value != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
  };
  return denominator_ == 1 ? decimal(numerator_)
                           : decimal(numerator_) + "/" + decimal(denominator_);
}

}  // namespace document
}  // namespace swde
