#pragma once
// The pairwise correspondences and refits of one pivot's seeds while they are
// refined: a slot's depend only on the pivot, the slot's structure and the
// transformation that places it.
#include "engine/PlacementCache.h"
#include "geometry/RigidTrans3.h"
#include "structure/FMatch.h"

struct SlotOutcome {
  FMatch match;       // the pairs (pivot residue, structure residue)
  bool refitted;      // whether the pairs gave a new transformation
  RigidTrans3 refit;  // that transformation
};

class SlotCorrespondenceCache : public PlacementCache<SlotOutcome> {};
