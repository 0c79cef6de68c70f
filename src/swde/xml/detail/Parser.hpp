// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_XML_DETAIL_PARSER_HPP_
#define SWDE_XML_DETAIL_PARSER_HPP_

#include <cstddef>
#include <cstdint>
#include <exception>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <expat.h>

#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/model/Smrelation.hpp"
#include "swde/platform/AnsiString.hpp"
#include "swde/types/Smobjectfactory.hpp"
#include "swde/xml/Reader.hpp"
#include "swde/xml/detail/Encoding.hpp"

// Internal to swde_xml: the engine behind DocumentReader and the schema loaders.

namespace swde::xml::detail {

// A place in the input: line from 1, column from 1 counted in characters, as expat counts them
// (expat's own columns start at 0).
struct Position {
  std::uint32_t line = 0;
  std::uint32_t column = 0;
};

// The position just past `utf8` when it starts at `from`: a line feed begins a new line, every
// other character (not byte) moves one column.
Position advance(Position from, std::string_view utf8) noexcept;

// `text` in double quotes, cut after 40 bytes (at a character boundary) with "..." added.
std::string quote(std::string_view text);

// Where an element stands in the format; each kind admits a fixed set of children.
enum class Node : unsigned char {
  kDocument,      // before the root element
  kSwde,          // SWDE
  kAttribsSect,   // ATTRIBS_SECT
  kAttribDecl,    // ATTR of ATTRIBS_SECT
  kTypesSect,     // TYPES_SECT
  kTypeDef,       // OBJECT of TYPES_SECT
  kAttrDefs,      // ATTRIBUTES of a record type
  kAttrDef,       // ATTR of a record type
  kAllowedValue,  // VALUE of an attribute definition
  kRelatDefs,     // RELATIONS of a record type
  kRelatDef,      // RELAT of a record type
  kDestTypeDef,   // DEST_OBJECT of a relation definition
  kObject,        // OBJECT under SWDE
  kObjAttrs,      // ATTRIBUTES of an object
  kObjAttr,       // ATTR of an object
  kObjValue,      // VALUE of an object's ATTR
  kObjRelats,     // RELATIONS of an object
  kObjRelat,      // RELAT of an object
  kObjDest,       // DEST_OBJECT of an object's RELAT
};

// The attributes of one start tag as expat passes them: name, value, ..., null. The length of
// each value is measured once, into `lengths` (a buffer the parser reuses from tag to tag).
class Attributes {
 public:
  Attributes(const XML_Char** items, std::vector<std::size_t>& lengths);
  // The value of `key` (null-terminated, as expat keeps it); a view without data (data() is
  // null) when the tag lacks it, which an empty value is not.
  std::string_view get(std::string_view key) const;
  // The same as a C string, or null.
  const char* find(std::string_view key) const { return get(key).data(); }
  std::size_t size() const { return lengths_.size(); }
  const char* nameAt(std::size_t i) const { return items_[2 * i]; }
  std::string_view valueAt(std::size_t i) const { return {items_[2 * i + 1], lengths_[i]}; }

 private:
  const XML_Char** items_;
  const std::vector<std::size_t>& lengths_;
};

// One expat parser and the state of the format around it. A callback never lets an exception
// into expat's frames: it stores the exception, stops the parser and parseChunk rethrows it.
class Parser {
 public:
  enum class Mode {
    kSchema,    // a schema description: objects are an error
    kDocument,  // a transfer document: objects go to the handler
  };

  Parser(std::string fileName, Mode mode, DocumentReader::ObjectHandler onObject,
         const ReaderLimits& limits);
  ~Parser();
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  // What the prolog declared, as expat reported it.
  struct Prolog {
    bool declaration = false;  // an XML declaration was read
    std::string version;       // its version, encoding and standalone (-1: not given, 0: no,
    std::string encoding;      // 1: yes)
    int standalone = -1;
    bool doctype = false;          // a document type declaration was read
    bool doctypeSystemId = false;  // with an external identifier
  };

  void feed(const char* data, std::size_t size);
  // Gives expat everything fed so far. REQUIRES: the input stands between two tokens (a place
  // DocumentCutter may cut), else the result may differ from one reading without a flush.
  void flush();
  void finish();
  void readStream(std::istream& in);
  void readFile(const std::string& path);
  void continueAt(const PieceStart& start);

  Metadata& metadata() { return *metadata_; }
  std::unique_ptr<Metadata> releaseMetadata() { return std::move(metadata_); }
  bool hasSchemaSections() const { return sawSchemaSections_; }
  std::uint64_t objectCount() const { return objectsHandedOut_; }
  std::uint64_t bytesFed() const { return bytesFed_; }
  const Prolog& prolog() const { return prolog_; }
  const AnsiString& schemaDate() const { return schemaDate_; }
  const AnsiString& schemaVersion() const { return schemaVersion_; }
  const AnsiString& schemaProfile() const { return schemaProfile_; }
  const AnsiString& transfer() const { return transfer_; }

