// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_BENCH_GEN_GENERATOR_HPP_
#define SWDE_BENCH_GEN_GENERATOR_HPP_

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "swde/metadata/Metadata.hpp"

#include "Random.hpp"
#include "Values.hpp"

namespace swde::gen {

// The faults one object may get; each is meant to give exactly one finding of swde-check.
enum class Fault {
  kMalformedNumber,             // FL/NO/LN/UL value that is not a number of its form
  kBadDate,                     // DN/HR/DH value in a wrong form
  kValueOutOfSet,               // a text outside the attribute's value set
  kMissingAttribute,            // a mandatory attribute left out
  kMissingRelation,             // a mandatory relation left out
  kWrongRelationTarget,         // DEST_OBJECT of a type the relation does not admit
  kBadStatus,                   // status outside the known marks
  kWrongBaseType,               // base_type other than the record type's
  kUnknownAttribute,            // an attribute declared in the annex but not for this type
  kBadPostalCode,               // G5KOD not in the form "00-950"
  kImproperFraction,            // a share such as "3/2"
  kSemicolon,                   // ";" inside a typed value
  kDuplicateAttribute,          // a single attribute given twice
  kDuplicateRelation,           // a single relation given twice
  kVerificationBeforeCreation,  // G5DTW earlier than the day of G5DTU
};
constexpr std::size_t kFaultCount = 15;  // keep in sync with Fault

// A short name of the fault, for statistics.
const char* faultName(Fault fault);

// Buffers the document and writes it to a C stream in large blocks.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::FILE* file) : file_(file) { buffer_.reserve(kBlock + 4096); }
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  void append(std::string_view text) {
    buffer_ += text;
    if (buffer_.size() >= kBlock) {
      flush();
    }
  }
  // Appends an attribute value with &, <, > and " escaped.
  void appendEscaped(std::string_view text);
  // Writes what is buffered; false once any write has failed.
  bool flush();
  std::uint64_t bytesWritten() const { return written_; }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::FILE* file_;
  std::string buffer_;
  std::uint64_t written_ = 0;
  bool failed_ = false;
};

struct GeneratorOptions {
  std::uint64_t objects = 1000;
  double faultRate = 0.05;  // share of objects with exactly one fault, in [0, 1]
  std::uint64_t seed = 1;
};

struct GeneratorStats {
  std::uint64_t objects = 0;
  std::uint64_t faulty = 0;
  std::array<std::uint64_t, kFaultCount> byFault{};
};

// Writes a transfer document whose objects are made from a schema: every mandatory attribute
// and relation present with a well-formed value, some optional ones, record types in the mix of
// a county register. Memory does not grow with the number of objects.
//
// Relations point to objects written earlier: before an object whose required relation has no
// target yet, one object of a target type is written (and counts towards the total). A
// DEST_OBJECT names its target by the key the schema marks for the target's record type, else
// by the target's object id. The shares of a group (a relation marked `shares`) are written
// one after another and add up to 1.
//
// The register is kept consistent where the document checks judge it: the land-use parts of a
// parcel (G5KLU) follow their parcel and their areas add up to its area; a parcel is in the
// latest land register unit (G5JDR of kind G), in that unit's commune and precinct; a building
// is in a building unit and premises in a premises unit, when they name one; a building's
// identifier is its parcel's followed by its number there; PESEL and REGON numbers never repeat.
class Generator {
 public:
  // Reads what it needs from `schema` and keeps no reference to it. Throws
  // std::invalid_argument when the schema defines no record type.
  Generator(const Metadata& schema, const GeneratorOptions& options);

  // Writes the whole document.
  void write(OutputBuffer& out);
  const GeneratorStats& stats() const { return stats_; }

 private:
  struct AttributePlan {
    std::string name;  // UTF-8
    Form form;
    ValueCheck check;
    int mandatory;
    bool multiple;
    std::vector<std::string> values;  // the value set, UTF-8; empty when not limited
  };
  struct RelationPlan {
    std::string name;
    int mandatory;
    bool multiple;
    bool inverse;
    std::vector<std::size_t> targets;    // admitted record types, indices into types_
    std::vector<std::size_t> strangers;  // every other record type
    std::size_t shareAttribute;          // the attribute holding the share it groups; or npos
  };
  // What a record type stands for in the register.
  enum class Role { kNone, kParcel, kLandUse, kBuilding, kPremises, kUnit };

