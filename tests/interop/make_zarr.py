#!/usr/bin/python3
"""Writes OME-Zarr stores with Debian's python3-zarr for the zarr reading
tests: one store per (dtype, compressor, separator) case, each a 9 x 7 x 5
(x, y, z) array in chunks of 4 x 3 x 2 holding value(x, y, z) =
x + 9 y + 63 z (made negative where the type has signs, by halves for
floats), with NGFF 0.4 multiscales metadata written by hand; one store with
channel and time axes, nanometer units and a missing chunk; one with labels.

usage: make_zarr.py FOLDER
Prints one line "STORE <name>" per store written."""
import json
import os
import sys

import numcodecs
import numpy as np
import zarr

folder = sys.argv[1]

COMPRESSORS = {
    "none": None,
    "blosc-lz4": numcodecs.Blosc(cname="lz4", shuffle=numcodecs.Blosc.SHUFFLE),
    "blosc-lz4hc": numcodecs.Blosc(cname="lz4hc", shuffle=numcodecs.Blosc.BITSHUFFLE),
    "blosc-zstd": numcodecs.Blosc(cname="zstd", shuffle=numcodecs.Blosc.NOSHUFFLE),
    "blosc-zlib": numcodecs.Blosc(cname="zlib", shuffle=numcodecs.Blosc.SHUFFLE),
    "blosc-blosclz": numcodecs.Blosc(cname="blosclz", shuffle=numcodecs.Blosc.SHUFFLE),
    "zlib": numcodecs.Zlib(level=6),
    "gzip": numcodecs.GZip(level=6),
    "zstd": numcodecs.Zstd(level=3),
}
DTYPES = ["|u1", "<u2", ">u2", "<i2", "<i4", "<u4", "<f4", ">f4", "<f8"]


def values(shape, dtype):
    z, y, x = np.indices(shape)
    v = x + 9 * y + 63 * z
    kind = np.dtype(dtype).kind
    if kind == "u" and np.dtype(dtype).itemsize == 1:
        v = v % 256
    if kind == "i":
        v = v - 150
    if kind == "f":
        v = (v - 150) / 2.0
    return v.astype(dtype)


def multiscales(axes, scales, translations=None):
    datasets = []
    for level, scale in enumerate(scales):
        transforms = [{"type": "scale", "scale": scale}]
        if translations:
            transforms.append({"type": "translation", "translation": translations[level]})
        datasets.append({"path": str(level), "coordinateTransformations": transforms})
    return {"multiscales": [{"version": "0.4", "name": "test", "axes": axes, "datasets": datasets}]}


SPACE = [{"name": n, "type": "space", "unit": "micrometer"} for n in "zyx"]


def store(name, attrs):
    path = os.path.join(folder, name)
    group = zarr.open_group(path, mode="w")
    with open(os.path.join(path, ".zattrs"), "w") as f:
        json.dump(attrs, f)
    print("STORE", name)
    return group


for dtype in DTYPES:
    for cname, compressor in COMPRESSORS.items():
        for separator in ".", "/":
            if separator == "/" and cname not in ("blosc-zstd", "none"):
                continue
            name = "case_%s_%s_%s.zarr" % (dtype.replace("<", "le").replace(">", "be").replace("|", ""), cname,
                                           "slash" if separator == "/" else "dot")
            group = store(name, multiscales(SPACE, [[0.5, 0.25, 0.2]], [[1.0, 2.0, 3.0]]))
            array = group.create_dataset("0", shape=(5, 7, 9), chunks=(2, 3, 4), dtype=dtype,
                                         compressor=compressor, dimension_separator=separator)
            array[:] = values((5, 7, 9), dtype)

# Time and channel axes, nanometers, two levels, a fill value and a chunk
# never written (all fill).
axes = [{"name": "t", "type": "time"}, {"name": "c", "type": "channel"}] + \
       [{"name": n, "type": "space", "unit": "nanometer"} for n in "zyx"]
group = store("tczyx.zarr", multiscales(axes, [[1, 1, 500, 250, 200], [1, 1, 500, 500, 400]]))
a0 = group.create_dataset("0", shape=(2, 3, 5, 7, 9), chunks=(1, 2, 2, 3, 4), dtype="<u2", fill_value=7,
                          compressor=numcodecs.Blosc(cname="zstd"))
for t in range(2):
    for c in range(3):
        a0[t, c] = values((5, 7, 9), "<u2") + 1000 * (3 * t + c)
a0[1, 2, 4:5, 6:7, 8:9] = 7  # the last chunk of the last channel holds only the fill value...
os.remove(os.path.join(folder, "tczyx.zarr", "0", "1.1.2.2.2"))  # ...and is not stored
a1 = group.create_dataset("1", shape=(2, 3, 5, 4, 5), chunks=(1, 1, 5, 4, 5), dtype="<u2")
a1[:] = 1

# An image with a label image.
group = store("with_labels.zarr", multiscales(SPACE, [[1, 1, 1]]))
group.create_dataset("0", shape=(5, 7, 9), chunks=(5, 7, 9), dtype="<u2")[:] = 100
labels = zarr.open_group(os.path.join(folder, "with_labels.zarr", "labels"), mode="w")
with open(os.path.join(folder, "with_labels.zarr", "labels", ".zattrs"), "w") as f:
    json.dump({"labels": ["cells"]}, f)
cells = zarr.open_group(os.path.join(folder, "with_labels.zarr", "labels", "cells"), mode="w")
attrs = multiscales(SPACE, [[1, 1, 1]])
attrs["image-label"] = {"version": "0.4", "colors": [{"label-value": 3, "rgba": [255, 0, 0, 255]}]}
with open(os.path.join(folder, "with_labels.zarr", "labels", "cells", ".zattrs"), "w") as f:
    json.dump(attrs, f)
cell = cells.create_dataset("0", shape=(5, 7, 9), chunks=(5, 7, 9), dtype="<u4")
cell[:] = 0
cell[1:3, 2:4, 3:6] = 3
