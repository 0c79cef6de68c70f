// swde — semantic checks of SWDE cadastral exchange objects.
//
// Fuzz target: the checks alone, without the XML reader. The input drives a FuzzedDataProvider
// that builds up to two metadata sets (attribute declarations with every base type, record
// types with mandatory levels from -1 to 4, multiple flags, value sets, relation targets and
// presence-exempt relations) and one object from the factory (record type codes, base type,
// status mark, attributes and relations with names, codes and values drawn from pools of the
// interesting ones or made up). checkMain runs with the sets in every arrangement the host may
// choose: the built-in reference schema or a made-up one as the annex, and the file's set null,
// the same pointer as the annex, or a set of its own. Then single checks are called directly.
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>
#include <string>
#include <vector>

#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smattribute.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/model/Smrelation.hpp"
#include "swde/types/Smobjectfactory.hpp"

#include "FuzzSupport.hpp"

namespace {

using swde::AnsiString;

// Record type codes: every code the factory knows, annex types without a class, near misses.
const char* const kTypeNames[] = {
    "G5ADR", "G5BUD",   "G5O_BUD", "G5G_BUD", "G5DOK", "G5DZE",   "G5O_DZE", "G5G_DZE",
    "G5DZW", "G5GRN",   "G5INS",   "G5JDR",   "G5JEW", "G5O_JEW", "G5G_JEW", "G5JRZ",
    "G5KKL", "G5G_KKL", "G5KLU",   "G5LKL",   "G5MLZ", "G5OBR",   "G5O_OBR", "G5G_OBR",
    "G5OSF", "G5OSZ",   "G5PDZ",   "G5PZG",   "G5RST", "G5G_RST", "G5UDD",   "G5UDW",
    "G5UDZ", "G5UZG",   "G5G_UZG", "G5ZMN",   "g5dze", "G5DZE ",  "",        "G5XYZ",
};

// Attribute names: the ones with rules of their own first, then a few plain ones.
const char* const kAttributeNames[] = {
    "G5DTU", "G5DTW", "G5UD",  "G5KOD", "G5IDD",  "G5PEW", "G5OFU", "G5RBB", "G5ZAB",
    "G5CZS", "G5DOS", "G5NOS", "G5MSC", "G5DTU ", "",      "X",     ";",
};

const char* const kRelationNames[] = {
    "G5RADR", "G5RBUD", "G5RDOK", "G5RDZE", "G5RJDR", "G5RJEW", "G5ROBR", "G5RPOD", "", "R",
};

const char* const kBaseTypes[] = {"FL", "NO", "LN", "UL", "DN", "HR", "DH", "TX"};

const char* const kRecordBaseTypes[] = {"RO", "RD", "RP", "", "ro"};

const char* const kStatusMarks[] = {"00", "01", "02", "10", "11", "12", "20",
                                    "21", "22", "",   "0",  "3",  "000"};

const char* const kValues[] = {
    "",
    " ",
    ";",
    "a;b",
    "0",
    "1",
    " 1 ",
    "2",
    "-1",
    "+1",
    "1/2",
    "2/1",
    "1/1",
    "0/0",
    "+3/4",
    "-3/4",
    "3/-4",
    "1/2/3",
    "1//2",
    "/",
    "1/2/3/4",
    "2147483647/2147483648",
    "99999999999999999999",
    "-2147483648",
    "12.5",
    "1 2 . 5",
    "1e5",
    "1e",
    ".5",
    "5.",
    "-",
    "2020.01.01",
    "2020.13.45",
    "2020-01-01",
    "-020.01.01",
    " 2020.1.1 ",
    "12:30:00",
    "12:30:00.12345",
    "12:30",
    "2020.01.01-12:30:00",
    "2020.01.01-12:30:00.12345",
    "2021.01.01-00:00:00",
    "2019.12.31",
    "00-000",
    "12-345",
    "12345",
    "-1-234",
    "1--234",
    "%s",
    "%",
    "%%s",
    "\x9C\xB9\xE6",
    "\x81\x83\x88\x90\x98",
};

class Maker {
 public:
  explicit Maker(FuzzedDataProvider& input) : in_(input) {}

