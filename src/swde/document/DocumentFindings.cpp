// swde — semantic checks of SWDE cadastral exchange objects.
//
// The codes of the document checks with their severities and messages, written in the manner of
// the catalogue: the names of the attribute, relation and record type go into "%s" placeholders,
// the offending value into the finding's own field.
#include <algorithm>
#include <array>
#include <utility>

#include "swde/document/DocumentChecks.hpp"
#include "swde/document/DocumentInternal.hpp"
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {
namespace {

// Texts in CP1250, in ascending code order.
constexpr std::array<smDocumentCodeInfo, 33> kCodes = {{
    {dcDuplicateKey, smError::rmError,
     "Wielokrotne wyst\xB9pienie obiektu %s o identyfikatorze %s, poprzednio w wierszu %s"},
    {dcDanglingReference, smError::rmWarning,
     "Obiekt %s o identyfikatorze %s wskazywany przez relacj\xEA %s z obiektu %s nie istnieje w "
     "pliku"},
    {dcUnnamedTarget, smError::rmWarning,
     "Relacja %s z obiektu %s nie wskazuje identyfikatora obiektu docelowego"},
    {dcPrecinctMismatch, smError::rmError,
     "Numer obr\xEA"
     "bu w identyfikatorze dzia\xB3ki %s w obiekcie %s niezgodny z obr\xEA"
     "bem %s wskazywanym przez relacj\xEA %s"},
    {dcUnitMismatch, smError::rmError,
     "Jednostka ewidencyjna w identyfikatorze dzia\xB3ki %s w obiekcie %s niezgodna z jednostk\xB9 "
     "%s obr\xEA"
     "bu %s"},
    {dcAmbiguousReference, smError::rmWarning,
     "Obiekt %s o identyfikatorze %s wskazywany przez relacj\xEA %s z obiektu %s jest "
     "niejednoznaczny - pasuj\xB9 obiekty w wierszach %s"},
    {dcDateDigits, smError::rmError,
     "Niepoprawna warto\x9C\xE6 atrybutu %s w obiekcie %s - pola daty i czasu mog\xB9 zawiera\xE6 "
     "tylko cyfry"},
    {dcNoSuchDay, smError::rmError, "Data w atrybucie %s w obiekcie %s nie istnieje w kalendarzu"},
    {dcTimeRange, smError::rmError,
     "Czas w atrybucie %s w obiekcie %s spoza zakresu 00:00:00 - 23:59:59"},
    {dcFutureDate, smError::rmError,
     "Data w atrybucie %s w obiekcie %s p\xF3\x9Fniejsza ni\xBF dzie\xF1 kontroli"},
    {dcNegativeArea, smError::rmError, "Ujemna warto\x9C\xE6 powierzchni %s w obiekcie %s"},
    {dcNegativeShare, smError::rmError, "Ujemna warto\x9C\xE6 udzia\xB3u %s w obiekcie %s"},
    {dcShareForm, smError::rmError,
     "Niepoprawna warto\x9C\xE6 udzia\xB3u %s w obiekcie %s - spodziewany u\xB3"
     "amek licznik/mianownik z liczb naturalnych, mianownik r\xF3\xBFny od zera"},
    {dcPesel, smError::rmError, "Niepoprawny numer PESEL w atrybucie %s w obiekcie %s"},
    {dcNip, smError::rmError, "Niepoprawny numer NIP w atrybucie %s w obiekcie %s"},
    {dcRegon, smError::rmError, "Niepoprawny numer REGON w atrybucie %s w obiekcie %s"},
    {dcParcelId, smError::rmError,
     "Niepoprawny identyfikator dzia\xB3ki w atrybucie %s w obiekcie %s"},
    {dcTeryt, smError::rmError, "Niepoprawny kod TERYT w atrybucie %s w obiekcie %s"},
    {dcPrecinct, smError::rmError,
     "Niepoprawny numer obr\xEA"
     "bu w atrybucie %s w obiekcie %s"},
    {dcKw, smError::rmError, "Niepoprawny numer ksi\xEAgi wieczystej w atrybucie %s w obiekcie %s"},
    {dcNipForm, smError::rmWarning,
     "Numer NIP w atrybucie %s w obiekcie %s zapisany z separatorami lub przedrostkiem PL zamiast "
     "samych cyfr"},
    {dcShareSum, smError::rmError,
     "Suma udzia\xB3\xF3w %s w obiektach %s wskazuj\xB9"
     "cych relacj\xB9 %s na obiekt %s %s wynosi %s zamiast 1"},
    {dcShareSumRange, smError::rmWarning,
     "Suma udzia\xB3\xF3w %s w obiektach %s wskazuj\xB9"
     "cych relacj\xB9 %s na obiekt %s %s przekracza zakres oblicze\xF1 i nie zosta\xB3"
     "a sprawdzona"},
    {dcShareSumAtLeast, smError::rmError,
     "Suma udzia\xB3\xF3w %s w obiektach %s wskazuj\xB9"
     "cych relacj\xB9 %s na obiekt %s %s wynosi co najmniej %s zamiast 1 (cz\xEA\x9C\xE6 "
     "udzia\xB3\xF3w nieczytelna)"},
    // The register checks (RegisterChecks.hpp).
    {dcParcelAreaZero, smError::rmError,
     "Zerowa powierzchnia %s w obiekcie %s - powierzchnia dzia\xB3ki musi by\xE6 wi\xEAksza od "
     "zera"},
    {dcAreaPrecision, smError::rmWarning,
     "Powierzchnia %s w obiekcie %s podana z dok\xB3"
     "adno\x9C"
     "ci\xB9 wi\xEAksz\xB9 ni\xBF 0.0001 ha"},
    {dcParcelAreaSum, smError::rmError,
     "Powierzchnia %s w obiekcie %s r\xF3\xBFna od sumy powierzchni obiekt\xF3w %s wskazuj\xB9"
     "cych go relacj\xB9 %s"},
    {dcZeroShare, smError::rmError,
     "Zerowa warto\x9C\xE6 udzia\xB3u %s w obiekcie %s - udzia\xB3 musi by\xE6 wi\xEAkszy od zera"},
    {dcDuplicateSubject, smError::rmError,
     "Wielokrotne wyst\xB9pienie podmiotu %s o numerze %s %s, poprzednio w wierszu %s"},
    {dcUnitKind, smError::rmError,
     "Relacja %s z obiektu %s wskazuje jednostk\xEA rejestrow\xB9 %s rodzaju %s zamiast %s"},
    {dcUnitPrecincts, smError::rmError,
     "Dzia\xB3ka w obiekcie %s nale\xBFy relacj\xB9 %s do jednostki rejestrowej %s, kt\xF3rej "
     "dzia\xB3ki le\xBF\xB9 w obr\xEA"
     "bie %s (pierwsza w wierszu %s)"},
    {dcBuildingPrecinct, smError::rmWarning,
     "Identyfikator budynku %s w obiekcie %s wskazuje inny obr\xEA"
     "b ni\xBF dzia\xB3ka wskazywana relacj\xB9 %s"},
    {dcUpdateShareSum, smError::rmError,
     "Suma udzia\xB3\xF3w %s w obiektach %s wskazuj\xB9"
     "cych relacj\xB9 %s na obiekt %s %s wynosi %s i przekracza 1"},
}};

constexpr bool ascending() {
  for (std::size_t i = 1; i < kCodes.size(); ++i) {
    if (kCodes[i - 1].code >= kCodes[i].code) {
      return false;
    }
  }
  return true;
}
static_assert(ascending() && kCodes.front().code == dcDuplicateKey &&
                  kCodes.back().code == dcUpdateShareSum,
              "the table and smDocumentCode have drifted apart");

}  // namespace

const std::vector<smDocumentCodeInfo>& DocumentCodes() {
  static const std::vector<smDocumentCodeInfo> codes(kCodes.begin(), kCodes.end());
  return codes;
}

const smDocumentCodeInfo* FindDocumentCode(int code) {
  const auto it = std::lower_bound(
      kCodes.begin(), kCodes.end(), code,
      [](const smDocumentCodeInfo& info, int wanted) { return info.code < wanted; });
  return it != kCodes.end() && it->code == code ? &*it : nullptr;
}

namespace document {

smDocumentFinding MakeEntryFinding(smDocumentCode code, const Subject& object,
                                   const AnsiString& entry, std::uint32_t line,
                                   std::uint32_t entryId, std::initializer_list<AnsiString> args) {
  const smDocumentCodeInfo* info = FindDocumentCode(code);
  smDocumentFinding finding;
  finding.code = code;
  finding.msgType = info->msgType;
  finding.line = line;
  finding.objectLine = object.line;
  finding.objectId = object.id;
  finding.hasEntry = true;
  finding.entryId = entryId;
  finding.entry = entry;
  finding.typeName = object.typeName;
  finding.message = Format(info->format, args);
  return finding;
}

}  // namespace document
}  // namespace swde
