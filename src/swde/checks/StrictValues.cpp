// swde — semantic checks of SWDE cadastral exchange objects.
//
// Dates, times and areas judged beyond their form. Only values whose form the catalogue
// accepted come here, so lengths and separators are known to be right; what is left to see is
// whether every field is digits, whether the day is in the calendar (Gregorian, leap years
// included) and the time on the clock, and whether the day lies after the day of the check.
#include <cstdio>
#include <string>
#include <string_view>

#include "swde/document/DocumentInternal.hpp"
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {
namespace document {
namespace {

constexpr const char* kDateForm = "rrrr.mm.dd";
constexpr const char* kTimeForm = "gg:mm:ss[.sssss]";
constexpr const char* kDateTimeForm = "rrrr.mm.dd-gg:mm:ss[.sssss]";

bool isLeap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

// The fields of "rrrr.mm.dd": digits only, else false.
bool dateFields(std::string_view value, int& year, int& month, int& day) {
  const std::string_view y = value.substr(0, 4);
  const std::string_view m = value.substr(5, 2);
  const std::string_view d = value.substr(8, 2);
  if (!IsDigits(y) || !IsDigits(m) || !IsDigits(d)) {
    return false;
  }
  year = DigitsValue(y);
  month = DigitsValue(m);
  day = DigitsValue(d);
  return true;
}

// "gg:mm:ss" and, when present, ".sssss": digits only, else false.
bool timeFields(std::string_view value, int& hours, int& minutes, int& seconds) {
  const std::string_view h = value.substr(0, 2);
  const std::string_view m = value.substr(3, 2);
  const std::string_view s = value.substr(6, 2);
  if (!IsDigits(h) || !IsDigits(m) || !IsDigits(s) ||
      (value.size() > 8 && !IsDigits(value.substr(9)))) {
    return false;
  }
  hours = DigitsValue(h);
  minutes = DigitsValue(m);
  seconds = DigitsValue(s);
  return true;
}

// A leap second is second 60 of the last minute of an hour: hh:59:60 (in Polish time the hour
// is 00 or 01, not 23, so any hour is allowed).
bool onTheClock(int hours, int minutes, int seconds) {
  return hours <= 23 && minutes <= 59 && (seconds <= 59 || (seconds == 60 && minutes == 59));
}

// The calendar and the day of the check, for fields already known to be digits.
Verdict judgeDay(int year, int month, int day, int today, bool futureOk) {
  AnsiString fault = CalendarFault(year, month, day);
  if (!fault.empty()) {
    return Fail(dcNoSuchDay, std::move(fault));
  }
  if (!futureOk && year * 10000 + month * 100 + day > today) {
    return Fail(dcFutureDate, "<= " + DayText(today));
  }
  return {};
}

}  // namespace

AnsiString DayText(int day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d.%02d.%02d", day / 10000, day / 100 % 100, day % 100);
  return text;
}

AnsiString CalendarFault(int year, int month, int day) {
  if (year < 1) {
    return "rok 0001-9999";
  }
  if (month < 1 || month > 12) {
    return "miesi\xB9"
           "c 01-12";
  }
  if (day < 1 || day > daysInMonth(year, month)) {
    return "dzie\xF1 01-" + std::to_string(daysInMonth(year, month));
  }
  return {};
}

int ReadDay(std::string_view text) {
  int year = 0;
  int month = 0;
  int day = 0;
  if (text.size() != 10 || text[4] != '.' || text[7] != '.' ||
      !dateFields(text, year, month, day) || !CalendarFault(year, month, day).empty()) {
    return 0;
  }
  return year * 10000 + month * 100 + day;
}

Verdict JudgeDate(std::string_view value, int today, bool futureOk) {
  int year = 0;
  int month = 0;
  int day = 0;
  if (!dateFields(value, year, month, day)) {
    return Fail(dcDateDigits, kDateForm);
  }
  return judgeDay(year, month, day, today, futureOk);
}

Verdict JudgeTime(std::string_view value) {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
  if (!timeFields(value, hours, minutes, seconds)) {
    return Fail(dcDateDigits, kTimeForm);
  }
  if (!onTheClock(hours, minutes, seconds)) {
    return Fail(dcTimeRange, "00:00:00-23:59:59");
  }
  return {};
}

Verdict JudgeDateTime(std::string_view value, int today, bool futureOk) {
  int year = 0;
  int month = 0;
  int day = 0;
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
  if (!dateFields(value, year, month, day) ||
      !timeFields(value.substr(11), hours, minutes, seconds)) {
    return Fail(dcDateDigits, kDateTimeForm);
  }
  Verdict verdict = judgeDay(year, month, day, today, futureOk);
  if (verdict.code != dcNoSuchDay && !onTheClock(hours, minutes, seconds)) {
    return Fail(dcTimeRange, "00:00:00-23:59:59");
  }
  return verdict;
}

Verdict JudgeArea(std::string_view value) {
  // The number as the catalogue reads a real number: blanks left out, the whole rest a decimal
  // number. Its sign is read from the text, so a locale's decimal point cannot change it.
  AnsiString compact;
  compact.reserve(value.size());
  for (const char c : value) {
    if (c != ' ') {
      compact.push_back(c);
    }
  }
  if (compact.empty() || DecimalNumberLength(compact) != compact.size()) {
    return {};
  }
  const std::string_view number = TrimView(compact);
  if (number.empty() || number.front() != '-') {
    return {};
  }
  const std::string_view mantissa = number.substr(0, number.find_first_of("eE"));
  if (mantissa.find_first_of("123456789") == std::string_view::npos) {
    return {};  // a negative zero
  }
  return Fail(dcNegativeArea, ">= 0");
}

}  // namespace document
}  // namespace swde
