// swde — semantic checks of SWDE cadastral exchange objects.
//
// Fill-and-check of a typical parcel object (15 attributes, 5 relations) against an annex of 25
// record types, the way a host does it for every object of a file. Reports the time per object
// and, through a counting operator new, the heap allocations per object.
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "swde/swde.hpp"

namespace {

std::atomic<std::uint64_t> gAllocations{0};

}  // namespace

void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

using swde::AnsiString;

const char* const kTypes[] = {"G5ADR", "G5BUD", "G5DOK", "G5DZE", "G5DZW", "G5GRN", "G5INS",
                              "G5JDR", "G5JEW", "G5JRZ", "G5KKL", "G5KLU", "G5LKL", "G5MLZ",
                              "G5OBR", "G5OSF", "G5OSZ", "G5PDZ", "G5PZG", "G5RST", "G5UDD",
                              "G5UDW", "G5UDZ", "G5UZG", "G5ZMN"};

struct Attr {
  const char* code;
  const char* baseType;
  const char* value;
};

// The parcel's attributes: a realistic mix of base types and one value set.
const Attr kParcel[] = {
    {"G5IDD", "TX", "146518_8.0503.AR_1.27/3"},
    {"G5NOS", "TX", "KW 12345"},
    {"G5WRT", "FL", "125000.50"},
    {"G5DWR", "DN", "2004.05.11"},
    {"G5PEW", "FL", "1234.5"},
    {"G5RZN", "NO", "3"},
    {"G5DWW", "DN", "2003.01.02"},
    {"G5NKW", "TX", "WA1M/00012345/6"},
    {"G5OFU", "TX", "R"},
    {"G5OZU", "TX", "RIIIa"},
    {"G5OZK", "TX", "IIIa"},
    {"G5PWL", "LN", "1"},
    {"G5UD", "UL", "1/2"},
    {"G5DTU", "DH", "2005.03.01-10:00:00"},
    {"G5DTW", "DN", "2005.03.02"},
};

const char* const kRelations[][2] = {
    {"G5RADR", "G5ADR"}, {"G5RJDR", "G5JDR"}, {"G5RKRG", "G5KKL"},
    {"G5RPOD", "G5OSF"}, {"G5RDOK", "G5DOK"},
};

std::unique_ptr<swde::Metadata> buildAnnex() {
  auto annex = std::make_unique<swde::Metadata>();
  for (const Attr& a : kParcel) {
    annex->attribsSection->addAttribute(a.code, a.baseType);
  }
  for (int extra = 0; extra < 60; ++extra) {
    annex->attribsSection->addAttribute("G5X" + std::to_string(extra), "TX");
  }
  for (const char* name : kTypes) {
    swde::RecordType* type = annex->typesSection->addType(name, "RO");
    if (std::string(name) == "G5DZE") {
      for (const Attr& a : kParcel) {
        swde::AttributeDef* def = type->addAttribute(a.code, a.code, 1);
        if (std::string(a.code) == "G5OFU") {
          for (const char* v : {"R", "S", "Ps", "B", "Ba", "dr", "W", "N"}) {
            def->addPossibleValue(v);
          }
        }
      }
      for (const auto& r : kRelations) {
        type->addReference(r[0], r[0], 1)->addRefTypeName(r[1]);
      }
    } else {
      for (int i = 0; i < 12; ++i) {
        type->addAttribute("G5X" + std::to_string(i), "G5X" + std::to_string(i), i % 3);
      }
      type->addAttribute("G5DTU", "G5DTU", 1);
      type->addAttribute("G5DTW", "G5DTW", 1);
      type->addReference("G5RX", "G5RX", 0)->addRefTypeName("G5DZE");
    }
  }
  return annex;
}

void BM_FillAndCheckParcel(benchmark::State& state) {
  swde::Initialize();
  const std::unique_ptr<swde::Metadata> annex = buildAnnex();
  swde::Metadata file;
  swde::smObjectFactory factory;
  const AnsiString parcel = "G5DZE";
  const AnsiString empty;
  std::uint64_t objects = 0;
  const std::uint64_t allocationsBefore = gAllocations.load();
  for (auto _ : state) {
    std::unique_ptr<swde::smObject> object(factory.createObject(parcel));
    object->line = 100;
    object->id = 1;
    object->baseType = "RO";
    object->status = "00";
    std::uint32_t line = 100;
    for (const Attr& a : kParcel) {
      swde::smAttribute* entry = object->addAttribute(a.code, empty, a.value);
      entry->line = ++line;
    }
    for (const auto& r : kRelations) {
      swde::smRelation* relation = object->addRelation(r[0], empty);
      relation->destType = r[1];
      relation->line = ++line;
    }
    const bool checked = object->checkMain(annex.get(), &file);
    benchmark::DoNotOptimize(checked);
    ++objects;
  }
  state.counters["allocs/object"] =
      static_cast<double>(gAllocations.load() - allocationsBefore) / static_cast<double>(objects);
  swde::Finalize();
}
BENCHMARK(BM_FillAndCheckParcel);
// A fixed count, for instruction counts under callgrind (total / 20000 ~ per object).
BENCHMARK(BM_FillAndCheckParcel)->Iterations(20000);

}  // namespace

BENCHMARK_MAIN();
