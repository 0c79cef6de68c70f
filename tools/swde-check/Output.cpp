// swde — semantic checks of SWDE cadastral exchange objects.
//
// The three output formats. Each writes as findings arrive, so output of any size needs no
// more memory than one finding.
#include "Output.hpp"

#include <algorithm>
#include <string_view>

#include <nlohmann/json.hpp>

namespace swde::cli {

void Totals::add(const Totals& other) {
  objects += other.objects;
  checked += other.checked;
  errors += other.errors;
  warnings += other.warnings;
  unreadable += other.unreadable;
}

std::string describe(const Failure& failure) {
  if (failure.line == 0) {
    return failure.file + ": " + failure.message;
  }
  return failure.file + ":" + std::to_string(failure.line) + ":" + std::to_string(failure.column) +
         ": " + failure.message;
}

std::string oneLine(const std::string& text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      constexpr char kHex[] = "0123456789ABCDEF";
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0x0F];
    } else {
      shown += c;
    }
  }
  return shown;
}

ProgressBar::~ProgressBar() {
  if (shown_) {
    out_ << "\r\033[K" << std::flush;
  }
}

void ProgressBar::update(std::uint64_t done, std::uint64_t total) {
  const int percent = total == 0 ? 0 : static_cast<int>(std::min(done, total) * 100 / total);
  if (percent == lastPercent_) {
    return;
  }
  lastPercent_ = percent;
  shown_ = true;
  constexpr int kWidth = 30;
  const int filled = percent * kWidth / 100;
  out_ << '\r' << oneLine(label_) << " [" << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << percent << '%'
       << std::flush;
}

void Summary::add(const Finding& finding) {
  ++byCode[finding.code];
  ++byType[finding.typeName];
}

