// swde — semantic checks of SWDE cadastral exchange objects.
//
// The text, JSON and CSV formats (HTML is in HtmlOutput.cpp). Each writes as findings arrive,
// so output of any size needs no more memory than one finding.
#include "swde/engine/Output.hpp"

#include <algorithm>
#include <string_view>

#include <nlohmann/json.hpp>

#include "swde/platform/Bytes.hpp"

namespace swde::engine {
namespace {

// Text for the text report and the terminal: invalid bytes and control characters as \xHH.
std::string shown(std::string_view text) {
  return EscapeBytes(text, Escape::kInvalidAndControls);
}

// Text for JSON, CSV and HTML, which quote control characters in their own ways: invalid bytes
// as \xHH.
std::string valid(std::string_view text) {
  return EscapeBytes(text, Escape::kInvalid);
}

}  // namespace

void Totals::add(const Totals& other) {
  objects += other.objects;
  checked += other.checked;
  errors += other.errors;
  warnings += other.warnings;
  unreadable += other.unreadable;
  filtered += other.filtered;
  unlisted += other.unlisted;
}

std::string describe(const Failure& failure) {
  if (failure.line == 0) {
    return failure.file + ": " + failure.message;
  }
  return failure.file + ":" + std::to_string(failure.line) + ":" + std::to_string(failure.column) +
         ": " + failure.message;
}

void Summary::add(const Finding& finding) {
  auto& counts = byCode[finding.code];
  ++(finding.msgType == 0 ? counts.first : counts.second);
  ++byType[finding.typeName];
}

void Summary::add(const Summary& other) {
  for (const auto& [code, counts] : other.byCode) {
    byCode[code].first += counts.first;
    byCode[code].second += counts.second;
  }
  for (const auto& [type, count] : other.byType) {
    byType[type] += count;
  }
}

std::string describeCounts(const Totals& t, const OutputOptions& options) {
  const Language lang = options.language;
  const bool pl = lang == Language::kPolish;
  std::string text =
      counted(t.objects,
              pl ? Forms{"obiekt", "obiekty", "obiektów"} : Forms{"object", "objects", "objects"},
              lang) +
      " (" +
      counted(t.checked,
              pl ? Forms{"sprawdzony", "sprawdzone", "sprawdzonych"}
                 : Forms{"checked", "checked", "checked"},
              lang) +
      "), " +
      counted(t.errors, pl ? Forms{"błąd", "błędy", "błędów"} : Forms{"error", "errors", "errors"},
              lang) +
      ", " +
      counted(t.warnings,
              pl ? Forms{"ostrzeżenie", "ostrzeżenia", "ostrzeżeń"}
                 : Forms{"warning", "warnings", "warnings"},
              lang);
  if (options.filters || options.capped) {
    text += " (";
    if (options.filters) {
      text += pl ? "odfiltrowano " + std::to_string(t.filtered)
                 : std::to_string(t.filtered) + " filtered out";
    }
    if (options.capped) {
      text += options.filters ? ", " : "";
      text += pl ? "nie wypisano " + std::to_string(t.unlisted)
                 : std::to_string(t.unlisted) + " not listed";
    }
    text += ')';
  }
  return text;
}

std::string describeTotals(const Totals& t, std::size_t files, const OutputOptions& options) {
  const Language lang = options.language;
  const bool pl = lang == Language::kPolish;
  std::string text =
      counted(files, pl ? Forms{"plik", "pliki", "plików"} : Forms{"file", "files", "files"}, lang);
  if (t.unreadable > 0) {
    text += " (" +
            counted(t.unreadable,
                    pl ? Forms{"nieczytelny", "nieczytelne", "nieczytelnych"}
                       : Forms{"unreadable", "unreadable", "unreadable"},
                    lang) +
            ')';
  }
  return text + ", " + describeCounts(t, options);
}

namespace {

const char* severityOf(int msgType) {
  return msgType == 0 ? "error" : "warning";
}

// A JSON string literal; bytes that are not UTF-8 (of a file name, say) are written \xHH.
std::string jsonString(const std::string& text) {
  return nlohmann::json(valid(text)).dump();
}

class NullSink final : public OutputSink {
 public:
  void beginFile(const std::string&) override {}
  void finding(const std::string&, const Finding&) override {}
  void endFile(const std::string&, const Totals&, const Summary&, const Failure*) override {}
  void finish(const Totals&, std::size_t, const Summary&) override {}
};

// FILE:LINE: CODE TYPE severity: message [value "V", expected E, key K]; FILE:LINE:COLUMN:
// fatal: message for an input that could not be read to its end; then one line of totals.
// Control characters in names, messages and values (which a document can carry through
// character references, a file name in any byte) and bytes that are not UTF-8 are shown as \xHH.
class TextSink final : public OutputSink {
 public:
  TextSink(std::ostream& out, const OutputOptions& options)
      : out_(out), options_(options), words_(wordsOf(options.language)) {}

