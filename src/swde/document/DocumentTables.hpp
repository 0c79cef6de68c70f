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
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "swde/platform/SeededHash.hpp"

namespace SWDE_API swde {
namespace document {

constexpr std::size_t kMaxProbes = 32;

// Bytes that live as long as the document, in blocks that never move: 4 KiB first, each twice
// the one before up to 1 MiB, so a small document takes little. Every allocation starts on a
// 4-byte boundary, and has a 32-bit handle as well as its address: its place in pages of 1 MiB
// counted in 4-byte units, a block taking one page or more. So a table may keep an entry in 4
// bytes, and the handles reach 16 GiB of pages; beyond that, allocate() throws
// std::length_error.
class Arena {
 public:
  char* allocate(std::size_t size) {
    std::uint32_t handle = 0;
    return allocate(size, handle);
  }

  char* allocate(std::size_t size, std::uint32_t& handle) {
    size = (size + 3) & ~std::size_t{3};
    if (size > room_) {
      const std::size_t block =
          std::max(next_ == nullptr ? kFirst : std::min(kBlock, 2 * last_), size);
      const std::size_t pages = (block + kBlock - 1) / kBlock;
      if (pages > kMaxPages - pages_.size()) {
        throw std::length_error("the document checks would keep more than 16 GiB");
      }
      blocks_.emplace_back(new char[block]);  // left uninitialised: every byte is written first
      next_ = blocks_.back().get();
      nextHandle_ = static_cast<std::uint32_t>(pages_.size() << kPageShift);
      for (std::size_t page = 0; page < pages; ++page) {
        pages_.push_back(next_ + page * kBlock);
      }
      room_ = block;
      last_ = block;
      bytes_ += block;
    }
    char* start = next_;
    handle = nextHandle_;
    next_ += size;
    nextHandle_ += static_cast<std::uint32_t>(size / 4);
    room_ -= size;
    return start;
  }

  // The address of the allocation whose handle is `handle`.
  const char* at(std::uint32_t handle) const {
    return pages_[handle >> kPageShift] + (std::size_t{handle & kPageMask} << 2);
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
  static constexpr unsigned kPageShift = 18;  // 1 MiB in 4-byte units
  static constexpr std::uint32_t kPageMask = (std::uint32_t{1} << kPageShift) - 1;
  static constexpr std::size_t kMaxPages = std::size_t{1} << (32 - kPageShift);
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<const char*> pages_;  // a block of n MiB takes n pages
  char* next_ = nullptr;
  std::uint32_t nextHandle_ = 0;
  std::size_t room_ = 0;
  std::size_t last_ = 0;  // the size of the newest block
  std::size_t bytes_ = 0;
};

// (tag, text) -> a 32-bit value, the one given when the pair was entered first. Each pair is one
// arena record {tag, value, size, text}; a slot of the table holds 32 bits of its hash and its
// handle in the arena, 8 bytes, and the table is at most 3/4 full. Every enter() of one table
// takes the same arena.
template <typename Hash = SeededHash>
class KeyedTable {
 public:
  struct Entered {
    std::uint32_t value;    // the pair's value
    std::string_view text;  // the pair's text as the table keeps it
    bool added;             // entered now
    std::uint32_t handle;   // the pair's record in the arena (pairOf)
  };

  // Enters (tag, text) with `value` unless it is there already.
  Entered enter(std::uint32_t tag, std::string_view text, std::uint32_t value, Arena& arena) {
    arena_ = &arena;
    if ((inTable_ + 1) * 4 > slots_.size() * 3) {
      grow();
    }
    const auto hash = static_cast<std::uint32_t>(Hash{}(tag, text));
    Probe found = probe(hash, tag, text);
    if (found.match == kEmpty && aside_ != nullptr) {
      const auto it = aside_->find({tag, text});
      found.match = it != aside_->end() ? it->second : kEmpty;
    }
    if (found.match != kEmpty) {
      return entered(found.match, false);
    }
    const std::uint32_t entry = make(tag, text, value, arena);
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
    std::uint32_t entry =
        inTable_ != 0 ? probe(static_cast<std::uint32_t>(Hash{}(tag, text)), tag, text).match
                      : kEmpty;
    if (entry == kEmpty && aside_ != nullptr) {
      const auto it = aside_->find({tag, text});
      entry = it != aside_->end() ? it->second : kEmpty;
    }
    if (entry == kEmpty) {
      return false;
    }
    value = entered(entry, false).value;
    return true;
  }

