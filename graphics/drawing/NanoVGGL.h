#pragma once
// NanoVG with its OpenGL 3 renderer and framebuffer helpers, for the backend's
// own units. OpenGL entry points come straight from libOpenGL.

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "nanovg.h"
#include "nanovg_gl.h"
#include "nanovg_gl_utils.h"
