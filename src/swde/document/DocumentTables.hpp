// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_DOCUMENT_DOCUMENTTABLES_HPP_
#define SWDE_DOCUMENT_DOCUMENTTABLES_HPP_

// The tables of the document-level checks. Internal to the library.
//
// Everything they hold comes from the document under check: names, key values, object ids. So
// they are sized by how many entries there are, never by an entry's value, and hash with the
// keyed SeededHash (a test may put a hash of its own in its place). A probe never walks more
// than kMaxProbes slots: an entry that would go further makes the table grow while it is more
// than half full, and is kept in an ordered set beside the table once it is not (entries that
// share one hash end up there), so no lookup walks over all the entries, whatever they are.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "swde/platform/SeededHash.hpp"

namespace SWDE_API swde {
namespace document {

constexpr std::size_t kMaxProbes = 32;

// Bytes that live as long as the document, in blocks that never move: 4 KiB first, each twice
// the one before up to 1 MiB, so a small document takes little. Every allocation starts on a
// 4-byte boundary.
class Arena {
 public:
  char* allocate(std::size_t size) {
    size = (size + 3) & ~std::size_t{3};
    if (size > room_) {
      const std::size_t block =
          std::max(next_ == nullptr ? kFirst : std::min(kBlock, 2 * last_), size);
      blocks_.emplace_back(new char[block]);  // left uninitialised: every byte is written first
      next_ = blocks_.back().get();
      room_ = block;
      last_ = block;
      bytes_ += block;
    }
    char* start = next_;
    next_ += size;
    room_ -= size;
    return start;
  }

  std::string_view keep(std::string_view text) {
    if (text.empty()) {
      return {};
    }
    char* start = allocate(text.size());
    std::memcpy(start, text.data(), text.size());
    return std::string_view(start, text.size());
  }

  // The bytes held, blocks whole.
  std::size_t bytes() const { return bytes_; }

 private:
  static constexpr std::size_t kFirst = std::size_t{1} << 12;
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t room_ = 0;
  std::size_t last_ = 0;  // the size of the newest block
  std::size_t bytes_ = 0;
};

// (tag, text) -> a 32-bit value, the one given when the pair was entered first. Each pair is one
// arena record {tag, value, size, text}; a slot of the table holds its hash and address, 16
// bytes, and the table is at most 3/4 full.
template <typename Hash = SeededHash>
class KeyedTable {
 public:
  struct Entered {
    std::uint32_t value;    // the pair's value
    std::string_view text;  // the pair's text as the table keeps it
    bool added;             // entered now
  };

  // Enters (tag, text) with `value` unless it is there already.
  Entered enter(std::uint32_t tag, std::string_view text, std::uint32_t value, Arena& arena) {
    if ((inTable_ + 1) * 4 > slots_.size() * 3) {
      grow();
    }
    const std::uint64_t hash = Hash{}(tag, text);
    Probe found = probe(hash, tag, text);
    if (found.match == nullptr && aside_ != nullptr) {
      const auto it = aside_->find({tag, text});
      found.match = it != aside_->end() ? it->second : nullptr;
    }
    if (found.match != nullptr) {
      return entered(found.match, false);
    }
    const char* entry = make(tag, text, value, arena);
    while (found.free == kNone) {
      if (inTable_ * 2 <= slots_.size()) {
        keepAside(entry);
        return entered(entry, true);
      }
      grow();
      found = probe(hash, tag, text);
    }
    slots_[found.free] = Slot{hash, entry};
    ++inTable_;
    return entered(entry, true);
  }

  // True when (tag, text) is in the table, with its value in `value`.
  bool lookup(std::uint32_t tag, std::string_view text, std::uint32_t& value) const {
    const char* entry = inTable_ != 0 ? probe(Hash{}(tag, text), tag, text).match : nullptr;
    if (entry == nullptr && aside_ != nullptr) {
      const auto it = aside_->find({tag, text});
      entry = it != aside_->end() ? it->second : nullptr;
    }
    if (entry == nullptr) {
      return false;
    }
    value = entered(entry, false).value;
    return true;
  }

  // The pair whose text enter() kept at `text` (Entered::text.data()).
  static std::pair<std::uint32_t, std::string_view> pairAt(const char* text) {
    return keyOf(text - kHeader);
  }

