// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TYPES_SMOBJECTFACTORY_HPP_
#define SWDE_TYPES_SMOBJECTFACTORY_HPP_

#include "swde/model/Smobject.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// Makes the object of the class that carries a record type's own rules.
class smObjectFactory {
 public:
  smObjectFactory();
  virtual ~smObjectFactory();

  // A new object for the record type code `typeCode` (compared exactly: case-sensitive, not
  // trimmed): the per-type class for the 36 codes that have one (e.g. "G5O_DZE" gives a G5DZE),
  // a plain smObject otherwise. Its type name is `typeCode` as passed. Never null; the caller
  // owns the object and destroys it through smObject's virtual destructor.
  smObject* createObject(const AnsiString& typeCode);
};

}  // namespace swde

#endif  // SWDE_TYPES_SMOBJECTFACTORY_HPP_
