// swde — semantic checks of SWDE cadastral exchange objects.
//
// The per-object part of the document checks. One pass over the attributes judges each value by
// its declaration in the reference schema (the base type, then the `check` mark) and picks the
// key and the parcel identifier; one pass over the relations collects the references and the
// shares. Only name lookups and const iteration touch the object and the schema, so nothing
// shared is written.
//
// A value that the catalogue rejects for its form (or for a ";") is left to the catalogue: the
// strict judgement of a base type starts from the forms the catalogue accepted, and one value
// gets at most one finding here.
#include <ctime>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "swde/checks/CheckDay.hpp"
#include "swde/checks/MetadataAccess.hpp"
#include "swde/checks/ValueForms.hpp"
#include "swde/document/DocumentChecks.hpp"
#include "swde/document/DocumentInternal.hpp"
#include "swde/document/RegisterChecks.hpp"  // the register checks
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {

struct smObjectChecks::TypeInfo {
  const RecordType* type = nullptr;
  const AttributeDef* key = nullptr;        // null: objects of the type are named by their id
  ValueCheck keyCheck = ValueCheck::kNone;  // kPrecinct: the type's objects are precincts
  // A scoped key: the scope's relation and the record types it may point to.
  const ReferenceDef* scope = nullptr;
  document::RegisterType reg;  // the register checks
};

namespace {

using document::Verdict;

// Base type codes are compared as the catalogue compares them: two bytes, exactly.
bool isCode(const AnsiString& baseType, const char (&code)[3]) {
  return baseType.size() == 2 && baseType[0] == code[0] && baseType[1] == code[1];
}

bool isLeftOut(const AnsiString& status) {
  return status == "20" || status == "21" || status == "22";
}

bool fractionForm(std::string_view value) {
  return checks::ReadFraction(value).wellFormed;
}

// The strict judgement of a value by its base type. What fails here is reported only when the
// catalogue's form (and its ";" rule) accepts the value; the catalogue reports the others. The
// strict test comes first: it is the cheaper one and most values pass it.
Verdict judgeBaseType(const AnsiString& baseType, std::string_view value, int today,
                      bool futureOk) {
  Verdict verdict;
  bool (*catalogueForm)(std::string_view) = nullptr;
  const std::size_t size = value.size();
  if (isCode(baseType, "DN")) {
    if (size != 10 || !checks::SeparatorsAt(value, {{4, '.'}, {7, '.'}})) {
      return {};
    }
    verdict = document::JudgeDate(value, today, futureOk);
    catalogueForm = checks::IsDateForm;
  } else if (isCode(baseType, "HR")) {
    if ((size != 8 && size != 14) || !checks::SeparatorsAt(value, {{2, ':'}, {5, ':'}}) ||
        (size == 14 && value[8] != '.')) {
      return {};
    }
    verdict = document::JudgeTime(value);
    catalogueForm = checks::IsTimeForm;
  } else if (isCode(baseType, "DH")) {
    if ((size != 19 && size != 25) ||
        !checks::SeparatorsAt(value, {{4, '.'}, {7, '.'}, {10, '-'}, {13, ':'}, {16, ':'}}) ||
        (size == 25 && value[19] != '.')) {
      return {};
    }
    verdict = document::JudgeDateTime(value, today, futureOk);
    catalogueForm = checks::IsDateTimeForm;
  } else if (isCode(baseType, "UL") && !TrimView(value).empty()) {
    std::uint64_t numerator = 0;
    std::uint64_t denominator = 1;
    verdict = document::JudgeShare(value, numerator, denominator);
    catalogueForm = fractionForm;
  }
  if (!verdict || value.find(';') != std::string_view::npos || !catalogueForm(value)) {
    return {};
  }
  return verdict;
}

// The judgement that the declaration's `check` mark asks for; a valid parcel identifier leaves
// its parts in `parcel`.
Verdict judgeMark(ValueCheck check, std::string_view value, int today,
                  document::ParcelParts* parcel) {
  if (check == ValueCheck::kArea) {
    return value.find(';') == std::string_view::npos ? document::JudgeArea(value) : Verdict{};
  }
  const std::string_view trimmed = TrimView(value);
  return trimmed.empty() ? Verdict{} : document::JudgeIdentifier(check, trimmed, today, parcel);
}

// The value of a share attribute as the sum of its group needs it; false when there is none
// that can be added.
bool readShare(const smAttribute& attribute, std::uint64_t& numerator, std::uint64_t& denominator) {
  const std::string_view value = attribute.value;
  return value.find(';') == std::string_view::npos && !TrimView(value).empty() &&
         checks::ReadFraction(value).wellFormed &&
         !document::JudgeShare(value, numerator, denominator);
}

}  // namespace

smObjectChecks::smObjectChecks(const Metadata* annex, const smDocumentOptions& options)
    : annex_(annex) {
  day_ = document::ReadDay(options.today.empty() ? PolishDay(std::time(nullptr)) : options.today);
  if (day_ == 0) {
    throw std::invalid_argument("the day of the check must be a real day rrrr.mm.dd, not '" +
                                options.today + "'");
  }
  today_ = document::DayText(day_);
  if (annex_ == nullptr || annex_->typesSection == nullptr) {
    return;
  }
  for (const auto& type : annex_->typesSection->types()) {
    auto info = std::make_unique<TypeInfo>();
    info->type = type.get();
    info->key = type->getKeyAttribute();
    if (info->key != nullptr) {
      if (const AttributeDecl* decl = checks::findDeclaration(annex_, info->key->name)) {
        info->keyCheck = decl->check;
      }
      if (!info->key->keyScope.empty()) {
        info->scope = type->getReference(info->key->keyScope);
      }
    }
    info->reg = document::RegisterTypeOf(annex_, *type, info->keyCheck);
    typesByName_.insert(type->name, info.get());
    types_.push_back(std::move(info));
  }
}

smObjectChecks::~smObjectChecks() = default;

const smObjectChecks::TypeInfo* smObjectChecks::typeInfo(const AnsiString& typeName) const {
  return typesByName_.find(typeName);
}

smObjectDigest smObjectChecks::check(const smObject& object,
                                     std::vector<smDocumentFinding>& findings) const {
  smObjectDigest digest;
  digest.typeName = object.typeName;
  digest.line = object.line;
  digest.id = object.id;
  if (isLeftOut(object.status)) {
    return digest;
  }
  digest.checked = true;
  const TypeInfo* info = typeInfo(object.typeName);
  const AttributeDef* keyDef = info != nullptr ? info->key : nullptr;
  digest.keyed = keyDef != nullptr;

  std::vector<smDocumentFinding> found;
  const document::Subject subject{object.typeName, object.line, object.id};
  auto entryFinding = [&](const Verdict& verdict, const smAttribute& attribute) {
    smDocumentFinding finding = document::MakeEntryFinding(
        static_cast<smDocumentCode>(verdict.code), subject, attribute.name, attribute.line,
        attribute.id, {attribute.name, object.typeName});
    finding.value = attribute.value;
    finding.expected = verdict.expected;
    found.push_back(std::move(finding));
  };

  const smAttribute* parcel = nullptr;  // the first valid parcel identifier
  document::ParcelParts parcelParts;
  bool keySeen = false;
  for (const auto& [name, attribute] : object.attributes) {
    if (keyDef != nullptr && !keySeen && attribute->code == keyDef->code) {
      keySeen = true;
      digest.key = AnsiString(TrimView(attribute->value));
      digest.keyEntry = attribute->name;
      digest.keyLine = attribute->line;
      digest.keyId = attribute->id;
    }
    const AttributeDecl* decl = checks::findDeclaration(annex_, name);
    if (decl == nullptr) {
      continue;
    }
    document::ParcelParts parts;
    Verdict verdict =
        judgeBaseType(decl->baseType, attribute->value, day_, decl->check == ValueCheck::kFutureOk);
    if (!verdict) {
      verdict = judgeMark(decl->check, attribute->value, day_, &parts);
    }
    if (!verdict && !parts.precinct.empty() && parcel == nullptr) {
      parcel = attribute;
      parcelParts = parts;
      digest.parcelEntry = attribute->name;
      digest.parcelLine = attribute->line;
      digest.parcelId = attribute->id;
      digest.parcelValue = attribute->value;
    }
    if (verdict) {
      entryFinding(verdict, *attribute);
    }
  }

  digest.references.reserve(object.relations.size());
  for (const auto& [name, relation] : object.relations) {
    if (relation->destType.empty()) {
      continue;  // no target type at all: the catalogue's 6010
    }
    const std::string_view target = TrimView(relation->destObject);
    if (target.empty()) {
      found.push_back(document::MakeEntryFinding(dcUnnamedTarget, subject, relation->name,
                                                 relation->line, relation->id,
                                                 {relation->name, object.typeName}));
      continue;
    }
    const TypeInfo* targetInfo = typeInfo(relation->destType);
    smObjectDigest::Reference reference;
    reference.relation = relation->name;
    reference.line = relation->line;
    reference.id = relation->id;
    reference.targetType = relation->destType;
    reference.target = AnsiString(target);
    reference.byId = targetInfo == nullptr || targetInfo->key == nullptr;
    const ValueCheck targetKey = targetInfo != nullptr ? targetInfo->keyCheck : ValueCheck::kNone;
    reference.precinctDiffers =
        parcel != nullptr && targetKey == ValueCheck::kPrecinct && parcelParts.precinct != target;
    if (parcel != nullptr && targetKey == ValueCheck::kPrecinct) {
      reference.parcelUnit = AnsiString(parcelParts.unit);
    }
    if (info != nullptr && info->keyCheck == ValueCheck::kPrecinct &&
        targetKey == ValueCheck::kTeryt && digest.unit.empty()) {
      digest.unit = reference.target;  // the precinct's unit
    }

    const ReferenceDef* def =
        info != nullptr ? info->type->getReferenceByCode(relation->code) : nullptr;
    if (def != nullptr && !def->shares.empty()) {
      smObjectDigest::Share share;
      share.reference = digest.references.size();
      share.attribute = def->shares;
      share.line = object.line;
      share.id = object.id;
      if (const smAttribute* attribute = object.getAttributeByCode(def->shares)) {
        share.line = attribute->line;
        share.id = attribute->id;
        share.readable = readShare(*attribute, share.numerator, share.denominator);
      }
      digest.shares.push_back(std::move(share));
    }
    // A target type whose key has a scope: the scope's relation is looked up once all are in.
    reference.scoped =
        targetInfo != nullptr && targetInfo->key != nullptr && targetInfo->scope != nullptr;
    digest.references.push_back(std::move(reference));
  }

  // Scopes: the object's own, and for a reference to a type with a scoped key, the object's
  // relation to the scope's record type (of the scope's name first).
  const auto scopeOf = [&digest](const ReferenceDef& scope) {
    int other = -1;
    for (std::size_t i = 0; i < digest.references.size(); ++i) {
      const smObjectDigest::Reference& r = digest.references[i];
      if (!scope.isRefTypeNamePresent(r.targetType)) {
        continue;
      }
      if (r.relation == scope.name) {
        return static_cast<int>(i);
      }
      if (other < 0) {
        other = static_cast<int>(i);
      }
    }
    return other;
  };
  if (info != nullptr && info->scope != nullptr && digest.keyed) {
    digest.keyScoped = true;
    for (std::size_t i = 0; i < digest.references.size(); ++i) {
      if (digest.references[i].relation == info->scope->name) {
        digest.scope = static_cast<int>(i);
        break;
      }
    }
  }
  for (std::size_t i = 0; i < digest.references.size(); ++i) {
    smObjectDigest::Reference& r = digest.references[i];
    if (r.scoped) {
      r.scope = scopeOf(*typeInfo(r.targetType)->scope);
      if (r.scope >= 0 && static_cast<std::size_t>(r.scope) == i) {
        r.scope = -1;  // a relation is not its own scope
      }
    }
  }

  if (info != nullptr) {
    document::CheckRegisterObject(info->reg, object, digest, found);  // the register checks
  }
  for (smDocumentFinding& finding : found) {
    finding.key = digest.key;
    findings.push_back(std::move(finding));
  }
  return digest;
}

}  // namespace swde
