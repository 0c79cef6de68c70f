// swde — semantic checks of SWDE cadastral exchange objects.
//
// The Python module swde._swde: the C interface (swde/swde.h) as Python types. The package's
// __init__.py adds what is easier said in Python (paths, the exceptions, argument ranges,
// to_dict). Handles are held by shared pointers, so a finding keeps its report alive; the GIL is
// released while a document or an object is checked, and taken back now and then during a
// document check so that Ctrl-C can stop it.
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "swde/swde.h"

namespace py = pybind11;

namespace {

using ReportPtr = std::shared_ptr<swde_report>;
using SchemaPtr = std::shared_ptr<swde_schema>;

// Raises swde.Error (or a subclass named by the status) with the library's message.
[[noreturn]] void raise(swde_status status) {
  const py::module_ package = py::module_::import("swde");
  const char* name = status == SWDE_ERROR_SCHEMA     ? "SchemaError"
                     : status == SWDE_ERROR_ARGUMENT ? "ArgumentError"
                     : status == SWDE_ERROR_MEMORY   ? "MemoryError"
                                                     : "Error";
  const py::object type = std::string(name) == "MemoryError"
                              ? py::reinterpret_borrow<py::object>(PyExc_MemoryError)
                              : package.attr(name);
  PyErr_SetString(type.ptr(), swde_last_error());
  throw py::error_already_set();
}

void ok(swde_status status) {
  if (status != SWDE_OK) {
    raise(status);
  }
}

py::object text(const char* value) {
  return value == nullptr ? py::none() : py::object(py::str(value));
}

// `value` for the C interface, which would end it at a NUL.
const char* cText(const std::string& value, const char* what) {
  if (value.find('\0') != std::string::npos) {
    throw py::value_error(std::string(what) + ": embedded null character");
  }
  return value.c_str();
}

const char* cText(const std::optional<std::string>& value, const char* what) {
  return value ? cText(*value, what) : nullptr;
}

// An exception raised inside a callback of the C interface, kept (PyErr_Fetch) until the check
// has ended and raised then.
class PendingError {
 public:
  PendingError() = default;
  PendingError(const PendingError&) = delete;
  PendingError& operator=(const PendingError&) = delete;
  ~PendingError() {  // what was never raised
    Py_XDECREF(type_);
    Py_XDECREF(value_);
    Py_XDECREF(traceback_);
  }

  // Takes the exception now set. REQUIRES: the GIL, an exception set.
  void fetch() { PyErr_Fetch(&type_, &value_, &traceback_); }

  // Raises what was taken, if anything was. REQUIRES: the GIL.
  void raiseIfAny() {
    if (type_ != nullptr) {
      PyErr_Restore(std::exchange(type_, nullptr), std::exchange(value_, nullptr),
                    std::exchange(traceback_, nullptr));
      throw py::error_already_set();
    }
  }

 private:
  PyObject* type_ = nullptr;
  PyObject* value_ = nullptr;
  PyObject* traceback_ = nullptr;
};

// The cancel callback of a document check run from the main thread: no more often than every
// kInterval it takes the GIL and runs the signal handlers that are due (Ctrl-C's raises
// KeyboardInterrupt); what a handler raises stops the check and is raised when it has ended.
class Interrupt {
 public:
  static constexpr std::chrono::milliseconds kInterval{100};

  static int poll(void* self) { return static_cast<Interrupt*>(self)->poll(); }

  // Raises what a handler raised, if one did. REQUIRES: the GIL.
  void raiseIfAny() { error_.raiseIfAny(); }

 private:
  int poll() {
    const auto now = std::chrono::steady_clock::now();
    if (now < next_) {
      return 0;
    }
    next_ = now + kInterval;
    const py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() == 0) {
      return 0;
    }
    error_.fetch();
    return 1;
  }

  std::chrono::steady_clock::time_point next_ = std::chrono::steady_clock::now() + kInterval;
  PendingError error_;
};

class Finding {
 public:
  Finding(ReportPtr report, const swde_finding* finding, py::object file)
      : report_(std::move(report)), finding_(finding), file_(std::move(file)) {}

  // The name the document was given, as it was given (the C interface's is UTF-8).
  py::object file() const { return file_.is_none() ? string(swde_finding_file) : file_; }

