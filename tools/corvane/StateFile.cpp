#include "tools/corvane/StateFile.h"

#include "tools/corvane/AtomicOutputFile.h"
#include "tools/corvane/CFText.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/Messages.h"
#include "tools/corvane/OutputLock.h"
#include "tools/corvane/RegularFile.h"
#include "tools/corvane/StateData.h"
#include "tools/corvane/ToolError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace corvane::host {
namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& problem)
{
  throw ToolError("state file '" + path + "': " + problem);
}

// Messages stay on one line whatever a file or a parser puts into them.
std::string OneLine(std::string text)
{
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      c = ' ';
  return text;
}

std::string KindOf(CFTypeRef value)
{
  const CFTypeID type = CFGetTypeID(value);
  if (type == CFDictionaryGetTypeID())
    return "a dictionary";
  if (type == CFArrayGetTypeID())
    return "an array";
  if (type == CFStringGetTypeID())
    return "a string";
  if (type == CFDataGetTypeID())
    return "data";
  if (type == CFBooleanGetTypeID())
    return "a boolean";
  if (type == CFNumberGetTypeID())
    return CFNumberIsFloatType(static_cast<CFNumberRef>(value)) ? "a real number" : "an integer";
  if (type == CFDateGetTypeID())
    return "a date";
  return "an unknown value";
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
  // The size counts only what is read: some files report none, and a file
  // may grow while it is read.
  const std::string bytes = ReadRegularFile(path, static_cast<size_t>(kMaxStateFileBytes), "state file '" + path + "'");
  if (bytes.size() > static_cast<size_t>(kMaxStateFileBytes))
    Fail(path, "too large for a state file (more than " + std::to_string(kMaxStateFileBytes) + " bytes)");
  if (bytes.empty())
    Fail(path, "the file is empty");
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::string FormatValue(double v)
{
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

CFTypeRef Entry(const StateFile& s, CFDictionaryRef dict, const char* key, CFTypeID wanted, const char* wantedText)
{
  CFStringRef cfKey = CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8);
  CFTypeRef value = CFDictionaryGetValue(dict, cfKey);
  CFRelease(cfKey);
  if (!value)
    Fail(s.path, std::string("no \"") + key +
                   "\" entry; a saved state has \"version\", \"type\", \"subtype\", "
                   "\"manufacturer\", \"name\" and \"data\"");
  if (CFGetTypeID(value) != wanted)
    Fail(s.path, std::string("\"") + key + "\" is " + KindOf(value) + ", expected " + wantedText);
  return value;
}

// Integers as the unit reads them (a 32-bit number); codes may be written
// signed or unsigned.
int64_t WholeNumber(const StateFile& s, CFDictionaryRef dict, const char* key, int64_t low, int64_t high)
{
  auto number = static_cast<CFNumberRef>(Entry(s, dict, key, CFNumberGetTypeID(), "an integer"));
  double value = 0.0;
  CFNumberGetValue(number, kCFNumberFloat64Type, &value);
  if (!std::isfinite(value) || value != std::floor(value) || value < static_cast<double>(low) ||
      value > static_cast<double>(high))
    Fail(s.path, std::string("\"") + key + "\" is not a 32-bit whole number");
  return static_cast<int64_t>(value);
}

} // namespace

CFOwned AdoptCF(CFTypeRef object)
{
  return CFOwned(object, [](const void* o) {
    if (o)
      CFRelease(o);
  });
}

std::string FourCCText(OSType code)
{
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8)
  {
    const char c = static_cast<char>((code >> shift) & 0xFF);
    text += (c >= 32 && c < 127) ? c : '?';
  }
  return text;
}

std::string ComponentCodesText(OSType type, OSType subtype, OSType manufacturer)
{
  return FourCCText(type) + " " + FourCCText(subtype) + " " + FourCCText(manufacturer);
}

StateFile ReadStateFile(const std::string& path)
{
  StateFile s;
  s.path = path;
  const std::vector<uint8_t> bytes = ReadBytes(path);

  CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes.data(), static_cast<CFIndex>(bytes.size()));
  const CFOwned dataOwner = AdoptCF(data);
  CFErrorRef error = nullptr;
  CFPropertyListRef plist =
    CFPropertyListCreateWithData(kCFAllocatorDefault, data, kCFPropertyListImmutable, nullptr, &error);
  if (!plist)
  {
    std::string why;
    if (error)
    {
      // The parser's own reason ("malformed XML") is the debug description.
      CFDictionaryRef info = CFErrorCopyUserInfo(error);
      if (info)
      {
        CFTypeRef reason = CFDictionaryGetValue(info, kCFErrorDebugDescriptionKey);
        if (reason && CFGetTypeID(reason) == CFStringGetTypeID())
          why = Utf8(static_cast<CFStringRef>(reason));
        CFRelease(info);
      }
      CFRelease(error);
    }
    Fail(path, "not an XML property list" + (why.empty() ? std::string() : " (" + OneLine(why) + ")"));
  }
  s.dictionary = AdoptCF(plist);
  if (CFGetTypeID(plist) != CFDictionaryGetTypeID())
    Fail(path, "the property list is " + KindOf(plist) + ", not a dictionary");
  auto dict = static_cast<CFDictionaryRef>(plist);

  s.version = static_cast<SInt32>(WholeNumber(s, dict, "version", INT32_MIN, INT32_MAX));
  s.type = static_cast<OSType>(WholeNumber(s, dict, "type", INT32_MIN, UINT32_MAX));
  s.subtype = static_cast<OSType>(WholeNumber(s, dict, "subtype", INT32_MIN, UINT32_MAX));
  s.manufacturer = static_cast<OSType>(WholeNumber(s, dict, "manufacturer", INT32_MIN, UINT32_MAX));
  s.name = Utf8(static_cast<CFStringRef>(Entry(s, dict, "name", CFStringGetTypeID(), "a string")));
  auto blob = static_cast<CFDataRef>(Entry(s, dict, "data", CFDataGetTypeID(), "data"));
  const UInt8* p = CFDataGetBytePtr(blob);
  s.data.assign(p, p + CFDataGetLength(blob));
  return s;
}