  bool contains(std::uint32_t tag, std::string_view text) const {
    std::uint32_t value = 0;
    return lookup(tag, text, value);
  }

  std::size_t size() const { return inTable_ + (aside_ != nullptr ? aside_->size() : 0); }
  // Entries beside the table (for tests).
  std::size_t aside() const { return aside_ != nullptr ? aside_->size() : 0; }
  // The bytes of the slots.
  std::size_t bytes() const { return slots_.size() * sizeof(Slot); }

 private:
  static constexpr std::size_t kNone = ~std::size_t{0};
  struct Slot {
    std::uint64_t hash = 0;
    const char* entry = nullptr;  // null: an empty slot
  };
  struct Probe {
    const char* match = nullptr;  // the pair's record
    std::size_t free = kNone;     // else the empty slot where it would go, when within reach
  };
  using Aside = std::map<std::pair<std::uint32_t, std::string_view>, const char*>;

  static constexpr std::size_t kHeader = 3 * sizeof(std::uint32_t);

  static const char* make(std::uint32_t tag, std::string_view text, std::uint32_t value,
                          Arena& arena) {
    const std::uint32_t header[] = {tag, value, static_cast<std::uint32_t>(text.size())};
    char* entry = arena.allocate(kHeader + text.size());
    std::memcpy(entry, header, kHeader);
    if (!text.empty()) {
      std::memcpy(entry + kHeader, text.data(), text.size());
    }
    return entry;
  }

  static std::pair<std::uint32_t, std::string_view> keyOf(const char* entry) {
    std::uint32_t header[3];
    std::memcpy(header, entry, kHeader);
    return {header[0], std::string_view(entry + kHeader, header[2])};
  }

  static Entered entered(const char* entry, bool added) {
    std::uint32_t value = 0;
    std::memcpy(&value, entry + sizeof(std::uint32_t), sizeof value);
    return Entered{value, keyOf(entry).second, added};
  }

  Probe probe(std::uint64_t hash, std::uint32_t tag, std::string_view text) const {
    Probe probe;
    if (slots_.empty()) {
      return probe;
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = static_cast<std::size_t>(hash) & mask;
    for (std::size_t step = 0; step < kMaxProbes; ++step, i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.entry == nullptr) {
        probe.free = i;
        return probe;
      }
      if (slot.hash == hash && keyOf(slot.entry) == std::make_pair(tag, text)) {
        probe.match = slot.entry;
        return probe;
      }
    }
    return probe;
  }

  void keepAside(const char* entry) {
    if (aside_ == nullptr) {
      aside_ = std::make_unique<Aside>();
    }
    aside_->emplace(keyOf(entry), entry);
  }

  void grow() {
    std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
    old.swap(slots_);
    inTable_ = 0;
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.entry == nullptr) {
        continue;
      }
      std::size_t i = static_cast<std::size_t>(slot.hash) & mask;
      std::size_t step = 0;
      while (step < kMaxProbes && slots_[i].entry != nullptr) {
        ++step;
        i = (i + 1) & mask;
      }
      if (step < kMaxProbes) {
        slots_[i] = slot;
        ++inTable_;
      } else {
        keepAside(slot.entry);
      }
    }
  }

  std::vector<Slot> slots_;
  std::size_t inTable_ = 0;
  std::unique_ptr<Aside> aside_;  // made only when needed
};

// Names (record types, attribute and relation codes) interned once: an index each, the text
// kept in the caller's arena.
class NameList {
 public:
  std::uint32_t intern(std::string_view name, Arena& arena) {
    const auto entered = names_.enter(0, name, static_cast<std::uint32_t>(list_.size()), arena);
    if (entered.added) {
      list_.push_back(entered.text);
    }
    return entered.value;
  }
  std::string_view text(std::uint32_t index) const { return list_[index]; }

 private:
  KeyedTable<> names_;  // the value: the name's index in list_
  std::vector<std::string_view> list_;
};

