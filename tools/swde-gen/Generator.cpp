// swde — semantic checks of SWDE cadastral exchange objects.
//
// The schema is turned once into plans (UTF-8 names, value forms, admitted targets, the faults
// each record type can take); objects are then written one at a time from the plans and a
// seeded generator, so the document depends on the seed alone and memory stays flat.
//
// Each fault is shaped so that swde-check reports it once and nothing else: a malformed date is
// never put into G5DTW or G5DTU together with another fault, ";" goes only into typed values
// other than those two, a duplicated attribute repeats the same valid value.
#include "Generator.hpp"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "swde/platform/Cp1250.hpp"

namespace swde::gen {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Shares of a county register (in %); the rest is spread evenly over the other record types.
struct TypeShare {
  const char* name;
  double percent;
};
constexpr TypeShare kShares[] = {{"G5DZE", 30}, {"G5KLU", 20}, {"G5BUD", 10}, {"G5ADR", 10},
                                 {"G5UDZ", 5},  {"G5UDW", 5},  {"G5OSF", 10}};
constexpr double kRestPercent = 10;

// Record types whose own rule judges G5UD as a proper fraction and G5KOD as a postal code.
constexpr const char* kShareTypes[] = {"G5UDZ", "G5UDW", "G5UDD", "G5PDZ", "G5JRZ"};
constexpr const char* kAddressType = "G5ADR";

// The register's record types and entries, by name.
constexpr const char* kLandUseType = "G5KLU";
constexpr const char* kBuildingTypes[] = {"G5BUD", "G5O_BUD", "G5G_BUD"};
constexpr const char* kPremisesType = "G5LKL";
constexpr const char* kUnitType = "G5JDR";
constexpr int kMaxParts = 3;  // land-use parts of one parcel

// An area written by Values::real ("w.dddd") in units of 0.0001 ha; -1 when it is not one.
std::int64_t areaUnits(std::string_view text) {
  const std::size_t point = text.find('.');
  if (point == std::string_view::npos || text.size() - point != 5 || point == 0) {
    return -1;
  }
  std::int64_t units = 0;
  for (const char c : text) {
    if (c != '.') {
      if (c < '0' || c > '9') {
        return -1;
      }
      units = units * 10 + (c - '0');
    }
  }
  return units;
}

std::string areaText(std::int64_t units) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%lld.%04lld", static_cast<long long>(units / 10000),
                static_cast<long long>(units % 10000));
  return buffer;
}

// How often what is not required is written anyway.
constexpr double kOptionalAttribute = 0.35;
constexpr double kLevel3Attribute = 0.9;    // present, of mandatory level 3 or more
constexpr double kLevel3Blank = 0.2;        // and then blank
constexpr double kSecondOccurrence = 0.25;  // of a multiple attribute
constexpr double kOptionalRelation = 0.4;
constexpr double kInverseRelation = 0.03;
constexpr double kMoreTargets = 0.3;  // a multiple relation with two or three targets
constexpr double kStatus01 = 0.02;
constexpr double kStatus10 = 0.02;
constexpr double kFractionalSeconds = 0.03;  // G5DTU with ".sssss"

bool isRequired(int mandatory) {
  return mandatory == 1 || mandatory == 2;
}

template <std::size_t N>
bool contains(const char* const (&list)[N], std::string_view name) {
  return std::find(std::begin(list), std::end(list), name) != std::end(list);
}

template <std::size_t N>
const char* pick(Random& random, const char* const (&list)[N]) {
  return list[random.below(N)];
}

// True for the faults that concern one attribute's value (and its index is an attribute's).
bool changesValue(Fault fault) {
  switch (fault) {
    case Fault::kMalformedNumber:
    case Fault::kBadDate:
    case Fault::kValueOutOfSet:
    case Fault::kBadPostalCode:
    case Fault::kImproperFraction:
    case Fault::kSemicolon:
    case Fault::kDuplicateAttribute:
    case Fault::kVerificationBeforeCreation:
      return true;
    default:
      return false;
  }
}

bool isTyped(Form form) {
  return form != Form::kText;
}

}  // namespace

const char* faultName(Fault fault) {
  switch (fault) {
    case Fault::kMalformedNumber:
      return "malformed-number";
    case Fault::kBadDate:
      return "bad-date";
    case Fault::kValueOutOfSet:
      return "value-out-of-set";
    case Fault::kMissingAttribute:
      return "missing-attribute";
    case Fault::kMissingRelation:
      return "missing-relation";
    case Fault::kWrongRelationTarget:
      return "wrong-relation-target";
    case Fault::kBadStatus:
      return "bad-status";
    case Fault::kWrongBaseType:
      return "wrong-base-type";
    case Fault::kUnknownAttribute:
      return "unknown-attribute";
    case Fault::kBadPostalCode:
      return "bad-postal-code";
    case Fault::kImproperFraction:
      return "improper-fraction";
    case Fault::kSemicolon:
      return "semicolon";
    case Fault::kDuplicateAttribute:
      return "duplicate-attribute";
    case Fault::kDuplicateRelation:
      return "duplicate-relation";
    case Fault::kVerificationBeforeCreation:
      return "verification-before-creation";
  }
  return "?";
}

