// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_CHECKS_CHECKDAY_HPP_
#define SWDE_CHECKS_CHECKDAY_HPP_

// The day of the check, when none is given: the civil date in Poland, wherever the checks run.
// A server on UTC just after the Polish midnight is still on the day before; the date of the
// register is the Polish one.

#include <cstdint>
#include <string_view>

#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// The date in Poland (Europe/Warsaw) at `now` (seconds since 1970-01-01 UTC), "rrrr.mm.dd".
// The offset from UTC comes from the system's time zone database: the TZif file Europe/Warsaw
// under $TZDIR, else under /usr/share/zoneinfo (Debian's tzdata). Where that file cannot be
// read, from the rule kept since 1996 (kPolishRule): UTC+1, and UTC+2 from 01:00 UTC on the last
// Sunday of March to 01:00 UTC on the last Sunday of October.
AnsiString PolishDay(std::int64_t now);

// The rule of Polish time since 1996, as a POSIX TZ string.
constexpr const char* kPolishRule = "CET-1CEST,M3.5.0,M10.5.0/3";

// The offset from UTC in seconds at `now` of a zone given as the bytes of a TZif file (versions
// 1 to 4): its transitions, and after the last of them the rule of its footer. False when the
// bytes are not such a file, or its footer is needed and cannot be read.
bool TzifOffset(std::string_view tzif, std::int64_t now, std::int32_t& offset);

// The offset at `now` by a POSIX TZ string "std offset [dst [offset] ,start[/time],end[/time]]"
// (rules Jn, n or Mm.w.d); false when the string is not one.
bool TzRuleOffset(std::string_view rule, std::int64_t now, std::int32_t& offset);

}  // namespace swde

#endif  // SWDE_CHECKS_CHECKDAY_HPP_
