# The include rules of liborv's folders. The build gives each source the
# include folders its folder may use and no others, so a sideways include
# does not compile (orv_apply_include_rules); the layer test reads the
# sources with the same rules (orv_check_include_rules). Each folder of src/
# includes the internal headers of its own and of the folders below it only:
#   common            helpers every part uses (notices, parallel runs, saves)
#   wdr, vol3d        dialog layouts; the volume window (OpenGL)
#   viewer            the viewer core: canvas, windows, frame, view model
#   mapping, overlay, points   the modules, side by side: they talk through
#                     the viewer core and the public headers only
#   factory           the viewer factories, which put a frame, a mapping
#                     module and a canvas with its layers and modules together
# A quoted include is matched to the folder that holds a file of that name.
set(ORV_INCLUDE_RULES
    "common:common"
    "wdr:wdr,common"
    "vol3d:vol3d,common"
    "viewer:viewer,vol3d,wdr,common"
    "mapping:mapping,viewer,wdr,common"
    "overlay:overlay,viewer,vol3d,wdr,common"
    "points:points,viewer,wdr,common"
    "factory:factory,mapping,overlay,points,viewer,vol3d,wdr,common")

# Appends to `out` one line per include of a tree rooted at `root` (its
# folders as above) that breaks the rules, and per folder they do not name.
function(orv_check_include_rules root out)
  set(_orv_found "")
  foreach(rule IN LISTS ORV_INCLUDE_RULES)
    string(REPLACE ":" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(GET parts 1 allowed)
    string(REPLACE "," ";" allowed_${folder} "${allowed}")
  endforeach()
  file(GLOB headers RELATIVE "${root}" "${root}/*/*.h")
  foreach(header IN LISTS headers)
    get_filename_component(name "${header}" NAME)
    get_filename_component(folder "${header}" DIRECTORY)
    set("home_of_${name}" "${folder}")
  endforeach()
  file(GLOB_RECURSE sources RELATIVE "${root}" "${root}/*.cpp" "${root}/*.h")
  foreach(source IN LISTS sources)
    get_filename_component(folder "${source}" DIRECTORY)
    if(NOT DEFINED allowed_${folder})
      string(APPEND _orv_found "${source}: src/${folder} is a folder the include rules do not name\n")
      continue()
    endif()
    file(STRINGS "${root}/${source}" lines REGEX "^#include \"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^#include \"([^\"]*)\".*" "\\1" included "${line}")
      get_filename_component(name "${included}" NAME)
      if(NOT DEFINED "home_of_${name}")
        continue()
      endif()
      set(home "${home_of_${name}}")
      list(FIND allowed_${folder} "${home}" at)
      if(at EQUAL -1)
        string(APPEND _orv_found "${source} includes ${included} of src/${home}, which src/${folder} may not\n")
      endif()
    endforeach()
  endforeach()
  set(${out} "${${out}}${_orv_found}" PARENT_SCOPE)
endfunction()

# Gives every source of `target` (named relative to `root`, as "viewer/x.cpp")
# the folders of `root` its folder may include, and no other folder of `root`.
function(orv_apply_include_rules target root)
  foreach(rule IN LISTS ORV_INCLUDE_RULES)
    string(REPLACE ":" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(GET parts 1 allowed)
    string(REPLACE "," ";" allowed "${allowed}")
    list(TRANSFORM allowed PREPEND "${root}/")
    set(folders_of_${folder} "${allowed}")
  endforeach()
  get_target_property(sources ${target} SOURCES)
  foreach(source IN LISTS sources)
    string(REGEX MATCH "^[^/]+" folder "${source}")
    if(NOT DEFINED folders_of_${folder})
      message(FATAL_ERROR "${target}: ${source} is in a folder the include rules do not name")
    endif()
    set_property(SOURCE ${source} APPEND PROPERTY INCLUDE_DIRECTORIES ${folders_of_${folder}})
  endforeach()
endfunction()
