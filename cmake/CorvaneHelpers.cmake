# Build helpers shared by every folder: warning flags, sanitizers and the
# library/test registration used across the tree.
include_guard(GLOBAL)

function(corvane_apply_sanitizers)
  set(flags "")
  if(CORVANE_SANITIZE)
    string(REPLACE ";" "," list "${CORVANE_SANITIZE}")
    set(flags -fsanitize=${list} -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_compile_definitions(CORVANE_SANITIZED=1)
    # GCC's flow analysis reports false maybe-uninitialized warnings inside the
    # standard library (std::function in <regex>) once sanitizers instrument it.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      add_compile_options(-Wno-maybe-uninitialized)
    endif()
  endif()
  if(CORVANE_FUZZ)
    list(APPEND flags -fsanitize=fuzzer-no-link)
  endif()
  if(flags)
    add_compile_options(${flags})
    list(REMOVE_ITEM flags -fsanitize=fuzzer-no-link)
    add_link_options(${flags})
  endif()
endfunction()

function(corvane_defaults target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${CORVANE_WERROR}>:-Werror>)
endfunction()

# corvane_library(<name> SOURCES ... [DEPS ...] [PRIVATE_DEPS ...])
# Creates target corvane_<name>, alias and export name Corvane::<name>, with the
# repository root as include root (so code includes "core/IParam.h") and
# installs the folder's headers under include/corvane/<folder>.
function(corvane_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(corvane_${name} STATIC ${A_SOURCES})
  add_library(Corvane::${name} ALIAS corvane_${name})
  set_target_properties(corvane_${name} PROPERTIES EXPORT_NAME ${name} POSITION_INDEPENDENT_CODE ON)
  target_include_directories(corvane_${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:include/corvane>)
  target_link_libraries(corvane_${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
  corvane_defaults(corvane_${name})
  install(TARGETS corvane_${name} EXPORT CorvaneTargets ARCHIVE DESTINATION lib LIBRARY DESTINATION lib)
  corvane_install_folder_headers()
endfunction()

# corvane_library_sources(<name> SOURCES ...)
# Adds the current folder's sources to the library corvane_<name> made in
# another folder, and installs this folder's headers with it.
function(corvane_library_sources name)
  cmake_parse_arguments(A "" "" "SOURCES" ${ARGN})
  target_sources(corvane_${name} PRIVATE ${A_SOURCES})
  corvane_install_folder_headers()
endfunction()

# Installs the headers of the current folder and its subfolders under
# include/corvane/<folder>, once per folder however many libraries it builds.
function(corvane_install_folder_headers)
  get_property(done DIRECTORY PROPERTY CORVANE_HEADERS_INSTALLED)
  if(done)
    return()
  endif()
  set_property(DIRECTORY PROPERTY CORVANE_HEADERS_INSTALLED ON)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} *.h)
  foreach(h ${headers})
    get_filename_component(sub ${h} DIRECTORY)
    install(FILES ${h} DESTINATION include/corvane/${rel}/${sub})
  endforeach()
endfunction()
