// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/platform/Sysutils.hpp"

#include <limits>

namespace SWDE_API swde {
namespace {

constexpr bool isTrimmed(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

constexpr bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr bool isScanfSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Parses [+-]digits into the range [min, max]; the whole text must be used.
template <typename T>
bool parseDecimal(std::string_view text, T& out) noexcept {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) {
    return false;
  }
  // Accumulate towards the sign so that the minimum of the range is reachable.
  T value = 0;
  constexpr T kMax = std::numeric_limits<T>::max();
  constexpr T kMin = std::numeric_limits<T>::min();
  for (; i < text.size(); ++i) {
    if (!isDigit(text[i])) {
      return false;
    }
    const T digit = static_cast<T>(text[i] - '0');
    if (negative) {
      if (value < (kMin + digit) / 10) {
        return false;
      }
      value = static_cast<T>(value * 10 - digit);
    } else {
      if (value > (kMax - digit) / 10) {
        return false;
      }
      value = static_cast<T>(value * 10 + digit);
    }
  }
  out = value;
  return true;
}

[[noreturn]] void throwNotInteger(std::string_view text) {
  throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace

std::string_view TrimView(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isTrimmed(text[begin])) {
    ++begin;
  }
  while (end > begin && isTrimmed(text[end - 1])) {
    --end;
  }
  return text.substr(begin, end - begin);
}

AnsiString Trim(std::string_view text) {
  return AnsiString(TrimView(text));
}

bool TryStrToInt(std::string_view text, std::int32_t& out) noexcept {
  return parseDecimal(text, out);
}

bool TryStrToInt64(std::string_view text, std::int64_t& out) noexcept {
  return parseDecimal(text, out);
}

std::int32_t StrToInt(std::string_view text) {
  std::int32_t value = 0;
  if (!TryStrToInt(text, value)) {
    throwNotInteger(text);
  }
  return value;
}

std::int64_t StrToInt64(std::string_view text) {
  std::int64_t value = 0;
  if (!TryStrToInt64(text, value)) {
    throwNotInteger(text);
  }
  return value;
}

bool FieldRead(std::string_view field, std::int32_t* out) noexcept {
  std::size_t i = 0;
  while (i < field.size() && isScanfSpace(field[i])) {
    ++i;
  }
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }
  if (i == field.size() || !isDigit(field[i])) {
    return false;
  }
  // Saturate like strtol into a 32-bit long: once past the range the value stays at the limit.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < field.size() && isDigit(field[i]); ++i) {
    if (magnitude <= kLimit) {
      magnitude = magnitude * 10 + (field[i] - '0');
    }
  }
  if (out != nullptr) {
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<std::int32_t>::max()) {
      *out = std::numeric_limits<std::int32_t>::max();
    } else if (signedValue < std::numeric_limits<std::int32_t>::min()) {
      *out = std::numeric_limits<std::int32_t>::min();
    } else {
      *out = static_cast<std::int32_t>(signedValue);
    }
  }
  return true;
}

std::size_t DecimalNumberLength(std::string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size() && isScanfSpace(text[i])) {
    ++i;
  }
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    ++i;
  }
  std::size_t digits = 0;
  while (i < text.size() && isDigit(text[i])) {
    ++i;
    ++digits;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && isDigit(text[i])) {
      ++i;
      ++digits;
    }
  }
  if (digits == 0) {
    return 0;
  }
  // An exponent belongs to the number only when at least one digit follows it.
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      ++j;
    }
    if (j < text.size() && isDigit(text[j])) {
      while (j < text.size() && isDigit(text[j])) {
        ++j;
      }
      i = j;
    }
  }
  return i;
}

AnsiString Format(std::string_view format, const AnsiString* args, int argsHigh) {
  AnsiString result;
  result.reserve(format.size() + 32);
  int next = 0;
  std::size_t i = 0;
  while (i < format.size()) {
    const std::size_t percent = format.find('%', i);
    if (percent == std::string_view::npos || percent + 1 == format.size()) {
      result.append(format.substr(i));
      break;
    }
    result.append(format.substr(i, percent - i));
    const char spec = format[percent + 1];
    if (spec == 's') {
      if (args == nullptr || next > argsHigh) {
        throw EConvertError("Format '" + std::string(format) +
                            "' has more placeholders than arguments");
      }
      result.append(args[next++]);
    } else if (spec == '%') {
      result.push_back('%');
    } else {
      result.append(format.substr(percent, 2));
    }
    i = percent + 2;
  }
  return result;
}

AnsiString Format(std::string_view format, std::initializer_list<AnsiString> args) {
  return Format(format, args.begin(), static_cast<int>(args.size()) - 1);
}

}  // namespace swde
