// swde — semantic checks of SWDE cadastral exchange objects.
//
// The HTML report: one self-contained file (its style sheet and script inline, charts as inline
// SVG, nothing fetched), written as the findings arrive. Each input is a <section> that opens
// with a JSON block of its findings, one array per finding:
//
//   [line, code, severity (0 error, 1 warning), type, object id, entry id, entry, key, value,
//    expected, message, object line]     (null for what a finding lacks)
//
// and ends, once its counts are known, with its header (counts, a bar per code, the failure if
// any); a style rule shows the header first. The script groups the findings per object and
// renders them a page at a time under the filters, so a report of any size stays usable, and
// the writer keeps nothing but the counts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "swde/engine/Output.hpp"
#include "swde/platform/Bytes.hpp"

extern const char swde_report_css[];
extern const std::size_t swde_report_css_size;
extern const char swde_report_js[];
extern const std::size_t swde_report_js_size;

namespace swde::engine {
namespace {

// The words of the page itself, besides those of wordsOf().
struct PageWords {
  const char* title;
  const char* help;
  const char* code;
  const char* type;
  const char* text;
  const char* errors;
  const char* warnings;
  const char* chart;
  const char* fatal;
  const char* clean;
  const char* noScript;
  nlohmann::json script;  // the words the script uses
};

const PageWords& pageWordsOf(Language language) {
  static const PageWords kEnglish{
      "swde-check report",
      "Findings are grouped per object. Filter them by code (6008, or 6001,6020-6022), record "
      "type or text; the boxes show or hide errors and warnings. A bar of a chart filters by its "
      "code.",
      "Code",
      "Type",
      "Text",
      "errors",
      "warnings",
      "Findings per code",
      "Could not be read to its end:",
      "No errors or warnings.",
      "The list of findings needs JavaScript; the counts below are complete.",
      {{"line", "Line"},
       {"code", "Code"},
       {"severity", "Severity"},
       {"message", "Message"},
       {"value", "Value"},
       {"expected", "Expected"},
       {"id", "id"},
       {"at", "line"},
       {"error", "error"},
       {"warning", "warning"},
       {"shown", "Shown: {0} of {1}"},
       {"none", "No finding passes the filters."},
       {"page", "Page {0} of {1}"},
       {"prev", "Previous"},
       {"next", "Next"}}};
  static const PageWords kPolish{
      "Raport swde-check",
      "Uwagi są zgrupowane według obiektów. Można je filtrować według kodu (6008 albo "
      "6001,6020-6022), typu rekordu lub tekstu; pola wyboru pokazują lub ukrywają błędy i "
      "ostrzeżenia. Kliknięcie słupka wykresu filtruje według jego kodu.",
      "Kod",
      "Typ",
      "Tekst",
      "błędy",
      "ostrzeżenia",
      "Uwagi według kodu",
      "Nie udało się odczytać pliku do końca:",
      "Brak błędów i ostrzeżeń.",
      "Lista uwag wymaga JavaScriptu; liczby poniżej są pełne.",
      {{"line", "Wiersz"},
       {"code", "Kod"},
       {"severity", "Rodzaj"},
       {"message", "Komunikat"},
       {"value", "Wartość"},
       {"expected", "Oczekiwano"},
       {"id", "id"},
       {"at", "wiersz"},
       {"error", "błąd"},
       {"warning", "ostrzeżenie"},
       {"shown", "Pokazano: {0} z {1}"},
       {"none", "Żadna uwaga nie spełnia warunków filtrów."},
       {"page", "Strona {0} z {1}"},
       {"prev", "Poprzednia"},
       {"next", "Następna"}}};
  return language == Language::kPolish ? kPolish : kEnglish;
}

// A JSON string of `text`, whose bytes that are not UTF-8 (of a file name, say) are written \xHH.
nlohmann::json textOf(const std::string& text) {
  return EscapeBytes(text, Escape::kInvalid);
}

// Text for an element or an attribute value; bytes that are not UTF-8 are written \xHH.
std::string escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : EscapeBytes(text, Escape::kInvalid)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// JSON for a <script> block (its strings made by textOf), "<" written as \u003c so that no text
// of a document can end the block ("<" stands only inside strings in JSON).
std::string scriptJson(const nlohmann::json& value) {
  const std::string text = value.dump();
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '<') {
      out += "\\u003c";
    } else {
      out += c;
    }
  }
  return out;
}

nlohmann::json orNull(const std::optional<std::string>& text) {
  return text ? textOf(*text) : nlohmann::json(nullptr);
}

class HtmlSink final : public OutputSink {
 public:
  HtmlSink(std::ostream& out, const OutputOptions& options)
      : out_(out), options_(options), page_(pageWordsOf(options.language)) {
    out_ << "<!DOCTYPE html>\n<html lang=\"" << languageCode(options.language)
         << "\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>"
         << page_.title << "</title>\n<style>\n";
    out_.write(swde_report_css, static_cast<std::streamsize>(swde_report_css_size));
    out_ << "</style>\n</head>\n<body>\n<script type=\"application/json\" id=\"frame\">"
         << scriptJson(page_.script) << "</script>\n<header class=\"top\">\n<h1>" << page_.title
         << "</h1>\n<p class=\"help\">" << page_.help << "</p>\n<div class=\"controls\">\n";
    for (const auto& [id, label] :
         {std::pair{"f-code", page_.code}, std::pair{"f-type", page_.type},
          std::pair{"f-text", page_.text}}) {
      out_ << "<label>" << label << " <input type=\"search\" id=\"" << id << "\"></label>\n";
    }
    out_ << "<label><input type=\"checkbox\" id=\"f-error\" checked> " << page_.errors
         << "</label>\n<label><input type=\"checkbox\" id=\"f-warning\" checked> " << page_.warnings
         << "</label>\n</div>\n<noscript><p>" << page_.noScript
         << "</p></noscript>\n</header>\n<main>\n";
  }

