// swde — semantic checks of SWDE cadastral exchange objects.
//
// smObjectFactory and the per-type hooks reached through checkMain: the postal code of G5ADR
// and the proper fraction of G5UD in G5JRZ, G5PDZ, G5UDD, G5UDW and G5UDZ.

#include <cstring>
#include <typeinfo>

#include <gtest/gtest.h>

#include "swde/types/Smobjectfactory.hpp"

#include "Support.hpp"

namespace {

using namespace swde_test;

// Checks one object of `typeName`, made by the factory, whose entries all have `code`/`name`
// and the given values, against an annex that declares G5KOD (no form rule) and G5UD (UL) and
// requires G5UD at the level `mandatory`.
Lines Check(const std::string& typeName, const std::string& code, const std::string& name,
            const std::vector<std::string>& values, int mandatory = 0) {
  Sets s;
  for (const auto& [name, baseType] :
       {std::pair{"G5KOD", "TX"}, {"KODP", "TX"}, {"G5UD", "UL"}, {"UDZIAL", "UL"}}) {
    s.Declare(name, baseType);
  }
  swde::RecordType* type = s.AnnexType(typeName);
  for (const char* defined : {"G5KOD", "KODP", "G5UDX"}) {
    type->addAttribute(defined, defined, 0, true);
  }
  type->addAttribute("G5UD", "G5UD", mandatory, true);
  swde::smObjectFactory factory;
  const std::unique_ptr<swde::smObject> object(factory.createObject(typeName));
  Place(*object, 1, 2);
  std::uint32_t line = 10;
  for (const std::string& value : values) {
    Attr(*object, code, name, value, line, line + 100);
    ++line;
  }
  EXPECT_TRUE(object->checkMain(&s.annex, &s.file)) << typeName;
  return Rendered(*object);
}

// Every code of a record type gives its class, an alias that of the type it stands for, keeping
// its own name; anything else a plain smObject. The class shows in what its hook reports: a
// postal code (6028) in G5ADR alone, a proper fraction (6017) in the five share classes alone.
TEST(Smobjectfactory, EveryCodeGivesItsClass) {
  const char* const rows[][2] = {
      {"G5ADR", "G5ADR"},    {"G5BUD", "G5BUD"},     {"G5O_BUD", "G5BUD"},    {"G5G_BUD", "G5BUD"},
      {"G5DOK", "G5DOK"},    {"G5DZE", "G5DZE"},     {"G5O_DZE", "G5DZE"},    {"G5G_DZE", "G5DZE"},
      {"G5DZW", "G5DZW"},    {"G5GRN", "G5GRN"},     {"G5INS", "G5INS"},      {"G5JDR", "G5JDR"},
      {"G5JEW", "G5JEW"},    {"G5O_JEW", "G5JEW"},   {"G5G_JEW", "G5JEW"},    {"G5JRZ", "G5JRZ"},
      {"G5KKL", "G5KKL"},    {"G5G_KKL", "G5KKL"},   {"G5KLU", "G5KLU"},      {"G5LKL", "G5LKL"},
      {"G5MLZ", "G5MLZ"},    {"G5OBR", "G5OBR"},     {"G5O_OBR", "G5OBR"},    {"G5G_OBR", "G5OBR"},
      {"G5OSF", "G5OSF"},    {"G5OSZ", "G5OSZ"},     {"G5PDZ", "G5PDZ"},      {"G5PZG", "G5PZG"},
      {"G5RST", "G5RST"},    {"G5G_RST", "G5RST"},   {"G5UDD", "G5UDD"},      {"G5UDW", "G5UDW"},
      {"G5UDZ", "G5UDZ"},    {"G5UZG", "G5UZG"},     {"G5G_UZG", "G5UZG"},    {"G5ZMN", "G5ZMN"},
      {"g5dze", "smObject"}, {"G5DZE ", "smObject"}, {"G5O_ADR", "smObject"}, {"G5X", "smObject"}};
  swde::smObjectFactory factory;
  for (const auto& [code, name] : rows) {
    const std::unique_ptr<swde::smObject> object(factory.createObject(code));
    const swde::smObject& made = *object;
    const std::string mangled = typeid(made).name();
    EXPECT_EQ(mangled, "N4swde" + std::to_string(std::strlen(name)) + name + "E") << code;
    EXPECT_EQ(object->typeName, code);
    const std::string className = name;
    const bool share =
        std::string("G5JRZ G5PDZ G5UDD G5UDW G5UDZ").find(className) != std::string::npos;
    EXPECT_EQ(Check(code, "G5KOD", "", {"1"}),
              className == "G5ADR" ? Lines{E(6028, 0, 10, 110, code, {code})} : Lines{});
    EXPECT_EQ(Check(code, "G5UD", "", {"3/2"}),
              share ? Lines{E(6017, 0, 10, 110, code, {"G5UD", code})} : Lines{});
  }
}

// 6028 from G5ADR alone, for a non-empty entry of the CODE G5KOD that is not two characters,
// "-", three characters, both groups integers.
TEST(TypeHooks, PostalCodeOfG5ADR) {
  const struct {
    const char* value;
    bool reported;
  } rows[] = {
      {"00-950", false}, {"12-345", false}, {"+1-234", false}, {"12-+34", false}, {"", false},
      {"-1-234", true},  {"12345", true},   {"12-34", true},   {"12-3456", true}, {"1-2345", true},
      {"12-3-4", true},  {"AB-123", true},  {"12-34a", true},  {"12-", true},     {"12--34", true},
      {" 12-345", true}, {"12-345 ", true}, {"   ", true},     {"1a-234", true},  {"12-345-", true},
      {"-", true},       {"12-a45", true},  {"1.-234", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Shown(row.value));
    const Lines reported = {E(6028, 0, 10, 110, "G5ADR", {"G5ADR"})};
    EXPECT_EQ(Check("G5ADR", "G5KOD", "", {row.value}), row.reported ? reported : Lines{});
    EXPECT_EQ(Check("G5ADR", "G5KOD", "KODP", {row.value}), row.reported ? reported : Lines{});
    EXPECT_EQ(Check("G5ADR", "KODP", "G5KOD", {row.value}), Lines{});
    for (const char* other : {"G5DZE", "G5O_ADR", "G5UDZ"}) {
      EXPECT_EQ(Check(other, "G5KOD", "", {row.value}), Lines{}) << other;
    }
  }
}

// 6017 from the five share classes alone, for an entry of the CODE G5UD whose own fraction
// check found no proper fraction; a malformed fraction is 6016 instead.
TEST(TypeHooks, ProperFractionOfG5UD) {
  const std::pair<const char*, std::vector<int>> rows[] = {
      {"1/2", {}}, {"3/2", {6017}}, {"", {6017}}, {"1/2/3/4", {6016}}, {"1/2;", {6033}}};
  const std::vector<std::string> shares = {"G5JRZ", "G5PDZ", "G5UDD", "G5UDW", "G5UDZ"};
  for (const std::string typeName : {"G5JRZ", "G5PDZ", "G5UDD", "G5UDW", "G5UDZ", "G5DZE", "G5X"}) {
    const bool share = std::count(shares.begin(), shares.end(), typeName) == 1;
    for (const auto& [value, codes] : rows) {
      SCOPED_TRACE(typeName + " " + Shown(value));
      Lines byCode;
      Lines byName;
      for (const int code : codes) {
        if (code != 6017 || share) {
          byCode.push_back(E(code, 0, 10, 110, typeName, {"UDZIAL", typeName}));
        }
        if (code != 6017) {
          byName.push_back(E(code, 0, 10, 110, typeName, {"G5UD", typeName}));
        }
      }
      EXPECT_EQ(Check(typeName, "G5UD", "UDZIAL", {value}), byCode);
      EXPECT_EQ(Check(typeName, "G5UDX", "G5UD", {value}), byName);
    }
  }
  // Each entry is judged by its own fraction check; a blank at level 3 never reaches the hook,
  // at level 1 it is reported empty first.
  EXPECT_EQ(Check("G5PDZ", "G5UD", "", {"1/2", "3/2", "1/3"}),
            Lines{E(6017, 0, 11, 111, "G5PDZ", {"G5UD", "G5PDZ"})});
  EXPECT_EQ(Check("G5UDZ", "G5UD", "", {"3/2", "1/2"}),
            Lines{E(6017, 0, 10, 110, "G5UDZ", {"G5UD", "G5UDZ"})});
  EXPECT_EQ(Check("G5UDW", "G5UD", "", {""}, 3), Lines{});
  EXPECT_EQ(Check("G5UDW", "G5UD", "", {"  "}, 1),
            (Lines{E(6022, 0, 10, 110, "G5UDW", {"G5UD", "G5UDW"}),
                   E(6017, 0, 10, 110, "G5UDW", {"G5UD", "G5UDW"})}));
}

}  // namespace
