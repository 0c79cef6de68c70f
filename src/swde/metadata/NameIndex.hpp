// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_METADATA_NAMEINDEX_HPP_
#define SWDE_METADATA_NAMEINDEX_HPP_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string_view>
#include <vector>

#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// SipHash-1-3 of a name under a key drawn at random once per process. The names come from the
// documents under check, so an unkeyed hash would let a document choose names that all land in
// one place of the index and make every lookup walk all of them.
struct SeededNameHash {
  std::uint64_t operator()(std::string_view name) const noexcept {
    const Key& key = processKey();
    std::uint64_t v0 = key.k0 ^ 0x736f6d6570736575ull;
    std::uint64_t v1 = key.k1 ^ 0x646f72616e646f6dull;
    std::uint64_t v2 = key.k0 ^ 0x6c7967656e657261ull;
    std::uint64_t v3 = key.k1 ^ 0x7465646279746573ull;
    const auto round = [&] {
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
    };
    const std::size_t whole = name.size() & ~std::size_t{7};
    for (std::size_t at = 0; at < whole; at += 8) {
      const std::uint64_t word = load(name.data() + at, 8);
      v3 ^= word;
      round();
      v0 ^= word;
    }
    const std::uint64_t last =
        load(name.data() + whole, name.size() - whole) | (std::uint64_t{name.size() & 0xFF} << 56);
    v3 ^= last;
    round();
    v0 ^= last;
    v2 ^= 0xFF;
    round();
    round();
    round();
    return v0 ^ v1 ^ v2 ^ v3;
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
};

// An exact-match index from byte strings to borrowed pointers: open addressing with linear
// probing over a power-of-two table at most half full, keyed hashes. The first item added under
// a key keeps it. Built for the metadata's short names and codes, which are looked up many times
// per object. A probe never walks more than kMaxProbes slots: a key that would go further makes
// the table grow while it is more than a quarter full, and is kept in an ordered map beside the
// table once it is not (which takes names that share one hash), so no lookup walks over all the
// names.
template <typename T, typename Hash = SeededNameHash>
class NameIndex {
 public:
  static constexpr std::size_t kMaxProbes = 32;

  // Indexes `item` under `key` unless the key is taken already.
  void insert(const AnsiString& key, T* item) {
    if ((inTable_ + 1) * 2 > slots_.size()) {
      grow();
    }
    const std::uint64_t hash = Hash{}(key);
    while (!place(hash, key, item)) {
      if (inTable_ * 4 <= slots_.size()) {
        keepAside(key, item);
        return;
      }
      grow();
    }
  }

  // The item indexed under `key`, or null.
  T* find(std::string_view key) const {
    if (inTable_ == 0 && !overflow_) {
      return nullptr;
    }
    if (inTable_ > 0) {
      const std::uint64_t hash = Hash{}(key);
      std::size_t i = static_cast<std::size_t>(hash) & mask();
      for (std::size_t probe = 0; probe < kMaxProbes && slots_[i].item != nullptr;
           ++probe, i = (i + 1) & mask()) {
        if (slots_[i].hash == hash && slots_[i].key == key) {
          return slots_[i].item;
        }
      }
    }
    if (!overflow_) {
      return nullptr;
    }
    const auto it = overflow_->find(key);
    return it == overflow_->end() ? nullptr : it->second;
  }

 private:
  struct Slot {
    std::uint64_t hash = 0;
    AnsiString key;
    T* item = nullptr;
  };

  std::size_t mask() const { return slots_.size() - 1; }

  // False when the key would lie beyond kMaxProbes slots; true when it is indexed (or was).
  bool place(std::uint64_t hash, const AnsiString& key, T* item) {
    std::size_t i = static_cast<std::size_t>(hash) & mask();
    for (std::size_t probe = 0; probe < kMaxProbes; ++probe, i = (i + 1) & mask()) {
      Slot& slot = slots_[i];
      if (slot.item == nullptr) {
        if (!overflow_ || overflow_->count(key) == 0) {
          slot = Slot{hash, key, item};
          ++inTable_;
        }
        return true;
      }
      if (slot.hash == hash && slot.key == key) {
        return true;
      }
    }
    return false;
  }

  // Keeps `item` under `key` beside the table, unless the key is there already.
  void keepAside(const AnsiString& key, T* item) {
    if (!overflow_) {
      overflow_ = std::make_unique<std::map<AnsiString, T*, std::less<>>>();
    }
    overflow_->emplace(key, item);
  }

  void grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.resize(old.empty() ? 8 : old.size() * 2);
    inTable_ = 0;
    for (Slot& slot : old) {
      if (slot.item != nullptr && !place(slot.hash, slot.key, slot.item)) {
        keepAside(slot.key, slot.item);
      }
    }
  }

  std::vector<Slot> slots_;
  std::size_t inTable_ = 0;
  // Made only when needed: most indexes never use it, and a metadata set holds many indexes.
  std::unique_ptr<std::map<AnsiString, T*, std::less<>>> overflow_;
};

}  // namespace swde

#endif  // SWDE_METADATA_NAMEINDEX_HPP_
