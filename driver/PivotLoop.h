#pragma once
// Every pivot in turn: the engine (or, for "OnlyScoring" 1, the seed of the
// superposition as given) yields sets and seeds, which get command-line
// indices back and go to the ranking. A progress counter follows each pivot.
#include <functional>
#include <iosfwd>
#include <thread>
#include <vector>

class AtomMolecule;
class EventSet;
class MultSeqBlock;
class SolutionRanking;

namespace PivotLoop {

typedef std::vector<std::vector<EventSet*> > SetResults;
typedef std::vector<std::vector<MultSeqBlock*> > SeedResults;

// Runs the engine with `ref` as the pivot over `mols`, appending new sets and
// seeds to the two vectors (entry m for m + 2 structures).
typedef std::function<void(std::vector<AtomMolecule*>& mols, int ref, SetResults& results, SeedResults& msbResults)>
    Engine;

// Starts a thread running `work`; throws std::system_error when the system
// cannot start one, as std::thread does.
typedef std::function<std::thread(std::function<void()> work)> ThreadStarter;

// A std::thread running `work`.
std::thread startThread(std::function<void()> work);

// The whole loop over "FullSet" and "OnlyScoring" as they stand in the table.
// `singlePivot`, or a run of two structures, stops it after the first pivot.
// With `threads` above 1, that many workers run the engine and refine the
// seeds, several pivots at a time, while the ranking takes the pivots' results
// in pivot order: everything it keeps and everything printed is what the
// serial loop gives. The engine then runs on several threads at once, and the
// lines a pivot's work prints (ThreadOutput) come out in pivot order, before
// that pivot's progress count. Workers that cannot be started (`start`
// throws) are done without; when none starts, the loop runs serially.
void run(std::vector<AtomMolecule*>& mols, bool singlePivot, const Engine& engine, SolutionRanking& ranking,
         std::ostream& out, int threads = 1, const ThreadStarter& start = startThread);

// After an engine call with structure r - 1 swapped to the front: exchanges the
// indices 0 and r - 1 in every set and seed, so they refer to command-line order.
void renumber(SetResults& results, SeedResults& msbResults, int r);

// One seed of all n structures with the pivot 0, zero-length pairs and
// identity transformations: the superposition the files already have.
MultSeqBlock* scoringOnlySeed(int n);

}  // namespace PivotLoop
