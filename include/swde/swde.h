/* swde — semantic checks of SWDE cadastral exchange objects. */
#ifndef SWDE_SWDE_H_
#define SWDE_SWDE_H_

/* The C interface: valid C99 and C++, for any language with a foreign-function interface.
 *
 * ABI rule. Every symbol is named swde_..., every type is a handle to a structure whose layout is
 * not public, and the functions of one SWDE_C_API_VERSION keep their signatures; later versions
 * only add functions and enumerators. Handles are created and freed by the library. No C++ type or
 * exception crosses this interface: every function that can fail returns a swde_status, and
 * swde_last_error() says why; what its out pointers point to is then NULL or 0 (but for the report
 * of SWDE_ERROR_READ, see swde_check_file). Every string, in and out, ends with a NUL. Texts passed
 * in are UTF-8, except paths, which go to the system as they are, and the names that label a
 * document or a schema, which may hold any bytes. Strings handed out are always UTF-8: where one
 * repeats a path or name, each of its bytes that is not part of well-formed UTF-8 is written as the
 * four characters "\xHH" (HH: its value in upper-case hexadecimal). Strings handed out belong to
 * the handle they came from and stay valid until it is freed.
 *
 * See docs/c-api.md for the reference: each function, who owns what, and threads. */

#include <stddef.h>
#include <stdint.h>

/* 2 added swde_options_set_cancel and SWDE_CANCELLED; 3 added swde_object_check_with; 4 added
 * swde_check_stream; 5 added the document sessions (swde_session_...). */
#define SWDE_C_API_VERSION 5

#if defined(_WIN32) && defined(SWDE_C_SHARED)
#if defined(SWDE_C_BUILDING)
#define SWDE_C_EXPORT __declspec(dllexport)
#else
#define SWDE_C_EXPORT __declspec(dllimport)
#endif
#elif defined(__GNUC__) || defined(__clang__)
#define SWDE_C_EXPORT __attribute__((visibility("default")))
#else
#define SWDE_C_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef enum swde_status {
  SWDE_OK = 0,
  SWDE_ERROR_ARGUMENT = 1, /* a null handle or pointer, a bad option, text that is not UTF-8 */
  SWDE_ERROR_READ = 2,     /* a document could not be opened or read to its end */
  SWDE_ERROR_SCHEMA = 3,   /* a reference schema could not be opened or read */
  SWDE_ERROR_RANGE = 4,    /* an index past the end */
  SWDE_ERROR_MEMORY = 5,   /* out of memory */
  SWDE_ERROR_INTERNAL = 6, /* anything else; a defect of the library */
  SWDE_CANCELLED = 7       /* the options' cancel callback stopped the check */
} swde_status;

typedef enum swde_severity { SWDE_SEVERITY_ERROR = 0, SWDE_SEVERITY_WARNING = 1 } swde_severity;

/* What swde_report_count counts. */
typedef enum swde_count {
  SWDE_COUNT_OBJECTS = 0,  /* objects read */
  SWDE_COUNT_CHECKED = 1,  /* objects the checks did not turn away */
  SWDE_COUNT_ERRORS = 2,   /* findings of severity error */
  SWDE_COUNT_WARNINGS = 3, /* findings of severity warning */
  SWDE_COUNT_FILTERED = 4, /* findings the options' select, ignore or severity left out */
  SWDE_COUNT_FINDINGS = 5, /* findings listed in the report */
  /* Not a count: makes the type hold any int, so that a value from an older or newer host is
     refused with SWDE_ERROR_ARGUMENT rather than being out of the type's range. */
  SWDE_COUNT_RANGE_ = 0x7FFFFFFF
} swde_count;

typedef struct swde_schema swde_schema;   /* a reference schema */
typedef struct swde_options swde_options; /* how a document is checked */
typedef struct swde_report swde_report;   /* the findings of one document or one object */
typedef struct swde_finding swde_finding; /* one finding, owned by its report */
typedef struct swde_object swde_object;   /* one object built field by field */
typedef struct swde_session swde_session; /* a document of objects built field by field */

