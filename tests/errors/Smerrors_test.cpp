// swde — semantic checks of SWDE cadastral exchange objects.
#include <cstdint>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "swde/errors/Smerrors.hpp"
#include "swde/package/Orvane.hpp"
#include "swde/platform/Cp1250.hpp"
#include "swde/platform/Sysutils.hpp"

namespace {

using swde::AnsiString;
using swde::smError;
using swde::smErrorCode;

// The catalogue exists between Initialize and Finalize; build it once for the whole program.
class CatalogueEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { swde::Initialize(); }
  void TearDown() override { swde::Finalize(); }
};
[[maybe_unused]] ::testing::Environment* const kCatalogue =
    ::testing::AddGlobalTestEnvironment(new CatalogueEnvironment);

static_assert(std::is_same_v<std::underlying_type_t<smErrorCode>, std::int16_t>);
static_assert(sizeof(smError::ReportSectionType) == 1 && sizeof(smError::ReportMsgType) == 1);
static_assert(std::has_virtual_destructor_v<smError>);
static_assert(smError::rsObjects == '1');

struct Message {
  int code;
  const char* utf8;  // the text as users read it
  int placeholders;
};

// The catalogue as the users of the library know it, in UTF-8.
const Message kMessages[] = {
    {2001, "Atrybut %s zadeklarowany wcześniej", 1},
    {2002, "Niezgodność typu atrybutu %s z załącznikiem", 1},
    {2003, "Dodatkowy atrybut %s - brak w załączniku", 1},
    {2004, "Relacja %s zadeklarowana wcześniej", 1},
    {2005, "Dodatkowe wiązanie %s - brak w załączniku", 1},
    {2006, "Brak deklaracji typu atrybutu %s", 1},
    {2007, "Brak deklaracji typu wiązania %s", 1},
    {2008, "Brak sekcji deklaracji atrybutów i wiązań (SP)", 0},
    {3001, "Dodatkowy typ aplikacyjny %s - brak takiego typu w załączniku", 1},
    {3002, "Typ bazowy rekordu %s niezgodny z załącznikiem", 1},
    {3003, "Brak wymaganego atrybutu %s w definicji typu %s - niezgodność z załącznikiem", 2},
    {3004, "Brak wymaganego wiązania %s w definicji typu %s - niezgodność z załącznikiem", 2},
    {3005, "Brak definicji typu rekordu %s w sekcji ST", 1},
    {3006, "Nieprawidłowa krotność relacji %s w definicji typu %s", 2},
    {3007, "Dodatkowy atrybut %s w definicji typu aplikacyjnego %s", 2},
    {3008, "Dodatkowa relacja %s w definicji typu aplikacyjnego %s", 2},
    {3009, "Atrybut %s nie jest zadeklarowany w sekcji SP", 1},
    {3010, "Relacja %s nie jest zadeklarowana w sekcji SP", 1},
    {3011, "Wielokrotne wystąpienie wiązania %s w definicji typu rekordu %s", 2},
    {3012, "Wielokrotne wystąpienie atrybutu %s w definicji typu rekordu %s", 2},
    {3013, "Wielokrotne wystąpienie definicji rekordu %s", 1},
    {3014, "Brak sekcji definicji typów (ST)", 0},
    {6001, "Atrybut %s nie jest zdefiniowany dla rekordu %s", 2},
    {6002, "Relacja %s nie jest zdefinowana dla rekordu %s", 2},
    {6003, "Data utworzenia obiektu %s nie może być pusta", 1},
    {6004, "Data weryfikacji obiektu %s nie może być pusta", 1},
    {6005, "Data weryfikacji obiektu %s wcześniejsza niż data jego utworzenia", 1},
    {6006, "Niepoprawny typ bazowy rekordu %s", 1},
    {6007, "Brak definicji rekordu %s w sekcji metadanych", 1},
    {6008, "Brak wymaganego atrybutu %s w rekordzie %s", 2},
    {6009, "Brak wymaganej relacji %s w rekordzie %s", 2},
    {6010, "Typ wskazywany przez wiązanie %s w obiekcie %s niezgodny z załącznikiem", 2},
    {6011, "Niepoprawna ilość wystąpień atrybutu %s w rekordzie %s", 2},
    {6012, "Niepoprawna ilość wystąpień relacji %s w rekordzie %s", 2},
    {6013,
     "Niepoprawna wartość atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewana jest "
     "liczba rzeczywista",
     2},
    {6014,
     "Niepoprawna wartość atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewana jest "
     "liczba całkowita",
     2},
    {6015,
     "Niepoprawna wartość atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewana wartość "
     "logiczna 0 lub 1",
     2},
    {6016,
     "Niepoprawna wartość atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewana wartość "
     "ułamkowa",
     2},
    {6017,
     "Niepoprawna wartość atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewany ułamek "
     "właściwy",
     2},
    {6018,
     "Niepoprawny format daty atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewana data "
     "w formacie: rrrr.mm.dd",
     2},
    {6019,
     "Niepoprawny format czasu atrybutu %s w obiekcie %s lub nieprawidłowy znak - spodziewany "
     "czas w formacie: gg:mm:ss[.sssss]",
     2},
    {6020,
     "Niepoprawny format daty i czasu atrybutu %s w obiekcie %s lub nieprawidłowy znak - "
     "spodziewana data i czas w formacie: rrrr.mm.dd-gg:mm:ss[.sssss]",
     2},
    {6021, "Wartość atrybutu %s w obiekcie %s spoza zakresu wartości dopuszczalnych", 2},
    {6022, "Wartość atrybutu %s w obiekcie %s nie może być pusta", 2},
    {6023, "Obiekt wskazywany przez relację %s z obiektu %s nie istnieje", 2},
    {6024, "Niepoprawne oznaczenie statusu obiektu %s", 1},
    {6025, "Wiązanie %s z obiektu %s wskazuje na nieaktualną wersję obiektu", 2},
    {6026, "Obiekt %s nie wskazuje i nie jest wskazywany przez żaden inny", 1},
    {6027,
     "Niepoprawna ilość obiektów składowych wskazujących na obiekt %s, poprzez relację %s. "
     "Spodziewana krotność '%s'",
     3},
    {6028, "Niepoprawny format kodu pocztowego w rekordzie %s", 1},
    {6029, "Brak rekordów składowych wskazujących na obiekt %s", 1},
    {6030, "Obiekt wskazywany przez relację topologiczną z obiektu %s nie istnieje ", 1},
    {6031, "Relacja topologiczna z obiektu %s wskazuje na nieaktualną wersję obiektu", 1},
    {6032, "Relacja topologiczna z obiektu %s wskazuje na obiekt nie będący punktem", 1},
    {6033, "Nieprawidłowy znak w wartości atrybutu %s w obiekcie %s", 2},
    {6034,
     "Wielokrotne wystąpienie aktualnej wersji obiektu %s o identyfikatorze obiektu równym: %s", 2},
    {6035, "Wielokrotne wystąpienie obiektu o identyfikatorze rekordu równym: %s", 1},
    {6036, "Obiekt %s powinien posiadać wypełnione pole identyfikatora obiektu", 1},
};

