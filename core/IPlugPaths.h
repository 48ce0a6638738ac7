#pragma once
// Where the plug-in's resources and the user's folders lie, and what kind of
// process hosts the plug-in. Resource lookup tries the plug-in bundle's
// resources folder, then the shared folder under the user's Music folder, then
// the name as a literal path.
//
// On this platform the user folders follow the XDG conventions: Music and
// Desktop come from user-dirs.dirs (falling back to ~/Music and ~/Desktop),
// application support is $XDG_DATA_HOME (~/.local/share) for the user and
// /usr/local/share system-wide, and that same folder stands for the
// "Library" folder under which presets are kept.

#include "core/WDL_String.h"

namespace iplug {

enum EResourceLocation : int
{
  kNotFound = 0,
  kAbsolutePath = 1,
};

EResourceLocation LocateResource(const char* name, const char* type, WDL_String& result, const char* bundleId,
                                 void* moduleHandle, const char* sharedResourcesSubPath);

bool GetResourcePathFromBundle(const char* fileName, const char* searchExt, WDL_String& fullPath, const char* bundleId);
bool GetResourcePathFromSharedLocation(const char* fileName, const char* searchExt, WDL_String& fullPath,
                                       const char* sharedResourcesSubPath);

void HostPath(WDL_String& path, const char* bundleId);
void PluginPath(WDL_String& path, const char* bundleId);
void BundleResourcePath(WDL_String& path, const char* bundleId);
void DesktopPath(WDL_String& path);
void UserHomePath(WDL_String& path);
void VST3PresetsPath(WDL_String& path, const char* makerName, const char* pluginName, bool systemWide);
void INIPath(WDL_String& path, const char* pluginName);
void AppSupportPath(WDL_String& path, bool systemWide);
void AppGroupContainerPath(WDL_String& path, const char* appGroupId);
void SharedMusicPath(WDL_String& path);

bool AppIsSandboxed();
bool IsXPCAuHost();
bool IsOOPAuv3AppExtension();

} // namespace iplug