  py::object string(swde_status (*get)(const swde_finding*, const char**)) const {
    const char* value = nullptr;
    ok(get(finding_, &value));
    return text(value);
  }
  std::uint32_t line() const { return number(swde_finding_line); }
  std::uint32_t objectId() const { return number(swde_finding_object_id); }
  int code() const {
    int value = 0;
    ok(swde_finding_code(finding_, &value));
    return value;
  }
  std::string severity() const {
    swde_severity value = SWDE_SEVERITY_ERROR;
    ok(swde_finding_severity(finding_, &value));
    return value == SWDE_SEVERITY_ERROR ? "error" : "warning";
  }
  py::object entryId() const {
    std::uint32_t id = 0;
    const char* name = nullptr;
    ok(swde_finding_entry(finding_, &id, &name));
    return name == nullptr ? py::none() : py::object(py::int_(id));
  }
  py::object entry() const {
    const char* name = nullptr;
    ok(swde_finding_entry(finding_, nullptr, &name));
    return text(name);
  }
  // (file, line, code, severity, type, object_id, entry_id, entry, key, value, expected,
  // message): the package's Finding, made in one call.
  py::tuple values() const {
    return py::make_tuple(file(), line(), code(), severity(), string(swde_finding_type), objectId(),
                          entryId(), entry(), string(swde_finding_key), string(swde_finding_value),
                          string(swde_finding_expected), string(swde_finding_message));
  }

 private:
  std::uint32_t number(swde_status (*get)(const swde_finding*, std::uint32_t*)) const {
    std::uint32_t value = 0;
    ok(get(finding_, &value));
    return value;
  }

  ReportPtr report_;
  const swde_finding* finding_;
  py::object file_;  // None: the C interface's
};

class Report {
 public:
  // `file`: what the findings and the failure give as their file (None: the C interface's name).
  explicit Report(swde_report* report, py::object file = py::none())
      : report_(report, swde_report_free), file_(std::move(file)) {}

  // One tuple, made on first use: indexing it in a loop stays cheap.
  py::tuple findings() {
    if (!findings_) {
      py::list all;
      const std::uint64_t size = count(SWDE_COUNT_FINDINGS);
      for (std::size_t i = 0; i < size; ++i) {
        const swde_finding* finding = nullptr;
        ok(swde_report_finding(report_.get(), i, &finding));
        all.append(py::cast(Finding(report_, finding, file_)));
      }
      findings_ = py::tuple(std::move(all));
    }
    return *findings_;
  }
  // Finding::values() of each finding, in document order.
  py::list rows() const {
    py::list all;
    const std::uint64_t size = count(SWDE_COUNT_FINDINGS);
    for (std::size_t i = 0; i < size; ++i) {
      const swde_finding* finding = nullptr;
      ok(swde_report_finding(report_.get(), i, &finding));
      all.append(Finding(report_, finding, file_).values());
    }
    return all;
  }
  py::object file() const { return file_; }
  std::uint64_t count(swde_count which) const {
    std::uint64_t value = 0;
    ok(swde_report_count(report_.get(), which, &value));
    return value;
  }
  std::string json() const {
    const char* value = nullptr;
    ok(swde_report_json(report_.get(), &value));
    return value;
  }
  // None, or (file, line, column, message).
  py::object failure() const {
    const char* file = nullptr;
    const char* message = nullptr;
    std::uint32_t line = 0;
    std::uint32_t column = 0;
    ok(swde_report_failure(report_.get(), &file, &line, &column, &message));
    if (message == nullptr) {
      return py::none();
    }
    return py::make_tuple(file_.is_none() ? text(file) : file_, line, column, message);
  }

 private:
  ReportPtr report_;
  py::object file_;
  std::optional<py::tuple> findings_;
};

class Schema {
 public:
  explicit Schema(swde_schema* schema) : schema_(schema, swde_schema_free) {}
  static Schema builtin() {
    return make([](swde_schema** out) { return swde_schema_builtin(out); });
  }
  // `path` and `name` are the bytes the package made of them (os.fsencode).
  static Schema load(const py::bytes& path) {
    const std::string bytes = path;
    return make([&](swde_schema** out) { return swde_schema_load_file(bytes.c_str(), out); });
  }
  static Schema parse(const py::bytes& data, const py::bytes& name) {
    const std::string bytes = data;
    const std::string label = name;
    return make([&](swde_schema** out) {
      return swde_schema_load_memory(bytes.data(), bytes.size(), label.c_str(), out);
    });
  }
  const swde_schema* get() const { return schema_.get(); }
  std::string warnings() const {
    const char* text = nullptr;
    ok(swde_schema_warnings(schema_.get(), &text));
    return text;
  }

