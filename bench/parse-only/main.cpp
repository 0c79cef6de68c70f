// swde — semantic checks of SWDE cadastral exchange objects.
//
// swde-parse-only FILE: parses a document with expat alone, in 64 KiB pieces as the reader
// feeds it, with handlers that only count elements. Nothing is built and nothing is checked,
// so its time and memory are the floor that swde-check is measured against.
// Exit status: 0 well-formed, 1 not well-formed, 2 bad usage or an unreadable file.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <expat.h>

namespace {

void XMLCALL onStart(void* data, const XML_Char* /*name*/, const XML_Char** /*attributes*/) {
  ++*static_cast<std::uint64_t*>(data);
}

void XMLCALL onEnd(void* /*data*/, const XML_Char* /*name*/) {}

void XMLCALL onText(void* /*data*/, const XML_Char* /*text*/, int /*length*/) {}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: swde-parse-only FILE\n");
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) {
    std::fprintf(stderr, "swde-parse-only: %s: %s\n", argv[1], std::strerror(errno));
    return 2;
  }
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (parser == nullptr) {
    std::fclose(file);
    std::fprintf(stderr, "swde-parse-only: out of memory\n");
    return 2;
  }
  std::uint64_t elements = 0;
  XML_SetUserData(parser, &elements);
  XML_SetElementHandler(parser, &onStart, &onEnd);
  XML_SetCharacterDataHandler(parser, &onText);

  std::vector<char> buffer(std::size_t{1} << 16);
  std::uint64_t bytes = 0;
  int status = 0;
  for (;;) {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
    if (got == 0 && std::ferror(file)) {
      std::fprintf(stderr, "swde-parse-only: %s: read error\n", argv[1]);
      status = 2;
      break;
    }
    bytes += got;
    const bool last = got == 0;
    if (XML_Parse(parser, buffer.data(), static_cast<int>(got), last ? XML_TRUE : XML_FALSE) !=
        XML_STATUS_OK) {
      std::fprintf(stderr, "swde-parse-only: %s:%lu:%lu: %s\n", argv[1],
                   static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)),
                   static_cast<unsigned long>(XML_GetCurrentColumnNumber(parser) + 1),
                   XML_ErrorString(XML_GetErrorCode(parser)));
      status = 1;
      break;
    }
    if (last) {
      break;
    }
  }
  XML_ParserFree(parser);
  std::fclose(file);
  if (status == 0) {
    std::printf("%llu elements, %llu bytes\n", static_cast<unsigned long long>(elements),
                static_cast<unsigned long long>(bytes));
  }
  return status;
}