void CheckStateFitsUnit(const StateFile& s, const AudioComponentDescription& c, size_t paramCount)
{
  if (s.type != c.componentType || s.subtype != c.componentSubType || s.manufacturer != c.componentManufacturer)
    Fail(s.path, "saved by another component (" + ComponentCodesText(s.type, s.subtype, s.manufacturer) +
                   "), not by this one (" +
                   ComponentCodesText(c.componentType, c.componentSubType, c.componentManufacturer) + ")");
  const size_t needed = StateDataBytes(paramCount);
  if (s.data.size() < needed)
    Fail(s.path, "\"data\" holds " + std::to_string(s.data.size()) + " bytes, too short for a state of this unit (" +
                   std::to_string(needed) + " bytes: the editor record and " + std::to_string(paramCount) +
                   " parameter values); the file is truncated or damaged");
}

void CheckStateValues(StateFile& s, const std::vector<ParamDesc>& params)
{
  std::vector<uint8_t> data = s.data;
  bool clamped = false;
  for (size_t i = 0; i < params.size() && StateDataBytes(i + 1) <= data.size(); ++i)
  {
    const ParamDesc& p = params[i];
    uint8_t* at = data.data() + StateDataBytes(i);
    uint64_t bits = 0;
    for (int b = 7; b >= 0; --b)
      bits = (bits << 8) | at[b];
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value))
      Fail(s.path, "\"" + p.name + "\" is not a finite number (" + FormatValue(value) + ")");
    if (value >= p.minValue && value <= p.maxValue)
      continue;
    const double limit = std::clamp(value, p.minValue, p.maxValue);
    Warn("state file '" + s.path + "': \"" + p.name + "\" value " + FormatValue(value) + " is out of range " +
         FormatValue(p.minValue) + " to " + FormatValue(p.maxValue) + "; clamped to " + FormatValue(limit));
    std::memcpy(&bits, &limit, sizeof bits);
    for (int b = 0; b < 8; ++b)
      at[b] = static_cast<uint8_t>(bits >> (8 * b));
    clamped = true;
  }
  if (!clamped)
    return;
  // The unit gets the values the user was told about.
  CFMutableDictionaryRef copy =
    CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, static_cast<CFDictionaryRef>(s.dictionary.get()));
  const CFOwned copyOwner = AdoptCF(copy);
  CFDataRef blob = CFDataCreate(kCFAllocatorDefault, data.data(), static_cast<CFIndex>(data.size()));
  const CFOwned blobOwner = AdoptCF(blob);
  CFStringRef key = CFStringCreateWithCString(kCFAllocatorDefault, "data", kCFStringEncodingUTF8);
  const CFOwned keyOwner = AdoptCF(key);
  CFDictionarySetValue(copy, key, blob);
  s.dictionary = copyOwner;
  s.data = std::move(data);
}

StateFile ApplyStateFile(HostedUnit& unit, const std::string& path, size_t paramCount)
{
  StateFile state = ReadStateFile(path);
  CheckStateFitsUnit(state, unit.Description(), paramCount);
  CheckStateValues(state, unit.Parameters());
  ApplyCheckedState(unit, state);
  return state;
}

void ApplyCheckedState(HostedUnit& unit, const StateFile& state)
{
  const OSStatus status = unit.ApplyState(state.dictionary.get());
  if (status != noErr)
    throw ToolError(StateRefusedMessage(state.path, status));
}

std::string StateRefusedMessage(const std::string& path, OSStatus status)
{
  return "state file '" + path + "': the unit refused the state: " + StatusText(status);
}

std::vector<uint8_t> StateToXml(CFPropertyListRef state)
{
  CFDataRef xml =
    state ? CFPropertyListCreateData(kCFAllocatorDefault, state, kCFPropertyListXMLFormat_v1_0, 0, nullptr) : nullptr;
  if (!xml)
    throw ToolError("the unit's state cannot be written as a property list");
  const CFOwned owner = AdoptCF(xml);
  const UInt8* p = CFDataGetBytePtr(xml);
  return std::vector<uint8_t>(p, p + CFDataGetLength(xml));
}

void CheckStateReplaceable(const std::string& path, bool force)
{
  struct stat st
  {};
  // What is not a regular file is refused by the writer itself.
  if (force || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
    return;
  try
  {
    ReadStateFile(path);
  }
  catch (const ToolError&)
  {
    throw ToolError("'" + path + "' exists and is not a saved state; not replaced (--force replaces it)");
  }
}

void WriteStateFile(const std::string& path, const std::vector<uint8_t>& xml, bool noClobber, bool force)
{
  CheckStateReplaceable(path, force);
  AtomicOutputFile file(path, noClobber); // an unwritable folder is named as such, before the lock is tried
  const OutputLock lock(path);
  file.WriteAll(xml.data(), xml.size());
  file.Commit();
}

} // namespace corvane::host
