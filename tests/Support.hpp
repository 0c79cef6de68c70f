// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TESTS_SUPPORT_HPP_
#define SWDE_TESTS_SUPPORT_HPP_

// What the tests share: the message catalogue built once per program; schema sets and objects
// built in a few lines; every error of an object as one line, "6018@12/7 m0 G5DZE: <message>";
// documents of objects written in one line each and their findings as one line each,
// "7011@12 G5DZE G5DTW/1 v=2025.02.30 e=dzień 01-28 k=key r=5"; what the reader makes of a
// document; the tables of tests/data read as rows of fields; and child processes run as a user
// runs them, with their standard streams where the test wants them, waited for with what they
// cost, in scratch directories.

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>
#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "swde/document/DocumentChecks.hpp"
#include "swde/errors/Smerrors.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/package/Orvane.hpp"
#include "swde/platform/Cp1250.hpp"
#include "swde/xml/Reader.hpp"

#include "MetadataDump.hpp"

extern char** environ;

namespace swde_test {

using Lines = std::vector<std::string>;

// The catalogue is global state: built before the first test, emptied after the last.
class CatalogueEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { swde::Initialize(); }
  void TearDown() override { swde::Finalize(); }
};
inline ::testing::Environment* const kCatalogueEnvironment =
    ::testing::AddGlobalTestEnvironment(new CatalogueEnvironment);

// The catalogue text of `code` (in UTF-8) with `args` put, in order, in place of its "%s". The
// texts themselves are pinned by the tool's golden reports.
inline std::string Text(int code, const std::vector<std::string>& args = {}) {
  std::string text = swde::Cp1250ToUtf8(swde::catalogueText(code));
  for (std::size_t at = 0, next = 0; next < args.size(); ++next) {
    at = text.find("%s", at);
    if (at == std::string::npos) {
      break;
    }
    text.replace(at, 2, args[next]);
    at += args[next].size();
  }
  return text;
}

// "code@line/id mN type: " and the text: one error as one line.
inline std::string Line(int code, int msgType, std::uint32_t line, std::uint32_t id,
                        const std::string& typeName, const std::string& text) {
  return std::to_string(code) + "@" + std::to_string(line) + "/" + std::to_string(id) + " m" +
         std::to_string(msgType) + " " + typeName + ": " + text;
}

// The line of an expected error, its text filled with `args`.
inline std::string E(int code, int msgType, std::uint32_t line, std::uint32_t id,
                     const std::string& typeName, const std::vector<std::string>& args) {
  return Line(code, msgType, line, id, typeName, Text(code, args));
}

// The line of an error the library made; a section other than 49 is shown, so that it fails.
inline std::string Render(const swde::smError& e) {
  return Line(e.code, e.msgType, e.line, e.id, swde::Cp1250ToUtf8(e.typeName),
              swde::Cp1250ToUtf8(e.message)) +
         (e.section == swde::smError::rsObjects ? ""
                                                : " [section " + std::to_string(e.section) + "]");
}

inline Lines Rendered(const swde::smObject& object) {
  Lines out;
  for (const swde::smError* error : object.errors) {
    out.push_back(Render(*error));
  }
  return out;
}

// An object whose per-type hook records every entry it is called with, as "name=value".
class HookProbe : public swde::smObject {
 public:
  using swde::smObject::smObject;
  void checkAttribValue(swde::smAttribute* attribute) override {
    hooked.push_back(attribute->name + "=" + attribute->value);
  }
  Lines hooked;
};

// The two sets an object is checked against, fresh for each case: the annex and the file's own
// sections.
struct Sets {
  swde::Metadata annex;
  swde::Metadata file;

  swde::RecordType* AnnexType(const std::string& name, const std::string& baseType = "") {
    return annex.typesSection->addType(name, baseType);
  }
  swde::RecordType* FileType(const std::string& name, const std::string& baseType = "") {
    return file.typesSection->addType(name, baseType);
  }
  void Declare(const std::string& name, const std::string& baseType) {
    annex.attribsSection->addAttribute(name, baseType);
  }
  // Points the object at both sets, as checkMain would, for the checks called on their own.
  void Wire(swde::smObject& object) {
    object.annexMetadata = &annex;
    object.fileMetadata = &file;
  }
};

