// swde — semantic checks of SWDE cadastral exchange objects.
//
// The C interface over the library, the reader and the checker engine. Each entry point catches
// everything and turns it into a status and a thread-local message; the handles are the C++
// objects themselves, never seen from outside. A report keeps what an output sink is told, so
// its JSON form is the tool's own sink replaying the run.
//
// Strings handed out are UTF-8: what may hold other bytes (a path or a name the host gave, and
// messages that quote one) goes out with each such byte written as "\xHH" (EscapeBytes).
#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "swde/engine/Engine.hpp"
#include "swde/metadata/Marks.hpp"
#include "swde/metadata/Metadata.hpp"
#include "swde/model/Smobject.hpp"
#include "swde/package/Orvane.hpp"
#include "swde/platform/Bytes.hpp"
#include "swde/platform/Cp1250.hpp"
#include "swde/swde.h"
#include "swde/types/Smobjectfactory.hpp"
#include "swde/xml/Reader.hpp"

namespace engine = swde::engine;

struct swde_schema {
  std::shared_ptr<const swde::engine::Schema> schema;
  std::string warnings;  // "NAME:LINE: MESSAGE" lines of its doubtful definitions
  // Never changed once made: the checks only read the metadata, so any number of calls on any
  // threads share it.
};

struct swde_options {
  engine::CheckerSettings settings;
};

struct swde_finding {
  const swde::engine::Finding& finding;
  const std::string& file;
};

struct swde_report {
  swde::engine::Report report;
  std::vector<swde_finding> findings;  // over report.findings, once they are all there
  mutable std::mutex jsonMutex;
  mutable std::optional<std::string> json;
};

struct swde_object {
  struct Entry {
    bool relation = false;
    swde::AnsiString name, value, targetType, target;
    std::uint32_t line = 0, id = 0;
  };
  swde::AnsiString typeName, status, baseType;
  std::uint32_t line = 0, id = 0;
  std::vector<Entry> entries;
};

struct swde_session {
  std::shared_ptr<const swde::engine::Schema> schema;
  std::unique_ptr<swde::engine::Checker> checker;
  swde::engine::Report report;
  std::unique_ptr<swde::engine::ReportSink> sink;
  std::unique_ptr<swde::engine::Checker::Session> session;  // null once cancelled or finished
};

namespace {

thread_local std::string lastError;

// A status with its message, thrown inside an entry point and caught at its edge.
struct Failed {
  swde_status status;
  std::string message;
};

void initializeOnce() {
  static std::once_flag once;
  std::call_once(once, [] { swde::Initialize(); });
}

// Runs `body`, turning whatever it throws into a status and lastError.
template <typename Body>
swde_status guarded(Body&& body) noexcept {
  try {
    initializeOnce();
    body();
    return SWDE_OK;
  } catch (const Failed& e) {
    lastError = swde::EscapeBytes(e.message, swde::Escape::kInvalid);
    return e.status;
  } catch (const std::bad_alloc&) {
    lastError = "out of memory";
    return SWDE_ERROR_MEMORY;
  } catch (const engine::Cancelled& e) {
    lastError = e.what();
    return SWDE_CANCELLED;
  } catch (const std::exception& e) {
    lastError = swde::EscapeBytes(e.what(), swde::Escape::kInvalid);
    return SWDE_ERROR_INTERNAL;
  } catch (...) {
    lastError = "unknown error";
    return SWDE_ERROR_INTERNAL;
  }
}

template <typename T>
T& need(T* pointer, const char* what) {
  if (pointer == nullptr) {
    throw Failed{SWDE_ERROR_ARGUMENT, std::string(what) + " is NULL"};
  }
  return *pointer;
}

// The value `out` points to, reset first: a call that fails after this leaves it NULL or 0.
template <typename T>
T& cleared(T* out) {
  return need(out, "out") = T{};
}

// Sets what an optional out pointer points to.
template <typename T, typename V>
void put(T* out, V value) {
  if (out != nullptr) {
    *out = value;
  }
}

// A text that must be given.
const char* needText(const char* text, const char* what) {
  if (text == nullptr) {
    throw Failed{SWDE_ERROR_ARGUMENT, std::string(what) + " is NULL"};
  }
  return text;
}

// UTF-8 text as the CP1250 bytes the library works in; NULL is the empty text.
swde::AnsiString toCp1250(const char* text, const char* what) {
  swde::AnsiString out;
  std::size_t offset = 0;
  if (text != nullptr && !swde::Utf8ToCp1250(text, out, &offset)) {
    throw Failed{SWDE_ERROR_ARGUMENT, std::string(what) + ": not UTF-8 text that windows-1250 " +
                                          "can hold, at byte " + std::to_string(offset)};
  }
  return out;
}

// A stream whose bytes a swde_read_fn hands over, a chunk at a time.
class CallbackBuffer final : public std::streambuf {
 public:
  CallbackBuffer(swde_read_fn read, void* user) : read_(read), user_(user) {}

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) {
      return traits_type::to_int_type(*gptr());
    }
    const long long got = ended_ ? 0 : read_(user_, chunk_.data(), chunk_.size());
    if (got <= 0) {
      ended_ = true;
      return traits_type::eof();
    }
    const auto size = static_cast<std::size_t>(std::min<long long>(got, kChunk));
    setg(chunk_.data(), chunk_.data(), chunk_.data() + size);
    return traits_type::to_int_type(*gptr());
  }

 private:
  static constexpr std::size_t kChunk = std::size_t{1} << 16;
  swde_read_fn read_;
  void* user_;
  std::vector<char> chunk_ = std::vector<char>(kChunk);
  bool ended_ = false;
};

