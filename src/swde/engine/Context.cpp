// swde — semantic checks of SWDE cadastral exchange objects.
//
// An error record names its code, its line and id, a message and the entry it is about (none
// for the object as a whole); the rest is found again in the object and the metadata the checks
// read. What every finding of an object shares (its key) is taken once per object. The expected
// texts are written as the schema's notation or in the catalogue's own words, so that they read
// alike with the messages and with the document checks' findings.
#include "swde/engine/Context.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "swde/platform/Cp1250.hpp"
#include "swde/platform/Sysutils.hpp"

namespace swde::engine {
namespace {

constexpr const char* kDateForm = "rrrr.mm.dd";
constexpr const char* kDateTimeForm = "rrrr.mm.dd-gg:mm:ss[.sssss]";
constexpr const char* kStatusMarks = "00 | 01 | 02 | 10 | 11 | 12 | 20 | 21 | 22";
constexpr std::size_t kValuesShown = 20;  // of a long value set, the rest is "…"

// The form of a value of `baseType`, or null for a code without form rule.
const char* formOf(std::string_view baseType) {
  static constexpr std::pair<std::string_view, const char*> kForms[] = {
      {"FL", "liczba rzeczywista"}, {"NO", "liczba całkowita"}, {"LN", "0 | 1"},
      {"UL", "ułamek n/d"},         {"DN", kDateForm},          {"HR", "gg:mm:ss[.sssss]"},
      {"DH", kDateTimeForm}};
  for (const auto& [code, form] : kForms) {
    if (code == baseType) {
      return form;
    }
  }
  return nullptr;
}

// The base type whose form a malformed-value code reports.
const char* baseTypeOf(int code) {
  switch (code) {
    case errFloatValue:
      return "FL";
    case errIntegerValue:
      return "NO";
    case errLogicalValue:
      return "LN";
    case errFractionValue:
      return "UL";
    case errDateFormat:
      return "DN";
    case errTimeFormat:
      return "HR";
    case errDateTimeFormat:
      return "DH";
    default:
      return "";
  }
}

std::string joined(const std::vector<AnsiString>& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i == kValuesShown) {
      text += " | …";
      break;
    }
    text += (i == 0 ? "" : " | ") + Cp1250ToUtf8(values[i]);
  }
  return text;
}

const RecordType* typeIn(const Metadata& set, const AnsiString& name) {
  return set.typesSection != nullptr ? set.typesSection->getType(name) : nullptr;
}

const AttributeDecl* declarationIn(const Metadata& set, const AnsiString& name) {
  return set.attribsSection != nullptr ? set.attribsSection->getAttribute(name) : nullptr;
}

// The key as the document checks take it: the trimmed value of the first attribute (in map
// order) with the code of the key attribute; none when it is absent or blank.
std::optional<std::string> objectKeyOf(const smObject& object, const Metadata& annex) {
  const RecordType* type = typeIn(annex, object.typeName);
  const AttributeDef* def = type != nullptr ? type->getKeyAttribute() : nullptr;
  const smAttribute* attribute = def != nullptr ? object.getAttributeByCode(def->code) : nullptr;
  if (attribute == nullptr || TrimView(attribute->value).empty()) {
    return std::nullopt;
  }
  return Cp1250ToUtf8(Trim(attribute->value));
}

// What a value of `attribute` had to be: one of its allowed values, else the form of its
// declared base type; null when neither is known.
std::optional<std::string> allowedFor(const smAttribute& attribute, const smObject& object,
                                      const Metadata& annex, bool values) {
  if (values) {
    const RecordType* type = typeIn(annex, object.typeName);
    const AttributeDef* def = type != nullptr ? type->getAttributeByCode(attribute.code) : nullptr;
    if (def != nullptr && !def->possibleValues().empty()) {
      return joined(def->possibleValues());
    }
  }
  const AttributeDecl* decl = declarationIn(annex, attribute.name);
  const char* form = decl != nullptr ? formOf(decl->baseType) : nullptr;
  return form != nullptr ? std::optional<std::string>(form) : std::nullopt;
}

