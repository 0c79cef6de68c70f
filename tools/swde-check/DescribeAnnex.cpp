// swde — semantic checks of SWDE cadastral exchange objects.
//
// The description is generated from the metadata set alone, so that docs/annex.md can be kept
// equal to the tool's output for the built-in schema. Names and values come as CP1250 bytes and
// are written as UTF-8 with the characters that Markdown would read as markup escaped.
#include "DescribeAnnex.hpp"

#include <ostream>
#include <string>
#include <utility>

#include "swde/platform/Cp1250.hpp"

namespace swde::cli {
namespace {

struct Texts {
  const char* title;
  Forms recordTypes;
  Forms declarations;
  const char* legend;
  const char* baseType;
  const char* attributeHeader;
  const char* relationHeader;
  const char* noAttributes;
  const char* noRelations;
  const char* code;
  const char* undeclared;
  const char* lentMarks;  // "%c checks, %k keys, %s shares" filled in
  const char* noMarks;
};

const Texts& textsOf(Language language) {
  static const Texts kEnglish{
      "Reference schema",
      {"record type", "record types", "record types"},
      {"attribute declaration", "attribute declarations", "attribute declarations"},
      "Level: 1 required (missing or blank is an error), 2 required (reported as a warning), "
      "3 and above optional (a blank value passes unchecked), 0 optional. Occurs: 1 exactly "
      "once, 0..1 at most once, 1..* at least once, 0..* any number of times. Marks: `key` "
      "identifies the object among those of its record type, `check` names what the values "
      "must be beyond their base type, `shares` names the attribute whose shares add up to 1 "
      "over the objects pointing to one target, `inverse` is never required.",
      "base type",
      "| Attribute | Base type | Level | Occurs | Values | Marks |",
      "| Relation | Level | Occurs | Targets | Marks |",
      "No attributes.",
      "No relations.",
      "code",
      "undeclared",
      "Marks: built-in. This schema has no key, check or shares mark of its own; the built-in "
      "schema's apply to the record types and attributes the two share (%c checks, %k keys, "
      "%s shares), and are shown below.",
      "Marks: none. This schema has no key, check or shares mark of its own and shares none of "
      "its record types and attributes with the built-in schema: keys, identifiers and shares "
      "go unchecked."};
  static const Texts kPolish{
      "Schemat referencyjny",
      {"typ rekordu", "typy rekordów", "typów rekordów"},
      {"deklaracja atrybutu", "deklaracje atrybutów", "deklaracji atrybutów"},
      "Poziom: 1 wymagany (brak lub pusta wartość to błąd), 2 wymagany (zgłaszany jako "
      "ostrzeżenie), 3 i więcej opcjonalny (pusta wartość przechodzi bez sprawdzania), "
      "0 opcjonalny. Wystąpienia: 1 dokładnie raz, 0..1 najwyżej raz, 1..* co najmniej raz, "
      "0..* dowolnie wiele razy. Oznaczenia: `key` identyfikuje obiekt wśród obiektów jego typu "
      "rekordu, `check` mówi, czym muszą być wartości poza typem bazowym, `shares` wskazuje "
      "atrybut, którego udziały obiektów wskazujących jeden cel sumują się do 1, `inverse` "
      "nigdy nie jest wymagana.",
      "typ bazowy",
      "| Atrybut | Typ bazowy | Poziom | Wystąpienia | Wartości | Oznaczenia |",
      "| Relacja | Poziom | Wystąpienia | Cele | Oznaczenia |",
      "Brak atrybutów.",
      "Brak relacji.",
      "kod",
      "niezadeklarowany",
      "Oznaczenia: wbudowane. Ten schemat nie ma własnych oznaczeń `key`, `check` ani `shares`; "
      "obowiązują oznaczenia schematu wbudowanego dla typów rekordów i atrybutów wspólnych obu "
      "schematom (`check`: %c, `key`: %k, `shares`: %s), pokazane niżej.",
      "Oznaczenia: brak. Ten schemat nie ma własnych oznaczeń `key`, `check` ani `shares` i nie "
      "ma typów rekordów ani atrybutów wspólnych ze schematem wbudowanym: klucze, identyfikatory "
      "i udziały nie są sprawdzane."};
  return language == Language::kPolish ? kPolish : kEnglish;
}

// `text` (CP1250) as UTF-8 that Markdown shows as written, also inside a table cell.
std::string escaped(std::string_view text) {
  std::string out;
  for (const char c : Cp1250ToUtf8(text)) {
    if (c == '\\' || c == '|' || c == '*' || c == '`' || c == '<' || c == '[' || c == ']') {
      out += '\\';
    }
    out += c;
  }
  return out;
}

std::string occurs(bool required, bool multiple) {
  return required ? (multiple ? "1..*" : "1") : (multiple ? "0..*" : "0..1");
}

bool isRequired(int mandatory) {
  return mandatory == 1 || mandatory == 2;
}

// The name, with the code after it where the two differ.
std::string nameOf(const AnsiString& name, const AnsiString& code, const Texts& texts) {
  std::string text = escaped(name);
  if (code != name) {
    text += std::string(" (") + texts.code + " " + escaped(code) + ")";
  }
  return text;
}

std::string joined(const std::vector<AnsiString>& items) {
  std::string text;
  for (const AnsiString& item : items) {
    text += (text.empty() ? "" : ", ") + (item.empty() ? std::string("\"\"") : escaped(item));
  }
  return text;
}

void describeType(const RecordType& type, const AttribsSection& declarations, const Texts& texts,
                  std::ostream& out) {
  out << "\n## " << escaped(type.name) << "\n\n"
      << texts.baseType << ": " << escaped(type.baseType) << "\n\n";
  if (type.attributeCount() == 0) {
    out << texts.noAttributes << "\n";
  } else {
    out << texts.attributeHeader << "\n|---|---|---|---|---|---|\n";
    for (const AttributeDef* def : type.attributes()) {
      const AttributeDecl* decl = declarations.getAttribute(def->name);
      std::string marks = def->key ? "`key`" : "";
      if (decl != nullptr && decl->check != ValueCheck::kNone) {
        marks +=
            std::string(marks.empty() ? "" : ", ") + "`check " + ValueCheckName(decl->check) + "`";
      }
      out << "| " << nameOf(def->name, def->code, texts) << " | "
          << (decl != nullptr ? escaped(decl->baseType) : std::string("(") + texts.undeclared + ")")
          << " | " << def->mandatory << " | " << occurs(isRequired(def->mandatory), def->multiple)
          << " | " << joined(def->possibleValues()) << " | " << marks << " |\n";
    }
  }
  out << "\n";
  if (type.referenceCount() == 0) {
    out << texts.noRelations << "\n";
    return;
  }
  out << texts.relationHeader << "\n|---|---|---|---|---|\n";
  for (const ReferenceDef* def : type.references()) {
    std::string marks = def->presenceExempt ? "`inverse`" : "";
    if (!def->shares.empty()) {
      marks += (marks.empty() ? "" : ", ") + std::string("`shares ") + escaped(def->shares) + "`";
    }
    out << "| " << nameOf(def->name, def->code, texts) << " | " << def->mandatory << " | "
        << occurs(!def->presenceExempt && isRequired(def->mandatory), def->multiple) << " | "
        << joined(def->refTypeNames()) << " | " << marks << " |\n";
  }
}

}  // namespace

void describeAnnex(const Metadata& annex, std::string_view source, Language language,
                   std::ostream& out, const LentMarks& lent) {
  const Texts& texts = textsOf(language);
  out << "# " << texts.title << ": `" << source << "`\n\n"
      << counted(annex.typesSection->size(), texts.recordTypes, language) << ", "
      << counted(annex.attribsSection->size(), texts.declarations, language) << ".\n\n"
      << texts.legend << "\n";
  if (lent.lent) {
    std::string line = lent.checks + lent.keys + lent.shares == 0 ? texts.noMarks : texts.lentMarks;
    for (const auto& [tag, count] :
         {std::pair{"%c", lent.checks}, {"%k", lent.keys}, {"%s", lent.shares}}) {
      const std::size_t at = line.find(tag);
      if (at != std::string::npos) {
        line.replace(at, 2, std::to_string(count));
      }
    }
    out << "\n" << line << "\n";
  }
  for (const auto& type : annex.typesSection->types()) {
    describeType(*type, *annex.attribsSection, texts, out);
  }
}

}  // namespace swde::cli
