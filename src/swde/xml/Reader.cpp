// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/xml/Reader.hpp"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "swde/xml/detail/Parser.hpp"

namespace swde::xml {
namespace {

std::string locate(const std::string& file, std::uint32_t line, std::uint32_t column,
                   const std::string& message) {
  if (line == 0) {
    return file + ": " + message;
  }
  return file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + message;
}

// A file name is UTF-8 on every system; on Windows it is opened by its UTF-16 form, whatever the
// process's code page.
std::filesystem::path nativeName(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::u8path(path);
#else
  return path;
#endif
}

}  // namespace

XmlError::XmlError(std::string file, std::uint32_t line, std::uint32_t column, std::string message)
    : std::runtime_error(locate(file, line, column, message)),
      file_(std::move(file)),
      line_(line),
      column_(column),
      message_(std::move(message)) {}

InputFile openInput(const std::string& path) {
  std::error_code error;
  std::filesystem::path name;
  try {
    name = nativeName(path);
  } catch (const std::system_error& e) {  // Windows: bytes that are not UTF-8 name no file
    throw XmlError(path, 0, 0, "cannot open: " + e.code().message());
  }
  const std::filesystem::file_status status = std::filesystem::status(name, error);
  if (std::filesystem::is_directory(status)) {
    throw XmlError(path, 0, 0, "cannot open: is a directory");
  }
  errno = 0;
  auto stream = std::make_unique<std::ifstream>(name, std::ios::binary);
  if (!*stream) {
    const std::string reason =
        errno != 0 ? std::generic_category().message(errno) : std::string("unknown error");
    throw XmlError(path, 0, 0, "cannot open: " + reason);
  }
  InputFile input;
  if (std::filesystem::is_regular_file(status)) {
    input.size = static_cast<std::uint64_t>(std::filesystem::file_size(name, error));
    input.size = error ? 0 : input.size;
  }
  input.stream = std::move(stream);
  return input;
}

std::unique_ptr<Metadata> loadSchema(const std::string& path, const ReaderLimits& limits) {
  detail::Parser parser(path, detail::Parser::Mode::kSchema, nullptr, limits);
  parser.readFile(path);
  return parser.releaseMetadata();
}

std::unique_ptr<Metadata> parseSchema(std::string_view text, const std::string& name,
                                      const ReaderLimits& limits) {
  detail::Parser parser(name, detail::Parser::Mode::kSchema, nullptr, limits);
  parser.feed(text.data(), text.size());
  parser.finish();
  return parser.releaseMetadata();
}

DocumentReader::DocumentReader(std::string fileName, ObjectHandler onObject, ReaderLimits limits)
    : parser_(std::make_unique<detail::Parser>(std::move(fileName), detail::Parser::Mode::kDocument,
                                               std::move(onObject), limits)) {}

DocumentReader::~DocumentReader() = default;

void DocumentReader::feed(const char* data, std::size_t size) {
  parser_->feed(data, size);
}

void DocumentReader::finish() {
  parser_->finish();
}

void DocumentReader::readStream(std::istream& in) {
  parser_->readStream(in);
}

void DocumentReader::readFile(const std::string& path) {
  parser_->readFile(path);
}

void DocumentReader::readMemory(std::string_view text) {
  parser_->feed(text.data(), text.size());
  parser_->finish();
}

Metadata& DocumentReader::fileMetadata() {
  return parser_->metadata();
}

bool DocumentReader::hasSchemaSections() const {
  return parser_->hasSchemaSections();
}

void DocumentReader::readPiece(const PieceStart& start, std::string_view text, bool last) {
  parser_->continueAt(start);
  parser_->feed(text.data(), text.size());
  if (last) {
    parser_->finish();
  } else {
    parser_->flush();
  }
}

std::uint64_t DocumentReader::objectCount() const {
  return parser_->objectCount();
}

std::uint64_t DocumentReader::bytesFed() const {
  return parser_->bytesFed();
}

const AnsiString& DocumentReader::schemaDate() const {
  return parser_->schemaDate();
}

const AnsiString& DocumentReader::schemaVersion() const {
  return parser_->schemaVersion();
}

const AnsiString& DocumentReader::schemaProfile() const {
  return parser_->schemaProfile();
}

const AnsiString& DocumentReader::transfer() const {
  return parser_->transfer();
}

}  // namespace swde::xml