// --- OutputBuffer

void OutputBuffer::appendEscaped(std::string_view text) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* entity = nullptr;
    switch (text[i]) {
      case '&':
        entity = "&amp;";
        break;
      case '<':
        entity = "&lt;";
        break;
      case '>':
        entity = "&gt;";
        break;
      case '"':
        entity = "&quot;";
        break;
      default:
        continue;
    }
    buffer_.append(text, start, i - start);
    buffer_ += entity;
    start = i + 1;
  }
  buffer_.append(text, start, text.size() - start);
}

bool OutputBuffer::flush() {
  if (!buffer_.empty() && !failed_) {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
      failed_ = true;
    }
    written_ += buffer_.size();
  }
  buffer_.clear();
  return !failed_;
}

// --- Generator: the plans

Generator::Generator(const Metadata& schema, const GeneratorOptions& options)
    : options_(options), random_(options.seed), values_(random_) {
  for (const auto& decl : schema.attribsSection->declarations()) {
    declarations_.push_back(Declaration{Cp1250ToUtf8(decl->name), formOf(decl->baseType)});
  }
  const auto& types = schema.typesSection->types();
  if (types.empty()) {
    throw std::invalid_argument("the schema defines no record type");
  }
  auto indexOf = [&](const AnsiString& name) {
    for (std::size_t i = 0; i < types.size(); ++i) {
      if (types[i]->name == name) {
        return i;
      }
    }
    return kNone;
  };

  for (const auto& type : types) {
    TypePlan plan;
    plan.name = Cp1250ToUtf8(type->name);
    plan.baseType = Cp1250ToUtf8(type->baseType);
    plan.keyAttribute = kNone;
    plan.shareRelation = kNone;
    plan.areaAttribute = kNone;
    plan.kindAttribute = kNone;
    plan.unitRelation = kNone;
    plan.parcelRelation = kNone;
    std::vector<const AttributeDef*> defs;  // parallel to plan.attributes
    for (const AttributeDef* def : type->attributes()) {
      defs.push_back(def);
      AttributePlan attribute;
      attribute.name = Cp1250ToUtf8(def->name);
      const AttributeDecl* decl = schema.attribsSection->getAttribute(def->name);
      attribute.form = decl != nullptr ? formOf(decl->baseType) : Form::kText;
      attribute.check = decl != nullptr ? decl->check : ValueCheck::kNone;
      attribute.mandatory = def->mandatory;
      attribute.multiple = def->multiple;
      for (const AnsiString& value : def->possibleValues()) {
        attribute.values.push_back(Cp1250ToUtf8(value));
      }
      if (def->key && plan.keyAttribute == kNone) {
        plan.keyAttribute = plan.attributes.size();
        plan.precinct = attribute.check == ValueCheck::kPrecinct;
        plan.unit = attribute.check == ValueCheck::kTeryt;
        // Register unit numbers repeat from precinct to precinct (Values): the objects of
        // other precincts name them by object id.
        plan.shortKey = !def->keyScope.empty() && attribute.name == "G5IJR";
        plan.keyScope = Cp1250ToUtf8(def->keyScope);
        if (attribute.check == ValueCheck::kParcelId) {
          plan.role = Role::kParcel;
        }
      }
      if (attribute.name == "G5PEW" && attribute.form == Form::kReal) {
        plan.areaAttribute = plan.attributes.size();
      } else if (attribute.name == "G5TJR") {
        plan.kindAttribute = plan.attributes.size();
      }
      plan.attributes.push_back(std::move(attribute));
    }
    for (const ReferenceDef* def : type->references()) {
      RelationPlan relation;
      relation.name = Cp1250ToUtf8(def->name);
      relation.mandatory = def->mandatory;
      relation.multiple = def->multiple;
      relation.inverse = def->presenceExempt;
      relation.shareAttribute = kNone;
      const AttributeDef* share =
          def->shares.empty() ? nullptr : type->getAttributeByCode(def->shares);
      for (std::size_t i = 0; i < defs.size() && share != nullptr; ++i) {
        if (defs[i] == share) {
          relation.shareAttribute = i;
        }
      }
      if (relation.shareAttribute != kNone && plan.shareRelation == kNone) {
        plan.shareRelation = plan.relations.size();
      }
      if (!relation.inverse && relation.name == "G5RJDR") {
        plan.unitRelation = plan.relations.size();
      } else if (!relation.inverse && relation.name == "G5RDZE") {
        plan.parcelRelation = plan.relations.size();
      }
      for (const AnsiString& target : def->refTypeNames()) {
        const std::size_t index = indexOf(target);
        if (index != kNone) {
          relation.targets.push_back(index);
        }
      }
      for (std::size_t i = 0; i < types.size(); ++i) {
        if (!def->isRefTypeNamePresent(types[i]->name)) {
          relation.strangers.push_back(i);
        }
      }
      plan.relations.push_back(std::move(relation));
    }
    for (std::size_t i = 0; i < declarations_.size(); ++i) {
      if (type->getAttributeByCode(schema.attribsSection->declarations()[i]->name) == nullptr) {
        plan.foreign.push_back(i);
      }
    }
    if (plan.name == kLandUseType && plan.areaAttribute != kNone && plan.parcelRelation != kNone) {
      plan.role = Role::kLandUse;
    } else if (contains(kBuildingTypes, plan.name)) {
      plan.role = Role::kBuilding;
    } else if (plan.name == kPremisesType) {
      plan.role = Role::kPremises;
    } else if (plan.name == kUnitType && plan.kindAttribute != kNone) {
      plan.role = Role::kUnit;
    }
    types_.push_back(std::move(plan));
  }

  for (std::size_t i = 0; i < types_.size(); ++i) {
    for (const RelationPlan& relation : types_[i].relations) {
      if (types_[i].shortKey && relation.name == types_[i].keyScope) {
        for (const std::size_t target : relation.targets) {
          types_[target].scopes.push_back(i);
        }
      }
    }
  }

  for (TypePlan& plan : types_) {
    for (std::size_t f = 0; f < kFaultCount; ++f) {
      if (!candidates(plan, static_cast<Fault>(f)).empty()) {
        plan.faults.push_back(static_cast<Fault>(f));
      }
    }
  }

  // Weights: the listed shares for the types present, the rest split over the others.
  std::vector<double> weights(types_.size(), 0.0);
  std::size_t others = 0;
  for (std::size_t i = 0; i < types_.size(); ++i) {
    const auto* share = std::find_if(std::begin(kShares), std::end(kShares),
                                     [&](const TypeShare& s) { return types_[i].name == s.name; });
    if (share != std::end(kShares)) {
      weights[i] = share->percent;
    } else {
      ++others;
    }
  }
  double total = 0;
  for (std::size_t i = 0; i < types_.size(); ++i) {
    if (weights[i] == 0.0) {
      weights[i] = kRestPercent / static_cast<double>(others);
    }
    total += weights[i];
    types_[i].cumulativeWeight = total;
  }
  for (TypePlan& plan : types_) {
    plan.cumulativeWeight /= total;
  }
}

