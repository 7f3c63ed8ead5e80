"""The Python module as its users drive it: arrays in, pictures and points
out, files through the image library. Needs the X server the suite runs."""

import os
import shutil
import subprocess
import threading
import time
import unittest

import numpy

import orv

SCRATCH = os.environ.get("ORV_TEST_DIR", "/tmp/orv-python-tests")
VOXEL = (0.5, 0.2, 0.2)


def scratch(name):
    os.makedirs(SCRATCH, exist_ok=True)
    return os.path.join(SCRATCH, name)


def orv_view_snapshot(tiff, png, *flags):
    subprocess.run([os.environ["ORV_VIEW"], tiff, *flags, png], check=True, capture_output=True)
    with open(png, "rb") as f:
        return f.read()


class Snapshots(unittest.TestCase):
    def test_the_picture_is_orv_views_of_the_same_data_in_a_file(self):
        rng = numpy.random.default_rng(7)
        cases = {
            "gray16": rng.integers(0, 4096, (20, 64, 80)).astype("uint16"),
            "rgb8": rng.integers(0, 256, (9, 30, 40, 3)).astype("uint8"),
            "float": rng.normal(size=(7, 20, 30)).astype("float32"),
        }
        for name, image in cases.items():
            with self.subTest(name):
                tiff = scratch(name + ".tif")
                orv.save(tiff, image, voxel_size=VOXEL)
                ours = scratch(name + "-module.png")
                orv.snapshot(image, ours, voxel_size=VOXEL)
                with open(ours, "rb") as f:
                    self.assertEqual(f.read(), orv_view_snapshot(tiff, scratch(name + "-orv-view.png"), "--snapshot"))
        # The volume window's picture, as --snapshot-3d's.
        tiff = scratch("gray16.tif")
        ours = scratch("gray16-3d.png")
        orv.snapshot(cases["gray16"], ours, voxel_size=VOXEL, view="3d")
        with open(ours, "rb") as f:
            self.assertEqual(f.read(), orv_view_snapshot(tiff, scratch("gray16-3d-orv-view.png"), "--snapshot-3d"))

    def test_a_snapshot_that_cannot_be_written_raises_oserror_naming_it(self):
        with self.assertRaisesRegex(OSError, "cannot write the snapshot /no-such-folder/x.png"):
            orv.snapshot(numpy.zeros((2, 3, 4), "uint8"), "/no-such-folder/x.png")


class Viewing(unittest.TestCase):
    def drive(self, *actions):
        def run():
            while not orv._viewer_shown():
                time.sleep(0.02)
            for action in actions:
                orv._drive(action)

        threading.Thread(target=run, daemon=True).start()

    def test_points_come_back_in_microns_with_the_ones_clicked(self):
        image = numpy.zeros((20, 64, 80), "uint8")
        self.drive("right-click-xy", "close")
        points = orv.view(image, voxel_size=VOXEL, points=numpy.array([[1.0, 2.0, 3.0]]))
        # The click lands in the middle of the XY window, on the middle slice.
        numpy.testing.assert_allclose(points, [[1.0, 2.0, 3.0], [5.25, 6.4, 8.0]], rtol=1e-6)

        # Labels and an empty point set; no voxel size: 1 micron.
        self.drive("right-click-xy", "close")
        points = orv.view(image, labels=numpy.ones(image.shape, "int64"), points=True, title="cells")
        numpy.testing.assert_allclose(points, [[10.5, 32.0, 40.0]])

        # A point file's points, from voxel (x, y, z) = (2, 3, 4); without points, nothing.
        path = scratch("points.txt")
        with open(path, "w") as f:
            f.write("Gravity(1)\tGravity(2)\tGravity(3)\n2\t3\t4\n")
        self.drive("close")
        points = orv.view(image, voxel_size=VOXEL, points=path)
        numpy.testing.assert_allclose(points, [[2.0, 0.6, 0.4]], rtol=1e-6)
        self.drive("close")
        self.assertIsNone(orv.view(image))


