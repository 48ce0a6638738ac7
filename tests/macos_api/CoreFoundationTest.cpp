// Core Foundation objects as plug-in and host code use them: ownership,
// collections with their callbacks, strings and numbers.
#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Text(CFStringRef s)
{
  const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  return p ? p : "";
}

// A record managed only through array callbacks, like a factory preset.
struct Tracked
{
  int number;
  int refs;
  static int freed;
};
int Tracked::freed = 0;

const void* RetainTracked(CFAllocatorRef, const void* v)
{
  ++static_cast<Tracked*>(const_cast<void*>(v))->refs;
  return v;
}
void ReleaseTracked(CFAllocatorRef, const void* v)
{
  auto* t = static_cast<Tracked*>(const_cast<void*>(v));
  if (--t->refs == 0)
  {
    ++Tracked::freed;
    delete t;
  }
}
CFStringRef DescribeTracked(const void* v)
{
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("Tracked:\nnumber = %d"),
                                  static_cast<const Tracked*>(v)->number);
}
Boolean EqualTracked(const void* a, const void* b)
{
  return static_cast<const Tracked*>(a)->number == static_cast<const Tracked*>(b)->number;
}

const CFArrayCallBacks kTrackedCallbacks = {0, RetainTracked, ReleaseTracked, DescribeTracked, EqualTracked};

} // namespace

TEST(CFObjects, RetainAndReleaseFollowOwnership)
{
  CFStringRef s = CFStringCreateWithCString(nullptr, "owned", kCFStringEncodingUTF8);
  EXPECT_EQ(CFGetRetainCount(s), 1);
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(array, s);
  CFArrayAppendValue(array, s);
  EXPECT_EQ(CFGetRetainCount(s), 3);
  CFArrayRemoveValueAtIndex(array, 0);
  EXPECT_EQ(CFGetRetainCount(s), 2);
  CFRelease(array);
  EXPECT_EQ(CFGetRetainCount(s), 1);
  CFRelease(s);

  // Constants are shared and never freed.
  EXPECT_EQ(CFSTR("same"), CFSTR("same"));
  CFRelease(CFSTR("same"));
  EXPECT_EQ(Text(CFSTR("same")), "same");
  CFRelease(kCFBooleanTrue);
  EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
}

TEST(CFObjects, ArrayCallbacksManageCustomRecords)
{
  Tracked::freed = 0;
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 2, &kTrackedCallbacks);
  for (int i = 0; i < 3; ++i) // more than the capacity hint
  {
    auto* t = new Tracked{i, 1};
    CFArrayAppendValue(array, t);
    ReleaseTracked(nullptr, t); // the array keeps the only reference
  }
  ASSERT_EQ(CFArrayGetCount(array), 3);
  EXPECT_EQ(Tracked::freed, 0);

  Tracked probe{1, 1};
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(array, CFRangeMake(0, 3), &probe), 1);
  EXPECT_TRUE(CFArrayContainsValue(array, CFRangeMake(0, 3), &probe));
  EXPECT_FALSE(CFArrayContainsValue(array, CFRangeMake(2, 1), &probe));

  CFStringRef description = CFCopyDescription(array);
  EXPECT_NE(Text(description).find("Tracked:\nnumber = 2"), std::string::npos);
  CFRelease(description);

  CFArrayRef copy = CFArrayCreateCopy(nullptr, array);
  EXPECT_TRUE(CFEqual(copy, array));
  CFRelease(array);
  EXPECT_EQ(Tracked::freed, 0); // the copy still holds all three
  CFRelease(copy);
  EXPECT_EQ(Tracked::freed, 3);
  EXPECT_EQ(CFArrayGetValueAtIndex(nullptr, 0), nullptr);
}

TEST(CFObjects, ArrayWithoutCallbacksHoldsRawPointers)
{
  int a = 1, b = 1;
  const void* values[] = {&a, &b};
  CFArrayRef array = CFArrayCreate(nullptr, values, 2, nullptr);
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(array, CFRangeMake(0, 2), &b), 1); // identity, not value
  EXPECT_EQ(CFArrayGetValueAtIndex(array, 2), nullptr);
  CFRelease(array);
}

