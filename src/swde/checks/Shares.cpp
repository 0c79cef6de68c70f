// swde — semantic checks of SWDE cadastral exchange objects.
//
// Shares read exactly and added exactly. A share is n or n/d in natural numbers of up to 64 bits;
// the sum of a group is exact whatever its size (up to a bound far beyond real documents), and
// whatever the order of its shares: see ShareSum.
#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include <gmp.h>

#include "swde/document/DocumentInternal.hpp"
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

__extension__ using Wide = unsigned __int128;

void setWide(mpz_ptr to, Wide value) {
  const std::uint64_t words[2] = {static_cast<std::uint64_t>(value),
                                  static_cast<std::uint64_t>(value >> 64)};
  mpz_import(to, 2, -1, sizeof words[0], 0, 0, words);
}

AnsiString decimal(Wide value) {
  AnsiString digits;
  do {
    digits.push_back(static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value != 0);
  std::reverse(digits.begin(), digits.end());
  return digits;
}

AnsiString decimal(mpz_srcptr value) {
  AnsiString digits(mpz_sizeinbase(value, 10) + 2, '\0');
  mpz_get_str(digits.data(), 10, value);
  digits.resize(std::strlen(digits.c_str()));
  return digits;
}

// to += value, left unreduced: the tree reduces once, at the end.
void addUnreduced(mpq_ptr to, mpq_srcptr value) {
  mpz_ptr a = mpq_numref(to);
  mpz_ptr b = mpq_denref(to);
  mpz_mul(a, a, mpq_denref(value));
  mpz_addmul(a, mpq_numref(value), b);
  mpz_mul(b, b, mpq_denref(value));
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

// An exact fraction, kept in lowest terms by GMP.
class ShareSum::Rational {
 public:
  Rational() { mpq_init(q_); }
  ~Rational() { mpq_clear(q_); }
  Rational(Rational&& other) noexcept : Rational() { mpq_swap(q_, other.q_); }
  Rational& operator=(Rational&& other) noexcept {
    mpq_swap(q_, other.q_);
    return *this;
  }
  Rational(const Rational&) = delete;
  Rational& operator=(const Rational&) = delete;

  mpq_ptr get() { return q_; }
  mpq_srcptr get() const { return q_; }

 private:
  mpq_t q_;
};

// The leaves of the tree and the sums of their pairs, as in a binary counter: the stack's levels
// fall from bottom to top, and a new leaf is added to the top while the two have one level.
struct ShareSum::Big {
  struct Node {
    unsigned level;
    Rational value;
  };
  std::vector<Node> stack;
  Rational total;  // after settle()
};

ShareSum::ShareSum(std::uint32_t maxBits) : room_(maxBits), max_(maxBits) {}
ShareSum::~ShareSum() = default;
ShareSum::ShareSum(ShareSum&& other) noexcept = default;
ShareSum& ShareSum::operator=(ShareSum&& other) noexcept = default;

void ShareSum::setRun(Wide numerator, Wide denominator) {
  run_[0] = static_cast<std::uint64_t>(numerator);
  run_[1] = static_cast<std::uint64_t>(numerator >> 64);
  run_[2] = static_cast<std::uint64_t>(denominator);
  run_[3] = static_cast<std::uint64_t>(denominator >> 64);
}

void ShareSum::add(std::uint64_t numerator, std::uint64_t denominator) {
  if (beyond_ || numerator == 0) {
    return;
  }
  const std::uint64_t common = gcd(numerator, denominator);
  numerator /= common;
  denominator /= common;
  std::uint32_t bits = 0;  // the denominator's length; a whole number adds nothing
  for (std::uint64_t rest = denominator > 1 ? denominator : 0; rest != 0; rest >>= 1) {
    ++bits;
  }
  if (bits > room_) {
    beyond_ = true;
    big_.reset();
    return;
  }
  room_ -= bits;
  constexpr Wide kMax = ~Wide{0};
  // p/q + n/d = (p * (d/g) + n * (q/g)) / (q/g * d), with g = gcd(q, d).
  const Wide p = runNumerator();
  const Wide q = runDenominator();
  const Wide d = denominator;
  const Wide g = gcd(q, d);
  const Wide qOverG = q / g;
  const Wide dOverG = d / g;
  const bool fits = qOverG <= kMax / d && (p == 0 || dOverG <= kMax / p) &&
                    qOverG <= kMax / numerator && p * dOverG <= kMax - qOverG * numerator;
  if (fits) {
    const Wide sum = p * dOverG + qOverG * numerator;
    const Wide whole = qOverG * d;
    const Wide reduce = gcd(sum, whole);
    setRun(sum / reduce, whole / reduce);
    return;
  }
  // The run so far becomes a leaf; the share starts the next one.
  if (!big_) {
    big_ = std::make_unique<Big>();
  }
  Big::Node leaf{0, Rational()};
  setWide(mpq_numref(leaf.value.get()), p);
  setWide(mpq_denref(leaf.value.get()), q);
  std::vector<Big::Node>& stack = big_->stack;
  stack.push_back(std::move(leaf));
  setRun(numerator, denominator);
  while (stack.size() >= 2 && stack[stack.size() - 2].level == stack.back().level) {
    Big::Node& below = stack[stack.size() - 2];
    addUnreduced(below.value.get(), stack.back().value.get());
    ++below.level;
    stack.pop_back();
  }
}

void ShareSum::settle() {
  if (!big_ || beyond_) {
    return;
  }
  Rational& total = big_->total;
  setWide(mpq_numref(total.get()), runNumerator());
  setWide(mpq_denref(total.get()), runDenominator());
  // From the top down: the small ones first.
  std::vector<Big::Node>& stack = big_->stack;
  for (; !stack.empty(); stack.pop_back()) {
    addUnreduced(total.get(), stack.back().value.get());
  }
  mpq_canonicalize(total.get());
}

void ShareSum::absorb(ShareSum& other) {
  other.settle();
  const std::uint32_t used = other.max_ - other.room_;
  if (beyond_ || other.beyond_ || used > room_) {
    beyond_ = true;
    big_.reset();
    return;
  }
  room_ -= used;
  if (!other.big_ && other.runNumerator() == 0) {
    return;
  }
  Big::Node leaf{0, Rational()};
  if (other.big_) {
    leaf.value = std::move(other.big_->total);
  } else {
    setWide(mpq_numref(leaf.value.get()), other.runNumerator());
    setWide(mpq_denref(leaf.value.get()), other.runDenominator());
  }
  if (!big_) {
    big_ = std::make_unique<Big>();
  }
  std::vector<Big::Node>& stack = big_->stack;
  stack.push_back(std::move(leaf));
  while (stack.size() >= 2 && stack[stack.size() - 2].level == stack.back().level) {
    Big::Node& below = stack[stack.size() - 2];
    addUnreduced(below.value.get(), stack.back().value.get());
    ++below.level;
    stack.pop_back();
  }
}

int ShareSum::compareOne() const {
  if (big_) {
    const int side = mpq_cmp_ui(big_->total.get(), 1, 1);
    return side < 0 ? -1 : side > 0 ? 1 : 0;
  }
  const Wide p = runNumerator();
  const Wide q = runDenominator();
  return p < q ? -1 : p > q ? 1 : 0;
}

bool ShareSum::isOne() const {
  if (beyond_) {
    return false;
  }
  return big_ ? mpq_cmp_ui(big_->total.get(), 1, 1) == 0 : runNumerator() == runDenominator();
}

AnsiString ShareSum::text() const {
  if (!big_) {
    const Wide q = runDenominator();
    return q == 1 ? decimal(runNumerator()) : decimal(runNumerator()) + "/" + decimal(q);
  }
  const mpq_srcptr total = big_->total.get();
  const mpz_srcptr numerator = mpq_numref(total);
  const mpz_srcptr denominator = mpq_denref(total);
  // mpz_sizeinbase may count one digit too many.
  if (mpz_sizeinbase(numerator, 10) + mpz_sizeinbase(denominator, 10) <= kExactChars + 1) {
    const AnsiString exact = mpz_cmp_ui(denominator, 1) == 0
                                 ? decimal(numerator)
                                 : decimal(numerator) + "/" + decimal(denominator);
    if (exact.size() <= kExactChars) {
      return exact;
    }
  }
  Rational away;  // |sum - 1|
  mpq_set_ui(away.get(), 1, 1);
  mpq_sub(away.get(), total, away.get());
  const int side = mpq_sgn(away.get());
  mpq_abs(away.get(), away.get());
  Rational near;
  mpq_set_ui(near.get(), 1, 1000000);
  mpf_t approximation;
  mpf_init2(approximation, 128);
  char text[96];
  if (mpq_cmp(away.get(), near.get()) >= 0) {
    mpf_set_q(approximation, total);
    gmp_snprintf(text, sizeof text, "~%.7Fg", approximation);
  } else {
    mpf_set_q(approximation, away.get());
    gmp_snprintf(text, sizeof text, "~1 %c %.2Fe", side > 0 ? '+' : '-', approximation);
  }
  mpf_clear(approximation);
  return text;
}

}  // namespace document
}  // namespace swde