 private:
  template <typename Load>
  static Schema make(Load&& load) {
    swde_schema* schema = nullptr;
    swde_status status = SWDE_OK;
    {
      const py::gil_scoped_release release;
      status = load(&schema);
    }
    ok(status);
    return Schema(schema);
  }
  SchemaPtr schema_;
};

const swde_schema* schemaOf(const std::optional<Schema>& schema) {
  return schema ? schema->get() : nullptr;
}

// The read callback of a document read from a Python file object: stream.read(size), the GIL
// taken meanwhile. What read() raises, or a result that is not bytes, ends the reading and is
// raised when the check has ended.
class StreamReader {
 public:
  explicit StreamReader(py::object stream) : read_(stream.attr("read")) {}

  static long long read(void* self, char* buffer, std::size_t size) {
    return static_cast<StreamReader*>(self)->read(buffer, size);
  }

  // Raises what read() raised, if it did. REQUIRES: the GIL.
  void raiseIfAny() { error_.raiseIfAny(); }

 private:
  long long read(char* buffer, std::size_t size) {
    const py::gil_scoped_acquire gil;
    try {
      const py::object chunk = read_(size);
      if (!PyBytes_Check(chunk.ptr())) {
        throw py::type_error("read() gave " +
                             std::string(py::str(chunk.get_type().attr("__name__"))) +
                             ", not bytes: open the document in binary mode");
      }
      const std::string_view bytes =
          PyBytes_AsString(chunk.ptr()) == nullptr
              ? std::string_view()
              : std::string_view(PyBytes_AsString(chunk.ptr()),
                                 static_cast<std::size_t>(PyBytes_Size(chunk.ptr())));
      const std::size_t n = std::min(bytes.size(), size);
      std::copy_n(bytes.data(), n, buffer);
      return static_cast<long long>(n);
    } catch (py::error_already_set& e) {
      e.restore();
    } catch (const py::builtin_exception& e) {
      e.set_error();
    }
    error_.fetch();
    return -1;
  }

  py::object read_;
  PendingError error_;
};

// Checks a document: the file at `label` (os.fsencode of the path), or the bytes of `data`
// when given, named `label`; `file` is what the report gives back as its file. Returns the
// report and whether the document could not be read to its end, so that the package can raise
// ReadError with the report of what was found. `interruptible`: Python's signal handlers run
// during the check (called from the main thread), and what they raise ends it.
py::tuple checkDocument(const py::bytes& label, const std::optional<py::bytes>& data,
                        const py::str& file, const std::optional<Schema>& schema, unsigned jobs,
                        const std::string& profile, const std::vector<std::string>& select,
                        const std::vector<std::string>& ignore, bool errorsOnly,
                        const std::string& today, bool interruptible, const py::object& stream) {
  std::unique_ptr<swde_options, void (*)(swde_options*)> options(nullptr, swde_options_free);
  swde_options* raw = nullptr;
  ok(swde_options_create(&raw));
  options.reset(raw);
  ok(swde_options_set_jobs(raw, jobs));
  ok(swde_options_set_profile(raw, cText(profile, "profile")));
  for (const std::string& codes : select) {
    ok(swde_options_select(raw, cText(codes, "select")));
  }
  for (const std::string& codes : ignore) {
    ok(swde_options_ignore(raw, cText(codes, "ignore")));
  }
  ok(swde_options_set_errors_only(raw, errorsOnly ? 1 : 0));
  ok(swde_options_set_today(raw, cText(today, "today")));
  Interrupt interrupt;
  if (interruptible) {
    ok(swde_options_set_cancel(raw, &Interrupt::poll, &interrupt));
  }
  std::optional<StreamReader> reader;
  if (!stream.is_none()) {
    reader.emplace(stream);
  }
  const std::string name = label;
  const std::string bytes = data ? std::string(*data) : std::string();
  swde_report* made = nullptr;
  swde_status status = SWDE_OK;
  {
    const py::gil_scoped_release release;
    status = data ? swde_check_memory(schemaOf(schema), bytes.data(), bytes.size(), name.c_str(),
                                      raw, &made)
             : reader ? swde_check_stream(schemaOf(schema), &StreamReader::read, &*reader,
                                          name.c_str(), raw, &made)
                      : swde_check_file(schemaOf(schema), name.c_str(), raw, &made);
  }
  std::optional<Report> report;
  if (made != nullptr) {
    report.emplace(made, file);
  }
  interrupt.raiseIfAny();
  if (reader) {
    reader->raiseIfAny();
  }
  if (!report) {
    raise(status);
  }
  return py::make_tuple(*report, status == SWDE_ERROR_READ);
}

