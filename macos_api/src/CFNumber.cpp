// CFNumber, CFBoolean and CFDate.
#include "macos_api/src/CFRuntime.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

using namespace macapi;

struct __CFNumber : __CFObject
{
  CFTypeID TypeID() const override { return kTypeNumber; }
  bool Equals(const __CFObject& other) const override
  {
    return CFNumberCompare(this, static_cast<const __CFNumber*>(&other), nullptr) == kCFCompareEqualTo;
  }
  CFHashCode Hash() const override
  {
    if (!isFloat)
      return static_cast<CFHashCode>(integer);
    double whole;
    if (std::modf(real, &whole) == 0.0 && std::fabs(real) < 9.2e18)
      return static_cast<CFHashCode>(static_cast<SInt64>(real));
    return std::hash<double>()(real);
  }
  std::string Describe() const override;

  CFNumberType type = kCFNumberSInt32Type; // canonical sized type
  bool isFloat = false;
  SInt64 integer = 0;
  double real = 0.0;
};

struct __CFBoolean : __CFObject
{
  explicit __CFBoolean(bool v) : value(v) { immortal = true; }
  CFTypeID TypeID() const override { return kTypeBoolean; }
  std::string Describe() const override { return value ? "true" : "false"; }
  const bool value;
};

struct __CFDate : __CFObject
{
  CFTypeID TypeID() const override { return kTypeDate; }
  bool Equals(const __CFObject& other) const override { return at == static_cast<const __CFDate&>(other).at; }
  CFHashCode Hash() const override { return static_cast<CFHashCode>(static_cast<SInt64>(at)); }
  std::string Describe() const override { return std::to_string(at); }
  CFAbsoluteTime at = 0.0;
};

std::string __CFNumber::Describe() const
{
  if (!isFloat)
    return std::to_string(integer);
  char text[40];
  std::snprintf(text, sizeof(text), "%.17g", real);
  return text;
}

namespace {
__CFBoolean gTrue(true);
__CFBoolean gFalse(false);

// The sized type behind every type name, 0 for an unknown one.
CFNumberType Canonical(CFNumberType type)
{
  switch (type)
  {
    case kCFNumberSInt8Type:
    case kCFNumberCharType: return kCFNumberSInt8Type;
    case kCFNumberSInt16Type:
    case kCFNumberShortType: return kCFNumberSInt16Type;
    case kCFNumberSInt32Type:
    case kCFNumberIntType: return kCFNumberSInt32Type;
    case kCFNumberSInt64Type:
    case kCFNumberLongType:
    case kCFNumberLongLongType:
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType: return kCFNumberSInt64Type;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType: return kCFNumberFloat32Type;
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType: return kCFNumberFloat64Type;
    default: return 0;
  }
}

template <typename T>
bool StoreInteger(const __CFNumber& n, void* out)
{
  bool exact;
  T value;
  if (n.isFloat)
  {
    const double lo = static_cast<double>(std::numeric_limits<T>::min());
    const double hi = static_cast<double>(std::numeric_limits<T>::max());
    if (std::isnan(n.real))
      value = 0, exact = false;
    else if (n.real < lo)
      value = std::numeric_limits<T>::min(), exact = false;
    else if (n.real >= hi)
      value = std::numeric_limits<T>::max(),
      exact = static_cast<long double>(value) == static_cast<long double>(n.real);
    else
    {
      value = static_cast<T>(n.real);
      exact = static_cast<double>(value) == n.real;
    }
  }
  else
  {
    value = static_cast<T>(n.integer);
    exact = static_cast<SInt64>(value) == n.integer;
  }
  std::memcpy(out, &value, sizeof(T));
  return exact;
}

template <typename T>
bool StoreReal(const __CFNumber& n, void* out)
{
  T value = n.isFloat ? static_cast<T>(n.real) : static_cast<T>(n.integer);
  bool exact =
    n.isFloat ? (std::isnan(n.real) || static_cast<double>(value) == n.real) : static_cast<SInt64>(value) == n.integer;
  std::memcpy(out, &value, sizeof(T));
  return exact;
}

} // namespace

const CFBooleanRef kCFBooleanTrue = &gTrue;
const CFBooleanRef kCFBooleanFalse = &gFalse;

CFTypeID CFBooleanGetTypeID(void) { return kTypeBoolean; }

Boolean CFBooleanGetValue(CFBooleanRef boolean)
{
  const auto* b = As<__CFBoolean>(boolean);
  return b && b->value;
}