  // The pair whose text enter() kept at `text` (Entered::text.data()).
  static std::pair<std::uint32_t, std::string_view> pairAt(const char* text) {
    return keyOf(text - kHeader);
  }
  // The pair entered with `handle` (Entered::handle).
  std::pair<std::uint32_t, std::string_view> pairOf(std::uint32_t handle) const {
    return keyOf(arena_->at(handle));
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
  // No record starts there: the last handle of the arena's space is within a record.
  static constexpr std::uint32_t kEmpty = ~std::uint32_t{0};
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t entry = kEmpty;  // an empty slot
  };
  struct Probe {
    std::uint32_t match = kEmpty;  // the pair's record
    std::size_t free = kNone;      // else the empty slot where it would go, when within reach
  };
  using Aside = std::map<std::pair<std::uint32_t, std::string_view>, std::uint32_t>;

  static constexpr std::size_t kHeader = 3 * sizeof(std::uint32_t);

  static std::uint32_t make(std::uint32_t tag, std::string_view text, std::uint32_t value,
                            Arena& arena) {
    const std::uint32_t header[] = {tag, value, static_cast<std::uint32_t>(text.size())};
    std::uint32_t handle = 0;
    char* entry = arena.allocate(kHeader + text.size(), handle);
    std::memcpy(entry, header, kHeader);
    if (!text.empty()) {
      std::memcpy(entry + kHeader, text.data(), text.size());
    }
    return handle;
  }

  static std::pair<std::uint32_t, std::string_view> keyOf(const char* entry) {
    std::uint32_t header[3];
    std::memcpy(header, entry, kHeader);
    return {header[0], std::string_view(entry + kHeader, header[2])};
  }

  Entered entered(std::uint32_t handle, bool added) const {
    const char* entry = arena_->at(handle);
    std::uint32_t value = 0;
    std::memcpy(&value, entry + sizeof(std::uint32_t), sizeof value);
    return Entered{value, keyOf(entry).second, added, handle};
  }

  Probe probe(std::uint32_t hash, std::uint32_t tag, std::string_view text) const {
    Probe probe;
    if (slots_.empty()) {
      return probe;
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    for (std::size_t step = 0; step < kMaxProbes; ++step, i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.entry == kEmpty) {
        probe.free = i;
        return probe;
      }
      if (slot.hash == hash && keyOf(arena_->at(slot.entry)) == std::make_pair(tag, text)) {
        probe.match = slot.entry;
        return probe;
      }
    }
    return probe;
  }

  void keepAside(std::uint32_t entry) {
    if (aside_ == nullptr) {
      aside_ = std::make_unique<Aside>();
    }
    aside_->emplace(keyOf(arena_->at(entry)), entry);
  }

  void grow() {
    // Positions are 32 bits of the hash: the arena's 16 GiB hold fewer than 2^31 records, so the
    // table never passes 2^32 slots.
    std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
    old.swap(slots_);
    inTable_ = 0;
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.entry == kEmpty) {
        continue;
      }
      std::size_t i = slot.hash & mask;
      std::size_t step = 0;
      while (step < kMaxProbes && slots_[i].entry != kEmpty) {
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
  const Arena* arena_ = nullptr;  // of every entry
  std::unique_ptr<Aside> aside_;  // made only when needed
};

// Names (record types, attribute and relation codes) interned once: an index each, the text
// kept in the caller's arena.
// The few names a document uses over and over are found in a small cache first, with no hash:
// a slot by the name's length and two of its bytes, which a name of the same shape evicts.
class NameList {
 public:
  std::uint32_t intern(std::string_view name, Arena& arena) {
    Cached& cached = cache_[slotOf(name)];
    if (cached.used && cached.text.size() == name.size() &&
        std::equal(name.begin(), name.end(), cached.text.begin())) {
      return cached.index;
    }
    const auto entered = names_.enter(0, name, static_cast<std::uint32_t>(list_.size()), arena);
    if (entered.added) {
      list_.push_back(entered.text);
    }
    cached = Cached{entered.text, entered.value, true};
    return entered.value;
  }
  std::string_view text(std::uint32_t index) const { return list_[index]; }

 private:
  struct Cached {
    std::string_view text;  // as the arena keeps it
    std::uint32_t index = 0;
    bool used = false;
  };
  static std::size_t slotOf(std::string_view name) {
    if (name.empty()) {
      return 0;
    }
    return (name.size() * 7 + static_cast<unsigned char>(name.back()) * 31u +
            static_cast<unsigned char>(name[name.size() / 2])) &
           (kCached - 1);
  }
  static constexpr std::size_t kCached = 64;

