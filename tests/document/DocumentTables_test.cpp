// swde — semantic checks of SWDE cadastral exchange objects.
//
// The tables of the document checks and the schema's name index against the worst a document can
// do to them: keys, ids and names that all share one hash cost a bounded walk each, never a walk
// over all of them; with the keyed hash, ordinary contents stay in the table, within the bytes
// per entry docs/performance.md gives. And a schema set a host took a section from.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "swde/document/DocumentTables.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/metadata/NameIndex.hpp"

namespace {

using swde::document::Arena;
using swde::document::IdSet;
using swde::document::KeyedTable;

// Every key, id and name on one hash.
struct OneHash {
  std::uint64_t operator()(std::uint64_t, std::string_view) const noexcept { return 42; }
  std::uint64_t operator()(std::uint64_t) const noexcept { return 42; }
  std::uint64_t operator()(std::string_view) const noexcept { return 42; }
};

double Seconds(std::clock_t since) {
  return double(std::clock() - since) / CLOCKS_PER_SEC;
}

// 100,000 (record type, key) pairs of three types entered twice: the first value stays, every
// pair is found under its own type only.
template <typename Hash>
void EnterKeys(KeyedTable<Hash>& table, Arena& arena) {
  for (std::uint32_t pass = 0; pass < 2; ++pass) {
    for (std::uint32_t i = 0; i < 100000; ++i) {
      const auto entered = table.enter(i % 3, "K" + std::to_string(i), i + pass, arena);
      ASSERT_EQ(entered.added, pass == 0) << i;
      ASSERT_EQ(entered.value, i);
      ASSERT_EQ(entered.text, "K" + std::to_string(i));
    }
  }
  for (std::uint32_t i = 0; i < 100000; ++i) {
    std::uint32_t value = 0;
    ASSERT_TRUE(table.lookup(i % 3, "K" + std::to_string(i), value) && value == i) << i;
    ASSERT_FALSE(table.contains((i + 1) % 3, "K" + std::to_string(i))) << i;
  }
  EXPECT_FALSE(table.contains(0, "K-1"));
  EXPECT_EQ(table.size(), 100000u);
}

// 100,000 ids of three record types, scattered over the whole 32-bit range, entered twice.
template <typename Hash>
void EnterIds(IdSet<Hash>& ids) {
  for (int pass = 0; pass < 2; ++pass) {
    for (std::uint32_t i = 0; i < 100000; ++i) {
      ids.insert(i % 3, i * 42949u);
    }
  }
  for (std::uint32_t i = 0; i < 100000; ++i) {
    ASSERT_TRUE(ids.contains(i % 3, i * 42949u)) << i;
    ASSERT_FALSE(ids.contains((i + 1) % 3, i * 42949u)) << i;
    ASSERT_FALSE(ids.contains(i % 3, i * 42949u + 1)) << i;
  }
}

TEST(DocumentTablesHostile, CollidingKeysAndIdsStayCheap) {
  const std::clock_t start = std::clock();
  Arena arena;
  KeyedTable<OneHash> keys;
  EnterKeys(keys, arena);
  EXPECT_GT(keys.aside(), 99000u);  // beside the table, in an ordered map
  IdSet<OneHash> ids;
  EnterIds(ids);
  EXPECT_GT(ids.aside(), 99000u);
  EXPECT_LT(Seconds(start), 20.0);  // a walk over all of them would take minutes
}

TEST(DocumentTables, OrdinaryContentsStayInTheTable) {
  Arena arena;
  KeyedTable<> keys;
  EnterKeys(keys, arena);
  EXPECT_LE(keys.aside(), 100u);          // a probe of more than 32 slots is rare, not impossible
  EXPECT_LE(keys.bytes(), 22u * 100000);  // slots: 8 bytes, at least 3/8 full
  IdSet<> scattered;
  EnterIds(scattered);
  EXPECT_LE(scattered.aside(), 100u);
  EXPECT_EQ(scattered.words(), 100000u);
  EXPECT_LE(scattered.bytes(), 43u * 100000);
  // The ids most documents have: the objects' ordinals, of one record type or of five in turn.
  for (const std::uint32_t types : {1u, 5u}) {
    IdSet<> ordinals;
    for (std::uint32_t id = 1; id <= 300000; ++id) {
      ordinals.insert(id % types, id);
    }
    EXPECT_TRUE(ordinals.contains(299999 % types, 299999));
    EXPECT_FALSE(ordinals.contains(300001 % types, 300001));
    EXPECT_LE(ordinals.bytes(), types == 1 ? 300000u : 4 * 300000u);  // 1 or 4 bytes an id
  }
}

// Packed records read back as they were written, in order and one by one: fields that stay,
// step by one, jump across the whole 32-bit range or to its ends, over strides and chunks.
TEST(PackedRecords, ReadBackExactlyInOrderAndByIndex) {
  using Records = swde::document::PackedRecords<3>;
  Records records;
  std::vector<Records::Record> written;
  for (std::uint32_t i = 0; i < 40000; ++i) {  // about 4 chunks of 64 KiB
    const std::uint32_t jump = (i % 7 == 0) ? 0xFFFFFFFFu : (i % 7 == 1) ? 0 : i * 2654435761u;
    written.push_back({i / 3, jump, i % 5 == 0 ? 0x80000000u : 7});
    records.push_back(written.back());
  }
  ASSERT_EQ(records.size(), written.size());
  EXPECT_LT(records.bytes(), 11u * written.size());  // 13 bytes at most, far less in a run
  auto reader = records.from(0);
  for (std::size_t i = 0; i < written.size(); ++i) {
    ASSERT_EQ(reader.index(), i);
    ASSERT_EQ(reader.next(), written[i]) << i;
  }
  for (const std::size_t i : {0u, 31u, 32u, 33u, 5041u, 39999u}) {
    EXPECT_EQ(records[i], written[i]) << i;
    EXPECT_EQ(records.from(i).next(), written[i]) << i;
  }
}

// An arena's handles name what it allocated, in small blocks and in one of several MiB.
TEST(Arena, HandlesNameTheirAllocations) {
  Arena arena;
  std::vector<std::pair<std::uint32_t, const char*>> made;
  for (const std::size_t size : {1u, 4u, 4000u, 300000u, 3000000u, 12u, 700000u, 5u}) {
    std::uint32_t handle = 0;
    made.emplace_back(0, arena.allocate(size, handle));
    made.back().first = handle;
  }
  for (const auto& [handle, at] : made) {
    EXPECT_EQ(arena.at(handle), at);
  }
  EXPECT_EQ(arena.at(made[4].first + 500000), made[4].second + 2000000);  // the big block's 2nd MiB
}

// 100,000 names that collide completely cost a bounded walk each, not a walk over all of them
// (which takes minutes); the first item under a name keeps it, as in the table itself. The bound
// is on this process's CPU time, generous enough for a sanitized build on a busy machine.
TEST(NameIndexHostile, CollidingNamesStayCheap) {
  std::vector<int> items(100000);
  const std::clock_t start = std::clock();
  swde::NameIndex<int, OneHash> index;
  for (std::size_t pass = 0; pass < 2; ++pass) {  // the second adds every name again
    for (std::size_t i = 0; i < items.size(); ++i) {
      index.insert("G5" + std::to_string(i), &items[(i + pass) % items.size()]);
    }
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    ASSERT_EQ(index.find("G5" + std::to_string(i)), &items[i]) << i;
  }
  EXPECT_EQ(index.find("G5-1"), nullptr);
  EXPECT_LT(double(std::clock() - start) / CLOCKS_PER_SEC, 20.0);
}

// A host may remove a section of a set; the set then defines nothing there.
TEST(MetadataWithoutASection, IsEmptyAndCopies) {
  swde::Metadata set;
  set.typesSection->addType("G5DZE", "RO");
  delete set.attribsSection;
  set.attribsSection = nullptr;
  EXPECT_FALSE(set.empty());
  EXPECT_EQ(set.clone()->typesSection->size(), 1u);
  EXPECT_EQ(set.clone()->attribsSection->size(), 0u);
  delete set.typesSection;
  set.typesSection = nullptr;
  EXPECT_TRUE(set.empty());
  EXPECT_TRUE(set.clone()->empty());
}

}  // namespace
