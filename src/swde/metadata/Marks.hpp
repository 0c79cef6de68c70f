// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_METADATA_MARKS_HPP_
#define SWDE_METADATA_MARKS_HPP_

// The marks of the document checks (AttributeDecl::check, AttributeDef::key,
// ReferenceDef::shares) lent by one schema to another. An official reference schema comes
// without them; read as it stands it would leave every key, identifier and share unchecked and
// name every target by its object id. The record type and attribute codes are national, so the
// marks of a schema that has them (the built-in one) fit any schema that uses the same codes.

#include <cstddef>
#include <string>

#include "swde/metadata/Metadata.hpp"

namespace SWDE_API swde {

// What LendMarks did.
struct LentMarks {
  bool lent = false;       // the schema had no mark of its own and took those of the other
  std::size_t checks = 0;  // declarations given a `check`
  std::size_t keys = 0;    // record types given a `key` attribute
  std::size_t shares = 0;  // relations given a `shares` attribute
};

// True when `schema` carries a mark of its own: a declaration with a `check`, an attribute
// definition marked `key` or a relation with `shares`. Moves the walk cursors of its record types.
bool HasMarks(Metadata& schema);

// When `schema` carries no mark of its own, gives it those of `from` where the two agree:
//   - `check`: to the declaration of the same name;
//   - `key`: to the attribute of the key's code in the record type of the same name;
//   - `shares`: to the relation of the same code in the record type of the same name, when that
//     record type has an attribute of the shares' code.
// A schema with marks of its own is left as it stands. `from` is only looked up (no cursor
// moves); the walk cursors of `schema`'s record types move.
LentMarks LendMarks(Metadata& schema, const Metadata& from);

// The one line a host shows when it lent its built-in schema's marks (`lent.lent`): it begins
// "marks: built-in", or "marks: none" when the two schemas share nothing that carries a mark.
std::string BuiltinMarksNotice(const LentMarks& lent);

}  // namespace swde

#endif  // SWDE_METADATA_MARKS_HPP_