  void beginFile(const std::string&) override {}

  void finding(const std::string& file, const Finding& f) override {
    out_ << shown(file) << ':' << f.line << ": " << f.code << ' ' << shown(f.typeName) << ' '
         << (f.msgType == 0 ? words_.error : words_.warning) << ": " << shown(f.message);
    const char* separator = " [";
    const auto part = [&](const char* word, const std::string& text, bool quoted) {
      out_ << separator << word << (quoted ? " \"" : " ") << shown(text) << (quoted ? "\"" : "");
      separator = ", ";
    };
    if (f.value) {
      part(words_.value, *f.value, true);
    }
    if (f.expected) {
      part(words_.expected, *f.expected, false);
    }
    if (f.key) {
      part(words_.key, *f.key, false);
    }
    out_ << (*separator == ',' ? "]\n" : "\n");
  }

  void endFile(const std::string&, const Totals&, const Summary&, const Failure* failure) override {
    if (failure == nullptr) {
      return;
    }
    out_ << shown(failure->file);
    if (failure->line != 0) {
      out_ << ':' << failure->line << ':' << failure->column;
    }
    out_ << ": " << words_.fatal << ": " << shown(failure->message) << '\n';
  }

  void finish(const Totals& t, std::size_t files, const Summary& summary) override {
    out_ << describeTotals(t, files, options_) << '\n';
    if (options_.summary) {
      out_ << words_.byCode << '\n';
      for (const auto& [code, counts] : summary.byCode) {
        out_ << "  " << code << ' ' << counts.first + counts.second << '\n';
      }
      out_ << words_.byType << '\n';
      for (const auto& [type, count] : summary.byType) {
        out_ << "  " << shown(type) << ' ' << count << '\n';
      }
    }
    out_.flush();
  }

 private:
  std::ostream& out_;
  OutputOptions options_;
  const Words& words_;
};

// {"format":"swde-check-report","version":1,"files":[...],"summary":{...}}, one envelope for
// any number of inputs; each file's findings are written as they come, its counts after them.
class JsonSink final : public OutputSink {
 public:
  explicit JsonSink(std::ostream& out) : out_(out) {
    out_ << "{\"format\":\"swde-check-report\",\"version\":1,\"files\":[";
  }

  void beginFile(const std::string& file) override {
    out_ << (files_++ > 0 ? ",\n" : "\n") << "{\"file\":" << jsonString(file) << ",\"findings\":[";
    first_ = true;
  }

  void finding(const std::string&, const Finding& f) override {
    out_ << (first_ ? "\n" : ",\n") << "  {\"line\":" << f.line << ",\"code\":" << f.code
         << ",\"severity\":\"" << severityOf(f.msgType) << "\",\"type\":" << jsonString(f.typeName)
         << ",\"object_id\":" << f.objectId;
    if (f.hasEntry) {
      out_ << ",\"entry_id\":" << f.entryId << ",\"entry\":" << jsonString(f.entry);
    }
    for (const auto& [name, text] : {std::pair{"key", &f.key}, std::pair{"value", &f.value},
                                     std::pair{"expected", &f.expected}}) {
      if (*text) {
        out_ << ",\"" << name << "\":" << jsonString(**text);
      }
    }
    out_ << ",\"message\":" << jsonString(f.message) << '}';
    first_ = false;
  }

  void endFile(const std::string&, const Totals& t, const Summary&,
               const Failure* failure) override {
    out_ << (first_ ? "]," : "\n],");
    counts(t);
    out_ << ",\"fatal\":";
    if (failure == nullptr) {
      out_ << "null";
    } else {
      out_ << '{';
      if (failure->line != 0) {
        out_ << "\"line\":" << failure->line << ",\"column\":" << failure->column << ',';
      }
      out_ << "\"message\":" << jsonString(failure->message) << '}';
    }
    out_ << '}';
  }

  void finish(const Totals& t, std::size_t files, const Summary& summary) override {
    out_ << (files_ > 0 ? "\n" : "") << "],\n\"summary\":{\"files\":" << files
         << ",\"unreadable\":" << t.unreadable << ',';
    counts(t);
    out_ << ",\"by_code\":{";
    const char* separator = "";
    for (const auto& [code, counts] : summary.byCode) {
      out_ << separator << '"' << code << "\":" << counts.first + counts.second;
      separator = ",";
    }
    out_ << "},\"by_type\":{";
    separator = "";
    for (const auto& [type, count] : summary.byType) {
      out_ << separator << jsonString(type) << ':' << count;
      separator = ",";
    }
    out_ << "}}}\n";
    out_.flush();
  }

