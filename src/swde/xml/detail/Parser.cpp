// swde — semantic checks of SWDE cadastral exchange objects.
//
// The driver of the reader. Input goes to expat in slices of at most 64 KiB; expat calls back
// for each start tag, end tag and run of text. The callbacks keep a stack of Frames, one per open
// element, whose Node says which children the element admits, and dispatch each element to the
// schema or the object builders. Any exception from a callback (our XmlError or the object
// handler's own) is stored, the parser is stopped, and parseChunk rethrows it once XML_Parse has
// returned, so no exception ever crosses expat's C frames.
//
// Memory stays bounded: text is kept only inside VALUE, every value is limited, an object is
// limited in bytes, and at each slice end the bytes that expat holds without having processed
// them are limited too, which stops a tag or a comment that never ends.
//
// The result never depends on how the caller splits the input. expat is given the input in
// slices that end at fixed document offsets (multiples of kSlice), holding back what comes
// before the next one; only there is the unprocessed rest measured. (expat itself settles the
// encoding differently on a first call of one byte than of four, and reports text it has
// before an error in the same run of text only when a call ends inside the run.) The one other
// place a call may end is where flush() is asked for: between two tokens, where nothing can
// change. A piece of a document read after its prolog (continueAt) keeps the document's offsets,
// lines and columns, so it meets the same slice ends, events and errors as a reading of the
// whole document.
#include "swde/xml/detail/Parser.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <istream>
#include <limits>
#include <new>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "swde/platform/Bytes.hpp"
#include "swde/platform/Cp1250.hpp"
#include "swde/platform/Sysutils.hpp"

