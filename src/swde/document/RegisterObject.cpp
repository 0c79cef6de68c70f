// swde — semantic checks of SWDE cadastral exchange objects.
//
// The per-object part of the register checks (RegisterChecks.hpp): what a record type stands for
// in the register, and what one object tells about itself: its area (7040, 7041), its shares
// (7043), and what the document-level part needs of it (digest.reg).
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "swde/checks/ValueForms.hpp"
#include "swde/document/DocumentInternal.hpp"
#include "swde/document/RegisterChecks.hpp"
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {
namespace document {
namespace {

const AnsiString kShareCode = "G5UD";
constexpr std::string_view kBuildingTypes[] = {"G5BUD", "G5O_BUD", "G5G_BUD"};
constexpr std::string_view kPremisesType = "G5LKL";
// The record types whose G5UD the catalogue judges as a proper fraction (6017).
constexpr std::string_view kProperShareTypes[] = {"G5UDZ", "G5UDW", "G5UDD", "G5PDZ", "G5JRZ"};

constexpr int kAreaDecimals = 4;
constexpr std::size_t kMaxWholeDigits = 14;  // 10^14 ha in units of 0.0001 ha fit in 63 bits

// The object's first attribute of `code`: looked up by name first (a name is its code unless the
// document gives a field_name), which is a lookup in the object's map, not a walk.
const smAttribute* attributeOf(const smObject& object, std::string_view code) {
  const AnsiString name(code);
  const smAttribute* named = object.getAttribute(name);
  return named != nullptr && named->code == name ? named : object.getAttributeByCode(name);
}

template <std::size_t N>
bool isOneOf(std::string_view name, const std::string_view (&names)[N]) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// An area as the register checks read it.
struct AreaReading {
  enum Kind { kUnread, kTooFine, kRead } kind = kUnread;
  std::int64_t units = 0;  // of 0.0001 ha
};

// The number as the catalogue reads a real number (blanks left out, the rest a decimal number),
// read exactly. Unread: a value the catalogue rejects or with ";" (its own finding), a negative
// one (7014), one with an exponent, one beyond 10^14 ha. Trailing zeros of the fraction do not
// count as decimals: 1.50000 is 1.5000.
AreaReading readArea(std::string_view value) {
  if (value.find(';') != std::string_view::npos) {
    return {};
  }
  std::string compact;  // the value without blanks, made only when it has some
  std::string_view text = value;
  if (value.find(' ') != std::string_view::npos) {
    for (const char c : value) {
      if (c != ' ') {
        compact.push_back(c);
      }
    }
    text = compact;
  }
  if (text.empty() || DecimalNumberLength(text) != text.size()) {
    return {};
  }
  std::string_view number = TrimView(text);
  if (number.empty() || number.find_first_of("eE") != std::string_view::npos) {
    return {};
  }
  const bool negative = number.front() == '-';
  if (number.front() == '-' || number.front() == '+') {
    number.remove_prefix(1);
  }
  const std::size_t point = number.find('.');
  std::string_view whole = number.substr(0, point);
  std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
  while (!whole.empty() && whole.front() == '0') {
    whole.remove_prefix(1);
  }
  while (!fraction.empty() && fraction.back() == '0') {
    fraction.remove_suffix(1);
  }
  if (negative && (!whole.empty() || !fraction.empty())) {
    return {};
  }
  if (fraction.size() > static_cast<std::size_t>(kAreaDecimals)) {
    return {AreaReading::kTooFine, 0};
  }
  if (whole.size() > kMaxWholeDigits) {
    return {};
  }
  std::int64_t units = 0;
  for (const char c : whole) {
    units = units * 10 + (c - '0');
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(kAreaDecimals); ++i) {
    units = units * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
  }
  return {AreaReading::kRead, units};
}

}  // namespace

std::string_view PrecinctOf(std::string_view id) {
  // "WWPPGG_R.OOOO." at the start: the commune has 8 characters, the precinct 4.
  const std::string_view text = TrimView(id);
  if (text.size() < 14 || text[8] != '.' || text[13] != '.' ||
      JudgeIdentifier(ValueCheck::kTeryt, text.substr(0, 8), 0, nullptr) ||
      JudgeIdentifier(ValueCheck::kPrecinct, text.substr(9, 4), 0, nullptr)) {
    return {};
  }
  return text.substr(0, 13);
}

RegisterType RegisterTypeOf(const Metadata* annex, const RecordType& type, ValueCheck keyCheck) {
  RegisterType out;
  const std::string_view name = type.name;
  if (keyCheck == ValueCheck::kParcelId) {
    out.role = RegisterRole::kParcel;
  } else if (name == kLandUseType) {
    out.role = RegisterRole::kLandUse;
    out.parcel = type.getReference(AnsiString(kParcelRelation));
  } else if (isOneOf(name, kBuildingTypes)) {
    out.role = RegisterRole::kBuilding;
    out.parcel = type.getReference(AnsiString(kParcelRelation));
  } else if (name == kPremisesType) {
    out.role = RegisterRole::kPremises;
  } else if (name == kUnitType) {
    out.role = RegisterRole::kUnit;
  } else if (annex != nullptr && annex->attribsSection != nullptr) {
    for (const auto& decl : annex->attribsSection->declarations()) {
      if (decl->check != ValueCheck::kPesel && decl->check != ValueCheck::kRegon) {
        continue;
      }
      if (const AttributeDef* def = type.getAttribute(decl->name)) {
        out.role =
            decl->check == ValueCheck::kPesel ? RegisterRole::kPerson : RegisterRole::kInstitution;
        out.subjectCode = def->code;
        break;
      }
    }
  }
  return out;
}

void CheckRegisterObject(const RegisterType& type, const smObject& object, smObjectDigest& digest,
                         std::vector<smDocumentFinding>& findings) {
  smObjectDigest::Register& reg = digest.reg;
  reg.role = static_cast<std::uint8_t>(type.role);
  const Subject subject{object.typeName, object.line, object.id};
  auto entryFinding = [&](smDocumentCode code, const smAttribute& attribute,
                          const AnsiString& expected) {
    smDocumentFinding finding = MakeEntryFinding(code, subject, attribute.name, attribute.line,
                                                 attribute.id, {attribute.name, object.typeName});
    finding.value = attribute.value;
    finding.expected = expected;
    findings.push_back(std::move(finding));
  };

  switch (type.role) {
    case RegisterRole::kParcel:
    case RegisterRole::kLandUse: {
      if (type.role == RegisterRole::kParcel) {
        reg.precinct = AnsiString(PrecinctOf(digest.parcelValue));
      }
      // A part's parcel, through a relation to a record type the schema admits (another is the
      // catalogue's 6010).
      for (std::size_t i = 0; i < digest.references.size() && type.parcel != nullptr; ++i) {
        const smObjectDigest::Reference& r = digest.references[i];
        if (r.relation == kParcelRelation) {
          if (type.parcel->isRefTypeNamePresent(r.targetType)) {
            reg.partOf = static_cast<int>(i);
          }
          break;
        }
      }
      const smAttribute* area = attributeOf(object, kAreaCode);
      if (area == nullptr) {
        break;
      }
      const AreaReading reading = readArea(area->value);
      if (reading.kind == AreaReading::kTooFine) {
        entryFinding(dcAreaPrecision, *area, "0.0001 ha");
      } else if (reading.kind == AreaReading::kRead) {
        if (reading.units == 0 && type.role == RegisterRole::kParcel) {
          entryFinding(dcParcelAreaZero, *area, "> 0");
          break;
        }
        reg.areaRead = true;
        reg.area = reading.units;
        reg.areaLine = area->line;
        reg.areaId = area->id;
        reg.areaEntry = area->name;
      }
      break;
    }
    case RegisterRole::kBuilding:
      reg.precinct = AnsiString(PrecinctOf(digest.key));
      break;
    case RegisterRole::kUnit:
      if (const smAttribute* kind = attributeOf(object, kUnitKindCode)) {
        const std::string_view value = TrimView(kind->value);
        if (value == "G" || value == "B" || value == "L") {
          reg.unitKind = value.front();
        }
      }
      break;
    case RegisterRole::kPerson:
    case RegisterRole::kInstitution:
      if (const smAttribute* number = attributeOf(object, type.subjectCode)) {
        reg.subject = AnsiString(TrimView(number->value));
        reg.subjectEntry = number->name;
        reg.subjectLine = number->line;
        reg.subjectId = number->id;
      }
      break;
    case RegisterRole::kPremises:
    case RegisterRole::kNone:
      break;
  }

  // Shares of zero, once per attribute; a G5UD of a share record that is not a proper fraction
  // ("0") is the catalogue's 6017.
  const smAttribute* reported = nullptr;
  for (const smObjectDigest::Share& share : digest.shares) {
    if (!share.readable || share.numerator != 0) {
      continue;
    }
    const smAttribute* attribute = attributeOf(object, share.attribute);
    if (attribute == nullptr || attribute == reported ||
        (attribute->code == kShareCode && isOneOf(object.typeName, kProperShareTypes) &&
         !checks::ReadFraction(attribute->value).proper)) {
      continue;
    }
    reported = attribute;
    entryFinding(dcZeroShare, *attribute, "> 0");
  }
}

}  // namespace document
}  // namespace swde
