/* swde — semantic checks of SWDE cadastral exchange objects.
 * A C99 host of the C interface: checks examples/faults.xml (argv[1]) and walks its findings,
 * and builds one object field by field (the error paths are boundaries.c's; argv[2] and argv[3]
 * are its schemas). Exit status 0 when every expectation holds; each failed one is printed. */
#include <stdio.h>
#include <string.h>
#include <swde/swde.h>

static int failures = 0;

#define EXPECT(cond)                                                                      \
  do {                                                                                    \
    if (!(cond)) {                                                                        \
      fprintf(stderr, "%s:%d: expected %s (last error: %s)\n", __FILE__, __LINE__, #cond, \
              swde_last_error());                                                         \
      ++failures;                                                                         \
    }                                                                                     \
  } while (0)

static int same(const char* a, const char* b) {
  return a != NULL && b != NULL && strcmp(a, b) == 0;
}

static uint64_t count(const swde_report* report, swde_count which) {
  uint64_t n = 0;
  EXPECT(swde_report_count(report, which, &n) == SWDE_OK);
  return n;
}

/* "CODE@LINE TYPE" of finding `index`, for comparing a row at once. */
static const char* brief(const swde_report* report, size_t index) {
  static char text[128];
  const swde_finding* f = NULL;
  const char* type = NULL;
  uint32_t line = 0;
  int code = 0;
  if (swde_report_finding(report, index, &f) != SWDE_OK || swde_finding_code(f, &code) != SWDE_OK ||
      swde_finding_line(f, &line) != SWDE_OK || swde_finding_type(f, &type) != SWDE_OK) {
    return "?";
  }
  snprintf(text, sizeof text, "%d@%u %s", code, (unsigned)line, type);
  return text;
}

static void faults(const char* path) {
  swde_options* options = NULL;
  swde_report* report = NULL;
  const swde_finding* f = NULL;
  const char* text = NULL;
  const char* entry = NULL;
  const char* json = NULL;
  uint32_t id = 0;
  swde_severity severity = SWDE_SEVERITY_ERROR;

  EXPECT(swde_options_create(&options) == SWDE_OK);
  EXPECT(swde_options_set_jobs(options, 3) == SWDE_OK);
  EXPECT(swde_options_set_profile(options, "catalogue") == SWDE_OK);
  EXPECT(swde_check_file(NULL, path, options, &report) == SWDE_OK);
  EXPECT(count(report, SWDE_COUNT_OBJECTS) == 16 && count(report, SWDE_COUNT_CHECKED) == 14);
  EXPECT(count(report, SWDE_COUNT_ERRORS) == 26 && count(report, SWDE_COUNT_WARNINGS) == 4);
  EXPECT(count(report, SWDE_COUNT_FINDINGS) == 30 && count(report, SWDE_COUNT_FILTERED) == 0);
  EXPECT(same(brief(report, 0), "6024@14 G5JEW"));
  EXPECT(same(brief(report, 1), "6006@24 G5OBR"));
  EXPECT(same(brief(report, 5), "6008@62 G5DZE"));
  EXPECT(same(brief(report, 29), "6004@230 G5DOK"));
  EXPECT(swde_report_finding(report, 30, &f) == SWDE_ERROR_RANGE && f == NULL);

  /* Every field of one finding: 6024 about the object as a whole, with Polish letters near. */
  EXPECT(swde_report_finding(report, 0, &f) == SWDE_OK);
  EXPECT(swde_finding_file(f, &text) == SWDE_OK && same(text, path));
  EXPECT(swde_finding_message(f, &text) == SWDE_OK &&
         same(text, "Niepoprawne oznaczenie statusu obiektu G5JEW"));
  EXPECT(swde_finding_value(f, &text) == SWDE_OK && same(text, "03"));
  EXPECT(swde_finding_key(f, &text) == SWDE_OK && same(text, "126101_1"));
  EXPECT(swde_finding_entry(f, &id, &entry) == SWDE_OK && entry == NULL && id == 0);
  EXPECT(swde_finding_object_id(f, &id) == SWDE_OK && id == 1);
  /* A warning about one attribute, and a message in UTF-8. */
  EXPECT(swde_report_finding(report, 5, &f) == SWDE_OK);
  EXPECT(swde_finding_severity(f, &severity) == SWDE_OK && severity == SWDE_SEVERITY_WARNING);
  EXPECT(swde_report_finding(report, 7, &f) == SWDE_OK);
  EXPECT(swde_finding_message(f, &text) == SWDE_OK &&
         same(text,
              "Typ wskazywany przez wi\xc4\x85zanie G5ROBR w obiekcie G5DZE niezgodny z "
              "za\xc5\x82\xc4\x85"
              "cznikiem"));
  EXPECT(swde_finding_expected(f, &text) == SWDE_OK && same(text, "G5OBR"));
  EXPECT(swde_finding_entry(f, &id, &entry) == SWDE_OK && same(entry, "G5ROBR"));
  EXPECT(swde_report_json(report, &json) == SWDE_OK &&
         strncmp(json, "{\"format\":\"swde-check-report\",\"version\":1,", 42) == 0);
  swde_report_free(report);

  /* A selection: only 6008, the rest counted as filtered. */
  EXPECT(swde_options_select(options, "6008") == SWDE_OK);
  EXPECT(swde_check_file(NULL, path, options, &report) == SWDE_OK);
  EXPECT(count(report, SWDE_COUNT_FINDINGS) == 2 && count(report, SWDE_COUNT_FILTERED) == 28);
  swde_report_free(report);
  swde_options_free(options);

  /* The document checks too (the default profile): dangling references, settled at the end. */
  EXPECT(swde_options_create(&options) == SWDE_OK);
  EXPECT(swde_options_set_today(options, "2026.12.07") == SWDE_OK);
  EXPECT(swde_check_file(NULL, path, options, &report) == SWDE_OK);
  EXPECT(count(report, SWDE_COUNT_ERRORS) == 27 && count(report, SWDE_COUNT_WARNINGS) == 9);
  EXPECT(same(brief(report, 30), "7002@99 G5DZE") && same(brief(report, 35), "7002@190 G5ZMN"));
  swde_report_free(report);
  swde_options_free(options);
}

