#include "graphlib/algorithms/pq_tree.h"

namespace graphlib {

pq_node_struct::pq_node_struct()
    : type(P_NODE), mark(UNMARKED), label(EMPTY), parent_type(Q_NODE), index(0), child_count(0),
      pert_child_count(0), pert_leaf_count(0), full_child_count(0), parent(nullptr), sib1(nullptr),
      sib2(nullptr), left_end(nullptr), right_end(nullptr), partial1(nullptr), partial2(nullptr) {}

void pq_node_struct::node_reset() {
  mark = UNMARKED;
  label = EMPTY;
  pert_child_count = 0;
  pert_leaf_count = 0;
  full_child_count = 0;
  partial1 = nullptr;
  partial2 = nullptr;
}

pq_tree::pq_tree(int n)
    : leaves(nullptr), leaves_size(0), block_count(0), blocked_nodes(0), off_the_top(0), failed(false),
      root(nullptr), pseudo(new pq_node_struct), ok(true) {
  pseudo->index = 2;
  (void)n;
}

pq_tree::~pq_tree() { delete pseudo; }

bool pq_tree::replace(list<int>&, list<int>&, list<int>&) { return false; }
bool pq_tree::update(list<int>&) { return false; }
void pq_tree::pert_sequence(list<int>&) {}
void pq_tree::sequence(list<int>&, pq_node_struct*, pq_node_struct*) {}
void pq_tree::del_pert_subtree() {}
bool pq_tree::reduction(list<int>&) { return false; }
bool pq_tree::bubble(list<int>&) { return false; }
bool pq_tree::reduce(list<int>&) { return false; }
void pq_tree::bubble_reset(pq_node_struct*) {}
bool pq_tree::template_PQL1(pq_node_struct*, bool) { return false; }
bool pq_tree::template_P3(pq_node_struct*, bool) { return false; }
bool pq_tree::template_P5(pq_node_struct*, bool) { return false; }
bool pq_tree::template_P6(pq_node_struct*) { return false; }
bool pq_tree::template_Q2(pq_node_struct*) { return false; }
bool pq_tree::template_Q3(pq_node_struct*) { return false; }
pq_node_struct* pq_tree::hang_down_full_children(pq_node_struct*, pq_node_struct*) { return nullptr; }
void pq_tree::fix_part_child_direction(pq_node_struct*, bool) {}
void pq_tree::go_to_sibling(pq_node_struct*&, pq_node_struct*&) {}
void pq_tree::skip_dir(pq_node_struct*&, pq_node_struct*&) {}
pq_node_struct* pq_tree::remove_from_siblings(pq_node_struct*, pq_node_struct* c) { return c; }
void pq_tree::replace_in_siblings(pq_node_struct*, pq_node_struct*) {}
void pq_tree::append_as_right_child(pq_node_struct*, pq_node_struct*) {}
void pq_tree::append_as_left_child(pq_node_struct*, pq_node_struct*) {}
bool pq_tree::set_as_part_child(pq_node_struct*) { return false; }
void pq_tree::delete_part_node_parent(pq_node_struct*) {}
void pq_tree::del_subtree(pq_node_struct*) {}
void pq_tree::leaves_init(int) {}
void pq_tree::leaves_double() {}

}  // namespace graphlib
