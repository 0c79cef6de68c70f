// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_DOCUMENT_REGISTERCHECKS_HPP_
#define SWDE_DOCUMENT_REGISTERCHECKS_HPP_

// The register checks: the part of the document checks that knows what the national record
// types stand for (parcels and their land-use parts, buildings, premises, register units,
// persons and institutions) and judges the register's consistency. Internal to the library.
//
//   - Areas (G5PEW, in hectares) of parcels and of their land-use parts are read exactly, in
//     units of 0.0001 ha (never as floating point). A parcel's area is above zero (7040); an
//     area given finer than 0.0001 ha is a warning (7041); a parcel's area is the sum of the
//     areas of its land-use parts (7042) when all its parts are in the document: every part the
//     parcel lists (inverse G5RKLU) is in it and points to it, and in an update transfer the
//     parcel lists its parts (in a full transfer, the parts present are all of them).
//   - Subjects: a PESEL (REGON) names one person (institution): repeated among the objects of a
//     record type, it is reported at the second (7044). A share is above zero (7043).
//   - Register units (G5JDR, of the kind G5TJR): a parcel is in a land register unit (G), a
//     building in a building unit (B), premises in a premises unit (L) (7045); the parcels of
//     one land register unit lie in one precinct, that of the first of them (7046); a building
//     identifier begins with the commune and precinct of a parcel it stands on (7047, warning).
//
// Objects are named as the rest of the document checks name them: a relation's target is the
// object its name resolves to within the referring object's scope (Identities), never its text.
// The record types are known by name (G5KLU, G5BUD and its variants, G5LKL, G5JDR) or by the
// schema's marks (parcels: a key marked parcel-id; persons and institutions: an attribute marked
// pesel or regon). A value that the catalogue or the value checks already report (a malformed
// or negative number, a share that is not a proper fraction) is not judged again here.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "swde/document/DocumentChecks.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {
namespace document {

// The national names the register checks know.
constexpr std::string_view kAreaCode = "G5PEW";         // an area in hectares
constexpr std::string_view kLandUseType = "G5KLU";      // a land-use part of a parcel
constexpr std::string_view kParcelRelation = "G5RDZE";  // of a part or a building: its parcel
constexpr std::string_view kPartsRelation = "G5RKLU";   // of a parcel: its parts (inverse)
constexpr std::string_view kUnitType = "G5JDR";         // a register unit
constexpr std::string_view kUnitKindCode = "G5TJR";     // its kind: G land, B buildings, L premises
constexpr std::string_view kUnitRelation = "G5RJDR";    // of a parcel, building, premises: its unit

// What a record type stands for in the register (smObjectDigest::Register::role).
enum class RegisterRole : std::uint8_t {
  kNone,
  kParcel,       // its key attribute is marked parcel-id (G5DZE and its variants)
  kLandUse,      // G5KLU: a land-use part of a parcel
  kBuilding,     // G5BUD and its variants
  kPremises,     // G5LKL
  kUnit,         // G5JDR: a register unit
  kPerson,       // a record type with an attribute marked pesel (G5OSF)
  kInstitution,  // a record type with an attribute marked regon (G5INS)
};

// What the per-object part needs to know of one record type.
struct RegisterType {
  RegisterRole role = RegisterRole::kNone;
  AnsiString subjectCode;  // a person or an institution: the code of its PESEL or REGON
  // A land-use part or a building: its relation to its parcel(s) (G5RDZE), whose targets count
  // only when the schema admits them (another is the catalogue's 6010).
  const ReferenceDef* parcel = nullptr;
};

// The register's view of `type` (of the reference schema `annex`), whose key attribute carries
// the mark `keyCheck`. Reads the schema through its lookups only.
RegisterType RegisterTypeOf(const Metadata* annex, const RecordType& type, ValueCheck keyCheck);

// The per-object part: fills digest.reg and appends the findings about the object alone (7040,
// 7041, 7043). REQUIRES: the rest of the digest is filled (key, parcel identifier, references,
// shares); the object is checked (not left out).
void CheckRegisterObject(const RegisterType& type, const smObject& object, smObjectDigest& digest,
                         std::vector<smDocumentFinding>& findings);

// "WWPPGG_R.OOOO", the commune and precinct that a parcel identifier (or a building identifier,
// which begins the same way) names; empty when `id` (trimmed) does not begin so.
std::string_view PrecinctOf(std::string_view id);

// How the register checks learn which object a name means, from the document-level part that
// resolves names (DocumentState.cpp). Names are resolved only when the document ends, as the rest
// of the document checks resolve them, so what the register checks find does not depend on the
// order of the objects. An identity names one object: a keyed object has one by its key, its
// ordinal among the keyed objects (below 2^32, growing in document order), and one by its id; an
// object without key one by its id.
class Identities {
 public:
  static constexpr std::uint64_t kNone = ~std::uint64_t{0};
  static bool IsOrdinal(std::uint64_t identity) { return identity <= 0xFFFFFFFFu; }

  // The object of `digest`, which the document-level part has just taken: its identity by key
  // (kNone without one) and by id.
  virtual std::uint64_t byKey(const smObjectDigest& digest) = 0;
  virtual std::uint64_t byId(const AnsiString& typeName, std::uint32_t id) = 0;
  // A handle for the name of reference `index` of `digest`, for resolve() at the end.
  virtual std::uint32_t handle(const smObjectDigest& digest, std::size_t index) = 0;
  // At the end of the document: the object a handle names; kNone when none or several.
  virtual std::uint64_t resolve(std::uint32_t handle) = 0;
  // The key of `digest` where the document-level part keeps it for as long as the document;
  // empty when it keeps none (a key held twice costs its bytes once).
  virtual std::string_view keptKey(const smObjectDigest& digest) = 0;

 protected:
  virtual ~Identities() = default;
};

// The document-level part, one per document: parcels with the sums of their parts, register
// units with the precinct of their parcels, buildings with the precincts of their parcels, the
// subjects' numbers. Codes in `notWanted` are not looked for, and nothing is kept for them.
class RegisterState {
 public:
  explicit RegisterState(const smDocumentOptions& options);
  ~RegisterState();
  RegisterState(const RegisterState&) = delete;
  RegisterState& operator=(const RegisterState&) = delete;

  // True when a code that needs names resolved is wanted (7042, 7045, 7046, 7047).
  bool resolves() const;

  // The kind the document declares; a kind fixed by the options wins.
  void declare(smTransfer kind) { declared_ = kind; }
  smTransfer transfer() const;
  bool update() const { return transfer() == smTransfer::kUpdate; }

  // Takes the next digest in document order, after the document-level part that `names` stands
  // for took it; appends what it settles at once (7044: a number an earlier subject has).
  void add(const smObjectDigest& digest, Identities& names,
           std::vector<smDocumentFinding>& findings);
  // Appends, unordered, what the names settle: parcel areas against their parts (7042), register
  // units of another kind (7045), a land register unit's parcels in two precincts (7046) and
  // building identifiers against their parcels (7047). REQUIRES: `names` resolves (the end).
  void finish(Identities& names, std::vector<smDocumentFinding>& findings);

 private:
  struct Data;
  std::unique_ptr<Data> data_;
  smTransfer fixed_;
  smTransfer declared_ = smTransfer::kDeclared;
};

}  // namespace document
}  // namespace swde

#endif  // SWDE_DOCUMENT_REGISTERCHECKS_HPP_