class Object {
 public:
  Object(const std::string& type, const std::optional<std::string>& status,
         const std::optional<std::string>& baseType, std::uint32_t line, std::uint32_t id)
      : object_(nullptr, swde_object_free) {
    swde_object* raw = nullptr;
    ok(swde_object_create(cText(type, "type"), cText(status, "status"),
                          cText(baseType, "base_type"), &raw));
    object_.reset(raw);
    ok(swde_object_set_location(raw, line, id));
  }
  void addAttribute(const std::string& name, const std::optional<std::string>& value,
                    std::uint32_t line, std::uint32_t id) {
    ok(swde_object_add_attribute(object_.get(), cText(name, "name"), cText(value, "value"), line,
                                 id));
  }
  void addRelation(const std::string& name, const std::optional<std::string>& targetType,
                   const std::optional<std::string>& target, std::uint32_t line, std::uint32_t id) {
    ok(swde_object_add_relation(object_.get(), cText(name, "name"),
                                cText(targetType, "target_type"), cText(target, "target"), line,
                                id));
  }
  Report check(const std::optional<Schema>& schema) const {
    swde_report* report = nullptr;
    swde_status status = SWDE_OK;
    {
      const py::gil_scoped_release release;
      status = swde_object_check(object_.get(), schemaOf(schema), &report);
    }
    ok(status);
    return Report(report);
  }

 private:
  std::unique_ptr<swde_object, void (*)(swde_object*)> object_;
};

}  // namespace

PYBIND11_MODULE(_swde, m) {
  m.doc() = "Bindings of the swde C interface; use the package swde.";
  m.attr("version") = swde_version();
  m.attr("c_api_version") = swde_c_api_version();

  py::class_<Finding>(m, "Finding")
      .def_property_readonly("file", &Finding::file)
      .def_property_readonly("line", &Finding::line)
      .def_property_readonly("code", &Finding::code)
      .def_property_readonly("severity", &Finding::severity)
      .def_property_readonly("type", [](const Finding& f) { return f.string(swde_finding_type); })
      .def_property_readonly("object_id", &Finding::objectId)
      .def_property_readonly("entry_id", &Finding::entryId)
      .def_property_readonly("entry", &Finding::entry)
      .def_property_readonly("key", [](const Finding& f) { return f.string(swde_finding_key); })
      .def_property_readonly("value", [](const Finding& f) { return f.string(swde_finding_value); })
      .def_property_readonly("expected",
                             [](const Finding& f) { return f.string(swde_finding_expected); })
      .def_property_readonly("message",
                             [](const Finding& f) { return f.string(swde_finding_message); });

  py::class_<Report>(m, "Report")
      .def_property_readonly("findings", &Report::findings)
      .def_property_readonly("objects", [](const Report& r) { return r.count(SWDE_COUNT_OBJECTS); })
      .def_property_readonly("checked", [](const Report& r) { return r.count(SWDE_COUNT_CHECKED); })
      .def_property_readonly("errors", [](const Report& r) { return r.count(SWDE_COUNT_ERRORS); })
      .def_property_readonly("warnings",
                             [](const Report& r) { return r.count(SWDE_COUNT_WARNINGS); })
      .def_property_readonly("filtered",
                             [](const Report& r) { return r.count(SWDE_COUNT_FILTERED); })
      .def_property_readonly("failure", &Report::failure)
      .def("to_json", &Report::json)
      .def("rows", &Report::rows)
      .def_property_readonly("file", &Report::file);

  py::class_<Schema>(m, "Schema")
      .def_static("builtin", &Schema::builtin)
      .def_static("load", &Schema::load)
      .def_static("parse", &Schema::parse)
      .def_property_readonly("warnings", &Schema::warnings);

  py::class_<Object>(m, "Object")
      .def(py::init<const std::string&, const std::optional<std::string>&,
                    const std::optional<std::string>&, std::uint32_t, std::uint32_t>())
      .def("add_attribute", &Object::addAttribute)
      .def("add_relation", &Object::addRelation)
      .def("check", &Object::check);

  m.def("check_document", &checkDocument, py::arg("label"), py::arg("data"), py::arg("file"),
        py::arg("schema"), py::arg("jobs"), py::arg("profile"), py::arg("select"),
        py::arg("ignore"), py::arg("errors_only"), py::arg("today"), py::arg("interruptible"),
        py::arg("stream") = py::none());
}
