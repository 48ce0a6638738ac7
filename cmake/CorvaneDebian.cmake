# `make package`: the Debian package build/corvane_<version>_<arch>.deb, made
# by CPack from the install component "runtime" (the programs, bundles, the
# private platform library and the documents; see the layout in the top-level
# CMakeLists.txt) under /usr. Its dependencies come from dpkg-shlibdeps.
find_program(CORVANE_DPKG dpkg)
if(CORVANE_DPKG)
  execute_process(COMMAND ${CORVANE_DPKG} --print-architecture
    OUTPUT_VARIABLE CORVANE_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(CORVANE_DEB_ARCH ${CMAKE_SYSTEM_PROCESSOR})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Corvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CORVANE_DESCRIPTION} (Audio Unit, LV2 and command-line host)")
set(CPACK_PACKAGE_DESCRIPTION "A console-channel microphone preamp and filter plug-in: a driven saturator\n\
with level compensation, console high-pass and low-pass filters and optional\n\
oversampling, as LV2 plug-ins (stereo and mono) for Linux hosts, as an Audio Unit\n\
component, and the corvane program that renders audio files through it.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Only the runtime component of this build goes into the package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};runtime;/")
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Corvane developers")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${CORVANE_DEB_ARCH})
set(CPACK_DEBIAN_FILE_NAME corvane_${PROJECT_VERSION}_${CORVANE_DEB_ARCH}.deb)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The private platform library is the package's own: dpkg-shlibdeps finds it here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CORVANE_PRIVATE_LIB_DIR})

include(CPack)
