// The product's saved state carries the editor's real size once an editor
// has been open: a Corvane instance (built in-process, reached through the
// component calls) opens its editor on a recording graphics context, and the
// 84-byte state then starts with that size and scale, also in a fresh
// instance that took the state.

#include <gtest/gtest.h>

#include <cstring>

#include "au/AUHost.h"
#include "au/CorvaneDescription.h"
#include "graphics/RecordingGraphics.h"
#include "preamp/Corvane.h"

extern "C" AudioComponentPlugInInterface* Corvane_Factory(const AudioComponentDescription* desc);

namespace corvane_test {
namespace {
using iplug::Corvane;
using iplug::igraphics::test::RecordingGraphics;

struct EditorRecord
{
  int32_t width = -1;
  int32_t height = -1;
  float scale = -1.f;
};

/** The unit's class-info state: its "data" bytes. */
std::vector<UInt8> StateData(const AUInstance& unit)
{
  CFPropertyListRef state = nullptr;
  if (unit.Get(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state) != noErr || !state)
    return {};
  auto data = static_cast<CFDataRef>(CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), CFSTR("data")));
  std::vector<UInt8> bytes;
  if (data)
    bytes.assign(CFDataGetBytePtr(data), CFDataGetBytePtr(data) + CFDataGetLength(data));
  CFRelease(state);
  return bytes;
}

EditorRecord RecordOf(const std::vector<UInt8>& data)
{
  EditorRecord r;
  if (data.size() >= 12)
  {
    std::memcpy(&r.width, data.data(), 4);
    std::memcpy(&r.height, data.data() + 4, 4);
    std::memcpy(&r.scale, data.data() + 8, 4);
  }
  return r;
}

class CorvaneEditorState : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    static const AudioComponent component = [] {
      const AudioComponentDescription desc = CorvaneDescription();
      return AudioComponentRegister(&desc, InProcessCorvaneName(), corvane::kVersionCode, Corvane_Factory);
    }();
    ASSERT_NE(component, nullptr);
  }

  /** The plug-in object behind the unit, with an editor that draws into a recording context. */
  static Corvane* WithTestEditor(const AUInstance& unit)
  {
    auto* plug = dynamic_cast<Corvane*>(unit.adapter());
    if (plug)
    {
      plug->SetMakeGraphicsFunc([plug] { return new RecordingGraphics(*plug, 575, 333, 1.f); });
      plug->SetLayoutUIFunc([](iplug::igraphics::IGraphics*) {});
    }
    return plug;
  }

  int mParent = 0; // stands in for the host's window
};

TEST_F(CorvaneEditorState, StateCarriesTheSizeOfTheEditorThatWasOpen)
{
  AUInstance unit(CorvaneDescription());
  Corvane* plug = WithTestEditor(unit);
  ASSERT_NE(plug, nullptr);
  AudioUnitSetParameter(unit, 0, kAudioUnitScope_Global, 0, 9.f, 0);
  AudioUnitSetParameter(unit, 1, kAudioUnitScope_Global, 0, -7.5f, 0);

  ASSERT_NE(plug->OpenWindow(&mParent), nullptr);
  ASSERT_NE(plug->GetUI(), nullptr);
  std::vector<UInt8> data = StateData(unit);
  ASSERT_EQ(data.size(), 84u);
  EditorRecord r = RecordOf(data);
  EXPECT_EQ(r.width, 575); // while open: the editor's own size
  EXPECT_EQ(r.height, 333);
  EXPECT_EQ(r.scale, 1.f);

  // The user enlarges the editor, then closes it: the state keeps that size.
  plug->GetUI()->Resize(690, 400, 1.5f);
  plug->CloseWindow();
  ASSERT_EQ(plug->GetUI(), nullptr);
  data = StateData(unit);
  ASSERT_EQ(data.size(), 84u);
  r = RecordOf(data);
  EXPECT_EQ(r.width, 690);
  EXPECT_EQ(r.height, 400);
  EXPECT_EQ(r.scale, 1.5f);
  double gain = 0.0;
  std::memcpy(&gain, data.data() + 12, 8);
  EXPECT_EQ(gain, 9.0); // the parameters follow the record

  // A fresh instance takes the state and saves the same bytes; its editor
  // opens at the saved size.
  CFPropertyListRef state = nullptr;
  ASSERT_EQ(unit.Get(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state), noErr);
  AUInstance fresh(CorvaneDescription());
  Corvane* freshPlug = WithTestEditor(fresh);
  ASSERT_NE(freshPlug, nullptr);
  EXPECT_EQ(fresh.Set(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state), noErr);
  CFRelease(state);
  EXPECT_EQ(StateData(fresh), data);
  AudioUnitParameterValue output = 0.f;
  AudioUnitGetParameter(fresh, 1, kAudioUnitScope_Global, 0, &output);
  EXPECT_EQ(output, -7.5f);

  ASSERT_NE(freshPlug->OpenWindow(&mParent), nullptr);
  EXPECT_EQ(freshPlug->GetUI()->Width(), 690);
  EXPECT_EQ(freshPlug->GetUI()->Height(), 400);
  EXPECT_EQ(freshPlug->GetUI()->GetDrawScale(), 1.5f);
  freshPlug->CloseWindow();
}
} // namespace
} // namespace corvane_test