namespace {

const char* severityOf(int msgType) {
  return msgType == 0 ? "error" : "warning";
}

// A JSON string literal; bytes that are not UTF-8 (a file name, say) are replaced.
std::string jsonString(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

class NullSink final : public OutputSink {
 public:
  void beginFile(const std::string&) override {}
  void finding(const std::string&, const Finding&) override {}
  void endFile(const std::string&, const Totals&) override {}
  void failFile(const std::string&, const Totals&, const Failure&) override {}
  void finish(const Totals&, std::size_t, const Summary*) override {}
};

// FILE:LINE: CODE TYPE severity: message; FILE:LINE:COLUMN: fatal: message for an input that
// could not be read to its end; then one line of totals. Control characters in names and
// messages (which a document can carry through character references) are shown as \xHH.
class TextSink final : public OutputSink {
 public:
  explicit TextSink(std::ostream& out) : out_(out) {}

  void beginFile(const std::string&) override {}

  void finding(const std::string& file, const Finding& f) override {
    out_ << oneLine(file) << ':' << f.line << ": " << f.code << ' ' << oneLine(f.typeName) << ' '
         << severityOf(f.msgType) << ": " << oneLine(f.message) << '\n';
  }

  void endFile(const std::string&, const Totals&) override {}

  void failFile(const std::string&, const Totals&, const Failure& failure) override {
    out_ << oneLine(failure.file);
    if (failure.line != 0) {
      out_ << ':' << failure.line << ':' << failure.column;
    }
    out_ << ": fatal: " << oneLine(failure.message) << '\n';
  }

  void finish(const Totals& t, std::size_t files, const Summary* summary) override {
    out_ << files << (files == 1 ? " file" : " files");
    if (t.unreadable > 0) {
      out_ << " (" << t.unreadable << " unreadable)";
    }
    out_ << ", " << t.objects << (t.objects == 1 ? " object (" : " objects (") << t.checked
         << " checked), " << t.errors << (t.errors == 1 ? " error, " : " errors, ") << t.warnings
         << (t.warnings == 1 ? " warning" : " warnings") << '\n';
    if (summary != nullptr) {
      out_ << "By code:\n";
      for (const auto& [code, count] : summary->byCode) {
        out_ << "  " << code << ' ' << count << '\n';
      }
      out_ << "By record type:\n";
      for (const auto& [type, count] : summary->byType) {
        out_ << "  " << oneLine(type) << ' ' << count << '\n';
      }
    }
    out_.flush();
  }

 private:
  std::ostream& out_;
};

// {"file":..., "errors":[...], "objects":N, "checked":N} per input; an array for several.
class JsonSink final : public OutputSink {
 public:
  JsonSink(std::ostream& out, std::size_t fileCount) : out_(out), array_(fileCount != 1) {
    if (array_) {
      out_ << "[\n";
    }
  }

  void beginFile(const std::string& file) override {
    if (files_++ > 0) {
      out_ << ",\n";
    }
    out_ << "{\"file\":" << jsonString(file) << ",\"errors\":[";
    first_ = true;
  }

  void finding(const std::string&, const Finding& f) override {
    out_ << (first_ ? "\n" : ",\n") << "  {\"line\":" << f.line << ",\"id\":" << f.id
         << ",\"code\":" << f.code << ",\"msgType\":" << f.msgType
         << ",\"typeName\":" << jsonString(f.typeName) << ",\"message\":" << jsonString(f.message)
         << '}';
    first_ = false;
  }

  void endFile(const std::string&, const Totals& t) override { close(t, nullptr); }

  void failFile(const std::string&, const Totals& t, const Failure& failure) override {
    const std::string error = describe(failure);
    close(t, &error);
  }

  void finish(const Totals&, std::size_t, const Summary* summary) override {
    if (summary != nullptr) {
      // The summary belongs to the whole run; with one input it joins that input's object.
      nlohmann::json byCode = nlohmann::json::object();
      for (const auto& [code, count] : summary->byCode) {
        byCode[std::to_string(code)] = count;
      }
      nlohmann::json byType = nlohmann::json::object();
      for (const auto& [type, count] : summary->byType) {
        byType[type] = count;
      }
      const nlohmann::json all = {{"byCode", byCode}, {"byType", byType}};
      pendingSummary_ = all.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    if (array_) {
      if (!pendingSummary_.empty()) {
        out_ << (files_ > 0 ? ",\n" : "") << "{\"summary\":" << pendingSummary_ << '}';
      }
      out_ << "\n]\n";
    } else {
      if (!pendingSummary_.empty()) {
        out_ << ",\"summary\":" << pendingSummary_;
      }
      out_ << "}\n";
    }
    out_.flush();
  }

 private:
  void close(const Totals& t, const std::string* error) {
    out_ << (first_ ? "]" : "\n]") << ",\"objects\":" << t.objects << ",\"checked\":" << t.checked;
    if (error != nullptr) {
      out_ << ",\"error\":" << jsonString(*error);
    }
    // A single input's object stays open until finish() so that a summary can join it.
    if (array_) {
      out_ << '}';
    }
  }

  std::ostream& out_;
  bool array_;
  bool first_ = true;
  std::size_t files_ = 0;
  std::string pendingSummary_;
};

// RFC 4180: fields with a comma, quote or line break are quoted, quotes doubled; CRLF endings.
// A text field that a spreadsheet would take for a formula (it begins with "=", "+", "-", "@",
// a tab or a carriage return) is written with a leading "'". An input that could not be read to
// its end gets a row whose code is "fatal", with the line of the failure (empty without one) and
// its message.
class CsvSink final : public OutputSink {
 public:
  explicit CsvSink(std::ostream& out) : out_(out) {
    out_ << "file,line,id,code,msgType,typeName,message\r\n";
  }

  void beginFile(const std::string&) override {}

  void finding(const std::string& file, const Finding& f) override {
    field(file);
    out_ << ',' << f.line << ',' << f.id << ',' << f.code << ',' << f.msgType << ',';
    field(f.typeName);
    out_ << ',';
    field(f.message);
    out_ << "\r\n";
  }

  void endFile(const std::string&, const Totals&) override {}

  void failFile(const std::string& file, const Totals&, const Failure& failure) override {
    field(file);
    out_ << ',';
    if (failure.line != 0) {
      out_ << failure.line;
    }
    out_ << ",,fatal,,,";
    field(failure.message);
    out_ << "\r\n";
  }

  void finish(const Totals&, std::size_t, const Summary*) override { out_.flush(); }

 private:
  void field(const std::string& value) {
    std::string text = value;
    if (!text.empty() &&
        std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
      text.insert(text.begin(), '\'');
    }
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
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
  void endFile(const std::string& file, const Totals& totals) override {
    for (const auto& sink : sinks_) {
      sink->endFile(file, totals);
    }
  }
  void failFile(const std::string& file, const Totals& totals, const Failure& failure) override {
    for (const auto& sink : sinks_) {
      sink->failFile(file, totals, failure);
    }
  }
  void finish(const Totals& totals, std::size_t files, const Summary* summary) override {
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
                                           std::size_t fileCount, bool quiet) {
  if (quiet) {
    return std::make_unique<NullSink>();
  }
  switch (format) {
    case OutputFormat::kJson:
      return std::make_unique<JsonSink>(out, fileCount);
    case OutputFormat::kCsv:
      return std::make_unique<CsvSink>(out);
    case OutputFormat::kText:
      break;
  }
  return std::make_unique<TextSink>(out);
}

}  // namespace swde::cli
