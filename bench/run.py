#!/usr/bin/env python3
"""Benchmark of quorvalin: builds the optimised binary, runs a fixed set of
cases, and prints one table of CPU time and peak memory, side by side with the
peer program mustang where it is installed. The result files of every case are
checked against stored checksums, so that a change made for speed cannot
change a result unnoticed.

usage: bench/run.py [--no-build] [--no-peer] [--no-threads] [--quick]
                    [--cases NAME,...] [--reps N] [--params FILE] [--tag TAG]
                    [--update-checksums] [--binary PATH] [--work DIR]

Every case runs on one thread (QUORVALIN_THREADS=1) for its CPU time, wall
time and peak memory, then once with the default thread count (every core the
machine offers) for its wall time and peak memory; both runs' result files are
checked against the checksums.
--quick         only the quick cases (a few seconds each), for iterating.

--params FILE   use FILE as params.txt in every quorvalin run (for example
                "SeqOrder 0"); its results are checked under their own
                checksums, named by the case and TAG (default: the file's name).
Exit status 1 when a result file differs from its stored checksum.
"""
import argparse
import fcntl
import gzip
import hashlib
import os
import shutil
import statistics
import subprocess
import sys
import time

BENCH = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(BENCH)
BINARY = os.path.join(ROOT, "build", "default", "driver", "quorvalin")
CHECKSUMS = os.path.join(BENCH, "checksums.txt")
WORK = os.path.join(ROOT, "out", "bench")

# Real families from the Debian package theseus-examples.
THESEUS = "/usr/share/doc/theseus/examples"

# name, source, number of structures. Source: None for the bundled zinc
# fingers; a base structure in bench/data for a synthetic family; "dir:<folder>"
# for the first n files by name of a theseus-examples folder; "models:<file>"
# for the first n models of an NMR entry there, one file per model.
CASES = [("zinc", None, 3)]
for base, label in (("1hpv_A.pdb", "fam100"), ("3mht_A.pdb", "fam300")):
    for n in (2, 5, 10, 20):
        CASES.append(("%s-n%d" % (label, n), base, n))
for n in (5, 10, 20, 40):
    CASES.append(("tryp-n%d" % n, "dir:trypsins", n))
for n in (5, 10, 20):
    CASES.append(("ldh-n%d" % n, "dir:ldh", n))
CASES.append(("nmr1s40-n10", "models:1s40.pdb.gz", 10))
QUICK = {"zinc", "fam100-n10", "fam300-n5", "tryp-n5", "ldh-n5", "nmr1s40-n10"}


def ensure_packages():
    """Installs the peer program and the real families where they are missing."""
    missing = []
    if not shutil.which("mustang"):
        missing.append("mustang")
    if not os.path.isdir(THESEUS):
        missing.append("theseus-examples")
    if not missing:
        return
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    print("installing: " + " ".join(missing))
    subprocess.run(sudo + ["apt-get", "update", "-qq"], check=True)
    subprocess.run(sudo + ["apt-get", "install", "-y", "-qq"] + missing, check=True,
                   env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))


