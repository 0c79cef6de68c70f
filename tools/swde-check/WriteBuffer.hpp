// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TOOLS_SWDE_CHECK_WRITEBUFFER_HPP_
#define SWDE_TOOLS_SWDE_CHECK_WRITEBUFFER_HPP_

#include <cstddef>
#include <streambuf>
#include <vector>

namespace swde::cli {

// 64 KiB in front of a system's write call, for the report file on either system. `Write` is
// called as write(data, size, error): it writes some of the bytes and returns how many (at least
// one), or a negative number with the reason (an errno value) in `error`. A failed write sets
// the stream's badbit and keeps its reason in error().
template <typename Write>
class WriteBuffer : public std::streambuf {
 public:
  explicit WriteBuffer(Write write) : write_(write), data_(std::size_t{1} << 16) {
    setp(data_.data(), data_.data() + data_.size());
  }

  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (!drain()) {
      return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  int sync() override { return drain() ? 0 : -1; }

 private:
  bool drain() {
    const char* at = pbase();
    while (at < pptr()) {
      const long long wrote = write_(at, static_cast<std::size_t>(pptr() - at), error_);
      if (wrote < 0) {
        return false;
      }
      at += wrote;
    }
    setp(data_.data(), data_.data() + data_.size());
    return true;
  }

  Write write_;
  std::vector<char> data_;
  int error_ = 0;
};

}  // namespace swde::cli

#endif  // SWDE_TOOLS_SWDE_CHECK_WRITEBUFFER_HPP_