namespace swde::xml::detail {
namespace {

constexpr std::size_t kSlice = std::size_t{64} * 1024;

bool isContinuation(unsigned char byte) noexcept {
  return (byte & 0xC0U) == 0x80U;
}

// "U+XXXX" for the character at `offset` of `utf8` (as expat hands it over: well-formed).
std::string characterAt(std::string_view utf8, std::size_t offset) {
  char32_t cp = 0;
  DecodeUtf8(utf8, offset, cp);
  return DescribeCodePoint(cp);
}

const char* elementName(Node node) {
  switch (node) {
    case Node::kDocument:
      return "";
    case Node::kSwde:
      return "SWDE";
    case Node::kAttribsSect:
      return "ATTRIBS_SECT";
    case Node::kTypesSect:
      return "TYPES_SECT";
    case Node::kTypeDef:
    case Node::kObject:
      return "OBJECT";
    case Node::kAttrDefs:
    case Node::kObjAttrs:
      return "ATTRIBUTES";
    case Node::kAttribDecl:
    case Node::kAttrDef:
    case Node::kObjAttr:
      return "ATTR";
    case Node::kAllowedValue:
    case Node::kObjValue:
      return "VALUE";
    case Node::kRelatDefs:
    case Node::kObjRelats:
      return "RELATIONS";
    case Node::kRelatDef:
    case Node::kObjRelat:
      return "RELAT";
    case Node::kDestTypeDef:
    case Node::kObjDest:
      return "DEST_OBJECT";
  }
  return "";
}

// The kind of the element `name` under `parent`; nothing when the format does not admit it.
// An element has at most three kinds of children: they are found by its kind first.
std::optional<Node> childOf(Node parent, std::string_view name) {
  struct Child {
    const char* name;
    Node node;
  };
  const auto pick = [name](std::initializer_list<Child> children) -> std::optional<Node> {
    for (const Child& child : children) {
      if (name == child.name) {
        return child.node;
      }
    }
    return std::nullopt;
  };
  switch (parent) {
    case Node::kDocument:
      return pick({{"SWDE", Node::kSwde}});
    case Node::kSwde:
      return pick({{"OBJECT", Node::kObject},
                   {"ATTRIBS_SECT", Node::kAttribsSect},
                   {"TYPES_SECT", Node::kTypesSect}});
    case Node::kAttribsSect:
      return pick({{"ATTR", Node::kAttribDecl}});
    case Node::kTypesSect:
      return pick({{"OBJECT", Node::kTypeDef}});
    case Node::kTypeDef:
      return pick({{"ATTRIBUTES", Node::kAttrDefs}, {"RELATIONS", Node::kRelatDefs}});
    case Node::kAttrDefs:
      return pick({{"ATTR", Node::kAttrDef}});
    case Node::kAttrDef:
      return pick({{"VALUE", Node::kAllowedValue}});
    case Node::kRelatDefs:
      return pick({{"RELAT", Node::kRelatDef}});
    case Node::kRelatDef:
      return pick({{"DEST_OBJECT", Node::kDestTypeDef}});
    case Node::kObject:
      return pick({{"ATTRIBUTES", Node::kObjAttrs}, {"RELATIONS", Node::kObjRelats}});
    case Node::kObjAttrs:
      return pick({{"ATTR", Node::kObjAttr}});
    case Node::kObjAttr:
      return pick({{"VALUE", Node::kObjValue}});
    case Node::kObjRelats:
      return pick({{"RELAT", Node::kObjRelat}});
    case Node::kObjRelat:
      return pick({{"DEST_OBJECT", Node::kObjDest}});
    case Node::kAttribDecl:
    case Node::kAllowedValue:
    case Node::kDestTypeDef:
    case Node::kObjValue:
    case Node::kObjDest:
      break;
  }
  return std::nullopt;
}

std::uint32_t clampToU32(std::uint64_t value) {
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

std::uint64_t saturatingPendingLimit(std::size_t maxValueBytes) {
  const std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
  const std::uint64_t value = maxValueBytes;
  return value > (max - kSlice) / 2 ? max : 2 * value + kSlice;
}

bool isXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

Position advance(Position from, std::string_view utf8) noexcept {
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\n') {
      from.line += from.line < UINT32_MAX ? 1 : 0;  // lines past the range stay at its end
      from.column = 1;
    } else if (!isContinuation(byte)) {
      ++from.column;
    }
  }
  return from;
}

std::string quote(std::string_view text) {
  constexpr std::size_t kShown = 40;
  if (text.size() <= kShown) {
    return "\"" + std::string(text) + "\"";
  }
  std::size_t cut = kShown;
  while (cut > 0 && isContinuation(static_cast<unsigned char>(text[cut]))) {
    --cut;
  }
  return "\"" + std::string(text.substr(0, cut)) + "...\"";
}

Attributes::Attributes(const XML_Char** items, std::vector<std::size_t>& lengths)
    : items_(items), lengths_(lengths) {
  lengths.clear();
  for (const XML_Char** item = items; *item != nullptr; item += 2) {
    lengths.push_back(std::strlen(item[1]));
  }
}

std::string_view Attributes::get(std::string_view key) const {
  for (std::size_t i = 0; i < lengths_.size(); ++i) {
    // The name ends at its terminator; the key holds none, so the loop stops there.
    const char* name = nameAt(i);
    std::size_t k = 0;
    while (k < key.size() && name[k] == key[k]) {
      ++k;
    }
    if (k == key.size() && name[k] == '\0') {
      return valueAt(i);
    }
  }
  return {};
}

Parser::Parser(std::string fileName, Mode mode, DocumentReader::ObjectHandler onObject,
               const ReaderLimits& limits)
    : fileName_(std::move(fileName)),
      mode_(mode),
      onObject_(std::move(onObject)),
      limits_(limits),
      pendingLimit_(saturatingPendingLimit(limits.maxValueBytes)),
      parser_(nullptr),
      metadata_(std::make_unique<Metadata>()) {
  stack_.push_back(Frame{Node::kDocument, Position{}, false});
  // Last, so that nothing can throw once the parser exists.
  parser_ = XML_ParserCreate(nullptr);
  if (parser_ == nullptr) {
    throw std::bad_alloc();
  }
  XML_SetUserData(parser_, this);
  XML_SetElementHandler(parser_, &Parser::onStartElement, &Parser::onEndElement);
  XML_SetCharacterDataHandler(parser_, &Parser::onCharacterData);
  // Comments, processing instructions, the prolog: only to see that expat moves on.
  XML_SetDefaultHandlerExpand(parser_, &Parser::onOtherMarkup);
  XML_SetUnknownEncodingHandler(parser_, &unknownEncodingHandler, nullptr);
  // External entities are never read, and a reference to one must not vanish from a value
  // without a word: both kinds of reference stop the document.
  XML_SetExternalEntityRefHandler(parser_, &Parser::onExternalEntityRef);
  XML_SetSkippedEntityHandler(parser_, &Parser::onSkippedEntity);
  XML_SetXmlDeclHandler(parser_, &Parser::onXmlDeclaration);
  XML_SetStartDoctypeDeclHandler(parser_, &Parser::onDoctype);
#if XML_MAJOR_VERSION > 2 || (XML_MAJOR_VERSION == 2 && XML_MINOR_VERSION >= 6)
  // A token is processed as soon as it is complete, whatever the sizes fed before it (which
  // the pending-markup limit keeps small anyway).
  XML_SetReparseDeferralEnabled(parser_, XML_FALSE);
#endif
}

Parser::~Parser() {
  XML_ParserFree(parser_);
}

template <typename Step>
void Parser::guarded(Step&& step) noexcept {
  if (stopped_) {
    return;  // expat may still deliver an event after XML_StopParser
  }
  try {
    step();
  } catch (...) {
    pending_ = std::current_exception();
    stopped_ = true;
    XML_StopParser(parser_, XML_FALSE);
  }
}

void XMLCALL Parser::onStartElement(void* self, const XML_Char* name,
                                    const XML_Char** attributes) noexcept {
  auto* parser = static_cast<Parser*>(self);
  parser->guarded([&] {
    parser->checkObjectSize();
    parser->startElement(name, Attributes(attributes, parser->attributeLengths_));
  });
}

void XMLCALL Parser::onEndElement(void* self, const XML_Char* /*name*/) noexcept {
  auto* parser = static_cast<Parser*>(self);
  parser->guarded([&] {
    parser->checkObjectSize();
    parser->endElement();
  });
}

void XMLCALL Parser::onCharacterData(void* self, const XML_Char* text, int length) noexcept {
  auto* parser = static_cast<Parser*>(self);
  parser->guarded(
      [&] { parser->characterData(std::string_view(text, static_cast<std::size_t>(length))); });
}

void XMLCALL Parser::onOtherMarkup(void* self, const XML_Char* /*text*/, int /*length*/) noexcept {
  auto* parser = static_cast<Parser*>(self);
  parser->guarded([&] { parser->checkObjectSize(); });
}

int XMLCALL Parser::onExternalEntityRef(XML_Parser /*parser*/, const XML_Char* /*context*/,
                                        const XML_Char* /*base*/, const XML_Char* /*systemId*/,
                                        const XML_Char* /*publicId*/) noexcept {
  return XML_STATUS_ERROR;  // expat reports "error in processing external entity reference"
}

void XMLCALL Parser::onSkippedEntity(void* self, const XML_Char* name,
                                     int isParameterEntity) noexcept {
  if (isParameterEntity != 0) {
    return;  // only the DTD could have used it
  }
  auto* parser = static_cast<Parser*>(self);
  parser->guarded([&] {
    parser->fail(parser->here(), std::string("reference to the entity '") + name +
                                     "', which is external or not declared");
  });
}

void XMLCALL Parser::onXmlDeclaration(void* self, const XML_Char* version, const XML_Char* encoding,
                                      int standalone) noexcept {
  auto* parser = static_cast<Parser*>(self);
  parser->guarded([&] {
    Prolog& prolog = parser->prolog_;
    prolog.declaration = true;
    prolog.version = version != nullptr ? version : "";
    prolog.encoding = encoding != nullptr ? encoding : "";
    prolog.standalone = standalone;
    parser->checkDeclaredEncoding();
  });
}

void XMLCALL Parser::onDoctype(void* self, const XML_Char* /*name*/, const XML_Char* systemId,
                               const XML_Char* /*publicId*/, int hasInternalSubset) noexcept {
  auto* parser = static_cast<Parser*>(self);
  parser->guarded([&] {
    if (hasInternalSubset != 0) {
      // Entity and attribute-list declarations have no use in a transfer document, and their
      // expansion and defaults would cost what the document's author wants them to cost.
      parser->fail(parser->here(), "a DTD internal subset is not allowed");
    }
    parser->prolog_.doctype = true;
    parser->prolog_.doctypeSystemId = systemId != nullptr;
  });
}

void Parser::continueAt(const PieceStart& start) {
  if (bytesFed_ != 0 || !held_.empty() || finished_) {
    throw std::logic_error("swde::xml: continueAt called after input was fed");
  }
  parseChunk(start.prolog.data(), start.prolog.size(), false, false);
  lineShift_ = start.line - std::min<std::uint64_t>(start.line, XML_GetCurrentLineNumber(parser_));
  columnShift_ = static_cast<std::int64_t>(start.column) -
                 static_cast<std::int64_t>(XML_GetCurrentColumnNumber(parser_));
  byteShift_ = static_cast<std::int64_t>(start.offset) - static_cast<std::int64_t>(bytesFed_);
  objectsStarted_ = start.objectsBefore;
}

std::uint64_t Parser::documentOffset(XML_Index index) const {
  const std::int64_t offset = static_cast<std::int64_t>(index) + byteShift_;
  return offset < 0 ? 0 : static_cast<std::uint64_t>(offset);
}

// Called for tags, comments and instructions: whole tokens, so that where the limit is found
// does not depend on how the input was split (character data may come in any number of runs).
void Parser::checkObjectSize() {
  if (!object_) {
    return;
  }
  const std::uint64_t end = documentOffset(XML_GetCurrentByteIndex(parser_)) +
                            static_cast<std::uint64_t>(XML_GetCurrentByteCount(parser_));
  if (end - objectStart_ > limits_.maxObjectBytes) {
    fail(here(), "object longer than " + std::to_string(limits_.maxObjectBytes) +
                     " bytes (its <OBJECT> starts on line " + std::to_string(object_->line) + ")");
  }
}

// --- Driver

void Parser::checkUsable() const {
  if (busy_) {
    throw std::logic_error("swde::xml: feed or finish called from the object handler");
  }
  if (failure_) {
    std::rethrow_exception(failure_);
  }
  if (finished_) {
    throw std::logic_error("swde::xml: feed or finish called after finish");
  }
}

void Parser::feed(const char* data, std::size_t size) {
  checkUsable();
  while (size > 0) {
    const std::uint64_t at = documentOffset(static_cast<XML_Index>(bytesFed_ + held_.size()));
    const std::size_t room = kSlice - static_cast<std::size_t>(at % kSlice);
    if (held_.empty() && size >= room) {
      parseChunk(data, room, false, true);  // a whole slice: no copy
      data += room;
      size -= room;
      continue;
    }
    const std::size_t take = std::min(size, room);
    held_.append(data, take);
    data += take;
    size -= take;
    if (take == room) {
      parseHeld(true);
    }
  }
}

void Parser::flush() {
  checkUsable();
  parseHeld(false);
}

void Parser::parseHeld(bool atSliceEnd) {
  if (held_.empty()) {
    return;
  }
  const std::string bytes = std::move(held_);
  held_.clear();
  parseChunk(bytes.data(), bytes.size(), false, atSliceEnd);
}

void Parser::finish() {
  checkUsable();
  parseHeld(false);
  parseChunk("", 0, true, false);
  finished_ = true;
}

void Parser::raise(std::exception_ptr error) {
  failure_ = std::move(error);
  std::rethrow_exception(failure_);
}

void Parser::parseChunk(const char* data, std::size_t size, bool isFinal, bool atSliceEnd) {
  if (firstBytes_.size() < 4) {  // however the input is split
    firstBytes_.append(data, std::min(size, 4 - firstBytes_.size()));
    const std::string_view first = std::string_view(firstBytes_).substr(0, 2);
    wide_ = first.size() == 2 &&
            (first[0] == '\0' || first[1] == '\0' || first == "\xFE\xFF" || first == "\xFF\xFE");
  }
  bytesFed_ += size;
  busy_ = true;
  const XML_Status status =
      XML_Parse(parser_, data, static_cast<int>(size), isFinal ? XML_TRUE : XML_FALSE);
  busy_ = false;
  if (pending_) {
    raise(std::exchange(pending_, nullptr));
  }
  if (status != XML_STATUS_OK) {
    const XML_Error code = XML_GetErrorCode(parser_);
    std::string message = XML_ErrorString(code);
    const Position at = here();
    if (code == XML_ERROR_UNKNOWN_ENCODING) {
      message += " (known: UTF-8, UTF-16, ISO-8859-1, US-ASCII, windows-1250, ISO-8859-2, IBM852)";
    } else if (code == XML_ERROR_INVALID_TOKEN || code == XML_ERROR_PARTIAL_CHAR) {
      message += encodingHint(at);
    }
    raise(std::make_exception_ptr(XmlError(fileName_, at.line, at.column, message)));
  }
  // Outside a callback expat's index and position are those of the first byte it has not
  // processed yet.
  const XML_Index processed = XML_GetCurrentByteIndex(parser_);
  if (atSliceEnd &&
      bytesFed_ - static_cast<std::uint64_t>(processed < 0 ? 0 : processed) > pendingLimit_) {
    const Position at = here();
    raise(std::make_exception_ptr(
        XmlError(fileName_, at.line, at.column,
                 "markup longer than " + std::to_string(pendingLimit_) + " bytes without an end")));
  }
}

void Parser::readStream(std::istream& in) {
  std::vector<char> buffer(kSlice);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::streamsize got = in.gcount();
    if (got > 0) {
      feed(buffer.data(), static_cast<std::size_t>(got));
    }
  }
  if (in.bad()) {
    raise(std::make_exception_ptr(XmlError(fileName_, 0, 0, "read error")));
  }
  finish();
}

