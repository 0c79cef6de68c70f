// swde — semantic checks of SWDE cadastral exchange objects.
//
// The catalogue lives in one process-wide MessageMapInit built by the package start-up; error
// records look their code up in it when they are made and format the text at once.
#include "swde/errors/Smerrors.hpp"

#include <array>
#include <memory>
#include <utility>

#include "swde/errors/SmerrorsUnit.hpp"
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {
namespace {

// Code and CP1250 text, in ascending code order. Keep in sync with smErrorCode.
constexpr std::array<std::pair<int, const char*>, 58> kMessages = {{
    {2001, "Atrybut %s zadeklarowany wcze\x9Cniej"},
    {2002,
     "Niezgodno\x9C\xE6 typu atrybutu %s z za\xB3\xB9"
     "cznikiem"},
    {2003,
     "Dodatkowy atrybut %s - brak w za\xB3\xB9"
     "czniku"},
    {2004, "Relacja %s zadeklarowana wcze\x9Cniej"},
    {2005,
     "Dodatkowe wi\xB9zanie %s - brak w za\xB3\xB9"
     "czniku"},
    {2006, "Brak deklaracji typu atrybutu %s"},
    {2007, "Brak deklaracji typu wi\xB9zania %s"},
    {2008, "Brak sekcji deklaracji atrybut\xF3w i wi\xB9za\xF1 (SP)"},
    {3001,
     "Dodatkowy typ aplikacyjny %s - brak takiego typu w za\xB3\xB9"
     "czniku"},
    {3002,
     "Typ bazowy rekordu %s niezgodny z za\xB3\xB9"
     "cznikiem"},
    {3003,
     "Brak wymaganego atrybutu %s w definicji typu %s - niezgodno\x9C\xE6 z za\xB3\xB9"
     "cznikiem"},
    {3004,
     "Brak wymaganego wi\xB9zania %s w definicji typu %s - niezgodno\x9C\xE6 z za\xB3\xB9"
     "cznikiem"},
    {3005, "Brak definicji typu rekordu %s w sekcji ST"},
    {3006, "Nieprawid\xB3owa krotno\x9C\xE6 relacji %s w definicji typu %s"},
    {3007, "Dodatkowy atrybut %s w definicji typu aplikacyjnego %s"},
    {3008, "Dodatkowa relacja %s w definicji typu aplikacyjnego %s"},
    {3009, "Atrybut %s nie jest zadeklarowany w sekcji SP"},
    {3010, "Relacja %s nie jest zadeklarowana w sekcji SP"},
    {3011, "Wielokrotne wyst\xB9pienie wi\xB9zania %s w definicji typu rekordu %s"},
    {3012, "Wielokrotne wyst\xB9pienie atrybutu %s w definicji typu rekordu %s"},
    {3013, "Wielokrotne wyst\xB9pienie definicji rekordu %s"},
    {3014, "Brak sekcji definicji typ\xF3w (ST)"},
    {6001, "Atrybut %s nie jest zdefiniowany dla rekordu %s"},
    {6002, "Relacja %s nie jest zdefinowana dla rekordu %s"},
    {6003,
     "Data utworzenia obiektu %s nie mo\xBF"
     "e by\xE6 pusta"},
    {6004,
     "Data weryfikacji obiektu %s nie mo\xBF"
     "e by\xE6 pusta"},
    {6005, "Data weryfikacji obiektu %s wcze\x9Cniejsza ni\xBF data jego utworzenia"},
    {6006, "Niepoprawny typ bazowy rekordu %s"},
    {6007, "Brak definicji rekordu %s w sekcji metadanych"},
    {6008, "Brak wymaganego atrybutu %s w rekordzie %s"},
    {6009, "Brak wymaganej relacji %s w rekordzie %s"},
    {6010,
     "Typ wskazywany przez wi\xB9zanie %s w obiekcie %s niezgodny z za\xB3\xB9"
     "cznikiem"},
    {6011, "Niepoprawna ilo\x9C\xE6 wyst\xB9pie\xF1 atrybutu %s w rekordzie %s"},
    {6012, "Niepoprawna ilo\x9C\xE6 wyst\xB9pie\xF1 relacji %s w rekordzie %s"},
    {6013,
     "Niepoprawna warto\x9C\xE6 atrybutu %s w obiekcie %s lub nieprawid\xB3owy znak - spodziewana "
     "jest liczba rzeczywista"},
    {6014,
     "Niepoprawna warto\x9C\xE6 atrybutu %s w obiekcie %s lub nieprawid\xB3owy znak - spodziewana "
     "jest liczba ca\xB3kowita"},
    {6015,
     "Niepoprawna warto\x9C\xE6 atrybutu %s w obiekcie %s lub nieprawid\xB3owy znak - spodziewana "
     "warto\x9C\xE6 logiczna 0 lub 1"},
    {6016,
     "Niepoprawna warto\x9C\xE6 atrybutu %s w obiekcie %s lub nieprawid\xB3owy znak - spodziewana "
     "warto\x9C\xE6 u\xB3"
     "amkowa"},
    {6017,
     "Niepoprawna warto\x9C\xE6 atrybutu %s w obiekcie %s lub nieprawid\xB3owy znak - spodziewany "
     "u\xB3"
     "amek w\xB3"
     "a\x9C"
     "ciwy"},
    {6018,
     "Niepoprawny format daty atrybutu %s w obiekcie %s lub nieprawid\xB3owy znak - spodziewana "
     "data w formacie: rrrr.mm.dd"},
    {6019,
     "Niepoprawny format czasu atrybutu %s w obiekcie %s lub nieprawid\xB3owy znak - spodziewany "
     "czas w formacie: gg:mm:ss[.sssss]"},
    {6020,
     "Niepoprawny format daty i czasu atrybutu %s w obiekcie %s lub nieprawid\xB3owy znak - "
     "spodziewana data i czas w formacie: rrrr.mm.dd-gg:mm:ss[.sssss]"},
    {6021,
     "Warto\x9C\xE6 atrybutu %s w obiekcie %s spoza zakresu warto\x9C"
     "ci dopuszczalnych"},
    {6022,
     "Warto\x9C\xE6 atrybutu %s w obiekcie %s nie mo\xBF"
     "e by\xE6 pusta"},
    {6023, "Obiekt wskazywany przez relacj\xEA %s z obiektu %s nie istnieje"},
    {6024, "Niepoprawne oznaczenie statusu obiektu %s"},
    {6025, "Wi\xB9zanie %s z obiektu %s wskazuje na nieaktualn\xB9 wersj\xEA obiektu"},
    {6026,
     "Obiekt %s nie wskazuje i nie jest wskazywany przez \xBF"
     "aden inny"},
    {6027,
     "Niepoprawna ilo\x9C\xE6 obiekt\xF3w sk\xB3"
     "adowych wskazuj\xB9"
     "cych na obiekt %s, poprzez relacj\xEA %s. Spodziewana krotno\x9C\xE6 '%s'"},
    {6028, "Niepoprawny format kodu pocztowego w rekordzie %s"},
    {6029,
     "Brak rekord\xF3w sk\xB3"
     "adowych wskazuj\xB9"
     "cych na obiekt %s"},
    {6030, "Obiekt wskazywany przez relacj\xEA topologiczn\xB9 z obiektu %s nie istnieje "},
    {6031, "Relacja topologiczna z obiektu %s wskazuje na nieaktualn\xB9 wersj\xEA obiektu"},
    {6032,
     "Relacja topologiczna z obiektu %s wskazuje na obiekt nie b\xEA"
     "d\xB9"
     "cy punktem"},
    {6033,
     "Nieprawid\xB3owy znak w warto\x9C"
     "ci atrybutu %s w obiekcie %s"},
    {6034,
     "Wielokrotne wyst\xB9pienie aktualnej wersji obiektu %s o identyfikatorze obiektu r\xF3wnym: "
     "%s"},
    {6035, "Wielokrotne wyst\xB9pienie obiektu o identyfikatorze rekordu r\xF3wnym: %s"},
    {6036, "Obiekt %s powinien posiada\xE6 wype\xB3nione pole identyfikatora obiektu"},
}};

constexpr int kCodesInEnum = 8 + 14 + 36;
static_assert(kMessages.size() == kCodesInEnum, "every smErrorCode needs exactly one text");
static_assert(kMessages.front().first == errSpAttrDeclaredBefore &&
                  kMessages.back().first == errMissingObjectId,
              "the message table and smErrorCode have drifted apart");

constexpr const char* kUnknownCodeText = "  ";

std::unique_ptr<MessageMapInit>& catalogue() {
  static std::unique_ptr<MessageMapInit> instance;
  return instance;
}

}  // namespace

MessageMapInit::MessageMapInit() {
  for (const auto& [code, text] : kMessages) {
    emplace_hint(end(), code, text);
  }
}

void startUpMessageCatalogue() {
  catalogue() = std::make_unique<MessageMapInit>();
}

void shutDownMessageCatalogue() {
  if (catalogue()) {
    catalogue()->clear();
  }
}

AnsiString catalogueText(int code) {
  const auto& map = catalogue();
  if (map) {
    const auto it = map->find(code);
    if (it != map->end()) {
      return it->second;
    }
  }
  return kUnknownCodeText;
}

smError::smError(smErrorCode code) : code(code), message(catalogueText(code)) {}

smError::smError(smErrorCode code, ReportSectionType section, ReportMsgType msgType,
                 std::uint32_t line, std::uint32_t id, const AnsiString& typeName)
    : line(line),
      typeName(typeName),
      id(id),
      section(section),
      code(code),
      msgType(msgType),
      message(catalogueText(code)) {}

smError::smError(std::uint32_t line, sxSectionCode /*sectionCode*/, smErrorCode code,
                 const AnsiString& format, const AnsiString* args, int argsHigh)
    : line(line), code(code) {
  // The last element of the list is not part of the message.
  message = args != nullptr ? Format(format, args, argsHigh - 1) : format;
}

smError::smError(smErrorCode code, const AnsiString* args, int argsHigh)
    : code(code), message(catalogueText(code)) {
  if (args != nullptr) {
    message = Format(message, args, argsHigh);
  }
}

smError::smError(smErrorCode code, ReportSectionType section, ReportMsgType msgType,
                 std::uint32_t line, std::uint32_t id, const AnsiString* args, int argsHigh,
                 const AnsiString& typeName)
    : smError(code, args, argsHigh) {
  this->line = line;
  this->typeName = typeName;
  this->id = id;
  this->section = section;
  this->msgType = msgType;
}

smError::~smError() = default;

}  // namespace swde
