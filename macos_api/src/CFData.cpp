// CFData: immutable and mutable byte buffers.
#include "macos_api/src/CFRuntime.h"

#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

using namespace macapi;

struct __CFData : __CFObject
{
  CFTypeID TypeID() const override { return kTypeData; }
  bool Equals(const __CFObject& other) const override { return View() == static_cast<const __CFData&>(other).View(); }
  CFHashCode Hash() const override { return std::hash<std::string_view>()(View()); }
  std::string Describe() const override { return "<CFData " + std::to_string(Length()) + " bytes>"; }
  ~__CFData() override
  {
    if (external)
      CFAllocatorDeallocate(deallocator, const_cast<UInt8*>(external));
  }

  std::string_view View() const { return {reinterpret_cast<const char*>(Bytes()), static_cast<size_t>(Length())}; }
  const UInt8* Bytes() const { return external ? external : bytes.data(); }
  CFIndex Length() const { return external ? externalLength : static_cast<CFIndex>(bytes.size()); }

  std::vector<UInt8> bytes;
  // Caller-owned bytes of CFDataCreateWithBytesNoCopy.
  const UInt8* external = nullptr;
  CFIndex externalLength = 0;
  CFAllocatorRef deallocator = nullptr;
  bool isMutable = false;
};

namespace {

__CFData* NewData(const UInt8* bytes, CFIndex length, bool isMutable)
{
  auto* d = new __CFData;
  if (bytes && length > 0)
    d->bytes.assign(bytes, bytes + length);
  d->isMutable = isMutable;
  return d;
}

__CFData* Mutable(CFMutableDataRef ref)
{
  auto* d = AsMutable<__CFData>(ref);
  return d && d->isMutable ? d : nullptr;
}

bool RangeInside(const __CFData& d, CFRange range)
{
  return range.location >= 0 && range.length >= 0 && range.location <= d.Length() &&
         range.length <= d.Length() - range.location;
}

} // namespace

CFTypeID CFDataGetTypeID(void) { return kTypeData; }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length)
{
  if (length < 0 || (!bytes && length > 0))
    return nullptr;
  return NewData(bytes, length, false);
}

CFDataRef CFDataCreateWithBytesNoCopy(CFAllocatorRef, const UInt8* bytes, CFIndex length,
                                      CFAllocatorRef bytesDeallocator)
{
  if (length < 0 || (!bytes && length > 0))
    return nullptr;
  auto* d = new __CFData;
  d->external = bytes;
  d->externalLength = length;
  d->deallocator = bytesDeallocator;
  return d;
}

CFDataRef CFDataCreateCopy(CFAllocatorRef, CFDataRef theData)
{
  const auto* d = As<__CFData>(theData);
  return d ? NewData(d->Bytes(), d->Length(), false) : nullptr;
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef, CFIndex capacity)
{
  auto* d = NewData(nullptr, 0, true);
  if (capacity > 0)
    d->bytes.reserve(static_cast<size_t>(capacity));
  return d;
}

CFMutableDataRef CFDataCreateMutableCopy(CFAllocatorRef, CFIndex, CFDataRef theData)
{
  const auto* d = As<__CFData>(theData);
  return d ? NewData(d->Bytes(), d->Length(), true) : nullptr;
}

CFIndex CFDataGetLength(CFDataRef theData)
{
  const auto* d = As<__CFData>(theData);
  return d ? d->Length() : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef theData)
{
  const auto* d = As<__CFData>(theData);
  return d ? d->Bytes() : nullptr;
}

UInt8* CFDataGetMutableBytePtr(CFMutableDataRef theData)
{
  auto* d = Mutable(theData);
  return d ? d->bytes.data() : nullptr;
}

void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer)
{
  const auto* d = As<__CFData>(theData);
  if (d && buffer && RangeInside(*d, range) && range.length > 0)
    std::memcpy(buffer, d->Bytes() + range.location, static_cast<size_t>(range.length));
}

void CFDataSetLength(CFMutableDataRef theData, CFIndex length)
{
  if (auto* d = Mutable(theData); d && length >= 0)
    d->bytes.resize(static_cast<size_t>(length), 0);
}

void CFDataIncreaseLength(CFMutableDataRef theData, CFIndex extraLength)
{
  if (auto* d = Mutable(theData); d && extraLength > 0)
    d->bytes.resize(d->bytes.size() + static_cast<size_t>(extraLength), 0);
}

void CFDataAppendBytes(CFMutableDataRef theData, const UInt8* bytes, CFIndex length)
{
  if (auto* d = Mutable(theData); d && bytes && length > 0)
    d->bytes.insert(d->bytes.end(), bytes, bytes + length);
}

void CFDataReplaceBytes(CFMutableDataRef theData, CFRange range, const UInt8* newBytes, CFIndex newLength)
{
  auto* d = Mutable(theData);
  if (!d || !RangeInside(*d, range) || newLength < 0 || (!newBytes && newLength > 0))
    return;
  // Copy first: newBytes may point into this buffer.
  std::vector<UInt8> replacement(newBytes, newBytes + newLength);
  auto at = d->bytes.begin() + range.location;
  d->bytes.erase(at, at + range.length);
  d->bytes.insert(d->bytes.begin() + range.location, replacement.begin(), replacement.end());
}

void CFDataDeleteBytes(CFMutableDataRef theData, CFRange range) { CFDataReplaceBytes(theData, range, nullptr, 0); }