/* --- Versions and errors */

/* The library's version, "MAJOR.MINOR.PATCH". */
SWDE_C_EXPORT const char* swde_version(void);
/* The SWDE_C_API_VERSION the library was built with. */
SWDE_C_EXPORT int swde_c_api_version(void);
/* What the last failed call on this thread went wrong with; "" when none failed yet. Valid until
 * the next failing call on this thread. */
SWDE_C_EXPORT const char* swde_last_error(void);

/* --- Reference schemas */

/* The reference schema built into the library. */
SWDE_C_EXPORT swde_status swde_schema_builtin(swde_schema** out);
/* A reference schema (annex) read from the file at `path`. SWDE_ERROR_SCHEMA when it cannot
 * be read, and when it has semantic mistakes, each a line "NAME:LINE: MESSAGE" of
 * swde_last_error(): an attribute base type of no known meaning, an attribute no ATTRIBS_SECT
 * declares, a relation target no TYPES_SECT defines. */
SWDE_C_EXPORT swde_status swde_schema_load_file(const char* path, swde_schema** out);
/* The same from `size` bytes at `data`; `name` (may be NULL) stands for the file in errors. */
SWDE_C_EXPORT swde_status swde_schema_load_memory(const char* data, size_t size, const char* name,
                                                  swde_schema** out);
/* The schema's doubtful definitions, "NAME:LINE: MESSAGE" lines ("" when none): a declaration no
 * record type uses, a record type without attributes, a relation without targets, shares summed
 * over an attribute that is not a fraction. A loaded schema without key, check or shares marks of
 * its own takes the built-in schema's, and its first line says so: "NAME:0: marks: built-in
 * (...)", or "NAME:0: marks: none (...)" when the two share nothing marked. Owned by the schema. */
SWDE_C_EXPORT swde_status swde_schema_warnings(const swde_schema* schema, const char** out);
/* Frees the schema; NULL is allowed. REQUIRES: no call using it is running. */
SWDE_C_EXPORT void swde_schema_free(swde_schema* schema);

/* --- Options of a document check */

/* Options with the defaults: one job, profile "all", every code, every severity. */
SWDE_C_EXPORT swde_status swde_options_create(swde_options** out);
SWDE_C_EXPORT void swde_options_free(swde_options* options);
/* Threads that check the document, 1 to 256; 0 means one per core. */
SWDE_C_EXPORT swde_status swde_options_set_jobs(swde_options* options, unsigned jobs);
/* "all" (the object checks and the document checks) or "catalogue" (the object checks only). */
SWDE_C_EXPORT swde_status swde_options_set_profile(swde_options* options, const char* profile);
/* The day of the check, "rrrr.mm.dd": the document checks report dates after it. NULL or "":
 * the day the check runs. */
SWDE_C_EXPORT swde_status swde_options_set_today(swde_options* options, const char* today);
/* Lists only the codes of `codes` ("6001,6002,6020-6022"); called again, adds to the list. */
SWDE_C_EXPORT swde_status swde_options_select(swde_options* options, const char* codes);
/* Leaves out the codes of `codes` (the same syntax). */
SWDE_C_EXPORT swde_status swde_options_ignore(swde_options* options, const char* codes);
/* Leaves out warnings when `errors_only` is non-zero. */
SWDE_C_EXPORT swde_status swde_options_set_errors_only(swde_options* options, int errors_only);
/* A document check with these options calls `cancel(user)` on the thread that called
 * swde_check_*, between objects and, while it waits for its workers, every 10 ms or so; a
 * non-zero answer stops the check within about that time: it returns SWDE_CANCELLED, *out NULL,
 * its worker threads ended. Keep it quick: it may be called a million times a second. NULL
 * `cancel`: never cancelled (the default). */
