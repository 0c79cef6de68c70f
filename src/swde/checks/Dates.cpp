// swde — semantic checks of SWDE cadastral exchange objects.
//
// For well-formed values the creation day (the part of G5DTU before its first "-") and the
// verification date compare as plain byte strings exactly as the calendar orders them.
#include <string_view>

#include "swde/model/Smobject.hpp"
#include "swde/platform/Sysutils.hpp"

namespace SWDE_API swde {
namespace {

// An absent entry has the empty value; ";" alone also counts as empty.
bool isEmptyDate(const smAttribute* entry) {
  return entry == nullptr || entry->value.empty() || entry->value == ";";
}

}  // namespace

void smObject::checkDate() {
  const smAttribute* created = getAttribute("G5DTU");
  const smAttribute* verified = getAttribute("G5DTW");
  const AnsiString args[] = {typeName};
  if (isEmptyDate(created)) {
    if (created == nullptr) {
      return;
    }
    report(errCreationDateEmpty, smError::rmError, *created, args, 0);
  }
  if (isEmptyDate(verified)) {
    if (verified != nullptr) {
      report(errVerificationDateEmpty, smError::rmError, *verified, args, 0);
    }
    return;
  }
  if (!creationDateValid || !verificationDateValid) {
    return;
  }
  const std::string_view creation = created->value;
  const std::size_t dash = creation.find('-');
  if (dash == std::string_view::npos) {
    return;
  }
  if (TrimView(creation.substr(0, dash)) > std::string_view(verified->value)) {
    report(errVerificationBeforeCreation, smError::rmError, *verified, args, 0);
  }
}

}  // namespace swde
