# Makes the Debian package of the build, unpacks it into a scratch root (as
# dpkg would install it, without touching the system) and builds a small host
# against it both ways, through CMake's find_package and through pkg-config;
# the installed CMake files must name no folder of the build machine, and
# orv-view, the Python module, the manual page and the desktop entry must be
# there and work.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=<tests/install/host> -DWORK_DIR=... -DPYTHON=... -P check_package.cmake
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(rc)
    message(FATAL_ERROR "${what} failed:\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
run("cpack" ${CMAKE_COMMAND} -E chdir "${BUILD_DIR}" cpack -G DEB -B "${WORK_DIR}/deb")
file(GLOB debs "${WORK_DIR}/deb/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "cpack made ${count} packages in ${WORK_DIR}/deb, not one")
endif()
set(root "${WORK_DIR}/root")
run("dpkg-deb -x" dpkg-deb -x "${debs}" "${root}")

foreach(file usr/bin/orv-view usr/share/man/man1/orv-view.1 usr/share/applications/orv-view.desktop
             usr/share/icons/hicolor/scalable/apps/orv-view.svg usr/share/mime/packages/orv-view.xml)
  if(NOT EXISTS "${root}/${file}")
    message(FATAL_ERROR "the package has no ${file}")
  endif()
endforeach()
file(GLOB_RECURSE config_files "${root}/usr/*.cmake" "${root}/usr/*.pc")
foreach(file IN LISTS config_files)
  file(READ "${file}" text)
  get_filename_component(source_root "${SOURCE_DIR}/../../.." ABSOLUTE)
  foreach(machine_folder "${BUILD_DIR}" "${source_root}")
    string(FIND "${text}" "${machine_folder}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "${file} names ${machine_folder}, a folder of the build machine")
    endif()
  endforeach()
endforeach()

# The host through find_package(orv), from the unpacked root only.
run("configuring the host with find_package(orv)"
    ${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${WORK_DIR}/cmake-host" "-DCMAKE_PREFIX_PATH=${root}/usr")
run("building the CMake host" ${CMAKE_COMMAND} --build "${WORK_DIR}/cmake-host")
run("the CMake host" "${WORK_DIR}/cmake-host/host")

# The same through pkg-config.
file(GLOB_RECURSE pc_files "${root}/usr/orv.pc")
get_filename_component(pc_dir "${pc_files}" DIRECTORY)
run("pkg-config" ${CMAKE_COMMAND} -E env "PKG_CONFIG_PATH=${pc_dir}" pkg-config --cflags --libs orv)
string(STRIP "${output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
run("building the host with pkg-config's flags"
    c++ "${SOURCE_DIR}/main.cpp" -o "${WORK_DIR}/pkg-config-host" ${flags} "-Wl,-rpath,${pc_dir}/..")
run("the pkg-config host" "${WORK_DIR}/pkg-config-host")

# The program and the Python module find their libraries in the root.
run("the unpacked orv-view" "${root}/usr/bin/orv-view" --version)
if(PYTHON)
  file(GLOB_RECURSE modules "${root}/usr/orv.cpython*.so")
  get_filename_component(module_dir "${modules}" DIRECTORY)
  run("importing the unpacked Python module" ${CMAKE_COMMAND} -E env "PYTHONPATH=${module_dir}"
      "${PYTHON}" -c "print(__import__('orv').read.__doc__.split('(')[0])")
  if(NOT output MATCHES "^read")
    message(FATAL_ERROR "the unpacked Python module says: ${output}")
  endif()
endif()
message(STATUS "the package installs into ${root} and hosts build against it")
