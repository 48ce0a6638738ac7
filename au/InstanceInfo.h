#pragma once
// What the component's factory tells a new plug-in object about the
// instance it becomes.

namespace iplug {
struct InstanceInfo
{
  /** Class name of the Cocoa view factory the host instantiates for the editor. */
  const char* viewFactoryClassName = "";
};
} // namespace iplug