// Places the object at (`line`, `id`) with the status mark `status`.
inline void Place(swde::smObject& object, std::uint32_t line, std::uint32_t id,
                  const std::string& status = "00") {
  object.line = line;
  object.id = id;
  object.status = status;
}

inline swde::smAttribute* Attr(swde::smObject& object, const std::string& code,
                               const std::string& name, const std::string& value,
                               std::uint32_t line = 0, std::uint32_t id = 0) {
  swde::smAttribute* entry = object.addAttribute(code, name, value);
  entry->line = line;
  entry->id = id;
  return entry;
}

inline swde::smRelation* Rel(swde::smObject& object, const std::string& code,
                             const std::string& name, const std::string& destType,
                             std::uint32_t line = 0, std::uint32_t id = 0) {
  swde::smRelation* entry = object.addRelation(code, name);
  entry->destType = destType;
  entry->line = line;
  entry->id = id;
  return entry;
}

// `text` quoted and escaped, for failure messages.
inline std::string Shown(const std::string& text) {
  return ::testing::PrintToString(text);
}

// `text` with every `from` replaced by `to`.
inline std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// The bytes of the file at `path`.
inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The rows of a table of tests/data: fields split by tabs, "\e" an empty field, and in each
// field \t \n \r \v \f \\ and \xHH stand for their bytes; blank lines and lines from "#" on are
// left out.
inline std::vector<Lines> Table(const std::string& name) {
  std::vector<Lines> rows;
  std::ifstream in(std::string(SWDE_SOURCE_DIR "/tests/data/") + name, std::ios::binary);
  EXPECT_TRUE(in.is_open()) << name;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') {
      continue;
    }
    Lines& row = rows.emplace_back(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '\t') {
        row.emplace_back();
      } else if (c != '\\' || i + 1 == line.size()) {
        row.back() += c;
      } else if (line[++i] == 'x') {
        row.back() += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else if (line[i] != 'e') {
        const std::string from = "tnrvf\\", to = "\t\n\r\v\f\\";
        row.back() += to.at(from.find(line[i]));
      }
    }
  }
  return rows;
}

// The rows of the table `name` whose first field is `kind`, that field left out; there must be
// `count` of them.
inline std::vector<Lines> Rows(const std::string& name, const std::string& kind,
                               std::size_t count) {
  std::vector<Lines> rows;
  for (Lines& row : Table(name)) {
    if (row[0] == kind) {
      rows.emplace_back(row.begin() + 1, row.end());
    }
  }
  EXPECT_EQ(rows.size(), count) << name << " " << kind;
  return rows;
}

// The first `count` odd primes from `from` on, by trial division.
inline std::vector<std::uint64_t> Primes(std::uint64_t from, std::size_t count) {
  std::vector<std::uint64_t> primes;
  for (std::uint64_t n = from | 1; primes.size() < count; n += 2) {
    bool prime = true;
    for (std::uint64_t d = 3; d * d <= n && prime; d += 2) {
      prime = n % d != 0;
    }
    if (prime) {
      primes.push_back(n);
    }
  }
  return primes;
}

// One object of a document: attributes on the lines after the object's, then relations.
struct Obj {
  std::string type;
  std::uint32_t line;
  std::uint32_t id;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<std::tuple<std::string, std::string, std::string>> relations;  // name, type, target
  std::string status = "00";
};

inline std::unique_ptr<swde::smObject> Build(const Obj& o) {
  auto object = std::make_unique<swde::smObject>(o.type);
  Place(*object, o.line, o.id, o.status);
  std::uint32_t line = o.line;
  std::uint32_t id = 0;
  for (const auto& [name, value] : o.attributes) {
    swde::AnsiString cp1250;
    EXPECT_TRUE(swde::Utf8ToCp1250(value, cp1250)) << value;
    ++line;
    Attr(*object, name, "", cp1250, line, ++id);
  }
  id = 0;
  for (const auto& [name, type, target] : o.relations) {
    ++line;
    Rel(*object, name, "", type, line, ++id)->destObject = target;
  }
  return object;
}

