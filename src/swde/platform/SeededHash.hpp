// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_PLATFORM_SEEDEDHASH_HPP_
#define SWDE_PLATFORM_SEEDEDHASH_HPP_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string_view>

#include "swde/platform/Api.hpp"

namespace SWDE_API swde {

// SipHash-1-3 under a key drawn at random once per process. Every table keyed by what a document
// holds (names, key values, object ids) hashes with it: an unkeyed hash would let a document
// choose keys that all land in one place of a table and make every lookup walk all of them.
struct SeededHash {
  // The hash of a byte string.
  std::uint64_t operator()(std::string_view bytes) const noexcept {
    State state;
    return state.finish(bytes);
  }
  // The hash of a number and a byte string together (a record type and a key value, say).
  std::uint64_t operator()(std::uint64_t tag, std::string_view bytes) const noexcept {
    State state;
    state.absorb(tag);
    return state.finish(bytes);
  }
  // The hash of a number.
  std::uint64_t operator()(std::uint64_t value) const noexcept {
    return (*this)(value, std::string_view());
  }

 private:
  struct Key {
    std::uint64_t k0;
    std::uint64_t k1;
  };

  static const Key& processKey() {
    static const Key key = []() -> Key {
      try {
        std::random_device device;
        const auto draw = [&device] {
          return (std::uint64_t{device()} << 32) ^ std::uint64_t{device()};
        };
        const std::uint64_t k0 = draw();
        return Key{k0, draw()};
      } catch (...) {
        // No entropy source: the clock and where the key lives still differ from run to run.
        const auto now = static_cast<std::uint64_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count());
        return Key{now, reinterpret_cast<std::uintptr_t>(&now) * 0x9E3779B97F4A7C15ull};
      }
    }();
    return key;
  }

  static std::uint64_t rotate(std::uint64_t x, int bits) {
    return (x << bits) | (x >> (64 - bits));
  }

  // Up to 8 bytes as a little-endian number.
  static std::uint64_t load(const char* bytes, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
      value |= std::uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    }
    return value;
  }

  struct State {
    std::uint64_t v0 = processKey().k0 ^ 0x736f6d6570736575ull;
    std::uint64_t v1 = processKey().k1 ^ 0x646f72616e646f6dull;
    std::uint64_t v2 = processKey().k0 ^ 0x6c7967656e657261ull;
    std::uint64_t v3 = processKey().k1 ^ 0x7465646279746573ull;

    void round() {
      v0 += v1;
      v1 = rotate(v1, 13) ^ v0;
      v0 = rotate(v0, 32);
      v2 += v3;
      v3 = rotate(v3, 16) ^ v2;
      v0 += v3;
      v3 = rotate(v3, 21) ^ v0;
      v2 += v1;
      v1 = rotate(v1, 17) ^ v2;
      v2 = rotate(v2, 32);
    }

    void absorb(std::uint64_t word) {
      v3 ^= word;
      round();
      v0 ^= word;
    }

    std::uint64_t finish(std::string_view bytes) {
      const std::size_t whole = bytes.size() & ~std::size_t{7};
      for (std::size_t at = 0; at < whole; at += 8) {
        absorb(load(bytes.data() + at, 8));
      }
      absorb(load(bytes.data() + whole, bytes.size() - whole) |
             (std::uint64_t{bytes.size() & 0xFF} << 56));
      v2 ^= 0xFF;
      round();
      round();
      round();
      return v0 ^ v1 ^ v2 ^ v3;
    }
  };
};

}  // namespace swde

#endif  // SWDE_PLATFORM_SEEDEDHASH_HPP_