def build():
    subprocess.run(["cmake", "--preset", "default"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "default", "--target", "quorvalin", "--parallel",
                    str(os.cpu_count() or 2)], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


GNU_TIME = "/usr/bin/time"
# A case of a few milliseconds is run again until its runs add up to this much
# CPU time (at most MAX_REPS runs), so that its median is not one noisy run.
MIN_TIMED_SECONDS = 1.0
MAX_REPS = 101


def run(argv, cwd, timed, env):
    """Runs argv in cwd; returns (exit status, CPU seconds, wall seconds, peak resident MB)."""
    report = os.path.join(cwd, "time.txt")
    with open(os.path.join(cwd, "stdout.txt"), "w") as out, open(os.path.join(cwd, "stderr.txt"), "w") as err:
        start = time.monotonic()
        if timed:
            status = subprocess.run([GNU_TIME, "-f", "%U %S %M", "-o", report] + argv, cwd=cwd, stdout=out,
                                    stderr=err, stdin=subprocess.DEVNULL, env=env).returncode
            wall = time.monotonic() - start
            with open(report) as f:
                user, system, peak_kb = f.read().split()[-3:]
            os.remove(report)
            return status, float(user) + float(system), wall, int(peak_kb) / 1024.0
        child = subprocess.Popen(argv, cwd=cwd, stdout=out, stderr=err, stdin=subprocess.DEVNULL, env=env)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.monotonic() - start
    return os.waitstatus_to_exitcode(status), usage.ru_utime + usage.ru_stime, wall, usage.ru_maxrss / 1024.0


def measure(argv, fresh_dir, reps, env=None):
    """Runs argv in the folder fresh_dir() returns: once under GNU time for its
    peak memory (GNU time reports the peak of the program alone, while the peak
    read back from a child of this script includes the script's own memory at
    the fork), then `reps` times more for its CPU and wall time, read back from
    the child to the microsecond (GNU time prints CPU time to the hundredth,
    which says nothing about runs of a few milliseconds); a quick command runs
    until its runs add up to MIN_TIMED_SECONDS. A command that takes longer
    than that under GNU time with reps 1 is not run again: its figures are
    those of that run. Returns (exit status, median CPU seconds, median wall
    seconds, peak resident MB); the last run's folder stays."""
    peak = None
    cpus, walls = [], []
    if os.access(GNU_TIME, os.X_OK):
        status, cpu, wall, peak = run(argv, fresh_dir(), True, env)
        if status != 0:
            return status, None, None, None
        if reps <= 1 and cpu >= MIN_TIMED_SECONDS:
            return 0, cpu, wall, peak
    while len(cpus) < max(reps, 1) or (sum(cpus) < MIN_TIMED_SECONDS and len(cpus) < MAX_REPS):
        status, cpu, wall, own_peak = run(argv, fresh_dir(), False, env)
        if status != 0:
            return status, None, None, None
        cpus.append(cpu)
        walls.append(wall)
        if peak is None:
            peak = own_peak
    return 0, statistics.median(cpus), statistics.median(walls), peak


def split_models(path, n, inputs):
    """Writes chain A (the protein) of the first n models of an NMR entry as
    files model01.pdb, ...: the peer takes one chain per file."""
    files = []
    lines = None
    with gzip.open(path, "rt") as f:
        for line in f:
            if line.startswith("MODEL"):
                lines = []
            elif line.startswith("ENDMDL") and lines is not None:
                files.append("model%02d.pdb" % (len(files) + 1))
                with open(os.path.join(inputs, files[-1]), "w") as out:
                    out.writelines(lines + ["END\n"])
                lines = None
                if len(files) == n:
                    break
            elif lines is not None and line.startswith(("ATOM", "HETATM")) and line[21] == "A":
                lines.append(line)
    return files


def prepare(name, base, n):
    """The input files of a case, written afresh into its folder."""
    inputs = os.path.join(WORK, name, "inputs")
    shutil.rmtree(os.path.join(WORK, name), ignore_errors=True)
    os.makedirs(inputs)
    if base is None:
        files = ["1sp1.pdb", "1sp2.pdb", "3znf.pdb"]
        for f in files:
            shutil.copy(os.path.join(ROOT, "examples", f), inputs)
    elif base.startswith("dir:"):
        folder = os.path.join(THESEUS, base[4:])
        files = []
        for f in sorted(x for x in os.listdir(folder) if x.endswith(".pdb.gz"))[:n]:
            files.append(f[:-3])
            with gzip.open(os.path.join(folder, f), "rb") as src, open(os.path.join(inputs, files[-1]), "wb") as dst:
                shutil.copyfileobj(src, dst)
    elif base.startswith("models:"):
        files = split_models(os.path.join(THESEUS, base[7:]), n, inputs)
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


def save_checksums(updates):
    """Merges the cases in `updates` into the stored file, under a lock, so that
    several runs on different cases at once lose none of them."""
    os.makedirs(WORK, exist_ok=True)
    with open(os.path.join(WORK, "checksums.lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        stored = load_checksums()
        stored.update(updates)
        with open(CHECKSUMS + ".tmp", "w") as f:
            f.write("# case, result file, sha256 (bench/run.py --update-checksums)\n")
            for key in sorted(stored):
                for name in sorted(stored[key]):
                    f.write("%s %s %s\n" % (key, name, stored[key][name]))
        os.replace(CHECKSUMS + ".tmp", CHECKSUMS)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--no-build", action="store_true")
    ap.add_argument("--no-peer", action="store_true", help="do not run mustang")
    ap.add_argument("--no-threads", action="store_true", help="skip the run with the default thread count")
    ap.add_argument("--quick", action="store_true", help="only the quick cases")
    ap.add_argument("--cases", help="comma-separated case names (default: all)")
    ap.add_argument("--reps", type=int, default=1,
                    help="timed runs per case (more for quick cases); the median CPU time counts")
    ap.add_argument("--params", help="params.txt for every quorvalin run")
    ap.add_argument("--tag", help="checksum name of the --params variant")
    ap.add_argument("--update-checksums", action="store_true")
    ap.add_argument("--binary", help="run this quorvalin binary instead of building one (implies --no-build)")
    ap.add_argument("--work", help="folder for the cases' inputs and outputs (default: out/bench)")
    args = ap.parse_args()
    if args.work:
        global WORK
        WORK = os.path.abspath(args.work)

    ensure_packages()
    binary = os.path.abspath(args.binary) if args.binary else BINARY
    if not args.no_build and not args.binary:
        build()
    params = None
    suffix = ""
    if args.params:
        with open(args.params) as f:
            params = f.read()
        suffix = "@" + (args.tag or os.path.splitext(os.path.basename(args.params))[0])
    peer = None if args.no_peer else shutil.which("mustang")
    wanted = set(args.cases.split(",")) if args.cases else (QUICK if args.quick else None)
    stored = load_checksums()
    updates = {}
    changed = False
    cores = os.cpu_count() or 1
    serial_env = dict(os.environ, QUORVALIN_THREADS="1")
    default_env = dict(os.environ)
    default_env.pop("QUORVALIN_THREADS", None)

    print("quorvalin: CPU s and wall s on 1 thread, wall s on %d threads (every core), peak MB of each; "
          "mustang: CPU s and peak MB" % cores)
    header = "%-12s %3s %4s | %7s %7s %7s %6s | %7s %7s | %7s %7s | %6s %6s | %s" % (
        "case", "n", "L", "CPU 1t", "wall 1t", "wall %dt" % cores, "wall x", "MB 1t", "MB %dt" % cores,
        "mustang", "MB", "CPU/m", "MB/m", "results")
    print(header)
    print("-" * len(header))
    for name, base, n in CASES:
        if wanted is not None and name not in wanted:
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
        argv = [binary] + [os.path.relpath(os.path.join(inputs, f), run_dir) for f in files]
        key = name + suffix
        verdicts = []

        def check(digests):
            nonlocal changed
            if args.update_checksums or key not in stored:
                if key in stored and stored[key] != digests:
                    verdicts.append("updated")
                stored[key] = updates[key] = digests
            elif stored[key] != digests:
                verdicts.append("CHANGED")
                changed = True

        new_case = key not in stored
        status, cpu1, wall1, peak1 = measure(argv, fresh_run_dir, args.reps, serial_env)
        if status != 0:
            print("%s: quorvalin ended with status %d (see %s)" % (name, status, run_dir))
            sys.exit(1)
        check(result_digest(run_dir))
        wall_n = peak_n = None
        if not args.no_threads:
            status, _, wall_n, peak_n = measure(argv, fresh_run_dir, args.reps, default_env)
            if status != 0:
                print("%s: quorvalin ended with status %d (see %s)" % (name, status, run_dir))
                sys.exit(1)
            check(result_digest(run_dir))
        verdict = "stored" if new_case else ("same" if not verdicts else verdicts[0])
        with open(os.path.join(inputs, files[0])) as f:
            length = sum(1 for line in f if line.startswith("ATOM") and line[12:16] == " CA ")

        peer_cells = ("-", "-", "-", "-")
        if peer:
            peer_dir = os.path.join(WORK, name, "mustang")

            def fresh_peer_dir():
                shutil.rmtree(peer_dir, ignore_errors=True)
                os.makedirs(peer_dir)
                return peer_dir

            status, cpu, _, peak = measure([peer, "-i"] + [os.path.relpath(os.path.join(inputs, f), peer_dir)
                                                           for f in files] + ["-o", "peer", "-F", "fasta", "-s", "OFF"],
                                           fresh_peer_dir, args.reps)
            if status == 0:
                peer_cells = ("%.3f" % cpu, "%.1f" % peak, "%.2f" % (cpu1 / max(cpu, 1e-3)), "%.2f" % (peak1 / peak))
        print("%-12s %3d %4d | %7.3f %7.3f %7s %6s | %7.1f %7s | %7s %7s | %6s %6s | %s" % (
            name, n, length, cpu1, wall1, "-" if wall_n is None else "%.3f" % wall_n,
            "-" if wall_n is None else "%.1fx" % (wall1 / max(wall_n, 1e-3)), peak1,
            "-" if peak_n is None else "%.1f" % peak_n, peer_cells[0], peer_cells[1], peer_cells[2], peer_cells[3],
            verdict))
        sys.stdout.flush()

    if updates:
        save_checksums(updates)
    print("wall x: wall time on 1 thread / on %d threads; CPU/m: quorvalin CPU time on 1 thread / mustang's; "
          "MB/m: quorvalin peak on 1 thread / mustang's" % cores)
    if changed:
        print("result files differ from bench/checksums.txt: an optimisation changed a result")
        sys.exit(1)


if __name__ == "__main__":
    main()
