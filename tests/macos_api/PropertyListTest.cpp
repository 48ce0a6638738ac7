// XML property lists: what the class-info state and Info.plist files need.
#include <CoreFoundation/CoreFoundation.h>
#include <MacAPIExtensions.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

CFDataRef Bytes(const std::string& text)
{
  return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text.data()), static_cast<CFIndex>(text.size()));
}

std::string AsText(CFDataRef data)
{
  return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), static_cast<size_t>(CFDataGetLength(data)));
}

CFPropertyListRef Parse(const std::string& text, CFOptionFlags options = kCFPropertyListImmutable)
{
  CFDataRef data = Bytes(text);
  CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, options, nullptr, nullptr);
  CFRelease(data);
  return plist;
}

const std::string kPrefix = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";

// A state dictionary like the one a unit saves in a host's project.
CFMutableDictionaryRef MakeState()
{
  CFMutableDictionaryRef dict =
    CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  SInt32 type = 0x61756678;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &type);
  CFDictionarySetValue(dict, CFSTR("type"), n);
  CFRelease(n);
  Float64 gain = -0.1;
  n = CFNumberCreate(nullptr, kCFNumberFloat64Type, &gain);
  CFDictionarySetValue(dict, CFSTR("gain"), n);
  CFRelease(n);
  CFDictionarySetValue(dict, CFSTR("name"), CFSTR("Tom & <Jerry>\r\n\x01 \xC3\xA9"));
  UInt8 bytes[257];
  for (int i = 0; i < 257; ++i)
    bytes[i] = static_cast<UInt8>(i * 7);
  CFDataRef data = CFDataCreate(nullptr, bytes, sizeof(bytes));
  CFDictionarySetValue(dict, CFSTR("data"), data);
  CFRelease(data);
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(array, kCFBooleanTrue);
  CFArrayAppendValue(array, kCFBooleanFalse);
  CFMutableArrayRef empty = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(array, empty);
  CFRelease(empty);
  CFDictionarySetValue(dict, CFSTR("flags"), array);
  CFRelease(array);
  CFDateRef date = CFDateCreate(nullptr, 600000000.0);
  CFDictionarySetValue(dict, CFSTR("saved"), date);
  CFRelease(date);
  return dict;
}

} // namespace

TEST(PropertyList, RoundTripKeepsEveryValue)
{
  CFMutableDictionaryRef state = MakeState();
  CFErrorRef error = nullptr;
  CFDataRef xml = CFPropertyListCreateData(nullptr, state, kCFPropertyListXMLFormat_v1_0, 0, &error);
  ASSERT_NE(xml, nullptr);
  EXPECT_EQ(error, nullptr);
  const std::string text = AsText(xml);
  EXPECT_NE(
    text.find(
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"),
    std::string::npos);
  EXPECT_NE(text.find("<integer>1635083896</integer>"), std::string::npos);
  EXPECT_NE(text.find("Tom &amp; &lt;Jerry&gt;"), std::string::npos);

  CFPropertyListFormat format = 0;
  CFPropertyListRef back = CFPropertyListCreateWithData(nullptr, xml, kCFPropertyListImmutable, &format, &error);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(format, kCFPropertyListXMLFormat_v1_0);
  EXPECT_TRUE(CFEqual(back, state)); // strings with control characters and CR included
  auto dict = static_cast<CFDictionaryRef>(back);
  EXPECT_FALSE(CFNumberIsFloatType(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, CFSTR("type")))));
  Float64 gain = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, CFSTR("gain"))), kCFNumberFloat64Type, &gain);
  EXPECT_EQ(gain, -0.1); // exact, not rounded through text

  // Immutable on request: writes are ignored.
  CFDictionarySetValue(const_cast<CFMutableDictionaryRef>(dict), CFSTR("x"), kCFBooleanTrue);
  EXPECT_FALSE(CFDictionaryContainsKey(dict, CFSTR("x")));
  CFRelease(back);

  back = CFPropertyListCreateWithData(nullptr, xml, kCFPropertyListMutableContainers, nullptr, nullptr);
  CFDictionarySetValue(static_cast<CFMutableDictionaryRef>(const_cast<void*>(back)), CFSTR("x"), kCFBooleanTrue);
  EXPECT_TRUE(CFDictionaryContainsKey(static_cast<CFDictionaryRef>(back), CFSTR("x")));
  CFRelease(back);
  CFRelease(xml);
  CFRelease(state);
}