  // A pooled choice most of the time, a made-up string otherwise.
  template <std::size_t N>
  AnsiString pick(const char* const (&pool)[N]) {
    if (in_.ConsumeIntegralInRange<int>(0, 7) == 0) {
      return in_.ConsumeRandomLengthString(24);
    }
    return pool[in_.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
  }

  AnsiString typeName() { return pick(kTypeNames); }
  AnsiString attributeName() { return pick(kAttributeNames); }
  AnsiString relationName() { return pick(kRelationNames); }
  AnsiString baseType() { return pick(kBaseTypes); }
  AnsiString recordBaseType() { return pick(kRecordBaseTypes); }
  AnsiString status() { return pick(kStatusMarks); }

  AnsiString value() {
    switch (in_.ConsumeIntegralInRange<int>(0, 7)) {
      case 0:
      case 1:
        return in_.ConsumeRandomLengthString(40);
      case 2:
        // A NUL byte inside: the value is counted, not terminated.
        return AnsiString("1\0/2", 4);
      default:
        return pick(kValues);
    }
  }

  // The code of an entry or a definition: the name itself most of the time.
  AnsiString codeFor(const AnsiString& name, bool relation) {
    if (in_.ConsumeBool()) {
      return name;
    }
    return relation ? relationName() : attributeName();
  }

  std::unique_ptr<swde::Metadata> metadata() {
    auto set = std::make_unique<swde::Metadata>();
    const int declarations = in_.ConsumeIntegralInRange<int>(0, 12);
    for (int i = 0; i < declarations; ++i) {
      set->attribsSection->addAttribute(attributeName(), baseType());
    }
    const int types = in_.ConsumeIntegralInRange<int>(0, 4);
    for (int i = 0; i < types; ++i) {
      swde::RecordType* type = set->typesSection->addType(typeName(), recordBaseType());
      const int attributes = in_.ConsumeIntegralInRange<int>(0, 8);
      for (int k = 0; k < attributes; ++k) {
        const AnsiString name = attributeName();
        swde::AttributeDef* def = type->addAttribute(
            name, codeFor(name, false), in_.ConsumeIntegralInRange<int>(-1, 4), in_.ConsumeBool());
        const int values = in_.ConsumeIntegralInRange<int>(0, 4);
        for (int v = 0; v < values; ++v) {
          def->addPossibleValue(value());
        }
      }
      const int references = in_.ConsumeIntegralInRange<int>(0, 4);
      for (int k = 0; k < references; ++k) {
        const AnsiString name = relationName();
        swde::ReferenceDef* def =
            type->addReference(name, codeFor(name, true), in_.ConsumeIntegralInRange<int>(-1, 4),
                               in_.ConsumeBool(), in_.ConsumeBool());
        const int targets = in_.ConsumeIntegralInRange<int>(0, 3);
        for (int t = 0; t < targets; ++t) {
          def->addRefTypeName(typeName());
        }
      }
    }
    return set;
  }

  std::unique_ptr<swde::smObject> object(swde::smObjectFactory& factory) {
    std::unique_ptr<swde::smObject> made(factory.createObject(typeName()));
    made->baseType = recordBaseType();
    made->status = status();
    made->line = in_.ConsumeIntegral<std::uint32_t>();
    made->id = in_.ConsumeIntegral<std::uint32_t>();
    const int attributes = in_.ConsumeIntegralInRange<int>(0, 16);
    for (int i = 0; i < attributes; ++i) {
      const AnsiString name = attributeName();
      const AnsiString code = codeFor(name, false);
      // Now and then an entry filed under its code (an empty name).
      swde::smAttribute* entry =
          made->addAttribute(code, in_.ConsumeIntegralInRange<int>(0, 5) == 0 ? "" : name, value());
      entry->line = in_.ConsumeIntegral<std::uint32_t>();
      entry->id = in_.ConsumeIntegral<std::uint32_t>();
    }
    const int relations = in_.ConsumeIntegralInRange<int>(0, 8);
    for (int i = 0; i < relations; ++i) {
      const AnsiString name = relationName();
      swde::smRelation* entry = made->addRelation(codeFor(name, true), name);
      entry->destType = typeName();
      entry->destObject = in_.ConsumeRandomLengthString(8);
      entry->checkDest = in_.ConsumeIntegralInRange<int>(0, 4) != 0;
      entry->line = in_.ConsumeIntegral<std::uint32_t>();
      entry->id = in_.ConsumeIntegral<std::uint32_t>();
    }
    made->setExistMetadata(in_.ConsumeBool());
    return made;
  }

 private:
  FuzzedDataProvider& in_;
};

// Sets the object's metadata pointers as checkMain would, for the checks called one by one.
void useSets(swde::smObject& object, swde::Metadata* annex, swde::Metadata* file) {
  object.annexMetadata = annex;
  object.fileMetadata = file;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  swde::fuzz::initialize();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  Maker make(input);
  swde::smObjectFactory factory;

  std::unique_ptr<swde::Metadata> first = make.metadata();
  std::unique_ptr<swde::Metadata> second = make.metadata();

  swde::Metadata* annex = nullptr;
  switch (input.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
      annex = &swde::fuzz::builtinAnnex();
      break;
    case 1:
      annex = first.get();
      break;
    default:
      break;  // no annex at all
  }
  swde::Metadata* file = nullptr;
  switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      break;  // no sections of its own
    case 1:
      file = annex;  // the same pointer as the annex
      break;
    case 2:
      file = second.get();
      break;
    default:
      file = &swde::fuzz::builtinAnnex();
      break;
  }