SWDE_C_EXPORT swde_status swde_options_set_cancel(swde_options* options, int (*cancel)(void* user),
                                                  void* user);

/* --- Checking a document */

/* Checks the transfer document at `path` against `schema` (NULL: the built-in one) with
 * `options` (NULL: the defaults) and makes a report that the caller frees. Returns SWDE_OK when
 * the document was read to its end, whatever it holds. Returns SWDE_ERROR_READ when it could not
 * be: *out then still holds a report of what was found before the failure, and
 * swde_report_failure gives the failure's location. SWDE_CANCELLED: see swde_options_set_cancel.
 * Any other failure leaves *out NULL. */
SWDE_C_EXPORT swde_status swde_check_file(const swde_schema* schema, const char* path,
                                          const swde_options* options, swde_report** out);
/* The same for `size` bytes at `data`; `name` (may be NULL: "<memory>") labels the findings. */
SWDE_C_EXPORT swde_status swde_check_memory(const swde_schema* schema, const char* data,
                                            size_t size, const char* name,
                                            const swde_options* options, swde_report** out);

/* The same for a document read piece by piece, as it comes (a pipe, a socket, a decompressor):
 * `read` puts up to `size` bytes into `buffer` and returns how many it put, 0 at the end, or a
 * negative number when it cannot read (the check then ends as at the end of the document, with
 * SWDE_ERROR_READ if the document is incomplete there). It is called from one thread at a time,
 * not always the caller's. `name` (may be NULL: "<stream>") labels the findings. */
typedef long long (*swde_read_fn)(void* user, char* buffer, size_t size);
SWDE_C_EXPORT swde_status swde_check_stream(const swde_schema* schema, swde_read_fn read,
                                            void* user, const char* name,
                                            const swde_options* options, swde_report** out);

/* --- Reports */

SWDE_C_EXPORT void swde_report_free(swde_report* report);
SWDE_C_EXPORT swde_status swde_report_count(const swde_report* report, swde_count which,
                                            uint64_t* out);
/* The finding at `index` (from 0, in document order), owned by the report. */
SWDE_C_EXPORT swde_status swde_report_finding(const swde_report* report, size_t index,
                                              const swde_finding** out);
/* Why the document could not be read to its end: *message is NULL when it was; else *line and
 * *column locate the failure (0 when it has no position) in *file. Any out pointer may be NULL. */
SWDE_C_EXPORT swde_status swde_report_failure(const swde_report* report, const char** file,
                                              uint32_t* line, uint32_t* column,
                                              const char** message);
/* The report as the JSON document of docs/report.schema.json (what swde-check --format json
 * writes for the same input), owned by the report. */
SWDE_C_EXPORT swde_status swde_report_json(const swde_report* report, const char** out);

/* --- Findings. Strings of a field that does not apply are NULL. */

SWDE_C_EXPORT swde_status swde_finding_file(const swde_finding* finding, const char** out);
/* The line of the attribute or relation concerned, else of the object. */
SWDE_C_EXPORT swde_status swde_finding_line(const swde_finding* finding, uint32_t* out);
SWDE_C_EXPORT swde_status swde_finding_code(const swde_finding* finding, int* out);
SWDE_C_EXPORT swde_status swde_finding_severity(const swde_finding* finding, swde_severity* out);
/* The object's record type. */
SWDE_C_EXPORT swde_status swde_finding_type(const swde_finding* finding, const char** out);
SWDE_C_EXPORT swde_status swde_finding_object_id(const swde_finding* finding, uint32_t* out);
/* The attribute or relation concerned: its id and name; *name is NULL (and *id 0) for a
 * finding about the object as a whole. Either out pointer may be NULL. */
SWDE_C_EXPORT swde_status swde_finding_entry(const swde_finding* finding, uint32_t* id,
                                             const char** name);