CFTypeID CFNumberGetTypeID(void) { return kTypeNumber; }

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void* valuePtr)
{
  const CFNumberType type = Canonical(theType);
  if (!type || !valuePtr)
    return nullptr;
  auto* n = new __CFNumber;
  n->type = type;
  auto read = [&](auto sample) {
    decltype(sample) v;
    std::memcpy(&v, valuePtr, sizeof(v));
    return v;
  };
  switch (theType)
  {
    case kCFNumberSInt8Type:
    case kCFNumberCharType: n->integer = read(SInt8()); break;
    case kCFNumberSInt16Type:
    case kCFNumberShortType: n->integer = read(SInt16()); break;
    case kCFNumberSInt32Type:
    case kCFNumberIntType: n->integer = read(SInt32()); break;
    case kCFNumberLongType: n->integer = read(long()); break;
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType: n->integer = read(CFIndex()); break;
    case kCFNumberSInt64Type:
    case kCFNumberLongLongType: n->integer = read(SInt64()); break;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
      n->isFloat = true;
      n->real = read(Float32());
      break;
    default:
      n->isFloat = true;
      n->real = read(Float64());
      break;
  }
  return n;
}

CFNumberType CFNumberGetType(CFNumberRef number)
{
  const auto* n = As<__CFNumber>(number);
  return n ? n->type : 0;
}

CFIndex CFNumberGetByteSize(CFNumberRef number)
{
  switch (CFNumberGetType(number))
  {
    case kCFNumberSInt8Type: return 1;
    case kCFNumberSInt16Type: return 2;
    case kCFNumberSInt32Type:
    case kCFNumberFloat32Type: return 4;
    case kCFNumberSInt64Type:
    case kCFNumberFloat64Type: return 8;
    default: return 0;
  }
}

Boolean CFNumberIsFloatType(CFNumberRef number)
{
  const auto* n = As<__CFNumber>(number);
  return n && n->isFloat;
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr)
{
  const auto* n = As<__CFNumber>(number);
  if (!n || !valuePtr)
    return false;
  switch (theType)
  {
    case kCFNumberSInt8Type:
    case kCFNumberCharType: return StoreInteger<SInt8>(*n, valuePtr);
    case kCFNumberSInt16Type:
    case kCFNumberShortType: return StoreInteger<SInt16>(*n, valuePtr);
    case kCFNumberSInt32Type:
    case kCFNumberIntType: return StoreInteger<SInt32>(*n, valuePtr);
    case kCFNumberLongType: return StoreInteger<long>(*n, valuePtr);
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType: return StoreInteger<CFIndex>(*n, valuePtr);
    case kCFNumberSInt64Type:
    case kCFNumberLongLongType: return StoreInteger<SInt64>(*n, valuePtr);
    case kCFNumberFloat32Type:
    case kCFNumberFloatType: return StoreReal<Float32>(*n, valuePtr);
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType: return StoreReal<Float64>(*n, valuePtr);
    default: return false;
  }
}

CFComparisonResult CFNumberCompare(CFNumberRef number, CFNumberRef otherNumber, void*)
{
  const auto* a = As<__CFNumber>(number);
  const auto* b = As<__CFNumber>(otherNumber);
  if (!a || !b)
    return a == b ? kCFCompareEqualTo : (a ? kCFCompareGreaterThan : kCFCompareLessThan);
  if (!a->isFloat && !b->isFloat)
    return a->integer < b->integer ? kCFCompareLessThan
                                   : (a->integer > b->integer ? kCFCompareGreaterThan : kCFCompareEqualTo);
  const double x = a->isFloat ? a->real : static_cast<double>(a->integer);
  const double y = b->isFloat ? b->real : static_cast<double>(b->integer);
  if (std::isnan(x) || std::isnan(y))
    return std::isnan(x) && std::isnan(y) ? kCFCompareEqualTo
                                          : (std::isnan(x) ? kCFCompareLessThan : kCFCompareGreaterThan);
  return x < y ? kCFCompareLessThan : (x > y ? kCFCompareGreaterThan : kCFCompareEqualTo);
}

CFAbsoluteTime CFAbsoluteTimeGetCurrent(void)
{
  using namespace std::chrono;
  const double unix = duration<double>(system_clock::now().time_since_epoch()).count();
  return unix - kCFAbsoluteTimeIntervalSince1970;
}

CFTypeID CFDateGetTypeID(void) { return kTypeDate; }

CFDateRef CFDateCreate(CFAllocatorRef, CFAbsoluteTime at)
{
  auto* d = new __CFDate;
  d->at = at;
  return d;
}

CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate)
{
  const auto* d = As<__CFDate>(theDate);
  return d ? d->at : 0.0;
}