std::vector<std::size_t> Generator::candidates(const TypePlan& type, Fault fault) const {
  std::vector<std::size_t> out;
  const auto& attributes = type.attributes;
  const auto& relations = type.relations;
  auto eachAttribute = [&](auto&& test) {
    for (std::size_t i = 0; i < attributes.size(); ++i) {
      if (test(attributes[i])) {
        out.push_back(i);
      }
    }
  };
  auto eachRelation = [&](auto&& test) {
    for (std::size_t i = 0; i < relations.size(); ++i) {
      if (test(relations[i])) {
        out.push_back(i);
      }
    }
  };
  auto isDateStamp = [](const AttributePlan& a) { return a.name == "G5DTW" || a.name == "G5DTU"; };
  switch (fault) {
    case Fault::kMalformedNumber:
      eachAttribute([](const AttributePlan& a) {
        return a.form == Form::kReal || a.form == Form::kInteger || a.form == Form::kLogical ||
               a.form == Form::kFraction;
      });
      break;
    case Fault::kBadDate:
      eachAttribute([](const AttributePlan& a) {
        return a.form == Form::kDate || a.form == Form::kTime || a.form == Form::kDateTime;
      });
      break;
    case Fault::kValueOutOfSet:
      eachAttribute(
          [](const AttributePlan& a) { return a.form == Form::kText && !a.values.empty(); });
      break;
    case Fault::kMissingAttribute:
      eachAttribute([](const AttributePlan& a) { return isRequired(a.mandatory); });
      break;
    case Fault::kMissingRelation:
      eachRelation([](const RelationPlan& r) { return !r.inverse && isRequired(r.mandatory); });
      break;
    case Fault::kWrongRelationTarget:
      eachRelation([](const RelationPlan& r) {
        return !r.inverse && !r.targets.empty() && !r.strangers.empty();
      });
      break;
    case Fault::kBadStatus:
    case Fault::kWrongBaseType:
      out.push_back(0);
      break;
    case Fault::kUnknownAttribute:
      out = type.foreign;
      break;
    case Fault::kBadPostalCode:
      if (type.name == kAddressType) {
        eachAttribute([](const AttributePlan& a) {
          return a.name == "G5KOD" && a.form == Form::kText && a.values.empty();
        });
      }
      break;
    case Fault::kImproperFraction:
      if (contains(kShareTypes, type.name)) {
        eachAttribute(
            [](const AttributePlan& a) { return a.name == "G5UD" && a.form == Form::kFraction; });
      }
      break;
    case Fault::kSemicolon:
      eachAttribute([&](const AttributePlan& a) { return isTyped(a.form) && !isDateStamp(a); });
      break;
    case Fault::kDuplicateAttribute:
      eachAttribute([](const AttributePlan& a) { return !a.multiple && isRequired(a.mandatory); });
      break;
    case Fault::kDuplicateRelation:
      eachRelation(
          [](const RelationPlan& r) { return !r.inverse && !r.multiple && !r.targets.empty(); });
      break;
    case Fault::kVerificationBeforeCreation: {
      std::size_t verified = kNone;
      bool created = false;
      for (std::size_t i = 0; i < attributes.size(); ++i) {
        if (attributes[i].name == "G5DTW" && attributes[i].form == Form::kDate) {
          verified = i;
        }
        if (attributes[i].name == "G5DTU" && attributes[i].form == Form::kDateTime) {
          created = true;
        }
      }
      if (verified != kNone && created) {
        out.push_back(verified);
      }
      break;
    }
  }
  return out;
}

