# The include rules catch a sideways include: a small tree where the volume
# window includes a header of the mapping folder, and the mapping folder one
# of the viewer core (allowed), gives exactly one complaint.
#   cmake -DWORK_DIR=<scratch folder> -P check_include_rules_bite.cmake
include(${CMAKE_CURRENT_LIST_DIR}/include_rules.cmake)
file(REMOVE_RECURSE "${WORK_DIR}")
file(WRITE "${WORK_DIR}/mapping/stretches.h" "#pragma once\n")
file(WRITE "${WORK_DIR}/mapping/stretches.cpp" "#include \"stretches.h\"\n#include \"view_model.h\"\n")
file(WRITE "${WORK_DIR}/viewer/view_model.h" "#pragma once\n")
file(WRITE "${WORK_DIR}/vol3d/volume_update.cpp" "#include <vector>\n#include \"stretches.h\"\n")
set(found "")
orv_check_include_rules("${WORK_DIR}" found)
set(expected "vol3d/volume_update.cpp includes stretches.h of src/mapping, which src/vol3d may not\n")
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "the include rules said:\n${found}\nexpected:\n${expected}")
endif()
message(STATUS "the include rules catch a sideways include")
