# Installs the build tree into a temporary prefix, then configures, builds
# and runs a small host project that uses find_package(orv).
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -P check_install.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${WORK_DIR}/prefix"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "install failed")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}/host"
                        "-DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix"
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configuring the host with find_package(orv) failed")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK_DIR}/host" RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building the host against the installed headers failed")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "LD_LIBRARY_PATH=${WORK_DIR}/prefix/lib"
                        "${WORK_DIR}/host/host" RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "the host program failed")
endif()
# The installed program starts without help from LD_LIBRARY_PATH.
execute_process(COMMAND "${WORK_DIR}/prefix/bin/orv-view" --version RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(rc)
  message(FATAL_ERROR "the installed orv-view does not start: ${out}${err}")
endif()