void Parser::readFile(const std::string& path) {
  readStream(*openInput(path).stream);
}

std::string Parser::encodingHint(Position at) const {
  int offset = 0;
  int size = 0;
  const char* context = XML_GetInputContext(parser_, &offset, &size);
  const std::string& declared = prolog_.encoding;
  if (context == nullptr || offset < 0 || offset >= size || wide_ ||
      static_cast<unsigned char>(context[offset]) < 0x80 ||
      equalsIgnoringCase(std::string_view(declared).substr(0, 6), "UTF-16")) {
    return {};
  }
  std::string hint = declared.empty() ? " when read as UTF-8 (no encoding declared)"
                                      : " when read as " + declared + " (as declared)";
  // Only the bytes of the failing token up to the failing byte are weighed, at most 64 of them:
  // those are at hand however the document was cut into pieces or slices, so that a reading in
  // pieces says what a reading of the whole document says.
  const std::string_view bytes(context, static_cast<std::size_t>(offset) + 1);
  std::size_t start = bytes.size() - 1;
  while (start > 0 && bytes.size() - start < 64 &&
         std::strchr("<>\n", bytes[start - 1]) == nullptr) {
    --start;
  }
  const std::string guess(guessEncoding(declared, bytes.substr(start), bytes.size() - 1 - start));
  if (!guess.empty()) {
    hint += "; the bytes at " + std::to_string(at.line) + ":" + std::to_string(at.column) +
            " look like " + guess +
            (declared.empty() ? "; is the declaration encoding=\"" + guess + "\" missing?"
                              : "; should the declaration say encoding=\"" + guess + "\"?");
  }
  return hint;
}

