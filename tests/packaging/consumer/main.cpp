// swde — semantic checks of SWDE cadastral exchange objects.
// Builds one error record through the installed package and checks its message.
#include <cstdio>
#include <string>
#include <swde/swde.hpp>

int main() {
  swde::Initialize();
  const swde::AnsiString args[] = {"G5KOD", "G5ADR"};
  const swde::smError error(swde::errMissingAttr, swde::smError::rsObjects, swde::smError::rmError,
                            3, 4, args, 1, "G5ADR");
  const std::string expected = "Brak wymaganego atrybutu G5KOD w rekordzie G5ADR";
  const bool ok = error.code == 6008 && error.message == expected && error.typeName == "G5ADR";
  if (!ok) {
    std::fprintf(stderr, "unexpected record: %d '%s'\n", static_cast<int>(error.code),
                 error.message.c_str());
  }
  swde::Finalize();
  return ok ? 0 : 1;
}