// (record type, object id) pairs, kept as words of 64 ids: a slot holds a word's number
// (type << 26 | id >> 6) and its 64 bits, 16 bytes, and the table is at most 3/4 full. Ids that
// come in runs, as the ordinals most documents give their objects, cost a fraction of a byte
// each; scattered ids (any value, any number of record types) 16 to 43 bytes each.
template <typename Hash = SeededHash>
class IdSet {
 public:
  void insert(std::uint32_t type, std::uint32_t id) {
    const std::uint64_t word = wordOf(type, id);
    const std::uint64_t bit = std::uint64_t{1} << (id & 63);
    if (std::uint64_t* bits = find(word)) {
      *bits |= bit;
      return;
    }
    if ((inTable_ + 1) * 4 > slots_.size() * 3) {
      grow();
    }
    const std::uint64_t hash = Hash{}(word);
    std::size_t at = probe(hash, word);
    while (at == kNone) {
      if (inTable_ * 2 <= slots_.size()) {
        keepAside(word, bit);
        return;
      }
      grow();
      at = probe(hash, word);
    }
    slots_[at] = Slot{word, bit};
    ++inTable_;
  }

  bool contains(std::uint32_t type, std::uint32_t id) const {
    const std::uint64_t word = wordOf(type, id);
    std::uint64_t bits = 0;
    if (inTable_ != 0) {
      const std::size_t at = probe(Hash{}(word), word);
      if (at != kNone && slots_[at].word == word) {
        bits = slots_[at].bits;
      }
    }
    if (bits == 0 && aside_ != nullptr) {
      const auto it = aside_->find(word);
      bits = it != aside_->end() ? it->second : 0;
    }
    return (bits >> (id & 63) & 1) != 0;
  }

  // Words in the table and beside it.
  std::size_t words() const { return inTable_ + (aside_ != nullptr ? aside_->size() : 0); }
  std::size_t aside() const { return aside_ != nullptr ? aside_->size() : 0; }
  std::size_t bytes() const { return slots_.size() * sizeof(Slot); }

 private:
  static constexpr std::size_t kNone = ~std::size_t{0};
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};  // no type reaches 2^38
  struct Slot {
    std::uint64_t word = kEmpty;
    std::uint64_t bits = 0;
  };

  static std::uint64_t wordOf(std::uint32_t type, std::uint32_t id) {
    return std::uint64_t{type} << 26 | id >> 6;
  }

  // The bits of `word`, or null.
  std::uint64_t* find(std::uint64_t word) {
    if (inTable_ != 0) {
      const std::size_t at = probe(Hash{}(word), word);
      if (at != kNone && slots_[at].word == word) {
        return &slots_[at].bits;
      }
    }
    if (aside_ != nullptr) {
      const auto it = aside_->find(word);
      if (it != aside_->end()) {
        return &it->second;
      }
    }
    return nullptr;
  }

  // The slot holding `word`, or the empty slot where it would go; kNone when neither is within
  // reach.
  std::size_t probe(std::uint64_t hash, std::uint64_t word) const {
    if (slots_.empty()) {
      return kNone;
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = static_cast<std::size_t>(hash) & mask;
    for (std::size_t step = 0; step < kMaxProbes; ++step, i = (i + 1) & mask) {
      if (slots_[i].word == word || slots_[i].word == kEmpty) {
        return i;
      }
    }
    return kNone;
  }

  void keepAside(std::uint64_t word, std::uint64_t bits) {
    if (aside_ == nullptr) {
      aside_ = std::make_unique<std::map<std::uint64_t, std::uint64_t>>();
    }
    (*aside_)[word] |= bits;
  }

  void grow() {
    std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
    old.swap(slots_);
    inTable_ = 0;
    for (const Slot& slot : old) {
      if (slot.word == kEmpty) {
        continue;
      }
      const std::size_t at = probe(Hash{}(slot.word), slot.word);
      if (at != kNone) {
        slots_[at] = slot;
        ++inTable_;
      } else {
        keepAside(slot.word, slot.bits);
      }
    }
  }

  std::vector<Slot> slots_;
  std::size_t inTable_ = 0;
  std::unique_ptr<std::map<std::uint64_t, std::uint64_t>> aside_;
};

}  // namespace document
}  // namespace swde

#endif  // SWDE_DOCUMENT_DOCUMENTTABLES_HPP_
