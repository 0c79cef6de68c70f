// swde — semantic checks of SWDE cadastral exchange objects.
//
// A TZif reader of the little the day of the check needs (RFC 8536): the offsets of the time
// types, the transitions, and the footer's POSIX TZ rule for the times after the last transition
// (a "slim" file keeps no transition beyond the rule's start). Dates are counted in days since
// 1970-01-01 by the proleptic Gregorian calendar, so no library time zone state is touched.
#include "swde/checks/CheckDay.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace SWDE_API swde {
namespace {

constexpr std::int64_t kDay = 86400;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

// Days since 1970-01-01 of a day of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = floorDiv(year, 400);
  const std::int64_t yoe = year - era * 400;
  const std::int64_t doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

struct Civil {
  std::int64_t year;
  int month;
  int day;
};

Civil civilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = floorDiv(days, 146097);
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

bool isLeap(std::int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// A POSIX TZ string, read left to right.
class RuleReader {
 public:
  explicit RuleReader(std::string_view text) : text_(text) {}

  bool atEnd() const { return at_ == text_.size(); }
  bool take(char c) {
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  // A zone name: three or more letters, or anything but '>' between '<' and '>'.
  bool name() {
    if (take('<')) {
      const std::size_t end = text_.find('>', at_);
      if (end == std::string_view::npos) {
        return false;
      }
      at_ = end + 1;
      return true;
    }
    const std::size_t start = at_;
    while (at_ < text_.size() &&
           ((text_[at_] >= 'A' && text_[at_] <= 'Z') || (text_[at_] >= 'a' && text_[at_] <= 'z'))) {
      ++at_;
    }
    return at_ - start >= 3;
  }

  bool number(std::int64_t& value, std::int64_t max) {
    const std::size_t start = at_;
    value = 0;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9' && value <= max) {
      value = value * 10 + (text_[at_++] - '0');
    }
    return at_ > start && value <= max;
  }

  // [+-]hh[:mm[:ss]] in seconds; hours up to 167 (a rule's time may pass the day).
  bool clock(std::int64_t& seconds) {
    const bool negative = take('-');
    if (!negative) {
      take('+');
    }
    std::int64_t hours = 0;
    std::int64_t minutes = 0;
    std::int64_t secs = 0;
    if (!number(hours, 167) ||
        (take(':') && (!number(minutes, 59) || (take(':') && !number(secs, 59))))) {
      return false;
    }
    seconds = (hours * 60 + minutes) * 60 + secs;
    seconds = negative ? -seconds : seconds;
    return true;
  }

  // A rule's day, then its time (default 02:00:00); `day` gets a function of the year.
  struct Change {
    char kind = 0;  // 'J' (1-365, no February 29), 'n' (0-365) or 'M'
    std::int64_t a = 0, b = 0, c = 0;
    std::int64_t time = 7200;
  };
  bool change(Change& out) {
    if (take('J')) {
      out.kind = 'J';
      if (!number(out.a, 365) || out.a < 1) {
        return false;
      }
    } else if (take('M')) {
      out.kind = 'M';
      if (!number(out.a, 12) || out.a < 1 || !take('.') || !number(out.b, 5) || out.b < 1 ||
          !take('.') || !number(out.c, 6)) {
        return false;
      }
    } else {
      out.kind = 'n';
      if (!number(out.a, 365)) {
        return false;
      }
    }
    return !take('/') || clock(out.time);
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

// The first second (local) of the change's day in `year`, as days since 1970-01-01.
std::int64_t changeDay(const RuleReader::Change& change, std::int64_t year) {
  const std::int64_t january = daysFromCivil(year, 1, 1);
  if (change.kind == 'J') {
    return january + change.a - 1 + (isLeap(year) && change.a >= 60 ? 1 : 0);
  }
  if (change.kind == 'n') {
    return january + change.a;
  }
  const int month = static_cast<int>(change.a);
  const std::int64_t first = daysFromCivil(year, month, 1);
  const std::int64_t next =
      month == 12 ? daysFromCivil(year + 1, 1, 1) : daysFromCivil(year, month + 1, 1);
  const std::int64_t weekday = floorDiv(first + 4, 7) * -7 + first + 4;  // 0 Sunday
  std::int64_t day = first + (change.c - weekday + 7) % 7 + (change.b - 1) * 7;
  while (day >= next) {
    day -= 7;
  }
  return day;
}

std::int64_t readBig(std::string_view bytes, std::size_t at, std::size_t size) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < size; ++i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  }
  if (size == 4) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }
  return static_cast<std::int64_t>(value);
}

}  // namespace

