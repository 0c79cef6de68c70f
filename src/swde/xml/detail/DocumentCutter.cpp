// swde — semantic checks of SWDE cadastral exchange objects.
//
// Why a piece reads exactly as the whole document: a cut is made only right after the end of
// an object, where a reader of the whole document stands inside the root element with no token
// half read. A piece's reader is put in that same state by a prolog equivalent to the
// document's (the same version, encoding and standalone; a document type declaration with an
// external identifier when the document has one, since that decides how expat treats unknown
// entities) and by taking the document's offset, line and column from there on. The reader
// slices its input at fixed document offsets, so from the cut on it meets the same events and
// the same errors. If the document is broken before a cut, the piece holding the break (or the
// head) reports it first, and what the scan made of the bytes after it does not matter.
//
// The scan is a small state machine over the bytes, resumable at any byte, that jumps with
// memchr through text, attribute values, comments, CDATA sections and processing instructions.
#include "swde/xml/detail/DocumentCutter.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <utility>

#include "swde/xml/detail/Encoding.hpp"
#include "swde/xml/detail/Parser.hpp"

namespace swde::xml {
namespace detail {

// Lines and columns of the bytes seen so far, as expat counts them: "\r\n", "\r" and "\n" each
// end a line; a column is a byte in a single-byte encoding and a character in UTF-8.
class LineCursor {
 public:
  void advance(std::string_view bytes) {
    if (bytes.empty()) {
      return;
    }
    if (std::memchr(bytes.data(), '\r', bytes.size()) == nullptr) {
      line_ += static_cast<std::uint64_t>(std::count(bytes.begin(), bytes.end(), '\n'));
      line_ -= afterCarriageReturn_ && bytes.front() == '\n' ? 1U : 0U;
    } else {
      for (const char c : bytes) {
        if (c == '\n') {
          line_ += afterCarriageReturn_ ? 0 : 1;
        } else if (c == '\r') {
          ++line_;
        }
        afterCarriageReturn_ = c == '\r';
      }
    }
    afterCarriageReturn_ = bytes.back() == '\r';
    std::size_t lineStart = bytes.size();
    while (lineStart > 0 && bytes[lineStart - 1] != '\n' && bytes[lineStart - 1] != '\r') {
      --lineStart;
    }
    if (lineStart > 0) {
      bytesInLine_ = 0;
      charactersInLine_ = 0;
    }
    const std::string_view tail = bytes.substr(lineStart);
    bytesInLine_ += tail.size();
    charactersInLine_ +=
        static_cast<std::uint64_t>(std::count_if(tail.begin(), tail.end(), [](char c) {
          return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U;
        }));
  }

  std::uint64_t line() const { return line_; }
  std::uint64_t column(bool utf8) const { return utf8 ? charactersInLine_ : bytesInLine_; }

 private:
  std::uint64_t line_ = 1;
  std::uint64_t bytesInLine_ = 0;
  std::uint64_t charactersInLine_ = 0;  // bytes that start a UTF-8 sequence
  bool afterCarriageReturn_ = false;
};

// Finds the ends of objects in a document, from its first byte.
class Scanner {
 public:
  // Scans data[from, size) on from where the last call stopped. Returns the offset just past
  // the next end of an object, or npos when there is none before `size` or the scan is lost.
  std::size_t next(const char* data, std::size_t size, std::size_t from);
  // True once the scan met markup it does not know; it then finds nothing more.
  bool lost() const { return state_ == State::kLost; }
  // Object start tags scanned since the last call, which resets the count.
  std::uint64_t takeObjectStarts() { return std::exchange(objectStarts_, 0); }

 private:
  enum class State : unsigned char {
    kText,
    kLess,           // "<"
    kStartName,      // "<N..."
    kTag,            // in a start tag after its name
    kValue,          // in a quoted attribute value
    kSlash,          // "/" in a start tag
    kEndName,        // "</N..."
    kEndTail,        // after the name of an end tag
    kInstruction,    // "<?..."
    kQuestion,       // "?" in a processing instruction
    kBang,           // "<!"
    kCommentOpen,    // "<!-"
    kComment,        // "<!--..."
    kCommentDash,    // "-" in a comment
    kCommentDashes,  // "--" in a comment
    kCdataOpen,      // "<![CDATA" so far
    kCdata,          // "<![CDATA[..."
    kCdataBracket,   // "]" in a CDATA section
    kCdataBrackets,  // "]]" in a CDATA section
    kDoctypeOpen,    // "<!D..." so far
    kDoctype,        // in a document type declaration
    kDoctypeValue,   // in a quoted literal of it
    kLost,
  };