void Parser::checkDeclaredEncoding() const {
  const std::string& declared = prolog_.encoding;
  const char* found = nullptr;
  if (declared.empty()) {
    return;
  }
  if (std::string_view(firstBytes_).substr(0, 3) == "\xEF\xBB\xBF" &&
      !equalsIgnoringCase(declared, "UTF-8")) {
    found = "the document begins with the UTF-8 byte order mark";
  } else if (wide_ && codepageOf(declared)) {  // expat refuses the other single-byte names
    found = "the document begins in UTF-16";
  }
  if (found == nullptr) {
    return;
  }
  // The declaration is ASCII (in UTF-16 every other byte of it is 0): the name's place in it.
  Position at = here();
  int offset = 0;
  int size = 0;
  const char* context = XML_GetInputContext(parser_, &offset, &size);
  if (context != nullptr && offset >= 0 && offset < size) {
    const std::size_t length = std::min<std::size_t>(
        static_cast<std::size_t>(size - offset),
        static_cast<std::size_t>(std::max(0, XML_GetCurrentByteCount(parser_))));
    std::string text;
    for (const char c : std::string_view(context + offset, length)) {
      if (c != '\0') {
        text += c;
      }
    }
    std::size_t name = text.find("encoding");
    name = name == std::string::npos ? name : text.find_first_of("\"'", name);
    if (name != std::string::npos) {
      at = advance(at, std::string_view(text).substr(0, name + 1));
    }
  }
  fail(at, "encoding specified in XML declaration is incorrect (" + std::string(found) +
               ", the declaration says " + declared + ")");
}

