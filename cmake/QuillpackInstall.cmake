# Installs the header, the shared library (and the static one when built), a CMake package and
# a pkg-config file, the last two stating the project version.
include(CMakePackageConfigHelpers)

set(QUILLPACK_INSTALLED_LIBRARIES quillpack)
if(TARGET quillpack_static)
  list(APPEND QUILLPACK_INSTALLED_LIBRARIES quillpack_static)
endif()
install(TARGETS ${QUILLPACK_INSTALLED_LIBRARIES} EXPORT QuillpackTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT QuillpackTargets NAMESPACE Quillpack::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Quillpack)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/QuillpackConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/QuillpackConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Quillpack)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/QuillpackConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/QuillpackConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/QuillpackConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Quillpack)
# The .pc file finds its prefix relative to itself, so an installed tree can be moved.
file(RELATIVE_PATH QUILLPACK_PC_TO_PREFIX "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig"
     "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/$" "" QUILLPACK_PC_TO_PREFIX "${QUILLPACK_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/quillpack.pc.in
  ${CMAKE_CURRENT_BINARY_DIR}/quillpack.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quillpack.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
