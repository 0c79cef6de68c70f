// swde — semantic checks of SWDE cadastral exchange objects.
//
// What a hostile document may cost swde-check: one table, one row per way a document can try to
// make the tool slow or big. Each row generates its hostile document and an ordinary one of the
// same size and shape, runs swde-check on both (child processes, --quiet) and compares their CPU
// time and peak resident memory, measured by wait4: the bounds are ratios against the ordinary
// document of the same run, never absolute times, so a busy machine moves both sides alike. They
// are loose enough for a loaded machine and still far below what each attack cost before it was
// closed (docs/performance.md, "Hostile documents", has the figures).
//
// SWDE_HOSTILE_TOOL=/path/to/swde-check in the environment measures another build of the tool
// (an older one, say) against the same table; SWDE_HOSTILE_KEEP=DIR keeps the documents there
// (rowN-hostile.xml, rowN-ordinary.xml).
#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

#include <gtest/gtest.h>

#include "swde/platform/Bytes.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// What one run of the tool cost.
struct Cost {
  double cpu = 0;       // user + system seconds
  double memory = 0;    // peak resident bytes
  int exitStatus = -1;  // -1: the tool did not exit normally
};

Cost Measure(const std::string& tool, std::vector<std::string> args) {
  args.insert(args.begin(), tool);
  std::vector<char*> argv;
  for (std::string& word : args) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  Cost cost;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto seconds = [](const timeval& t) {
      return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    cost.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    cost.memory = double(usage.ru_maxrss) * 1024;  // kilobytes on Linux
    cost.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return cost;
}

// Writes a document to `path`: the objects `objects` appends to a piece of text, which goes to
// the file whenever it passes 1 MiB.
using Writer = std::function<void(const fs::path&)>;
Writer Document(std::function<void(std::string&, const std::function<void()>&)> objects) {
  return [objects](const fs::path& path) {
    std::ofstream out(path, std::ios::binary);
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SWDE>\n";
    const auto flush = [&] {
      if (text.size() > (std::size_t{1} << 20)) {
        out << text;
        text.clear();
      }
    };
    objects(text, flush);
    out << text << "</SWDE>\n";
  };
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// An object of a record type without key (the reference schema does not know it) with an id.
std::string Keyless(const char* type, std::uint64_t id) {
  return Format("<OBJECT name=\"%s\" id=\"%010" PRIu64 "\"/>\n", type, id);
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

// One row of the table. `units` counts what the hostile document holds more of (references,
// say) when `bytesPerUnit` bounds the memory the hostile run may take beyond the ordinary one.
struct Row {
  const char* name;
  Writer hostile;
  Writer ordinary;
  std::vector<std::string> args;  // before the document
  double cpu = 0;                 // CPU time at most this many times the ordinary's; 0: free
  double memory = 0;              // peak memory at most this many times the ordinary's; 0: free
  double bytesPerUnit = 0;        // peak memory at most the ordinary's + this per unit; 0: free
  std::size_t units = 0;
};

const std::size_t kTypes = 150;
const std::size_t kIds = 50000;
const std::size_t kKeys = 60000;
const std::size_t kReferences = 100000;
const std::size_t kShares = 50000;

// Objects named by `ids` (formatted as 10 digits), then a reference to each.
Writer IdsAndReferences(std::function<std::vector<std::uint64_t>()> ids) {
  return Document([ids](std::string& text, const std::function<void()>& flush) {
    const std::vector<std::uint64_t> all = ids();
    for (const std::uint64_t id : all) {
      text += Keyless("X", id);
      flush();
    }
    for (const std::uint64_t id : all) {
      text += Referring("X", Format("%010" PRIu64, id));
      flush();
    }
  });
}

// G5JDR objects with `keys`, then a reference to each.
Writer KeysAndReferences(std::function<std::vector<std::string>()> keys) {
  return Document([keys](std::string& text, const std::function<void()>& flush) {
    const std::vector<std::string> all = keys();
    for (const std::string& key : all) {
      text += Keyed(key);
      flush();
    }
    for (const std::string& key : all) {
      text += Referring("G5JDR", key);
      flush();
    }
  });
}

// A G5JDR `key`, then kReferences references to G5JDR objects named `target(i)`.
Writer References(std::string key, std::function<std::string(std::size_t)> target) {
  return Document([key, target](std::string& text, const std::function<void()>& flush) {
    text += Keyed(key);
    for (std::size_t i = 0; i < kReferences; ++i) {
      text += Referring("G5JDR", target(i));
      flush();
    }
  });
}

// An object of each of kTypes unknown record types, with the id `id(i)`.
Writer UnknownTypes(std::function<std::uint64_t(std::size_t)> id) {
  return Document([id](std::string& text, const std::function<void()>&) {
    for (std::size_t i = 0; i < kTypes; ++i) {
      text += Keyless(Format("U%04zu", i).c_str(), id(i));
    }
  });
}

// A G5JDR "A", then kShares G5UDZ whose shares of it are 1/d(i).
Writer Shares(std::function<std::uint64_t(std::size_t)> d) {
  return Document([d](std::string& text, const std::function<void()>& flush) {
    text += Keyed("A");
    for (std::size_t i = 0; i < kShares; ++i) {
      text += Format(
          "<OBJECT name=\"G5UDZ\"><ATTRIBUTES><ATTR name=\"G5UD\" value_str=\"1/%020" PRIu64
          "\"/></ATTRIBUTES><RELATIONS><RELAT name=\"G5RJDR\"><DEST_OBJECT element=\"G5JDR\" "
          "name=\"A\"/></RELAT></RELATIONS></OBJECT>\n",
          d(i));
      flush();
    }
  });
}

// The first `count` primes from 2^21 on: their squares times 1000 are unrelated denominators
// of 52 to 56 bits.
std::vector<std::uint64_t> Primes(std::size_t count) {
  std::vector<std::uint64_t> primes;
  for (std::uint64_t n = (std::uint64_t{1} << 21) + 1; primes.size() < count; n += 2) {
    bool prime = true;
    for (std::uint64_t f = 3; f * f <= n && prime; f += 2) {
      prime = n % f != 0;
    }
    if (prime) {
      primes.push_back(n);
    }
  }
  return primes;
}

std::vector<Row> Rows() {
  const auto missing = [](std::size_t i) { return Format("M%07zu", i); };
  const auto present = [](std::size_t) { return std::string("M0000000"); };
  const auto ordinalIds = [] {
    std::vector<std::uint64_t> ids;
    for (std::uint64_t id = std::uint64_t{1} << 24; ids.size() < kIds; ++id) {
      ids.push_back(id);
    }
    return ids;
  };
  const auto ordinalKeys = [] {
    std::vector<std::string> keys;
    for (std::size_t i = 0; keys.size() < kKeys; ++i) {
      keys.push_back(Format("K%09zu", i));
    }
    return keys;
  };
  std::vector<Row> rows;
  rows.push_back({"an object of each of 150 unknown record types, all with the id 2^24 - 1",
                  UnknownTypes([](std::size_t) { return (std::uint64_t{1} << 24) - 1; }),
                  UnknownTypes([](std::size_t i) { return i + 1; }),
                  {"-j1"}});
  rows.back().memory = 2.0;
  rows.push_back({"50,000 object ids in one bucket of an identity-hashed set, a reference to each",
                  IdsAndReferences([] { return OneBucketIds(kIds); }),
                  IdsAndReferences(ordinalIds),
                  {"-j1"}});
  rows.back().cpu = 3.0;
  rows.push_back({"60,000 keys in one cluster of an FNV-1a table, and a reference to each",
                  KeysAndReferences([] { return OneClusterKeys(kKeys); }),
                  KeysAndReferences(ordinalKeys),
                  {"-j1"}});
  rows.back().cpu = 3.0;
  rows.push_back({"100,000 references to objects that never come, with --ignore 7002",
                  References("Z0000000", missing),
                  References("M0000000", present),
                  {"-j1", "--ignore", "7002"}});
  rows.back().memory = 1.5;
  rows.push_back({"100,000 references to objects that never come, reported",
                  References("Z0000000", missing),
                  References("M0000000", present),
                  {"-j1"}});
  rows.back().bytesPerUnit = 128;
  rows.back().units = kReferences;
  const auto primes = std::make_shared<std::vector<std::uint64_t>>(Primes(kShares));
  rows.push_back({"50,000 shares of one group with unrelated denominators",
                  Shares([primes](std::size_t i) { return (*primes)[i] * (*primes)[i] * 1000; }),
                  Shares([primes](std::size_t) { return (*primes)[0] * (*primes)[0] * 1000; }),
                  {"-j1"}});
  rows.back().cpu = 4.0;
  return rows;
}

TEST(HostileCost, EachRowWithinItsBounds) {
  const char* other = std::getenv("SWDE_HOSTILE_TOOL");
  const std::string tool = other != nullptr ? other : SWDE_CHECK_PATH;
  const char* keep = std::getenv("SWDE_HOSTILE_KEEP");
  const fs::path dir =
      keep != nullptr ? fs::path(keep)
                      : fs::temp_directory_path() / ("swde-hostile-" + std::to_string(getpid()));
  fs::create_directories(dir);
  int number = 0;
  for (const Row& row : Rows()) {
    ++number;
    const fs::path hostile = dir / ("row" + std::to_string(number) + "-hostile.xml");
    const fs::path ordinary = dir / ("row" + std::to_string(number) + "-ordinary.xml");
    for (const auto& [write, path] :
         {std::pair{&row.hostile, hostile}, {&row.ordinary, ordinary}}) {
      // Written by a child process: the tool's peak memory counts what it shared with this
      // process before exec, so this process stays as small as it started.
      const pid_t writer = fork();
      if (writer == 0) {
        (*write)(path);
        _exit(0);
      }
      int status = 0;
      ASSERT_TRUE(waitpid(writer, &status, 0) == writer && WIFEXITED(status)) << row.name;
    }
    ASSERT_EQ(fs::file_size(hostile), fs::file_size(ordinary)) << row.name;
    // Alternating turns, two when CPU time counts; the cheaper CPU time and the larger memory
    // of each count.
    Cost h;
    Cost o;
    for (int turn = 0; turn < (row.cpu > 0 ? 2 : 1); ++turn) {
      for (const auto& [path, best] : {std::pair{ordinary, &o}, {hostile, &h}}) {
        std::vector<std::string> args = row.args;
        args.insert(args.end(), {"--quiet", "--today", "2026.06.15", path.string()});
        const Cost cost = Measure(tool, args);
        ASSERT_TRUE(cost.exitStatus == 0 || cost.exitStatus == 1) << row.name << ": " << path;
        best->cpu = turn == 0 ? cost.cpu : std::min(best->cpu, cost.cpu);
        best->memory = std::max(best->memory, cost.memory);
      }
    }
    std::printf("%-80s CPU %7.3f s / %6.3f s = %6.2f, memory %7.1f MB / %6.1f MB = %6.2f\n",
                row.name, h.cpu, o.cpu, h.cpu / std::max(o.cpu, 0.001), h.memory / 1e6,
                o.memory / 1e6, h.memory / o.memory);
    if (row.cpu > 0) {
      EXPECT_LE(h.cpu, row.cpu * std::max(o.cpu, 0.05)) << row.name;
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
  if (keep == nullptr) {
    fs::remove_all(dir);
  }
}

}  // namespace