  KeyedTable<> names_;  // the value: the name's index in list_
  std::vector<std::string_view> list_;
  Cached cache_[kCached];
};

// Records of N 32-bit fields, kept in the order they come and read back in it, or one by its
// index. Packed: a byte says which fields differ from the record before, then each that does
// follows as a varint of its zigzagged difference. Every kStride-th record is packed against
// zeros, so record i is read by unpacking at most kStride. Records of one object share most
// fields, and lines and ordinals grow slowly, so a record of 8 fields takes about a third of its
// 32 bytes. The bytes are in chunks of 64 KiB that never move.
template <std::size_t N>
class PackedRecords {
  static_assert(N >= 1 && N <= 8, "one byte says which fields differ");
  struct Place {
    std::size_t chunk;
    std::size_t offset;
  };

 public:
  using Record = std::array<std::uint32_t, N>;

  void push_back(const Record& record) {
    if (chunks_.empty() || kChunk - used_ < kMaxRecord) {
      chunks_.emplace_back(new std::uint8_t[kChunk]);
      used_ = 0;
    }
    if (count_ % kStride == 0) {
      last_ = Record{};
      marks_.push_back(Place{chunks_.size() - 1, used_});
    }
    std::uint8_t* const start = chunks_.back().get() + used_;
    std::uint8_t* out = start + 1;
    std::uint8_t differ = 0;
    for (std::size_t i = 0; i < N; ++i) {
      if (record[i] != last_[i]) {
        differ = static_cast<std::uint8_t>(differ | 1u << i);
        const std::int64_t d = std::int64_t{record[i]} - std::int64_t{last_[i]};
        std::uint64_t v = static_cast<std::uint64_t>(d) << 1 ^ static_cast<std::uint64_t>(d >> 63);
        for (; v >= 0x80; v >>= 7) {
          *out++ = static_cast<std::uint8_t>(v | 0x80);
        }
        *out++ = static_cast<std::uint8_t>(v);
      }
    }
    *start = differ;
    used_ += static_cast<std::size_t>(out - start);
    last_ = record;
    ++count_;
  }

  std::size_t size() const { return count_; }
  // The bytes held, chunks whole.
  std::size_t bytes() const { return chunks_.size() * kChunk + marks_.capacity() * sizeof(Place); }

  // Reads the records in order, from the first or from any.
  class Reader {
   public:
    Reader(const PackedRecords& records, std::size_t index)
        : records_(&records), index_(index - index % kStride) {
      if (index_ < records.count_) {
        place_ = records.marks_[index_ / kStride];
      }
      for (; index_ < index; ++index_) {
        read();
      }
    }
    // The index of the record next() gives.
    std::size_t index() const { return index_; }
    // REQUIRES: records are left.
    Record next() {
      read();
      ++index_;
      return last_;
    }

   private:
    void read() {
      if (index_ % kStride == 0) {
        last_ = Record{};
      }
      if (kChunk - place_.offset < kMaxRecord) {
        place_ = Place{place_.chunk + 1, 0};
      }
      const std::uint8_t* in = records_->chunks_[place_.chunk].get() + place_.offset;
      const std::uint8_t differ = *in++;
      for (std::size_t i = 0; i < N; ++i) {
        if ((differ >> i & 1) == 0) {
          continue;
        }
        std::uint64_t v = 0;
        for (unsigned shift = 0;; shift += 7) {
          const std::uint8_t byte = *in++;
          v |= std::uint64_t{byte & 0x7Fu} << shift;
          if (byte < 0x80) {
            break;
          }
        }
        const auto d = static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
        last_[i] = static_cast<std::uint32_t>(std::int64_t{last_[i]} + d);
      }
      place_.offset = static_cast<std::size_t>(in - records_->chunks_[place_.chunk].get());
    }

    const PackedRecords* records_;
    std::size_t index_;
    Place place_{};
    Record last_{};
  };

  Reader from(std::size_t index) const { return Reader(*this, index); }
  Record operator[](std::size_t index) const { return from(index).next(); }

 private:
  static constexpr std::size_t kStride = 32;
  static constexpr std::size_t kChunk = std::size_t{1} << 16;
  static constexpr std::size_t kMaxRecord = 1 + 5 * N;  // a difference takes at most 5 bytes

  std::vector<std::unique_ptr<std::uint8_t[]>> chunks_;
  std::vector<Place> marks_;  // where each kStride-th record starts
  std::size_t used_ = 0;      // of the last chunk
  std::size_t count_ = 0;
  Record last_{};
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
