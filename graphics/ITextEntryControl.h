#pragma once
// The in-editor text field: opened by the graphics host over a control to
// type a parameter's value. Edits one line with the usual keys (arrows,
// Home/End, Backspace/Delete, Shift to select, Ctrl+A/C/X/V/Z), accepts only
// the characters that make sense for the parameter's type, commits on Enter,
// Tab or a press elsewhere (IGraphics::SetControlValueAfterTextEdit) and
// cancels on Escape.

#include <memory>
#include <string>

#include "graphics/IControl.h"

namespace iplug::igraphics {

/** Characters a text entry for a parameter of `type` accepts: digits and signs for
    boolean, integer and enumerated parameters, also the decimal point for real ones,
    none for a parameter without a type. */
const char* TextEntryCharsForParamType(int type);

class ITextEntryControl : public IControl
{
public:
  ITextEntryControl();
  ~ITextEntryControl() override;

  /** Opens the field over `bounds` with `str` selected. With `paramIdx` of 0 or more, at
      most `length` characters of that parameter's accepted set can be typed. */
  virtual void CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length, const char* str);
  virtual bool EditInProgress() const { return mEditing; }
  /** Ends editing and delivers the text. */
  void CommitEdit();
  /** Ends editing without a value. */
  void CancelEdit();

  /** The text being edited, UTF-8. */
  std::string GetEditText() const;
  /** Selection as character positions; equal when nothing is selected (then both are the caret). */
  void GetSelection(int& start, int& end) const;

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
  bool OnKeyDown(float x, float y, const IKeyPress& key) override;

  struct Editor; // the editing state, shared with the text-editing callbacks

private:
  /** Inserts `text` (UTF-8) at the caret over the selection, dropping refused characters. */
  void InsertText(const char* text);
  bool Accepts(char32_t c) const;
  /** Left edge of the first character, from the alignment. */
  float TextLeft() const;
  void Changed();

  std::unique_ptr<Editor> mEditor;
  bool mEditing = false;
};

} // namespace iplug::igraphics