  struct TypePlan {
    Role role = Role::kNone;
    std::size_t areaAttribute;   // G5PEW; npos when none
    std::size_t kindAttribute;   // a register unit's kind G5TJR; npos when none
    std::size_t unitRelation;    // G5RJDR; npos when none
    std::size_t parcelRelation;  // G5RDZE; npos when none
    std::int64_t lastArea = -1;  // the area of the last object, in 0.0001 ha; -1: none read
    std::string name;
    std::string baseType;
    std::vector<AttributePlan> attributes;
    std::vector<RelationPlan> relations;
    std::vector<std::size_t> foreign;  // declared attributes the type does not have
    std::vector<Fault> faults;         // the faults this type can take
    std::size_t keyAttribute;          // the schema's key; npos: objects are named by id
    bool precinct = false;             // the key is a precinct number (check="precinct")
    bool unit = false;                 // the key is a cadastral unit code (check="teryt")
    std::size_t shareRelation;         // the relation grouping its shares; npos when none
    double cumulativeWeight = 0;
    // Record types whose key is unique within an object of this type (key-scope): a new object
    // of this type starts their numbering anew, so they are written again before use.
    std::vector<std::size_t> scopes;
    std::string keyScope;         // the relation scoping its key; empty: none
    bool shortKey = false;        // its keys repeat from scope to scope
    std::string lastKey;          // how relations name the last object written; empty: none yet
    std::string lastId;           // the last object's id (its ordinal)
    std::string lastShareTarget;  // the target of its last group of shares (type and name)
    std::uint64_t count = 0;
  };
  struct Declaration {
    std::string name;
    Form form;
  };
  // One DEST_OBJECT to write: the relation, the target's record type and name.
  struct Link {
    std::size_t relation;
    std::size_t target;  // index into types_
    std::string name;
  };
  // A group of shares being written: the relation's target and each member's share.
  struct SharePlan {
    std::size_t target;
    std::string name;
    std::vector<const char*> shares;
    std::size_t member = 0;
  };
  // The land-use parts of a parcel being written: the area left to share out, in 0.0001 ha
  // (-1: the parcel's area is not known and the parts take any), and the parts still to come.
  struct PartPlan {
    std::int64_t remaining = -1;
    int parts = 1;
    bool open() const { return remaining < 0 ? parts > 0 : remaining > 0; }
  };
  // The latest register unit of one kind: its key and object id, and the cadastral unit and
  // precinct of its parcels.
  struct UnitHome {
    std::string key;
    std::string id;
    std::string unit;
    std::string precinct;
    std::size_t precinctType = static_cast<std::size_t>(-1);
  };
  struct FaultPlan {
    bool active = false;
    Fault kind = Fault::kBadStatus;
    std::size_t index = 0;  // the attribute, relation or declaration it concerns
  };

  std::vector<std::size_t> candidates(const TypePlan& type, Fault fault) const;
  std::size_t chooseType();
  FaultPlan chooseFault(const TypePlan& type);
  void writeWithTargets(OutputBuffer& out, std::size_t typeIndex);
  void writeShareGroup(OutputBuffer& out, std::size_t typeIndex);
  void writePartGroup(OutputBuffer& out, std::size_t typeIndex);
  void writeObject(OutputBuffer& out, std::size_t typeIndex, const SharePlan* share,
                   PartPlan* part = nullptr);
  std::vector<Link> planLinks(const TypePlan& type, const FaultPlan& fault, const SharePlan* share);
  // The area of one land-use part of `plan`; `counted` false: the part is not the parcel's.
  std::string partArea(PartPlan& plan, bool counted);
  // The home of the kind of unit objects of `type` are in: 0 G, 1 B, 2 L; -1: none.
  static int unitKindOf(const TypePlan& type);
  std::string faultyValue(const AttributePlan& attribute, Fault fault, int creationDay);

  GeneratorOptions options_;
  Random random_;
  Values values_;
  std::vector<TypePlan> types_;
  std::vector<Declaration> declarations_;
  std::vector<bool> inProgress_;  // types whose targets are being written, against cycles
  // "precinct type/precinct key" -> the unit its relation names, for the parcels in it.
  std::unordered_map<std::string, std::string> precinctUnits_;
  std::array<UnitHome, 3> homes_;  // the latest unit of each kind G, B, L
  char forcedKind_ = 0;            // the kind the next register unit gets; 0: any
  GeneratorStats stats_;
};

}  // namespace swde::gen

#endif  // SWDE_BENCH_GEN_GENERATOR_HPP_
