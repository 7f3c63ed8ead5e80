#!/bin/bash
# The datasets of the lazy viewer's benchmarks, in the folder given (about
# 20 GB of disk; an hour or less on two cores):
#   stack-1g.zarr    1024 x 1024 x 512, 16-bit (1 GiB), with its pyramid and
#                    its cells' labels (labels/cells)
#   stack-16g.zarr   2048 x 2048 x 2048, 16-bit (16 GiB), with its pyramid
#   series-1g.zarr   four time points of stack-1g.zarr (links to its chunks)
#   virtual-16t.zarr a 32768 x 32768 x 8192 pyramid (16 TiB) whose five finest
#                    levels hold no chunks (the fill value) and whose coarse
#                    levels are complete
# Serve the folder over HTTP with:  (cd FOLDER && python3 -m http.server 8000)
#   bench/make_lazy_datasets.sh /data/lazy [build-release]
set -euo pipefail
out=${1:?usage: make_lazy_datasets.sh FOLDER [BUILD_DIR]}
build=${2:-build-release}
here=$(cd "$(dirname "$0")" && pwd)
make=$build/bench/orv_make_zarr_stack
mkdir -p "$out"
[ -d "$out/stack-1g.zarr" ] || "$make" "$out/stack-1g.zarr" 1024 1024 512 0.2 lz4 labels
[ -d "$out/stack-16g.zarr" ] || "$make" "$out/stack-16g.zarr" 2048 2048 2048 0.2 lz4
if [ ! -d "$out/virtual-16t.zarr" ]; then
  # The coarse part: level 5 of the virtual pyramid, 32 times the voxel of level 0.
  "$make" "$out/virtual-16t.zarr" 1024 1024 256 6.4 lz4
  /usr/bin/python3 "$here/make_virtual_pyramid.py" "$out/virtual-16t.zarr" 5
fi
/usr/bin/python3 "$here/make_time_series.py" "$out" 4
du -sh "$out"/*.zarr