TEST(CFObjects, DictionaryMatchesKeysByContentAndReleasesReplacedValues)
{
  CFMutableDictionaryRef dict =
    CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFStringRef key = CFStringCreateWithCString(nullptr, "version", kCFStringEncodingUTF8);
  SInt32 one = 1, two = 2;
  CFNumberRef first = CFNumberCreate(nullptr, kCFNumberSInt32Type, &one);
  CFNumberRef second = CFNumberCreate(nullptr, kCFNumberSInt32Type, &two);
  CFDictionarySetValue(dict, key, first);
  EXPECT_EQ(CFGetRetainCount(first), 2);
  CFDictionarySetValue(dict, CFSTR("version"), second); // equal key, other object
  EXPECT_EQ(CFDictionaryGetCount(dict), 1);
  EXPECT_EQ(CFGetRetainCount(first), 1);

  const void* found = nullptr;
  ASSERT_TRUE(CFDictionaryGetValueIfPresent(dict, key, &found));
  SInt32 value = 0;
  EXPECT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(found), kCFNumberSInt32Type, &value));
  EXPECT_EQ(value, 2);
  EXPECT_FALSE(CFDictionaryGetValueIfPresent(dict, CFSTR("missing"), &found));
  EXPECT_EQ(CFDictionaryGetValue(dict, CFSTR("missing")), nullptr);

  CFDictionaryAddValue(dict, key, first); // present: no change
  EXPECT_EQ(CFDictionaryGetValue(dict, key), second);
  CFDictionaryRemoveValue(dict, key);
  EXPECT_EQ(CFDictionaryGetCount(dict), 0);
  EXPECT_EQ(CFGetRetainCount(second), 1);

  for (int i = 0; i < 500; ++i)
  {
    CFStringRef k = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("key%d"), i);
    CFNumberRef n = CFNumberCreate(nullptr, kCFNumberIntType, &i);
    CFDictionarySetValue(dict, k, n);
    CFRelease(k);
    CFRelease(n);
  }
  CFDictionaryRemoveValue(dict, CFSTR("key10"));
  int v = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, CFSTR("key499"))), kCFNumberIntType, &v);
  EXPECT_EQ(v, 499);
  EXPECT_EQ(CFDictionaryGetCount(dict), 499);

  // Immutable dictionaries ignore writes.
  CFDictionaryRef frozen = CFDictionaryCreateCopy(nullptr, dict);
  CFDictionarySetValue(const_cast<CFMutableDictionaryRef>(frozen), CFSTR("new"), first);
  EXPECT_FALSE(CFDictionaryContainsKey(frozen, CFSTR("new")));
  EXPECT_TRUE(CFEqual(frozen, dict));

  CFRelease(frozen);
  CFRelease(dict);
  CFRelease(key);
  CFRelease(first);
  CFRelease(second);
}

TEST(CFStrings, LengthsEncodingsAndLimits)
{
  // "é" is one UTF-16 unit, the emoji two.
  CFStringRef s = CFStringCreateWithCString(nullptr, "\xC3\xA9\xF0\x9F\x98\x80", kCFStringEncodingUTF8);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(CFStringGetLength(s), 3);
  char small[6];
  EXPECT_FALSE(CFStringGetCString(s, small, sizeof(small), kCFStringEncodingUTF8)); // 6 bytes + NUL
  EXPECT_STREQ(small, "");
  char big[8];
  EXPECT_TRUE(CFStringGetCString(s, big, sizeof(big), kCFStringEncodingUTF8));
  EXPECT_FALSE(CFStringGetCString(s, big, sizeof(big), kCFStringEncodingASCII));
  EXPECT_EQ(CFStringGetCStringPtr(s, kCFStringEncodingASCII), nullptr);
  CFRelease(s);

  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xC0\xAF", kCFStringEncodingUTF8), nullptr);     // overlong
  EXPECT_EQ(CFStringCreateWithCString(nullptr, "\xED\xA0\x80", kCFStringEncodingUTF8), nullptr); // surrogate
  EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);

  CFStringRef latin = CFStringCreateWithCString(nullptr, "caf\xE9", kCFStringEncodingISOLatin1);
  EXPECT_EQ(Text(latin), "caf\xC3\xA9");
  CFRelease(latin);
}

