// Component Manager: component instances, their storage, the parameter
// block of the legacy dispatch entry and its selectors.
#pragma once

#include <MacTypes.h>

#ifdef __cplusplus
#include <cstring>
#include <type_traits>
#include <utility>
extern "C" {
#endif

typedef struct ComponentRecord* Component;
typedef struct ComponentInstanceRecord* ComponentInstance;
typedef SInt32 ComponentResult;

// Parameter block handed to a component's entry point: `what` is the
// selector, params holds the call's arguments in the order of the
// function's C declaration, one per slot.
typedef struct ComponentParameters
{
  UInt8 flags;
  UInt8 paramSize; // bytes of arguments in params
  SInt16 what;
#if __LP64__
  UInt32 padding;
#endif
  long params[1];
} ComponentParameters;

typedef ComponentResult (*ComponentRoutineProcPtr)(ComponentParameters* cp, Handle componentStorage);
typedef ComponentRoutineProcPtr ComponentRoutineUPP;
typedef ComponentResult (*ComponentFunctionProcPtr)(void);
typedef ComponentFunctionProcPtr ComponentFunctionUPP;

enum
{
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4,
  kComponentRegisterSelect = -5,
  kComponentTargetSelect = -6,
  kComponentUnregisterSelect = -7,
  kComponentGetMPWorkFunctionSelect = -8,
  kComponentExecuteWiredActionSelect = -9,
  kComponentGetPublicResourceSelect = -10
};

enum
{
  invalidComponentID = -3000,
  validInstancesExist = -3001,
  componentNotCaptured = -3002,
  componentDontRegister = -3003,
  unresolvedComponentDLLErr = -3004,
  retryComponentRegistrationErr = -3005
};

#define badComponentInstance ((ComponentResult)0x80008001)
#define badComponentSelector ((ComponentResult)0x80008002)

// The storage of an instance: for Audio Unit instances the plug-in's
// instance record (the `self` of its interface functions), unless a
// component set its own with SetComponentInstanceStorage.
extern __attribute__((visibility("default"))) Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance);
extern __attribute__((visibility("default"))) void SetComponentInstanceStorage(ComponentInstance aComponentInstance,
                                                                               Handle theStorage);

#ifdef __cplusplus
}

// Argument slots of a parameter block. Pointers and integers are stored
// converted to long; floating-point values keep their bit pattern in the
// low bytes of the slot.
template <typename T>
inline long ComponentParameterSlot(T value)
{
  static_assert(sizeof(T) <= sizeof(long), "one argument per slot");
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<long>(value);
  else if constexpr (std::is_floating_point_v<T>)
  {
    long slot = 0;
    std::memcpy(&slot, &value, sizeof(T));
    return slot;
  }
  else
    return static_cast<long>(value);
}

template <typename T>
inline T ComponentParameterValue(const ComponentParameters* params, int index)
{
  const long slot = params->params[index];
  if constexpr (std::is_pointer_v<T>)
    return reinterpret_cast<T>(slot);
  else if constexpr (std::is_floating_point_v<T>)
  {
    T value;
    std::memcpy(&value, &slot, sizeof(T));
    return value;
  }
  else
    return static_cast<T>(slot);
}

// A parameter block with room for N arguments, as a host builds it.
template <int N>
struct ComponentParameterBlock
{
  UInt8 flags = 0;
  UInt8 paramSize = 0;
  SInt16 what = 0;
#if __LP64__
  UInt32 padding = 0;
#endif
  long params[N > 0 ? N : 1] = {};

  ComponentParameters* get() { return reinterpret_cast<ComponentParameters*>(this); }
};

template <typename... Args>
inline ComponentParameterBlock<sizeof...(Args)> MakeComponentParameters(SInt16 what, Args... args)
{
  ComponentParameterBlock<sizeof...(Args)> block;
  block.what = what;
  block.paramSize = static_cast<UInt8>(sizeof...(Args) * sizeof(long));
  int i = 0;
  ((block.params[i++] = ComponentParameterSlot(args)), ...);
  return block;
}

namespace macapi_detail {
template <typename R, typename... A, size_t... I>
ComponentResult CallWithParams(ComponentParameters* params, R (*func)(A...), std::index_sequence<I...>)
{
  return static_cast<ComponentResult>(func(ComponentParameterValue<A>(params, static_cast<int>(I))...));
}
template <typename R, typename S, typename... A, size_t... I>
ComponentResult CallWithStorage(S storage, ComponentParameters* params, R (*func)(S, A...), std::index_sequence<I...>)
{
  return static_cast<ComponentResult>(func(storage, ComponentParameterValue<A>(params, static_cast<int>(I))...));
}
} // namespace macapi_detail

// Calls func with the arguments of the parameter block, converted to the
// function's parameter types.
template <typename R, typename... A>
inline ComponentResult CallComponentFunction(ComponentParameters* params, R (*func)(A...))
{
  return macapi_detail::CallWithParams(params, func, std::index_sequence_for<A...>());
}

// As CallComponentFunction, with the instance storage as first argument.
template <typename R, typename S, typename... A>
inline ComponentResult CallComponentFunctionWithStorage(S storage, ComponentParameters* params, R (*func)(S, A...))
{
  return macapi_detail::CallWithStorage(storage, params, func, std::index_sequence_for<A...>());
}

static_assert(sizeof(ComponentParameters) == (__LP64__ ? 16 : 8), "ComponentParameters layout");
#endif