inline std::string Render(const std::vector<swde::smDocumentFinding>& findings) {
  std::string out;
  for (const swde::smDocumentFinding& f : findings) {
    out += (out.empty() ? "" : "; ") + std::to_string(f.code) + "@" + std::to_string(f.line) + " " +
           f.typeName;
    if (f.hasEntry) {
      out += " " + f.entry + "/" + std::to_string(f.entryId);
    }
    for (const auto& [tag, text] :
         {std::pair{" v=", &f.value}, {" e=", &f.expected}, {" k=", &f.key}}) {
      if (!text->empty()) {
        out += tag + swde::Cp1250ToUtf8(*text);
      }
    }
    if (f.relatedLine != 0) {
      out += " r=" + std::to_string(f.relatedLine);
    }
    EXPECT_EQ(f.msgType, swde::FindDocumentCode(f.code)->msgType) << f.code;
  }
  return out;
}

// The findings of a document of `objects` checked through addObject, on one thread.
inline std::vector<swde::smDocumentFinding> CheckObjects(const swde::Metadata* annex,
                                                         const swde::smDocumentOptions& options,
                                                         const std::vector<Obj>& objects) {
  swde::smDocumentChecks checks(annex, options);
  std::vector<swde::smDocumentFinding> findings;
  for (const Obj& o : objects) {
    checks.addObject(*Build(o), findings);
  }
  checks.finish(findings);
  return findings;
}

// The findings of a document of `objects`, rendered, checked twice: through addObject, and as a
// host with workers checks it (the objects in reverse order, the digests added in document
// order). Both must agree.
inline std::string CheckDocument(const swde::Metadata* annex,
                                 const swde::smDocumentOptions& options,
                                 const std::vector<Obj>& objects) {
  std::vector<std::unique_ptr<swde::smObject>> built;
  for (const Obj& o : objects) {
    built.push_back(Build(o));
  }
  swde::smDocumentChecks shared(annex, options);
  std::vector<std::vector<swde::smDocumentFinding>> perObject(built.size());
  std::vector<swde::smObjectDigest> digests(built.size());
  for (std::size_t i = built.size(); i-- > 0;) {
    digests[i] = shared.objectChecks().check(*built[i], perObject[i]);
  }
  std::vector<swde::smDocumentFinding> many;
  for (std::size_t i = 0; i < built.size(); ++i) {
    many.insert(many.end(), perObject[i].begin(), perObject[i].end());
    shared.add(digests[i], many);
  }
  shared.finish(many);
  const std::string rendered = Render(CheckObjects(annex, options, objects));
  EXPECT_EQ(Render(many), rendered);
  return rendered;
}

// A document of a table: "case", its name; a row per object: type, line, id, status, then its
// entries, "NAME=value" attributes and "NAME>TYPE:target" relations; "=" a finding expected, in
// order (none: the document is clean); "<" a finding expected when the objects come in reverse
// order (none: the same as forwards).
struct DocumentCase {
  std::string name;
  std::vector<Obj> objects;
  std::string expected;
  std::string backward;
};

inline std::vector<DocumentCase> Documents(const std::string& name) {
  std::vector<DocumentCase> cases;
  for (const Lines& row : Table(name)) {
    if (row[0] == "case") {
      cases.push_back({row.at(1), {}, "", ""});
    } else if (row[0] == "=" || row[0] == "<") {
      std::string& to = row[0] == "=" ? cases.back().expected : cases.back().backward;
      to += (to.empty() ? "" : "; ") + row.at(1);
    } else {
      Obj& o = cases.back().objects.emplace_back();
      o = {row[0],
           std::uint32_t(std::stoul(row.at(1))),
           std::uint32_t(std::stoul(row.at(2))),
           {},
           {},
           row.at(3)};
      for (std::size_t i = 4; i < row.size(); ++i) {
        const std::size_t is = row[i].find('='), to = row[i].find('>');
        if (to < is) {
          const std::size_t colon = row[i].find(':', to);
          o.relations.emplace_back(row[i].substr(0, to), row[i].substr(to + 1, colon - to - 1),
                                   row[i].substr(colon + 1));
        } else {
          o.attributes.emplace_back(row[i].substr(0, is), row[i].substr(is + 1));
        }
      }
    }
  }
  return cases;
}