// --- Generator: the objects

std::size_t Generator::chooseType() {
  const double u = random_.unit();
  for (std::size_t i = 0; i < types_.size(); ++i) {
    if (u < types_[i].cumulativeWeight) {
      return i;
    }
  }
  return types_.size() - 1;
}

Generator::FaultPlan Generator::chooseFault(const TypePlan& type) {
  FaultPlan plan;
  if (options_.faultRate <= 0 || !random_.chance(options_.faultRate) || type.faults.empty()) {
    return plan;
  }
  plan.active = true;
  plan.kind = type.faults[random_.below(type.faults.size())];
  const std::vector<std::size_t> where = candidates(type, plan.kind);
  plan.index = where[random_.below(where.size())];
  return plan;
}

std::string Generator::faultyValue(const AttributePlan& attribute, Fault fault, int creationDay) {
  static const char* const kBadReals[] = {"1234,56", "12.5.3", "ok. 300", "1 234,5", "12a"};
  static const char* const kBadIntegers[] = {"3a", "1.5", "trzy", "1e3"};
  static const char* const kBadLogicals[] = {"2", "T", "tak", "01"};
  static const char* const kBadFractions[] = {"1/x", "1:2", "pół", "1/2/x"};
  static const char* const kBadDates[] = {"2005-03-01", "01.03.2005", "2005.3.1", "20050301"};
  static const char* const kBadTimes[] = {"12.30.00", "1230", "12:30"};
  static const char* const kBadDateTimes[] = {"2005.03.01 10:00:00", "2005.03.01-10:00",
                                              "2005-03-01-10:00:00", "2005.03.01"};
  static const char* const kOutOfSet[] = {"Z9", "brak", "99", "XX", "?"};
  static const char* const kBadPostalCodes[] = {"00950", "0-0950", "00-9500", "AB-123", "00 950"};
  static const char* const kImproper[] = {"3/2", "5/4", "2/2", "7/3"};
  switch (fault) {
    case Fault::kMalformedNumber:
      switch (attribute.form) {
        case Form::kReal:
          return pick(random_, kBadReals);
        case Form::kInteger:
          return pick(random_, kBadIntegers);
        case Form::kLogical:
          return pick(random_, kBadLogicals);
        default:
          return pick(random_, kBadFractions);
      }
    case Fault::kBadDate:
      switch (attribute.form) {
        case Form::kDate:
          return pick(random_, kBadDates);
        case Form::kTime:
          return pick(random_, kBadTimes);
        default:
          return pick(random_, kBadDateTimes);
      }
    case Fault::kValueOutOfSet: {
      for (const char* candidate : kOutOfSet) {
        if (std::find(attribute.values.begin(), attribute.values.end(), candidate) ==
            attribute.values.end()) {
          return candidate;
        }
      }
      return "?!";
    }
    case Fault::kBadPostalCode:
      return pick(random_, kBadPostalCodes);
    case Fault::kImproperFraction:
      return pick(random_, kImproper);
    case Fault::kSemicolon: {
      std::string value = values_.make(attribute.name, attribute.form);
      value[value.size() / 2] = ';';
      return value;
    }
    case Fault::kVerificationBeforeCreation:
      return formatDate(creationDay - random_.between(1, 2000));
    default:
      return values_.make(attribute.name, attribute.form);
  }
}