// The report of `checked`, its findings walked by index.
std::unique_ptr<swde_report> reportOf(engine::Report&& checked) {
  auto report = std::make_unique<swde_report>();
  report->report = std::move(checked);
  report->findings.reserve(report->report.findings.size());
  for (const engine::Finding& finding : report->report.findings) {
    report->findings.push_back(swde_finding{finding, report->report.file});
  }
  return report;
}

// A schema read by `load`: its errors fail, its warnings are kept, led by the notice of the
// built-in schema's marks lent to it ("NAME:0: marks: ...").
template <typename Load>
swde_status loadSchema(swde_schema** out, const std::string& name, Load&& load) {
  return guarded([&] {
    cleared(out);
    auto schema = std::make_unique<swde_schema>();
    try {
      schema->schema = load();
    } catch (const swde::xml::XmlError& e) {
      throw Failed{SWDE_ERROR_SCHEMA, e.what()};
    }
    const engine::Schema& s = *schema->schema;
    const std::string shown = swde::EscapeBytes(name, swde::Escape::kInvalid);
    std::string errors;
    for (const engine::SchemaMistake& mistake : s.mistakes()) {
      std::string& list = mistake.error ? errors : schema->warnings;
      list += (list.empty() ? "" : "\n") + shown + ":" + std::to_string(mistake.line) + ": " +
              mistake.message;
    }
    if (!errors.empty()) {
      throw Failed{SWDE_ERROR_SCHEMA, errors};
    }
    if (s.lent().lent) {
      schema->warnings = name + ":0: " + swde::BuiltinMarksNotice(s.lent()) +
                         (schema->warnings.empty() ? "" : "\n") + schema->warnings;
    }
    *out = schema.release();
  });
}

std::shared_ptr<const engine::Schema> schemaOr(const swde_schema* schema) {
  return schema != nullptr ? schema->schema : engine::Schema::builtin();
}

// The library's object of what the host built. Id 0 stands for the entry's ordinal (attributes
// and relations counted apart, from 1), as the reader numbers the entries of a document that
// gives no id.
std::unique_ptr<swde::smObject> build(const swde_object& o) {
  std::unique_ptr<swde::smObject> built(swde::smObjectFactory().createObject(o.typeName));
  built->status = o.status;
  built->baseType = o.baseType;
  built->line = o.line;
  built->id = o.id;
  std::uint32_t attributes = 0;
  std::uint32_t relations = 0;
  for (const swde_object::Entry& entry : o.entries) {
    if (entry.relation) {
      swde::smRelation* relation = built->addRelation(entry.name, entry.name);
      relation->destType = entry.targetType;
      relation->destObject = entry.target;
      relation->line = entry.line;
      ++relations;
      relation->id = entry.id != 0 ? entry.id : relations;
    } else {
      swde::smAttribute* attribute = built->addAttribute(entry.name, entry.name, entry.value);
      attribute->line = entry.line;
      ++attributes;
      attribute->id = entry.id != 0 ? entry.id : attributes;
    }
  }
  return built;
}

