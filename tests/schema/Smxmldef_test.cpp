// swde — semantic checks of SWDE cadastral exchange objects.
#include <cstddef>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>

#include "swde/schema/Smxmldef.hpp"

namespace {

using swde::smXMLDef;
using swde::WideString;

static_assert(!std::is_polymorphic_v<smXMLDef>);
static_assert(sizeof(smXMLDef) == 23 * sizeof(WideString), "exactly the 23 keys, nothing else");

struct Key {
  WideString smXMLDef::*member;
  const char* text;
};

// In declaration order.
const Key kKeys[] = {
    {&smXMLDef::swdeKey, "SWDE"},
    {&smXMLDef::attribsSectKey, "ATTRIBS_SECT"},
    {&smXMLDef::typesSectKey, "TYPES_SECT"},
    {&smXMLDef::objectKey, "OBJECT"},
    {&smXMLDef::attributesKey, "ATTRIBUTES"},
    {&smXMLDef::relationsKey, "RELATIONS"},
    {&smXMLDef::relatKey, "RELAT"},
    {&smXMLDef::attrKey, "ATTR"},
    {&smXMLDef::valueKey, "VALUE"},
    {&smXMLDef::destObjectKey, "DEST_OBJECT"},
    {&smXMLDef::schemaDateKey, "schema_date"},
    {&smXMLDef::schemaVersionKey, "schema_version"},
    {&smXMLDef::schemaProfileKey, "schema_profile"},
    {&smXMLDef::mandatoryLevelKey, "mandatory_level"},
    {&smXMLDef::nameKey, "name"},
    {&smXMLDef::fieldNameKey, "field_name"},
    {&smXMLDef::typeKey, "type"},
    {&smXMLDef::baseTypeKey, "base_type"},
    {&smXMLDef::valueIntKey, "value_int"},
    {&smXMLDef::valueStrKey, "value_str"},
    {&smXMLDef::mandatoryKey, "mandatory"},
    {&smXMLDef::multipleKey, "multiple"},
    {&smXMLDef::elementKey, "element"},
};

// The ASCII key text widened to UTF-16, independent of how the library spells it.
WideString Widen(const char* text) {
  WideString out;
  for (const char* p = text; *p != '\0'; ++p) {
    out.push_back(static_cast<char16_t>(*p));
  }
  return out;
}

TEST(SmXMLDef, TwentyThreeKeysInDeclarationOrder) {
  const smXMLDef keys;
  ASSERT_EQ(std::size(kKeys), 23u);
  const char* previous = nullptr;
  for (std::size_t i = 0; i < std::size(kKeys); ++i) {
    const WideString& value = keys.*(kKeys[i].member);
    EXPECT_EQ(value, Widen(kKeys[i].text)) << "case: key " << i + 1 << " " << kKeys[i].text;
    const char* address = reinterpret_cast<const char*>(&value);
    if (previous != nullptr) {
      EXPECT_EQ(address - previous, static_cast<std::ptrdiff_t>(sizeof(WideString)))
          << "case: key " << i + 1 << " " << kKeys[i].text;
    }
    previous = address;
  }
}

TEST(SmXMLDef, InstancesAreIndependent) {
  smXMLDef first;
  first.swdeKey = u"changed";
  const smXMLDef second;
  EXPECT_EQ(second.swdeKey, u"SWDE");
  EXPECT_EQ(second.elementKey, u"element");
}

}  // namespace
