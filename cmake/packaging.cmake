# What an installation holds besides the libraries, headers and programs
# (each installed by its own folder): pkg-config files, the CMake package,
# orv-view's desktop entry, icon and manual page; and the Debian package
# that CPack makes of it all (scripts/package).

# pkg-config files that find their prefix from their own place, so the
# installed tree may be moved (or unpacked into a scratch root).
file(RELATIVE_PATH ORV_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
string(REGEX REPLACE "/$" "" ORV_PC_TO_PREFIX "${ORV_PC_TO_PREFIX}")
execute_process(COMMAND ${wxWidgets_CONFIG_EXECUTABLE} --cxxflags core base gl OUTPUT_VARIABLE ORV_PC_WX_CFLAGS
                OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${wxWidgets_CONFIG_EXECUTABLE} --libs core base gl OUTPUT_VARIABLE ORV_PC_WX_LIBS
                OUTPUT_STRIP_TRAILING_WHITESPACE)
foreach(name bix orv)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${name}.pc.in ${PROJECT_BINARY_DIR}/${name}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${name}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

include(CMakePackageConfigHelpers)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/orvConfig.cmake.in
  ${PROJECT_BINARY_DIR}/orvConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/orv)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/orvConfigVersion.cmake COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/orvConfig.cmake ${PROJECT_BINARY_DIR}/orvConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/orv)
install(EXPORT orvTargets NAMESPACE orv:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/orv)

# A file manager opens TIFF and ICS stacks with orv-view.
install(FILES ${PROJECT_SOURCE_DIR}/apps/orv-view/orv-view.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/apps/orv-view/orv-view-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME orv-view.xml)
install(FILES ${PROJECT_SOURCE_DIR}/apps/orv-view/orv-view.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orv)
set(CPACK_PACKAGE_VENDOR "orv")
set(CPACK_PACKAGE_CONTACT "orv developers <orv@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "orthogonal views of 3D microscope images")
set(CPACK_PACKAGE_DESCRIPTION
    "orv shows 3D microscope stacks as three orthogonal cuts with intensity mapping, label outlines, point sets and a volume window. This package holds the viewer orv-view, the libraries liborv and libbix with their headers, CMake and pkg-config files, and the Python module orv.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The headers include wxWidgets' and GLEW's; the Python module needs numpy.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libwxgtk3.2-dev, libglew-dev, python3-numpy")
include(CPack)
