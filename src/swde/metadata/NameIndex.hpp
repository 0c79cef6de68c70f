// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_METADATA_NAMEINDEX_HPP_
#define SWDE_METADATA_NAMEINDEX_HPP_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "swde/platform/AnsiString.hpp"
#include "swde/platform/SeededHash.hpp"

namespace SWDE_API swde {

// The index hashes names with the keyed hash of every table a document's contents key.
using SeededNameHash = SeededHash;

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
