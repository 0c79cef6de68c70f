// swde — semantic checks of SWDE cadastral exchange objects.
//
// Builds a small reference schema in memory, makes a handful of objects through the factory
// with typical faults, checks them and prints what was found as UTF-8 text.
#include <iostream>
#include <memory>
#include <string>

#include "swde/swde.hpp"

namespace {

using swde::AnsiString;

// A small annex: four record types with their attributes and relations.
std::unique_ptr<swde::Metadata> buildAnnex() {
  auto annex = std::make_unique<swde::Metadata>();
  swde::AttribsSection& sp = *annex->attribsSection;
  sp.addAttribute("G5IDD", "TX");
  sp.addAttribute("G5NOS", "TX");
  sp.addAttribute("G5PEW", "FL");
  sp.addAttribute("G5RZN", "NO");
  sp.addAttribute("G5DTW", "DN");
  sp.addAttribute("G5DTU", "DH");
  sp.addAttribute("G5OFU", "TX");
  sp.addAttribute("G5KOD", "TX");
  sp.addAttribute("G5MSC", "TX");
  sp.addAttribute("G5UD", "UL");
  sp.addAttribute("G5ZAB", "LN");

  swde::TypesSection& st = *annex->typesSection;
  swde::RecordType* parcel = st.addType("G5DZE", "RO");
  parcel->addAttribute("G5IDD", "G5IDD", 1);
  parcel->addAttribute("G5NOS", "G5NOS", 2);
  parcel->addAttribute("G5PEW", "G5PEW", 1);
  swde::AttributeDef* use = parcel->addAttribute("G5OFU", "G5OFU", 1, true);
  for (const char* code : {"R", "S", "Ps", "B", "dr", "W"}) {
    use->addPossibleValue(code);
  }
  parcel->addAttribute("G5DTW", "G5DTW", 1);
  parcel->addAttribute("G5DTU", "G5DTU", 1);
  parcel->addReference("G5RADR", "G5RADR", 0, true)->addRefTypeName("G5ADR");
  parcel->addReference("G5RJDR", "G5RJDR", 1)->addRefTypeName("G5JDR");

  swde::RecordType* address = st.addType("G5ADR", "RD");
  address->addAttribute("G5MSC", "G5MSC", 1);
  address->addAttribute("G5KOD", "G5KOD", 0);
  address->addAttribute("G5DTW", "G5DTW", 1);
  address->addAttribute("G5DTU", "G5DTU", 1);

  swde::RecordType* share = st.addType("G5PDZ", "RD");
  share->addAttribute("G5UD", "G5UD", 1);
  share->addAttribute("G5DTW", "G5DTW", 1);
  share->addAttribute("G5DTU", "G5DTU", 1);

  swde::RecordType* building = st.addType("G5BUD", "RO");
  building->addAttribute("G5RZN", "G5RZN", 0);
  building->addAttribute("G5ZAB", "G5ZAB", 0);
  building->addAttribute("G5DTW", "G5DTW", 1);
  building->addAttribute("G5DTU", "G5DTU", 1);
  return annex;
}

struct Entry {
  const char* code;
  const char* value;
};

std::unique_ptr<swde::smObject> makeObject(swde::smObjectFactory& factory, const char* type,
                                           const char* baseType, const char* status,
                                           std::uint32_t line,
                                           std::initializer_list<Entry> entries) {
  std::unique_ptr<swde::smObject> object(factory.createObject(type));
  object->line = line;
  object->id = line;
  object->baseType = baseType;
  object->status = status;
  std::uint32_t entryLine = line;
  for (const Entry& entry : entries) {
    // Values are held as CP1250 bytes; this source file is UTF-8.
    AnsiString value;
    swde::Utf8ToCp1250(entry.value, value);
    swde::smAttribute* attribute = object->addAttribute(entry.code, "", value);
    attribute->line = ++entryLine;
    attribute->id = entryLine;
  }
  return object;
}

}  // namespace

int main() {
  swde::Initialize();
  {
    const std::unique_ptr<swde::Metadata> annex = buildAnnex();
    swde::Metadata fileSections;  // this "file" carries no schema sections of its own
    swde::smObjectFactory factory;

    std::unique_ptr<swde::smObject> objects[] = {
        // A parcel: its area has a comma, the land use is not a known code, no register unit
        // relation, verified before it was created.
        makeObject(factory, "G5DZE", "RO", "00", 10,
                   {{"G5IDD", "146518_8.0503.AR_1.27/3"},
                    {"G5PEW", "1234,5"},
                    {"G5OFU", "X"},
                    {"G5DTU", "2005.03.02-10:00:00"},
                    {"G5DTW", "2005.03.01"}}),
        // An address with a malformed postal code and an attribute its type does not define.
        makeObject(factory, "G5ADR", "RD", "00", 20,
                   {{"G5MSC", "Łódź"},
                    {"G5KOD", "90950"},
                    {"G5ULC", "Piotrkowska"},
                    {"G5DTU", "2006.01.01-08:00:00"},
                    {"G5DTW", "2006.01.02"}}),
        // A share in a parcel that is not a proper fraction.
        makeObject(factory, "G5PDZ", "RD", "01", 30,
                   {{"G5UD", "3/2"}, {"G5DTU", "2007.05.05-12:00:00"}, {"G5DTW", "2007.05.06"}}),
        // A building: a storey count that is no integer, a yes/no flag that is neither, a bad
        // status mark and an empty verification date.
        makeObject(
            factory, "G5BUD", "RO", "3", 40,
            {{"G5RZN", "dwa"}, {"G5ZAB", "T"}, {"G5DTU", "2008.01.01-00:00:00"}, {"G5DTW", ""}}),
        // A record type that no schema defines.
        makeObject(factory, "G5XYZ", "RD", "00", 50, {{"G5DTU", "2009.01.01-00:00:00"}}),
    };

    for (auto& object : objects) {
      const bool checked = object->checkMain(annex.get(), &fileSections);
      std::cout << object->typeName << " (line " << object->line << ")"
                << (checked ? "" : " not checked") << '\n';
      for (swde::smError* e = object->getFirstError(); e != nullptr; e = object->getNextError()) {
        std::cout << "  " << e->line << ": " << e->code << ' '
                  << (e->msgType == swde::smError::rmError ? "error" : "warning") << ": "
                  << swde::Cp1250ToUtf8(e->message) << '\n';
      }
    }
  }
  swde::Finalize();
  return 0;
}
