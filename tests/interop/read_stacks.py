"""Reads each TIFF named on the command line with tifffile and prints one
line per file: "RESULT <name> key=value ...", with the array's type and
shape, every value in memory order, the resolution tags as fractions and
the ImageJ description's spacing and origins as their shortest decimals."""
import os
import sys

import tifffile

for path in sys.argv[1:]:
    with tifffile.TiffFile(path) as tif:
        data = tif.asarray()
        page = tif.pages[0]
        ij = tif.imagej_metadata or {}
        fields = [
            "dtype=%s" % data.dtype,
            "shape=%s" % "x".join(str(n) for n in data.shape),
            "xres=%d/%d" % page.tags["XResolution"].value,
            "yres=%d/%d" % page.tags["YResolution"].value,
            "spacing=%r" % ij.get("spacing"),
            "unit=%s" % ij.get("unit"),
            "origin=%r,%r,%r" % (ij.get("xorigin"), ij.get("yorigin"), ij.get("zorigin")),
            "values=" + ",".join(repr(v) for v in data.ravel().tolist()),
        ]
        print("RESULT", os.path.basename(path), " ".join(fields))
