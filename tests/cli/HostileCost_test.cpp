// swde — semantic checks of SWDE cadastral exchange objects.
//
// What a hostile document may cost swde-check: one table, one row per way a document can try to
// make the tool slow or big. Each row runs swde-check (child processes, --quiet) on its hostile
// document and on an ordinary one of the same size and shape, or on one document with the
// hostile and the ordinary options, and compares their CPU time and peak resident memory,
// measured by wait4: the bounds are ratios against the ordinary run of the same test, never
// absolute times, so a busy machine moves both sides alike. They are loose enough for a loaded
// machine and still far below what each attack cost before it was closed (docs/performance.md,
// "Hostile documents", has the figures).
//
// SWDE_HOSTILE_TOOL=/path/to/swde-check in the environment measures another build of the tool
// (an older one, say) against the same table; SWDE_HOSTILE_KEEP=DIR keeps the documents there
// (rowN-hostile.xml, rowN-ordinary.xml).
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <unordered_set>

#include <gtest/gtest.h>

#include "swde/platform/Bytes.hpp"

#include "Support.hpp"

namespace {

namespace fs = std::filesystem;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// Writes a document of `count` objects to `path`, the i-th `object(i)`, a MiB at a time.
using Writer = std::function<void(const fs::path&)>;
void WriteObjects(const fs::path& path, std::size_t count,
                  const std::function<std::string(std::size_t)>& object) {
  std::ofstream out(path, std::ios::binary);
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SWDE>\n";
  for (std::size_t i = 0; i < count; ++i) {
    text += object(i);
    if (text.size() > (std::size_t{1} << 20)) {
      out << std::exchange(text, std::string());
    }
  }
  out << text << "</SWDE>\n";
}

// Writes the whole of `text()` to `path`.
Writer Text(std::function<std::string()> text) {
  return [text](const fs::path& path) { std::ofstream(path, std::ios::binary) << text(); };
}

// An object of a record type without key (the reference schema does not know it) with an id.
std::string Keyless(const std::string& type, std::uint64_t id) {
  return Format("<OBJECT name=\"%s\" id=\"%010" PRIu64 "\"/>\n", type.c_str(), id);
}

// A G5DZE whose relation G5ROBR names `target` of `targetType` (the reference schema wants a
// G5OBR there, which the catalogue reports; the document checks look for the target all the same).
std::string Referring(const char* targetType, const std::string& target) {
  return Format(
      "<OBJECT name=\"G5DZE\"><RELATIONS><RELAT name=\"G5ROBR\"><DEST_OBJECT element=\"%s\" "
      "name=\"%s\"/></RELAT></RELATIONS></OBJECT>\n",
      targetType, target.c_str());
}

// A G5JDR, whose key attribute is G5IJR.
std::string Keyed(const std::string& key) {
  return "<OBJECT name=\"G5JDR\"><ATTRIBUTES><ATTR name=\"G5IJR\" value_str=\"" + key +
         "\"/></ATTRIBUTES></OBJECT>\n";
}
// `count` ids of one record type, at least 2^24, that an identity-hashed std::unordered_set
// holding `count` numbers puts in one bucket: multiples of its bucket count.
std::vector<std::uint64_t> OneBucketIds(std::size_t count) {
  std::unordered_set<std::uint64_t> model;
  for (std::uint64_t i = 0; i < count; ++i) {
    model.insert(i);
  }
  const std::uint64_t buckets = model.bucket_count();
  std::vector<std::uint64_t> ids;
  for (std::uint64_t id = ((std::uint64_t{1} << 24) / buckets + 1) * buckets; ids.size() < count;
       id += buckets) {
    ids.push_back(id);
  }
  EXPECT_LE(ids.back(), 0xFFFFFFFFu);
  return ids;
}

// `count` keys "K" + 9 digits that a table of 2^17 slots hashed by FNV-1a (offset basis of the
// record type 0, folded as h ^ h >> 29) puts in its first 512 slots, so linear probing walks
// the whole cluster on every insertion and lookup.
std::vector<std::string> OneClusterKeys(std::size_t count) {
  std::vector<std::string> keys;
  std::string key = "K000000000";
  while (keys.size() < count) {
    const std::uint64_t hash = swde::Fnv1a(key, swde::kFnv1aOffset);
    if (((hash ^ (hash >> 29)) & 0x1FFFF) < 512) {
      keys.push_back(key);
    }
    for (std::size_t i = key.size() - 1; ++key[i] > '9'; --i) {  // the next number
      key[i] = '0';
    }
  }
  return keys;
}

const std::size_t kTypes = 150;
const std::size_t kIds = 50000;
const std::size_t kKeys = 60000;
const std::size_t kReferences = 100000;
const std::size_t kShares = 50000;

// Objects named by `names()` (made in the writer), `object(name)` each, then a reference to
// each name.
template <typename Name>
Writer NamedAndReferences(std::function<std::vector<Name>()> names,
                          std::function<std::string(const Name&)> object, const char* type,
                          std::function<std::string(const Name&)> target) {
  return [=](const fs::path& path) {
    const std::vector<Name> all = names();
    WriteObjects(path, 2 * all.size(), [&](std::size_t i) {
      return i < all.size() ? object(all[i]) : Referring(type, target(all[i - all.size()]));
    });
  };
}
Writer IdsAndReferences(std::function<std::vector<std::uint64_t>()> ids) {
  return NamedAndReferences<std::uint64_t>(
      ids, [](const std::uint64_t& id) { return Keyless("X", id); }, "X",
      [](const std::uint64_t& id) { return Format("%010" PRIu64, id); });
}
Writer KeysAndReferences(std::function<std::vector<std::string>()> keys) {
  return NamedAndReferences<std::string>(keys, Keyed, "G5JDR",
                                         [](const std::string& key) { return key; });
}

// A G5JDR `key`, then kReferences references to G5JDR objects named `target(i)`.
Writer References(std::string key, std::function<std::string(std::size_t)> target) {
  return [=](const fs::path& path) {
    WriteObjects(path, kReferences + 1, [&](std::size_t i) {
      return i == 0 ? Keyed(key) : Referring("G5JDR", target(i - 1));
    });
  };
}

// An object of each of kTypes unknown record types, with the id `id(i)`.
Writer UnknownTypes(std::function<std::uint64_t(std::size_t)> id) {
  return [=](const fs::path& path) {
    WriteObjects(path, kTypes, [&](std::size_t i) { return Keyless(Format("U%04zu", i), id(i)); });
  };
}

// A G5JDR "A", then kShares G5UDZ whose shares of it are 1/d(i).
Writer Shares(std::function<std::uint64_t(std::size_t)> d) {
  return [=](const fs::path& path) {
    WriteObjects(path, kShares + 1, [&](std::size_t i) {
      return i == 0 ? Keyed("A")
                    : Format(
                          "<OBJECT name=\"G5UDZ\"><ATTRIBUTES><ATTR name=\"G5UD\" "
                          "value_str=\"1/%020" PRIu64
                          "\"/></ATTRIBUTES><RELATIONS><RELAT name=\"G5RJDR\"><DEST_OBJECT "
                          "element=\"G5JDR\" name=\"A\"/></RELAT></RELATIONS></OBJECT>\n",
                          d(i - 1));
    });
  };
}

// `objects` objects of record type T, each with `entries` attributes the schema does not define
// (6001 each). T's key attribute is missing from every object.
std::string UndefinedEntries(int objects, int entries) {
  std::string text = "<SWDE>\n";
  for (int o = 0; o < objects; ++o) {
    text += "<OBJECT name=\"T\" base_type=\"RO\" status=\"00\"><ATTRIBUTES>\n";
    for (int e = 0; e < entries; ++e) {
      text += Format("<ATTR name=\"X%06d\" value_str=\"v\"/>\n", e);
    }
    text += "</ATTRIBUTES></OBJECT>\n";
  }
  return text + "</SWDE>\n";
}

// Schema sections of 1000 record types with 40 attributes each, two allowed values per
// attribute: a few MB, like the official reference schema.
std::string BigSections() {
  const int types = 1000;
  std::string text = "<ATTRIBS_SECT>\n";
  for (int a = 0; a < 4 * types; ++a) {
    text += Format("<ATTR name=\"A%05d\" base_type=\"TX\"/>\n", a);
  }
  text += "</ATTRIBS_SECT>\n<TYPES_SECT>\n";
  for (int t = 0; t < types; ++t) {
    text += Format("<OBJECT name=\"T%04d\" base_type=\"RO\"><ATTRIBUTES>\n", t);
    for (int a = 0; a < 40; ++a) {
      text += Format(
          "<ATTR name=\"A%05d\" mandatory=\"0\"><VALUE value_str=\"first value\"/>"
          "<VALUE value_str=\"second value\"/></ATTR>\n",
          (t * 40 + a) % (4 * types));
    }
    text += "</ATTRIBUTES></OBJECT>\n";
  }
  return text + "</TYPES_SECT>\n";
}

// 20 objects of T0001, each with one attribute of BigSections' with an allowed value.
std::string TwentyObjects() {
  std::string objects;
  for (int o = 0; o < 20; ++o) {
    objects += Format(
        "<OBJECT name=\"T0001\" base_type=\"RO\" status=\"00\"><ATTRIBUTES><ATTR name=\"A%05d\" "
        "value_str=\"first value\"/></ATTRIBUTES></OBJECT>\n",
        40 + o);
  }
  return objects;
}

const char kSmallAnnex[] =
    "<SWDE><ATTRIBS_SECT><ATTR name=\"K\" base_type=\"TX\"/></ATTRIBS_SECT><TYPES_SECT>"
    "<OBJECT name=\"T\" base_type=\"RO\"><ATTRIBUTES><ATTR name=\"K\" key=\"1\"/></ATTRIBUTES>"
    "</OBJECT></TYPES_SECT></SWDE>\n";

// One row of the table. `units` counts what the hostile document holds more of (references,
// say) when `bytesPerUnit` bounds the memory the hostile run may take beyond the ordinary one.
// Each side is run `runs` times (ordinary, hostile): in turns (ordinary, hostile, ordinary...)
// for two documents of the very same size, or else all the ordinary runs first and then the
// hostile ones, which stop once one took 10 times the ordinary's CPU time when that counts (it
// cannot pass); the least CPU time and the least peak memory of each side count.
struct Row {
  const char* name;
  Writer hostile;
  Writer ordinary;                        // none: the hostile document, with ordinaryArgs
  std::vector<std::string> args;          // before the document
  std::vector<std::string> ordinaryArgs;  // none: args
  int exit;                               // the exit status of every run
  std::pair<int, int> runs;
  bool inTurns;
  double cpu = 0;           // CPU time at most this many times the ordinary's (floor); 0: free
  double floor = 0.05;      // the least ordinary CPU time the bound counts, in seconds
  double memory = 0;        // peak memory at most this many times the ordinary's; 0: free
  double bytesPerUnit = 0;  // peak memory at most the ordinary's + this per unit; 0: free
  std::size_t units = 0;
  std::vector<std::string> summaries = {};  // hostile, ordinary: the last lines with --lang en
};

std::vector<Row> Rows(const swde_test::TempDir& dir) {
  const auto missing = [](std::size_t i) { return Format("M%07zu", i); };
  const auto present = [](std::size_t) { return std::string("M0000000"); };
  const auto ordinalIds = [] {
    std::vector<std::uint64_t> ids(kIds);
    std::iota(ids.begin(), ids.end(), std::uint64_t{1} << 24);
    return ids;
  };
  const auto ordinalKeys = [] {
    std::vector<std::string> keys;
    for (std::size_t i = 0; keys.size() < kKeys; ++i) {
      keys.push_back(Format("K%09zu", i));
    }
    return keys;
  };
  // The first primes from 2^21 on: their squares times 1000 are unrelated denominators of 52 to
  // 56 bits.
  const auto primes =
      std::make_shared<std::vector<std::uint64_t>>(swde_test::Primes((1u << 21) + 1, kShares));
  const auto square = [primes](std::size_t i) { return (*primes)[i] * (*primes)[i] * 1000; };
  // 50,000 findings about entries of one object cost about what they cost spread over 500
  // objects of 100 entries: the documents have the same size, entries and findings. What one
  // object costs beyond that is the memory of holding its 50,000 entries at once (about 6,000
  // page faults more, and caches missed); callgrind counts 1.12 times the instructions of the
  // spread document. Each finding's context searched for among all its object's entries made
  // the ratio about 300.
  const Writer one = Text([] { return UndefinedEntries(1, 50000); });
  const Writer spread = Text([] { return UndefinedEntries(500, 100); });
  const std::string small = dir / "small-annex.xml";
  const std::vector<std::string> findings = {"--warnings-as-errors", "--annex", small};
  const std::string totals = " 0 errors, 50000 warnings (50000 not listed)\n";
  // Eight jobs need about the memory of one for a reference schema of a few MB and for a
  // document's own sections of the same size: the workers share one copy of each.
  const Writer twenty = Text([] { return "<SWDE>\n" + TwentyObjects() + "</SWDE>\n"; });
  const Writer own =
      Text([] { return "<SWDE>\n" + BigSections() + TwentyObjects() + "</SWDE>\n"; });
  const std::vector<std::string> big = {"--annex", dir / "big-annex.xml"};
  const auto with = [](std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  // clang-format off
  return {
      {"an object of each of 150 unknown record types, all with the id 2^24 - 1",
       UnknownTypes([](std::size_t) { return (std::uint64_t{1} << 24) - 1; }),
       UnknownTypes([](std::size_t i) { return i + 1; }),
       {"-j1"}, {}, 1, {1, 1}, true, 0, 0.05, 2.0},
      {"50,000 object ids in one bucket of an identity-hashed set, a reference to each",
       IdsAndReferences([] { return OneBucketIds(kIds); }), IdsAndReferences(ordinalIds),
       {"-j1"}, {}, 1, {2, 2}, true, 3.0},
      {"60,000 keys in one cluster of an FNV-1a table, and a reference to each",
       KeysAndReferences([] { return OneClusterKeys(kKeys); }), KeysAndReferences(ordinalKeys),
       {"-j1"}, {}, 1, {2, 2}, true, 3.0},
      // A name not seen yet may still come twice (7006): only without 7002 and 7006 nothing waits.
      {"100,000 references to objects that never come, with --ignore 7002,7006",
       References("Z0000000", missing), References("M0000000", present),
       {"-j1", "--ignore", "7002,7006"}, {}, 1, {1, 1}, true, 0, 0.05, 1.5},
      {"100,000 references to objects that never come, reported",
       References("Z0000000", missing), References("M0000000", present),
       {"-j1"}, {}, 1, {1, 1}, true, 0, 0.05, 0, 128, kReferences},
      {"50,000 shares of one group with unrelated denominators",
       Shares(square), Shares([square](std::size_t) { return square(0); }),
       {"-j1"}, {}, 1, {2, 2}, true, 4.0},
      {"50,000 findings in one object, against 500 objects of 100 entries; catalogue",
       one, spread, with({"-j1", "--profile", "catalogue"}, findings), {}, 1, {5, 3}, false,
       5.0, 0.01, 0, 0, 0, {"1 file, 1 object (1 checked)," + totals,
                            "1 file, 500 objects (500 checked)," + totals}},
      {"50,000 findings in one object, against 500 objects of 100 entries; all checks",
       one, spread, with({"-j1", "--profile", "all"}, findings), {}, 1, {5, 3}, false, 5.0, 0.01},
      {"50,000 findings in one object, against 500 objects of 100 entries; all checks, 2 jobs",
       one, spread, with({"-j2", "--profile", "all"}, findings), {}, 1, {5, 3}, false, 5.0, 0.01},
      {"a reference schema of a few MB, 8 jobs against 1",
       twenty, nullptr, with({"-j8"}, big), with({"-j1"}, big), 0, {2, 2}, false, 0, 0.05, 1.5},
      {"a document's own sections of a few MB, 8 jobs against 1",
       own, nullptr, {"-j8"}, {"-j1"}, 0, {2, 2}, false, 0, 0.05, 1.5},
  };
  // clang-format on
}

// Writes a document to `path` in a child process: the tool's peak memory counts what it shared
// with this process before exec, so this process stays as small as it started.
void Produce(const Writer& write, const fs::path& path) {
  const pid_t writer = fork();
  if (writer == 0) {
    write(path);
    _exit(0);
  }
  int status = 0;
  ASSERT_TRUE(waitpid(writer, &status, 0) == writer && WIFEXITED(status)) << path;
}

TEST(HostileCost, EachRowWithinItsBounds) {
  const char* other = std::getenv("SWDE_HOSTILE_TOOL");
  const std::string tool = other != nullptr ? other : SWDE_CHECK_PATH;
  const char* keep = std::getenv("SWDE_HOSTILE_KEEP");
  const swde_test::TempDir dir;
  swde_test::Write(dir / "small-annex.xml", kSmallAnnex);
  Produce(Text([] { return "<SWDE>\n" + BigSections() + "</SWDE>\n"; }), dir / "big-annex.xml");
  ASSERT_GT(fs::file_size(dir / "big-annex.xml"), (std::size_t{4} << 20) + 16);
  int number = 0;
  for (const Row& row : Rows(dir)) {
    ++number;
    const fs::path place = keep != nullptr ? fs::path(keep) : fs::path(dir.path);
    fs::create_directories(place);
    const fs::path hostile = place / ("row" + std::to_string(number) + "-hostile.xml");
    const fs::path ordinary =
        row.ordinary ? place / ("row" + std::to_string(number) + "-ordinary.xml") : hostile;
    Produce(row.hostile, hostile);
    if (row.ordinary) {
      Produce(row.ordinary, ordinary);
    }
    if (row.ordinary && row.inTurns) {
      ASSERT_EQ(fs::file_size(hostile), fs::file_size(ordinary)) << row.name;
    }
    const auto command = [&](bool isHostile, std::vector<std::string> extra) {
      std::vector<std::string> args = {tool};
      const auto& own = isHostile || row.ordinaryArgs.empty() ? row.args : row.ordinaryArgs;
      args.insert(args.end(), own.begin(), own.end());
      args.insert(args.end(), extra.begin(), extra.end());
      args.push_back((isHostile ? hostile : ordinary).string());
      return args;
    };
    for (std::size_t side = 0; side < row.summaries.size(); ++side) {
      const std::string out = dir / "out";
      swde_test::Wait(
          swde_test::Start(command(side == 0, {"--max-findings", "0", "--lang", "en"}), {out}));
      const std::string text = swde_test::Slurp(out);
      EXPECT_EQ(text.substr(text.rfind('\n', text.size() - 2) + 1), row.summaries[side])
          << row.name;
    }
    swde_test::Ended h{0, 1e9, 1e18};
    swde_test::Ended o{0, 1e9, 1e18};
    const auto run = [&](bool isHostile) {
      const swde_test::Ended ended = swde_test::Wait(
          swde_test::Start(command(isHostile, {"--quiet", "--today", "2026.06.15"})));
      EXPECT_TRUE(WIFEXITED(ended.status) && WEXITSTATUS(ended.status) == row.exit)
          << row.name << ": " << (isHostile ? hostile : ordinary) << " " << ended.status;
      swde_test::Ended& best = isHostile ? h : o;
      best.cpu = std::min(best.cpu, ended.cpu);
      best.memory = std::min(best.memory, ended.memory);
    };
    for (int turn = 0; turn < row.runs.first; ++turn) {
      run(false);
      if (row.inTurns) {
        run(true);
      }
    }
    for (int turn = 0; !row.inTurns && turn < row.runs.second; ++turn) {
      if (turn > 0 && row.cpu > 0 && h.cpu > 10 * o.cpu) {
        break;
      }
      run(true);
    }
    std::printf("%-80s CPU %7.3f s / %6.3f s = %6.2f, memory %7.1f MB / %6.1f MB = %6.2f\n",
                row.name, h.cpu, o.cpu, h.cpu / std::max(o.cpu, 0.001), h.memory / 1e6,
                o.memory / 1e6, h.memory / o.memory);
    if (row.cpu > 0) {
      EXPECT_LE(h.cpu, row.cpu * std::max(o.cpu, row.floor)) << row.name;
    }
    if (row.memory > 0) {
      EXPECT_LE(h.memory, row.memory * o.memory) << row.name;
    }
    if (row.bytesPerUnit > 0) {
      EXPECT_LE(h.memory - o.memory, row.bytesPerUnit * double(row.units))
          << row.name << ": " << (h.memory - o.memory) / double(row.units) << " bytes each";
    }
    if (keep == nullptr) {
      fs::remove(hostile);
      fs::remove(ordinary);
    }
  }
}

}  // namespace
