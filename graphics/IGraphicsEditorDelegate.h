#pragma once
// Editor delegate that connects a graphics editor to the plug-in.

#include "core/IEditorDelegate.h"

namespace iplug::igraphics
{
class IGEditorDelegate : public IEditorDelegate
{
public:
  explicit IGEditorDelegate(int nParams) : IEditorDelegate(nParams) {}
};
} // namespace iplug::igraphics
