#include "driver/PivotLoop.h"

#include <malloc.h>
#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>
#include <condition_variable>
#include <iostream>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "driver/Ranking.h"
#include "engine/EventSet.h"
#include "engine/FastSeqBlock.h"
#include "engine/MultSeqBlock.h"
#include "engine/SlotCorrespondenceCache.h"
#include "support/Fatal.h"
#include "support/ParameterKeys.h"
#include "support/SharedTasks.h"
#include "support/Parameters.h"
#include "support/ThreadOutput.h"

namespace PivotLoop {

namespace {

// The number format of a stream, which the lines a pivot prints may change
// (the timers of "Debug" 1 leave it fixed with two decimals) and which later
// lines of the console then use.
struct Format {
  std::ios_base::fmtflags flags;
  std::streamsize precision;
  char fill;

  static Format of(const std::ostream& os) { return Format{os.flags(), os.precision(), os.fill()}; }
  void applyTo(std::ostream& os) const {
    os.flags(flags);
    os.precision(precision);
    os.fill(fill);
  }
};

// One pivot of a run with several threads: the engine's results, then its
// seeds refined one by one, each a task for whichever worker is free.
struct PivotWork {
  int r = 0;
  SetResults results;
  SeedResults msbResults;
  std::vector<MultSeqBlock*> seeds;  // msbResults' seeds in order
  std::string lines;                 // what the pivot's work printed
  Format format;                     // the format its lines left behind
  bool engineDone = false;
  std::size_t nextSeed = 0;    // the first seed no worker has taken
  std::size_t seedsLeft = 0;   // seeds taken or not whose refinement has not ended
  SlotCorrespondenceCache cache;  // shared by the workers refining its seeds
};

class ParallelPivots {
 public:
  ParallelPivots(std::vector<AtomMolecule*>& mols, const std::vector<int>& pivots, const Engine& engine,
                 const SolutionRanking& ranking, int threads, const ThreadStarter& start)
      : m_mols(mols),
        m_engine(engine),
        m_ranking(ranking),
        m_n(static_cast<int>(mols.size())),
        m_fullSet(Parameters::getInt(Param::FullSet) != 0),
        m_onlyScoring(Parameters::getInt(Param::OnlyScoring) == 1),
        m_iterations(Parameters::getInt(Param::ExtIterations)),
        m_thr(Parameters::getFloat(Param::ExtThr)),
        m_console(Format::of(std::cout)) {
    for (int r : pivots) {
      m_work.emplace_back(new PivotWork);
      m_work.back()->r = r;
    }
    // The workers wait for the lock until the engine count below is set.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_workers.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) {
      // A worker the system cannot start (short of memory for its stack, say)
      // is no failure: the others do its share.
      try {
        m_workers.push_back(start([this] { workerLoop(); }));
      } catch (const std::system_error&) {
      }
    }
    // An engine holds its pivot's fragment pairs and seeds, the bulk of a
    // run's memory, and shares its fragment search with idle workers: a third
    // of the workers run engines.
    m_engines = std::max(1, (static_cast<int>(m_workers.size()) + 2) / 3);
    // Pivots past the one the ranking waits for hold their seeds until it
    // gets to them; this many at most are under way or waiting.
    m_window = static_cast<std::size_t>(m_engines) + 1;
  }

  std::size_t workers() const { return m_workers.size(); }

