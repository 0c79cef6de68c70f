// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_CHECKS_DOCUMENTREGISTER_HPP_
#define SWDE_CHECKS_DOCUMENTREGISTER_HPP_

// The register checks: the part of the document checks that knows what the national record
// types stand for (parcels and their land-use parts, buildings, premises, register units,
// persons and institutions) and judges the register's consistency. Internal to the library;
// the rules and the names they know are in DocumentRegister.cpp.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "swde/checks/DocumentChecks.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {
namespace document {

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
// 7041, 7043, 7047). REQUIRES: the rest of the digest is filled (key, parcel identifier,
// references, shares); the object is checked (not left out).
void CheckRegisterObject(const RegisterType& type, const smObject& object, smObjectDigest& digest,
                         std::vector<smDocumentFinding>& findings);

// "WWPPGG_R.OOOO", the commune and precinct that a parcel identifier (or a building identifier,
// which begins the same way) names; empty when `id` (trimmed) does not begin so.
std::string_view PrecinctOf(std::string_view id);

// The document-level part, one per document: parcels with the sums of their parts, register
// units with the precinct of their parcels, the subjects' numbers.
class RegisterState {
 public:
  explicit RegisterState(smTransfer transfer);
  ~RegisterState();
  RegisterState(const RegisterState&) = delete;
  RegisterState& operator=(const RegisterState&) = delete;

  // The kind the document declares; a kind fixed at construction wins.
  void declare(smTransfer kind);
  smTransfer transfer() const;
  bool update() const { return transfer() == smTransfer::kUpdate; }

  // Takes the next digest in document order; appends what it settles at once (7044, and 7045
  // and 7046 against a register unit that came before).
  void add(const smObjectDigest& digest, std::vector<smDocumentFinding>& findings);
  // Appends, unordered, what the end of the document settles: parcel areas against their parts
  // (7042), and 7045 and 7046 against register units that came after their objects.
  void finish(std::vector<smDocumentFinding>& findings);

 private:
  struct Data;
  std::unique_ptr<Data> data_;
  smTransfer fixed_;
  smTransfer declared_ = smTransfer::kDeclared;
};

}  // namespace document
}  // namespace swde

#endif  // SWDE_CHECKS_DOCUMENTREGISTER_HPP_
