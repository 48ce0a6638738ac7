// Basic scalar types, status values and four-character codes shared by every
// interface of this layer, with the names and widths of the Apple platform.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;
typedef float Float32;
typedef double Float64;
typedef unsigned char Boolean;
typedef UInt8 Byte;
typedef SInt8 SignedByte;
typedef unsigned long ByteCount;
typedef unsigned long ItemCount;
typedef SInt32 OSStatus;
typedef SInt16 OSErr;
typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef FourCharCode ResType;
typedef char* Ptr;
typedef Ptr* Handle;
typedef long Size;
typedef UInt16 UniChar;
typedef UInt32 UTF32Char;
typedef unsigned char Str255[256];
typedef unsigned char* StringPtr;
typedef const unsigned char* ConstStringPtr;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Version record; field order follows the byte order so that the packed
// UInt32 reads majorRev in its top byte.
typedef struct NumVersion
{
#if defined(__BIG_ENDIAN__)
  UInt8 majorRev;
  UInt8 minorAndBugRev;
  UInt8 stage;
  UInt8 nonRelRev;
#else
  UInt8 nonRelRev;
  UInt8 stage;
  UInt8 minorAndBugRev;
  UInt8 majorRev;
#endif
} NumVersion;

enum
{
  noErr = 0,
  unimpErr = -4,
  fnfErr = -43,
  paramErr = -50,
  memFullErr = -108,
  nilHandleErr = -109,
  coreFoundationUnknownErr = -4960
};

enum
{
  kNilOptions = 0
};

#ifdef __cplusplus
static_assert(sizeof(NumVersion) == 4, "NumVersion is 4 bytes");
static_assert(sizeof(Boolean) == 1, "Boolean is one byte");
#endif