smErrorCode Code(int number) {
  return static_cast<smErrorCode>(number);
}

AnsiString Cp1250(const std::string& utf8) {
  AnsiString out;
  EXPECT_TRUE(swde::Utf8ToCp1250(utf8, out)) << "case: " << utf8;
  return out;
}

// Replaces each "%s" of `text` with the next of `args`, a test-side reference for the expected
// messages. The catalogue texts contain no other "%".
std::string Substitute(std::string text, const std::vector<AnsiString>& args) {
  std::size_t from = 0;
  for (const AnsiString& arg : args) {
    const std::size_t at = text.find("%s", from);
    if (at == std::string::npos) {
      break;
    }
    text.replace(at, 2, arg);
    from = at + arg.size();
  }
  return text;
}

// One-line form of a record: code|section|msgType|line|id|typeName|message.
std::string Dump(const smError& e) {
  return std::to_string(e.code) + "|" + std::to_string(e.section) + "|" +
         std::to_string(e.msgType) + "|" + std::to_string(e.line) + "|" + std::to_string(e.id) +
         "|" + e.typeName + "|" + e.message;
}

int CountPlaceholders(const std::string& text) {
  int count = 0;
  for (std::size_t at = text.find("%s"); at != std::string::npos; at = text.find("%s", at + 2)) {
    ++count;
  }
  return count;
}

TEST(Catalogue, EveryCodeYieldsExactlyItsText) {
  ASSERT_EQ(std::size(kMessages), 58u);
  for (const Message& m : kMessages) {
    const AnsiString expected = Cp1250(m.utf8);
    EXPECT_EQ(smError(Code(m.code)).message, expected) << "case: " << m.code;
    EXPECT_EQ(swde::catalogueText(m.code), expected) << "case: " << m.code;
    EXPECT_EQ(smError(Code(m.code), nullptr, -1).message, expected) << "case: " << m.code;
  }
}

