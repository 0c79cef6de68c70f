/* swde — semantic checks of SWDE cadastral exchange objects.
 * The C interface at its edges, one row of a table per case: calls that must fail (and leak
 * nothing: the program runs under LeakSanitizer), names that are not UTF-8 (every string handed
 * out is UTF-8, such bytes written as "\xHH"), and checks stopped by their cancel callback.
 * Arguments: examples/faults.xml, a schema with mistakes, a schema with doubtful definitions.
 * Exit status 0 when every row holds; each row that does not is printed. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <swde/swde.h>

static const char* faults;  /* argv[1] */
static char* faults_text;   /* its text */
static char* mistakes;      /* the text of argv[2] */
static char* doubtful;      /* the text of argv[3] */
static char seen[512];      /* what a case kept, compared with its row's `text` */
static swde_report* report; /* what a check made; freed after each row */

static const char kDocument[] = /* one finding: 6028 (the postal code) at line 4 */
    "<?xml version=\"1.0\"?>\n<SWDE>\n<OBJECT name=\"G5ADR\" base_type=\"RD\" status=\"00\">"
    "<ATTRIBUTES>\n<ATTR name=\"G5KOD\" value_str=\"32420\"/>\n</ATTRIBUTES></OBJECT></SWDE>\n";
static const char kBadSchema[] = "<SWDE><TYPES_SECT><OBJECT name=\"X\"/></TYPES_SECT></SWDE>";

static void keep(const char* text) {
  snprintf(seen, sizeof seen, "%s", text != NULL ? text : "(null)");
}

static char* slurp(const char* path) {
  FILE* file = fopen(path, "rb");
  char* text = calloc(1 << 16, 1);
  if (file == NULL || text == NULL || fread(text, 1, (1 << 16) - 1, file) == 0) {
    fprintf(stderr, "cannot read %s\n", path);
    exit(2);
  }
  fclose(file);
  return text;
}

/* --- Options */

static swde_status options_out_null(void) {
  return swde_options_create(NULL);
}

/* `set` applied to fresh options, which are then freed. */
static swde_status with_options(swde_status (*set)(swde_options*)) {
  swde_options* options = NULL;
  swde_status status = swde_options_create(&options);
  if (status == SWDE_OK) {
    status = set(options);
  }
  swde_options_free(options);
  return status;
}
static swde_status set_257_jobs(swde_options* o) {
  return swde_options_set_jobs(o, 257);
}
static swde_status set_no_profile(swde_options* o) {
  return swde_options_set_profile(o, NULL);
}
static swde_status select_unknown(swde_options* o) {
  return swde_options_select(o, "6001,9999");
}
static swde_status ignore_backwards(swde_options* o) {
  return swde_options_ignore(o, "6022-6020");
}
static swde_status set_not_a_day(swde_options* o) {
  return swde_options_set_today(o, "2025.02.30");
}
static swde_status jobs_too_many(void) {
  return with_options(set_257_jobs);
}
static swde_status profile_null(void) {
  return with_options(set_no_profile);
}
static swde_status codes_unknown(void) {
  return with_options(select_unknown);
}
static swde_status codes_backwards(void) {
  return with_options(ignore_backwards);
}
static swde_status today_not_a_day(void) {
  return with_options(set_not_a_day);
}

static int polls;
static int cancel_at; /* the poll that cancels; 0: none */
static int count_polls(void* user) {
  return ++*(int*)user == cancel_at;
}
static swde_status cancel_options_null(void) {
  return swde_options_set_cancel(NULL, count_polls, &polls);
}

/* --- Schemas */

static swde_status builtin_out_null(void) {
  return swde_schema_builtin(NULL);
}
static swde_status schema_path_null(void) {
  swde_schema* schema = NULL;
  return swde_schema_load_file(NULL, &schema);
}
static swde_status schema_missing(void) {
  swde_schema* schema = NULL;
  return swde_schema_load_file("no/such/annex.xml", &schema);
}
static swde_status schema_bad_bytes_name(void) {
  swde_schema* schema = NULL;
  return swde_schema_load_memory(kBadSchema, sizeof kBadSchema - 1,
                                 "\xff"
                                 "annex.xml",
                                 &schema);
}
static swde_status schema_mistakes_bad_bytes_name(void) {
  swde_schema* schema = NULL;
  return swde_schema_load_memory(mistakes, strlen(mistakes), "a\xfe.xml", &schema);
}
static swde_status schema_doubts_bad_bytes_name(void) {
  swde_schema* schema = NULL;
  const char* warnings = NULL;
  swde_status status = swde_schema_load_memory(doubtful, strlen(doubtful), "a\xfe.xml", &schema);
  if (status == SWDE_OK) {
    status = swde_schema_warnings(schema, &warnings);
    keep(warnings);
    seen[strcspn(seen, "\n")] = '\0';
  }
  swde_schema_free(schema);
  return status;
}

