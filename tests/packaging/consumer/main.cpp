// swde — semantic checks of SWDE cadastral exchange objects.
// Builds one error record and reads the document named by argv[1] (examples/clean.xml) through
// the installed package, with a schema parsed from memory.
#include <cstdio>
#include <memory>
#include <string>
#include <swde/swde.hpp>
#include <swde/xml/Reader.hpp>

namespace {

bool expect(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "consumer: %s\n", what);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: app DOCUMENT\n");
    return 2;
  }
  swde::Initialize();
  const swde::AnsiString args[] = {"G5KOD", "G5ADR"};
  const swde::smError error(swde::errMissingAttr, swde::smError::rsObjects, swde::smError::rmError,
                            3, 4, args, 1, "G5ADR");
  bool ok = expect(
      error.code == 6008 && error.message == "Brak wymaganego atrybutu G5KOD w rekordzie G5ADR",
      "unexpected error record");

  const auto schema = swde::xml::parseSchema(
      "<SWDE><ATTRIBS_SECT><ATTR name=\"G5KOD\" base_type=\"TX\"/></ATTRIBS_SECT></SWDE>");
  ok &= expect(schema->attribsSection->getAttribute("G5KOD") != nullptr, "schema not read");

  std::string types;
  swde::xml::DocumentReader reader(
      argv[1], [&](std::unique_ptr<swde::smObject> object) { types += object->typeName + " "; });
  try {
    reader.readFile(argv[1]);
  } catch (const swde::xml::XmlError& e) {
    ok &= expect(false, e.what());
  }
  ok &= expect(types == "G5JEW G5OBR G5DOK G5JDR G5ADR G5ADR G5OSF G5UDZ G5DZE G5KLU G5KLU G5BUD ",
               ("objects read: " + types).c_str());
  ok &= expect(reader.schemaProfile() == "sample", "schema_profile not read");

  try {
    swde::xml::DocumentReader broken("broken.xml", nullptr);
    broken.readMemory("<SWDE>\n  <OBJECT name=\"G5ADR\">\n</SWDE>");
    ok &= expect(false, "a broken document was read");
  } catch (const swde::xml::XmlError& e) {
    ok &= expect(e.file() == "broken.xml" && e.line() == 3 && e.column() == 3,
                 (std::string("unexpected error: ") + e.what()).c_str());
  }
  swde::Finalize();
  return ok ? 0 : 1;
}
