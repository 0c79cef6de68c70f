// swde — semantic checks of SWDE cadastral exchange objects.
//
// The day of the check is the date in Poland. Fixed instants around midnight and the changes of
// summer time; the TZif reader against the C library's own reading of the same zone, hour by
// hour over years; the POSIX rules of other zones; a zone file made here; and the rule alone
// when the time zone database cannot be read.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include <gtest/gtest.h>

#include "swde/checks/CheckDay.hpp"

#include "Support.hpp"

namespace {

#ifdef _WIN32
// The C run-time of Windows names these otherwise.
std::time_t timegm(std::tm* t) {
  return _mkgmtime(t);
}
int setenv(const char* name, const char* value, int /*overwrite*/) {
  return _putenv_s(name, value);
}
int unsetenv(const char* name) {
  return _putenv_s(name, "");
}
#endif

// Seconds since 1970-01-01 UTC of a UTC date and time.
std::int64_t Utc(int year, int month, int day, int hour, int minute) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  return static_cast<std::int64_t>(timegm(&t));
}

// The same of "yyyy.mm.dd hh:mm".
std::int64_t Utc(const std::string& text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  EXPECT_EQ(std::sscanf(text.c_str(), "%d.%d.%d %d:%d", &year, &month, &day, &hour, &minute), 5);
  return Utc(year, month, day, hour, minute);
}

// data/check-day.tsv: instants and the day in Poland then, around midnight and the changes of
// summer time.
void ExpectInstants() {
  for (const swde_test::Lines& row : swde_test::Rows("check-day.tsv", "instant", 11)) {
    EXPECT_EQ(swde::PolishDay(Utc(row[0])), row.at(1)) << row[0];
  }
}

TEST(CheckDay, TheDateInPolandAtFixedInstants) {
  ExpectInstants();
  // With no day given, the checks take today's Polish date.
  EXPECT_EQ(swde::smObjectChecks(nullptr).today(), swde::PolishDay(std::time(nullptr)));
}

// The C library of Windows reads no zone files: the comparison with it is made on Unix only.
#ifndef _WIN32
std::string ReadZone(const char* name) {
  std::ifstream in(std::string("/usr/share/zoneinfo/") + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The C library's offset of the zone in $TZ at `now`.
std::int32_t LibraryOffset(std::int64_t now) {
  const std::time_t t = static_cast<std::time_t>(now);
  std::tm local{};
  localtime_r(&t, &local);
  return static_cast<std::int32_t>(local.tm_gmtoff);
}

TEST(CheckDay, TheReaderAgreesWithTheCLibrary) {
  const char* kZones[] = {"Europe/Warsaw", "America/New_York", "Australia/Sydney", "Asia/Kolkata",
                          "America/Sao_Paulo"};
  const char* saved = std::getenv("TZ");
  const std::string before = saved != nullptr ? saved : "";
  for (const char* zone : kZones) {
    const std::string tzif = ReadZone(zone);
    ASSERT_FALSE(tzif.empty()) << zone << ": the tzdata package is needed";
    setenv("TZ", zone, 1);
    tzset();
    // Every 3 hours and a minute from 1990 to 2040 (every hour and minute of the day comes in
    // turn), and every 97 days beyond, to 2200.
    for (std::int64_t now = Utc(1990, 1, 1, 0, 30); now < Utc(2200, 1, 1, 0, 0);
         now += now < Utc(2040, 1, 1, 0, 0) ? 3 * 3600 + 61 : 97 * 86400) {
      std::int32_t offset = 0;
      ASSERT_TRUE(swde::TzifOffset(tzif, now, offset)) << zone;
      ASSERT_EQ(offset, LibraryOffset(now)) << zone << " at " << now;
    }
    std::int32_t offset = 0;
    EXPECT_FALSE(swde::TzifOffset(tzif.substr(0, tzif.size() / 2), Utc(2100, 1, 1, 0, 0), offset))
        << zone;
  }
  if (saved != nullptr) {
    setenv("TZ", before.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}
#endif  // _WIN32

TEST(CheckDay, PosixRules) {
  for (const swde_test::Lines& row : swde_test::Rows("check-day.tsv", "rule", 13)) {
    const std::string rule = row[0] == "POLAND" ? swde::kPolishRule : row[0];
    std::int32_t offset = 0;
    EXPECT_TRUE(swde::TzRuleOffset(rule, Utc(row.at(1)), offset)) << rule;
    EXPECT_EQ(std::to_string(offset), row.at(2)) << rule << " at " << row[1];
  }
  for (const swde_test::Lines& row : swde_test::Rows("check-day.tsv", "bad", 10)) {
    std::int32_t offset = 0;
    EXPECT_FALSE(swde::TzRuleOffset(row.at(0), 0, offset)) << row[0];
  }
}

// A TZif file of version 2: `transitions` (time, type) over the types' offsets, and a footer.
std::string Zone(const std::vector<std::pair<std::int64_t, unsigned char>>& transitions,
                 const std::vector<std::int32_t>& offsets, const std::string& footer) {
  const auto big = [](std::uint64_t value, int size) {
    std::string out;
    for (int i = size - 1; i >= 0; --i) {
      out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
    return out;
  };
  const auto header = [&](std::size_t times) {
    return std::string("TZif2") + std::string(15, '\0') + big(0, 4) + big(0, 4) + big(0, 4) +
           big(times, 4) + big(offsets.size(), 4) + big(4, 4);
  };
  std::string types;
  for (const std::int32_t offset : offsets) {
    types += big(static_cast<std::uint32_t>(offset), 4) + '\0' + '\0';
  }
  std::string zone = header(0) + types + "UTC" + '\0' + header(transitions.size());
  for (const auto& [time, type] : transitions) {
    zone += big(static_cast<std::uint64_t>(time), 8);
  }
  for (const auto& [time, type] : transitions) {
    zone += static_cast<char>(type);
  }
  return zone + types + "UTC" + '\0' + "\n" + footer + "\n";
}

TEST(CheckDay, ZoneFilesAndTheRuleAlone) {
  const std::int64_t change = Utc(2030, 1, 1, 0, 0);
  const std::string zone = Zone({{change, 1}}, {0, 14 * 3600}, "<+14>-14");
  std::int32_t offset = -1;
  EXPECT_TRUE(swde::TzifOffset(zone, change - 1, offset) && offset == 0);
  EXPECT_TRUE(swde::TzifOffset(zone, change, offset) && offset == 14 * 3600);
  const std::string slim = Zone({}, {3600}, swde::kPolishRule);  // only the rule
  EXPECT_TRUE(swde::TzifOffset(slim, Utc(2026, 7, 1, 0, 0), offset) && offset == 7200);
  EXPECT_FALSE(swde::TzifOffset(Zone({{change, 2}}, {0, 3600}, ""), change, offset));
  EXPECT_FALSE(swde::TzifOffset("TZif2", 0, offset));

  // $TZDIR names the database: a zone file of ours, then none at all (the rule alone).
  const std::string dir = ::testing::TempDir() + "swde-zoneinfo";
  std::filesystem::create_directories(dir + "/Europe");
  std::ofstream(dir + "/Europe/Warsaw", std::ios::binary) << zone;
  setenv("TZDIR", dir.c_str(), 1);
  EXPECT_EQ(swde::PolishDay(change - 60), "2029.12.31");
  EXPECT_EQ(swde::PolishDay(Utc(2030, 1, 1, 10, 0)), "2030.01.02");
  setenv("TZDIR", (dir + "/none").c_str(), 1);
  ExpectInstants();
  unsetenv("TZDIR");
}

}  // namespace
