// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_MODEL_SMRELATION_HPP_
#define SWDE_MODEL_SMRELATION_HPP_

#include <cstdint>

#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// One relation of an object or a record to another object. Created by smObject::addRelation
// (owned by the object) or smRecord::addRelation (owned by the record's queue).
class smRelation {
 public:
  smRelation();
  smRelation(const smRelation&) = delete;
  smRelation& operator=(const smRelation&) = delete;
  // Does not follow `next`: freeing a chain is the queue's work.
  ~smRelation();

  AnsiString code;             // code as given to smObject::addRelation; empty in records
  AnsiString name;             // name, or the code when none was given; the map key
  AnsiString destType;         // record type of the target object, written by the host
  AnsiString destObject;       // the target as the host identifies it; never read here
  bool checkDest = true;       // the target type is checked only while this is set
  std::uint32_t line = 0;      // line in the checked file, as the host numbers it
  std::uint32_t id = 0;        // identifier, as the host assigns it
  bool hostFlag = false;       // the host's own; never read here
  smRelation* next = nullptr;  // following entry in an smQueue; unused in an object's map
};

}  // namespace swde

#endif  // SWDE_MODEL_SMRELATION_HPP_
