#!/usr/bin/python3
"""Reads an OME-Zarr store that orv wrote with Debian's python3-zarr, checks
its metadata against NGFF 0.4's rules and prints what a test compares.

usage: check_zarr.py STORE
Prints "PROBLEM <text>" for every rule broken, then per level
"LEVEL <n> shape=z,y,x dtype=<d> scale=z,y,x translation=z,y,x sum=<sum>"
and "VOXEL <x> <y> <z> <value>" for a few voxels of level 0."""
import json
import os
import sys

import numpy as np
import zarr

path = sys.argv[1]
group = zarr.open_group(path, mode="r")
attrs = json.load(open(os.path.join(path, ".zattrs")))


def problem(text):
    print("PROBLEM", text)


ms = attrs.get("multiscales")
if not isinstance(ms, list) or not ms:
    problem("no multiscales list")
    sys.exit(0)
m = ms[0]
if m.get("version") != "0.4":
    problem("version is not 0.4")
axes = m.get("axes", [])
names = [a.get("name") for a in axes]
if not 2 <= len(axes) <= 5:
    problem("2 to 5 axes needed")
if len(set(names)) != len(names):
    problem("axis names repeat")
kinds = [a.get("type") for a in axes]
if kinds.count("space") not in (2, 3):
    problem("2 or 3 space axes needed")
space = [i for i, k in enumerate(kinds) if k == "space"]
if space != list(range(len(axes) - len(space), len(axes))):
    problem("space axes must come last")
for a in axes:
    if a.get("type") == "space" and a.get("unit") not in ("micrometer", "nanometer", "millimeter"):
        problem("space unit %r" % a.get("unit"))
previous = None
for level, dataset in enumerate(m.get("datasets", [])):
    transforms = dataset.get("coordinateTransformations", [])
    if not transforms or transforms[0].get("type") != "scale":
        problem("the first transformation of dataset %d is not a scale" % level)
    if len(transforms) > 1 and (len(transforms) > 2 or transforms[1].get("type") != "translation"):
        problem("dataset %d: only a translation may follow the scale" % level)
    scale = transforms[0].get("scale")
    translation = transforms[1].get("translation") if len(transforms) > 1 else [0] * len(axes)
    if len(scale) != len(axes) or len(translation) != len(axes):
        problem("dataset %d: transformations do not match the axes" % level)
    if previous and any(s < p for s, p in zip(scale, previous)):
        problem("dataset %d is finer than the one before" % level)
    previous = scale
    array = group[dataset["path"]]
    data = array[:]
    print("LEVEL %d shape=%s dtype=%s scale=%s translation=%s sum=%d" % (
        level, ",".join(map(str, data.shape)), data.dtype.str, ",".join("%g" % s for s in scale),
        ",".join("%g" % t for t in translation), int(np.asarray(data, dtype=np.float64).sum())))
    if level == 0:
        for x, y, z in ((0, 0, 0), (data.shape[2] - 1, data.shape[1] - 1, data.shape[0] - 1), (3, 2, 1)):
            print("VOXEL %d %d %d %s" % (x, y, z, data[z, y, x]))
if "image-label" in attrs:
    print("LABELS")