TEST(PropertyList, SpecialRealsAndIntegerLimits)
{
  CFPropertyListRef p =
    Parse(kPrefix + "<array><real>nan</real><real>-infinity</real><integer>-9223372036854775808</integer>"
                    "<integer> 0x10 </integer><string/></array></plist>");
  ASSERT_NE(p, nullptr);
  auto array = static_cast<CFArrayRef>(p);
  double d = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(array, 0)), kCFNumberFloat64Type, &d);
  EXPECT_TRUE(std::isnan(d));
  CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(array, 1)), kCFNumberFloat64Type, &d);
  EXPECT_EQ(d, -INFINITY);
  SInt64 i = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(array, 2)), kCFNumberSInt64Type, &i);
  EXPECT_EQ(i, INT64_MIN);
  CFNumberGetValue(static_cast<CFNumberRef>(CFArrayGetValueAtIndex(array, 3)), kCFNumberSInt64Type, &i);
  EXPECT_EQ(i, 16);
  EXPECT_EQ(CFStringGetLength(static_cast<CFStringRef>(CFArrayGetValueAtIndex(array, 4))), 0);
  CFRelease(p);
}

TEST(PropertyList, MalformedInputIsRejectedWithAnError)
{
  const char* bad[] = {
    "",
    "not xml at all",
    "<plist><dict><key>a</key></dict></plist>",              // key without value
    "<plist><dict><string>a</string><true/></dict></plist>", // value where a key belongs
    "<plist><integer>9223372036854775808</integer></plist>", // overflow
    "<plist><integer>12abc</integer></plist>",
    "<plist><real>1.5x</real></plist>",
    "<plist><data>AB$C</data></plist>",     // outside the alphabet
    "<plist><data>QQ==QQ==</data></plist>", // data after padding
    "<plist><true>yes</true></plist>",
    "<plist><date>2020-13-01T00:00:00Z</date></plist>",
    "<plist><string>a</string><string>b</string></plist>", // two values
    "<plist><array>text<true/></array></plist>",           // text in a container
    "<plist><string><true/></string></plist>",
    "<plist><unknown/></plist>",
    "<plist><dict><key>a</key><true/></plist>", // unclosed
    "bplist00",
  };
  for (const char* text : bad)
  {
    CFDataRef data = Bytes(text);
    CFErrorRef error = nullptr;
    EXPECT_EQ(CFPropertyListCreateWithData(nullptr, data, 0, nullptr, &error), nullptr) << text;
    ASSERT_NE(error, nullptr) << text;
    EXPECT_EQ(CFErrorGetCode(error), kCFPropertyListReadCorruptError);
    EXPECT_TRUE(CFEqual(CFErrorGetDomain(error), kCFErrorDomainCocoa));
    CFRelease(error);
    CFRelease(data);
  }

  // Nesting deeper than the reader allows fails instead of exhausting the stack.
  std::string deep;
  for (int i = 0; i < 5000; ++i)
    deep += "<array>";
  EXPECT_EQ(Parse(kPrefix + deep), nullptr);
}

TEST(PropertyList, WriterRefusesWhatAPropertyListCannotHold)
{
  CFMutableDictionaryRef dict =
    CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  SInt32 n = 1;
  CFNumberRef key = CFNumberCreate(nullptr, kCFNumberSInt32Type, &n);
  CFDictionarySetValue(dict, key, kCFBooleanTrue); // non-string key
  CFErrorRef error = nullptr;
  EXPECT_EQ(CFPropertyListCreateData(nullptr, dict, kCFPropertyListXMLFormat_v1_0, 0, &error), nullptr);
  ASSERT_NE(error, nullptr);
  CFRelease(error);
  EXPECT_FALSE(CFPropertyListIsValid(dict, kCFPropertyListXMLFormat_v1_0));
  EXPECT_EQ(CFPropertyListCreateData(nullptr, CFSTR("x"), kCFPropertyListBinaryFormat_v1_0, 0, nullptr), nullptr);
  CFRelease(key);
  CFRelease(dict);
}

TEST(PropertyList, FilesAreReadAndReplacedWhole)
{
  char dir[] = "/tmp/plistXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/Info.plist";
  CFMutableDictionaryRef state = MakeState();
  ASSERT_TRUE(MacAPIPropertyListWriteToFile(state, path.c_str()));
  CFPropertyListRef back = MacAPIPropertyListCreateFromFile(path.c_str(), 0);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(CFEqual(back, state));
  CFRelease(back);
  EXPECT_EQ(MacAPIPropertyListCreateFromFile((std::string(dir) + "/missing.plist").c_str(), 0), nullptr);
  EXPECT_FALSE(MacAPIPropertyListWriteToFile(state, (std::string(dir) + "/no/such/dir/x.plist").c_str()));
  CFRelease(state);
  std::remove(path.c_str());
  rmdir(dir);
}
