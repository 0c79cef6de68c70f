// swde — semantic checks of SWDE cadastral exchange objects.
//
// A parcel identifier names its cadastral unit (WWPPGG_R) and its precinct; the precinct object
// names its unit by a relation. The two units must be one. A parcel that comes before its
// precinct waits: a record of its finding's texts, NUL-separated, in one growing buffer.
#include <string>
#include <string_view>
#include <vector>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/checks/DocumentInternal.hpp"

namespace SWDE_API swde {
namespace document {
namespace {

std::string precinctName(std::string_view type, std::string_view key) {
  std::string name(type);
  name += '\0';
  name += key;
  return name;
}

// The finding about a parcel whose identifier's unit is not its precinct's `unit`.
smDocumentFinding unitFinding(const AnsiString& type, std::uint32_t objectLine,
                              std::uint32_t objectId, const AnsiString& attribute,
                              std::uint32_t line, std::uint32_t id, const AnsiString& key,
                              const AnsiString& value, const AnsiString& precinct,
                              const AnsiString& unit) {
  smDocumentFinding finding =
      MakeEntryFinding(dcUnitMismatch, {type, objectLine, objectId}, attribute, line, id,
                       {attribute, type, unit, precinct});
  finding.key = key;
  finding.value = value;
  finding.expected = unit;
  return finding;
}

}  // namespace

void PrecinctUnits::add(const smObjectDigest& digest, std::vector<smDocumentFinding>& findings) {
  if (!digest.checked) {
    return;
  }
  if (!digest.unit.empty() && !digest.key.empty()) {
    units_.emplace(precinctName(digest.typeName, digest.key), digest.unit);
  }
  for (const smObjectDigest::Reference& r : digest.references) {
    if (r.parcelUnit.empty()) {
      continue;
    }
    const auto found = units_.find(precinctName(r.targetType, r.target));
    if (found == units_.end()) {
      waiting_.push_back(
          {texts_.size(), digest.line, digest.id, digest.parcelLine, digest.parcelId});
      for (const AnsiString* text :
           {&digest.typeName, &digest.parcelEntry, &digest.key, &digest.parcelValue, &r.targetType,
            &r.target, &r.parcelUnit}) {
        texts_ += *text;
        texts_ += '\0';
      }
    } else if (found->second != r.parcelUnit) {
      findings.push_back(unitFinding(digest.typeName, digest.line, digest.id, digest.parcelEntry,
                                     digest.parcelLine, digest.parcelId, digest.key,
                                     digest.parcelValue, r.target, found->second));
    }
  }
}

void PrecinctUnits::finish(std::vector<smDocumentFinding>& findings) const {
  for (const Waiting& w : waiting_) {
    AnsiString part[7];
    std::size_t at = w.texts;
    for (AnsiString& text : part) {
      const std::size_t end = texts_.find('\0', at);
      text = texts_.substr(at, end - at);
      at = end + 1;
    }
    const auto found = units_.find(precinctName(part[4], part[5]));
    if (found != units_.end() && found->second != part[6]) {
      findings.push_back(unitFinding(part[0], w.objectLine, w.objectId, part[1], w.line, w.id,
                                     part[2], part[3], part[5], found->second));
    }
  }
}

}  // namespace document
}  // namespace swde