  static bool isNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
  }
  static bool isNameChar(unsigned char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
  }
  static bool isSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

  // The bytes that mean something inside a start tag after its name.
  static constexpr std::array<bool, 256> kTagStops = [] {
    std::array<bool, 256> stops{};
    for (const char c : {'>', '/', '"', '\'', '<'}) {
      stops[static_cast<unsigned char>(c)] = true;
    }
    return stops;
  }();

  // Follows a name against "OBJECT": matched_ is how much of it the name is so far, -1 once it
  // is another name.
  void matchName(unsigned char c) {
    static constexpr char kObject[] = "OBJECT";
    matched_ = matched_ >= 0 && matched_ < 6 && c == kObject[matched_] ? matched_ + 1 : -1;
  }

  State state_ = State::kText;
  int matched_ = 0;
  bool nameStarted_ = false;
  bool isObject_ = false;
  char quote_ = '"';
  std::size_t opened_ = 0;  // how much of "[CDATA[" or "DOCTYPE" is matched
  std::uint64_t objectStarts_ = 0;
};

std::size_t Scanner::next(const char* data, std::size_t size, std::size_t from) {
  const auto jumpTo = [&](std::size_t& at, char wanted) {
    const void* found = std::memchr(data + at, wanted, size - at);
    at = found == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(found) - data);
    return found != nullptr;
  };
  std::size_t at = from;
  while (at < size) {
    auto c = static_cast<unsigned char>(data[at]);
    switch (state_) {
      case State::kText:
        if (jumpTo(at, '<')) {
          state_ = State::kLess;
          ++at;
        }
        continue;
      case State::kLess:
        if (c == '/') {
          state_ = State::kEndName;
          matched_ = 0;
          nameStarted_ = false;
        } else if (c == '?') {
          state_ = State::kInstruction;
        } else if (c == '!') {
          state_ = State::kBang;
        } else if (isNameStart(c)) {
          state_ = State::kStartName;
          matched_ = 0;
          matchName(c);
        } else {
          state_ = State::kLost;
          return std::string::npos;
        }
        break;
      case State::kStartName:
        if (isNameChar(c)) {
          matchName(c);
          break;
        }
        isObject_ = matched_ == 6;
        state_ = State::kTag;
        continue;  // the same byte again, in the tag
      case State::kTag:
        // Names, "=" and blanks between attributes only pass by.
        while (at < size && !kTagStops[static_cast<unsigned char>(data[at])]) {
          ++at;
        }
        if (at == size) {
          continue;
        }
        c = static_cast<unsigned char>(data[at]);
        if (c == '>') {
          objectStarts_ += isObject_ ? 1 : 0;
          state_ = State::kText;
        } else if (c == '/') {
          state_ = State::kSlash;
        } else if (c == '"' || c == '\'') {
          quote_ = static_cast<char>(c);
          state_ = State::kValue;
        } else if (c == '<') {
          state_ = State::kLost;
          return std::string::npos;
        }
        break;
      case State::kValue:
        if (jumpTo(at, quote_)) {
          state_ = State::kTag;
          ++at;
        }
        continue;
      case State::kSlash:
        if (c != '>') {
          state_ = State::kLost;
          return std::string::npos;
        }
        state_ = State::kText;
        if (isObject_) {
          ++objectStarts_;
          return at + 1;
        }
        break;
      case State::kEndName:
        if (isNameChar(c) && (nameStarted_ || isNameStart(c))) {
          nameStarted_ = true;
          matchName(c);
          break;
        }
        if (!nameStarted_) {
          state_ = State::kLost;
          return std::string::npos;
        }
        isObject_ = matched_ == 6;
        state_ = State::kEndTail;
        continue;
      case State::kEndTail:
        if (isSpace(c)) {
          break;
        }
        if (c != '>') {
          state_ = State::kLost;
          return std::string::npos;
        }
        state_ = State::kText;
        if (isObject_) {
          return at + 1;
        }
        break;
      case State::kInstruction:
        if (jumpTo(at, '?')) {
          state_ = State::kQuestion;
          ++at;
        }
        continue;
      case State::kQuestion:
        state_ = c == '>' ? State::kText : c == '?' ? State::kQuestion : State::kInstruction;
        break;
      case State::kBang:
        if (c == '-') {
          state_ = State::kCommentOpen;
        } else if (c == '[') {
          state_ = State::kCdataOpen;
          opened_ = 1;
        } else if (c == 'D') {
          state_ = State::kDoctypeOpen;
          opened_ = 1;
        } else {
          state_ = State::kLost;  // a declaration of a DTD
          return std::string::npos;
        }
        break;
      case State::kCommentOpen:
        if (c != '-') {
          state_ = State::kLost;
          return std::string::npos;
        }
        state_ = State::kComment;
        break;
      case State::kComment:
        if (jumpTo(at, '-')) {
          state_ = State::kCommentDash;
          ++at;
        }
        continue;
      case State::kCommentDash:
        state_ = c == '-' ? State::kCommentDashes : State::kComment;
        break;
      case State::kCommentDashes:
        if (c != '>') {
          state_ = State::kLost;  // "--" inside a comment: not well-formed
          return std::string::npos;
        }
        state_ = State::kText;
        break;
      case State::kCdataOpen:
      case State::kDoctypeOpen: {
        const bool cdata = state_ == State::kCdataOpen;
        const std::string_view open = cdata ? "[CDATA[" : "DOCTYPE";
        if (c != static_cast<unsigned char>(open[opened_])) {
          state_ = State::kLost;
          return std::string::npos;
        }
        if (++opened_ == open.size()) {
          state_ = cdata ? State::kCdata : State::kDoctype;
        }
        break;
      }
      case State::kDoctype:
        if (c == '"' || c == '\'') {
          quote_ = static_cast<char>(c);
          state_ = State::kDoctypeValue;
        } else if (c == '>') {
          state_ = State::kText;
        } else if (c == '[' || c == '<') {
          state_ = State::kLost;  // an internal subset, which the reader refuses anyway
          return std::string::npos;
        }
        break;
      case State::kDoctypeValue:
        if (jumpTo(at, quote_)) {
          state_ = State::kDoctype;
          ++at;
        }
        continue;
      case State::kCdata:
        if (jumpTo(at, ']')) {
          state_ = State::kCdataBracket;
          ++at;
        }
        continue;
      case State::kCdataBracket:
        state_ = c == ']' ? State::kCdataBrackets : State::kCdata;
        break;
      case State::kCdataBrackets:
        state_ = c == '>' ? State::kText : c == ']' ? State::kCdataBrackets : State::kCdata;
        break;
      case State::kLost:
        return std::string::npos;
    }
    ++at;
  }
  return std::string::npos;
}

