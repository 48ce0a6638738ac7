# The product's identity, declared once. The top-level list reads it before
# project() so the project's version is the product's; preamp/ generates the
# C++ header (preamp/CorvaneIdentity.h) and the component's Info.plist from it,
# and every other format reads the same variables.
include_guard(GLOBAL)

set(CORVANE_PLUGIN_NAME "Corvane")
set(CORVANE_PRODUCT_NAME "Corvane")
set(CORVANE_MAKER_NAME "Veltrano")
set(CORVANE_DESCRIPTION "Console microphone preamp and filters")
set(CORVANE_VERSION 2.0.0)

# Audio Unit: component type, subtype, manufacturer, bundle identifier and the
# name hosts list it under.
set(CORVANE_AU_TYPE "aufx")
set(CORVANE_AU_SUBTYPE "Qzr1")
set(CORVANE_AU_MANUFACTURER "Vtrn")
set(CORVANE_BUNDLE_ID "com.Veltrano.audiounit.Corvane")
set(CORVANE_AU_NAME "${CORVANE_MAKER_NAME}: ${CORVANE_PLUGIN_NAME}")

# LV2: one plug-in URI per channel layout.
set(CORVANE_LV2_URI "urn:veltrano:corvane")
set(CORVANE_LV2_MONO_URI "urn:veltrano:corvane:mono")

# The version as the plug-in reports it: major * 65536 + minor * 256 + bug-fix.
string(REPLACE "." ";" _corvane_version_parts "${CORVANE_VERSION}")
list(GET _corvane_version_parts 0 CORVANE_VERSION_MAJOR)
list(GET _corvane_version_parts 1 CORVANE_VERSION_MINOR)
list(GET _corvane_version_parts 2 CORVANE_VERSION_PATCH)
math(EXPR CORVANE_VERSION_CODE
  "(${CORVANE_VERSION_MAJOR} << 16) | (${CORVANE_VERSION_MINOR} << 8) | ${CORVANE_VERSION_PATCH}")
math(EXPR CORVANE_VERSION_CODE_HEX "${CORVANE_VERSION_CODE}" OUTPUT_FORMAT HEXADECIMAL)
unset(_corvane_version_parts)
