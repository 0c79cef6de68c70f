// swde — semantic checks of SWDE cadastral exchange objects.
//
// The table maps each record type code to a maker of its class. Codes are looked up by exact
// byte equality through a hash index built once.
#include "swde/types/Smobjectfactory.hpp"

#include <memory>
#include <string_view>
#include <unordered_map>

#include "swde/types/G5adr.hpp"
#include "swde/types/G5bud.hpp"
#include "swde/types/G5dok.hpp"
#include "swde/types/G5dze.hpp"
#include "swde/types/G5dzw.hpp"
#include "swde/types/G5grn.hpp"
#include "swde/types/G5ins.hpp"
#include "swde/types/G5jdr.hpp"
#include "swde/types/G5jew.hpp"
#include "swde/types/G5jrz.hpp"
#include "swde/types/G5kkl.hpp"
#include "swde/types/G5klu.hpp"
#include "swde/types/G5lkl.hpp"
#include "swde/types/G5mlz.hpp"
#include "swde/types/G5obr.hpp"
#include "swde/types/G5osf.hpp"
#include "swde/types/G5osz.hpp"
#include "swde/types/G5pdz.hpp"
#include "swde/types/G5pzg.hpp"
#include "swde/types/G5rst.hpp"
#include "swde/types/G5udd.hpp"
#include "swde/types/G5udw.hpp"
#include "swde/types/G5udz.hpp"
#include "swde/types/G5uzg.hpp"
#include "swde/types/G5zmn.hpp"

namespace SWDE_API swde {
namespace {

using Maker = smObject* (*)(const AnsiString&);

template <typename T>
smObject* make(const AnsiString& typeCode) {
  return new T(typeCode);
}

const std::unordered_map<std::string_view, Maker>& makers() {
  static const std::unordered_map<std::string_view, Maker> table = {
      {"G5ADR", &make<G5ADR>},   {"G5BUD", &make<G5BUD>},   {"G5O_BUD", &make<G5BUD>},
      {"G5G_BUD", &make<G5BUD>}, {"G5DOK", &make<G5DOK>},   {"G5DZE", &make<G5DZE>},
      {"G5O_DZE", &make<G5DZE>}, {"G5G_DZE", &make<G5DZE>}, {"G5DZW", &make<G5DZW>},
      {"G5GRN", &make<G5GRN>},   {"G5INS", &make<G5INS>},   {"G5JDR", &make<G5JDR>},
      {"G5JEW", &make<G5JEW>},   {"G5O_JEW", &make<G5JEW>}, {"G5G_JEW", &make<G5JEW>},
      {"G5JRZ", &make<G5JRZ>},   {"G5KKL", &make<G5KKL>},   {"G5G_KKL", &make<G5KKL>},
      {"G5KLU", &make<G5KLU>},   {"G5LKL", &make<G5LKL>},   {"G5MLZ", &make<G5MLZ>},
      {"G5OBR", &make<G5OBR>},   {"G5O_OBR", &make<G5OBR>}, {"G5G_OBR", &make<G5OBR>},
      {"G5OSF", &make<G5OSF>},   {"G5OSZ", &make<G5OSZ>},   {"G5PDZ", &make<G5PDZ>},
      {"G5PZG", &make<G5PZG>},   {"G5RST", &make<G5RST>},   {"G5G_RST", &make<G5RST>},
      {"G5UDD", &make<G5UDD>},   {"G5UDW", &make<G5UDW>},   {"G5UDZ", &make<G5UDZ>},
      {"G5UZG", &make<G5UZG>},   {"G5G_UZG", &make<G5UZG>}, {"G5ZMN", &make<G5ZMN>},
  };
  return table;
}

}  // namespace

smObjectFactory::smObjectFactory() = default;

smObjectFactory::~smObjectFactory() = default;

smObject* smObjectFactory::createObject(const AnsiString& typeCode) {
  const auto& table = makers();
  const auto it = table.find(typeCode);
  return it != table.end() ? it->second(typeCode) : new smObject(typeCode);
}

}  // namespace swde