/* --- Checks, and the strings of their reports */

static swde_status check_out_null(void) {
  return swde_check_file(NULL, faults, NULL, NULL);
}
static swde_status check_path_null(void) {
  return swde_check_file(NULL, NULL, NULL, &report);
}
static swde_status check_data_null(void) {
  return swde_check_memory(NULL, NULL, 5, "x.xml", NULL, &report);
}
static swde_status check_missing_bad_bytes(void) {
  const char* file = NULL;
  const swde_status status = swde_check_file(NULL, "no/such/\xfe.xml", NULL, &report);
  swde_report_failure(report, &file, NULL, NULL, NULL);
  keep(file);
  return status;
}
/* The first finding's file when kDocument is checked under the name `name`. */
static swde_status file_named(const char* name) {
  const swde_finding* finding = NULL;
  const char* file = NULL;
  swde_status status =
      swde_check_memory(NULL, kDocument, sizeof kDocument - 1, name, NULL, &report);
  if (status == SWDE_OK) {
    status = swde_report_finding(report, 0, &finding);
  }
  if (status == SWDE_OK) {
    status = swde_finding_file(finding, &file);
  }
  keep(file);
  return status;
}
static swde_status name_cut_short(void) {
  return file_named(
      "\xc5\xff"
      "doc.xml");
}
static swde_status name_malformed(
    void) { /* overlong, a surrogate, beyond U+10FFFF, cut at the end */
  return file_named("\xc0\xaf.\xed\xa0\x80.\xf4\x90\x80\x80.\xe2\x82");
}
static swde_status name_utf8(void) {
  return file_named(
      "\xc5\x82\xc3\xb3"
      "d\xc5\xba.xml");
}
static swde_status json_bad_bytes_name(void) {
  const char* json = NULL;
  swde_status status =
      swde_check_memory(NULL, kDocument, sizeof kDocument - 1, "\xff.xml", NULL, &report);
  if (status == SWDE_OK) {
    status = swde_report_json(report, &json);
  }
  keep(json != NULL ? strstr(json, "{\"file\":") : NULL);
  seen[strcspn(seen, ",")] = '\0';
  return status;
}

/* --- Reports and findings */

static swde_status count_report_null(void) {
  uint64_t n = 0;
  return swde_report_count(NULL, SWDE_COUNT_ERRORS, &n);
}
static swde_status count_unknown(void) {
  uint64_t n = 0;
  swde_status status =
      swde_check_memory(NULL, kDocument, sizeof kDocument - 1, NULL, NULL, &report);
  if (status == SWDE_OK) {
    status = swde_report_count(report, (swde_count)99, &n);
  }
  return status;
}
static swde_status finding_past_end(void) {
  const swde_finding* finding = NULL;
  swde_status status =
      swde_check_memory(NULL, kDocument, sizeof kDocument - 1, NULL, NULL, &report);
  if (status == SWDE_OK) {
    status = swde_report_finding(report, 99, &finding);
  }
  return status;
}
static swde_status finding_null(void) {
  const char* text = NULL;
  return swde_finding_file(NULL, &text);
}

/* --- Objects built by hand */

static swde_status object_out_null(void) {
  return swde_object_create("G5ADR", NULL, NULL, NULL);
}
static swde_status object_type_null(void) {
  swde_object* object = NULL;
  return swde_object_create(NULL, NULL, NULL, &object);
}
static swde_status object_not_cp1250(void) {
  swde_object* object = NULL;
  swde_status status = swde_object_create("G5ADR", "00", "RD", &object);
  if (status == SWDE_OK) {
    status = swde_object_add_attribute(object, "G5MSC", "\xf0\x9f\x98\x80", 1, 1);
  }
  swde_object_free(object);
  return status;
}
static swde_status attribute_object_null(void) {
  return swde_object_add_attribute(NULL, "G5MSC", "x", 1, 1);
}
/* Calls that fail, each with its out value set beforehand: keeps one letter per call, N where
 * the call left it NULL, x where it did not. */
