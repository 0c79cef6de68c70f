// swde — semantic checks of SWDE cadastral exchange objects.
//
// Every unit (source module) of the package keeps an initialisation counter. Initialize counts
// each unit down and runs its start-up work when the counter was 0; Finalize counts it back up
// and runs its shut-down work when it returns to 0. Only the error unit has work to do: it owns
// the message catalogue.
#include "swde/package/Orvane.hpp"

#include <array>

#include "swde/errors/SmerrorsUnit.hpp"

namespace SWDE_API swde {
namespace {

struct PackageUnit {
  const char* name;
  void (*startUp)();
  void (*shutDown)();
  int counter;
};

std::array<PackageUnit, 34> units = {{
    {"Orvane", nullptr, nullptr, 0},
    {"Smerrors", startUpMessageCatalogue, shutDownMessageCatalogue, 0},
    {"G5pdz", nullptr, nullptr, 0},
    {"Smattribute", nullptr, nullptr, 0},
    {"Smrelation", nullptr, nullptr, 0},
    {"Smobject", nullptr, nullptr, 0},
    {"G5obr", nullptr, nullptr, 0},
    {"G5rst", nullptr, nullptr, 0},
    {"G5jew", nullptr, nullptr, 0},
    {"Smelemrelation", nullptr, nullptr, 0},
    {"G5osf", nullptr, nullptr, 0},
    {"G5ins", nullptr, nullptr, 0},
    {"G5mlz", nullptr, nullptr, 0},
    {"G5osz", nullptr, nullptr, 0},
    {"G5jdr", nullptr, nullptr, 0},
    {"G5udz", nullptr, nullptr, 0},
    {"G5udw", nullptr, nullptr, 0},
    {"G5jrz", nullptr, nullptr, 0},
    {"G5dze", nullptr, nullptr, 0},
    {"G5klu", nullptr, nullptr, 0},
    {"G5bud", nullptr, nullptr, 0},
    {"G5lkl", nullptr, nullptr, 0},
    {"G5uzg", nullptr, nullptr, 0},
    {"G5kkl", nullptr, nullptr, 0},
    {"G5zmn", nullptr, nullptr, 0},
    {"G5dok", nullptr, nullptr, 0},
    {"G5adr", nullptr, nullptr, 0},
    {"G5pzg", nullptr, nullptr, 0},
    {"G5grn", nullptr, nullptr, 0},
    {"G5dzw", nullptr, nullptr, 0},
    {"G5udd", nullptr, nullptr, 0},
    {"Smobjectfactory", nullptr, nullptr, 0},
    {"Smrecord", nullptr, nullptr, 0},
    {"Smxmldef", nullptr, nullptr, 0},
}};

}  // namespace

void Initialize() {
  for (PackageUnit& unit : units) {
    if (unit.counter-- == 0 && unit.startUp != nullptr) {
      unit.startUp();
    }
  }
}

void Finalize() {
  for (auto it = units.rbegin(); it != units.rend(); ++it) {
    // A finalisation without an initialisation to balance would leave the counter positive and
    // make the next Initialize skip the start-up work; it is ignored instead.
    if (it->counter == 0) {
      continue;
    }
    if (++it->counter == 0 && it->shutDown != nullptr) {
      it->shutDown();
    }
  }
}

std::size_t packageUnitCount() {
  return units.size();
}

const char* packageUnitName(std::size_t index) {
  return index < units.size() ? units[index].name : nullptr;
}

int packageUnitCounter(std::size_t index) {
  return index < units.size() ? units[index].counter : 0;
}

}  // namespace swde
