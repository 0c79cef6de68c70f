// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TOOLS_SWDE_CHECK_CHECKER_HPP_
#define SWDE_TOOLS_SWDE_CHECK_CHECKER_HPP_

#include <cstdint>
#include <functional>
#include <istream>
#include <string>

#include "swde/metadata/Metadata.hpp"

#include "Output.hpp"

namespace swde::cli {

// Reports progress: bytes read so far and the input's size (0 when unknown).
using ProgressFn = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Checks the objects of transfer documents against one reference schema and writes what it
// finds, in document order, to a sink.
class Checker {
 public:
  Checker(Metadata& annex, OutputSink& sink, Summary* summary);

  // Reads `label`'s document from `in` (`size` bytes, 0 when unknown) and checks every object.
  // Returns the input's totals. Throws xml::XmlError for input that cannot be read to its end;
  // the findings of the objects before the fault have been written and the sink's failFile
  // called by then.
  Totals checkStream(const std::string& label, std::istream& in, std::uint64_t size,
                     const ProgressFn& progress);

 private:
  Metadata& annex_;
  OutputSink& sink_;
  Summary* summary_;
};

}  // namespace swde::cli

#endif  // SWDE_TOOLS_SWDE_CHECK_CHECKER_HPP_
