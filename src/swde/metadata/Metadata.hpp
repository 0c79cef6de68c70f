// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_METADATA_METADATA_HPP_
#define SWDE_METADATA_METADATA_HPP_

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "swde/metadata/NameIndex.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// A schema set: the attribute declarations (SP) and the record type definitions (ST). The host
// builds one for the reference schema (the annex) and one for the checked file's own sections;
// the checks only read them, through lookups and the const views of the definitions, and move
// no walk cursor. So one set may serve any number of threads checking at once, as long as
// nobody changes it, or walks it with the first/next cursors of a RecordType, meanwhile.
//
// Every lookup compares names and codes exactly, byte for byte, through a hash index (never a
// linear scan). Where a
// name or code is added twice, lookups find the one added first; walks see both.

// What the document checks (smDocumentChecks) demand of an attribute's values beyond their base
// type. The catalogue's checks never look at it.
enum class ValueCheck : std::uint8_t {
  kNone,      // nothing beyond the base type
  kPesel,     // "pesel": a PESEL number, check digit and birth date
  kNip,       // "nip": a NIP number with its check digit
  kRegon,     // "regon": a REGON number of 9 or 14 digits with its check digit
  kParcelId,  // "parcel-id": a parcel identifier WWPPGG_R.OOOO.NDZ
  kTeryt,     // "teryt": a commune code with its type digit, WWPPGG_R
  kPrecinct,  // "precinct": a precinct number of four digits
  kArea,      // "area": a number that may not be negative
  kFutureOk,  // "future-ok": a date that may lie after the day of the check
  kKw,        // "kw": a land and mortgage register number CCCC/NNNNNNNN/K with its check digit
};

// The schema name of `check` ("pesel", "parcel-id", ...; "" for kNone).
const char* ValueCheckName(ValueCheck check);
// The check named `name` in a schema; false when there is none of that name.
bool ParseValueCheck(std::string_view name, ValueCheck& check);

// One declaration of the attribute section: a name and its base type code.
struct AttributeDecl {
  AnsiString name;
  AnsiString baseType;  // "FL", "NO", "LN", "UL", "DN", "HR", "DH" or a code without form rule
  ValueCheck check = ValueCheck::kNone;  // read by the document checks only
  std::uint32_t line = 0;                // of its definition in a schema file; 0: unknown
};

// A read-only view of definitions kept in order: iterates and indexes them as `const T*`
// (never null). Valid while the record type that owns them lives and nothing is added to it.
template <typename T>
class DefinitionsView {
 public:
  using Store = std::vector<std::unique_ptr<T>>;

  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = const T*;
    using difference_type = std::ptrdiff_t;
    using pointer = const T* const*;
    using reference = const T*;

    explicit iterator(typename Store::const_iterator at) : at_(at) {}
    const T* operator*() const { return at_->get(); }
    iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator==(const iterator& other) const { return at_ == other.at_; }
    bool operator!=(const iterator& other) const { return at_ != other.at_; }

   private:
    typename Store::const_iterator at_;
  };

  explicit DefinitionsView(const Store& store) : store_(&store) {}
  iterator begin() const { return iterator(store_->begin()); }
  iterator end() const { return iterator(store_->end()); }
  std::size_t size() const { return store_->size(); }
  bool empty() const { return store_->empty(); }
  const T* operator[](std::size_t index) const { return (*store_)[index].get(); }

 private:
  const Store* store_;
};

// Definition of one attribute inside a record type.
class AttributeDef {
 public:
  AttributeDef(const AnsiString& name, const AnsiString& code, int mandatory, bool multiple);

  // Adds an allowed value; a value already in the set is not added again.
  void addPossibleValue(const AnsiString& value);
  // The number of allowed values; 0 means the value is not limited to a set.
  int getPossibleValuesCount() const;
  // True when `value` equals one of the allowed values exactly.
  bool isValuePresent(const AnsiString& value) const;
  // The allowed values in order of addition.
  const std::vector<AnsiString>& possibleValues() const { return values_; }

  AnsiString name;
  AnsiString code;
  bool multiple = false;  // may occur more than once in one object
  int mandatory = 0;      // 1: required; 2: required, reported as a warning; 3+: blank allowed
  bool key = false;       // identifies the object among those of its record type (document checks)
  // A key unique only among the objects whose relation of this name points to the same target
  // (`key-scope`); empty: unique among all the objects of the record type.
  AnsiString keyScope;
  std::uint32_t line = 0;  // of the definition in a schema file; 0: unknown

 private:
  std::vector<AnsiString> values_;
  std::unordered_set<AnsiString> valueSet_;
};

// Definition of one relation (reference) inside a record type.
class ReferenceDef {
 public:
  ReferenceDef(const AnsiString& name, const AnsiString& code, int mandatory, bool multiple,
               bool presenceExempt);

  // Adds a record type that the relation may point to.
  void addRefTypeName(const AnsiString& typeName);
  // True when `typeName` is one of the admitted target types.
  bool isRefTypeNamePresent(const AnsiString& typeName) const;
  // The admitted target types in order of addition.
  const std::vector<AnsiString>& refTypeNames() const { return typeNames_; }