TEST(Catalogue, HoldsNoOtherCode) {
  std::set<int> known;
  for (const Message& m : kMessages) {
    known.insert(m.code);
  }
  for (int code = -100; code <= 7100; ++code) {
    if (known.count(code) == 0) {
      ASSERT_EQ(smError(Code(code)).message, "  ") << "case: " << code;
    }
  }
  for (const int code : {-32768, 32767, 10000}) {
    EXPECT_EQ(smError(Code(code)).message, "  ") << "case: " << code;
  }
}

TEST(Catalogue, PlaceholderCountPerCode) {
  const std::vector<AnsiString> pool = {"<A1>", "<A2>", "<A3>"};
  for (const Message& m : kMessages) {
    const AnsiString text = Cp1250(m.utf8);
    ASSERT_EQ(CountPlaceholders(m.utf8), m.placeholders) << "case: " << m.code << " (table)";
    EXPECT_EQ(CountPlaceholders(smError(Code(m.code)).message), m.placeholders)
        << "case: " << m.code;
    // Exactly as many arguments as placeholders: every one is used and none is left.
    const std::vector<AnsiString> args(pool.begin(), pool.begin() + m.placeholders);
    const smError full(Code(m.code), args.data(), m.placeholders - 1);
    EXPECT_EQ(full.message, Substitute(text, args)) << "case: " << m.code;
    EXPECT_EQ(CountPlaceholders(full.message), 0) << "case: " << m.code;
    if (m.placeholders > 0) {
      EXPECT_THROW(smError(Code(m.code), args.data(), m.placeholders - 2), swde::EConvertError)
          << "case: " << m.code;
    }
  }
}

TEST(Catalogue, SpellingsThatLookLikeSlips) {
  const smError e6002(swde::errRelatNotDefined);
  EXPECT_NE(e6002.message.find("zdefinowana"), std::string::npos);
  EXPECT_EQ(e6002.message.find("zdefiniowana"), std::string::npos);

  const AnsiString args[] = {"G5DZE", "unused"};
  const smError e6030(swde::errTopoTargetMissing, smError::rsObjects, smError::rmError, 1, 2, args,
                      1, "G5DZE");
  EXPECT_EQ(e6030.message, Cp1250("Obiekt wskazywany przez relację topologiczną z obiektu G5DZE "
                                  "nie istnieje "));
  ASSERT_FALSE(e6030.message.empty());
  EXPECT_EQ(e6030.message.back(), ' ');

  const AnsiString three[] = {"G5BUD", "G5RBUD", "1..*"};
  EXPECT_EQ(smError(swde::errComponentCount, three, 2).message,
            Cp1250("Niepoprawna ilość obiektów składowych wskazujących na obiekt G5BUD, poprzez "
                   "relację G5RBUD. Spodziewana krotność '1..*'"));
}

// ---------------------------------------------------------------------------------------------
// The five constructors

TEST(Constructors, FieldsSetByEach) {
  const AnsiString args[] = {"G5KOD", "G5ADR"};
  const std::string text6008 = "Brak wymaganego atrybutu %s w rekordzie %s";
  const std::string formatted = "Brak wymaganego atrybutu G5KOD w rekordzie G5ADR";
  const struct {
    const char* label;
    smError error;
    std::string dump;
  } cases[] = {
      {"1", smError(swde::errMissingAttr), "6008|0|0|0|0||" + text6008},
      {"2",
       smError(swde::errMissingAttr, smError::rsObjects, smError::rmWarning, 4000000000u,
               4294967295u, "G5ADR"),
       "6008|49|1|4000000000|4294967295|G5ADR|" + text6008},
      {"3", smError(17u, swde::sxSO, swde::errMissingAttr, "own %s", args, 1),
       "6008|0|0|17|0||own G5KOD"},
      {"4", smError(swde::errMissingAttr, args, 1), "6008|0|0|0|0||" + formatted},
      {"4 null list", smError(swde::errMissingAttr, nullptr, 1), "6008|0|0|0|0||" + text6008},
      {"5",
       smError(swde::errMissingAttr, smError::rsObjects, smError::rmError, 12, 34, args, 1,
               "G5O_DZE"),
       "6008|49|0|12|34|G5O_DZE|" + formatted},
      {"5 null list",
       smError(swde::errMissingAttr, smError::rsObjects, smError::rmWarning, 1, 2, nullptr, 5,
               "G5ADR"),
       "6008|49|1|1|2|G5ADR|" + text6008},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Dump(c.error), c.dump) << "case: constructor " << c.label;
  }
}

