#!/usr/bin/python3
"""VTK's discrete marching cubes over a label volume: the baseline of
orv_surface_bench (bench/bench_isosurface.cpp).

A measuring tool, run by hand; no build or test depends on it. It needs
Debian's python3 with python3-vtk9 and python3-numpy:

    mkdir -p /tmp/surface-volumes
    ORV_SURFACE_BENCH_WRITE=/tmp/surface-volumes \\
        build-release/bench/orv_surface_bench --benchmark_filter=Isosurface
    /usr/bin/python3 bench/vtk_baseline.py /tmp/surface-volumes/surface_a
    /usr/bin/python3 bench/vtk_baseline.py /tmp/surface-volumes/surface_b

The argument is the volume's path without extension: <base>.raw holds
little-endian uint16 labels, x fastest; <base>.txt holds "X Y Z" and the
highest label n. vtkDiscreteMarchingCubes runs with GenerateValues(n, 1, n),
every label in one pass, with the filter's default outputs (normals and
label scalars on); it runs on one core. Update() is timed --repeats times
on a fresh filter each time; the median and the minimum are printed in
seconds with the triangle count.
"""

import argparse
import statistics
import sys
import time

import numpy as np
import vtk
from vtk.util import numpy_support


def read_volume(base):
    with open(base + ".txt") as text:
        words = text.read().split()
    X, Y, Z, highest = (int(w) for w in words[:4])
    labels = np.fromfile(base + ".raw", dtype="<u2")
    if labels.size != X * Y * Z:
        sys.exit(f"{base}.raw holds {labels.size} voxels, not {X} x {Y} x {Z}")
    return X, Y, Z, highest, labels


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("base", help="volume path without .raw/.txt")
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()

    X, Y, Z, highest, labels = read_volume(args.base)
    image = vtk.vtkImageData()
    image.SetDimensions(X, Y, Z)
    image.SetSpacing(1.0, 1.0, 1.0)
    array = numpy_support.numpy_to_vtk(labels, deep=True, array_type=vtk.VTK_UNSIGNED_SHORT)
    array.SetName("labels")
    image.GetPointData().SetScalars(array)

    times = []
    triangles = 0
    for _ in range(args.repeats):
        cubes = vtk.vtkDiscreteMarchingCubes()
        cubes.SetInputData(image)
        cubes.GenerateValues(highest, 1, highest)
        start = time.perf_counter()
        cubes.Update()
        times.append(time.perf_counter() - start)
        output = cubes.GetOutput()
        triangles = output.GetNumberOfPolys()
        points = output.GetNumberOfPoints()
        normals = output.GetPointData().GetNormals() is not None
        del cubes, output

    print(f"{args.base}: {X} x {Y} x {Z}, labels 1..{highest}, VTK {vtk.vtkVersion.GetVTKVersion()}")
    print(f"vtkDiscreteMarchingCubes Update(): median {statistics.median(times):.3f} s, "
          f"min {min(times):.3f} s over {len(times)} runs")
    print(f"triangles {triangles}, points {points}, normals {'yes' if normals else 'no'}")


if __name__ == "__main__":
    main()
