#pragma once
// The ready-made controls of the framework, for editor layouts.

#include "graphics/IBButtonControl.h"
#include "graphics/IBKnobControl.h"
#include "graphics/IBKnobRotaterControl.h"
#include "graphics/IBMeterControl.h"
#include "graphics/IBSliderControl.h"
#include "graphics/IBSwitchControl.h"
#include "graphics/IBTextControl.h"
#include "graphics/IBitmapControl.h"
#include "graphics/IBubbleControl.h"
#include "graphics/IControlFunctions.h"
#include "graphics/ICornerResizerControl.h"