engine::Options optionsOr(const swde_options* options) {
  engine::Options settings = options != nullptr ? options->settings : engine::Options{};
  if (settings.jobs == 0) {
    settings.jobs = std::max(1u, std::thread::hardware_concurrency());
  }
  return settings;
}

// Checks one document with `check` into a new report in *out; a document that could not be read
// to its end leaves its report there too.
template <typename Check>
swde_status checkDocument(swde_report** out, Check&& check) {
  return guarded([&] {
    cleared(out);
    std::unique_ptr<swde_report> report = reportOf(check());
    std::optional<engine::Failure>& failure = report->report.failure;
    if (failure) {
      failure->file = swde::EscapeBytes(failure->file, swde::Escape::kInvalid);
      failure->message = swde::EscapeBytes(failure->message, swde::Escape::kInvalid);
    }
    *out = report.release();
    if (failure) {
      throw Failed{SWDE_ERROR_READ, engine::describe(*failure)};
    }
  });
}

swde_status addCodes(swde_options* options, const char* codes, bool select) {
  return guarded([&] {
    engine::FindingFilter& filter = need(options, "options").settings.filter;
    // Parsed into a copy, so that a bad list leaves the options as they were.
    engine::CodeSet set = select ? filter.select.value_or(engine::CodeSet{}) : filter.ignore;
    try {
      set.add(needText(codes, "codes"));
    } catch (const std::invalid_argument& e) {
      throw Failed{SWDE_ERROR_ARGUMENT, e.what()};
    }
    (select ? filter.select.emplace() : filter.ignore) = std::move(set);
  });
}

const swde_finding& findingOf(const swde_finding* finding) {
  return need(finding, "finding");
}

// A string field: the text, or NULL when the field does not apply.
swde_status stringField(const swde_finding* finding, const char** out,
                        const char* (*field)(const swde_finding&)) {
  return guarded([&] {
    const char*& text = cleared(out);
    text = field(findingOf(finding));
  });
}

const char* optionalText(const std::optional<std::string>& text) {
  return text ? text->c_str() : nullptr;
}

}  // namespace

