// The OpenGL 3 renderer and framebuffer helpers of NanoVG, instantiated once.
#define NANOVG_GL_IMPLEMENTATION 1
#include "NanoVGGL.h"