TEST(Constructors, UnknownCodeGivesTwoBlanksEverywhere) {
  const AnsiString args[] = {"A", "B", "C"};
  for (const int number : {2009, 3015, 4000, 5000, 6037, 0, -1, 2000}) {
    const smErrorCode code = Code(number);
    EXPECT_EQ(Dump(smError(code)), std::to_string(number) + "|0|0|0|0||  ") << "case: " << number;
    EXPECT_EQ(Dump(smError(code, smError::rsObjects, smError::rmError, 5, 6, "G5DZE")),
              std::to_string(number) + "|49|0|5|6|G5DZE|  ")
        << "case: " << number;
    EXPECT_EQ(Dump(smError(code, args, 2)), std::to_string(number) + "|0|0|0|0||  ")
        << "case: " << number;
    EXPECT_EQ(Dump(smError(code, nullptr, -1)), std::to_string(number) + "|0|0|0|0||  ")
        << "case: " << number;
    EXPECT_EQ(Dump(smError(code, smError::rsObjects, smError::rmWarning, 7, 8, args, 2, "G5BUD")),
              std::to_string(number) + "|49|1|7|8|G5BUD|  ")
        << "case: " << number;
    EXPECT_EQ(Dump(smError(code, smError::rsObjects, smError::rmWarning, 7, 8, nullptr, -1, "")),
              std::to_string(number) + "|49|1|7|8||  ")
        << "case: " << number;
    // Constructor 3 takes its text from the caller and still keeps the code.
    EXPECT_EQ(Dump(smError(9u, swde::sxSP, code, "x=%s", args, 1)),
              std::to_string(number) + "|0|0|9|0||x=A")
        << "case: " << number;
  }
}

TEST(Constructors, ThirdUsesCallersFormatAndDropsTheLastElement) {
  const AnsiString args[] = {"1", "2", "LAST"};
  const struct {
    const char* format;
    int argsHigh;
    const char* expected;  // null: EConvertError
  } cases[] = {
      {"x=%s y=%s", 2, "x=1 y=2"},
      {"%s %s %s", 2, nullptr},
      {"x=%s y=%s", 1, nullptr},
      {"x=%s", 1, "x=1"},
      {"x=%s", 0, nullptr},
      {"no placeholder", 0, "no placeholder"},
      {"no placeholder", -1, "no placeholder"},
      {"100%%", 2, "100%"},
  };
  for (const auto& c : cases) {
    if (c.expected != nullptr) {
      EXPECT_EQ(smError(1u, swde::sxST, swde::errMissingAttr, c.format, args, c.argsHigh).message,
                c.expected)
          << "case: " << c.format << " / " << c.argsHigh;
    } else {
      EXPECT_THROW(smError(1u, swde::sxST, swde::errMissingAttr, c.format, args, c.argsHigh),
                   swde::EConvertError)
          << "case: " << c.format << " / " << c.argsHigh;
    }
  }
  // Without a list the format is used as it stands.
  EXPECT_EQ(smError(1u, swde::sxNone, swde::errMissingAttr, "own %s", nullptr, -1).message,
            "own %s");
}

TEST(Constructors, FourAndFiveFormatStrictly) {
  const AnsiString surplus[] = {"G5KOD", "G5ADR", "EXTRA"};
  EXPECT_EQ(smError(swde::errMissingAttr, surplus, 2).message,
            "Brak wymaganego atrybutu G5KOD w rekordzie G5ADR");
  EXPECT_EQ(
      smError(swde::errMissingAttr, smError::rsObjects, smError::rmError, 0, 0, surplus, 2, "G5ADR")
          .message,
      "Brak wymaganego atrybutu G5KOD w rekordzie G5ADR");
  EXPECT_THROW(smError(swde::errMissingAttr, surplus, 0), swde::EConvertError);
  EXPECT_THROW(smError(swde::errMissingAttr, smError::rsObjects, smError::rmError, 0, 0, surplus, 0,
                       "G5ADR"),
               swde::EConvertError);
  EXPECT_THROW(smError(swde::errComponentCount, surplus, 1), swde::EConvertError);
  EXPECT_THROW(smError(swde::errMissingAttr, surplus, -1), swde::EConvertError);
  // An argument that itself holds "%s" is inserted as it stands.
  const AnsiString tricky[] = {"%s", "X"};
  EXPECT_EQ(smError(swde::errMissingAttr, tricky, 1).message,
            "Brak wymaganego atrybutu %s w rekordzie X");
  // Texts without placeholders take an empty or surplus list unchanged.
  EXPECT_EQ(smError(swde::errStSectionMissing, surplus, -1).message,
            Cp1250("Brak sekcji definicji typów (ST)"));
  EXPECT_EQ(smError(swde::errStSectionMissing, surplus, 2).message,
            Cp1250("Brak sekcji definicji typów (ST)"));
}

}  // namespace