static swde_status failures_leave_out_null(void) {
  swde_schema* schema = (void*)seen;
  swde_report* made = (void*)seen;
  const char* text = seen;
  const char* name = seen;
  size_t i = 0;
  swde_status status[] = {swde_schema_load_file(NULL, &schema), 0, 0, 0, 0, 0, 0, 0};
  const void* outs[8];
  outs[0] = schema;
  schema = (void*)seen;
  status[1] = swde_schema_load_file("no/such/annex.xml", &schema);
  outs[1] = schema;
  status[2] = swde_check_file(NULL, NULL, NULL, &made);
  outs[2] = made;
  made = (void*)seen;
  status[3] = swde_check_memory(NULL, NULL, 5, "x.xml", NULL, &made);
  outs[3] = made;
  made = (void*)seen;
  status[4] = swde_object_check_with(NULL, NULL, NULL, &made);
  outs[4] = made;
  status[5] = swde_schema_warnings(NULL, &text);
  outs[5] = text;
  text = seen;
  status[6] = swde_report_json(NULL, &text);
  outs[6] = text;
  status[7] = swde_finding_entry(NULL, NULL, &name);
  outs[7] = name;
  for (i = 0; i < 8; ++i) {
    seen[i] = status[i] == SWDE_OK ? '?' : outs[i] == NULL ? 'N' : 'x';
  }
  seen[i] = '\0';
  return SWDE_OK;
}

/* One object checked with options as a document is: G5JEW with dates of 2026 and an attribute
 * its record type does not define (6001, a warning); NULL options are not set. Keeps its codes
 * and how many findings the options left out. */
static swde_status object_with(const char* today, const char* profile, const char* select,
                               const char* ignore, int errors_only) {
  static const char* const fields[] = {
      "G5IDJ", "126101_1",   "G5NAZ", "Gmina", "G5DTU", "2026.06.01-10:00:00",
      "G5DTW", "2026.06.02", "G5KOD", "32-420"};
  swde_object* object = NULL;
  swde_options* options = NULL;
  const swde_finding* finding = NULL;
  uint64_t n = 0, left_out = 0;
  size_t i = 0;
  int code = 0;
  swde_status status = swde_object_create("G5JEW", "00", "RO", &object);
  for (i = 0; status == SWDE_OK && i < sizeof fields / sizeof fields[0]; i += 2) {
    status = swde_object_add_attribute(object, fields[i], fields[i + 1], 0, 0);
  }
  status = status != SWDE_OK ? status : swde_options_create(&options);
  status = status != SWDE_OK || !today ? status : swde_options_set_today(options, today);
  status = status != SWDE_OK || !profile ? status : swde_options_set_profile(options, profile);
  status = status != SWDE_OK || !select ? status : swde_options_select(options, select);
  status = status != SWDE_OK || !ignore ? status : swde_options_ignore(options, ignore);
  status = status != SWDE_OK ? status : swde_options_set_errors_only(options, errors_only);
  status = status != SWDE_OK ? status : swde_object_check_with(object, NULL, options, &report);
  status = status != SWDE_OK ? status : swde_report_count(report, SWDE_COUNT_FINDINGS, &n);
  status = status != SWDE_OK ? status : swde_report_count(report, SWDE_COUNT_FILTERED, &left_out);
  for (i = 0; status == SWDE_OK && i < n; ++i) {
    status = swde_report_finding(report, i, &finding);
    status = status != SWDE_OK ? status : swde_finding_code(finding, &code);
    snprintf(seen + strlen(seen), sizeof seen - strlen(seen), "%d ", code);
  }
  snprintf(seen + strlen(seen), sizeof seen - strlen(seen), "(%d left out)", (int)left_out);
  swde_options_free(options);
  swde_object_free(object);
  return status;
}
static swde_status object_day_of_the_run(void) {
  return object_with(NULL, NULL, NULL, NULL, 0);
}
static swde_status object_day_before(void) {
  return object_with("2026.01.01", NULL, NULL, NULL, 0);
}
static swde_status object_catalogue(void) {
  return object_with("2026.01.01", "catalogue", NULL, NULL, 0);
}
static swde_status object_select(void) {
  return object_with("2026.01.01", NULL, "7013", NULL, 0);
}
static swde_status object_ignore(void) {
  return object_with("2026.01.01", NULL, NULL, "7013", 0);
}
static swde_status object_errors_only(void) {
  return object_with("2026.01.01", NULL, NULL, NULL, 1);
}
static swde_status object_check_out_null(void) {
  swde_object* object = NULL;
  swde_status status = swde_object_create("G5ADR", "00", "RD", &object);
  if (status == SWDE_OK) {
    status = swde_object_check(object, NULL, NULL);
  }
  swde_object_free(object);
  return status;
}

