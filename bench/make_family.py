#!/usr/bin/env python3
"""Writes a synthetic family of structures: copies of one real structure, each
rigidly moved, with Gaussian noise on every coordinate, and in every third copy
a loop pushed out of place. Deterministic: the same arguments give the same
files, byte for byte, on every machine.

usage: make_family.py BASE.pdb COUNT OUTDIR [--seed S] [--noise SIGMA] [--prefix P]
"""
import argparse
import math
import os
import random


def read_alpha_carbons(path):
    records = []
    with open(path) as f:
        for line in f:
            if line.startswith("ATOM") and line[12:16] == " CA ":
                xyz = [float(line[30:38]), float(line[38:46]), float(line[46:54])]
                records.append((line, xyz))
    return records


class Random:
    """Uniform and Gaussian numbers from Python's Mersenne Twister; Gaussians
    by Box-Muller so they do not depend on the library's own method."""

    def __init__(self, seed):
        self.r = random.Random(seed)

    def uniform(self, low=0.0, high=1.0):
        return low + (high - low) * self.r.random()

    def normal(self):
        u = 1.0 - self.r.random()
        return math.sqrt(-2.0 * math.log(u)) * math.cos(2.0 * math.pi * self.r.random())


def rigid_motion(rng, max_shift=30.0):
    q = [rng.normal() for _ in range(4)]
    n = math.sqrt(sum(c * c for c in q))
    w, x, y, z = (c / n for c in q)
    rot = [[1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)],
           [2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)],
           [2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)]]
    shift = [rng.uniform(-max_shift, max_shift) for _ in range(3)]
    return rot, shift


def bulge_loop(points, first, last, height):
    """Pushes points first..last away from the centre of the structure, most at
    the middle, as a loop of another conformation would be."""
    n = len(points)
    centre = [sum(p[k] for p in points) / n for k in range(3)]
    middle = points[(first + last) // 2]
    out = [middle[k] - centre[k] for k in range(3)]
    length = math.sqrt(sum(c * c for c in out)) or 1.0
    out = [c / length for c in out]
    for i in range(first, last + 1):
        t = (i - first + 1) / (last - first + 2)
        s = height * math.sin(math.pi * t)
        points[i] = [points[i][k] + s * out[k] for k in range(3)]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("base")
    ap.add_argument("count", type=int)
    ap.add_argument("outdir")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--noise", type=float, default=0.3)
    ap.add_argument("--prefix", default="m")
    args = ap.parse_args()

    records = read_alpha_carbons(args.base)
    size = len(records)
    os.makedirs(args.outdir, exist_ok=True)
    names = []
    for k in range(args.count):
        rng = Random(args.seed * 1000 + k)
        points = [list(xyz) for _, xyz in records]
        if k % 3 == 2 and size > 30:
            first = int(rng.uniform(8, size - 18))
            bulge_loop(points, first, first + 7, rng.uniform(5.0, 8.0))
        rot, shift = rigid_motion(rng)
        name = "%s%02d.pdb" % (args.prefix, k)
        with open(os.path.join(args.outdir, name), "w") as f:
            for (line, _), p in zip(records, points):
                q = [sum(rot[i][j] * p[j] for j in range(3)) + shift[i] for i in range(3)]
                if k > 0:
                    q = [c + args.noise * rng.normal() for c in q]
                f.write("%s%8.3f%8.3f%8.3f%s" % (line[:30], q[0], q[1], q[2], line[54:]))
            f.write("END\n")
        names.append(name)
    print(" ".join(names))


if __name__ == "__main__":
    main()
