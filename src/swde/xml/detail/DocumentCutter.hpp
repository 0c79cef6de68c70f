// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_XML_DETAIL_DOCUMENTCUTTER_HPP_
#define SWDE_XML_DETAIL_DOCUMENTCUTTER_HPP_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "swde/metadata/Metadata.hpp"
#include "swde/xml/Reader.hpp"

namespace swde::xml {

namespace detail {
class Parser;
class Scanner;
class LineCursor;
}  // namespace detail

// Cuts a transfer document into pieces that DocumentReaders can read on their own, at the same
// time, and still give exactly what one reading of the whole document gives: the same objects
// with the same lines and ids, and the same first error at the same line and column.
//
// The cutter scans the document for the places right after the end of an object (`</OBJECT>`
// or `<OBJECT .../>`), knowing every construct in which such text is not markup (attribute
// values, comments, CDATA sections, processing instructions, the document type declaration),
// and counting lines as expat does. Each byte is scanned once. The head of the document (its
// prolog, its own schema sections and its first object) is read by the cutter's own reader,
// whose objects go to `onObject`. After the head, a piece ends at the first such place at least
// `pieceBytes` after its start; it goes to `onPiece` with the PieceStart its reader needs
// (DocumentReader::readPiece).
//
// Where it cannot be sure, the cutter does not cut: a document in an encoding that is not ASCII
// in its bytes below 0x80 (detail::isAsciiCompatible; UTF-16 above all), markup its scan does
// not know (a declaration among the objects, a "<" that starts no markup), or no place to cut
// within pieceBytes + ReaderLimits::maxObjectBytes. From the last cut on, the rest of the document
// is then read in one stream by a reader of the cutter's own, whose objects go to `onObject` too.
//
// The handlers are called from feed() and finish() only, in document order: whatever onObject
// receives after a piece comes after that piece in the document. An XmlError of the head or of
// the rest passes out of feed() or finish(), and so does any exception of a handler; the cutter
// must not be used after that. An error inside a piece is found by the piece's reader.
class DocumentCutter {
 public:
  struct Piece {
    PieceStart start;
    std::string text;   // the bytes of the document from start.offset on
    bool last = false;  // the piece ends the document: its reader must call finish()
  };
  using PieceHandler = std::function<void(Piece piece)>;

  // `fileName` is used only in error messages. REQUIRES: pieceBytes > 0.
  DocumentCutter(std::string fileName, DocumentReader::ObjectHandler onObject, PieceHandler onPiece,
                 std::size_t pieceBytes, ReaderLimits limits = {});
  ~DocumentCutter();
  DocumentCutter(const DocumentCutter&) = delete;
  DocumentCutter& operator=(const DocumentCutter&) = delete;

  // Takes the next `size` bytes of the document.
  void feed(const char* data, std::size_t size);
  // Declares the end of the document: hands out the last piece, or finishes the stream.
  void finish();

  // The document's own schema sections and whether it has any, as the head's reader read them;
  // complete once the first object or piece has been handed out.
  Metadata& fileMetadata();
  bool hasSchemaSections() const;
  // The root element's transfer attribute as the head's reader read it (DocumentReader).
  const AnsiString& transfer() const;
  // True once the rest of the document goes to one stream (nothing is cut any more).
  bool streaming() const;

 private:
  enum class Phase {
    kHead,    // the head's reader reads, up to the first object's end
    kPieces,  // gathering the bytes of a piece
    kStream,  // one reader reads the rest
  };

  void readHead(const char* data, std::size_t size);
  bool startCutting();
  void cutPieces(const char* data, std::size_t size);
  void streamRest(const char* data, std::size_t size);
  void handOut(bool last);
  detail::Parser& stream();

  std::string fileName_;
  DocumentReader::ObjectHandler onObject_;
  PieceHandler onPiece_;
  std::size_t pieceBytes_;
  ReaderLimits limits_;
  Phase phase_ = Phase::kHead;
  std::unique_ptr<detail::Parser> head_;
  std::unique_ptr<detail::Parser> rest_;  // after a cut, when the rest goes to one stream
  std::unique_ptr<detail::Scanner> scanner_;
  std::unique_ptr<detail::LineCursor> cursor_;
  std::uint64_t fed_ = 0;  // bytes given to feed() so far
  std::string firstBytes_;
  bool utf8Columns_ = true;  // columns count UTF-8 characters, not bytes
  std::string prolog_;
  PieceStart start_;  // of the piece being gathered
  std::string text_;  // its bytes so far
};

}  // namespace swde::xml

#endif  // SWDE_XML_DETAIL_DOCUMENTCUTTER_HPP_