extern "C" {

const char* swde_version(void) {
  return SWDE_VERSION;
}

int swde_c_api_version(void) {
  return SWDE_C_API_VERSION;
}

const char* swde_last_error(void) {
  return lastError.c_str();
}

swde_status swde_schema_builtin(swde_schema** out) {
  return loadSchema(out, engine::Schema::kBuiltinName, [] { return engine::Schema::builtin(); });
}

swde_status swde_schema_load_file(const char* path, swde_schema** out) {
  return loadSchema(out, path != nullptr ? path : "",
                    [&] { return engine::Schema::fromFile(needText(path, "path")); });
}

swde_status swde_schema_load_memory(const char* data, size_t size, const char* name,
                                    swde_schema** out) {
  const std::string label = name != nullptr ? name : "<schema>";
  return loadSchema(out, label, [&] {
    return engine::Schema::fromText(std::string_view(needText(data, "data"), size), label);
  });
}

swde_status swde_schema_warnings(const swde_schema* schema, const char** out) {
  return guarded([&] {
    const char*& text = cleared(out);
    text = need(schema, "schema").warnings.c_str();
  });
}

void swde_schema_free(swde_schema* schema) {
  delete schema;
}

swde_status swde_options_create(swde_options** out) {
  return guarded([&] {
    cleared(out);
    *out = new swde_options();
  });
}

void swde_options_free(swde_options* options) {
  delete options;
}

swde_status swde_options_set_jobs(swde_options* options, unsigned jobs) {
  return guarded([&] {
    if (jobs > 256) {
      throw Failed{SWDE_ERROR_ARGUMENT, "jobs: " + std::to_string(jobs) + " is not in 0..256"};
    }
    need(options, "options").settings.jobs = jobs;
  });
}

swde_status swde_options_set_profile(swde_options* options, const char* profile) {
  return guarded([&] {
    swde_options& o = need(options, "options");
    const std::string name = needText(profile, "profile");
    if (name != "all" && name != "catalogue") {
      throw Failed{SWDE_ERROR_ARGUMENT,
                   "profile: \"" + name + "\" is neither \"all\" nor \"catalogue\""};
    }
    o.settings.documentChecks = name == "all";
  });
}

swde_status swde_options_set_today(swde_options* options, const char* today) {
  return guarded([&] {
    swde_options& o = need(options, "options");
    const std::string day = today != nullptr ? today : "";
    try {
      engine::requireDay(day);
    } catch (const std::invalid_argument& e) {
      throw Failed{SWDE_ERROR_ARGUMENT, std::string("today: ") + e.what()};
    }
    o.settings.today = day;
  });
}

swde_status swde_options_select(swde_options* options, const char* codes) {
  return addCodes(options, codes, true);
}

swde_status swde_options_ignore(swde_options* options, const char* codes) {
  return addCodes(options, codes, false);
}

swde_status swde_options_set_errors_only(swde_options* options, int errors_only) {
  return guarded([&] { need(options, "options").settings.filter.errorsOnly = errors_only != 0; });
}

swde_status swde_options_set_cancel(swde_options* options, int (*cancel)(void* user), void* user) {
  return guarded([&] {
    std::function<bool()>& cancelled = need(options, "options").settings.cancelled;
    cancelled = nullptr;
    if (cancel != nullptr) {
      cancelled = [cancel, user] { return cancel(user) != 0; };
    }
  });
}

swde_status swde_check_file(const swde_schema* schema, const char* path,
                            const swde_options* options, swde_report** out) {
  if (path == nullptr) {
    return guarded([&] {
      cleared(out);
      throw Failed{SWDE_ERROR_ARGUMENT, "path is NULL"};
    });
  }
  return checkDocument(out, [&] {
    return engine::checkFile(*schemaOr(schema), path, optionsOr(options), {},
                             swde::EscapeBytes(path, swde::Escape::kInvalid));
  });
}

swde_status swde_check_memory(const swde_schema* schema, const char* data, size_t size,
                              const char* name, const swde_options* options, swde_report** out) {
  if (data == nullptr && size > 0) {
    return guarded([&] {
      cleared(out);
      throw Failed{SWDE_ERROR_ARGUMENT, "data is NULL"};
    });
  }
  return checkDocument(out, [&] {
    return engine::checkBuffer(
        *schemaOr(schema), std::string_view(data, size),
        swde::EscapeBytes(name != nullptr ? name : "<memory>", swde::Escape::kInvalid),
        optionsOr(options));
  });
}

swde_status swde_check_stream(const swde_schema* schema, swde_read_fn read, void* user,
                              const char* name, const swde_options* options, swde_report** out) {
  if (read == nullptr) {
    return guarded([&] {
      cleared(out);
      throw Failed{SWDE_ERROR_ARGUMENT, "read is NULL"};
    });
  }
  CallbackBuffer buffer(read, user);
  std::istream in(&buffer);
  return checkDocument(out, [&] {
    return engine::checkStream(
        *schemaOr(schema), in, 0,
        swde::EscapeBytes(name != nullptr ? name : "<stream>", swde::Escape::kInvalid),
        optionsOr(options));
  });
}

void swde_report_free(swde_report* report) {
  delete report;
}

swde_status swde_report_count(const swde_report* report, swde_count which, uint64_t* out) {
  return guarded([&] {
    std::uint64_t& result = cleared(out);
    const swde_report& r = need(report, "report");
    switch (which) {
      case SWDE_COUNT_OBJECTS:
        result = r.report.totals.objects;
        return;
      case SWDE_COUNT_CHECKED:
        result = r.report.totals.checked;
        return;
      case SWDE_COUNT_ERRORS:
        result = r.report.totals.errors;
        return;
      case SWDE_COUNT_WARNINGS:
        result = r.report.totals.warnings;
        return;
      case SWDE_COUNT_FILTERED:
        result = r.report.totals.filtered;
        return;
      case SWDE_COUNT_FINDINGS:
        result = r.findings.size();
        return;
      case SWDE_COUNT_RANGE_:
        break;
    }
    throw Failed{SWDE_ERROR_ARGUMENT, "no count " + std::to_string(static_cast<int>(which))};
  });
}

swde_status swde_report_finding(const swde_report* report, size_t index, const swde_finding** out) {
  return guarded([&] {
    cleared(out);
    const swde_report& r = need(report, "report");
    if (index >= r.findings.size()) {
      throw Failed{SWDE_ERROR_RANGE,
                   "finding " + std::to_string(index) + " of " + std::to_string(r.findings.size())};
    }
    *out = &r.findings[index];
  });
}

swde_status swde_report_failure(const swde_report* report, const char** file, uint32_t* line,
                                uint32_t* column, const char** message) {
  put(file, nullptr);
  put(line, 0u);
  put(column, 0u);
  put(message, nullptr);
  return guarded([&] {
    if (const std::optional<engine::Failure>& failure = need(report, "report").report.failure) {
      put(file, failure->file.c_str());
      put(line, failure->line);
      put(column, failure->column);
      put(message, failure->message.c_str());
    }
  });
}

swde_status swde_report_json(const swde_report* report, const char** out) {
  return guarded([&] {
    cleared(out);
    const swde_report& r = need(report, "report");
    const std::lock_guard<std::mutex> lock(r.jsonMutex);
    if (!r.json) {
      std::ostringstream text;
      const auto sink = engine::makeOutputSink(engine::OutputFormat::kJson, text, {}, false);
      r.report.replay(*sink);
      r.json = text.str();
    }
    *out = r.json->c_str();
  });
}

swde_status swde_finding_file(const swde_finding* finding, const char** out) {
  return stringField(finding, out, [](const swde_finding& f) { return f.file.c_str(); });
}

swde_status swde_finding_line(const swde_finding* finding, uint32_t* out) {
  return guarded([&] {
    auto& result = cleared(out);
    result = findingOf(finding).finding.line;
  });
}

swde_status swde_finding_code(const swde_finding* finding, int* out) {
  return guarded([&] {
    auto& result = cleared(out);
    result = findingOf(finding).finding.code;
  });
}

swde_status swde_finding_severity(const swde_finding* finding, swde_severity* out) {
  return guarded([&] {
    swde_severity& result = cleared(out);
    result = findingOf(finding).finding.msgType == 0 ? SWDE_SEVERITY_ERROR : SWDE_SEVERITY_WARNING;
  });
}

swde_status swde_finding_type(const swde_finding* finding, const char** out) {
  return stringField(finding, out,
                     [](const swde_finding& f) { return f.finding.typeName.c_str(); });
}

swde_status swde_finding_object_id(const swde_finding* finding, uint32_t* out) {
  return guarded([&] {
    auto& result = cleared(out);
    result = findingOf(finding).finding.objectId;
  });
}

swde_status swde_finding_entry(const swde_finding* finding, uint32_t* id, const char** name) {
  put(id, 0u);
  put(name, nullptr);
  return guarded([&] {
    const engine::Finding& f = findingOf(finding).finding;
    if (f.hasEntry) {
      put(id, f.entryId);
      put(name, f.entry.c_str());
    }
  });
}

swde_status swde_finding_key(const swde_finding* finding, const char** out) {
  return stringField(finding, out,
                     [](const swde_finding& f) { return optionalText(f.finding.key); });
}

swde_status swde_finding_value(const swde_finding* finding, const char** out) {
  return stringField(finding, out,
                     [](const swde_finding& f) { return optionalText(f.finding.value); });
}

swde_status swde_finding_expected(const swde_finding* finding, const char** out) {
  return stringField(finding, out,
                     [](const swde_finding& f) { return optionalText(f.finding.expected); });
}

swde_status swde_finding_message(const swde_finding* finding, const char** out) {
  return stringField(finding, out, [](const swde_finding& f) { return f.finding.message.c_str(); });
}

swde_status swde_object_create(const char* type_name, const char* status, const char* base_type,
                               swde_object** out) {
  return guarded([&] {
    cleared(out);
    auto object = std::make_unique<swde_object>();
    object->typeName = toCp1250(needText(type_name, "type_name"), "type_name");
    object->status = toCp1250(status, "status");
    object->baseType = toCp1250(base_type, "base_type");
    *out = object.release();
  });
}

void swde_object_free(swde_object* object) {
  delete object;
}

swde_status swde_object_set_location(swde_object* object, uint32_t line, uint32_t id) {
  return guarded([&] {
    swde_object& o = need(object, "object");
    o.line = line;
    o.id = id;
  });
}

swde_status swde_object_add_attribute(swde_object* object, const char* name, const char* value,
                                      uint32_t line, uint32_t id) {
  return guarded([&] {
    swde_object::Entry entry;
    entry.name = toCp1250(needText(name, "name"), "name");
    entry.value = toCp1250(value, "value");
    entry.line = line;
    entry.id = id;
    need(object, "object").entries.push_back(std::move(entry));
  });
}

swde_status swde_object_add_relation(swde_object* object, const char* name, const char* target_type,
                                     const char* target, uint32_t line, uint32_t id) {
  return guarded([&] {
    swde_object::Entry entry;
    entry.relation = true;
    entry.name = toCp1250(needText(name, "name"), "name");
    entry.targetType = toCp1250(target_type, "target_type");
    entry.target = toCp1250(target, "target");
    entry.line = line;
    entry.id = id;
    need(object, "object").entries.push_back(std::move(entry));
  });
}

swde_status swde_object_check(const swde_object* object, const swde_schema* schema,
                              swde_report** out) {
  return swde_object_check_with(object, schema, nullptr, out);
}

swde_status swde_object_check_with(const swde_object* object, const swde_schema* schema,
                                   const swde_options* options, swde_report** out) {
  return guarded([&] {
    cleared(out);
    const std::unique_ptr<swde::smObject> built = build(need(object, "object"));
    *out = reportOf(engine::checkObject(*schemaOr(schema), *built, optionsOr(options))).release();
  });
}

swde_status swde_session_create(const swde_schema* schema, const swde_options* options,
                                const char* name, swde_session** out) {
  return guarded([&] {
    cleared(out);
    auto session = std::make_unique<swde_session>();
    session->schema = schemaOr(schema);
    engine::Options settings = optionsOr(options);
    settings.jobs = 1;  // objects come one at a time
    session->checker = std::make_unique<engine::Checker>(session->schema->metadata(), settings);
    session->sink = std::make_unique<engine::ReportSink>(session->report);
    session->session = std::make_unique<engine::Checker::Session>(
        *session->checker,
        swde::EscapeBytes(name != nullptr ? name : "<objects>", swde::Escape::kInvalid),
        *session->sink);
    *out = session.release();
  });
}

swde_status swde_session_add(swde_session* session, const swde_object* object) {
  return guarded([&] {
    swde_session& s = need(session, "session");
    const std::unique_ptr<swde::smObject> built = build(need(object, "object"));
    if (!s.session) {
      throw Failed{SWDE_ERROR_ARGUMENT, "the session is cancelled or finished"};
    }
    try {
      s.session->add(*built);
    } catch (const engine::Cancelled&) {
      s.session.reset();
      throw;
    }
  });
}

swde_status swde_session_finish(swde_session* session, swde_report** out) {
  return guarded([&] {
    cleared(out);
    swde_session& s = need(session, "session");
    if (!s.session) {
      throw Failed{SWDE_ERROR_ARGUMENT, "the session is cancelled or finished"};
    }
    s.session->finish(true, s.report.totals, nullptr);
    s.session.reset();
    *out = reportOf(std::move(s.report)).release();
  });
}

void swde_session_free(swde_session* session) {
  delete session;
}

}  // extern "C"
