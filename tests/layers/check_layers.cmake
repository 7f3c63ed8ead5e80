# Checks the layers that the build promises:
#  - bix, the display-free core and their test programs compile without any
#    wxWidgets folder or definition;
#  - programs that use only bix or the core load no wxWidgets library;
#  - OpenGL, GLEW and wxWidgets' GL add-on belong to the volume window
#    (orv_vol3d) only: no other source or header of liborv includes their
#    headers, and no other object of liborv calls them;
#  - liborv exports its public interface and hides its internal helpers;
#  - the folders of src/ include each other's headers by the include rules.
#   cmake -DCOMPILE_COMMANDS=... -DNM=... -DREADELF=... -DORV_LIBRARY=... -DSOURCE_DIR=...
#         "-DWX_FREE_PROGRAMS=a;b" -P check_layers.cmake
set(failures "")

# Compile lines of the wx-free targets, found by their object files' folders.
set(wx_free_targets bix orv_core bix_tests core_tests)
file(READ "${COMPILE_COMMANDS}" json)
string(JSON count LENGTH "${json}")
math(EXPR last "${count} - 1")
foreach(target IN LISTS wx_free_targets)
  set(seen_${target} 0)
endforeach()
foreach(i RANGE ${last})
  string(JSON command GET "${json}" ${i} command)
  string(JSON file GET "${json}" ${i} file)
  foreach(target IN LISTS wx_free_targets)
    if(command MATCHES "-o [^ ]*CMakeFiles/${target}\\.dir/")
      math(EXPR seen_${target} "${seen_${target}} + 1")
      if(command MATCHES "(/wx[-/]|__WX|WXUSINGDLL|wx-config)")
        string(APPEND failures "${target} compiles ${file} with a wxWidgets flag (${CMAKE_MATCH_1})\n")
      endif()
    endif()
  endforeach()
endforeach()
foreach(target IN LISTS wx_free_targets)
  if(seen_${target} EQUAL 0)
    string(APPEND failures "no compile line of ${target} found in ${COMPILE_COMMANDS}\n")
  endif()
endforeach()

# What the wx-free programs and libraries load at run time.
foreach(program IN LISTS WX_FREE_PROGRAMS)
  execute_process(COMMAND ldd "${program}" OUTPUT_VARIABLE loaded RESULT_VARIABLE rc)
  if(rc)
    string(APPEND failures "ldd ${program} failed\n")
  elseif(loaded MATCHES "(libwx[^ ]*)")
    string(APPEND failures "${program} loads ${CMAKE_MATCH_1}\n")
  endif()
endforeach()

# OpenGL stays in the volume window. Its sources are those compiled into
# orv_vol3d; its one public header is orv/vol3d_canvas.h.
set(gl_sources "${SOURCE_DIR}/include/orv/vol3d_canvas.h")
set(other_objects "")
foreach(i RANGE ${last})
  string(JSON command GET "${json}" ${i} command)
  string(JSON file GET "${json}" ${i} file)
  string(JSON directory GET "${json}" ${i} directory)
  if(command MATCHES "-o ([^ ]*CMakeFiles/orv_vol3d\\.dir/[^ ]*)")
    list(APPEND gl_sources "${file}")
  elseif(command MATCHES "-o ([^ ]*CMakeFiles/(orv_core|orv_objects)\\.dir/[^ ]*\\.o)( |$)")
    list(APPEND other_objects "${directory}/${CMAKE_MATCH_1}")
  endif()
endforeach()
file(GLOB_RECURSE library_files "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/include/*.h")
foreach(source IN LISTS library_files)
  list(FIND gl_sources "${source}" at)
  if(NOT at EQUAL -1)
    continue()
  endif()
  file(STRINGS "${source}" gl_includes REGEX "#include [<\"](GL/|wx/glcanvas\\.h|orv/vol3d_canvas\\.h)")
  if(gl_includes)
    string(APPEND failures "${source} is not part of the volume window but includes ${gl_includes}\n")
  endif()
endforeach()
foreach(object IN LISTS other_objects)
  execute_process(COMMAND "${NM}" -uC "${object}" OUTPUT_VARIABLE undefined RESULT_VARIABLE rc)
  if(rc)
    string(APPEND failures "nm -uC ${object} failed\n")
  elseif(undefined MATCHES "U ((gl|glew|__glew)[A-Z][A-Za-z0-9_]*|wxGL[A-Za-z]*)")
    string(APPEND failures "${object} is not part of the volume window but uses ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
list(LENGTH other_objects other_count)
if(other_count LESS 20)
  string(APPEND failures "found only ${other_count} objects of orv_core and orv_objects in ${COMPILE_COMMANDS}\n")
endif()

execute_process(COMMAND "${NM}" -DC --defined-only "${ORV_LIBRARY}" OUTPUT_VARIABLE exported RESULT_VARIABLE rc)
if(rc)
  string(APPEND failures "nm -DC ${ORV_LIBRARY} failed\n")
endif()
foreach(symbol
    "orv::ZoomForLevel(float, int)"
    "orv::VoxelToStr<unsigned short>(unsigned short const&)"
    "orv::Histogram<unsigned short>::Fill("
    "orv::Buffer2d<bix::RGB_generic<unsigned char> >::Resize("
    "orv::orv_CreateImage3dFrame<unsigned char>("
    "orv::orv_CreateImage3dFrame<bix::RGB_generic<unsigned char> >("
    "orv::orv_OrthoscopeCanvas::OnCutChange("
    "typeinfo for orv::orv_OrthoscopeFrame"
    "orv::vol3D_VolVisCanvas::SetVolumeData("
    "typeinfo for orv::vol3D_VolVisFrame"
    "orv::vol3D_RenderImage(")
  string(FIND "${exported}" "${symbol}" at)
  if(at EQUAL -1)
    string(APPEND failures "liborv does not export ${symbol}\n")
  endif()
endforeach()
foreach(symbol
    "orv::ComputeCanvasLayout("
    "orv::CutOrientation::PixelOf("
    "orv::MakeIconBitmap("
    "orv::WriteOrientedPixels("
    "orv::GammaMarkerPosition("
    "orv::CrossCursorImage("
    "orv::ChooseVolumeFactor("
    "orv::ParseViewFile(")
  string(FIND "${exported}" "${symbol}" at)
  if(NOT at EQUAL -1)
    string(APPEND failures "liborv exports the internal ${symbol}\n")
  endif()
endforeach()

# The folders of src/ include each other's internal headers by the rules
# of include_rules.cmake only.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/include_rules.cmake)
orv_check_include_rules("${SOURCE_DIR}/src" failures)

if(failures)
  message(FATAL_ERROR "layer check failed:\n${failures}")
endif()
message(STATUS "layers hold")