/* The object's identifying value (the schema's key attribute). */
SWDE_C_EXPORT swde_status swde_finding_key(const swde_finding* finding, const char** out);
/* The offending value ("" for an empty one). */
SWDE_C_EXPORT swde_status swde_finding_value(const swde_finding* finding, const char** out);
/* What the rule expected. */
SWDE_C_EXPORT swde_status swde_finding_expected(const swde_finding* finding, const char** out);
/* The catalogue's text of the code, its placeholders filled. */
SWDE_C_EXPORT swde_status swde_finding_message(const swde_finding* finding, const char** out);

/* --- One object built field by field, for a host with its own reader */

/* A new object of record type `type_name`; `status` and `base_type` may be NULL (empty). */
SWDE_C_EXPORT swde_status swde_object_create(const char* type_name, const char* status,
                                             const char* base_type, swde_object** out);
SWDE_C_EXPORT void swde_object_free(swde_object* object);
/* The object's line and id, as the findings show them. */
SWDE_C_EXPORT swde_status swde_object_set_location(swde_object* object, uint32_t line, uint32_t id);
/* Adds the attribute `name` with `value` (NULL: empty) at `line`, with `id`; `id` 0 stands for
 * the entry's ordinal among the object's attributes, from 1 (relations are counted apart). The
 * findings name the entry they are about whatever its line and id. */
SWDE_C_EXPORT swde_status swde_object_add_attribute(swde_object* object, const char* name,
                                                    const char* value, uint32_t line, uint32_t id);
/* Adds the relation `name` to an object of record type `target_type` named `target` (its key
 * value, or its object id; NULL: none named) at `line`, with `id` (0: its ordinal among the
 * object's relations). */
SWDE_C_EXPORT swde_status swde_object_add_relation(swde_object* object, const char* name,
                                                   const char* target_type, const char* target,
                                                   uint32_t line, uint32_t id);
/* Checks the object against `schema` (NULL: the built-in one) as a document check would, the
 * checks across objects aside, and makes a report of its findings that the caller frees. The
 * object is left as it was: it may be changed and checked again. */
SWDE_C_EXPORT swde_status swde_object_check(const swde_object* object, const swde_schema* schema,
                                            swde_report** out);
/* swde_object_check with `options` (NULL: the defaults), taken as a document check takes them:
 * the day of the check, the profile ("catalogue" leaves out the checks of the object's own
 * values), select, ignore and errors-only (what they leave out is counted as
 * SWDE_COUNT_FILTERED). Jobs and the cancel callback do not apply to one object. */
SWDE_C_EXPORT swde_status swde_object_check_with(const swde_object* object,
                                                 const swde_schema* schema,
                                                 const swde_options* options, swde_report** out);

/* --- A document of objects built field by field: the checks across objects too */

/* A new document named `name` (NULL: "<objects>") whose objects are checked against `schema`
 * (NULL: the built-in one) with `options` (NULL: the defaults) as a document's are, one by one
 * as they are added. The schema and the options may be freed once the session is made. */
SWDE_C_EXPORT swde_status swde_session_create(const swde_schema* schema,
                                              const swde_options* options, const char* name,
                                              swde_session** out);
/* Checks `object` as the document's next object: its own findings, then what the checks across
 * objects tell at once (a key used before: 7001). The object is left as it was. SWDE_CANCELLED
 * when the options' cancel callback says so; a session cancelled or finished takes no more
 * objects (SWDE_ERROR_ARGUMENT). */
SWDE_C_EXPORT swde_status swde_session_add(swde_session* session, const swde_object* object);
/* Ends the document: what only its end tells (a reference never resolved: 7002, shares that do
 * not add up: 7030, ...) follows the objects' findings, and a report of them all is made that
 * the caller frees. Once only. */
SWDE_C_EXPORT swde_status swde_session_finish(swde_session* session, swde_report** out);
SWDE_C_EXPORT void swde_session_free(swde_session* session);

#ifdef __cplusplus
}
#endif

#endif /* SWDE_SWDE_H_ */
