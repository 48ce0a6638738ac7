// Whole-file reads and writes through file URLs.
#pragma once

#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFURL.h>

CF_EXTERN_C_BEGIN

enum
{
  kCFURLUnknownError = -10,
  kCFURLUnknownSchemeError = -11,
  kCFURLResourceNotFoundError = -12,
  kCFURLResourceAccessViolationError = -13,
  kCFURLRemoteHostUnavailableError = -14,
  kCFURLImproperArgumentsError = -15,
  kCFURLUnknownPropertyKeyError = -16,
  kCFURLPropertyKeyUnavailableError = -17,
  kCFURLTimeoutError = -18
};

// Reads the whole file into *resourceData; properties are not supported
// and *properties is set to NULL. Returns false and sets *errorCode on failure.
CF_EXPORT Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef alloc, CFURLRef url, CFDataRef* resourceData,
                                                           CFDictionaryRef* properties, CFArrayRef desiredProperties,
                                                           SInt32* errorCode);
// Replaces the file with the data (written to a temporary file and renamed,
// so a failed write leaves the old file intact).
CF_EXPORT Boolean CFURLWriteDataAndPropertiesToResource(CFURLRef url, CFDataRef dataToWrite,
                                                        CFDictionaryRef propertiesToWrite, SInt32* errorCode);

CF_EXTERN_C_END