void Parser::fail(Position where, const std::string& message) const {
  throw XmlError(fileName_, where.line, where.column, message);
}

Position Parser::here() const {
  const std::uint64_t line = XML_GetCurrentLineNumber(parser_);
  std::int64_t column = static_cast<std::int64_t>(XML_GetCurrentColumnNumber(parser_)) + 1;
  if (line == 1) {
    column = std::max<std::int64_t>(1, column + columnShift_);
  }
  return Position{clampToU32(saturatingAdd(line, lineShift_)),
                  clampToU32(static_cast<std::uint64_t>(column))};
}

// --- Structure

bool Parser::insideObject(Position* objectStart) const {
  for (const Frame& frame : stack_) {
    if (frame.node == Node::kObject || frame.node == Node::kTypeDef) {
      *objectStart = frame.start;
      return true;
    }
  }
  return false;
}

void Parser::startElement(std::string_view name, const Attributes& attributes) {
  const Position at = here();
  const Node parent = stack_.back().node;
  const std::optional<Node> node = childOf(parent, name);
  if (!node) {
    const std::string element = "<" + std::string(name) + ">";
    Position objectStart;
    if (parent == Node::kDocument) {
      fail(at, "root element must be <SWDE>, not " + element);
    }
    if (name == "OBJECT" && insideObject(&objectStart)) {
      fail(at, "object inside an object (the enclosing <OBJECT> starts on line " +
                   std::to_string(objectStart.line) + ")");
    }
    fail(at, "unexpected element " + element + " in <" + elementName(parent) + ">");
  }
  // stack_ holds the document frame below the root, so its size is the new element's depth.
  if (stack_.size() > limits_.maxDepth) {
    fail(at, "elements nested deeper than " + std::to_string(limits_.maxDepth) + " levels");
  }
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    if (attributes.valueAt(i).size() > limits_.maxValueBytes) {
      fail(at, "value of attribute '" + std::string(attributes.nameAt(i)) + "' longer than " +
                   std::to_string(limits_.maxValueBytes) + " bytes");
    }
  }
  stack_.push_back(Frame{*node, at, false});

  switch (*node) {
    case Node::kSwde:
      schemaDate_ = optionalText(attributes, "schema_date");
      schemaVersion_ = optionalText(attributes, "schema_version");
      schemaProfile_ = optionalText(attributes, "schema_profile");
      transfer_ = optionalText(attributes, "transfer");
      if (!transfer_.empty() && transfer_ != "full" && transfer_ != "update") {
        fail(at, "invalid transfer " + quote(transfer_) + ": expected \"full\" or \"update\"");
      }
      break;
    case Node::kAttribsSect:
    case Node::kTypesSect:
      startSchemaSection();
      break;
    case Node::kAttribDecl:
      startAttribDecl(attributes);
      break;
    case Node::kTypeDef:
      startTypeDef(attributes);
      break;
    case Node::kAttrDef:
      startAttrDef(attributes);
      break;
    case Node::kAllowedValue:
      startValue(attributes);
      break;
    case Node::kRelatDef:
      startRelatDef(attributes);
      break;
    case Node::kDestTypeDef:
      startDestTypeDef(attributes);
      break;
    case Node::kObject:
      startObject(attributes);
      break;
    case Node::kObjAttr:
      startObjAttr(attributes);
      break;
    case Node::kObjValue:
      startObjValue(attributes);
      break;
    case Node::kObjRelat:
      startObjRelat(attributes);
      break;
    case Node::kObjDest:
      startObjDest(attributes);
      break;
    case Node::kDocument:
    case Node::kAttrDefs:
    case Node::kRelatDefs:
    case Node::kObjAttrs:
    case Node::kObjRelats:
      break;
  }
}