namespace {

// A declared value that can be written back between double quotes as it is.
bool isPlainValue(std::string_view value) {
  return std::all_of(value.begin(), value.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
  });
}

}  // namespace
}  // namespace detail

DocumentCutter::DocumentCutter(std::string fileName, DocumentReader::ObjectHandler onObject,
                               PieceHandler onPiece, std::size_t pieceBytes, ReaderLimits limits)
    : fileName_(std::move(fileName)),
      onObject_(std::move(onObject)),
      onPiece_(std::move(onPiece)),
      pieceBytes_(std::max<std::size_t>(pieceBytes, 1)),
      limits_(limits),
      head_(std::make_unique<detail::Parser>(fileName_, detail::Parser::Mode::kDocument, onObject_,
                                             limits_)),
      scanner_(std::make_unique<detail::Scanner>()),
      cursor_(std::make_unique<detail::LineCursor>()) {}

DocumentCutter::~DocumentCutter() = default;

Metadata& DocumentCutter::fileMetadata() {
  return head_->metadata();
}

bool DocumentCutter::hasSchemaSections() const {
  return head_->hasSchemaSections();
}

const AnsiString& DocumentCutter::transfer() const {
  return head_->transfer();
}

bool DocumentCutter::streaming() const {
  return phase_ == Phase::kStream;
}

detail::Parser& DocumentCutter::stream() {
  return rest_ ? *rest_ : *head_;
}

void DocumentCutter::feed(const char* data, std::size_t size) {
  if (firstBytes_.size() < 4) {
    firstBytes_.append(data, std::min(size, 4 - firstBytes_.size()));
  }
  switch (phase_) {
    case Phase::kHead:
      readHead(data, size);
      return;
    case Phase::kPieces:
      cutPieces(data, size);
      return;
    case Phase::kStream:
      stream().feed(data, size);
      fed_ += size;
      return;
  }
}

void DocumentCutter::finish() {
  switch (phase_) {
    case Phase::kHead:
    case Phase::kStream:
      stream().finish();
      return;
    case Phase::kPieces:
      handOut(true);
      return;
  }
}