std::vector<Generator::Link> Generator::planLinks(const TypePlan& type, const FaultPlan& fault,
                                                  const SharePlan* share) {
  auto faultOn = [&](Fault kind, std::size_t index) {
    return fault.active && fault.kind == kind && fault.index == index;
  };
  // A target written before, chosen among `candidates`; npos when there is none.
  auto written = [&](const std::vector<std::size_t>& candidates) {
    std::vector<std::size_t> ready;
    for (const std::size_t candidate : candidates) {
      if (!types_[candidate].lastKey.empty()) {
        ready.push_back(candidate);
      }
    }
    return ready.empty() ? kNone : ready[random_.below(ready.size())];
  };
  std::vector<Link> links;
  for (std::size_t i = 0; i < type.relations.size(); ++i) {
    const RelationPlan& relation = type.relations[i];
    if (faultOn(Fault::kMissingRelation, i)) {
      continue;
    }
    const bool wrongTarget = faultOn(Fault::kWrongRelationTarget, i);
    const bool doubled = faultOn(Fault::kDuplicateRelation, i);
    bool present = wrongTarget || doubled;
    if (!present) {
      if (relation.inverse) {
        present = random_.chance(kInverseRelation);
      } else if (isRequired(relation.mandatory)) {
        present = true;
      } else {
        present = random_.chance(kOptionalRelation);
      }
    }
    if (!present || (relation.targets.empty() && !isRequired(relation.mandatory))) {
      continue;
    }
    int occurrences = 1;
    if (doubled) {
      occurrences = 2;
    } else if (relation.multiple && !wrongTarget && random_.chance(kMoreTargets)) {
      occurrences = random_.between(2, 3);
    }
    for (int n = 0; n < occurrences; ++n) {
      if (relation.targets.empty()) {
        links.push_back(Link{i, kNone, {}});  // a RELAT without DEST_OBJECT
        continue;
      }
      if (share != nullptr && i == type.shareRelation && !wrongTarget) {
        links.push_back(Link{i, share->target, share->name});
        continue;
      }
      // A parcel, building or premises is in the latest register unit of its kind.
      const int kind = unitKindOf(type);
      if (i == type.unitRelation && kind >= 0 && !wrongTarget) {
        const UnitHome& home = homes_[static_cast<std::size_t>(kind)];
        const auto unit =
            std::find_if(relation.targets.begin(), relation.targets.end(),
                         [&](std::size_t t) { return types_[t].role == Role::kUnit; });
        if (unit != relation.targets.end() && !home.key.empty()) {
          // By its number where the object has the number's scope (a parcel's precinct is the
          // unit's), else by its object id.
          const TypePlan& to = types_[*unit];
          const bool scoped =
              to.shortKey &&
              std::none_of(type.relations.begin(), type.relations.end(),
                           [&](const RelationPlan& r) { return r.name == to.keyScope; });
          links.push_back(Link{i, *unit, scoped ? home.id : home.key});
          continue;
        }
        if (unit != relation.targets.end() && !isRequired(relation.mandatory)) {
          continue;  // none of its kind yet
        }
      }
      const std::vector<std::size_t>& pool = wrongTarget ? relation.strangers : relation.targets;
      std::size_t target = written(pool);
      if (target == kNone) {
        if (!wrongTarget && !isRequired(relation.mandatory)) {
          continue;  // nothing to point at yet
        }
        // Only where a cycle of required relations leaves no way round: a dangling name.
        target = pool[random_.below(pool.size())];
        links.push_back(Link{i, target, types_[target].name + "/0"});
        continue;
      }
      // A key unique only within a scope names the target where the object has the scope's
      // relation too (the same last object); elsewhere the object id does.
      const TypePlan& to = types_[target];
      const bool scoped =
          to.shortKey && std::none_of(type.relations.begin(), type.relations.end(),
                                      [&](const RelationPlan& r) { return r.name == to.keyScope; });
      links.push_back(Link{i, target, scoped ? to.lastId : to.lastKey});
    }
  }
  return links;
}

int Generator::unitKindOf(const TypePlan& type) {
  switch (type.role) {
    case Role::kParcel:
      return 0;
    case Role::kBuilding:
      return 1;
    case Role::kPremises:
      return 2;
    default:
      return -1;
  }
}

