// The editor record of a saved state (width, height, scale) read into a closed
// and into an open editor, followed by a frame at the resulting size; and the
// same bytes as dirty rectangles through the optimiser.

#include <cstdint>
#include <cstring>

#include "GraphicsTestSupport.h"

using namespace iplug;
using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  IByteChunk chunk;
  chunk.WriteBytes(data, static_cast<int>(size));
  const int start = size ? data[0] % 16 : 0;

  TestDelegate dlg(1);
  dlg.SetSizeConstraints(100, 4000, 100, 4000);
  dlg.SetMakeGraphicsFunc([&dlg] { return new RecordingGraphics(dlg, 575, 333, 1.f); });
  dlg.SetLayoutUIFunc([](IGraphics* ui) { ui->AttachControl(new BoxControl(IRECT(10, 10, 60, 60), COLOR_RED, 0)); });

  dlg.UnserializeEditorState(chunk, start);
  dlg.OpenWindow(&dlg);
  if (auto* ui = static_cast<RecordingGraphics*>(dlg.GetUI()))
  {
    ui->RunFrame();
    dlg.UnserializeEditorState(chunk, start + 1);
    ui->SetAllControlsDirty();
    ui->RunFrame();
  }
  IByteChunk out;
  dlg.SerializeEditorState(out);
  dlg.CloseWindow();

  IRECTList rects;
  for (size_t i = 0; i + 16 <= size && rects.Size() < 64; i += 16)
  {
    float v[4];
    std::memcpy(v, data + i, sizeof(v));
    rects.Add(IRECT(v[0], v[1], v[2], v[3]));
  }
  rects.Optimize();
  return 0;
}
