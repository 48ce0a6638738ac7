#pragma once
// The host calls the component from C: no C++ exception may unwind into it.

#include <new>

#include <AudioUnit/AudioUnit.h>
#include <CoreAudio/CoreAudioTypes.h>

namespace iplug {
/** Runs one call from the host and returns its status; an exception becomes
 *  kAudio_MemFullError when memory ran out, else `otherFailure`. */
template <typename Call>
OSStatus GuardedHostCall(Call&& call, OSStatus otherFailure = kAudio_ParamError) noexcept
{
  try
  {
    return call();
  }
  catch (const std::bad_alloc&)
  {
    return kAudio_MemFullError;
  }
  catch (...)
  {
    return otherFailure;
  }
}

} // namespace iplug
