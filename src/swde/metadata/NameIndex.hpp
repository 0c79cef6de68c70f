// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_METADATA_NAMEINDEX_HPP_
#define SWDE_METADATA_NAMEINDEX_HPP_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// An exact-match index from byte strings to borrowed pointers: open addressing with linear
// probing over a power-of-two table, FNV-1a hashes. The first item added under a key keeps it.
// Built for the metadata's short names and codes, which are looked up many times per object.
template <typename T>
class NameIndex {
 public:
  // Indexes `item` under `key` unless the key is taken already.
  void insert(const AnsiString& key, T* item) {
    if ((count_ + 1) * 4 > slots_.size() * 3) {
      grow();
    }
    const std::uint64_t hash = hashOf(key);
    std::size_t i = static_cast<std::size_t>(hash) & mask();
    for (; slots_[i].item != nullptr; i = (i + 1) & mask()) {
      if (slots_[i].hash == hash && slots_[i].key == key) {
        return;
      }
    }
    slots_[i] = Slot{hash, key, item};
    ++count_;
  }

  // The item indexed under `key`, or null.
  T* find(std::string_view key) const {
    if (count_ == 0) {
      return nullptr;
    }
    const std::uint64_t hash = hashOf(key);
    for (std::size_t i = static_cast<std::size_t>(hash) & mask(); slots_[i].item != nullptr;
         i = (i + 1) & mask()) {
      if (slots_[i].hash == hash && slots_[i].key == key) {
        return slots_[i].item;
      }
    }
    return nullptr;
  }

 private:
  struct Slot {
    std::uint64_t hash = 0;
    AnsiString key;
    T* item = nullptr;
  };

  static std::uint64_t hashOf(std::string_view key) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : key) {
      hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash ^ (hash >> 29);
  }

  std::size_t mask() const { return slots_.size() - 1; }

  void grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.resize(old.empty() ? 4 : old.size() * 2);
    for (Slot& slot : old) {
      if (slot.item != nullptr) {
        std::size_t i = static_cast<std::size_t>(slot.hash) & mask();
        while (slots_[i].item != nullptr) {
          i = (i + 1) & mask();
        }
        slots_[i] = std::move(slot);
      }
    }
  }

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

}  // namespace swde

#endif  // SWDE_METADATA_NAMEINDEX_HPP_