void Generator::writeWithTargets(OutputBuffer& out, std::size_t typeIndex) {
  if (types_[typeIndex].role == Role::kLandUse) {
    writePartGroup(out, typeIndex);
    return;
  }
  inProgress_[typeIndex] = true;
  // A parcel needs a land register unit: one is written first when there is none yet.
  const TypePlan& type = types_[typeIndex];
  if (type.role == Role::kParcel && type.unitRelation != kNone &&
      isRequired(type.relations[type.unitRelation].mandatory)) {
    const std::vector<std::size_t>& targets = type.relations[type.unitRelation].targets;
    const auto unit = std::find_if(targets.begin(), targets.end(),
                                   [&](std::size_t t) { return types_[t].role == Role::kUnit; });
    for (int tries = 0; tries < 3 && unit != targets.end() && homes_[0].key.empty() &&
                        !inProgress_[*unit] && stats_.objects < options_.objects;
         ++tries) {
      forcedKind_ = 'G';
      writeWithTargets(out, *unit);
      forcedKind_ = 0;
    }
  }
  for (const RelationPlan& relation : types_[typeIndex].relations) {
    if (relation.inverse || !isRequired(relation.mandatory) || relation.targets.empty() ||
        std::any_of(relation.targets.begin(), relation.targets.end(),
                    [&](std::size_t t) { return !types_[t].lastKey.empty(); })) {
      continue;
    }
    const auto next = std::find_if(relation.targets.begin(), relation.targets.end(),
                                   [&](std::size_t t) { return !inProgress_[t]; });
    if (next != relation.targets.end() && stats_.objects < options_.objects) {
      writeWithTargets(out, *next);
    }
  }
  inProgress_[typeIndex] = false;
  if (stats_.objects >= options_.objects) {
    return;
  }
  if (types_[typeIndex].shareRelation != kNone) {
    writeShareGroup(out, typeIndex);
  } else {
    writeObject(out, typeIndex, nullptr);
  }
}

void Generator::writeShareGroup(OutputBuffer& out, std::size_t typeIndex) {
  static const std::vector<std::vector<const char*>> kSplits = {
      {"1/1"},        {"1/2", "1/2"},        {"1/3", "2/3"},
      {"1/4", "3/4"}, {"1/2", "1/4", "1/4"}, {"1/6", "1/3", "1/2"}};
  TypePlan& type = types_[typeIndex];
  const RelationPlan& relation = type.relations[type.shareRelation];
  SharePlan plan;
  plan.target =
      relation.targets.empty() ? kNone : relation.targets[random_.below(relation.targets.size())];
  if (plan.target != kNone) {
    // Each group has a target of its own: one that another group of this type points to gets a
    // new object first.
    const auto nameOf = [](const TypePlan& target) {
      // By the target's object id where its key is unique only within a scope, as transfers
      // name the register unit of a share: a short key would name one in every precinct.
      return !target.shortKey || target.lastKey.empty() ? target.lastKey : target.lastId;
    };
    const std::string name = nameOf(types_[plan.target]);
    if (name.empty() || type.lastShareTarget == types_[plan.target].name + "/" + name) {
      writeWithTargets(out, plan.target);
      if (stats_.objects >= options_.objects) {
        return;
      }
    }
    plan.name = nameOf(types_[plan.target]);
    type.lastShareTarget = types_[plan.target].name + "/" + plan.name;
  }
  const std::uint64_t room = options_.objects - stats_.objects;
  std::vector<const std::vector<const char*>*> fitting;
  for (const auto& split : kSplits) {
    if (split.size() <= room) {
      fitting.push_back(&split);
    }
  }
  plan.shares = *fitting[random_.below(fitting.size())];
  for (plan.member = 0; plan.member < plan.shares.size(); ++plan.member) {
    writeObject(out, typeIndex, &plan);
  }
}

void Generator::writePartGroup(OutputBuffer& out, std::size_t typeIndex) {
  const std::vector<std::size_t>& targets =
      types_[typeIndex].relations[types_[typeIndex].parcelRelation].targets;
  if (targets.empty()) {
    writeObject(out, typeIndex, nullptr);
    return;
  }
  // A new parcel first; its parts follow it and share out its area. A parcel that got no key
  // (a fault) gets no parts: they would join the parcel before it.
  const std::size_t parcel = targets.front();
  const std::string before = types_[parcel].lastKey;
  writeWithTargets(out, parcel);
  if (stats_.objects >= options_.objects || types_[parcel].lastKey == before) {
    return;
  }
  const std::uint64_t room = options_.objects - stats_.objects;
  PartPlan plan;
  plan.remaining = types_[parcel].lastArea;
  plan.parts = static_cast<int>(
      std::min<std::uint64_t>(static_cast<std::uint64_t>(random_.between(1, kMaxParts)), room));
  if (plan.remaining > 0) {
    plan.parts = static_cast<int>(std::min<std::int64_t>(plan.parts, plan.remaining));
  }
  while (stats_.objects < options_.objects && plan.open()) {
    writeObject(out, typeIndex, nullptr, &plan);
  }
}

