#pragma once
// Events through which a graph announces its changes: each keeps a list of
// receivers and, when it occurs, notifies every receiver with a record of the
// event's arguments.
#include "graphlib/base/basic.h"
#include "graphlib/base/list.h"

#include <type_traits>

namespace graphlib {

// The receiver side: a receiver is attached to one event through its cell
// (event_item) in that event's receiver list.
class BASE_RECEIVER {
 public:
  BASE_RECEIVER() : event_item(nullptr) {}
  virtual ~BASE_RECEIVER() {}
  // Called when the event lets the receiver go (detach, or the event's end).
  virtual void on_detach() {}

  dlink* event_item;
};

// A receiver of the events whose parameter record is P.
template <class P>
class RECEIVER : public BASE_RECEIVER {
 public:
  virtual void notify(const P& p) = 0;
};

class BASE_EVENT {
 public:
  virtual ~BASE_EVENT() {}
  virtual void detach(BASE_RECEIVER* r) = 0;
};

class base_event : public BASE_EVENT {
 public:
  base_event() : receivers(), enabled(true) {}
  base_event(const base_event&) = delete;
  base_event& operator=(const base_event&) = delete;

  ~base_event() override {
    while (!receivers.empty()) {
      BASE_RECEIVER* r = receivers.pop();
      if (r != nullptr) r->on_detach();
    }
  }

  void detach(BASE_RECEIVER* r) override {
    BASE_RECEIVER* held = receivers.del(r->event_item);
    if (held != nullptr) held->on_detach();
  }

  template <class P>
  void occur(const P& p) const {
    if (!enabled) return;
    // The next cell is taken before the call: a receiver may detach itself.
    for (dlink* it = receivers.first(); it != nullptr;) {
      BASE_RECEIVER* r = receivers.contents(it);
      it = it->succ;
      static_cast<RECEIVER<P>*>(r)->notify(p);
    }
  }

  list<BASE_RECEIVER*> receivers;
  bool enabled;
};

// A reference argument is held as the address of its object.
template <class A>
struct event_arg {
  typedef A type;
  static type hold(A a) { return a; }
};
template <class A>
struct event_arg<A&> {
  typedef std::remove_const_t<A>* type;
  static type hold(A& a) { return const_cast<type>(&a); }
};

template <class A1>
struct param1 {
  explicit param1(A1 x1) : a1(event_arg<A1>::hold(x1)) {}
  typename event_arg<A1>::type a1;
};

template <class A1, class A2>
struct param2 {
  param2(A1 x1, A2 x2) : a1(event_arg<A1>::hold(x1)), a2(event_arg<A2>::hold(x2)) {}
  typename event_arg<A1>::type a1;
  typename event_arg<A2>::type a2;
};

template <class A1, class A2, class A3>
struct param3 {
  param3(A1 x1, A2 x2, A3 x3)
      : a1(event_arg<A1>::hold(x1)), a2(event_arg<A2>::hold(x2)), a3(event_arg<A3>::hold(x3)) {}
  typename event_arg<A1>::type a1;
  typename event_arg<A2>::type a2;
  typename event_arg<A3>::type a3;
};

template <class A1, class A2, class A3, class A4>
struct param4 {
  param4(A1 x1, A2 x2, A3 x3, A4 x4)
      : a1(event_arg<A1>::hold(x1)),
        a2(event_arg<A2>::hold(x2)),
        a3(event_arg<A3>::hold(x3)),
        a4(event_arg<A4>::hold(x4)) {}
  typename event_arg<A1>::type a1;
  typename event_arg<A2>::type a2;
  typename event_arg<A3>::type a3;
  typename event_arg<A4>::type a4;
};

template <class A1>
class EVENT1 : public base_event {
 public:
  typedef param1<A1> param_type;
  void occur(A1 x1) const { base_event::occur(param_type(x1)); }
};

template <class A1, class A2>
class EVENT2 : public base_event {
 public:
  typedef param2<A1, A2> param_type;
  void occur(A1 x1, A2 x2) const { base_event::occur(param_type(x1, x2)); }
};

template <class A1, class A2, class A3>
class EVENT3 : public base_event {
 public:
  typedef param3<A1, A2, A3> param_type;
  void occur(A1 x1, A2 x2, A3 x3) const { base_event::occur(param_type(x1, x2, x3)); }
};

template <class A1, class A2, class A3, class A4>
class EVENT4 : public base_event {
 public:
  typedef param4<A1, A2, A3, A4> param_type;
  void occur(A1 x1, A2 x2, A3 x3, A4 x4) const { base_event::occur(param_type(x1, x2, x3, x4)); }
};

}  // namespace graphlib