void Parser::endElement() {
  switch (stack_.back().node) {
    case Node::kAllowedValue:
      endAllowedValue();
      break;
    case Node::kObjValue:
      endObjValue();
      break;
    case Node::kObjAttr:
      endObjAttr();
      break;
    case Node::kTypeDef:
      endTypeDef();
      break;
    case Node::kObject:
      stack_.pop_back();
      endObject();  // last: the handler may throw
      return;
    default:
      break;
  }
  stack_.pop_back();
}

void Parser::characterData(std::string_view utf8) {
  // Most runs are the blanks between tags: where they start is asked of expat only when it
  // is needed.
  const Frame& frame = stack_.back();
  if (!frame.collectsText) {
    const auto solid = std::find_if_not(utf8.begin(), utf8.end(), isXmlSpace);
    if (solid != utf8.end()) {
      const auto before = static_cast<std::size_t>(solid - utf8.begin());
      fail(advance(here(), utf8.substr(0, before)),
           std::string("unexpected text in <") + elementName(frame.node) + ">");
    }
    return;
  }
  const Position at = here();
  if (!textStarted_) {
    textStarted_ = true;
    textStart_ = at;
  }
  // The first fault in the text wins, wherever the runs of text were split: a character that
  // windows-1250 lacks within the limit, else the limit itself.
  const std::size_t room = limits_.maxValueBytes - std::min(textBytes_, limits_.maxValueBytes);
  std::size_t within = std::min(room, utf8.size());
  while (within > 0 && within < utf8.size() &&
         isContinuation(static_cast<unsigned char>(utf8[within]))) {
    --within;  // a character cut by the limit lies beyond it
  }
  AnsiString& converted = converted_;  // its capacity serves the next run
  std::size_t offset = 0;
  if (!Utf8ToCp1250(utf8.substr(0, within), converted, &offset)) {
    fail(advance(at, utf8.substr(0, offset)),
         "character " + characterAt(utf8, offset) + " cannot be represented in windows-1250");
  }
  textBytes_ += utf8.size();
  if (textBytes_ > limits_.maxValueBytes) {
    fail(textStart_, "value longer than " + std::to_string(limits_.maxValueBytes) + " bytes");
  }
  text_ += converted;
}

