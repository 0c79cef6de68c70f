// swde — semantic checks of SWDE cadastral exchange objects.
//
// The three output formats. Each writes as findings arrive, so output of any size needs no
// more memory than one finding.
#include "Output.hpp"

#include <nlohmann/json.hpp>

namespace swde::cli {

void Totals::add(const Totals& other) {
  objects += other.objects;
  checked += other.checked;
  errors += other.errors;
  warnings += other.warnings;
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

// A line of the text report must stay one line: control characters in names and messages
// (which a document can carry through character references) are shown as \xHH.
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

class NullSink final : public OutputSink {
 public:
  void beginFile(const std::string&) override {}
  void finding(const std::string&, const Finding&) override {}
  void endFile(const std::string&, const Totals&) override {}
  void failFile(const std::string&, const Totals&, const std::string&) override {}
  void finish(const Totals&, std::size_t, const Summary*) override {}
};

// FILE:LINE: CODE TYPE severity: message, then one line of totals.
class TextSink final : public OutputSink {
 public:
  explicit TextSink(std::ostream& out) : out_(out) {}

  void beginFile(const std::string&) override {}

  void finding(const std::string& file, const Finding& f) override {
    out_ << oneLine(file) << ':' << f.line << ": " << f.code << ' ' << oneLine(f.typeName) << ' '
         << severityOf(f.msgType) << ": " << oneLine(f.message) << '\n';
  }

  void endFile(const std::string&, const Totals&) override {}
  void failFile(const std::string&, const Totals&, const std::string&) override {}

  void finish(const Totals& t, std::size_t files, const Summary* summary) override {
    out_ << files << (files == 1 ? " file, " : " files, ") << t.objects
         << (t.objects == 1 ? " object (" : " objects (") << t.checked << " checked), " << t.errors
         << (t.errors == 1 ? " error, " : " errors, ") << t.warnings
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

  void failFile(const std::string&, const Totals& t, const std::string& error) override {
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
  void failFile(const std::string&, const Totals&, const std::string&) override {}
  void finish(const Totals&, std::size_t, const Summary*) override { out_.flush(); }

 private:
  void field(const std::string& text) {
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

}  // namespace

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
