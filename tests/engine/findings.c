/* swde — semantic checks of SWDE cadastral exchange objects.
 * The findings of the document argv[1] through the C interface, one line each as the README's
 * check-document prints them: its fields tab-separated, "-" where one does not apply. */
#include <stdio.h>
#include <swde/swde.h>

static const char* shown(const char* text) {
  return text != NULL ? text : "-";
}

int main(int argc, char** argv) {
  swde_report* report = NULL;
  uint64_t count = 0;
  size_t i;
  if (argc != 2 || swde_check_file(NULL, argv[1], NULL, &report) != SWDE_OK ||
      swde_report_count(report, SWDE_COUNT_FINDINGS, &count) != SWDE_OK) {
    fprintf(stderr, "findings: %s\n", swde_last_error());
    swde_report_free(report);
    return 2;
  }
  for (i = 0; i < count; ++i) {
    const swde_finding* f = NULL;
    const char *type = NULL, *entry = NULL, *key = NULL, *value = NULL, *expected = NULL,
               *message = NULL;
    uint32_t line = 0, object = 0, entry_id = 0;
    int code = 0;
    swde_severity severity = SWDE_SEVERITY_ERROR;
    if (swde_report_finding(report, i, &f) != SWDE_OK || swde_finding_line(f, &line) != SWDE_OK ||
        swde_finding_code(f, &code) != SWDE_OK || swde_finding_severity(f, &severity) != SWDE_OK ||
        swde_finding_type(f, &type) != SWDE_OK || swde_finding_object_id(f, &object) != SWDE_OK ||
        swde_finding_entry(f, &entry_id, &entry) != SWDE_OK ||
        swde_finding_key(f, &key) != SWDE_OK || swde_finding_value(f, &value) != SWDE_OK ||
        swde_finding_expected(f, &expected) != SWDE_OK ||
        swde_finding_message(f, &message) != SWDE_OK) {
      fprintf(stderr, "findings: %s\n", swde_last_error());
      swde_report_free(report);
      return 2;
    }
    printf("%u\t%d\t%s\t%s\t%u\t", (unsigned)line, code,
           severity == SWDE_SEVERITY_ERROR ? "error" : "warning", type, (unsigned)object);
    if (entry != NULL) {
      printf("%u\t%s\t", (unsigned)entry_id, entry);
    } else {
      printf("-\t-\t");
    }
    printf("%s\t%s\t%s\t%s\n", shown(key), shown(value), shown(expected), message);
  }
  swde_report_free(report);
  return 0;
}