  // The whole run, as a host makes it.
  std::unique_ptr<swde::smObject> object = make.object(factory);
  const bool checked = object->checkMain(annex, file);
  SWDE_FUZZ_CHECK(object->annexMetadata == annex && object->fileMetadata == file);
  if (!checked) {
    SWDE_FUZZ_CHECK(object->attributes.empty() && object->relations.empty());
  }
  swde::fuzz::walkErrors(*object);

  // The single checks, each on its own (they look the record types up afresh).
  std::unique_ptr<swde::smObject> single = make.object(factory);
  useSets(*single, annex, file);
  while (input.remaining_bytes() > 0) {
    const std::size_t before = single->errors.size();
    switch (input.ConsumeIntegralInRange<int>(0, 13)) {
      case 0: {
        swde::smAttribute* entry = single->addAttribute("G5UD", "G5UD", make.value());
        const bool wellFormed = single->isCorectFraction(entry);
        // A malformed fraction is reported once; a well-formed one not at all.
        SWDE_FUZZ_CHECK(single->errors.size() == before + (wellFormed ? 0U : 1U));
        if (!wellFormed) {
          SWDE_FUZZ_CHECK(single->errors.back()->code == swde::errFractionValue);
        }
        break;
      }
      case 1: {
        AnsiString value = make.value();
        const AnsiString copy = value;
        static_cast<void>(single->isCorrectFloatData(value));
        SWDE_FUZZ_CHECK(value == copy);
        SWDE_FUZZ_CHECK(single->errors.size() == before);
        break;
      }
      case 2: {
        const AnsiString name = make.attributeName();
        swde::smAttribute* entry = single->addAttribute(name, name, make.value());
        single->checkAttribute(make.baseType(), entry);
        break;
      }
      case 3: {
        const AnsiString name = make.attributeName();
        single->checkAttribValueRange(single->addAttribute(name, name, make.value()));
        break;
      }
      case 4:
        static_cast<void>(single->isTypeDefined());
        break;
      case 5:
        static_cast<void>(single->checkStatusFormat());
        break;
      case 6:
        single->isCorrectBaseType();
        break;
      case 7:
        single->existsAttribsRelationsInST();
        break;
      case 8:
        single->existsAttribsInSO();
        break;
      case 9:
        single->existsRelationsInSO();
        break;
      case 10:
        single->checkRelationDest();
        break;
      case 11:
        single->checkAttrAndRelatMultiple();
        break;
      case 12:
        single->checkDate();
        break;
      default: {
        // Lookups on the object's maps; the by-name ones find the entry added first.
        const AnsiString name = make.attributeName();
        const swde::smAttribute* byName = single->getAttribute(name);
        SWDE_FUZZ_CHECK(byName == nullptr || byName->name == name);
        const swde::smAttribute* byCode = single->getAttributeByCode(name);
        SWDE_FUZZ_CHECK(byCode == nullptr || byCode->code == name);
        const AnsiString relation = make.relationName();
        const swde::smRelation* relByName = single->getRelation(relation);
        SWDE_FUZZ_CHECK(relByName == nullptr || relByName->name == relation);
        const swde::smRelation* relByCode = single->getRelationByCode(relation);
        SWDE_FUZZ_CHECK(relByCode == nullptr || relByCode->code == relation);
        break;
      }
    }
  }
  swde::fuzz::walkErrors(*single);
  return 0;
}
