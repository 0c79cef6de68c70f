// swde — semantic checks of SWDE cadastral exchange objects.
#include "ProgressBar.hpp"

#include <algorithm>

#include "swde/platform/Bytes.hpp"

namespace swde::cli {

ProgressBar::~ProgressBar() {
  if (shown_) {
    out_ << "\r\033[K" << std::flush;
  }
}

void ProgressBar::update(std::uint64_t done, std::uint64_t total) {
  const int percent = total == 0 ? 0 : static_cast<int>(std::min(done, total) * 100 / total);
  if (percent == lastPercent_) {
    return;
  }
  lastPercent_ = percent;
  shown_ = true;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  out_ << '\r' << EscapeBytes(label_, Escape::kInvalidAndControls) << " ["
       << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << percent << '%'
       << std::flush;
}

}  // namespace swde::cli