void DocumentCutter::readHead(const char* data, std::size_t size) {
  std::size_t at = 0;
  while (at < size) {
    const std::size_t cut = scanner_->next(data, size, at);
    const std::size_t end = cut == std::string::npos || scanner_->lost() ? size : cut;
    head_->feed(data + at, end - at);
    cursor_->advance(std::string_view(data + at, end - at));
    fed_ += end - at;
    at = end;
    if (scanner_->lost()) {
      phase_ = Phase::kStream;  // the head's reader reads on
      return;
    }
    if (cut == std::string::npos) {
      return;
    }
    // The end of an object (or of a record type definition): the head may end here.
    head_->flush();
    if (head_->objectCount() > 0) {
      if (!startCutting()) {
        phase_ = Phase::kStream;
        head_->feed(data + at, size - at);
        fed_ += size - at;
        return;
      }
      start_ = PieceStart{prolog_, fed_, cursor_->line(), cursor_->column(utf8Columns_),
                          head_->objectCount()};
      scanner_->takeObjectStarts();
      phase_ = Phase::kPieces;
      cutPieces(data + at, size - at);
      return;
    }
  }
}

bool DocumentCutter::startCutting() {
  const detail::Parser::Prolog& prolog = head_->prolog();
  const std::string_view first = firstBytes_;
  const bool utf8Mark = first.substr(0, 3) == "\xEF\xBB\xBF";
  if (first.find('\0') != std::string_view::npos || first.substr(0, 2) == "\xFE\xFF" ||
      first.substr(0, 2) == "\xFF\xFE") {
    return false;  // UTF-16 or wider: a "<" byte is not a "<" character
  }
  const std::string& encoding = prolog.encoding;
  const bool utf8 = encoding.empty() || detail::equalsIgnoringCase(encoding, "UTF-8");
  if (!detail::isAsciiCompatible(encoding) || (utf8Mark && !utf8) ||
      !detail::isPlainValue(prolog.version) || !detail::isPlainValue(encoding)) {
    return false;
  }
  utf8Columns_ = utf8;
  prolog_.clear();
  if (prolog.declaration) {
    prolog_ = "<?xml version=\"" + prolog.version + "\"";
    if (!encoding.empty()) {
      prolog_ += " encoding=\"" + encoding + "\"";
    }
    if (prolog.standalone >= 0) {
      prolog_ += prolog.standalone != 0 ? " standalone=\"yes\"" : " standalone=\"no\"";
    }
    prolog_ += "?>";
  }
  if (prolog.doctype) {
    prolog_ += prolog.doctypeSystemId ? "<!DOCTYPE SWDE SYSTEM \"swde\">" : "<!DOCTYPE SWDE>";
  }
  prolog_ += "<SWDE>";
  return true;
}

void DocumentCutter::cutPieces(const char* data, std::size_t size) {
  std::size_t at = 0;
  while (at < size) {
    const std::size_t cut = scanner_->next(data, size, at);
    if (scanner_->lost()) {
      streamRest(data + at, size - at);
      return;
    }
    const std::size_t end = cut == std::string::npos ? size : cut;
    text_.append(data + at, end - at);
    cursor_->advance(std::string_view(data + at, end - at));
    fed_ += end - at;
    at = end;
    if (cut == std::string::npos) {
      if (text_.size() > pieceBytes_ + limits_.maxObjectBytes) {
        streamRest(nullptr, 0);  // no end of an object for too long: do not gather more
      }
      return;
    }
    if (text_.size() >= pieceBytes_) {
      handOut(false);
    }
  }
}

void DocumentCutter::handOut(bool last) {
  Piece piece{start_, std::move(text_), last};
  text_ = std::string();
  start_.offset = fed_;
  start_.line = cursor_->line();
  start_.column = cursor_->column(utf8Columns_);
  start_.objectsBefore += scanner_->takeObjectStarts();
  onPiece_(std::move(piece));
}

void DocumentCutter::streamRest(const char* data, std::size_t size) {
  phase_ = Phase::kStream;
  rest_ = std::make_unique<detail::Parser>(fileName_, detail::Parser::Mode::kDocument, onObject_,
                                           limits_);
  rest_->continueAt(start_);
  const std::string gathered = std::move(text_);
  text_ = std::string();
  rest_->feed(gathered.data(), gathered.size());
  if (size > 0) {
    rest_->feed(data, size);
    fed_ += size;
  }
}

}  // namespace swde::xml
