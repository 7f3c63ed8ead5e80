#!/usr/bin/env python3
"""A time series for the time-step benchmark, made from a stack's store
without copying its chunks: FOLDER/series-1g.zarr has a "t" axis of COUNT
time points whose chunk folders are links to the stack's levels, so each
time point is the stack itself but its chunks are cached apart.

    bench/make_time_series.py FOLDER [COUNT]   (FOLDER holds stack-1g.zarr)
"""
import json
import os
import sys


def main():
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 4
    stack = os.path.join(folder, "stack-1g.zarr")
    series = os.path.join(folder, "series-1g.zarr")
    os.makedirs(series, exist_ok=True)
    with open(os.path.join(stack, ".zattrs")) as f:
        attrs = json.load(f)
    image = attrs["multiscales"][0]
    image["axes"] = [{"name": "t", "type": "time"}] + image["axes"]
    for dataset in image["datasets"]:
        for transform in dataset["coordinateTransformations"]:
            key = transform["type"]
            transform[key] = [1.0 if key == "scale" else 0.0] + transform[key]
        level = dataset["path"]
        os.makedirs(os.path.join(series, level), exist_ok=True)
        with open(os.path.join(stack, level, ".zarray")) as f:
            array = json.load(f)
        array["shape"] = [count] + array["shape"]
        array["chunks"] = [1] + array["chunks"]
        with open(os.path.join(series, level, ".zarray"), "w") as f:
            json.dump(array, f, indent=4)
        for t in range(count):
            link = os.path.join(series, level, str(t))
            if not os.path.islink(link):
                os.symlink(os.path.join("..", "..", "stack-1g.zarr", level), link)
    attrs.pop("labels", None)
    with open(os.path.join(series, ".zattrs"), "w") as f:
        json.dump({"multiscales": [image]}, f, indent=4)


if __name__ == "__main__":
    main()