  void beginFile(const std::string&) override {
    out_ << "<section class=\"file\">\n<script type=\"application/json\" class=\"data\">[";
    first_ = true;
  }

  void finding(const std::string&, const Finding& f) override {
    const nlohmann::json row = {f.line,
                                f.code,
                                f.msgType == 0 ? 0 : 1,
                                textOf(f.typeName),
                                f.objectId,
                                f.hasEntry ? nlohmann::json(f.entryId) : nlohmann::json(nullptr),
                                f.hasEntry ? textOf(f.entry) : nlohmann::json(nullptr),
                                orNull(f.key),
                                orNull(f.value),
                                orNull(f.expected),
                                textOf(f.message),
                                f.objectLine};
    out_ << (first_ ? "\n" : ",\n") << scriptJson(row);
    first_ = false;
  }

  void endFile(const std::string& file, const Totals& totals, const Summary& summary,
               const Failure* failure) override {
    out_ << "]</script>\n<div class=\"head\">\n<h2>" << escaped(file)
         << "</h2>\n<p class=\"counts\">" << escaped(describeCounts(totals, options_)) << "</p>\n";
    if (failure != nullptr) {
      out_ << "<p class=\"fatal\">" << page_.fatal << ' ' << escaped(describe(*failure))
           << "</p>\n";
    }
    if (summary.byCode.empty()) {
      out_ << (failure == nullptr ? std::string("<p class=\"clean\">") + page_.clean + "</p>\n"
                                  : "");
    } else {
      chart(summary);
    }
    out_ << "</div>\n<div class=\"list\"></div>\n</section>\n";
  }

  void finish(const Totals& totals, std::size_t files, const Summary&) override {
    out_ << "</main>\n<footer class=\"totals\"><p>"
         << escaped(describeTotals(totals, files, options_)) << "</p></footer>\n<script>\n";
    out_.write(swde_report_js, static_cast<std::streamsize>(swde_report_js_size));
    out_ << "</script>\n</body>\n</html>\n";
    out_.flush();
  }

 private:
  // A column per code: its errors in red under its warnings in amber, the count above them,
  // the code below.
  void chart(const Summary& summary) {
    constexpr std::uint64_t kColumn = 32;
    constexpr std::uint64_t kBar = 22;
    constexpr std::uint64_t kHeight = 90;
    constexpr std::uint64_t kTop = 16;
    std::uint64_t most = 1;
    for (const auto& [code, counts] : summary.byCode) {
      most = std::max(most, counts.first + counts.second);
    }
    const auto height = [most](std::uint64_t n) {
      return n == 0 ? 0 : std::max<std::uint64_t>(1, n * kHeight / most);
    };
    out_ << "<div class=\"chart\"><svg class=\"chart\" role=\"img\" width=\""
         << summary.byCode.size() * kColumn << "\" height=\"" << kTop + kHeight + 18
         << "\" aria-label=\"" << page_.chart << "\">\n";
    std::uint64_t x = 0;
    for (const auto& [code, counts] : summary.byCode) {
      const std::uint64_t errors = height(counts.first);
      const std::uint64_t warnings = height(counts.second);
      const std::uint64_t base = kTop + kHeight;
      out_ << "<g class=\"bar\" data-code=\"" << code << "\"><title>" << code << ": "
           << page_.errors << ' ' << counts.first << ", " << page_.warnings << ' ' << counts.second
           << "</title><rect class=\"hit\" x=\"" << x << "\" y=\"0\" width=\"" << kColumn
           << "\" height=\"" << base + 18 << "\"/>";
      const auto rect = [&](const char* kind, std::uint64_t top, std::uint64_t size) {
        if (size > 0) {
          out_ << "<rect class=\"" << kind << "\" x=\"" << x + (kColumn - kBar) / 2 << "\" y=\""
               << top << "\" width=\"" << kBar << "\" height=\"" << size << "\"/>";
        }
      };
      rect("error", base - errors, errors);
      rect("warning", base - errors - warnings, warnings);
      out_ << "<text x=\"" << x + kColumn / 2 << "\" y=\"" << base - errors - warnings - 4 << "\">"
           << counts.first + counts.second << "</text><text x=\"" << x + kColumn / 2 << "\" y=\""
           << base + 14 << "\">" << code << "</text></g>\n";
      x += kColumn;
    }
    out_ << "</svg></div>\n";
  }

  std::ostream& out_;
  OutputOptions options_;
  const PageWords& page_;
  bool first_ = true;
};

}  // namespace

std::unique_ptr<OutputSink> makeHtmlSink(std::ostream& out, const OutputOptions& options) {
  return std::make_unique<HtmlSink>(out, options);
}

}  // namespace swde::engine
