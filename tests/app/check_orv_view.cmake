# Runs the orv-view program as a user would and checks its exit status and
# messages: --help, --version, a bad option, an unreadable file under
# --snapshot, a stretch the image has not, no display, snapshots of the
# built-in sample's cuts and volume window, and views, galleries and data
# saved in batch.
# Arguments: -DVIEWER=<orv-view> -DWORK_DIR=<scratch folder>

function(expect_run expected_rc expected_text)
  execute_process(COMMAND ${LAUNCH} ${VIEWER} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "orv-view ${ARGN}: exit status ${rc}, expected ${expected_rc}\n${out}${err}")
  endif()
  string(FIND "${out}${err}" "${expected_text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "orv-view ${ARGN}: no '${expected_text}' in\n${out}${err}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
expect_run(0 "usage: orv-view [IMAGE]" --help)
expect_run(0 "orv-view " --version)
expect_run(2 "orv-view: Unknown long option 'bogus'" --bogus)
file(WRITE ${WORK_DIR}/broken.tif "II*")
expect_run(1 "${WORK_DIR}/broken.tif" ${WORK_DIR}/broken.tif --snapshot ${WORK_DIR}/never.png)
if(EXISTS ${WORK_DIR}/never.png)
  message(FATAL_ERROR "a failed open still wrote a snapshot")
endif()
# A label file that cannot be read ends the run with its name.
expect_run(1 "orv-view: the label image cannot be read: '${WORK_DIR}/broken.tif'" --labels ${WORK_DIR}/broken.tif
           --snapshot ${WORK_DIR}/never.png)
expect_run(2 "--labels and --no-labels exclude each other" --labels x.tif --no-labels)
# A point file that fails to load is reported in the viewer's own words.
file(WRITE ${WORK_DIR}/two-columns.txt "x0\ty0\n1\t2\n")
expect_run(1 "orv-view: Can't load file ${WORK_DIR}/two-columns.txt: Columns with point coordinates not found."
           --points ${WORK_DIR}/two-columns.txt --snapshot ${WORK_DIR}/never.png)
if(EXISTS ${WORK_DIR}/never.png)
  message(FATAL_ERROR "a failed open still wrote a snapshot")
endif()
# A snapshot that cannot be written is reported and ends the run (no box
# waiting for a click).
execute_process(COMMAND ${VIEWER} --snapshot ${WORK_DIR}/missing/folder/x.png TIMEOUT 60
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "an unwritable snapshot: exit status ${rc}, expected 1\n${out}${err}")
endif()
expect_run(1 "orv-view: --stretch smart works on RGB images only, and this image is gray: use linear, percentil or none"
           --stretch smart --snapshot ${WORK_DIR}/smart.png)
if(EXISTS ${WORK_DIR}/smart.png)
  message(FATAL_ERROR "a refused stretch still wrote a snapshot")
endif()
set(LAUNCH ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY)
expect_run(1 "orv-view needs a display to draw on, also for --snapshot, and DISPLAY is not set." --snapshot ${WORK_DIR}/nodisplay.png)
expect_run(1 "xvfb-run -a -s \"-screen 0 1280x1024x24\" orv-view IMAGE --snapshot FILE.png" --snapshot ${WORK_DIR}/nodisplay.png)
expect_run(1 "or use scripts/run IMAGE, which starts one" --snapshot ${WORK_DIR}/nodisplay.png)
unset(LAUNCH)
expect_run(0 "snapshot of the three cuts saved to" --snapshot ${WORK_DIR}/sample.png)
# Figures in batch: a view, a gallery and the data, then the run ends.
expect_run(0 "orv-view: gallery saved to ${WORK_DIR}/gallery.tif"
           --save-view ${WORK_DIR}/view.tif --projection xy --save-gallery ${WORK_DIR}/gallery.tif 0 4 2
           --columns 2 --save-data ${WORK_DIR}/data.ics)
foreach(saved view.tif gallery.tif data.ics)
  if(NOT EXISTS ${WORK_DIR}/${saved})
    message(FATAL_ERROR "orv-view saved no ${saved}")
  endif()
endforeach()
expect_run(1 "orv-view: '${WORK_DIR}/missing/view.tif'" --save-view ${WORK_DIR}/missing/view.tif)
expect_run(2 "orv-view: --projection needs one of xy, xz, yz, all" --save-view ${WORK_DIR}/v.tif --projection zz)
expect_run(0 "snapshot of the volume window saved to" --snapshot-3d ${WORK_DIR}/volume.png --view x-)
if(NOT EXISTS ${WORK_DIR}/volume.png)
  message(FATAL_ERROR "no snapshot of the volume window written")
endif()
expect_run(0 "snapshot of the volume window saved to" --snapshot-3d ${WORK_DIR}/mip.png --view x- --render mip)
file(SHA256 ${WORK_DIR}/volume.png composite)
file(SHA256 ${WORK_DIR}/mip.png mip)
if(composite STREQUAL mip)
  message(FATAL_ERROR "--render mip drew the same picture as compositing")
endif()
expect_run(1 "orv-view: cannot write the snapshot ${WORK_DIR}/missing/folder/v.png" --snapshot-3d
           ${WORK_DIR}/missing/folder/v.png)
# A stack whose resolution tags give x and y but nothing gives z.
find_program(CONVERT convert)
if(CONVERT)
  execute_process(COMMAND ${CONVERT} -size 6x5 xc:gray40 xc:gray60 -units PixelsPerCentimeter -density 10000
                          ${WORK_DIR}/noz.tif RESULT_VARIABLE rc)
  expect_run(0 "orv-view: z spacing not in the file; using the x spacing, override with --voxel-size"
             ${WORK_DIR}/noz.tif --snapshot ${WORK_DIR}/noz.png)
endif()
if(NOT EXISTS ${WORK_DIR}/sample.png)
  message(FATAL_ERROR "no snapshot written")
endif()
