// swde — semantic checks of SWDE cadastral exchange objects.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "swde/model/Smrecord.hpp"

namespace {

using swde::smElemRelation;
using swde::smRecord;
using swde::smRelation;

// The names the relation walk returns from the current position: "A,B,-" where "-" is a null.
std::string WalkNext(smRecord& record, int calls) {
  std::string out;
  for (int i = 0; i < calls; ++i) {
    const smRelation* r = record.getNextRelation();
    out += (i == 0 ? "" : ",") + (r == nullptr ? std::string("-") : r->name);
  }
  return out;
}

std::string ElemWalkNext(smRecord& record, int calls) {
  std::string out;
  for (int i = 0; i < calls; ++i) {
    const smElemRelation* r = record.getNextElemRelation();
    out += (i == 0 ? "" : ",") + (r == nullptr ? std::string("-") : r->name);
  }
  return out;
}

TEST(SmRecord, InitialState) {
  smRecord record;
  for (const std::string* text : {&record.recordText1, &record.recordText2, &record.recordText3,
                                  &record.recordText4, &record.recordText5}) {
    EXPECT_EQ(*text, "");
  }
  EXPECT_EQ(record.recordValue2, 0);
  EXPECT_TRUE(record.recordFlag);
  EXPECT_EQ(record.relationCursor, nullptr);
  EXPECT_EQ(record.elemRelationCursor, nullptr);
  EXPECT_EQ(record.relationQueue.head, nullptr);
  EXPECT_EQ(record.elemRelationQueue.head, nullptr);
  EXPECT_EQ(record.getNextRelation(), nullptr);
  EXPECT_EQ(record.getFirstRelation(), nullptr);
  EXPECT_EQ(record.getNextElemRelation(), nullptr);
  EXPECT_EQ(record.getFirstElemRelation(), nullptr);
  EXPECT_EQ(record.getElemRelation(""), nullptr);
}

TEST(SmRecord, AddRelationAppendsWithEmptyCode) {
  smRecord record;
  smRelation* a = record.addRelation("A");
  smRelation* b = record.addRelation("A");  // no test for duplicates
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(a->name, "A");
  EXPECT_EQ(a->code, "");
  EXPECT_TRUE(a->checkDest);
  EXPECT_EQ(record.relationQueue.head, a);
  EXPECT_EQ(record.relationQueue.tail, b);
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(b->next, nullptr);
}

TEST(SmRecord, RelationWalkAndRestart) {
  smRecord record;
  record.addRelation("A");
  record.addRelation("B");
  record.addRelation("C");
  ASSERT_NE(record.getFirstRelation(), nullptr);
  EXPECT_EQ(record.getFirstRelation()->name, "A");
  EXPECT_EQ(WalkNext(record, 4), "B,C,-,-");
  EXPECT_EQ(record.getFirstRelation()->name, "A");
  EXPECT_EQ(WalkNext(record, 3), "B,C,-");
}

TEST(SmRecord, WalkBegunWithNextOnEntriesAddedLaterIsEmpty) {
  smRecord record;
  record.addRelation("A");
  record.addRelation("B");
  EXPECT_EQ(WalkNext(record, 3), "-,-,-");
  EXPECT_EQ(record.getFirstRelation()->name, "A");
  EXPECT_EQ(WalkNext(record, 2), "B,-");
}

struct DuringWalk {
  const char* label;
  std::vector<std::string> before;  // relations appended before the walk
  int nextCalls;                    // getNextRelation calls after getFirstRelation
  std::string walkAfter;            // three getNextRelation calls after "N" is appended
};

TEST(SmRecord, RelationAppendedDuringWalk) {
  const DuringWalk cases[] = {
      // The cursor still waits on B, whose next becomes N.
      {"last entry not yet returned", {"A", "B"}, 0, "B,N,-"},
      // The cursor passed the last entry and is null.
      {"last entry returned by next", {"A", "B"}, 1, "-,-,-"},
      {"last entry returned by first", {"A"}, 0, "-,-,-"},
  };
  for (const DuringWalk& c : cases) {
    smRecord record;
    for (const std::string& name : c.before) {
      record.addRelation(name);
    }
    record.getFirstRelation();
    WalkNext(record, c.nextCalls);
    record.addRelation("N");
    EXPECT_EQ(WalkNext(record, 3), c.walkAfter) << "case: " << c.label;
    // A new walk reaches every entry.
    std::string all = record.getFirstRelation()->name;
    all += "," + WalkNext(record, static_cast<int>(c.before.size()) + 1);
    EXPECT_EQ(all, c.before.size() == 1 ? "A,N,-" : "A,B,N,-") << "case: " << c.label;
  }
}

// The emptiness test comes first: an empty queue neither reads nor moves the cursor.
TEST(SmRecord, EmptyQueueIgnoresTheCursor) {
  smRecord record;
  smRelation outside;
  outside.name = "outside";
  record.relationCursor = &outside;
  EXPECT_EQ(record.getNextRelation(), nullptr);
  EXPECT_EQ(record.relationCursor, &outside);
  EXPECT_EQ(record.getFirstRelation(), nullptr);
  EXPECT_EQ(record.relationCursor, &outside);
  record.relationCursor = nullptr;

  smElemRelation outsideElem;
  record.elemRelationCursor = &outsideElem;
  EXPECT_EQ(record.getNextElemRelation(), nullptr);
  EXPECT_EQ(record.getFirstElemRelation(), nullptr);
  EXPECT_EQ(record.elemRelationCursor, &outsideElem);
  record.elemRelationCursor = nullptr;
}

TEST(SmRecord, ElemRelationWalkAndLookup) {
  smRecord record;
  record.addElemRelation("X");
  record.addElemRelation("Y");
  record.addElemRelation("X");
  EXPECT_EQ(ElemWalkNext(record, 1), "-");
  ASSERT_NE(record.getFirstElemRelation(), nullptr);
  EXPECT_EQ(record.getFirstElemRelation()->name, "X");
  EXPECT_EQ(ElemWalkNext(record, 4), "Y,X,-,-");

  smElemRelation* head = record.elemRelationQueue.head;
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->hostValue, 0);
  head->hostValue = 1;
  record.elemRelationQueue.tail->hostValue = 3;
  ASSERT_NE(record.getElemRelation("X"), nullptr);
  EXPECT_EQ(record.getElemRelation("X"), head);
  EXPECT_EQ(record.getElemRelation("X")->hostValue, 1);
  EXPECT_EQ(record.getElemRelation("Y"), head->next);
  for (const char* probe : {"x", "X ", " X", "", "XY"}) {
    EXPECT_EQ(record.getElemRelation(probe), nullptr) << "case: " << probe;
  }
  // The lookup does not move the walk.
  record.getFirstElemRelation();
  record.getElemRelation("Y");
  EXPECT_EQ(ElemWalkNext(record, 1), "Y");
}