// --- Attribute helpers; their errors point at the current element's start tag.

std::string_view Parser::required(const Attributes& attributes, std::string_view key) const {
  const std::string_view value = attributes.get(key);
  if (value.data() == nullptr) {
    fail(stack_.back().start, "missing attribute '" + std::string(key) + "' on <" +
                                  elementName(stack_.back().node) + ">");
  }
  return value;
}

AnsiString Parser::toCp1250(std::string_view utf8, std::string_view key) const {
  AnsiString out;
  convertInto(utf8, key, out);
  return out;
}

void Parser::convertInto(std::string_view utf8, std::string_view key, AnsiString& out) const {
  std::size_t offset = 0;
  if (!Utf8ToCp1250(utf8, out, &offset)) {
    fail(stack_.back().start, "character " + characterAt(utf8, offset) + " in attribute '" +
                                  std::string(key) + "' cannot be represented in windows-1250");
  }
}

AnsiString Parser::optionalText(const Attributes& attributes, std::string_view key) const {
  const std::string_view value = attributes.get(key);
  return value.data() == nullptr ? AnsiString() : toCp1250(value, key);
}

AnsiString Parser::codeOf(const Attributes& attributes, const AnsiString& name) const {
  AnsiString code;
  codeInto(attributes, name, code);
  return code;
}

