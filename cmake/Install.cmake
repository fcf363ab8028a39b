# cmake --install puts the library, its header, a CMake package
# (find_package(Trendel) gives Trendel::trendel) and a pkg-config file in place.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS trendel EXPORT TrendelTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/trendel.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT TrendelTargets NAMESPACE Trendel::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Trendel)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TrendelConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/TrendelConfig.cmake
                              INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Trendel)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TrendelConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TrendelConfig.cmake ${PROJECT_BINARY_DIR}/TrendelConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Trendel)
if(NOT WIN32)
  file(RELATIVE_PATH TRENDEL_PC_INCLUDE_FROM_PC ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
       ${CMAKE_INSTALL_FULL_INCLUDEDIR})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/trendel.pc.in ${PROJECT_BINARY_DIR}/trendel.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/trendel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()
