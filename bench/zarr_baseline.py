#!/usr/bin/python3
"""zarr-python's figures for the OME-Zarr benchmarks of orv_zarr_bench, on
the stores it leaves in ORV_ZARR_BENCH_DIR (Debian's python3-zarr and
python3-numcodecs; blosc on as many threads as the machine has cores):
reading the whole 1024^3 level 0 of cube.zarr (arr[:]) and writing level 0
alone of a 1024 x 1024 x 512 16-bit stack in 64^3 blosc-zstd chunks.

usage: /usr/bin/python3 bench/zarr_baseline.py FOLDER"""
import os
import shutil
import sys
import time

import numcodecs
import numpy as np
import zarr

folder = sys.argv[1]
numcodecs.blosc.set_nthreads(os.cpu_count())
numcodecs.blosc.use_threads = True


def best_of(runs, action):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return min(times), sorted(times)[len(times) // 2]


array = zarr.open(os.path.join(folder, "cube.zarr", "0"), mode="r")
best, median = best_of(3, lambda: array[:])
print("zarr-python read 1024^3 u16 box, arr[:]: best %.0f ms, median %.0f ms" % (best * 1000, median * 1000))
# Into memory already touched, as orv_zarr_bench times its box (a fresh
# 2 GiB array costs its page faults on top).
out = np.ones((1024, 1024, 1024), dtype="<u2")
best, median = best_of(3, lambda: array.get_basic_selection(Ellipsis, out=out))
print("zarr-python read 1024^3 u16 box into a reused array: best %.0f ms, median %.0f ms" % (best * 1000, median * 1000))
del out

z, y, x = np.indices((512, 1024, 1024), dtype=np.uint32)
rng = np.random.default_rng(12345)
stack = (1000 + ((x + y + 2 * z) & 1023) + rng.integers(0, 64, size=x.shape)).astype("<u2")
del z, y, x
target = os.path.join(folder, "python_level0.zarr")


def write():
    shutil.rmtree(target, ignore_errors=True)
    zarr.array(stack, chunks=(64, 64, 64), store=target,
               compressor=numcodecs.Blosc(cname="zstd", clevel=5, shuffle=numcodecs.Blosc.SHUFFLE))


best, median = best_of(2, write)
print("zarr-python write level 0 of 1024x1024x512 u16: best %.0f ms, median %.0f ms" % (best * 1000, median * 1000))
shutil.rmtree(target, ignore_errors=True)
