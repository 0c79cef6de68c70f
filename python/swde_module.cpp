// swde — semantic checks of SWDE cadastral exchange objects.
//
// The Python module swde._swde: the C interface (swde/swde.h) as Python types. The package's
// __init__.py adds what is easier said in Python (paths, the exceptions, to_dict). Handles are
// held by shared pointers, so a finding keeps its report alive; the GIL is released while a
// document or an object is checked.
#include <memory>
#include <optional>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <string>
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

class Finding {
 public:
  Finding(ReportPtr report, const swde_finding* finding)
      : report_(std::move(report)), finding_(finding) {}

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

 private:
  std::uint32_t number(swde_status (*get)(const swde_finding*, std::uint32_t*)) const {
    std::uint32_t value = 0;
    ok(get(finding_, &value));
    return value;
  }

  ReportPtr report_;
  const swde_finding* finding_;
};

class Report {
 public:
  explicit Report(swde_report* report) : report_(report, swde_report_free) {}

  // One tuple, made on first use: indexing it in a loop stays cheap.
  py::tuple findings() {
    if (!findings_) {
      py::list all;
      const std::uint64_t size = count(SWDE_COUNT_FINDINGS);
      for (std::size_t i = 0; i < size; ++i) {
        const swde_finding* finding = nullptr;
        ok(swde_report_finding(report_.get(), i, &finding));
        all.append(py::cast(Finding(report_, finding)));
      }
      findings_ = py::tuple(std::move(all));
    }
    return *findings_;
  }
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
    return message == nullptr ? py::none()
                              : py::object(py::make_tuple(file, line, column, message));
  }

 private:
  ReportPtr report_;
  std::optional<py::tuple> findings_;
};

class Schema {
 public:
  explicit Schema(swde_schema* schema) : schema_(schema, swde_schema_free) {}
  static Schema builtin() {
    return make([](swde_schema** out) { return swde_schema_builtin(out); });
  }
  static Schema load(const std::string& path) {
    return make([&](swde_schema** out) { return swde_schema_load_file(path.c_str(), out); });
  }
  static Schema parse(const py::bytes& data, const std::string& name) {
    const std::string bytes = data;
    return make([&](swde_schema** out) {
      return swde_schema_load_memory(bytes.data(), bytes.size(), name.c_str(), out);
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

// Checks a document (a path, or the bytes of `data` when given); returns the report and the
// status, so that the package can raise ReadError with the report of what was found.
py::tuple checkDocument(const std::optional<std::string>& path,
                        const std::optional<py::bytes>& data, const std::string& name,
                        const std::optional<Schema>& schema, unsigned jobs,
                        const std::string& profile, const std::vector<std::string>& select,
                        const std::vector<std::string>& ignore, bool errorsOnly,
                        const std::string& today) {
  std::unique_ptr<swde_options, void (*)(swde_options*)> options(nullptr, swde_options_free);
  swde_options* raw = nullptr;
  ok(swde_options_create(&raw));
  options.reset(raw);
  ok(swde_options_set_jobs(raw, jobs));
  ok(swde_options_set_profile(raw, profile.c_str()));
  for (const std::string& codes : select) {
    ok(swde_options_select(raw, codes.c_str()));
  }
  for (const std::string& codes : ignore) {
    ok(swde_options_ignore(raw, codes.c_str()));
  }
  ok(swde_options_set_errors_only(raw, errorsOnly ? 1 : 0));
  ok(swde_options_set_today(raw, today.c_str()));
  const std::string bytes = data ? std::string(*data) : std::string();
  swde_report* report = nullptr;
  swde_status status = SWDE_OK;
  {
    const py::gil_scoped_release release;
    status = path ? swde_check_file(schemaOf(schema), path->c_str(), raw, &report)
                  : swde_check_memory(schemaOf(schema), bytes.data(), bytes.size(), name.c_str(),
                                      raw, &report);
  }
  if (report == nullptr) {
    raise(status);
  }
  return py::make_tuple(Report(report), status == SWDE_ERROR_READ);
}

class Object {
 public:
  Object(const std::string& type, const std::optional<std::string>& status,
         const std::optional<std::string>& baseType, std::uint32_t line, std::uint32_t id)
      : object_(nullptr, swde_object_free) {
    swde_object* raw = nullptr;
    ok(swde_object_create(type.c_str(), status ? status->c_str() : nullptr,
                          baseType ? baseType->c_str() : nullptr, &raw));
    object_.reset(raw);
    ok(swde_object_set_location(raw, line, id));
  }
  void addAttribute(const std::string& name, const std::optional<std::string>& value,
                    std::uint32_t line, std::uint32_t id) {
    ok(swde_object_add_attribute(object_.get(), name.c_str(), value ? value->c_str() : nullptr,
                                 line, id));
  }
  void addRelation(const std::string& name, const std::optional<std::string>& targetType,
                   const std::optional<std::string>& target, std::uint32_t line, std::uint32_t id) {
    ok(swde_object_add_relation(object_.get(), name.c_str(),
                                targetType ? targetType->c_str() : nullptr,
                                target ? target->c_str() : nullptr, line, id));
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
      .def_property_readonly("file", [](const Finding& f) { return f.string(swde_finding_file); })
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
      .def("to_json", &Report::json);

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

  m.def("check_document", &checkDocument);
}
