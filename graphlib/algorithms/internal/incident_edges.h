#pragma once
// Walking every edge at a node in one fixed order, the node's list 0 then its
// list 1 (in an undirected graph everything is in list 0), without building a
// list. A directed self-loop comes twice, once from each list.
#include "graphlib/graph/internal/graph_adjacency.h"

namespace graphlib {

class incident_edges {
 public:
  explicit incident_edges(node v) : v_(v), list_(0), e_(first_in_list(v, 0)) { settle(); }

  // The next edge at the node, or nil once all have been handed out.
  edge next() {
    edge cur = e_;
    if (cur == nullptr) return nullptr;
    e_ = next_in_list(cur, v_, list_);
    settle();
    return cur;
  }

  node at() const { return v_; }

 private:
  void settle() {
    if (e_ == nullptr && list_ == 0) {
      list_ = 1;
      e_ = first_in_list(v_, 1);
    }
  }

  node v_;
  int list_;
  edge e_;
};

}  // namespace graphlib
