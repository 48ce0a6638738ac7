// Additions of this platform layer that the Apple interfaces do not have:
// where Audio Unit bundles are looked for, how a host names its own bundle,
// and property-list files. Names carry the MacAPI prefix so that they are
// never mistaken for platform calls.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#ifdef __cplusplus
extern "C" {
#endif

#define MACAPI_EXPORT extern __attribute__((visibility("default")))

// Adds a bundle folder ("<Name>.component") to the known components: its
// Info.plist AudioComponents entries become findable with
// AudioComponentFindNext. Returns the number of components added (0 when
// the folder or its Info.plist is unusable). The same folder is only added
// once.
MACAPI_EXPORT int MacAPIRegisterComponentBundle(const char* bundlePath);

// Replaces the folders scanned for "*.component" bundles on the first
// AudioComponentFindNext (a ':'-separated list, like PATH). NULL restores
// the default: $MACAPI_COMPONENT_PATH when set, then ~/.local/lib/audio-units and
// /usr/local/lib/audio-units and /usr/lib/audio-units.
MACAPI_EXPORT void MacAPISetComponentSearchPath(const char* paths);
// Forgets every component found by scanning or registration and scans
// again on the next search. Loaded libraries stay loaded; live instances
// stay valid.
MACAPI_EXPORT void MacAPIRescanComponents(void);

// Identity of the main bundle (the host program): CFBundleGetMainBundle
// reports this identifier and kCFBundleVersionKey string. NULL leaves a
// value unchanged.
MACAPI_EXPORT void MacAPISetMainBundleInfo(const char* identifier, const char* version);

// Reads a property-list file (XML); NULL when it is missing or malformed.
MACAPI_EXPORT CFPropertyListRef MacAPIPropertyListCreateFromFile(const char* path, CFOptionFlags options);
// Writes a property list as an XML file; false on failure.
MACAPI_EXPORT Boolean MacAPIPropertyListWriteToFile(CFPropertyListRef plist, const char* path);

// Runs the main run loop on the calling thread for up to `seconds`, as a
// host's event loop would (CFRunLoopRunInMode on the main run loop in the
// default mode). Returns the run result.
MACAPI_EXPORT SInt32 MacAPIRunMainLoop(CFTimeInterval seconds);

#ifdef __cplusplus
}
#endif