  ~ParallelPivots() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stopping = true;
    }
    m_workReady.notify_all();
    for (std::thread& t : m_workers) t.join();
  }

  // Waits until pivot k (in run order) is complete and hands over its work.
  std::unique_ptr<PivotWork> take(std::size_t k) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_pivotDone.wait(lock, [&] { return complete(*m_work[k]); });
    std::unique_ptr<PivotWork> work = std::move(m_work[k]);
    m_taken = k + 1;
    lock.unlock();
    m_workReady.notify_all();
    return work;
  }

 private:
  static bool complete(const PivotWork& w) { return w.engineDone && w.seedsLeft == 0; }

  // A batch of one engine's tasks, shared with idle workers; it lives on the
  // engine's stack until every task has ended.
  struct SharedBatch {
    const SharedTasks::Task* task;
    std::size_t count;
    std::size_t next;  // the first task no thread has taken
    std::size_t ended;
  };

  // Takes the next task of the first batch; call with the lock held.
  SharedBatch* takeTask(std::size_t& k) {
    if (m_batches.empty()) return nullptr;
    SharedBatch* batch = m_batches.front();
    k = batch->next++;
    if (batch->next == batch->count) m_batches.erase(m_batches.begin());
    return batch;
  }

  // The runner an engine's thread uses: its batch is offered to every worker,
  // and the engine's thread works on it too until all of it is taken.
  void runShared(std::size_t count, const SharedTasks::Task& task) {
    SharedBatch batch{&task, count, 0, 0};
    std::unique_lock<std::mutex> lock(m_mutex);
    m_batches.push_back(&batch);
    m_workReady.notify_all();
    while (batch.next < batch.count) {
      const std::size_t k = batch.next++;
      if (batch.next == batch.count) m_batches.erase(std::find(m_batches.begin(), m_batches.end(), &batch));
      lock.unlock();
      task(k);
      lock.lock();
      ++batch.ended;
    }
    m_batchEnded.wait(lock, [&] { return batch.ended == batch.count; });
  }

  void workerLoop() {
    const SharedTasks::Runner runner = [this](std::size_t count, const SharedTasks::Task& task) {
      runShared(count, task);
    };
    SharedTasks::setRunner(&runner);
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
      // Tasks of a running engine first: the engine waits for them.
      std::size_t k = 0;
      if (SharedBatch* batch = takeTask(k)) {
        lock.unlock();
        (*batch->task)(k);
        lock.lock();
        if (++batch->ended == batch->count) m_batchEnded.notify_all();
        continue;
      }
      // Only a few engines run at once (see m_engines), started as soon as
      // they may, as their seeds feed the other workers.
      if (m_nextEngine < m_work.size() && m_nextEngine < m_taken + m_window && m_enginesRunning < m_engines) {
        PivotWork& w = *m_work[m_nextEngine++];
        ++m_enginesRunning;
        lock.unlock();
        runEngine(w);
        lock.lock();
        --m_enginesRunning;
        w.engineDone = true;
        w.seedsLeft = w.seeds.size();
        if (complete(w)) m_pivotDone.notify_all();
        m_workReady.notify_all();
        continue;
      }
      // Seeds of the earliest pivots first: the ranking waits for them.
      PivotWork* refineIn = nullptr;
      for (std::size_t k = m_taken; k < m_nextEngine; ++k) {
        PivotWork& w = *m_work[k];
        if (w.engineDone && w.nextSeed < w.seeds.size()) {
          refineIn = &w;
          break;
        }
      }
      if (refineIn) {
        MultSeqBlock* seed = refineIn->seeds[refineIn->nextSeed++];
        lock.unlock();
        SolutionRanking::refine(*seed, m_mols, m_iterations, m_thr, &refineIn->cache);
        m_ranking.dropTableIfUnprinted(*seed);
        lock.lock();
        if (--refineIn->seedsLeft == 0) {
          refineIn->cache.clear();
          m_pivotDone.notify_all();
        }
        continue;
      }
      if (m_stopping || m_taken == m_work.size()) {
        SharedTasks::setRunner(nullptr);
        return;
      }
      m_workReady.wait(lock);
    }
  }

  // The engine for one pivot on a private copy of the structure list, with
  // what it prints kept for the ranking's turn.
  void runEngine(PivotWork& w) {
    const int r = w.r;
    std::vector<AtomMolecule*> mols = m_mols;
    int ref = r - 1;
    int N = m_n - r;
    if (m_fullSet) {
      std::swap(mols[0], mols[static_cast<std::size_t>(r - 1)]);
      ref = 0;
      N = m_n - 1;
    }
    w.results.resize(static_cast<std::size_t>(N));
    w.msbResults.resize(static_cast<std::size_t>(N));
    // The console's format as the loop found it: only the engine's own lines
    // change it, and those of every pivot change it alike.
    std::ostringstream lines;
    m_console.applyTo(lines);
    ThreadOutput::redirect(&lines);
    if (m_onlyScoring)
      w.msbResults[static_cast<std::size_t>(m_n - 2)].push_back(scoringOnlySeed(m_n));
    else
      m_engine(mols, ref, w.results, w.msbResults);
    ThreadOutput::redirect(nullptr);
    if (m_fullSet) renumber(w.results, w.msbResults, r);
    w.lines = lines.str();
    w.format = Format::of(lines);
    for (std::vector<MultSeqBlock*>& seeds : w.msbResults)
      for (MultSeqBlock* seed : seeds) w.seeds.push_back(seed);
  }

  const Fatal::ThreadsRunning m_threadsRunning;  // first: it outlives the workers
  std::vector<AtomMolecule*>& m_mols;
  const Engine& m_engine;
  const SolutionRanking& m_ranking;
  const int m_n;
  const bool m_fullSet;
  const bool m_onlyScoring;
  const int m_iterations;
  const float m_thr;
  const Format m_console;
  int m_engines = 1;  // engines that may run at once
  std::size_t m_window = 2;

  std::mutex m_mutex;
  std::condition_variable m_workReady;
  std::condition_variable m_pivotDone;
  std::condition_variable m_batchEnded;
  std::vector<SharedBatch*> m_batches;  // batches with tasks no thread has taken
  std::vector<std::unique_ptr<PivotWork> > m_work;
  std::size_t m_nextEngine = 0;  // the first pivot whose engine no worker has taken
  std::size_t m_taken = 0;       // pivots the ranking has taken
  int m_enginesRunning = 0;
  bool m_stopping = false;
  std::vector<std::thread> m_workers;
};

// The pivots the loop visits, in order.
std::vector<int> pivotOrder(int n, bool singlePivot, bool fullSet) {
  std::vector<int> pivots;
  for (int r = 1; fullSet ? r <= n : r < n; ++r) {
    pivots.push_back(r);
    if (singlePivot) break;
  }
  return pivots;
}

