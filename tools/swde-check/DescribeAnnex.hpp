// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TOOLS_SWDE_CHECK_DESCRIBEANNEX_HPP_
#define SWDE_TOOLS_SWDE_CHECK_DESCRIBEANNEX_HPP_

#include <iosfwd>
#include <string_view>

#include "swde/engine/Language.hpp"
#include "swde/metadata/Marks.hpp"
#include "swde/metadata/Metadata.hpp"

namespace swde::cli {

using engine::counted;
using engine::Forms;
using engine::Language;

// Writes what `annex` requires of a transfer document as Markdown (UTF-8): for each record type
// in order of definition its base type, a table of its attributes (base type, mandatory level,
// occurrences, value set, marks) and one of its relations (level, occurrences, target types,
// marks). `source` names the schema in the heading; headings, column names and the legend are
// in `language`. When `lent.lent`, a paragraph after the legend says that the marks are the
// built-in schema's, lent to a schema without marks of its own.
void describeAnnex(const Metadata& annex, std::string_view source, Language language,
                   std::ostream& out, const LentMarks& lent = {});

}  // namespace swde::cli

#endif  // SWDE_TOOLS_SWDE_CHECK_DESCRIBEANNEX_HPP_
