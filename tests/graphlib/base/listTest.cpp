#include "graphlib/base/list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "AllocatorCheckedTest.h"
#include "AllocatorUsage.h"
#include "ListInvariants.h"
#include "RecordingErrorHandler.h"
#include "graphlib/base/string.h"

namespace {

using graphlib::dlink;
using graphlib::graphlib_cmp_base;
using graphlib::list;
using graphlib::string;
using testing_support::dlistDefect;
using testing_support::GraphlibError;
using testing_support::liveSlots;
using testing_support::RecordingErrorHandler;

template <class T>
std::vector<T> values(const list<T>& L) {
  std::vector<T> out;
  for (dlink* p = L.first(); p; p = p->succ) out.push_back(L.contents(p));
  return out;
}

std::vector<std::string> texts(const list<string>& L) {
  std::vector<std::string> out;
  for (dlink* p = L.first(); p; p = p->succ) out.push_back(L.contents(p).chars());
  return out;
}

// A value too large for a slot: lists box it on the heap.
struct Box {
  double x, y, z;
  bool operator==(const Box& o) const { return x == o.x && y == o.y && z == o.z; }
};

class ListTest : public testing_support::AllocatorCheckedTest {};

TEST_F(ListTest, SlotKinds) {
  static_assert(!graphlib::slot_traits<int>::boxed, "int lives in its slot");
  static_assert(!graphlib::slot_traits<float>::boxed, "float lives in its slot");
  static_assert(!graphlib::slot_traits<int*>::boxed, "pointers live in their slot");
  static_assert(!graphlib::slot_traits<string>::boxed, "a string is one handle");
  static_assert(graphlib::slot_traits<Box>::boxed, "a large value is boxed");
  EXPECT_EQ(list<int>().el_type_id(), 3);
  EXPECT_EQ(list<float>().el_type_id(), 0);
  EXPECT_EQ(list<string>().el_type_id(), 0);
}

TEST_F(ListTest, IntFloatPointerAndBoxedElements) {
  list<int> ints;
  ints.append(2);
  ints.push(1);
  ints.insert(3, ints.last());
  EXPECT_EQ(values(ints), (std::vector<int>{1, 2, 3}));
  ints[ints.first()] = -7;
  EXPECT_EQ(ints.head(), -7);
  EXPECT_EQ(ints.pop(), -7);
  EXPECT_EQ(ints.pop_back(), 3);
  EXPECT_EQ(ints.del_item(ints.first()), 2);
  EXPECT_TRUE(ints.empty());

  list<float> floats;
  floats.append(0.1f);
  floats.append(-2.5f);
  EXPECT_EQ(values(floats), (std::vector<float>{0.1f, -2.5f}));
  EXPECT_EQ(floats.pop_back(), -2.5f);

  int a = 1, b = 2;
  list<int*> pointers;
  pointers.append(&a);
  pointers.append(&b);
  pointers.append(nullptr);
  EXPECT_EQ(values(pointers), (std::vector<int*>{&a, &b, nullptr}));
  *pointers.head() = 10;
  EXPECT_EQ(a, 10);

  list<Box> boxes;
  boxes.append({1, 2, 3});
  boxes.push({4, 5, 6});
  list<Box> copy(boxes);
  copy[copy.first()].x = 40;
  EXPECT_EQ(values(boxes), (std::vector<Box>{{4, 5, 6}, {1, 2, 3}}));
  EXPECT_EQ(values(copy), (std::vector<Box>{{40, 5, 6}, {1, 2, 3}}));
  EXPECT_TRUE(copy.pop() == (Box{40, 5, 6}));
  EXPECT_TRUE(boxes.del_item(boxes.last()) == (Box{1, 2, 3}));
  // The remaining boxes are freed by the destructors (ASan reports a leak otherwise).
}

TEST_F(ListTest, IntSlotsCarryNoStaleBytes) {
  // Reused cells must not leave old bits beside an int: remove compares slots as ints.
  {
    list<int*> pointers;
    int x;
    for (int k = 0; k < 8; k++) pointers.append(&x);
  }
  list<int> ints;
  for (int k = 0; k < 8; k++) ints.append(5);
  for (dlink* p = ints.first(); p; p = p->succ) {
    void* slot = p->e;
    unsigned char bytes[sizeof(void*)];
    std::memcpy(bytes, &slot, sizeof slot);
    for (size_t i = sizeof(int); i < sizeof slot; i++) ASSERT_EQ(bytes[i], 0) << "byte " << i;
  }
}

int mustNotBeCalled(const int&, const int&) {
  ADD_FAILURE() << "int lists remove by comparing slots";
  return 1;
}

TEST_F(ListTest, RemoveOfIntsComparesSlots) {
  list<int> L;
  for (int v : {5, 1, 5, 5}) L.append(v);
  L.cmp_ptr = mustNotBeCalled;
  L.remove(5);
  EXPECT_EQ(values(L), (std::vector<int>{1}));
  EXPECT_EQ(L.count, 1);
  EXPECT_EQ(dlistDefect(L), "");
}

int compareStrings(const string& a, const string& b) { return string::cmp(a.chars(), b.chars()); }

TEST_F(ListTest, StringReferenceCountsReturnToBaseline) {
  const size_t repClass = sizeof(graphlib::string_rep);
  long reps = liveSlots(repClass);
  string a("alpha"), b("beta"), c("gamma");
  {
    list<string> L;
    L.push(b);
    L.push(a);
    L.append(c);
    EXPECT_EQ(a.refs(), 2);
    {
      list<string> copy(L);
      EXPECT_EQ(a.refs(), 3);
      list<string> assigned;
      assigned.append("old");
      assigned = L;
      EXPECT_EQ(a.refs(), 4);
      list<string> joined = L + copy;
      EXPECT_EQ(texts(joined), (std::vector<std::string>{"alpha", "beta", "gamma", "alpha", "beta", "gamma"}));
      EXPECT_EQ(a.refs(), 6);
    }
    EXPECT_EQ(a.refs(), 2);

    L.cmp_ptr = compareStrings;
    L.remove(string("beta"));
    EXPECT_EQ(b.refs(), 1);
    EXPECT_EQ(texts(L), (std::vector<std::string>{"alpha", "gamma"}));

    string& first = L.pop();
    EXPECT_EQ(std::string(first.chars()), "alpha");
    EXPECT_EQ(a.refs(), 2);  // a and the holder
    L.pop();
    EXPECT_EQ(a.refs(), 1);  // the holder took the next one
    EXPECT_EQ(c.refs(), 2);
    EXPECT_TRUE(L.empty());
  }
  EXPECT_EQ(a.refs(), 1);
  EXPECT_EQ(c.refs(), 1);
  EXPECT_EQ(liveSlots(repClass), reps + 3);
}

TEST_F(ListTest, ClearReleasesEveryElement) {
  string s("x");
  list<string> L;
  for (int k = 0; k < 5; k++) L.append(s);
  EXPECT_EQ(s.refs(), 6);
  L.clear();
  EXPECT_EQ(s.refs(), 1);
  L.append(s);
  L.append(s);
  L.del_item(L.first());
  EXPECT_EQ(s.refs(), 2);
}

TEST_F(ListTest, LoopMayDeleteTheCurrentItem) {
  list<int> L;
  for (int v = 1; v <= 6; v++) L.append(v);
  int x = 0;
  std::vector<int> seen;
  dlink* it = L.first();
  graphlib_forall(x, L) {
    seen.push_back(x);
    dlink* current = it;
    it = it->succ;
    if (x % 2 == 0) L.del_item(current);
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(values(L), (std::vector<int>{1, 3, 5}));

  list<string> names;
  names.append("a");
  names.append("b");
  string name;
  std::string joined;
  graphlib_forall(name, names) joined += name.chars();
  EXPECT_EQ(joined, "ab");

  list<int> empty;
  int visits = 0;
  graphlib_forall(x, empty) visits++;
  EXPECT_EQ(visits, 0);
}

int descending(const int& a, const int& b) { return b - a; }

class ByLastDigit : public graphlib_cmp_base<int> {
 public:
  int operator()(const int& a, const int& b) const override { return a % 10 - b % 10; }
};

TEST_F(ListTest, CompareObjectsAndFunctions) {
  list<int> L;
  for (int v : {13, 21, 42, 33}) L.append(v);
  L.cmp_ptr = descending;
  EXPECT_EQ(L.contents(L.max()), 13);
  EXPECT_EQ(L.contents(L.min()), 42);
  L.cmp_ptr = nullptr;
  ByLastDigit byDigit;
  L.cmp_obj = &byDigit;
  EXPECT_EQ(L.contents(L.max()), 13);  // 13 and 33 tie: the first
  EXPECT_EQ(L.contents(L.min()), 21);
  EXPECT_EQ(L.rank(52), 3);

  long before = liveSlots(sizeof(graphlib_cmp_base<int>));
  graphlib_cmp_base<int>* heap = new graphlib_cmp_base<int>(descending);
  EXPECT_EQ(liveSlots(sizeof(graphlib_cmp_base<int>)), before + 1);
  EXPECT_EQ((*heap)(1, 2), 1);
  delete heap;
  EXPECT_EQ(liveSlots(sizeof(graphlib_cmp_base<int>)), before);
}

TEST_F(ListTest, CompareUndefined) {
  RecordingErrorHandler errors;
  graphlib_cmp_base<int> undefined;
  EXPECT_EQ(errors.raisedBy([&] { undefined(1, 2); }), (GraphlibError{1, "graphlib_cmp_base: compare undefined"}));

  list<int> L;
  L.append(1);
  L.append(2);
  EXPECT_EQ(errors.raisedBy([&] { L.search(2); }), (GraphlibError{1, "graphlib_cmp_base: compare undefined"}));
}

TEST_F(ListTest, HeadAndTailOfAnEmptyListAreErrors) {
  list<int> L;
  {
    RecordingErrorHandler errors;
    EXPECT_EQ(errors.raisedBy([&] { L.head(); }), (GraphlibError{1, "dlist::head(): empty list"}));
    EXPECT_EQ(errors.raisedBy([&] { L.tail(); }), (GraphlibError{1, "dlist::tail(): empty list"}));
  }
  RecordingErrorHandler returning(RecordingErrorHandler::Mode::Return);
  L.head();
  L.tail();
  EXPECT_EQ(returning.size(), 2u);
  L.append(4);
  L.append(7);
  EXPECT_EQ(L.head(), 4);
  EXPECT_EQ(L.tail(), 7);
  EXPECT_EQ(returning.size(), 2u);
}

void twice(int& x) { x *= 2; }

TEST_F(ListTest, Apply) {
  list<int> L;
  for (int v : {1, 2, 3}) L.append(v);
  L.apply(twice);
  EXPECT_EQ(values(L), (std::vector<int>{2, 4, 6}));
}

TEST_F(ListTest, TypedReadAndPrint) {
  list<string> words;
  std::istringstream in("one two\nthree");
  std::ostringstream console;
  std::streambuf* old = std::cout.rdbuf(console.rdbuf());
  words.read(in, "", '\n');
  std::cout.rdbuf(old);
  EXPECT_EQ(texts(words), (std::vector<std::string>{"one", "two"}));
  std::ostringstream out;
  words.print(out, '|');
  EXPECT_EQ(out.str(), "one|two");

  list<Box> boxes;
  boxes.append({1, 2, 3});
  std::ostringstream none;
  boxes.print(none);
  EXPECT_EQ(none.str(), "");
  std::istringstream boxText("1 2 3");
  boxes.read(boxText, "", -1);  // boxes cannot be read: the list ends empty
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