std::string Generator::partArea(PartPlan& plan, bool counted) {
  if (plan.remaining < 0) {
    --plan.parts;
    return values_.real("G5PEW");
  }
  if (!counted) {
    return values_.real("G5PEW");
  }
  std::int64_t take = plan.remaining;
  if (plan.parts > 1) {
    take = random_.between(1, static_cast<int>(plan.remaining - (plan.parts - 1)));
  }
  plan.remaining -= take;
  --plan.parts;
  return areaText(take);
}

void Generator::writeObject(OutputBuffer& out, std::size_t typeIndex, const SharePlan* share,
                            PartPlan* part) {
  TypePlan& type = types_[typeIndex];
  const FaultPlan fault = chooseFault(type);
  auto faultOn = [&](Fault kind, std::size_t index) {
    return fault.active && fault.kind == kind && fault.index == index;
  };
  ++type.count;
  ++stats_.objects;
  if (fault.active) {
    ++stats_.faulty;
    ++stats_.byFault[static_cast<std::size_t>(fault.kind)];
  }
  std::vector<Link> links = planLinks(type, fault, share);
  // A parcel identifier names the precinct the object points to, and that precinct's unit.
  std::string precinct;
  std::string unit;
  std::size_t precinctType = kNone;
  for (const Link& link : links) {
    if (link.target != kNone && types_[link.target].precinct && precinct.empty()) {
      precinct = link.name;
      precinctType = link.target;
      const auto found = precinctUnits_.find(types_[link.target].name + "/" + link.name);
      if (found != precinctUnits_.end()) {
        unit = found->second;
      }
    }
  }
  // A parcel lies in the precinct of its land register unit (and that precinct's unit); a
  // building's identifier begins with that of the parcel it stands on.
  std::string parcel;
  const UnitHome& land = homes_[0];
  if (type.role == Role::kParcel && !land.key.empty()) {
    precinct = land.precinct;
    unit = land.unit;
    for (Link& link : links) {
      if (link.target == land.precinctType) {
        link.name = land.precinct;
      }
    }
  } else if (type.role == Role::kBuilding &&
             !(fault.active && fault.kind == Fault::kWrongRelationTarget &&
               fault.index == type.parcelRelation)) {
    for (const Link& link : links) {
      if (link.relation == type.parcelRelation && parcel.empty()) {
        parcel = link.name;
      }
    }
  }
  values_.nextObject(type.name, precinct, unit, parcel);
  const bool partUnlinked =
      fault.active &&
      (fault.kind == Fault::kMissingRelation || fault.kind == Fault::kWrongRelationTarget) &&
      fault.index == type.parcelRelation;
  std::int64_t area = -1;
  char unitKind = 0;

  // The opening tag, after a blank line between objects.
  if (stats_.objects > 1) {
    out.append("\n");
  }
  out.append("  <OBJECT name=\"");
  out.appendEscaped(type.name);
  out.append("\" base_type=\"");
  if (faultOn(Fault::kWrongBaseType, 0)) {
    out.append(type.baseType == "RD" ? "RO" : "RD");
  } else {
    out.appendEscaped(type.baseType);
  }
  out.append("\" status=\"");
  if (faultOn(Fault::kBadStatus, 0)) {
    static const char* const kBadStatuses[] = {"3", "99", "0", "AB", "30", "O0"};
    out.append(pick(random_, kBadStatuses));
  } else {
    const double u = random_.unit();
    out.append(u < kStatus01 ? "01" : u < kStatus01 + kStatus10 ? "10" : "00");
  }
  out.append("\">\n");

  // Attributes.
  const int creationDay = values_.creationDay();
  std::string key;
  bool sectionOpen = false;
  auto openSection = [&](const char* tag) {
    if (!sectionOpen) {
      out.append(tag);
      sectionOpen = true;
    }
  };
  auto writeAttribute = [&](std::string_view name, std::string_view value) {
    openSection("    <ATTRIBUTES>\n");
    out.append("      <ATTR name=\"");
    out.appendEscaped(name);
    out.append("\" value_str=\"");
    out.appendEscaped(value);
    out.append("\"/>\n");
  };
  const std::size_t shareAttribute =
      share != nullptr ? type.relations[type.shareRelation].shareAttribute : kNone;
  for (std::size_t i = 0; i < type.attributes.size(); ++i) {
    const AttributePlan& attribute = type.attributes[i];
    if (faultOn(Fault::kMissingAttribute, i)) {
      continue;
    }
    const bool faulty = fault.active && changesValue(fault.kind) && fault.index == i;
    bool present = faulty || isRequired(attribute.mandatory) || i == shareAttribute;
    bool blank = false;
    if (!present) {
      if (attribute.mandatory >= 3) {
        present = random_.chance(kLevel3Attribute);
        blank = present && random_.chance(kLevel3Blank);
      } else {
        present = random_.chance(kOptionalAttribute);
      }
    }
    if (!present) {
      continue;
    }
    std::string value;
    const bool unitKindAttribute = type.role == Role::kUnit && i == type.kindAttribute;
    if (faulty && fault.kind != Fault::kDuplicateAttribute) {
      value = faultyValue(attribute, fault.kind, creationDay);
    } else if (i == shareAttribute) {
      value = share->shares[share->member];
    } else if (part != nullptr && i == type.areaAttribute && !blank) {
      value = partArea(*part, !partUnlinked);
    } else if (unitKindAttribute && forcedKind_ != 0 && !blank) {
      value = std::string(1, forcedKind_);
    } else if (blank) {
      value.clear();
    } else if (attribute.name == "G5DTU" && attribute.form == Form::kDateTime) {
      value = formatDate(creationDay) + "-" + values_.time();
      if (random_.chance(kFractionalSeconds)) {
        value += "." + std::to_string(random_.between(10000, 99999));
      }
    } else if (attribute.name == "G5DTW" && attribute.form == Form::kDate) {
      // Verified on the day of creation or later, but not after the end of 2025.
      const int lastDay = daysFromCivil(2025, 12, 31);
      value = formatDate(creationDay + random_.between(0, std::max(0, lastDay - creationDay)));
    } else if (!attribute.values.empty()) {
      value = attribute.values[random_.below(attribute.values.size())];
    } else {
      value = values_.make(attribute.name, attribute.form, attribute.check);
    }
    const bool clean = !blank && !(faulty && fault.kind != Fault::kDuplicateAttribute);
    if (clean && i == type.areaAttribute) {
      area = areaUnits(value);
    }
    if (clean && unitKindAttribute && (value == "G" || value == "B" || value == "L")) {
      unitKind = value[0];
    }
    if (clean && type.role == Role::kUnit && i == type.keyAttribute && unitKind != 0 &&
        !value.empty()) {
      value[0] = unitKind;  // the unit's number begins with its kind
    }
    if (i == type.keyAttribute) {
      key = value;
    }
    int occurrences = 1;
    if (faultOn(Fault::kDuplicateAttribute, i)) {
      occurrences = 2;
    } else if (attribute.multiple && !faulty && random_.chance(kSecondOccurrence)) {
      occurrences = 2;
    }
    for (int n = 0; n < occurrences; ++n) {
      writeAttribute(attribute.name, value);
    }
  }
  if (fault.active && fault.kind == Fault::kUnknownAttribute) {
    const Declaration& declaration = declarations_[fault.index];
    writeAttribute(declaration.name, values_.make(declaration.name, declaration.form));
  }
  if (sectionOpen) {
    out.append("    </ATTRIBUTES>\n");
    sectionOpen = false;
  }

  // Relations.
  for (const Link& link : links) {
    openSection("    <RELATIONS>\n");
    out.append("      <RELAT name=\"");
    out.appendEscaped(type.relations[link.relation].name);
    out.append("\">");
    if (link.target != kNone) {
      out.append("<DEST_OBJECT element=\"");
      out.appendEscaped(types_[link.target].name);
      out.append("\" name=\"");
      out.appendEscaped(link.name);
      out.append("\"/>");
    }
    out.append("</RELAT>\n");
  }
  if (sectionOpen) {
    out.append("    </RELATIONS>\n");
  }
  out.append("  </OBJECT>\n");

  if (type.precinct && !key.empty()) {
    for (const Link& link : links) {
      if (link.target != kNone && types_[link.target].unit) {
        precinctUnits_.emplace(type.name + "/" + key, link.name);
        break;
      }
    }
  }
  for (const std::size_t scoped : type.scopes) {
    types_[scoped].lastKey.clear();  // numbered anew within this object
  }
  type.lastId = std::to_string(stats_.objects);
  type.lastArea = area;
  if (type.role == Role::kUnit && unitKind != 0 && !key.empty() && !precinct.empty()) {
    homes_[std::string_view("GBL").find(unitKind)] =
        UnitHome{key, type.lastId, unit.empty() ? values_.commune() : unit, precinct, precinctType};
  }
  if (type.keyAttribute == kNone) {
    type.lastKey = type.lastId;  // the object's id: its ordinal
  } else if (!key.empty()) {
    type.lastKey = std::move(key);
  }
}

void Generator::write(OutputBuffer& out) {
  out.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  char header[160];
  std::snprintf(header, sizeof header,
                "<!-- Synthetic transfer document written by swde-gen: %llu objects, seed %llu, "
                "fault rate %g. -->\n",
                static_cast<unsigned long long>(options_.objects),
                static_cast<unsigned long long>(options_.seed), options_.faultRate);
  out.append(header);
  out.append("<SWDE>\n");
  inProgress_.assign(types_.size(), false);
  while (stats_.objects < options_.objects) {
    writeWithTargets(out, chooseType());
  }
  out.append("</SWDE>\n");
}

}  // namespace swde::gen
