#!/usr/bin/env python3
"""Benchmark of quorvalin: builds the optimised binary, runs a fixed set of
cases, and prints one table of CPU time and peak memory, side by side with the
peer program mustang where it is installed. The result files of every case are
checked against stored checksums, so that a change made for speed cannot
change a result unnoticed.

usage: bench/run.py [--no-build] [--no-peer] [--cases NAME,...] [--reps N]
                    [--params FILE] [--tag TAG] [--update-checksums]

--params FILE   use FILE as params.txt in every quorvalin run (for example
                "SeqOrder 0"); its results are checked under their own
                checksums, named by the case and TAG (default: the file's name).
Exit status 1 when a result file differs from its stored checksum.
"""
import argparse
import hashlib
import os
import shutil
import statistics
import subprocess
import sys

BENCH = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(BENCH)
BINARY = os.path.join(ROOT, "build", "default", "driver", "quorvalin")
CHECKSUMS = os.path.join(BENCH, "checksums.txt")
WORK = os.path.join(ROOT, "out", "bench")

# name, base structure (None: the bundled zinc fingers), number of structures
CASES = [("zinc", None, 3)]
for base, label in (("1hpv_A.pdb", "fam100"), ("3mht_A.pdb", "fam300")):
    for n in (2, 5, 10, 20):
        CASES.append(("%s-n%d" % (label, n), base, n))