 private:
  struct Frame {
    Node node;
    Position start;     // of the start tag
    bool collectsText;  // a VALUE whose text is its value
  };

  // An object's ATTR between its start and end tags.
  struct PendingAttribute {
    AnsiString code;
    AnsiString name;
    AnsiString value;
    bool hasValue = false;       // from value_str / value_int or a VALUE child
    bool fromAttribute = false;  // from value_str / value_int on the ATTR itself
    std::uint32_t line = 0;
    std::uint32_t id = 0;
  };

  static void XMLCALL onStartElement(void* self, const XML_Char* name,
                                     const XML_Char** attributes) noexcept;
  static void XMLCALL onEndElement(void* self, const XML_Char* name) noexcept;
  static void XMLCALL onCharacterData(void* self, const XML_Char* text, int length) noexcept;
  static void XMLCALL onOtherMarkup(void* self, const XML_Char* text, int length) noexcept;
  static int XMLCALL onExternalEntityRef(XML_Parser parser, const XML_Char* context,
                                         const XML_Char* base, const XML_Char* systemId,
                                         const XML_Char* publicId) noexcept;
  static void XMLCALL onSkippedEntity(void* self, const XML_Char* name,
                                      int isParameterEntity) noexcept;
  static void XMLCALL onXmlDeclaration(void* self, const XML_Char* version,
                                       const XML_Char* encoding, int standalone) noexcept;
  static void XMLCALL onDoctype(void* self, const XML_Char* name, const XML_Char* systemId,
                                const XML_Char* publicId, int hasInternalSubset) noexcept;
  template <typename Step>
  void guarded(Step&& step) noexcept;

  // Parser.cpp: the driver, the structure and the helpers.
  void checkUsable() const;
  void parseHeld(bool atSliceEnd);
  void parseChunk(const char* data, std::size_t size, bool isFinal, bool atSliceEnd);
  std::uint64_t documentOffset(XML_Index index) const;
  [[noreturn]] void raise(std::exception_ptr error);
  [[noreturn]] void fail(Position where, const std::string& message) const;
  Position here() const;
  // After a decoding error at `at`: which encoding was assumed, and the one the bytes there look
  // like; empty when the byte there is ASCII or the document is in UTF-16.
  std::string encodingHint(Position at) const;
  // Inside the XML declaration's callback: fails, at the encoding's name, when the first bytes
  // contradict the encoding declared (a UTF-8 byte order mark and another name, UTF-16 and a
  // single-byte code page), as expat itself does only for some of those pairs.
  void checkDeclaredEncoding() const;
  void checkObjectSize();
  void startElement(std::string_view name, const Attributes& attributes);
  void endElement();
  void characterData(std::string_view utf8);
  bool insideObject(Position* objectStart) const;

  // The value of `key`, null-terminated; fails when the tag lacks it.
  std::string_view required(const Attributes& attributes, std::string_view key) const;
  AnsiString toCp1250(std::string_view utf8, std::string_view key) const;
  AnsiString optionalText(const Attributes& attributes, std::string_view key) const;
  // The same into `out`, which keeps its buffer.
  void convertInto(std::string_view utf8, std::string_view key, AnsiString& out) const;
  AnsiString codeOf(const Attributes& attributes, const AnsiString& name) const;
  void codeInto(const Attributes& attributes, const AnsiString& name, AnsiString& code) const;
  std::optional<std::uint32_t> optionalId(const Attributes& attributes) const;
  bool flag(const Attributes& attributes, std::string_view key) const;
  int mandatoryLevel(const Attributes& attributes) const;
  // value_str (converted) or value_int into `out`; false (and `out` empty) without either.
  bool readValueAttribute(const Attributes& attributes, AnsiString& out) const;
  void countEntry(std::size_t& entries) const;
  void countSchemaItem();
  [[noreturn]] void failRepeated(const std::string& what, std::uint32_t firstLine) const;
  // What every ATTR and RELAT of a record type definition has; reading it counts the entry.
  struct EntryDef {
    AnsiString name;
    AnsiString code;
    int mandatory = 0;
    bool multiple = false;
  };
  EntryDef startEntryDef(const Attributes& attributes);
  // In a schema description: fails when the record type being read already has an entry of the
  // name (`byName`) or the code (`byCode`), naming the line of that one (kept in `lines`, in
  // the order of `defined`); else keeps the current element's line.
  template <typename T>
  void noteEntryDef(const T* byName, const T* byCode, const char* kind, const char* name,
                    const AnsiString& code, std::vector<std::uint32_t>& lines,
                    DefinitionsView<T> defined);
  // In a schema description: fails with "KIND "NAME" VERB twice" and the line of `first` (an
  // earlier one of `items`, whose lines `lines` holds) unless `first` is null; then keeps the
  // current element's line as that of the next one.
  template <typename T>
  void noteDefinition(const std::vector<std::unique_ptr<T>>& items, const T* first,
                      std::vector<std::uint32_t>& lines, const char* kind, const char* name,
                      const char* verb);
  std::string inType() const;
  void startValue(const Attributes& attributes);
  AnsiString takeValue();