static void object(void) {
  swde_object* adr = NULL;
  swde_object* jew = NULL;
  swde_report* report = NULL;
  swde_report* again = NULL;
  swde_session* document = NULL;
  const swde_finding* f = NULL;
  const char* text = NULL;
  uint32_t id = 0;

  EXPECT(swde_object_create("G5ADR", "00", "RD", &adr) == SWDE_OK);
  EXPECT(swde_object_set_location(adr, 5, 9) == SWDE_OK);
  EXPECT(swde_object_add_attribute(adr, "G5KOD", "32420", 7, 1) == SWDE_OK);
  EXPECT(swde_object_add_attribute(adr, "G5MSC", "Krak\xc3\xb3w", 8, 2) == SWDE_OK);
  EXPECT(swde_object_check(adr, NULL, &report) == SWDE_OK);
  /* Three required attributes missing (at the object's line), then the postal code. */
  EXPECT(count(report, SWDE_COUNT_FINDINGS) == 4 && same(brief(report, 0), "6008@5 G5ADR"));
  EXPECT(same(brief(report, 3), "6028@7 G5ADR"));
  EXPECT(swde_report_finding(report, 3, &f) == SWDE_OK);
  EXPECT(swde_finding_value(f, &text) == SWDE_OK && same(text, "32420"));
  /* Checked again: the same findings, none carried over from the first run. */
  EXPECT(swde_object_check(adr, NULL, &again) == SWDE_OK);
  EXPECT(count(again, SWDE_COUNT_FINDINGS) == count(report, SWDE_COUNT_FINDINGS));
  EXPECT(same(brief(again, 3), "6028@7 G5ADR"));
  swde_report_free(again);
  swde_report_free(report);
  /* Entries left at line 0 and id 0: a finding names the entry it is about, numbered by its
   * ordinal, not the first one with the same line and id. */
  EXPECT(swde_object_create("G5JEW", "00", "RO", &jew) == SWDE_OK);
  EXPECT(swde_object_add_attribute(jew, "G5IDJ", "126101_1", 0, 0) == SWDE_OK);
  EXPECT(swde_object_add_attribute(jew, "G5NAZ", "Gmina", 0, 0) == SWDE_OK);
  EXPECT(swde_object_add_attribute(jew, "G5DTU", "2020.01.02-10:00:00", 0, 0) == SWDE_OK);
  EXPECT(swde_object_add_attribute(jew, "G5DTW", "2020/01/03", 0, 0) == SWDE_OK);
  EXPECT(swde_object_check(jew, NULL, &report) == SWDE_OK);
  EXPECT(count(report, SWDE_COUNT_FINDINGS) == 1 && same(brief(report, 0), "6018@0 G5JEW"));
  EXPECT(swde_report_finding(report, 0, &f) == SWDE_OK);
  EXPECT(swde_finding_entry(f, &id, &text) == SWDE_OK && same(text, "G5DTW") && id == 4);
  EXPECT(swde_finding_value(f, &text) == SWDE_OK && same(text, "2020/01/03"));
  swde_report_free(report);
  /* The same object twice in one document: its key is used again (7001, on the second). */
  EXPECT(swde_session_create(NULL, NULL, "two.xml", &document) == SWDE_OK);
  EXPECT(swde_session_add(document, jew) == SWDE_OK && swde_session_add(document, jew) == SWDE_OK);
  EXPECT(swde_session_finish(document, &report) == SWDE_OK);
  EXPECT(count(report, SWDE_COUNT_FINDINGS) == 3 && same(brief(report, 2), "7001@0 G5JEW"));
  EXPECT(swde_report_finding(report, 2, &f) == SWDE_OK);
  EXPECT(swde_finding_entry(f, &id, &text) == SWDE_OK && same(text, "G5IDJ") && id == 1);
  EXPECT(swde_finding_file(f, &text) == SWDE_OK && same(text, "two.xml"));
  swde_report_free(report);
  swde_session_free(document);
  swde_object_free(jew);
  /* Text that windows-1250 cannot hold is refused where it comes in. */
  EXPECT(swde_object_add_attribute(adr, "G5MSC", "\xe2\x82\xac\xf0\x9f\x98\x80", 9, 3) ==
         SWDE_ERROR_ARGUMENT);
  swde_object_free(adr);
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s examples/faults.xml ANNEX-WITH-MISTAKES DOUBTFUL-ANNEX\n", argv[0]);
    return 2;
  }
  EXPECT(swde_c_api_version() == SWDE_C_API_VERSION);
  EXPECT(strchr(swde_version(), '.') != NULL);
  faults(argv[1]);
  object();
  return failures == 0 ? 0 : 1;
}