/* --- Cancelling: checks of examples/faults.xml (16 objects) with a callback that counts its
 * polls and answers non-zero at poll `at` (0: never); keeps "POLLS polls, OBJECTS objects" (-1
 * objects: no report; "16+" polls: at least one per object). */

static swde_status checked(unsigned jobs, int at, int clear, int memory) {
  swde_options* options = NULL;
  swde_status status = swde_options_create(&options);
  uint64_t objects = 0;
  polls = 0;
  cancel_at = at;
  if (status == SWDE_OK) {
    status = swde_options_set_jobs(options, jobs);
  }
  if (status == SWDE_OK) {
    status = swde_options_set_cancel(options, count_polls, &polls);
  }
  if (status == SWDE_OK && clear) {
    status = swde_options_set_cancel(options, NULL, NULL);
  }
  if (status == SWDE_OK) {
    status = memory ? swde_check_memory(NULL, faults_text, strlen(faults_text), "faults.xml",
                                        options, &report)
                    : swde_check_file(NULL, faults, options, &report);
  }
  if (report != NULL) {
    swde_report_count(report, SWDE_COUNT_OBJECTS, &objects);
  }
  if (polls < 16) {
    snprintf(seen, sizeof seen, "%d polls, %d objects", polls, report != NULL ? (int)objects : -1);
  } else {
    snprintf(seen, sizeof seen, "16+ polls, %d objects", report != NULL ? (int)objects : -1);
  }
  swde_options_free(options);
  return status;
}
static swde_status cancel_first_poll(void) {
  return checked(1, 1, 0, 0);
}
static swde_status cancel_fifth_poll(void) {
  return checked(1, 5, 0, 0);
}
static swde_status cancel_3_jobs(void) { /* how often it polls while it waits varies */
  return checked(3, 1, 0, 0);
}
static swde_status cancel_from_memory(void) {
  return checked(1, 3, 0, 1);
}
static swde_status cancel_from_memory_2_jobs(void) {
  return checked(2, 1, 0, 1);
}
static swde_status cancel_never(void) {
  return checked(1, 0, 0, 0);
}
static swde_status cancel_cleared(void) {
  return checked(1, 1, 1, 0);
}

/* The table: the call, its status, a part of swde_last_error() (NULL: not looked at) and what the
 * call kept (NULL: nothing). */
