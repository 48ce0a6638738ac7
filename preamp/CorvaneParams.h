#pragma once

namespace iplug {

class IEditorDelegate;

// Creates the preamp's nine parameters on the plug-in's parameter list, in
// the order Gain, Highpass Filter, Lowpass Filter, Output, Filter Bypass,
// Preamp Bypass, Mic Pre, Phase, Oversampling, each followed by its display
// texts. Indices are those of CorvaneEngine::EParam.
void InitParams(IEditorDelegate& plug);

} // namespace iplug
