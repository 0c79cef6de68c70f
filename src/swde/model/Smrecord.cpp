// swde — semantic checks of SWDE cadastral exchange objects.
#include "swde/model/Smrecord.hpp"

#include <memory>

namespace SWDE_API swde {
namespace {

template <typename T>
T* walkFirst(smQueue<T>& queue, T*& cursor) {
  if (queue.head == nullptr) {
    return nullptr;
  }
  cursor = queue.head->next;
  return queue.head;
}

template <typename T>
T* walkNext(smQueue<T>& queue, T*& cursor) {
  if (queue.head == nullptr) {
    return nullptr;
  }
  T* entry = cursor;
  if (entry != nullptr) {
    cursor = entry->next;
  }
  return entry;
}

}  // namespace

smRecord::smRecord() = default;
smRecord::~smRecord() = default;

smRelation* smRecord::addRelation(const AnsiString& name) {
  auto entry = std::make_unique<smRelation>();
  entry->name = name;
  relationQueue.append(entry.get());
  return entry.release();
}

void smRecord::addElemRelation(const AnsiString& name) {
  auto entry = std::make_unique<smElemRelation>();
  entry->name = name;
  elemRelationQueue.append(entry.release());
}

smRelation* smRecord::getFirstRelation() {
  return walkFirst(relationQueue, relationCursor);
}

smRelation* smRecord::getNextRelation() {
  return walkNext(relationQueue, relationCursor);
}

smElemRelation* smRecord::getFirstElemRelation() {
  return walkFirst(elemRelationQueue, elemRelationCursor);
}

smElemRelation* smRecord::getNextElemRelation() {
  return walkNext(elemRelationQueue, elemRelationCursor);
}

smElemRelation* smRecord::getElemRelation(const AnsiString& name) {
  for (smElemRelation* entry = elemRelationQueue.head; entry != nullptr; entry = entry->next) {
    if (entry->name == name) {
      return entry;
    }
  }
  return nullptr;
}

}  // namespace swde