def build():
    subprocess.run(["cmake", "--preset", "default"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "default", "--target", "quorvalin", "--parallel",
                    str(os.cpu_count() or 2)], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


GNU_TIME = "/usr/bin/time"
# A case of a few milliseconds is run again until its runs add up to this much
# CPU time (at most MAX_REPS runs), so that its median is not one noisy run.
MIN_TIMED_SECONDS = 1.0
MAX_REPS = 101


def run(argv, cwd, timed):
    """Runs argv in cwd; returns (exit status, CPU seconds, peak resident MB or None)."""
    report = os.path.join(cwd, "time.txt")
    with open(os.path.join(cwd, "stdout.txt"), "w") as out, open(os.path.join(cwd, "stderr.txt"), "w") as err:
        if timed:
            status = subprocess.run([GNU_TIME, "-f", "%U %S %M", "-o", report] + argv, cwd=cwd, stdout=out,
                                    stderr=err, stdin=subprocess.DEVNULL).returncode
            with open(report) as f:
                user, system, peak_kb = f.read().split()[-3:]
            os.remove(report)
            return status, float(user) + float(system), int(peak_kb) / 1024.0
        child = subprocess.Popen(argv, cwd=cwd, stdout=out, stderr=err, stdin=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
    return os.waitstatus_to_exitcode(status), usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def measure(argv, fresh_dir, reps):
    """Runs argv `reps` times (a quick command more, see MIN_TIMED_SECONDS) in
    the folder fresh_dir() returns, for its CPU time, read back from the child to the microsecond (GNU time prints it to
    the hundredth, which says nothing about runs of a few milliseconds), and
    once more under GNU time for its peak memory: GNU time reports the peak of
    the program alone, while the peak read back from a child of this script
    includes the script's own memory at the fork. Returns (exit status,
    median CPU seconds, peak resident MB); the last run's folder stays."""
    peak = None
    if os.access(GNU_TIME, os.X_OK):
        status, _, peak = run(argv, fresh_dir(), True)
        if status != 0:
            return status, None, None
    times = []
    while len(times) < max(reps, 1) or (sum(times) < MIN_TIMED_SECONDS and len(times) < MAX_REPS):
        status, cpu, own_peak = run(argv, fresh_dir(), False)
        if status != 0:
            return status, None, None
        times.append(cpu)
        if peak is None:
            peak = own_peak
    return 0, statistics.median(times), peak


def prepare(name, base, n):
    """The input files of a case, written afresh into its folder."""
    inputs = os.path.join(WORK, name, "inputs")
    shutil.rmtree(os.path.join(WORK, name), ignore_errors=True)
    os.makedirs(inputs)
    if base is None:
        files = ["1sp1.pdb", "1sp2.pdb", "3znf.pdb"]
        for f in files:
            shutil.copy(os.path.join(ROOT, "examples", f), inputs)
    else:
        seed = sum(ord(c) for c in name)
        out = subprocess.run([sys.executable, os.path.join(BENCH, "make_family.py"), os.path.join(BENCH, "data", base),
                              str(n), inputs, "--seed", str(seed)], check=True, capture_output=True, text=True)
        files = out.stdout.split()
    return inputs, files


def result_digest(folder):
    digests = {}
    for f in sorted(os.listdir(folder)):
        if f.endswith("_sol.res") or f.endswith("_sets.res"):
            with open(os.path.join(folder, f), "rb") as fh:
                digests[f] = hashlib.sha256(fh.read()).hexdigest()
    return digests


def load_checksums():
    stored = {}
    if os.path.exists(CHECKSUMS):
        with open(CHECKSUMS) as f:
            for line in f:
                if line.strip() and not line.startswith("#"):
                    key, name, digest = line.split()
                    stored.setdefault(key, {})[name] = digest
    return stored


def save_checksums(stored):
    with open(CHECKSUMS, "w") as f:
        f.write("# case, result file, sha256 (bench/run.py --update-checksums)\n")
        for key in sorted(stored):
            for name in sorted(stored[key]):
                f.write("%s %s %s\n" % (key, name, stored[key][name]))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--no-build", action="store_true")
    ap.add_argument("--no-peer", action="store_true", help="do not run mustang even when installed")
    ap.add_argument("--cases", help="comma-separated case names (default: all)")
    ap.add_argument("--reps", type=int, default=1,
                    help="timed runs per case (more for quick cases); the median CPU time counts")
    ap.add_argument("--params", help="params.txt for every quorvalin run")
    ap.add_argument("--tag", help="checksum name of the --params variant")
    ap.add_argument("--update-checksums", action="store_true")
    args = ap.parse_args()

    if not args.no_build:
        build()
    params = None
    suffix = ""
    if args.params:
        with open(args.params) as f:
            params = f.read()
        suffix = "@" + (args.tag or os.path.splitext(os.path.basename(args.params))[0])
    peer = None if args.no_peer else shutil.which("mustang")
    wanted = set(args.cases.split(",")) if args.cases else None
    stored = load_checksums()
    changed = False

    header = "%-12s %3s %4s | %11s %8s | %11s %8s | %9s %8s | %s" % (
        "case", "n", "L", "quorvalin s", "peak MB", "mustang s", "peak MB", "speed-up", "memory", "results")
    print(header)
    print("-" * len(header))
    for name, base, n in CASES:
        if wanted and name not in wanted:
            continue
        inputs, files = prepare(name, base, n)
        run_dir = os.path.join(WORK, name, "quorvalin")

        def fresh_run_dir():
            shutil.rmtree(run_dir, ignore_errors=True)
            os.makedirs(run_dir)
            if params is not None:
                with open(os.path.join(run_dir, "params.txt"), "w") as f:
                    f.write(params)
            return run_dir

        # Relative names: the result files name the inputs as given, and their
        # checksums must not depend on where the checkout lies.
        status, cpu, peak = measure([BINARY] + [os.path.relpath(os.path.join(inputs, f), run_dir) for f in files],
                                    fresh_run_dir, args.reps)
        if status != 0:
            print("%s: quorvalin ended with status %d (see %s)" % (name, status, run_dir))
            sys.exit(1)
        best = (cpu, peak)
        with open(os.path.join(inputs, files[0])) as f:
            length = sum(1 for line in f if line.startswith("ATOM") and line[12:16] == " CA ")

        key = name + suffix
        digests = result_digest(run_dir)
        if args.update_checksums or key not in stored:
            verdict = "stored" if key not in stored else ("same" if stored[key] == digests else "updated")
            stored[key] = digests
        elif stored[key] == digests:
            verdict = "same"
        else:
            verdict = "CHANGED"
            changed = True

        peer_cells = ("-", "-", "-", "-")
        if peer:
            peer_dir = os.path.join(WORK, name, "mustang")

            def fresh_peer_dir():
                shutil.rmtree(peer_dir, ignore_errors=True)
                os.makedirs(peer_dir)
                return peer_dir

            status, cpu, peak = measure([peer, "-i"] + [os.path.relpath(os.path.join(inputs, f), peer_dir)
                                                        for f in files] + ["-o", "peer", "-F", "fasta", "-s", "OFF"],
                                        fresh_peer_dir, args.reps)
            peer_best = (cpu, peak) if status == 0 else None
            if peer_best:
                peer_cells = ("%.3f" % peer_best[0], "%.1f" % peer_best[1],
                              "%.1fx" % (peer_best[0] / max(best[0], 1e-3)),
                              "%.2fx" % (best[1] / peer_best[1]))
        print("%-12s %3d %4d | %11.3f %8.1f | %11s %8s | %9s %8s | %s" % (
            name, n, length, best[0], best[1], peer_cells[0], peer_cells[1], peer_cells[2], peer_cells[3], verdict))
        sys.stdout.flush()

    save_checksums(stored)
    print("speed-up: mustang CPU time / quorvalin CPU time; memory: quorvalin peak / mustang peak")
    if changed:
        print("result files differ from bench/checksums.txt: an optimisation changed a result")
        sys.exit(1)


if __name__ == "__main__":
    main()
