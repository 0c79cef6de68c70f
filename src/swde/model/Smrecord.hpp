// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_MODEL_SMRECORD_HPP_
#define SWDE_MODEL_SMRECORD_HPP_

#include <cstdint>

#include "swde/model/Smelemrelation.hpp"
#include "swde/model/Smrelation.hpp"
#include "swde/platform/AnsiString.hpp"

namespace SWDE_API swde {

// An append-only queue threaded through the entries' own `next` links. Owns its entries.
// REQUIRES: T has a public member `T* next`, null for a new entry.
template <typename T>
class smQueue {
 public:
  smQueue() = default;
  smQueue(const smQueue&) = delete;
  smQueue& operator=(const smQueue&) = delete;
  ~smQueue() {
    while (head != nullptr) {
      T* entry = head;
      head = entry->next;
      delete entry;
    }
    tail = nullptr;
  }

  // Takes ownership of `entry` and links it after the last one.
  void append(T* entry) {
    if (head == nullptr) {
      head = entry;
    } else {
      tail->next = entry;
    }
    tail = entry;
  }

  T* head = nullptr;  // first entry, or null
  T* tail = nullptr;  // last entry; meaningful only while head is not null
};

// A light record the host keeps for its own use: five texts, host values and two walkable lists,
// one of relations and one of element relations. No check reads it.
class smRecord {
 public:
  smRecord();
  smRecord(const smRecord&) = delete;
  smRecord& operator=(const smRecord&) = delete;
  ~smRecord();

  // Appends a relation named `name` (its code stays empty) and returns it; the record owns it.
  smRelation* addRelation(const AnsiString& name);
  // Appends an element relation named `name`.
  void addElemRelation(const AnsiString& name);

  // Restarts the relation walk: the first relation, or null (the cursor is then unchanged).
  smRelation* getFirstRelation();
  // The relation at the cursor, advancing it; null after the last one.
  smRelation* getNextRelation();
  // The first element relation named exactly `name`, or null.
  smElemRelation* getElemRelation(const AnsiString& name);
  smElemRelation* getFirstElemRelation();
  smElemRelation* getNextElemRelation();

  AnsiString recordText1;
  AnsiString recordText2;
  AnsiString recordText3;
  AnsiString recordText4;
  AnsiString recordText5;
  std::int32_t recordValue1 = 0;
  std::int32_t recordValue2 = 0;
  std::int32_t recordValue3 = 0;
  std::int32_t recordValue4 = 0;
  bool recordFlag = true;
  smRelation* relationCursor = nullptr;          // the entry getNextRelation returns next
  smElemRelation* elemRelationCursor = nullptr;  // the entry getNextElemRelation returns next
  // Declared in this order so that the destructor frees the element relations first.
  smQueue<smRelation> relationQueue;
  smQueue<smElemRelation> elemRelationQueue;
};

}  // namespace swde

#endif  // SWDE_MODEL_SMRECORD_HPP_