// "TYPE #id @line base=B status=S", then " A:name/code=value#id@line" per attribute and
// " R:name/code->destType(destObject)#id@line" per relation, in map order.
inline std::string Dump(const swde::smObject& object) {
  std::string out = object.typeName + " #" + std::to_string(object.id) + " @" +
                    std::to_string(object.line) + " base=" + object.baseType +
                    " status=" + object.status;
  for (const auto& [key, entry] : object.attributes) {
    out += " A:" + key + "/" + entry->code + "=" + entry->value + "#" + std::to_string(entry->id) +
           "@" + std::to_string(entry->line);
  }
  for (const auto& [key, entry] : object.relations) {
    out += " R:" + key + "/" + entry->code + "->" + entry->destType + "(" + entry->destObject +
           ")#" + std::to_string(entry->id) + "@" + std::to_string(entry->line);
  }
  return out;
}

struct ReadResult {
  std::string objects;  // one Dump line per object, each ended by "\n"
  std::string metadata;
  std::string root;  // "date|version|profile|transfer"
  bool sections = false;
  std::uint64_t count = 0;
};

// Reads `text` whole (chunk 0) or in pieces of `chunk` bytes; throws what the reader throws.
inline ReadResult Read(std::string_view text, std::size_t chunk = 0,
                       const swde::xml::ReaderLimits& limits = {}) {
  ReadResult result;
  swde::xml::DocumentReader reader(
      "doc.xml",
      [&](std::unique_ptr<swde::smObject> object) { result.objects += Dump(*object) + "\n"; },
      limits);
  const std::size_t step = chunk == 0 ? std::max<std::size_t>(text.size(), 1) : chunk;
  for (std::size_t at = 0; at < text.size(); at += step) {
    reader.feed(text.data() + at, std::min(step, text.size() - at));
  }
  reader.finish();
  result.metadata = Dump(reader.fileMetadata());
  result.root = reader.schemaDate() + "|" + reader.schemaVersion() + "|" + reader.schemaProfile() +
                "|" + reader.transfer();
  result.sections = reader.hasSchemaSections();
  result.count = reader.objectCount();
  return result;
}

// What `step` throws as an XmlError, or "no error".
template <typename Step>
std::string Failure(Step step) {
  try {
    step();
  } catch (const swde::xml::XmlError& e) {
    return e.what();
  }
  return "no error";
}

// Little-endian UTF-16 with a byte order mark.
inline std::string Utf16le(const std::u16string& text) {
  std::string out = "\xFF\xFE";
  for (const char16_t unit : text) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

// Child processes of the tool's own tests (tests/cli), which are of Unix only.
#ifndef _WIN32
// A fresh directory under /tmp, removed with all it holds.
struct TempDir {
  TempDir() {
    char pattern[] = "/tmp/swde-test-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
  long Files() const { return std::distance(std::filesystem::directory_iterator(path), {}); }
  std::string path;
};

inline void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Where a child's standard output and error go. With `defaultSignals`, SIGINT, SIGTERM and SIGHUP
// take their default action in it even under a runner that ignores them (the tool keeps a signal
// ignored that was ignored when it started).
struct Streams {
  std::string out = "/dev/null";
  std::string err = "/dev/null";
  int outFlags = O_WRONLY | O_CREAT | O_TRUNC;
  bool defaultSignals = false;
};

// Starts the program args[0] with `args`.
inline pid_t Start(std::vector<std::string> args, const Streams& streams = {}) {
  std::vector<char*> argv;
  for (std::string& word : args) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, streams.out.c_str(), streams.outFlags,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, streams.err.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (streams.defaultSignals) {
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      sigaddset(&defaults, signal);
    }
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  }
  pid_t pid = -1;
  posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// How a child ended (its wait status, -1 if it never started) and what it cost, by wait4.
struct Ended {
  int status = -1;
  double cpu = 0;     // user + system seconds
  double memory = 0;  // peak resident bytes
};

inline Ended Wait(pid_t pid) {
  Ended ended;
  rusage usage{};
  if (pid > 0 && wait4(pid, &ended.status, 0, &usage) == pid) {
    const auto seconds = [](const timeval& t) {
      return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    ended.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    ended.memory = double(usage.ru_maxrss) * 1024;  // kilobytes on Linux
  }
  return ended;
}
#endif  // _WIN32

}  // namespace swde_test

#endif  // SWDE_TESTS_SUPPORT_HPP_
