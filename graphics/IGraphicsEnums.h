#pragma once
// Enumerations shared by the editor's controls, host and drawing backend.

namespace iplug::igraphics {

/** Compositing method of a blend. */
enum class EBlend : int
{
  SrcOver = 0,
  SrcIn,
  SrcOut,
  SrcAtop,
  DstOver,
  DstIn,
  DstOut,
  DstAtop,
  Add,
  XOR
};

/** Drag axis of knobs and sliders, placement of the value bubble. */
enum class EDirection : int
{
  Vertical = 0,
  Horizontal = 1
};

/** What dragging the corner resizer changes. */
enum class EUIResizerMode : int
{
  Scale = 0, // draw scale changes, the layout keeps its size in points
  Size = 1   // size in points changes at constant scale
};

enum class EWinding : int
{
  CW = 0,
  CCW = 1
};

enum class ETextHAlign : int
{
  Near = 0,
  Center = 1,
  Far = 2
};

enum class ETextVAlign : int
{
  Top = 0,
  Middle = 1,
  Bottom = 2
};

enum class EPatternType : int
{
  Solid = 0,
  Linear = 1,
  Radial = 2
};

enum class EPatternExtend : int
{
  None = 0,
  Pad = 1,
  Reflect = 2,
  Repeat = 3
};

enum class ELineCap : int
{
  Butt = 0,
  Round = 1,
  Square = 2
};

enum class ELineJoin : int
{
  Miter = 0,
  Round = 1,
  Bevel = 2
};

/** Style of an installed font looked up by family. */
enum class ETextStyle : int
{
  Normal = 0,
  Bold,
  Italic
};

enum class EFillRule : int
{
  Winding = 0,
  EvenOdd = 1,
  Preserve = 2
};

/** Mouse cursor shapes the platform layer can show. */
enum class ECursor : int
{
  ARROW = 0,
  IBEAM,
  WAIT,
  CROSS,
  UPARROW,
  SIZENWSE,
  SIZENESW,
  SIZEWE,
  SIZENS,
  SIZEALL,
  INO,
  HAND,
  APPSTARTING,
  HELP
};

enum class EUIAppearance : int
{
  Light = 0,
  Dark = 1
};

/** Buttons of a message box. */
enum class EMsgBoxType : int
{
  OK = 0,
  OKCancel,
  AbortRetryIgnore,
  YesNoCancel,
  YesNo,
  RetryCancel
};

/** The button that closed a message box. */
enum class EMsgBoxResult : int
{
  NoResult = 0,
  OK,
  Cancel,
  Abort,
  Retry,
  Ignore,
  Yes,
  No
};

/** Whether a file prompt picks a file to read or a name to write. */
enum class EFileAction : int
{
  Open = 0,
  Save = 1
};

/** Touch gestures a control can register a handler for. */
enum class EGestureType : int
{
  Unknown = 0,
  DoubleTap,
  TripleTap,
  LongPress1,
  LongPress2,
  SwipeLeft,
  SwipeRight,
  SwipeUp,
  SwipeDown,
  Pinch,
  Rotate
};

} // namespace iplug::igraphics