void Parser::codeInto(const Attributes& attributes, const AnsiString& name,
                      AnsiString& code) const {
  const std::string_view fieldName = attributes.get("field_name");
  if (fieldName.data() == nullptr) {
    code = name;
  } else {
    convertInto(fieldName, "field_name", code);
  }
}

std::optional<std::uint32_t> Parser::optionalId(const Attributes& attributes) const {
  const std::string_view digits = attributes.get("id");
  if (digits.data() == nullptr) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  bool valid = !digits.empty();
  for (const char c : digits) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (c < '0' || c > '9' || value > std::numeric_limits<std::uint32_t>::max()) {
      valid = false;
      break;
    }
  }
  if (!valid) {
    fail(stack_.back().start,
         "invalid id " + quote(digits) + ": expected an unsigned 32-bit integer");
  }
  return static_cast<std::uint32_t>(value);
}

bool Parser::flag(const Attributes& attributes, std::string_view key) const {
  const char* text = attributes.find(key);
  if (text == nullptr) {
    return false;
  }
  const std::string_view value(text);
  if (value != "0" && value != "1") {
    fail(stack_.back().start,
         "invalid " + std::string(key) + " " + quote(value) + ": expected \"0\" or \"1\"");
  }
  return value == "1";
}

int Parser::mandatoryLevel(const Attributes& attributes) const {
  const bool mandatory = flag(attributes, "mandatory");
  const char* level = attributes.find("mandatory_level");
  if (level == nullptr) {
    return mandatory ? 1 : 0;
  }
  std::int32_t value = 0;
  if (!TryStrToInt(level, value)) {
    fail(stack_.back().start, "invalid mandatory_level " + quote(level) + ": expected an integer");
  }
  return value;
}

bool Parser::readValueAttribute(const Attributes& attributes, AnsiString& out) const {
  const std::string_view str = attributes.get("value_str");
  const std::string_view integer = attributes.get("value_int");
  if (str.data() != nullptr && integer.data() != nullptr) {
    fail(stack_.back().start,
         std::string("both value_str and value_int on <") + elementName(stack_.back().node) + ">");
  }
  if (str.data() != nullptr) {
    convertInto(str, "value_str", out);
    return true;
  }
  if (integer.data() != nullptr) {
    std::int64_t unused = 0;
    if (!TryStrToInt64(integer, unused)) {
      fail(stack_.back().start, "invalid value_int " + quote(integer) + ": expected an integer");
    }
    out.assign(integer);  // digits and a sign: the same bytes in CP1250
    return true;
  }
  out.clear();
  return false;
}

void Parser::countEntry(std::size_t& entries) const {
  if (++entries > limits_.maxEntriesPerObject) {
    fail(stack_.back().start, "more than " + std::to_string(limits_.maxEntriesPerObject) +
                                  " attributes and relations in one <OBJECT>");
  }
}

void Parser::startValue(const Attributes& attributes) {
  valueFromAttribute_ = readValueAttribute(attributes, value_);
  // Without value_str or value_int the text is the value; otherwise text is not allowed.
  stack_.back().collectsText = !valueFromAttribute_;
  text_.clear();
  textBytes_ = 0;
  textStarted_ = false;
}

AnsiString Parser::takeValue() {
  return valueFromAttribute_ ? std::move(value_) : std::move(text_);
}

}  // namespace swde::xml::detail
