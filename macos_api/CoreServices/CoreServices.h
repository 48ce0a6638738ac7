// Core Services: the Component Manager part this layer provides.
#pragma once

#include <MacTypes.h>
#include <CoreServices/Components.h>
