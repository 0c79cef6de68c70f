// swde — semantic checks of SWDE cadastral exchange objects.
//
// smObjectFactory: the 36 record type codes and their classes; every other text gives a plain
// smObject; the type name is the code as passed.

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include <gtest/gtest.h>

#include "swde/swde.hpp"
#include "swde/types/Smobjectfactory.hpp"

#include "checks/CheckTestSupport.hpp"

namespace {

// The object's dynamic type; a function keeps the operand of typeid free of side effects.
const std::type_info& dynamicType(const swde::smObject& object) {
  return typeid(object);
}

using swde_test::Rendered;
using swde_test::Schema;
using swde_test::Shown;

struct FactoryRow {
  std::string code;
  const std::type_info& type;
  const char* className;
  bool (*isA)(const swde::smObject*);
};

template <typename T>
bool IsA(const swde::smObject* object) {
  return dynamic_cast<const T*>(object) != nullptr;
}

#define SWDE_ROW(code, Class)                            \
  FactoryRow {                                           \
    code, typeid(swde::Class), #Class, &IsA<swde::Class> \
  }

TEST(Smobjectfactory, EveryCodeGivesItsClass) {
  const std::vector<FactoryRow> rows = {
      SWDE_ROW("G5ADR", G5ADR),   SWDE_ROW("G5BUD", G5BUD),   SWDE_ROW("G5O_BUD", G5BUD),
      SWDE_ROW("G5G_BUD", G5BUD), SWDE_ROW("G5DOK", G5DOK),   SWDE_ROW("G5DZE", G5DZE),
      SWDE_ROW("G5O_DZE", G5DZE), SWDE_ROW("G5G_DZE", G5DZE), SWDE_ROW("G5DZW", G5DZW),
      SWDE_ROW("G5GRN", G5GRN),   SWDE_ROW("G5INS", G5INS),   SWDE_ROW("G5JDR", G5JDR),
      SWDE_ROW("G5JEW", G5JEW),   SWDE_ROW("G5O_JEW", G5JEW), SWDE_ROW("G5G_JEW", G5JEW),
      SWDE_ROW("G5JRZ", G5JRZ),   SWDE_ROW("G5KKL", G5KKL),   SWDE_ROW("G5G_KKL", G5KKL),
      SWDE_ROW("G5KLU", G5KLU),   SWDE_ROW("G5LKL", G5LKL),   SWDE_ROW("G5MLZ", G5MLZ),
      SWDE_ROW("G5OBR", G5OBR),   SWDE_ROW("G5O_OBR", G5OBR), SWDE_ROW("G5G_OBR", G5OBR),
      SWDE_ROW("G5OSF", G5OSF),   SWDE_ROW("G5OSZ", G5OSZ),   SWDE_ROW("G5PDZ", G5PDZ),
      SWDE_ROW("G5PZG", G5PZG),   SWDE_ROW("G5RST", G5RST),   SWDE_ROW("G5G_RST", G5RST),
      SWDE_ROW("G5UDD", G5UDD),   SWDE_ROW("G5UDW", G5UDW),   SWDE_ROW("G5UDZ", G5UDZ),
      SWDE_ROW("G5UZG", G5UZG),   SWDE_ROW("G5G_UZG", G5UZG), SWDE_ROW("G5ZMN", G5ZMN),
  };
  ASSERT_EQ(rows.size(), 36u);
  swde::smObjectFactory factory;
  for (const FactoryRow& row : rows) {
    std::unique_ptr<swde::smObject> object(factory.createObject(row.code));
    ASSERT_NE(object, nullptr) << row.code;
    EXPECT_TRUE(row.isA(object.get())) << row.code << " is no " << row.className;
    EXPECT_TRUE(dynamicType(*object) == row.type)
        << row.code << " gives " << dynamicType(*object).name();
    EXPECT_EQ(object->typeName, row.code) << row.code;
    EXPECT_TRUE(object->attributes.empty()) << row.code;
    EXPECT_TRUE(object->errors.empty()) << row.code;
    EXPECT_TRUE(object->creationDateValid) << row.code;
    EXPECT_TRUE(object->verificationDateValid) << row.code;
  }
}

#undef SWDE_ROW

TEST(Smobjectfactory, OtherTextsGiveAPlainObject) {
  const std::vector<std::string> codes = {
      "G5O_KKL", "G5O_RST", "G5O_UZG", "g5dze",   " G5DZE",  "G5DZE ",  "",      "G5",   "G5DZEX",
      "G5_DZE",  "G5O_ADR", "G5G_ADR", "G5O_PDZ", "G5G_UDZ", "G5DZE\n", "G5Dze", "G5KLD"};
  swde::smObjectFactory factory;
  for (const std::string& code : codes) {
    std::unique_ptr<swde::smObject> object(factory.createObject(code));
    ASSERT_NE(object, nullptr) << Shown(code);
    EXPECT_TRUE(dynamicType(*object) == typeid(swde::smObject))
        << Shown(code) << " gives " << dynamicType(*object).name();
    EXPECT_EQ(object->typeName, code) << Shown(code);
  }
}

// A code with an embedded NUL byte is a different code.
TEST(Smobjectfactory, CodesCompareAsWholeByteStrings) {
  swde::smObjectFactory factory;
  const std::string code("G5DZE\0", 6);
  std::unique_ptr<swde::smObject> object(factory.createObject(code));
  EXPECT_TRUE(dynamicType(*object) == typeid(swde::smObject));
  EXPECT_EQ(object->typeName, code);
}

// The type name as passed is the one every check and error uses.
TEST(Smobjectfactory, AliasTypeNameIsCarriedByTheErrors) {
  Schema annex;
  Schema file;
  annex.Type("G5OBR");
  swde::smObjectFactory factory;
  std::unique_ptr<swde::smObject> object(factory.createObject("G5O_OBR"));
  ASSERT_NE(dynamic_cast<swde::G5OBR*>(object.get()), nullptr);
  swde_test::Place(*object, 3, 4, "00");
  EXPECT_FALSE(object->checkMain(annex.get(), file.get()));
  EXPECT_EQ(Rendered(*object),
            std::vector<std::string>{swde_test::E(6007, 0, 3, 4, "G5O_OBR", {"G5O_OBR"})});
}

}  // namespace