void printProgress(std::ostream& out, int n, int r) {
  if (r == 1)
    out << "Number of iterations left: " << n - 1;
  else
    out << "," << n - r;
  out.flush();
}

// The address space a run may take, or RLIM_INFINITY.
rlim_t addressSpaceLimit() {
  rlim_t limit = RLIM_INFINITY;
  for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
    rlimit r;
    if (getrlimit(resource, &r) == 0 && r.rlim_cur < limit) limit = r.rlim_cur;
  }
  return limit;
}

// Under an address-space limit, workers started as usual can take more of it
// than the run's data needs: each one's stack reserves the stack limit (8 MiB
// by default) and each of the C library's per-thread memory pools 64 MiB,
// while a worker uses a few kilobytes of stack. So the workers get 1 MiB
// stacks, and as many pools as half the limit holds. Nothing here changes
// what a run computes.
void fitWorkersToAddressSpace(int threads) {
  const rlim_t limit = addressSpaceLimit();
  if (limit == RLIM_INFINITY) return;
  const rlim_t pool = rlim_t(64) << 20;
  const rlim_t pools = std::min<rlim_t>(limit / 2 / pool, static_cast<rlim_t>(threads) + 1);
  mallopt(M_ARENA_MAX, static_cast<int>(std::max<rlim_t>(pools, 1)));
  const std::size_t stack = std::size_t(1) << 20;
  pthread_attr_t attr;
  if (pthread_getattr_default_np(&attr) != 0) return;
  std::size_t current = 0;
  if (pthread_attr_getstacksize(&attr, &current) == 0 && current > stack &&
      pthread_attr_setstacksize(&attr, stack) == 0)
    pthread_setattr_default_np(&attr);
  pthread_attr_destroy(&attr);
}

}  // namespace

std::thread startThread(std::function<void()> work) { return std::thread(std::move(work)); }

void run(std::vector<AtomMolecule*>& mols, bool singlePivot, const Engine& engine, SolutionRanking& ranking,
         std::ostream& out, int threads, const ThreadStarter& start) {
  const int n = static_cast<int>(mols.size());
  if (n == 2) singlePivot = true;
  if (threads > 1) {
    const std::vector<int> pivots = pivotOrder(n, singlePivot, Parameters::getInt(Param::FullSet) != 0);
    fitWorkersToAddressSpace(threads);
    ParallelPivots parallel(mols, pivots, engine, ranking, threads, start);
    if (parallel.workers() > 0) {
      for (std::size_t k = 0; k < pivots.size(); ++k) {
        std::unique_ptr<PivotWork> work = parallel.take(k);
        std::cout << work->lines;
        work->format.applyTo(std::cout);
        ranking.takeRefined(work->results, work->msbResults, mols);
        printProgress(out, n, singlePivot ? n : work->r);
      }
      return;
    }
  }
  const bool fullSet = Parameters::getInt(Param::FullSet) != 0;
  const bool onlyScoring = Parameters::getInt(Param::OnlyScoring) == 1;
  for (int r = 1;; ++r) {
    int N;
    int ref;
    if (fullSet) {
      if (r > n) break;
      N = n - 1;
      std::swap(mols[0], mols[static_cast<std::size_t>(r - 1)]);
      ref = 0;
    } else {
      if (r >= n) break;
      N = n - r;
      ref = r - 1;
    }
    SetResults results(static_cast<std::size_t>(N));
    SeedResults msbResults(static_cast<std::size_t>(N));
    if (onlyScoring)
      msbResults[static_cast<std::size_t>(n - 2)].push_back(scoringOnlySeed(n));
    else
      engine(mols, ref, results, msbResults);
    if (fullSet) {
      std::swap(mols[0], mols[static_cast<std::size_t>(r - 1)]);
      renumber(results, msbResults, r);
    }
    ranking.takeIteration(results, msbResults, mols);
    if (singlePivot) r = n;
    printProgress(out, n, r);
  }
}

void renumber(SetResults& results, SeedResults& msbResults, int r) {
  const int pivot = r - 1;
  for (std::vector<EventSet*>& sets : results)
    for (EventSet* set : sets) {
      for (auto& entry : set->entries)
        if (entry.first == pivot) entry.first = set->ref;
      set->ref = pivot;
    }
  for (std::vector<MultSeqBlock*>& seeds : msbResults)
    for (MultSeqBlock* seed : seeds) {
      for (int& id : seed->ids)
        if (id == pivot) id = seed->ref;
      seed->ref = pivot;
    }
}

MultSeqBlock* scoringOnlySeed(int n) {
  std::vector<FastSeqBlock*> pairs;
  std::vector<int> ids;
  for (int m = 1; m < n; ++m) {
    pairs.push_back(new FastSeqBlock());
    ids.push_back(m);
  }
  MultSeqBlock* seed = new MultSeqBlock(pairs, ids, 0);
  for (FastSeqBlock* pair : pairs) delete pair;
  return seed;
}

}  // namespace PivotLoop
