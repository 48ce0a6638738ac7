# Installs the framework as a CMake package: find_package(Corvane CONFIG)
# gives Corvane::core and the other libraries that are built.
include(CMakePackageConfigHelpers)
install(EXPORT CorvaneTargets NAMESPACE Corvane:: DESTINATION lib/cmake/Corvane)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/CorvaneConfig.cmake.in
  ${PROJECT_BINARY_DIR}/CorvaneConfig.cmake INSTALL_DESTINATION lib/cmake/Corvane)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/CorvaneConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/CorvaneConfig.cmake ${PROJECT_BINARY_DIR}/CorvaneConfigVersion.cmake
  DESTINATION lib/cmake/Corvane)
