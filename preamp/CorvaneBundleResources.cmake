# The editor's resources as every Corvane bundle carries them in
# Contents/Resources: the artwork drawn by resources/generator (`make artwork`),
# the Roboto font from Debian's fonts-roboto-unhinted, and the font's licence.
include_guard(GLOBAL)

set(CORVANE_ROBOTO_FONT /usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf
  CACHE FILEPATH "Roboto-Regular.ttf copied into the bundles' resources")
if(NOT EXISTS ${CORVANE_ROBOTO_FONT})
  message(FATAL_ERROR "${CORVANE_ROBOTO_FONT} not found: install fonts-roboto-unhinted")
endif()
set(CORVANE_APACHE_LICENSE /usr/share/common-licenses/Apache-2.0
  CACHE FILEPATH "The Apache License 2.0 text shipped with Roboto")
if(NOT EXISTS ${CORVANE_APACHE_LICENSE})
  message(FATAL_ERROR "${CORVANE_APACHE_LICENSE} not found (Debian's base-files installs it)")
endif()

# The Apache License asks for its text and the copyright notice to travel with the font.
file(READ ${CORVANE_APACHE_LICENSE} apache_text)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/generated/Roboto-LICENSE.txt CONTENT [=[
Roboto-Regular.ttf
Copyright 2015 Google Inc.
Source: https://github.com/google/roboto, as packaged by Debian (fonts-roboto-unhinted).
Licensed under the Apache License, Version 2.0, whose text follows.

${apache_text}]=])

# corvane_bundle_resources(<target> <bundle folder>)
# After <target> builds, copies the artwork, the font and its licence into
# <bundle folder>/Contents/Resources.
function(corvane_bundle_resources target bundle_dir)
  set(resources_dir ${bundle_dir}/Contents/Resources)
  file(MAKE_DIRECTORY ${resources_dir})
  file(GLOB artwork CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/*.png)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${artwork} ${CORVANE_ROBOTO_FONT}
      ${PROJECT_BINARY_DIR}/generated/Roboto-LICENSE.txt ${resources_dir}
    VERBATIM)
endfunction()