class Files(unittest.TestCase):
    def test_every_voxel_type_saves_and_reads_back_with_its_geometry(self):
        rng = numpy.random.default_rng(3)
        arrays = [
            rng.integers(0, 255, (3, 4, 5)).astype("uint8"),
            rng.integers(0, 65535, (3, 4, 5)).astype("uint16"),
            rng.integers(-1000, 1000, (3, 4, 5)).astype("int32"),
            rng.normal(size=(3, 4, 5)).astype("float32"),
            rng.integers(0, 255, (3, 4, 5, 3)).astype("uint8"),
            rng.integers(0, 65535, (3, 4, 5, 3)).astype("uint16"),
        ]
        for array in arrays:
            for ending in (".tif", ".ics", ".bix", ".zarr"):
                with self.subTest(dtype=str(array.dtype), shape=array.shape, file=ending):
                    path = scratch("round" + ending)
                    shutil.rmtree(path, ignore_errors=True)
                    orv.save(path, array, voxel_size=(2.0, 0.5, 0.25), offset=(1.0, -2.0, 3.5))
                    back, voxel_size, offset = orv.read(path)
                    self.assertEqual(back.dtype, array.dtype)
                    numpy.testing.assert_array_equal(back, array)
                    numpy.testing.assert_allclose(voxel_size, (2.0, 0.5, 0.25), rtol=1e-6)
                    if ending != ".tif":  # a TIFF keeps no offset of its own
                        numpy.testing.assert_allclose(offset, (1.0, -2.0, 3.5), rtol=1e-6)
        # A strided array is saved as it reads in Python.
        view = arrays[1].transpose(0, 2, 1)[:, ::2, :]
        orv.save(scratch("strided.tif"), view)
        numpy.testing.assert_array_equal(orv.read(scratch("strided.tif"))[0], view)

    def test_failures_raise_oserror_with_the_librarys_message(self):
        with self.assertRaisesRegex(OSError, "/no-such-folder/a.tif"):
            orv.save("/no-such-folder/a.tif", numpy.zeros((1, 2, 2), "uint8"))
        with self.assertRaisesRegex(OSError, "missing.tif"):
            orv.read(scratch("missing.tif"))


class BadArguments(unittest.TestCase):
    def test_each_names_the_argument_at_fault(self):
        gray = numpy.zeros((2, 3, 4), "uint8")
        cases = [
            (TypeError, "array: the voxels are uint8, uint16, int32 or float32", lambda: orv.save("x.tif", gray.astype("float64"))),
            (ValueError, r"image: a 3D array .* not shape \(3, 4\)", lambda: orv.snapshot(numpy.zeros((3, 4), "uint8"), "x.png")),
            (TypeError, "image: an RGB array holds uint8 or uint16", lambda: orv.snapshot(numpy.zeros((2, 3, 4, 3), "float32"), "x.png")),
            (ValueError, r"labels: shape \(2, 3, 5\) differs from the image's \(2, 3, 4\)",
             lambda: orv.snapshot(gray, "x.png", labels=numpy.zeros((2, 3, 5), "uint16"))),
            (TypeError, "labels: an integer array", lambda: orv.snapshot(gray, "x.png", labels=numpy.zeros((2, 3, 4)))),
            (ValueError, "labels: negative labels", lambda: orv.snapshot(gray, "x.png", labels=-numpy.ones((2, 3, 4), "int8"))),
            (ValueError, r"voxel_size: three positive numbers \(z, y, x\)", lambda: orv.snapshot(gray, "x.png", voxel_size=(1, 0, 1))),
            (ValueError, r"points: an \(N, 3\) array", lambda: orv.snapshot(gray, "x.png", points=numpy.zeros((2, 2)))),
            (ValueError, "points: 32-bit integer images have no point viewer",
             lambda: orv.snapshot(gray.astype("int32"), "x.png", points=True)),
            (ValueError, 'view: "cuts" or "3d"', lambda: orv.snapshot(gray, "x.png", view="side")),
            (ValueError, "channels: channel numbers count from 1", lambda: orv.read("x.tif", channels=[0])),
        ]
        for error, message, call in cases:
            with self.subTest(message):
                with self.assertRaisesRegex(error, message):
                    call()


if __name__ == "__main__":
    unittest.main()