TEST(SmRecord, RelationAndElemWalksAreIndependent) {
  smRecord record;
  record.addRelation("R1");
  record.addRelation("R2");
  record.addElemRelation("E1");
  record.addElemRelation("E2");
  record.getFirstRelation();
  record.getFirstElemRelation();
  EXPECT_EQ(WalkNext(record, 1), "R2");
  EXPECT_EQ(ElemWalkNext(record, 2), "E2,-");
  EXPECT_EQ(WalkNext(record, 1), "-");
}

// A node type that logs its destruction, to watch the queue free its chain.
std::string freed;

struct Node {
  explicit Node(std::string tag) : tag(std::move(tag)) {}
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
  ~Node() { freed += tag; }
  std::string tag;
  Node* next = nullptr;
};

TEST(SmQueue, AppendLinksAndDestructorFreesFromHead) {
  freed.clear();
  {
    swde::smQueue<Node> queue;
    EXPECT_EQ(queue.head, nullptr);
    EXPECT_EQ(queue.tail, nullptr);
    Node* a = new Node("a");
    queue.append(a);
    EXPECT_EQ(queue.head, a);
    EXPECT_EQ(queue.tail, a);
    Node* b = new Node("b");
    Node* c = new Node("c");
    queue.append(b);
    queue.append(c);
    EXPECT_EQ(queue.head, a);
    EXPECT_EQ(queue.tail, c);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(b->next, c);
    EXPECT_EQ(c->next, nullptr);
    EXPECT_EQ(freed, "");
  }
  EXPECT_EQ(freed, "abc");
}

}  // namespace
