// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TOOLS_SWDE_CHECK_PROGRESSBAR_HPP_
#define SWDE_TOOLS_SWDE_CHECK_PROGRESSBAR_HPP_

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>

namespace swde::cli {

// A progress bar on one line of a terminal: "LABEL [####      ] 40%".
class ProgressBar {
 public:
  ProgressBar(std::string label, std::ostream& out) : label_(std::move(label)), out_(out) {}
  ~ProgressBar();  // clears the line
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // `done` of `total` bytes; a file that grows while it is read shows 100%.
  void update(std::uint64_t done, std::uint64_t total);

 private:
  std::string label_;
  std::ostream& out_;
  int lastPercent_ = -1;
  bool shown_ = false;
};

}  // namespace swde::cli

#endif  // SWDE_TOOLS_SWDE_CHECK_PROGRESSBAR_HPP_
