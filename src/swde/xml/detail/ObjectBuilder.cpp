// swde — semantic checks of SWDE cadastral exchange objects.
//
// The objects of a document. An object is made at its start tag and handed out at its end
// tag. A relation entry is added at its start tag, since its DEST_OBJECT only completes it; an
// attribute entry waits for its end tag, since its value may come from a VALUE child. Default
// ids are ordinals: objects in the document, entries within their object.
#include <limits>
#include <string>
#include <utility>

#include "swde/model/Smattribute.hpp"
#include "swde/xml/detail/Parser.hpp"

namespace swde::xml::detail {

void Parser::startObject(const Attributes& attributes) {
  const Position at = stack_.back().start;
  if (mode_ == Mode::kSchema) {
    fail(at, "objects are not allowed in a schema");
  }
  AnsiString& name = scratchName_;
  convertInto(required(attributes, "name"), "name", name);
  const std::optional<std::uint32_t> id = optionalId(attributes);
  AnsiString baseType = optionalText(attributes, "base_type");
  AnsiString status = optionalText(attributes, "status");
  ++objectsStarted_;
  objectStart_ = documentOffset(XML_GetCurrentByteIndex(parser_));
  object_.reset(factory_.createObject(name));
  object_->baseType = std::move(baseType);
  object_->status = std::move(status);
  object_->line = at.line;
  // An ordinal past the 32-bit range wraps; no real document comes near it.
  object_->id = id ? *id : static_cast<std::uint32_t>(objectsStarted_);
  objectEntries_ = 0;
  attributeOrdinal_ = 0;
  relationOrdinal_ = 0;
}

void Parser::startObjAttr(const Attributes& attributes) {
  countEntry(objectEntries_);
  ++attributeOrdinal_;
  // The pending entry's texts are written in place: their buffers serve entry after entry.
  PendingAttribute& attribute = attribute_;
  convertInto(required(attributes, "name"), "name", attribute.name);
  codeInto(attributes, attribute.name, attribute.code);
  attribute.line = stack_.back().start.line;
  attribute.id = optionalId(attributes).value_or(attributeOrdinal_);
  attribute.hasValue = readValueAttribute(attributes, attribute.value);
  attribute.fromAttribute = attribute.hasValue;
}

void Parser::startObjValue(const Attributes& attributes) {
  if (attribute_.hasValue) {
    fail(stack_.back().start, attribute_.fromAttribute
                                  ? "<VALUE> in an <ATTR> that has value_str or value_int"
                                  : "more than one <VALUE> in <ATTR>");
  }
  startValue(attributes);
}

void Parser::endObjValue() {
  attribute_.value = takeValue();
  attribute_.hasValue = true;
}

void Parser::endObjAttr() {
  // The value is moved in, not copied: only the name and the code key the entry.
  smAttribute* entry = object_->addAttribute(attribute_.code, attribute_.name, AnsiString());
  entry->value = std::move(attribute_.value);
  entry->line = attribute_.line;
  entry->id = attribute_.id;
  attribute_.value.clear();
  attribute_.hasValue = false;
  attribute_.fromAttribute = false;
}

void Parser::startObjRelat(const Attributes& attributes) {
  countEntry(objectEntries_);
  ++relationOrdinal_;
  AnsiString& name = scratchName_;
  AnsiString& code = scratchCode_;
  convertInto(required(attributes, "name"), "name", name);
  codeInto(attributes, name, code);
  const std::uint32_t id = optionalId(attributes).value_or(relationOrdinal_);
  relation_ = object_->addRelation(code, name);
  relation_->line = stack_.back().start.line;
  relation_->id = id;
  relationHasDest_ = false;
}

void Parser::startObjDest(const Attributes& attributes) {
  if (relationHasDest_) {
    fail(stack_.back().start, "more than one <DEST_OBJECT> in <RELAT>");
  }
  relationHasDest_ = true;
  convertInto(required(attributes, "element"), "element", relation_->destType);
  const std::string_view target = attributes.get("name");
  if (target.data() != nullptr) {
    convertInto(target, "name", relation_->destObject);
  } else {
    relation_->destObject.clear();
  }
}

void Parser::endObject() {
  std::unique_ptr<smObject> object = std::move(object_);
  ++objectsHandedOut_;
  if (onObject_) {
    onObject_(std::move(object));
  }
}

}  // namespace swde::xml::detail