  AnsiString name;
  AnsiString code;
  bool presenceExempt = false;  // never required to be present (an inverse relation)
  bool multiple = false;
  int mandatory = 0;
  // Code of an attribute of the same record type holding a share: the shares of the objects
  // that point through this relation to one target add up to 1 (document checks). Empty: none.
  AnsiString shares;
  std::uint32_t line = 0;  // of the definition in a schema file; 0: unknown

 private:
  std::vector<AnsiString> typeNames_;
  std::unordered_set<AnsiString> typeNameSet_;
};

// One record type definition with its attribute and reference definitions, in order of
// addition. The first/next walks are the hosts': they keep their cursor here, so one RecordType
// serves one such walk at a time, and a walk is a change for the threads sharing the set. The
// views attributes() and references() move nothing and may be read by any number of threads.
class RecordType {
 public:
  RecordType(const AnsiString& name, const AnsiString& baseType);
  RecordType(const RecordType& other);  // deep copy; the cursors start over
  RecordType& operator=(const RecordType&) = delete;

  // Adds a definition and returns it; the record type owns it.
  AttributeDef* addAttribute(const AnsiString& name, const AnsiString& code, int mandatory = 0,
                             bool multiple = false);
  ReferenceDef* addReference(const AnsiString& name, const AnsiString& code, int mandatory = 0,
                             bool multiple = false, bool presenceExempt = false);

  // Lookups; null when absent.
  AttributeDef* getAttribute(const AnsiString& name) const;
  AttributeDef* getAttributeByCode(const AnsiString& code) const;
  ReferenceDef* getReference(const AnsiString& name) const;
  ReferenceDef* getReferenceByCode(const AnsiString& code) const;
  // The first attribute definition marked `key`, or null. A walk of the definitions that moves
  // no cursor.
  AttributeDef* getKeyAttribute() const;

  // The definitions in order of addition; reading them moves no cursor.
  DefinitionsView<AttributeDef> attributes() const {
    return DefinitionsView<AttributeDef>(attributes_);
  }
  DefinitionsView<ReferenceDef> references() const {
    return DefinitionsView<ReferenceDef>(references_);
  }

  // Walks in order of addition: first restarts, next advances; null after the last. For hosts;
  // the checks use the views above.
  AttributeDef* getFirstAttr();
  AttributeDef* getNextAttr();
  ReferenceDef* getFirstReference();
  ReferenceDef* getNextReference();

  std::size_t attributeCount() const { return attributes_.size(); }
  std::size_t referenceCount() const { return references_.size(); }

  AnsiString name;
  AnsiString baseType;
  std::uint32_t line = 0;  // of the definition in a schema file; 0: unknown

 private:
  std::vector<std::unique_ptr<AttributeDef>> attributes_;
  std::vector<std::unique_ptr<ReferenceDef>> references_;
  NameIndex<AttributeDef> attributesByName_;
  NameIndex<AttributeDef> attributesByCode_;
  NameIndex<ReferenceDef> referencesByName_;
  NameIndex<ReferenceDef> referencesByCode_;
  std::size_t attributeCursor_ = 0;
  std::size_t referenceCursor_ = 0;
};

// The attribute declarations (SP).
class AttribsSection {
 public:
  AttribsSection() = default;
  AttribsSection(const AttribsSection& other);
  AttribsSection& operator=(const AttribsSection&) = delete;

  AttributeDecl* addAttribute(const AnsiString& name, const AnsiString& baseType);
  AttributeDecl* getAttribute(const AnsiString& name) const;
  std::size_t size() const { return decls_.size(); }
  // The declarations in order of addition.
  const std::vector<std::unique_ptr<AttributeDecl>>& declarations() const { return decls_; }

 private:
  std::vector<std::unique_ptr<AttributeDecl>> decls_;
  NameIndex<AttributeDecl> byName_;
};

// The record type definitions (ST).
class TypesSection {
 public:
  TypesSection() = default;
  TypesSection(const TypesSection& other);
  TypesSection& operator=(const TypesSection&) = delete;

  RecordType* addType(const AnsiString& name, const AnsiString& baseType);
  RecordType* getType(const AnsiString& name) const;
  std::size_t size() const { return types_.size(); }
  // The record types in order of addition.
  const std::vector<std::unique_ptr<RecordType>>& types() const { return types_; }

 private:
  std::vector<std::unique_ptr<RecordType>> types_;
  NameIndex<RecordType> byName_;
};

// A schema set. Owns its two sections. Both pointers are valid from construction; a host that
// deletes a section and sets its pointer to null gets a set that defines nothing there (the
// checks, empty() and clone() all accept it).
class Metadata {
 public:
  Metadata();
  Metadata(const Metadata&) = delete;
  Metadata& operator=(const Metadata&) = delete;
  ~Metadata();

  // An independent deep copy with its own walk cursors, for a host that changes or walks one
  // set while another is being checked; a null section is copied as an empty one. Threads that
  // only check need no copy: they may share one set.
  std::unique_ptr<Metadata> clone() const;
  // True when the set declares no attribute and defines no record type.
  bool empty() const;

  AttribsSection* attribsSection;  // owned
  TypesSection* typesSection;      // owned

 private:
  Metadata(std::unique_ptr<AttribsSection> attribs, std::unique_ptr<TypesSection> types);
};

}  // namespace swde

#endif  // SWDE_METADATA_METADATA_HPP_