 private:
  void counts(const Totals& t) {
    out_ << "\"objects\":" << t.objects << ",\"checked\":" << t.checked
         << ",\"errors\":" << t.errors << ",\"warnings\":" << t.warnings
         << ",\"filtered\":" << t.filtered << ",\"unlisted\":" << t.unlisted;
  }

  std::ostream& out_;
  bool first_ = true;
  std::size_t files_ = 0;
};

// RFC 4180 with a chosen delimiter: fields with the delimiter, a quote or a line break are
// quoted, quotes doubled; CRLF endings. A text field that a spreadsheet would take for a
// formula (it begins with "=", "+", "-", "@", a tab or a carriage return) is written with a
// leading "'". An input that could not be read to its end gets a row whose code and severity
// are "fatal", with the line of the failure (empty without one) and its message.
class CsvSink final : public OutputSink {
 public:
  CsvSink(std::ostream& out, const OutputOptions& options)
      : out_(out), delimiter_(options.csvDelimiter) {
    if (options.byteOrderMark) {
      out_ << "\xEF\xBB\xBF";
    }
    const char* const header[] = {"file",     "line",  "code", "severity", "type",     "object_id",
                                  "entry_id", "entry", "key",  "value",    "expected", "message"};
    for (const char* name : header) {
      out_ << (name == header[0] ? "" : std::string(1, delimiter_)) << name;
    }
    out_ << "\r\n";
  }

  void beginFile(const std::string&) override {}

  void finding(const std::string& file, const Finding& f) override {
    static const std::string kNone;
    field(file);
    out_ << delimiter_ << f.line << delimiter_ << f.code << delimiter_ << severityOf(f.msgType)
         << delimiter_;
    field(f.typeName);
    out_ << delimiter_ << f.objectId << delimiter_;
    if (f.hasEntry) {
      out_ << f.entryId;
    }
    for (const std::string* text :
         {&f.entry, f.key ? &*f.key : &kNone, f.value ? &*f.value : &kNone,
          f.expected ? &*f.expected : &kNone, &f.message}) {
      out_ << delimiter_;
      field(*text);
    }
    out_ << "\r\n";
  }

  void endFile(const std::string& file, const Totals&, const Summary&,
               const Failure* failure) override {
    if (failure == nullptr) {
      return;
    }
    field(file);
    out_ << delimiter_;
    if (failure->line != 0) {
      out_ << failure->line;
    }
    out_ << delimiter_ << "fatal" << delimiter_ << "fatal" << std::string(8, delimiter_);
    field(failure->message);
    out_ << "\r\n";
  }

  void finish(const Totals&, std::size_t, const Summary&) override { out_.flush(); }

 private:
  void field(const std::string& value) {
    std::string text = valid(value);
    if (!text.empty() &&
        std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
      text.insert(text.begin(), '\'');
    }
    if (text.find_first_of(std::string{'"', '\r', '\n', delimiter_}) == std::string::npos) {
      out_ << text;
      return;
    }
    out_ << '"';
    for (const char c : text) {
      if (c == '"') {
        out_ << '"';
      }
      out_ << c;
    }
    out_ << '"';
  }

  std::ostream& out_;
  char delimiter_;
};

class TeeSink final : public OutputSink {
 public:
  explicit TeeSink(std::vector<std::unique_ptr<OutputSink>> sinks) : sinks_(std::move(sinks)) {}

  void beginFile(const std::string& file) override {
    for (const auto& sink : sinks_) {
      sink->beginFile(file);
    }
  }
  void finding(const std::string& file, const Finding& finding) override {
    for (const auto& sink : sinks_) {
      sink->finding(file, finding);
    }
  }
  void endFile(const std::string& file, const Totals& totals, const Summary& summary,
               const Failure* failure) override {
    for (const auto& sink : sinks_) {
      sink->endFile(file, totals, summary, failure);
    }
  }
  void finish(const Totals& totals, std::size_t files, const Summary& summary) override {
    for (const auto& sink : sinks_) {
      sink->finish(totals, files, summary);
    }
  }

 private:
  std::vector<std::unique_ptr<OutputSink>> sinks_;
};

}  // namespace

std::unique_ptr<OutputSink> makeTeeSink(std::vector<std::unique_ptr<OutputSink>> sinks) {
  return std::make_unique<TeeSink>(std::move(sinks));
}

std::unique_ptr<OutputSink> makeOutputSink(OutputFormat format, std::ostream& out,
                                           const OutputOptions& options, bool quiet) {
  if (quiet) {
    return std::make_unique<NullSink>();
  }
  switch (format) {
    case OutputFormat::kJson:
      return std::make_unique<JsonSink>(out);
    case OutputFormat::kCsv:
      return std::make_unique<CsvSink>(out, options);
    case OutputFormat::kHtml:
      return makeHtmlSink(out, options);
    case OutputFormat::kText:
      break;
  }
  return std::make_unique<TextSink>(out, options);
}

}  // namespace swde::engine
