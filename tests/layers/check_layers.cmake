# Checks the layers that the build promises:
#  - bix, the display-free core and their test programs compile without any
#    wxWidgets folder or definition;
#  - programs that use only bix or the core load no wxWidgets library;
#  - liborv needs neither OpenGL nor GLEW;
#  - liborv exports its public interface and hides its internal helpers.
#   cmake -DCOMPILE_COMMANDS=... -DNM=... -DREADELF=... -DORV_LIBRARY=...
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

execute_process(COMMAND "${READELF}" -d "${ORV_LIBRARY}" OUTPUT_VARIABLE dynamic RESULT_VARIABLE rc)
if(rc)
  string(APPEND failures "readelf -d ${ORV_LIBRARY} failed\n")
elseif(dynamic MATCHES "NEEDED[^\n]*\\[(lib(GL|GLEW|OpenGL|GLX|wx_gtk3u_gl)[^]]*)\\]")
  string(APPEND failures "liborv needs ${CMAKE_MATCH_1}\n")
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
    "typeinfo for orv::orv_OrthoscopeFrame")
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
    "orv::CrossCursorImage(")
  string(FIND "${exported}" "${symbol}" at)
  if(NOT at EQUAL -1)
    string(APPEND failures "liborv exports the internal ${symbol}\n")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "layer check failed:\n${failures}")
endif()
message(STATUS "layers hold")