// The fields a catalogue error and a document finding share, taken alike from either.
template <typename Reported>
Finding headed(const Reported& reported, std::uint32_t id, std::uint32_t objectId,
               std::uint32_t objectLine) {
  Finding finding;
  finding.line = reported.line;
  finding.id = id;
  finding.code = reported.code;
  finding.msgType = reported.msgType;
  finding.typeName = Cp1250ToUtf8(reported.typeName);
  finding.message = Cp1250ToUtf8(reported.message);
  finding.objectId = objectId;
  finding.objectLine = objectLine;
  return finding;
}

// The finding of one error of `object`; `key` is the object's. The entry it names is the one the
// check reported the error about, whatever lines and ids the entries carry.
Finding findingOf(const smError& error, const smObject& object, const Metadata& annex,
                  const Metadata& file, const std::optional<std::string>& key) {
  Finding finding = headed(error, error.id, object.id, object.line);
  finding.key = key;

  const int code = error.code;
  const smAttribute* attribute = error.attribute;
  const smRelation* relation = error.relation;
  if (attribute != nullptr) {
    finding.hasEntry = true;
    finding.entryId = attribute->id;
    finding.entry = Cp1250ToUtf8(attribute->name);
    if (code != errAttrNotDefined) {
      finding.value = Cp1250ToUtf8(attribute->value);
    }
  } else if (relation != nullptr) {
    finding.hasEntry = true;
    finding.entryId = relation->id;
    finding.entry = Cp1250ToUtf8(relation->name);
  }

  switch (code) {
    case errCreationDateEmpty:
      finding.expected = kDateTimeForm;
      break;
    case errVerificationDateEmpty:
      finding.expected = kDateForm;
      break;
    case errVerificationBeforeCreation:
      if (const smAttribute* created = object.getAttribute("G5DTU")) {
        const std::string_view creation = created->value;
        finding.expected = ">= " + Cp1250ToUtf8(Trim(creation.substr(0, creation.find('-'))));
      }
      break;
    case errBaseType: {
      finding.value = Cp1250ToUtf8(object.baseType);
      const RecordType* type = typeIn(annex, object.typeName);
      type = type != nullptr ? type : typeIn(file, object.typeName);
      if (type != nullptr) {
        finding.expected = Cp1250ToUtf8(type->baseType);
      }
      break;
    }
    case errStatus:
      finding.value = Cp1250ToUtf8(object.status);
      finding.expected = kStatusMarks;
      break;
    case errRelatDestType:
      if (relation != nullptr) {
        finding.value = Cp1250ToUtf8(relation->destType);
        const RecordType* type = typeIn(annex, object.typeName);
        const ReferenceDef* def = type != nullptr ? type->getReference(relation->code) : nullptr;
        if (def != nullptr) {
          finding.expected = joined(def->refTypeNames());
        }
      }
      break;
    case errProperFraction:
      finding.expected = "ułamek właściwy";
      break;
    case errPostalCode:
      finding.expected = "00-000";
      break;
    case errValueOutOfSet:
    case errEmptyValue:
    case errInvalidChar:
      if (attribute != nullptr) {
        finding.expected = allowedFor(*attribute, object, annex, code != errInvalidChar);
      }
      break;
    default:
      if (const char* form = formOf(baseTypeOf(code))) {
        finding.expected = form;
      }
      break;
  }
  return finding;
}

}  // namespace

void findingsOf(const smObject& object, const Metadata& annex, const Metadata& file,
                const std::function<void(Finding&&)>& found) {
  if (object.errors.empty()) {
    return;
  }
  const std::optional<std::string> key = objectKeyOf(object, annex);
  for (const smError* error : object.errors) {
    found(findingOf(*error, object, annex, file, key));
  }
}

Finding findingOf(const smDocumentFinding& found) {
  const auto text = [](const AnsiString& value) {
    return value.empty() ? std::nullopt : std::optional<std::string>(Cp1250ToUtf8(value));
  };
  Finding finding = headed(found, found.hasEntry ? found.entryId : found.objectId, found.objectId,
                           found.objectLine);
  finding.hasEntry = found.hasEntry;
  finding.entryId = found.entryId;
  finding.entry = Cp1250ToUtf8(found.entry);
  finding.key = text(found.key);
  finding.value = text(found.value);
  finding.expected = text(found.expected);
  return finding;
}

}  // namespace swde::engine
