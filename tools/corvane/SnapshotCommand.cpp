// corvane snapshot: the editor as a PNG. The component is loaded as any host
// loads it; its view class, found by the name its view property gives, opens
// the editor offscreen through the plug-in's own editor path. Parameters and
// a state are applied first, then one frame is drawn and read back.

#include "tools/corvane/AtomicOutputFile.h"
#include "tools/corvane/CFText.h"
#include "tools/corvane/Commands.h"
#include "tools/corvane/Messages.h"
#include "tools/corvane/PictureOptions.h"
#include "tools/corvane/PngEncoder.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSetup.h"
#include "tools/corvane/ViewClass.h"

#include "au/AUViewFactoryClass.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace corvane::host {
namespace {

const char* const kSnapshotUsage =
  "usage: corvane snapshot [-o editor.png] [--scale S] [-p NAME=VALUE ...] [--state FILE] [--component PATH]\n"
  "  -o, --output   the PNG to write (default editor.png)\n"
  "  --scale S      the screen's backing scale, 1 to 3 (2 on a high-density display)\n"
  "  -p, --param    set a parameter before the editor opens\n"
  "  --state FILE   apply a saved state first; its editor record brings the editor's size and zoom\n";

struct SnapshotOptions
{
  std::string output = "editor.png";
  float scale = 1.f;
  UnitOptions unit;
};

SnapshotOptions ParseOptions(const std::vector<std::string>& args)
{
  SnapshotOptions o;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size())
        throw UsageError("option " + a + " needs a value");
      return args[++i];
    };
    if (a == "-o" || a == "--output")
      o.output = value();
    else if (a == "--scale")
      o.scale = ParseScale(value());
    else if (a.starts_with("--scale="))
      o.scale = ParseScale(a.substr(8));
    else if (TakeUnitOption(args, i, o.unit, kSettingOptions))
      continue;
    else
      throw UsageError("unexpected argument '" + a + "'");
  }
  CheckPngName(o.output);
  return o;
}

/** Opens the editor, draws it at the screen scale and closes it again; returns RGBA rows. */
std::vector<uint8_t> DrawEditor(AudioUnit unit, float screenScale, UInt32& width, UInt32& height)
{
  const AUViewFactoryClass* viewClass = FindViewClass(unit);
  if (!viewClass->setScreenScale || !viewClass->readViewPixels)
    throw ToolError("the editor view class cannot draw offscreen");
  if (!viewClass->uiViewForAudioUnit(unit, nullptr, 0.0, 0.0))
    throw ToolError("the editor cannot be opened (no offscreen OpenGL: is Mesa's EGL installed?)");
  std::vector<uint8_t> pixels;
  viewClass->setScreenScale(unit, screenScale);
  bool ok = viewClass->readViewPixels(unit, nullptr, 0, &width, &height) && width > 0 && height > 0;
  if (ok)
  {
    pixels.resize(static_cast<size_t>(width) * height * 4);
    ok = viewClass->readViewPixels(unit, pixels.data(), static_cast<UInt32>(pixels.size()), &width, &height) &&
         pixels.size() == static_cast<size_t>(width) * height * 4;
  }
  viewClass->closeView(unit);
  if (!ok)
    throw ToolError("the editor's pixels cannot be read back");
  return pixels;
}

} // namespace

int RunSnapshot(const std::vector<std::string>& args)
{
  if (PrintedHelp(args, kSnapshotUsage))
    return 0;
  const SnapshotOptions options = ParseOptions(args);

  const UnitSetup setup(options.unit);
  const std::unique_ptr<HostedUnit> unit = setup.OpenConfiguredUnit();
  const std::string& applied = setup.Applied();

  AtomicOutputFile out(options.output); // an unwritable output fails before the editor is drawn
  UInt32 width = 0, height = 0;
  const std::vector<uint8_t> pixels = DrawEditor(unit->Instance(), options.scale, width, height);
  const std::vector<uint8_t> png = EncodePNG(pixels.data(), static_cast<int>(width), static_cast<int>(height));
  if (png.empty())
    throw ToolError("cannot encode the editor as PNG");
  out.WriteAll(png.data(), png.size());
  out.Commit();

  std::printf("wrote %s: %u x %u pixels (screen scale %g)%s%s\n", Printable(options.output).c_str(), width, height,
              static_cast<double>(options.scale), applied.empty() ? "" : ", ", Printable(applied).c_str());
  return 0;
}

} // namespace corvane::host
