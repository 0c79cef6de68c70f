// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_XML_READER_HPP_
#define SWDE_XML_READER_HPP_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

// The XML reader of schema descriptions (annexes) and transfer documents, built on expat.
//
// Format. Element and attribute names are those of smXMLDef; the root element is SWDE, with the
// optional attributes schema_date, schema_version, schema_profile and transfer ("full" or
// "update": what a transfer document carries, see smTransfer; any other value is an error).
// Under it, in this order:
//
//   <ATTRIBS_SECT>                       attribute declarations (SP) -> AttribsSection
//     <ATTR name= base_type= [check=]/>  addAttribute(name, base_type); both required
//   <TYPES_SECT>                         record type definitions (ST) -> TypesSection
//     <OBJECT name= base_type=>          addType(name, base_type); both required
//       <ATTRIBUTES>
//         <ATTR name= [field_name=] [mandatory=] [mandatory_level=] [multiple=] [key=]>
//           <VALUE value_str=|value_int=/>   addPossibleValue, in document order
//       <RELATIONS>
//         <RELAT name= [field_name=] [mandatory=] [mandatory_level=] [multiple=] [type=]
//                [shares=]>
//           <DEST_OBJECT element=/>      addRefTypeName(element)
//   <OBJECT name= [base_type=] [status=] [id=]>     one object (SO); any number of them
//     <ATTRIBUTES>
//       <ATTR name= [field_name=] [value_str=|value_int=] [id=]>  [<VALUE>text</VALUE>]
//     <RELATIONS>
//       <RELAT name= [field_name=] [id=]>  [<DEST_OBJECT element= [name=]/>]
//
// Definitions: field_name is the code and defaults to name. mandatory and multiple are "0" or
// "1" (default "0"). mandatory_level, when present, is the mandatory level itself (any signed
// integer); without it the level is 1 for mandatory="1" and 0 otherwise. type="inverse" makes a
// relation presence-exempt; any other type is a plain relation.
//
// Marks of the document checks (smDocumentChecks): check names a ValueCheck by its schema name
// (ValueCheckName: pesel, nip, regon, parcel-id, teryt, precinct, area, future-ok, kw), any other
// name is an error. key is "0" or "1" and marks the record type's key attribute; a second one in
// one record type is an error. shares is the code of an attribute of the same record type that
// the relation groups into shares adding up to 1; a code the record type does not define is an
// error at the RELAT, found at the end of its OBJECT.
//
// Objects: name is the record type code given to smObjectFactory::createObject; base_type and
// status go to the members of the same names (empty when absent). id defaults to the object's
// ordinal among the document's objects, counting from 1. An ATTR becomes
// addAttribute(field_name or name, name, value); a RELAT becomes addRelation(field_name or name,
// name), its DEST_OBJECT giving destType (element) and destObject (name: the target's key value,
// or its object id when its record type has no key attribute). An entry's id defaults to its
// ordinal within the object, counting from 1, attributes and relations counted apart.
//
// Values: a VALUE (in either place) holds value_str, else value_int (which must be an integer,
// kept as written), else its text verbatim; an object ATTR may carry value_str or value_int
// itself instead of a VALUE child, and has the empty value when it has neither. Giving both
// value_str and value_int on one element is an error. Every id is an unsigned 32-bit decimal
// (digits only).
//
// Locations: the line of an object or entry is the line of its start tag. Errors carry a line
// (from 1) and a column (from 1, counted in characters); 0:0 means no position in the input.
//
// Text: every name and value is handed on as CP1250 bytes. The input may be in UTF-8, UTF-16,
// ISO-8859-1, US-ASCII, windows-1250 ("windows-1250", "cp1250"), ISO-8859-2 ("ISO-8859-2",
// "ISO8859-2", "ISO_8859-2", "latin2") or IBM852 ("IBM852", "cp852", "852"), names in any case;
// a character that CP1250 cannot hold is an error. Bytes that do not fit the assumed encoding
// fail with a message that names it and the encoding they look like, if any. Text other than white
// space is allowed only in VALUE. Unknown attributes are ignored; unknown elements are errors.
//
// A schema description (annex) has only the two sections; objects are an error there, and so
// is a second definition of a record type, of an attribute declaration, or of an attribute or
// relation (by name or by code) within one record type: the error names the line of both.
// A document's own sections accept repeats (lookups find the first).
//
// DTDs: a document type declaration with an external identifier is accepted and never read; an
// internal subset (entity or attribute-list declarations) is an error at its "[". References to
// entities other than the five predefined ones and character references are errors.

namespace swde::xml {

// The one error type for bad input: a location and a plain message.
class XmlError : public std::runtime_error {
 public:
  XmlError(std::string file, std::uint32_t line, std::uint32_t column, std::string message);

  // what() is "file:line:column: message", or "file: message" without a position.
  const std::string& file() const { return file_; }
  std::uint32_t line() const { return line_; }             // 0 when the error has no position
  std::uint32_t column() const { return column_; }         // 0 when the error has no position
  const std::string& message() const { return message_; }  // without the location