static const struct row {
  const char* name;
  swde_status (*run)(void);
  swde_status status;
  const char* error;
  const char* text;
} rows[] = {
    {"options_create(NULL)", options_out_null, SWDE_ERROR_ARGUMENT, "out is NULL", NULL},
    {"257 jobs", jobs_too_many, SWDE_ERROR_ARGUMENT, "jobs: 257 is not in 0..256", NULL},
    {"profile NULL", profile_null, SWDE_ERROR_ARGUMENT, "profile is NULL", NULL},
    {"unknown code", codes_unknown, SWDE_ERROR_ARGUMENT, "9999", NULL},
    {"codes backwards", codes_backwards, SWDE_ERROR_ARGUMENT, "6022-6020", NULL},
    {"no such day", today_not_a_day, SWDE_ERROR_ARGUMENT, "today: ", NULL},
    {"cancel without options", cancel_options_null, SWDE_ERROR_ARGUMENT, "options is NULL", NULL},
    {"builtin(NULL)", builtin_out_null, SWDE_ERROR_ARGUMENT, "out is NULL", NULL},
    {"schema path NULL", schema_path_null, SWDE_ERROR_ARGUMENT, "path is NULL", NULL},
    {"schema missing", schema_missing, SWDE_ERROR_SCHEMA, "no/such/annex.xml", NULL},
    {"bad schema, name not UTF-8", schema_bad_bytes_name, SWDE_ERROR_SCHEMA,
     "\\xFFannex.xml:1:", NULL},
    {"schema mistakes, name not UTF-8", schema_mistakes_bad_bytes_name, SWDE_ERROR_SCHEMA,
     "a\\xFE.xml:8: attribute \"G5DTU\"", NULL},
    {"schema doubts, name not UTF-8", schema_doubts_bad_bytes_name, SWDE_OK, NULL,
     "a\\xFE.xml:8: attribute \"G5UWG\" is declared but no record type uses it"},
    {"check out NULL", check_out_null, SWDE_ERROR_ARGUMENT, "out is NULL", NULL},
    {"check path NULL", check_path_null, SWDE_ERROR_ARGUMENT, "path is NULL", NULL},
    {"check data NULL", check_data_null, SWDE_ERROR_ARGUMENT, "data is NULL", NULL},
    {"missing, path not UTF-8", check_missing_bad_bytes, SWDE_ERROR_READ,
     "no/such/\\xFE.xml: cannot open", "no/such/\\xFE.xml"},
    {"name cut short", name_cut_short, SWDE_OK, NULL, "\\xC5\\xFFdoc.xml"},
    {"name malformed", name_malformed, SWDE_OK, NULL,
     "\\xC0\\xAF.\\xED\\xA0\\x80.\\xF4\\x90\\x80\\x80.\\xE2\\x82"},
    {"name UTF-8", name_utf8, SWDE_OK, NULL,
     "\xc5\x82\xc3\xb3"
     "d\xc5\xba.xml"},
    {"JSON, name not UTF-8", json_bad_bytes_name, SWDE_OK, NULL, "{\"file\":\"\\\\xFF.xml\""},
    {"count of no report", count_report_null, SWDE_ERROR_ARGUMENT, "report is NULL", NULL},
    {"unknown count", count_unknown, SWDE_ERROR_ARGUMENT, "no count 99", NULL},
    {"finding past the end", finding_past_end, SWDE_ERROR_RANGE, "finding 99 of 5", NULL},
    {"finding NULL", finding_null, SWDE_ERROR_ARGUMENT, "finding is NULL", NULL},
    {"object out NULL", object_out_null, SWDE_ERROR_ARGUMENT, "out is NULL", NULL},
    {"object type NULL", object_type_null, SWDE_ERROR_ARGUMENT, "type_name is NULL", NULL},
    {"value not windows-1250", object_not_cp1250, SWDE_ERROR_ARGUMENT, "value: not UTF-8", NULL},
    {"attribute of no object", attribute_object_null, SWDE_ERROR_ARGUMENT, "object is NULL", NULL},
    {"object check out NULL", object_check_out_null, SWDE_ERROR_ARGUMENT, "out is NULL", NULL},
    {"failed calls leave *out NULL", failures_leave_out_null, SWDE_OK, NULL, "NNNNNNNN"},
    {"object, the day of the run", object_day_of_the_run, SWDE_OK, NULL, "6001 (0 left out)"},
    {"object, an earlier day", object_day_before, SWDE_OK, NULL, "6001 7013 7013 (0 left out)"},
    {"object, catalogue", object_catalogue, SWDE_OK, NULL, "6001 (0 left out)"},
    {"object, select", object_select, SWDE_OK, NULL, "7013 7013 (1 left out)"},
    {"object, ignore", object_ignore, SWDE_OK, NULL, "6001 (2 left out)"},
    {"object, errors only", object_errors_only, SWDE_OK, NULL, "7013 7013 (1 left out)"},
    {"cancel at the first poll", cancel_first_poll, SWDE_CANCELLED, "cancelled",
     "1 polls, -1 objects"},
    {"cancel at the fifth poll", cancel_fifth_poll, SWDE_CANCELLED, "cancelled",
     "5 polls, -1 objects"},
    {"cancel, 3 jobs", cancel_3_jobs, SWDE_CANCELLED, "cancelled", "1 polls, -1 objects"},
    {"cancel, from memory", cancel_from_memory, SWDE_CANCELLED, "cancelled", "3 polls, -1 objects"},
    {"cancel, from memory, 2 jobs", cancel_from_memory_2_jobs, SWDE_CANCELLED, "cancelled",
     "1 polls, -1 objects"},
    {"never cancel", cancel_never, SWDE_OK, NULL, "16+ polls, 16 objects"},
    {"cancel cleared", cancel_cleared, SWDE_OK, NULL, "0 polls, 16 objects"},
};

int main(int argc, char** argv) {
  int failures = 0;
  size_t i = 0;
  if (argc != 4) {
    fprintf(stderr, "usage: %s examples/faults.xml ANNEX-WITH-MISTAKES DOUBTFUL-ANNEX\n", argv[0]);
    return 2;
  }
  faults = argv[1];
  faults_text = slurp(faults);
  mistakes = slurp(argv[2]);
  doubtful = slurp(argv[3]);
  for (i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const struct row* row = &rows[i];
    swde_status status = SWDE_OK;
    strcpy(seen, "");
    report = NULL;
    status = row->run();
    if (status != row->status || (row->error != NULL && !strstr(swde_last_error(), row->error)) ||
        (row->text != NULL && strcmp(seen, row->text) != 0)) {
      fprintf(stderr, "%s: status %d, last error \"%s\", kept \"%s\"\n", row->name, (int)status,
              swde_last_error(), seen);
      ++failures;
    }
    swde_report_free(report);
  }
  free(faults_text);
  free(mistakes);
  free(doubtful);
  return failures == 0 ? 0 : 1;
}