TEST(CFStrings, FormatCompareAndCopy)
{
  CFStringRef name = CFSTR("Warm");
  CFStringRef d = CFStringCreateWithFormat(
    nullptr, nullptr, CFSTR("AUPreset:\npreset number = %d\npreset name = %@ [%s %5.2f %ld%%]"), 3, name, "x", 1.5, 7L);
  EXPECT_EQ(Text(d), "AUPreset:\npreset number = 3\npreset name = Warm [x  1.50 7%]");
  CFRelease(d);

  EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ABC"), 0), kCFCompareGreaterThan);
  EXPECT_EQ(CFStringCompare(CFSTR("abc"), CFSTR("ABC"), kCFCompareCaseInsensitive), kCFCompareEqualTo);
  EXPECT_EQ(CFStringCompare(CFSTR("ab"), CFSTR("abc"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringFind(CFSTR("Library/Containers/x"), CFSTR("Containers/"), 0).location, 8);
  EXPECT_TRUE(CFStringHasSuffix(CFSTR("a.PNG"), CFSTR(".PNG")));

  CFMutableStringRef m = CFStringCreateMutable(nullptr, 0);
  CFStringAppendCString(m, "ab", kCFStringEncodingUTF8);
  CFStringRef snapshot = CFStringCreateCopy(nullptr, m);
  CFStringAppend(m, CFSTR("cd"));
  EXPECT_EQ(Text(snapshot), "ab");
  EXPECT_EQ(Text(m), "abcd");
  CFStringRef same = CFStringCreateCopy(nullptr, snapshot); // immutable: shared
  EXPECT_EQ(same, snapshot);
  CFRelease(same);
  CFRelease(snapshot);
  CFRelease(m);
}

// Each conversion must take its argument with the right width, or every
// argument after it is read from the wrong place.
TEST(CFStrings, FormatConversionsTakeTheirArguments)
{
  auto format = [](CFStringRef made) {
    std::string text = Text(made);
    CFRelease(made);
    return text;
  };
  const struct
  {
    std::string made;
    std::string expected;
  } rows[] = {
    {format(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%*d|%-4s|%.*f"), 5, 42, "ab", 2, 3.14159)),
     "   42|ab  |3.14"},
    {format(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%llu %zu %hd %d"), 1ull << 40, size_t{7}, 3, 9)),
     "1099511627776 7 3 9"},
    {format(
       CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%lld %x %lX %o %c"), -(1ll << 40), 255u, 0xABCul, 8u, 'z')),
     "-1099511627776 ff ABC 10 z"},
    {format(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%Lg %e %d"), 1.5L, 2.0, 4)), "1.5 2.000000e+00 4"},
    {format(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%s %@ %@"), static_cast<const char*>(nullptr),
                                     static_cast<CFTypeRef>(nullptr), CFSTR("cf"))),
     "(null) (null) cf"},
    // Unknown conversions stay literal and take no argument; a trailing '%' stays.
    {format(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%y %d 100%"), 5)), "%y 5 100%"},
    {format(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%300d|"), 1)), std::string(299, ' ') + "1|"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(row.made, row.expected);

  CFMutableStringRef m = CFStringCreateMutable(nullptr, 0);
  CFStringAppendCString(m, "n=", kCFStringEncodingUTF8);
  CFStringAppendFormat(m, nullptr, CFSTR("%d, %@"), 3, CFSTR("\xC3\xBC"));
  EXPECT_EQ(Text(m), "n=3, \xC3\xBC");
  CFRelease(m);
}

TEST(CFNumbers, ConversionsReportLoss)
{
  Float64 real = 3.5;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberFloat64Type, &real);
  SInt32 i = 0;
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt32Type, &i));
  EXPECT_EQ(i, 3);
  EXPECT_TRUE(CFNumberIsFloatType(n));
  CFRelease(n);

  SInt64 wide = 300;
  n = CFNumberCreate(nullptr, kCFNumberSInt64Type, &wide);
  SInt8 narrow = 0;
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt8Type, &narrow));
  Float32 f = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberFloat32Type, &f));
  EXPECT_EQ(f, 300.0f);
  EXPECT_EQ(CFNumberCreate(nullptr, 99, &wide), nullptr);

  Float64 same = 300.0;
  CFNumberRef other = CFNumberCreate(nullptr, kCFNumberFloat64Type, &same);
  EXPECT_TRUE(CFEqual(n, other));
  EXPECT_EQ(CFHash(n), CFHash(other));
  CFRelease(other);
  CFRelease(n);

  SInt32 fourcc = 0x61756678; // 'aufx'
  n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &fourcc);
  EXPECT_EQ(CFNumberGetType(n), kCFNumberSInt32Type);
  CFRelease(n);
}

TEST(CFDataTest, MutationAndCallerOwnedBytes)
{
  CFMutableDataRef d = CFDataCreateMutable(nullptr, 0);
  const UInt8 bytes[] = {1, 2, 3, 4};
  CFDataAppendBytes(d, bytes, 4);
  // Replacing a range with bytes taken from the same buffer.
  CFDataReplaceBytes(d, CFRangeMake(0, 2), CFDataGetBytePtr(d) + 2, 2);
  EXPECT_EQ(std::vector<UInt8>(CFDataGetBytePtr(d), CFDataGetBytePtr(d) + 4), (std::vector<UInt8>{3, 4, 3, 4}));
  CFDataReplaceBytes(d, CFRangeMake(3, 5), bytes, 1); // outside: ignored
  EXPECT_EQ(CFDataGetLength(d), 4);
  CFRelease(d);

  UInt8* heap = static_cast<UInt8*>(CFAllocatorAllocate(kCFAllocatorDefault, 8, 0));
  CFDataRef owned = CFDataCreateWithBytesNoCopy(nullptr, heap, 8, kCFAllocatorDefault); // freed with the object
  EXPECT_EQ(CFDataGetBytePtr(owned), heap);
  CFRelease(owned);
  CFDataRef borrowed = CFDataCreateWithBytesNoCopy(nullptr, bytes, 4, kCFAllocatorNull);
  EXPECT_EQ(CFDataGetLength(borrowed), 4);
  CFRelease(borrowed);
}

TEST(CFURLs, FilePathsAndComponents)
{
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, CFSTR("/tmp/My Plug.component"), kCFURLPOSIXPathStyle, true);
  EXPECT_EQ(Text(CFURLGetString(url)), "file:///tmp/My%20Plug.component/");
  CFURLRef resources = CFURLCreateCopyAppendingPathComponent(nullptr, url, CFSTR("Contents/Resources"), true);
  UInt8 path[256];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(resources, true, path, sizeof(path)));
  EXPECT_STREQ(reinterpret_cast<char*>(path), "/tmp/My Plug.component/Contents/Resources");
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(resources, true, path, 10));
  CFURLRef back = CFURLCreateWithString(nullptr, CFURLGetString(url), nullptr);
  EXPECT_TRUE(CFEqual(back, url));
  CFStringRef ext = CFURLCopyPathExtension(url);
  EXPECT_EQ(Text(ext), "component");
  EXPECT_EQ(CFURLCreateWithString(nullptr, CFSTR("http://example/x"), nullptr), nullptr);
  CFRelease(ext);
  CFRelease(back);
  CFRelease(resources);
  CFRelease(url);
}
