#!/usr/bin/env python3
"""Turns an OME-Zarr store into the coarse levels of a far larger "virtual"
pyramid: FINER levels are put in front of its own, each twice as fine along
x, y and z, with their ".zarray" but no chunk files, so that they read as
the fill value. The store's own levels keep their data and their place in
microns; the new level 0 is 2**FINER times as large along each axis.

    make_virtual_pyramid.py STORE.zarr FINER
"""
import json
import os
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    store, finer = sys.argv[1], int(sys.argv[2])
    with open(os.path.join(store, ".zattrs")) as f:
        attrs = json.load(f)
    multiscale = attrs["multiscales"][0]
    datasets = multiscale["datasets"]
    # Move the levels up, the last first, so that no name is taken twice.
    for dataset in reversed(datasets):
        old = dataset["path"]
        new = str(int(old) + finer)
        os.rename(os.path.join(store, old), os.path.join(store, new))
        dataset["path"] = new
    with open(os.path.join(store, datasets[0]["path"], ".zarray")) as f:
        coarse = json.load(f)
    scale = datasets[0]["coordinateTransformations"][0]["scale"]
    added = []
    for level in range(finer):
        factor = 2 ** (finer - level)
        array = dict(coarse)
        array["shape"] = [n * factor for n in coarse["shape"]]
        os.makedirs(os.path.join(store, str(level)))
        with open(os.path.join(store, str(level), ".zarray"), "w") as f:
            json.dump(array, f, indent=4)
        voxel = [s / factor for s in scale]
        added.append({"path": str(level), "coordinateTransformations": [
            {"type": "scale", "scale": voxel},
            {"type": "translation", "translation": [v / 2 for v in voxel]}]})
    multiscale["datasets"] = added + datasets
    with open(os.path.join(store, ".zattrs"), "w") as f:
        json.dump(attrs, f, indent=4)
    shape = [n * 2 ** finer for n in coarse["shape"]]
    print("%s: level 0 is %s voxels (z, y, x), %.1f TiB" %
          (store, " x ".join(map(str, shape)), shape[0] * shape[1] * shape[2] * 2 / 2 ** 40))


if __name__ == "__main__":
    main()
