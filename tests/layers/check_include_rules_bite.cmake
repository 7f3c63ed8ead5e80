# The include rules catch a sideways include, in the sources and in the
# build: a small tree where the volume window includes a header of the
# mapping folder, and the mapping folder one of the viewer core (allowed),
# gives exactly one complaint, and compiled with the folders the rules give
# each source, the allowed include compiles and the sideways one does not.
#   cmake -DWORK_DIR=<scratch folder> -DCXX=<compiler> -P check_include_rules_bite.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/include_rules.cmake)
file(REMOVE_RECURSE "${WORK_DIR}")
set(tree "${WORK_DIR}/src")
file(WRITE "${tree}/mapping/stretches.h" "#pragma once\n")
file(WRITE "${tree}/mapping/stretches.cpp" "#include \"stretches.h\"\n#include \"view_model.h\"\n")
file(WRITE "${tree}/viewer/view_model.h" "#pragma once\n")
file(WRITE "${tree}/vol3d/volume_update.cpp" "#include <vector>\n#include \"stretches.h\"\n")
set(found "")
orv_check_include_rules("${tree}" found)
set(expected "vol3d/volume_update.cpp includes stretches.h of src/mapping, which src/vol3d may not\n")
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "the include rules said:\n${found}\nexpected:\n${expected}")
endif()

file(WRITE "${tree}/CMakeLists.txt" "
cmake_minimum_required(VERSION 3.16)
project(include_rules_bite CXX)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/include_rules.cmake)
add_library(allowed OBJECT mapping/stretches.cpp)
add_library(sideways OBJECT vol3d/volume_update.cpp)
orv_apply_include_rules(allowed \${CMAKE_CURRENT_SOURCE_DIR})
orv_apply_include_rules(sideways \${CMAKE_CURRENT_SOURCE_DIR})
")
execute_process(COMMAND ${CMAKE_COMMAND} -S "${tree}" -B "${WORK_DIR}/build" -DCMAKE_CXX_COMPILER=${CXX}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc)
  message(FATAL_ERROR "the small tree does not configure:\n${out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build "${WORK_DIR}/build" --target allowed
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc)
  message(FATAL_ERROR "an allowed include does not compile:\n${out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build "${WORK_DIR}/build" --target sideways
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc OR NOT out MATCHES "stretches.h")
  message(FATAL_ERROR "a sideways include compiled (or failed for another reason):\n${out}")
endif()
message(STATUS "the include rules catch a sideways include, and the build refuses it")
