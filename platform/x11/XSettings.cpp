#include "platform/x11/XSettings.h"

#include <string>

// X11's headers define names such as None and Status as macros: they come last.
#include <X11/Xlib.h>

namespace iplug::igraphics::x11 {

namespace {

// Reads the block's fields in its own byte order, never past its end.
class Reader
{
public:
  Reader(const uint8_t* data, size_t size, bool bigEndian) : mData(data), mSize(size), mBigEndian(bigEndian) {}

  bool Skip(size_t n)
  {
    if (n > mSize - mPos)
      return false;
    mPos += n;
    return true;
  }
  bool Card(size_t bytes, uint32_t& value)
  {
    if (bytes > mSize - mPos)
      return false;
    value = 0;
    for (size_t i = 0; i < bytes; ++i)
    {
      const uint32_t byte = mData[mPos + (mBigEndian ? i : bytes - 1 - i)];
      value = (value << 8) | byte;
    }
    mPos += bytes;
    return true;
  }
  /** `length` bytes of text, then padding to a multiple of four. */
  bool Text(size_t length, std::string& text)
  {
    if (length > mSize - mPos)
      return false;
    text.assign(reinterpret_cast<const char*>(mData + mPos), length);
    mPos += length;
    return Skip((4 - length % 4) % 4);
  }

private:
  const uint8_t* mData;
  size_t mSize;
  size_t mPos = 0;
  bool mBigEndian;
};

} // namespace

bool ParseXSettings(const uint8_t* data, size_t size, std::map<std::string, XSettingValue>& out)
{
  out.clear();
  if (!data || size < 12 || data[0] > 1)
    return false;
  Reader in(data, size, data[0] == 1);
  uint32_t serial = 0, count = 0;
  if (!in.Skip(4) || !in.Card(4, serial) || !in.Card(4, count))
    return false;
  // Each setting takes at least 12 bytes: a count beyond what the block holds is a damaged block.
  if (count > (size - 12) / 12)
    return false;
  for (uint32_t i = 0; i < count; ++i)
  {
    uint32_t type = 0, nameLength = 0, lastChange = 0;
    std::string name;
    XSettingValue value;
    if (!in.Card(1, type) || !in.Skip(1) || !in.Card(2, nameLength) || !in.Text(nameLength, name) ||
        !in.Card(4, lastChange))
    {
      out.clear();
      return false;
    }
    bool ok = false;
    switch (type)
    {
      case 0:
      {
        uint32_t v = 0;
        ok = in.Card(4, v);
        value.integer = static_cast<int32_t>(v);
        break;
      }
      case 1:
      {
        uint32_t length = 0;
        ok = in.Card(4, length) && in.Text(length, value.text);
        break;
      }
      case 2:
      {
        ok = true;
        for (uint16_t& channel : value.color)
        {
          uint32_t v = 0;
          ok = ok && in.Card(2, v);
          channel = static_cast<uint16_t>(v);
        }
        break;
      }
      default: break;
    }
    if (!ok)
    {
      out.clear();
      return false;
    }
    value.type = static_cast<XSettingValue::Type>(type);
    out[name] = std::move(value);
  }
  return true;
}

unsigned long XSettingsOwner(Display* display, int screen)
{
  const std::string selection = "_XSETTINGS_S" + std::to_string(screen);
  return XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False));
}

std::vector<uint8_t> ReadXSettings(Display* display, int screen)
{
  const Window owner = XSettingsOwner(display, screen);
  if (owner == None)
    return {};
  const Atom property = XInternAtom(display, "_XSETTINGS_SETTINGS", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  std::vector<uint8_t> bytes;
  // A settings block is a few kilobytes; a quarter of a megabyte is plenty.
  if (XGetWindowProperty(display, owner, property, 0, 1 << 16, False, property, &type, &format, &count, &remaining,
                         &data) == Success &&
      data && format == 8 && remaining == 0)
    bytes.assign(data, data + count);
  if (data)
    XFree(data);
  return bytes;
}

} // namespace iplug::igraphics::x11
