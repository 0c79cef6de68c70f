// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_MODEL_SMELEMRELATION_HPP_
#define SWDE_MODEL_SMELEMRELATION_HPP_

#include <cstdint>

#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// One element relation of a record, found by its name. Owned by the record's queue.
class smElemRelation {
 public:
  smElemRelation();
  smElemRelation(const smElemRelation&) = delete;
  smElemRelation& operator=(const smElemRelation&) = delete;
  // Does not follow `next`.
  ~smElemRelation();

  AnsiString name;                 // the element relation's name
  std::int32_t hostValue = 0;      // the host's own; never read here
  smElemRelation* next = nullptr;  // following entry in an smQueue
};

}  // namespace swde

#endif  // SWDE_MODEL_SMELEMRELATION_HPP_