  // SchemaBuilder.cpp: the two schema sections.
  void startSchemaSection();
  void startAttribDecl(const Attributes& attributes);
  void startTypeDef(const Attributes& attributes);
  void endTypeDef();
  void startAttrDef(const Attributes& attributes);
  void endAllowedValue();
  void startRelatDef(const Attributes& attributes);
  void startDestTypeDef(const Attributes& attributes);

  // ObjectBuilder.cpp: the objects.
  void startObject(const Attributes& attributes);
  void startObjAttr(const Attributes& attributes);
  void startObjValue(const Attributes& attributes);
  void endObjValue();
  void endObjAttr();
  void startObjRelat(const Attributes& attributes);
  void startObjDest(const Attributes& attributes);
  void endObject();

  std::string fileName_;
  Mode mode_;
  DocumentReader::ObjectHandler onObject_;
  ReaderLimits limits_;
  std::uint64_t pendingLimit_;  // unfinished markup beyond this many bytes fails
  XML_Parser parser_;

  std::exception_ptr failure_;  // the first error; every later call throws it again
  std::exception_ptr pending_;  // thrown inside a callback, rethrown by parseChunk
  bool stopped_ = false;
  bool busy_ = false;  // inside XML_Parse
  bool finished_ = false;
  std::string held_;  // fed, not given to expat before the next slice ends
  std::uint64_t bytesFed_ = 0;
  std::string firstBytes_;  // the first four bytes fed (fewer in a shorter input)
  bool wide_ = false;       // the document starts as UTF-16 does
  // Where the input stands in the document: a piece read after its prolog has its document
  // offset, line and column shifted by these (see continueAt).
  std::int64_t byteShift_ = 0;
  std::uint64_t lineShift_ = 0;
  std::int64_t columnShift_ = 0;  // on expat's first line only
  Prolog prolog_;

  std::vector<Frame> stack_;
  std::vector<std::size_t> attributeLengths_;  // of the start tag being read
  AnsiString text_;                            // CP1250 text of the VALUE being read
  AnsiString converted_;                       // the run of text being converted
  std::size_t textBytes_ = 0;
  Position textStart_;
  bool textStarted_ = false;
  AnsiString value_;  // value_str / value_int of the VALUE being read
  bool valueFromAttribute_ = false;

  std::unique_ptr<Metadata> metadata_;
  bool sawSchemaSections_ = false;
  AnsiString schemaDate_;
  AnsiString schemaVersion_;
  AnsiString schemaProfile_;
  AnsiString transfer_;
  RecordType* type_ = nullptr;
  std::size_t typeEntries_ = 0;
  AttributeDef* attrDef_ = nullptr;
  ReferenceDef* refDef_ = nullptr;
  std::vector<std::pair<Position, ReferenceDef*>> typeShares_;  // checked at the type's end
  Position typeScope_;  // of the key's key-scope, checked at the type's end

  smObjectFactory factory_;
  std::unique_ptr<smObject> object_;
  std::uint64_t objectsStarted_ = 0;
  std::size_t schemaItems_ = 0;  // declarations, definitions, values and targets so far
  // Lines of the first definition of each name in a schema, to name both when one repeats.
  // In a schema, the line of each definition in order of addition: a repeat names the first.
  std::vector<std::uint32_t> declarationLines_;
  std::vector<std::uint32_t> typeLines_;
  std::vector<std::uint32_t> attributeLines_;  // of the current record type
  std::vector<std::uint32_t> relationLines_;   // of the current record type
  std::uint64_t objectsHandedOut_ = 0;
  std::uint64_t objectStart_ = 0;  // document offset of the current object's start tag

  std::size_t objectEntries_ = 0;
  std::uint32_t attributeOrdinal_ = 0;
  std::uint32_t relationOrdinal_ = 0;
  PendingAttribute attribute_;
  AnsiString scratchName_;  // of the object or relation being started
  AnsiString scratchCode_;
  smRelation* relation_ = nullptr;
  bool relationHasDest_ = false;
};

}  // namespace swde::xml::detail

#endif  // SWDE_XML_DETAIL_PARSER_HPP_