bool TzRuleOffset(std::string_view rule, std::int64_t now, std::int32_t& offset) {
  RuleReader reader(rule);
  std::int64_t standard = 0;
  if (!reader.name() || !reader.clock(standard)) {
    return false;
  }
  standard = -standard;  // POSIX counts west of Greenwich
  if (reader.atEnd()) {
    offset = static_cast<std::int32_t>(standard);
    return true;
  }
  std::int64_t daylight = standard + 3600;
  RuleReader::Change start;
  RuleReader::Change end;
  if (!reader.name()) {
    return false;
  }
  if (!reader.take(',')) {
    if (!reader.clock(daylight)) {
      return false;
    }
    daylight = -daylight;
    if (!reader.take(',')) {
      return false;  // daylight saving time without a rule: not guessed
    }
  }
  if (!reader.change(start) || !reader.take(',') || !reader.change(end) || !reader.atEnd()) {
    return false;
  }
  const std::int64_t year = civilFromDays(floorDiv(now + standard, kDay)).year;
  const std::int64_t begins = changeDay(start, year) * kDay + start.time - standard;
  const std::int64_t ends = changeDay(end, year) * kDay + end.time - daylight;
  const bool summer = begins < ends ? now >= begins && now < ends : !(now >= ends && now < begins);
  offset = static_cast<std::int32_t>(summer ? daylight : standard);
  return true;
}

bool TzifOffset(std::string_view tzif, std::int64_t now, std::int32_t& offset) {
  constexpr std::size_t kHeader = 44;
  struct Counts {
    std::size_t isut, isstd, leap, time, type, chars;
  };
  const auto counts = [&tzif](std::size_t at, Counts& c) {
    if (tzif.size() < at + kHeader || tzif.substr(at, 4) != "TZif") {
      return false;
    }
    std::size_t* fields[] = {&c.isut, &c.isstd, &c.leap, &c.time, &c.type, &c.chars};
    for (std::size_t i = 0; i < 6; ++i) {
      *fields[i] = static_cast<std::size_t>(readBig(tzif, at + 20 + 4 * i, 4) & 0xFFFFFFFF);
    }
    return c.type >= 1 && c.time < (1u << 20) && c.type < 256 && c.chars < (1u << 16) &&
           c.leap < (1u << 16) && c.isut <= c.type && c.isstd <= c.type;
  };
  const auto blockSize = [](const Counts& c, std::size_t timeSize) {
    return c.time * (timeSize + 1) + c.type * 6 + c.chars + c.leap * (timeSize + 4) + c.isstd +
           c.isut;
  };
  Counts c{};
  if (!counts(0, c)) {
    return false;
  }
  std::size_t at = kHeader;
  std::size_t timeSize = 4;
  if (tzif[4] != '\0') {  // version 2 and later: the 64-bit block after the 32-bit one
    at += blockSize(c, 4);
    if (!counts(at, c)) {
      return false;
    }
    at += kHeader;
    timeSize = 8;
  }
  if (tzif.size() < at + blockSize(c, timeSize)) {
    return false;
  }
  const std::size_t indices = at + c.time * timeSize;
  const std::size_t types = indices + c.time;
  const auto typeOffset = [&](std::size_t type, std::int32_t& out) {
    if (type >= c.type) {
      return false;
    }
    out = static_cast<std::int32_t>(readBig(tzif, types + type * 6, 4));
    return true;
  };
  std::size_t passed = 0;  // the transitions at or before `now`
  while (passed < c.time && readBig(tzif, at + passed * timeSize, timeSize) <= now) {
    ++passed;
  }
  if (timeSize == 8 && passed == c.time) {
    // After the last transition the footer's rule governs, when the file has one.
    const std::size_t footer = at + blockSize(c, timeSize);
    if (tzif.size() > footer + 1 && tzif[footer] == '\n') {
      const std::size_t end = tzif.find('\n', footer + 1);
      if (end == std::string_view::npos) {
        return false;
      }
      if (end > footer + 1) {
        return TzRuleOffset(tzif.substr(footer + 1, end - footer - 1), now, offset);
      }
    }
  }
  const std::size_t type = passed == 0 ? 0 : static_cast<unsigned char>(tzif[indices + passed - 1]);
  return typeOffset(type, offset);
}

AnsiString PolishDay(std::int64_t now) {
  std::int32_t offset = 0;
  const char* directory = std::getenv("TZDIR");
  const std::string path =
      std::string(directory != nullptr && *directory != '\0' ? directory : "/usr/share/zoneinfo") +
      "/Europe/Warsaw";
  std::ifstream in(path, std::ios::binary);
  std::string tzif;
  if (in) {
    tzif.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (!TzifOffset(tzif, now, offset) && !TzRuleOffset(kPolishRule, now, offset)) {
    offset = 3600;  // not reached: the rule is well formed
  }
  const Civil day = civilFromDays(floorDiv(now + offset, kDay));
  char text[32];
  std::snprintf(text, sizeof text, "%04lld.%02d.%02d", static_cast<long long>(day.year), day.month,
                day.day);
  return text;
}

}  // namespace swde
