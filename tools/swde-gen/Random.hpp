// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_BENCH_GEN_RANDOM_HPP_
#define SWDE_BENCH_GEN_RANDOM_HPP_

#include <cstddef>
#include <cstdint>

namespace swde::gen {

// xoshiro256** seeded through splitmix64. The standard distributions are left alone on purpose:
// their results may differ between standard libraries, and a seed must give the same document
// everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) {
    for (std::uint64_t& word : state_) {
      seed += 0x9E3779B97F4A7C15u;
      std::uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
      word = z ^ (z >> 31);
    }
  }

  std::uint64_t next() {
    const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
  }

  // A number in [0, n). REQUIRES: n > 0. The modulo bias is below 2^-40 for the small n used.
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
  // A number in [low, high]. REQUIRES: low <= high.
  int between(int low, int high) {
    return low + static_cast<int>(below(static_cast<std::size_t>(high - low) + 1));
  }
  // A number in [0, 1) with 53 random bits.
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  // True with probability p.
  bool chance(double p) { return unit() < p; }

 private:
  static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

  std::uint64_t state_[4];
};

}  // namespace swde::gen

#endif  // SWDE_BENCH_GEN_RANDOM_HPP_
