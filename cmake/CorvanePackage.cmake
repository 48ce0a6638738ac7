# Installs the framework as a CMake package. find_package(Corvane CONFIG) gives
#   Corvane::macos_api      the stand-in for the macOS plug-in interfaces (shared)
#   Corvane::framework      the plug-in framework: core/ and graphics/
#   Corvane::au             the Audio Unit adapter
#   Corvane::au_x11         its view class: the editor in a host's X11 window or offscreen
#   Corvane::identity       the product's identity header, preamp/CorvaneIdentity.h
#   Corvane::preamp_engine  the preamp's filters, signal chain and parameters
#   Corvane::preamp_au      the Corvane plug-in class on the Audio Unit adapter
#   Corvane::lv2            the LV2 adapter
#   Corvane::preamp_lv2     the Corvane plug-in class on the LV2 adapter
include(CMakePackageConfigHelpers)
install(EXPORT CorvaneTargets NAMESPACE Corvane:: DESTINATION lib/cmake/Corvane)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/CorvaneConfig.cmake.in
  ${PROJECT_BINARY_DIR}/CorvaneConfig.cmake INSTALL_DESTINATION lib/cmake/Corvane)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/CorvaneConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/CorvaneConfig.cmake ${PROJECT_BINARY_DIR}/CorvaneConfigVersion.cmake
  DESTINATION lib/cmake/Corvane)

# The licence, the third-party notices and the README travel with every
# installation, the Debian package's included.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/THIRD_PARTY.md
  DESTINATION share/doc/corvane COMPONENT runtime)
