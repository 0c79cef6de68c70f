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

static const char* faults; /* argv[1] */
static char* texts[5];     /* the texts of argv[1..3], kBadSchema and kTruncated */
static char seen[512];     /* what a case kept, compared with its row's `text` */

static const char kDocument[] = /* one finding: 6028 (the postal code) at line 4 */
    "<?xml version=\"1.0\"?>\n<SWDE>\n<OBJECT name=\"G5ADR\" base_type=\"RD\" status=\"00\">"
    "<ATTRIBUTES>\n<ATTR name=\"G5KOD\" value_str=\"32420\"/>\n</ATTRIBUTES></OBJECT></SWDE>\n";
static char kBadSchema[] = "<SWDE><TYPES_SECT><OBJECT name=\"X\"/></TYPES_SECT></SWDE>";
static char kTruncated[] = "<?xml version=\"1.0\"?>\n<SWDE>\n  <OBJECT name=\"G5JEW\">\n";

static void keep(const char* text, const char* cut) {
  snprintf(seen, sizeof seen, "%s", text != NULL ? text : "(null)");
  seen[strcspn(seen, cut)] = '\0';
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

static int polls;
static int cancel_at; /* the poll that cancels; 0: none */
static int count_polls(void* user) {
  return ++*(int*)user == cancel_at;
}

/* faults.xml handed over 7 bytes a read; a read fails once `fail_at` bytes are handed (0: never).
 */
static size_t fed, fail_at;
static long long feed(void* user, char* buffer, size_t size) {
  const size_t left = strlen((const char*)user) - fed;
  const size_t n = left < 7 ? left : 7;
  if (fail_at != 0 && fed >= fail_at) {
    return -1;
  }
  memcpy(buffer, (const char*)user + fed, n < size ? n : size);
  fed += n < size ? n : size;
  return (long long)(n < size ? n : size);
}

enum op {
  OPTIONS_NULL, /* swde_options_create(NULL) */
  JOBS,         /* fresh options given n jobs, the profile s, or s selected, ignored, as today */
  PROFILE,
  SELECT,
  IGNORE,
  TODAY,
  CANCEL_NO_OPTIONS,
  BUILTIN_NULL,
  BUILTIN_WARNINGS, /* the built-in schema's warnings kept */
  SCHEMA_FILE,      /* the schema file s (or NULL) */
  SCHEMA_MEMORY,    /* texts[n] under the name s; with warnings, their first line kept */
  CHECK_FILE,       /* s checked, the report's place NULL when n; the failure's "file:line" kept */
  CHECK_TEXT,       /* texts[n] checked under the name s; the failure's "file:line" kept */
  CHECK_NO_DATA,
  CHECK_STREAM, /* texts[0] read by feed() under the name s, failing after n bytes (0: never): the
                 * failure's "file:line", or "same" when its JSON is that of texts[0] in memory */
  FILE_NAMED,   /* kDocument checked under the name s: the first finding's file kept */
  JSON_NAMED,   /* the same, the JSON report kept from its first file on, to the next "," */
  COUNT_NO_REPORT,
  COUNT_UNKNOWN,
  FINDING_99,
  FINDING_NULL,
  OBJECT_OUT_NULL,
  OBJECT_TYPE_NULL,
  OBJECT_VALUE, /* an object built with the value s, checked with its place NULL when n */
  ATTRIBUTE_NO_OBJECT,
  FAILED_OUTS, /* eight failing calls, each out set beforehand: N where it was left NULL, x not */
  OBJECT_WITH, /* a G5JEW of 2026 with an undefined attribute (6001) checked with the options s,
                * "TODAY PROFILE SELECT IGNORE" ("-": not set), errors only when n: its codes and
                * how many the options left out */
  SESSION,     /* a document of three objects, "KEY KEY TARGET": two G5JEW of these keys (lines 10,
                * 20), a G5OBR related to the G5JEW named TARGET (line 30): "CODE@LINE" of its
                * findings; n: 1 the report's place NULL, 2 the object added again after the end */
  SESSION_NULL,
  CANCEL /* examples/faults.xml with n jobs, s: "POLL[ cleared][ memory]" (the poll that cancels,
          * 0: none; the callback cleared; read from memory) */
};

/* The table: the call, its status, parts of swde_last_error() split by "|" (NULL: not looked at)
 * and what the call kept (NULL: nothing). Cancelled checks keep "POLLS polls, OBJECTS objects" (-1
 * objects: no report; "16+" polls: at least one per object of the 16). */
static const struct row {
  const char* name;
  enum op op;
  const char* s;
  unsigned n;
  swde_status status;
  const char* error;
  const char* text;
} rows[] = {
    /* clang-format off */
    {"options_create(NULL)", OPTIONS_NULL, NULL, 0, SWDE_ERROR_ARGUMENT, "out is NULL", NULL},
    {"257 jobs", JOBS, NULL, 257, SWDE_ERROR_ARGUMENT, "jobs: 257 is not in 0..256", NULL},
    {"no such profile", PROFILE, "everything", 0, SWDE_ERROR_ARGUMENT, NULL, NULL},
    {"profile NULL", PROFILE, NULL, 0, SWDE_ERROR_ARGUMENT, "profile is NULL", NULL},
    {"unknown code", SELECT, "6001,9999", 0, SWDE_ERROR_ARGUMENT, "9999", NULL},
    {"codes backwards", IGNORE, "6022-6020", 0, SWDE_ERROR_ARGUMENT, "6022-6020", NULL},
    {"no such day", TODAY, "2025.02.30", 0, SWDE_ERROR_ARGUMENT, "today: ", NULL},
    {"cancel without options", CANCEL_NO_OPTIONS, NULL, 0, SWDE_ERROR_ARGUMENT, "options is NULL",
     NULL},
    {"built-in schema, no doubts", BUILTIN_WARNINGS, NULL, 0, SWDE_OK, NULL, ""},
    {"builtin(NULL)", BUILTIN_NULL, NULL, 0, SWDE_ERROR_ARGUMENT, "out is NULL", NULL},
    {"schema path NULL", SCHEMA_FILE, NULL, 0, SWDE_ERROR_ARGUMENT, "path is NULL", NULL},
    {"schema missing", SCHEMA_FILE, "no/such/annex.xml", 0, SWDE_ERROR_SCHEMA, "no/such/annex.xml",
     NULL},
    {"bad schema, name not UTF-8", SCHEMA_MEMORY, "\xff" "annex.xml", 3, SWDE_ERROR_SCHEMA,
     "\\xFFannex.xml:1:", NULL},
    {"schema mistakes, name not UTF-8", SCHEMA_MEMORY, "a\xfe.xml", 1, SWDE_ERROR_SCHEMA,
     "a\\xFE.xml:8: attribute \"G5DTU\" has the unknown base type|\n|a\\xFE.xml:18: relation",
     NULL},
    {"schema doubts, name not UTF-8", SCHEMA_MEMORY, "a\xfe.xml", 2, SWDE_OK, NULL,
     "a\\xFE.xml:8: attribute \"G5UWG\" is declared but no record type uses it"},
    {"check out NULL", CHECK_FILE, NULL, 1, SWDE_ERROR_ARGUMENT, "out is NULL", NULL},
    {"check path NULL", CHECK_FILE, NULL, 0, SWDE_ERROR_ARGUMENT, "path is NULL", NULL},
    {"check data NULL", CHECK_NO_DATA, NULL, 0, SWDE_ERROR_ARGUMENT, "data is NULL", NULL},
    {"missing, path not UTF-8", CHECK_FILE, "no/such/\xfe.xml", 0, SWDE_ERROR_READ,
     "no/such/\\xFE.xml: cannot open", "no/such/\\xFE.xml:0"},
    {"stream, read NULL", CHECK_STREAM, NULL, 1, SWDE_ERROR_ARGUMENT, "read is NULL", NULL},
    {"stream, 7 bytes a read", CHECK_STREAM, "faults.xml", 0, SWDE_OK, NULL, "same"},
    {"stream unnamed", CHECK_STREAM, NULL, 0, SWDE_OK, NULL, "same"},
    {"stream fails at byte 700", CHECK_STREAM, "f.xml", 700, SWDE_ERROR_READ, "f.xml:17:7: unclosed token", "f.xml:17"},
    {"document cut short", CHECK_TEXT, "cut.xml", 4, SWDE_ERROR_READ, NULL, "cut.xml:4"},
    {"name cut short", FILE_NAMED, "\xc5\xff" "doc.xml", 0, SWDE_OK, NULL, "\\xC5\\xFFdoc.xml"},
    /* overlong, a surrogate, beyond U+10FFFF, cut at the end */
    {"name malformed", FILE_NAMED, "\xc0\xaf.\xed\xa0\x80.\xf4\x90\x80\x80.\xe2\x82", 0, SWDE_OK,
     NULL, "\\xC0\\xAF.\\xED\\xA0\\x80.\\xF4\\x90\\x80\\x80.\\xE2\\x82"},
    {"name UTF-8", FILE_NAMED, "\xc5\x82\xc3\xb3" "d\xc5\xba.xml", 0, SWDE_OK, NULL,
     "\xc5\x82\xc3\xb3" "d\xc5\xba.xml"},
    {"JSON, name not UTF-8", JSON_NAMED, "\xff.xml", 0, SWDE_OK, NULL, "{\"file\":\"\\\\xFF.xml\""},
    {"count of no report", COUNT_NO_REPORT, NULL, 0, SWDE_ERROR_ARGUMENT, "report is NULL", NULL},
    {"unknown count", COUNT_UNKNOWN, NULL, 0, SWDE_ERROR_ARGUMENT, "no count 99", NULL},
    {"finding past the end", FINDING_99, NULL, 0, SWDE_ERROR_RANGE, "finding 99 of 5", NULL},
    {"finding NULL", FINDING_NULL, NULL, 0, SWDE_ERROR_ARGUMENT, "finding is NULL", NULL},
    {"object out NULL", OBJECT_OUT_NULL, NULL, 0, SWDE_ERROR_ARGUMENT, "out is NULL", NULL},
    {"object type NULL", OBJECT_TYPE_NULL, NULL, 0, SWDE_ERROR_ARGUMENT, "type_name is NULL", NULL},
    {"value not windows-1250", OBJECT_VALUE, "\xf0\x9f\x98\x80", 0, SWDE_ERROR_ARGUMENT,
     "value: not UTF-8", NULL},
    {"attribute of no object", ATTRIBUTE_NO_OBJECT, NULL, 0, SWDE_ERROR_ARGUMENT, "object is NULL",
     NULL},
    {"object check out NULL", OBJECT_VALUE, "x", 1, SWDE_ERROR_ARGUMENT, "out is NULL", NULL},
    {"failed calls leave *out NULL", FAILED_OUTS, NULL, 0, SWDE_OK, NULL, "NNNNNNNN"},
    {"object, the day of the run", OBJECT_WITH, "- - - -", 0, SWDE_OK, NULL, "6001 (0 left out)"},
    {"object, an earlier day", OBJECT_WITH, "2026.01.01 - - -", 0, SWDE_OK, NULL,
     "6001 7013 7013 (0 left out)"},
    {"object, catalogue", OBJECT_WITH, "2026.01.01 catalogue - -", 0, SWDE_OK, NULL,
     "6001 (0 left out)"},
    {"object, select", OBJECT_WITH, "2026.01.01 - 7013 -", 0, SWDE_OK, NULL,
     "7013 7013 (1 left out)"},
    {"object, ignore", OBJECT_WITH, "2026.01.01 - - 7013", 0, SWDE_OK, NULL, "6001 (2 left out)"},
    {"object, errors only", OBJECT_WITH, "2026.01.01 - - -", 1, SWDE_OK, NULL,
     "7013 7013 (1 left out)"},
    {"cancel at the first poll", CANCEL, "1", 1, SWDE_CANCELLED, "cancelled",
     "1 polls, -1 objects"},
    {"cancel at the fifth poll", CANCEL, "5", 1, SWDE_CANCELLED, "cancelled",
     "5 polls, -1 objects"},
    /* how often it polls while it waits varies */
    {"cancel, 3 jobs", CANCEL, "1", 3, SWDE_CANCELLED, "cancelled", "1 polls, -1 objects"},
    {"cancel, from memory", CANCEL, "3 memory", 1, SWDE_CANCELLED, "cancelled",
     "3 polls, -1 objects"},
    {"cancel, from memory, 2 jobs", CANCEL, "1 memory", 2, SWDE_CANCELLED, "cancelled",
     "1 polls, -1 objects"},
    {"never cancel", CANCEL, "0", 1, SWDE_OK, NULL, "16+ polls, 16 objects"},
    {"session, nothing across", SESSION, "126101_1 126102_2 126102_2", 0, SWDE_OK, NULL, ""},
    /* the second key is the repeated one; a name that fits two objects means neither */
    {"session, a key twice", SESSION, "126101_1 126101_1 126101_1", 0, SWDE_OK, NULL,
     "7001@21 7006@31 "},
    {"session, a name missing", SESSION, "126101_1 126102_2 126103_3", 0, SWDE_OK, NULL,
     "7002@31 "},
    {"session, report out NULL", SESSION, "126101_1 126102_2 126102_2", 1, SWDE_ERROR_ARGUMENT,
     "out is NULL", ""},
    {"session, added after the end", SESSION, "126101_1 126101_1 126103_3", 2,
     SWDE_ERROR_ARGUMENT, "the session is cancelled or finished", "7001@21 7002@31 "},
    {"session out NULL", SESSION_NULL, NULL, 0, SWDE_ERROR_ARGUMENT, "out is NULL", NULL},
    {"cancel cleared", CANCEL, "1 cleared", 1, SWDE_OK, NULL, "0 polls, 16 objects"},
    /* clang-format on */
};

/* Calls that fail, each with its out value set beforehand (FAILED_OUTS). */
static swde_status failed_outs(void) {
  const void* outs[8];
  swde_status status[8];
  swde_schema* schema = (void*)seen;
  swde_report* made = (void*)seen;
  const char* text = seen;
  size_t i = 0;
  status[0] = swde_schema_load_file(NULL, &schema);
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
  text = seen;
  status[7] = swde_finding_entry(NULL, NULL, &text);
  outs[7] = text;
  for (i = 0; i < 8; ++i) {
    seen[i] = status[i] == SWDE_OK ? '?' : outs[i] == NULL ? 'N' : 'x';
  }
  seen[i] = '\0';
  return SWDE_OK;
}

/* One object checked with options as a document is (OBJECT_WITH). */
static swde_status object_with(const struct row* row, swde_report** report) {
  static const char* const fields[] = {
      "G5IDJ", "126101_1",   "G5NAZ", "Gmina", "G5DTU", "2026.06.01-10:00:00",
      "G5DTW", "2026.06.02", "G5KOD", "32-420"};
  static swde_status (*const setters[4])(swde_options*, const char*) = {
      swde_options_set_today, swde_options_set_profile, swde_options_select, swde_options_ignore};
  char given[4][32];
  swde_object* object = NULL;
  swde_options* options = NULL;
  const swde_finding* finding = NULL;
  uint64_t n = 0, left_out = 0;
  size_t i = 0;
  int code = 0;
  swde_status status = SWDE_OK;
  if (sscanf(row->s, "%31s %31s %31s %31s", given[0], given[1], given[2], given[3]) != 4) {
    return SWDE_ERROR_ARGUMENT;
  }
  status = swde_object_create("G5JEW", "00", "RO", &object);
  for (i = 0; status == SWDE_OK && i < sizeof fields / sizeof fields[0]; i += 2) {
    status = swde_object_add_attribute(object, fields[i], fields[i + 1], 0, 0);
  }
  status = status != SWDE_OK ? status : swde_options_create(&options);
  for (i = 0; status == SWDE_OK && i < 4; ++i) {
    if (strcmp(given[i], "-") != 0) {
      status = setters[i](options, given[i]);
    }
  }
  status = status != SWDE_OK ? status : swde_options_set_errors_only(options, (int)row->n);
  status = status != SWDE_OK ? status : swde_object_check_with(object, NULL, options, report);
  status = status != SWDE_OK ? status : swde_report_count(*report, SWDE_COUNT_FINDINGS, &n);
  status = status != SWDE_OK ? status : swde_report_count(*report, SWDE_COUNT_FILTERED, &left_out);
  for (i = 0; status == SWDE_OK && i < n; ++i) {
    status = swde_report_finding(*report, i, &finding);
    status = status != SWDE_OK ? status : swde_finding_code(finding, &code);
    snprintf(seen + strlen(seen), sizeof seen - strlen(seen), "%d ", code);
  }
  snprintf(seen + strlen(seen), sizeof seen - strlen(seen), "(%d left out)", (int)left_out);
  swde_options_free(options);
  swde_object_free(object);
  return status;
}

/* A document of objects built field by field (SESSION). */
static swde_status session(const struct row* row, swde_report** report) {
  char keys[3][16];
  swde_session* document = NULL;
  swde_object* objects[3] = {NULL, NULL, NULL};
  swde_options* options = NULL;
  const swde_finding* finding = NULL;
  uint64_t n = 0;
  uint32_t line = 0;
  size_t i = 0;
  int code = 0;
  swde_status status = SWDE_OK;
  if (sscanf(row->s, "%15s %15s %15s", keys[0], keys[1], keys[2]) != 3) {
    return SWDE_ERROR_ARGUMENT;
  }
  for (i = 0; status == SWDE_OK && i < 3; ++i) {
    status = swde_object_create(i < 2 ? "G5JEW" : "G5OBR", "00", "RO", &objects[i]);
    status = status != SWDE_OK ? status
                               : swde_object_set_location(objects[i], 10 * (uint32_t)(i + 1), 0);
    status = status != SWDE_OK || i == 2 ? status
                                         : swde_object_add_attribute(objects[i], "G5IDJ", keys[i],
                                                                     11 + 10 * (uint32_t)i, 0);
    status = status != SWDE_OK || i == 2 ? status
                                         : swde_object_add_attribute(objects[i], "G5NAZ", "Gmina",
                                                                     12 + 10 * (uint32_t)i, 0);
  }
  status = status != SWDE_OK
               ? status
               : swde_object_add_relation(objects[2], "G5RJEW", "G5JEW", keys[2], 31, 0);
  status = status != SWDE_OK ? status : swde_options_create(&options);
  status = status != SWDE_OK ? status : swde_options_set_today(options, "2026.07.01");
  status = status != SWDE_OK ? status : swde_session_create(NULL, options, "objects", &document);
  swde_options_free(options);
  for (i = 0; status == SWDE_OK && i < 3; ++i) {
    status = swde_session_add(document, objects[i]);
  }
  status = status != SWDE_OK ? status : swde_session_finish(document, row->n == 1 ? NULL : report);
  status = status != SWDE_OK ? status : swde_report_count(*report, SWDE_COUNT_FINDINGS, &n);
  for (i = 0; status == SWDE_OK && i < n; ++i) {
    status = swde_report_finding(*report, i, &finding);
    status = status != SWDE_OK ? status : swde_finding_code(finding, &code);
    status = status != SWDE_OK ? status : swde_finding_line(finding, &line);
    if (code > 7000) { /* the checks across objects; the catalogue's are tested elsewhere */
      snprintf(seen + strlen(seen), sizeof seen - strlen(seen), "%d@%u ", code, (unsigned)line);
    }
  }
  if (status == SWDE_OK && row->n == 2) {
    status = swde_session_add(document, objects[0]);
  }
  swde_session_free(document);
  for (i = 0; i < 3; ++i) {
    swde_object_free(objects[i]);
  }
  return status;
}

/* Runs one row; what it made is freed here, its report by the caller. */
static swde_status run(const struct row* row, swde_report** report) {
  swde_options* options = NULL;
  swde_schema* schema = NULL;
  swde_object* object = NULL;
  const swde_finding* finding = NULL;
  const char* text = NULL;
  uint64_t n = 0;
  swde_status status = SWDE_OK;
  switch (row->op) {
    case OPTIONS_NULL:
      return swde_options_create(NULL);
    case JOBS:
    case PROFILE:
    case SELECT:
    case IGNORE:
    case TODAY:
    case CANCEL:
      status = swde_options_create(&options);
      break;
    case CANCEL_NO_OPTIONS:
      return swde_options_set_cancel(NULL, count_polls, &polls);
    case BUILTIN_NULL:
      return swde_schema_builtin(NULL);
    case BUILTIN_WARNINGS:
      status = swde_schema_builtin(&schema);
      if (status == SWDE_OK) {
        status = swde_schema_warnings(schema, &text);
        keep(text, "");
      }
      swde_schema_free(schema);
      return status;
    case SCHEMA_FILE:
      return swde_schema_load_file(row->s, &schema);
    case SCHEMA_MEMORY:
      status = swde_schema_load_memory(texts[row->n], strlen(texts[row->n]), row->s, &schema);
      if (status == SWDE_OK) {
        status = swde_schema_warnings(schema, &text);
        keep(text, "\n");
      }
      swde_schema_free(schema);
      return status;
    case CHECK_FILE:
    case CHECK_TEXT:
      status =
          row->op == CHECK_TEXT
              ? swde_check_memory(NULL, texts[row->n], strlen(texts[row->n]), row->s, NULL, report)
              : swde_check_file(NULL, row->n ? faults : row->s, NULL, row->n ? NULL : report);
      if (row->s != NULL && !(row->op == CHECK_FILE && row->n)) {
        uint32_t line = 99;
        swde_report_failure(*report, &text, &line, NULL, NULL);
        snprintf(seen, sizeof seen, "%s:%u", text != NULL ? text : "(null)", (unsigned)line);
      }
      return status;
    case CHECK_NO_DATA:
      return swde_check_memory(NULL, NULL, 5, "x.xml", NULL, report);
    case CHECK_STREAM: {
      swde_report* memory = NULL;
      const char* json = NULL;
      fed = 0;
      fail_at = row->n;
      status = swde_check_stream(NULL, row->n == 1 ? NULL : feed, texts[0], row->s, NULL, report);
      if (status == SWDE_ERROR_READ) {
        uint32_t line = 99;
        swde_report_failure(*report, &text, &line, NULL, NULL);
        snprintf(seen, sizeof seen, "%s:%u", text, (unsigned)line);
      } else if (status == SWDE_OK) {
        swde_check_memory(NULL, texts[0], strlen(texts[0]), row->s ? row->s : "<stream>", NULL,
                          &memory);
        swde_report_json(*report, &text);
        swde_report_json(memory, &json);
        keep(strcmp(text, json) == 0 ? "same" : text, "");
        swde_report_free(memory);
      }
      return status;
    }
    case FILE_NAMED:
    case JSON_NAMED:
    case COUNT_UNKNOWN:
    case FINDING_99:
      status = swde_check_memory(NULL, kDocument, sizeof kDocument - 1, row->s, NULL, report);
      break;
    case COUNT_NO_REPORT:
      return swde_report_count(NULL, SWDE_COUNT_ERRORS, &n);
    case FINDING_NULL:
      return swde_finding_file(NULL, &text);
    case OBJECT_OUT_NULL:
      return swde_object_create("G5ADR", NULL, NULL, NULL);
    case OBJECT_TYPE_NULL:
      return swde_object_create(NULL, NULL, NULL, &object);
    case OBJECT_VALUE:
      status = swde_object_create("G5ADR", "00", "RD", &object);
      if (status == SWDE_OK) {
        status = swde_object_add_attribute(object, "G5MSC", row->s, 1, 1);
      }
      if (status == SWDE_OK && row->n) {
        status = swde_object_check(object, NULL, NULL);
      }
      swde_object_free(object);
      return status;
    case ATTRIBUTE_NO_OBJECT:
      return swde_object_add_attribute(NULL, "G5MSC", "x", 1, 1);
    case FAILED_OUTS:
      return failed_outs();
    case OBJECT_WITH:
      return object_with(row, report);
    case SESSION:
      return session(row, report);
    case SESSION_NULL:
      return swde_session_create(NULL, NULL, NULL, NULL);
  }
  if (status == SWDE_OK) {
    switch (row->op) {
      case JOBS:
        status = swde_options_set_jobs(options, row->n);
        break;
      case PROFILE:
        status = swde_options_set_profile(options, row->s);
        break;
      case SELECT:
        status = swde_options_select(options, row->s);
        break;
      case IGNORE:
        status = swde_options_ignore(options, row->s);
        break;
      case TODAY:
        status = swde_options_set_today(options, row->s);
        break;
      case FILE_NAMED:
        status = swde_report_finding(*report, 0, &finding);
        status = status == SWDE_OK ? swde_finding_file(finding, &text) : status;
        keep(text, "");
        break;
      case JSON_NAMED:
        status = swde_report_json(*report, &text);
        keep(text != NULL ? strstr(text, "{\"file\":") : NULL, ",");
        break;
      case COUNT_UNKNOWN:
        status = swde_report_count(*report, (swde_count)99, &n);
        break;
      case FINDING_99:
        status = swde_report_finding(*report, 99, &finding);
        break;
      default: /* CANCEL */
        polls = 0;
        cancel_at = atoi(row->s);
        status = swde_options_set_jobs(options, row->n);
        if (status == SWDE_OK) {
          status = swde_options_set_cancel(options, count_polls, &polls);
        }
        if (status == SWDE_OK && strstr(row->s, "cleared") != NULL) {
          status = swde_options_set_cancel(options, NULL, NULL);
        }
        if (status == SWDE_OK) {
          status = strstr(row->s, "memory") ? swde_check_memory(NULL, texts[0], strlen(texts[0]),
                                                                "faults.xml", options, report)
                                            : swde_check_file(NULL, faults, options, report);
        }
        if (*report != NULL) {
          swde_report_count(*report, SWDE_COUNT_OBJECTS, &n);
        }
        if (polls < 16) {
          snprintf(seen, sizeof seen, "%d polls, %d objects", polls, *report ? (int)n : -1);
        } else {
          snprintf(seen, sizeof seen, "16+ polls, %d objects", *report ? (int)n : -1);
        }
    }
  }
  swde_options_free(options);
  return status;
}

int main(int argc, char** argv) {
  int failures = 0;
  size_t i = 0;
  if (argc != 4) {
    fprintf(stderr, "usage: %s examples/faults.xml ANNEX-WITH-MISTAKES DOUBTFUL-ANNEX\n", argv[0]);
    return 2;
  }
  faults = argv[1];
  for (i = 0; i < 3; ++i) {
    texts[i] = slurp(argv[i + 1]);
  }
  texts[3] = kBadSchema;
  texts[4] = kTruncated;
  for (i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    const struct row* row = &rows[i];
    swde_report* report = NULL;
    swde_status status = SWDE_OK;
    strcpy(seen, "");
    status = run(row, &report);
    int found = 1; /* every "|"-separated part of `error` is in the last error */
    const char* part = row->error;
    for (; part != NULL && found; part = strchr(part, '|') ? strchr(part, '|') + 1 : NULL) {
      char wanted[256];
      snprintf(wanted, sizeof wanted, "%.*s", (int)strcspn(part, "|"), part);
      found = strstr(swde_last_error(), wanted) != NULL;
    }
    if (status != row->status || !found || (row->text != NULL && strcmp(seen, row->text) != 0)) {
      fprintf(stderr, "%s: status %d, last error \"%s\", kept \"%s\"\n", row->name, (int)status,
              swde_last_error(), seen);
      ++failures;
    }
    swde_report_free(report);
  }
  for (i = 0; i < 3; ++i) {
    free(texts[i]);
  }
  return failures == 0 ? 0 : 1;
}
