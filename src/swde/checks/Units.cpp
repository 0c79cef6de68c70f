// swde — semantic checks of SWDE cadastral exchange objects.
//
// A parcel identifier names its cadastral unit (WWPPGG_R) and its precinct; the precinct object
// names its unit by a relation. The two units must be one. Which precinct a parcel's relation
// names is settled with the other names at the end of the document (DocumentState.cpp): a
// precinct number repeats from unit to unit, so the unit is the one of the precinct object the
// relation resolves to, never of any precinct with the same number.
#include "swde/document/DocumentChecks.hpp"
#include "swde/document/DocumentInternal.hpp"

namespace SWDE_API swde {
namespace document {

smDocumentFinding MakeUnitFinding(const Subject& object, const AnsiString& attribute,
                                  std::uint32_t line, std::uint32_t id, const AnsiString& key,
                                  const AnsiString& value, const AnsiString& precinct,
                                  const AnsiString& unit) {
  smDocumentFinding finding = MakeEntryFinding(dcUnitMismatch, object, attribute, line, id,
                                               {attribute, object.typeName, unit, precinct});
  finding.key = key;
  finding.value = value;
  finding.expected = unit;
  return finding;
}

}  // namespace document
}  // namespace swde
