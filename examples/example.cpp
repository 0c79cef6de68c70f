// swde — semantic checks of SWDE cadastral exchange objects.
//
// Builds a small reference schema in memory, makes a few objects with typical faults, checks
// them and prints their errors as UTF-8.
#include <iostream>

#include "swde/swde.hpp"

int main() {
  swde::Initialize();
  {
    swde::smObject object("G5DZE");
    object.line = 12;
    object.id = 1;
    const swde::AnsiString args[] = {"G5IDD", "G5DZE"};
    object.errors.push_back(new swde::smError(swde::errMissingAttr, swde::smError::rsObjects,
                                              swde::smError::rmError, object.line, object.id,
                                              args, 1, object.typeName));
    for (swde::smError* e = object.getFirstError(); e != nullptr; e = object.getNextError()) {
      std::cout << e->line << ": " << e->code << ' ' << e->typeName << ": "
                << swde::Cp1250ToUtf8(e->message) << '\n';
    }
  }
  swde::Finalize();
  return 0;
}