 private:
  std::string file_;
  std::uint32_t line_;
  std::uint32_t column_;
  std::string message_;
};

// Bounds that keep huge or hostile input from exhausting memory; passing one is an XmlError.
struct ReaderLimits {
  // One attribute value or one VALUE text, in bytes of UTF-8. A piece of markup (a tag, a
  // comment) that stays unfinished beyond 2 * maxValueBytes + 64 KiB fails as well.
  std::size_t maxValueBytes = std::size_t{1} << 20;
  // Attributes plus relations of one object or one record type definition.
  std::size_t maxEntriesPerObject = 100000;
  // Element nesting; the root element is at depth 1.
  std::size_t maxDepth = 16;
  // Everything the schema sections hold together: attribute declarations, record types, their
  // attribute and relation definitions, allowed values and relation targets. A reference
  // schema has a few thousand; each costs a few hundred bytes. swde-check keeps one copy of
  // the reference schema and one of a document's own sections, whatever the number of jobs.
  std::size_t maxSchemaItems = 200000;
  // One object, from the "<" of its start tag to the end of its end tag, in bytes of input.
  // Reported at the first event that ends beyond it.
  std::uint64_t maxObjectBytes = std::uint64_t{64} << 20;
};

// An input document opened for reading: a binary stream, and for a regular file its size in
// bytes (0 otherwise: a pipe, a device).
struct InputFile {
  std::unique_ptr<std::istream> stream;
  std::uint64_t size = 0;
};

// Opens the file at `path`. A directory, or a file that cannot be opened, is an
// XmlError(path, 0, 0, "cannot open: REASON").
InputFile openInput(const std::string& path);

// Where a piece of a document starts, as DocumentCutter hands it out: the piece is read after
// `prolog` (an XML declaration, a document type declaration and a <SWDE> start tag equivalent to
// the document's own, all on one line) as if it stood at `offset`, `line` and `column` of the
// whole document, after `objectsBefore` objects.
struct PieceStart {
  std::string prolog;
  std::uint64_t offset = 0;         // in bytes from the document's first byte
  std::uint64_t line = 1;           // from 1, counted as expat counts (LF, CR, CRLF)
  std::uint64_t column = 0;         // from 0, in characters as expat counts them
  std::uint64_t objectsBefore = 0;  // objects started before the piece
};

// Reads a schema description from the file at `path` into a new metadata set (the caller owns
// it). Throws XmlError for bad input, for an object in the file, and for a file that cannot be
// opened or read (line 0).
std::unique_ptr<Metadata> loadSchema(const std::string& path, const ReaderLimits& limits = {});

// The same for a schema description held in memory; `name` stands for the file in errors.
std::unique_ptr<Metadata> parseSchema(std::string_view text, const std::string& name = "<schema>",
                                      const ReaderLimits& limits = {});

namespace detail {
class Parser;
}  // namespace detail

// Reads a transfer document as a stream: each object is handed to the handler at its end tag,
// so memory stays bounded by one object whatever the document's size. The document's own schema
// sections are kept in fileMetadata(). Nothing here calls the checks: the caller does that.
//
// Errors are sticky: once feed() or finish() has thrown, every later call throws the same error
// again. An exception thrown by the handler passes out of feed() or finish() unchanged (the same
// object, not an XmlError) and is then the reader's error. The handler is called only from
// feed() and finish(); the parser is never left inside expat when an exception passes.
class DocumentReader {
 public:
  // Receives each object, with ownership, as soon as its end tag has been read. May be empty:
  // the objects are then destroyed unseen.
  using ObjectHandler = std::function<void(std::unique_ptr<smObject> object)>;

  // `fileName` is used only in error messages.
  DocumentReader(std::string fileName, ObjectHandler onObject, ReaderLimits limits = {});
  ~DocumentReader();
  DocumentReader(const DocumentReader&) = delete;
  DocumentReader& operator=(const DocumentReader&) = delete;

  // Takes the next `size` bytes of the document; may call the handler any number of times.
  // expat is given the document in slices of 64 KiB (the last one at finish()), so objects are
  // handed out as slices complete.
  // Throws XmlError for bad input. REQUIRES: finish() not called yet; not called from the
  // handler (both throw std::logic_error).
  void feed(const char* data, std::size_t size);
  // Declares the end of input; throws XmlError when the document is incomplete.
  // REQUIRES: as for feed().
  void finish();
  // Feeds the whole stream in 64 KiB pieces, then calls finish(). A stream that fails to read
  // is an XmlError at line 0.
  void readStream(std::istream& in);
  // Opens the file with openInput and reads it as readStream does; errors in the content name
  // the file as the constructor was given it.
  void readFile(const std::string& path);
  // Reads a whole document held in memory: feed(text), then finish().
  void readMemory(std::string_view text);

  // Reads a piece of a document that DocumentCutter cut out, `text` standing at `start` in the
  // whole document (`last`: the piece ends the document, and finish() is called). Hands out the
  // same objects and throws the same XmlError, position included, as a reader of the whole
  // document would there; default object ids continue from start.objectsBefore + 1.
  // REQUIRES: nothing fed yet (std::logic_error otherwise).
  void readPiece(const PieceStart& start, std::string_view text, bool last);

  // The document's own attribute declarations and record type definitions; empty if it has
  // none. Valid for the reader's lifetime.
  Metadata& fileMetadata();
  // True once an ATTRIBS_SECT or a TYPES_SECT has been read.
  bool hasSchemaSections() const;
  // The number of objects handed to the handler so far.
  std::uint64_t objectCount() const;
  // The number of bytes given to expat so far (after readPiece, the prolog's included); bytes
  // held back until their slice completes are not counted yet.
  std::uint64_t bytesFed() const;
  // The root element's attributes as CP1250 bytes; empty when absent.
  const AnsiString& schemaDate() const;
  const AnsiString& schemaVersion() const;
  const AnsiString& schemaProfile() const;
  // The root element's transfer: "full", "update", or empty when absent.
  const AnsiString& transfer() const;

 private:
  std::unique_ptr<detail::Parser> parser_;
};

}  // namespace swde::xml

#endif  // SWDE_XML_READER_HPP_
