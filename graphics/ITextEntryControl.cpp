#include "graphics/ITextEntryControl.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/IParam.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsEditorDelegate.h"
#include "graphics/IVirtualKeys.h"

// The text-editing state machine, specialised for one line of code points.
// Its keys lie above every Unicode code point, so any smaller value is a character.
#define CORVANE_TEXTEDIT_KEY 0x200000
#define STB_TEXTEDIT_CHARTYPE char32_t
#define STB_TEXTEDIT_POSITIONTYPE int
#define STB_TEXTEDIT_UNDOSTATECOUNT 32
#define STB_TEXTEDIT_UNDOCHARCOUNT 256
#include <stb/stb_textedit.h>

namespace iplug::igraphics {

struct ITextEntryControl::Editor
{
  ITextEntryControl* owner = nullptr;
  std::u32string text;
  std::vector<float> prefix{0.f}; // prefix[i]: width of the first i characters
  STB_TexteditState state{};
  const char* accepted = nullptr; // null: any character
  int maxLength = 0;              // 0: no limit

  void Measure();
};

} // namespace iplug::igraphics

namespace {

using EditorState = iplug::igraphics::ITextEntryControl::Editor;

void LayoutRow(StbTexteditRow* row, EditorState* e, int n)
{
  row->x0 = 0.f;
  row->x1 = e->prefix.back() - e->prefix[static_cast<size_t>(n)];
  row->baseline_y_delta = 1.f;
  row->ymin = -1e6f; // a single line: every height hits it
  row->ymax = 1e6f;
  row->num_chars = static_cast<int>(e->text.size()) - n;
}

void DeleteChars(EditorState* e, int i, int n)
{
  e->text.erase(static_cast<size_t>(i), static_cast<size_t>(n));
  e->Measure();
}

int InsertChars(EditorState* e, int i, const char32_t* c, int n)
{
  e->text.insert(static_cast<size_t>(i), c, static_cast<size_t>(n));
  e->Measure();
  return 1;
}

} // namespace

#define STB_TEXTEDIT_STRING EditorState
#define STB_TEXTEDIT_STRINGLEN(obj) static_cast<int>((obj)->text.size())
#define STB_TEXTEDIT_GETCHAR(obj, i) ((obj)->text[static_cast<size_t>(i)])
#define STB_TEXTEDIT_NEWLINE U'\n'
#define STB_TEXTEDIT_IS_SPACE(c) ((c) == U' ' || (c) == U'\t')
#define STB_TEXTEDIT_KEYTOTEXT(k) ((k) < CORVANE_TEXTEDIT_KEY ? static_cast<int>(k) : -1)
#define STB_TEXTEDIT_GETWIDTH(obj, n, i)                                                                               \
  ((obj)->prefix[static_cast<size_t>((n) + (i) + 1)] - (obj)->prefix[static_cast<size_t>((n) + (i))])
#define STB_TEXTEDIT_LAYOUTROW(r, obj, n) LayoutRow(r, obj, n)
#define STB_TEXTEDIT_DELETECHARS(obj, i, n) DeleteChars(obj, i, n)
#define STB_TEXTEDIT_INSERTCHARS(obj, i, c, n) InsertChars(obj, i, c, n)
#define STB_TEXTEDIT_K_SHIFT 0x400000
#define STB_TEXTEDIT_K_LEFT (CORVANE_TEXTEDIT_KEY + 1)
#define STB_TEXTEDIT_K_RIGHT (CORVANE_TEXTEDIT_KEY + 2)
#define STB_TEXTEDIT_K_UP (CORVANE_TEXTEDIT_KEY + 3)
#define STB_TEXTEDIT_K_DOWN (CORVANE_TEXTEDIT_KEY + 4)
#define STB_TEXTEDIT_K_LINESTART (CORVANE_TEXTEDIT_KEY + 5)
#define STB_TEXTEDIT_K_LINEEND (CORVANE_TEXTEDIT_KEY + 6)
#define STB_TEXTEDIT_K_TEXTSTART (CORVANE_TEXTEDIT_KEY + 7)
#define STB_TEXTEDIT_K_TEXTEND (CORVANE_TEXTEDIT_KEY + 8)
#define STB_TEXTEDIT_K_DELETE (CORVANE_TEXTEDIT_KEY + 9)
#define STB_TEXTEDIT_K_BACKSPACE (CORVANE_TEXTEDIT_KEY + 10)
#define STB_TEXTEDIT_K_UNDO (CORVANE_TEXTEDIT_KEY + 11)
#define STB_TEXTEDIT_K_REDO (CORVANE_TEXTEDIT_KEY + 12)
#define STB_TEXTEDIT_K_WORDLEFT (CORVANE_TEXTEDIT_KEY + 13)
#define STB_TEXTEDIT_K_WORDRIGHT (CORVANE_TEXTEDIT_KEY + 14)
#define STB_TEXTEDIT_K_PGUP (CORVANE_TEXTEDIT_KEY + 15)
#define STB_TEXTEDIT_K_PGDOWN (CORVANE_TEXTEDIT_KEY + 16)

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_TEXTEDIT_IMPLEMENTATION
#include <stb/stb_textedit.h>
#pragma GCC diagnostic pop

namespace iplug::igraphics {

namespace {

constexpr IColor kSelectionColor(255, 170, 200, 240);
constexpr float kInset = 3.f;

void AppendUtf8(std::string& out, char32_t c)
{
  if (c < 0x80)
    out += static_cast<char>(c);
  else if (c < 0x800)
  {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  else if (c < 0x10000)
  {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  else
  {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string EncodeUtf8(const std::u32string& text, size_t from = 0, size_t to = std::u32string::npos)
{
  std::string out;
  for (size_t i = from; i < std::min(to, text.size()); ++i)
    AppendUtf8(out, text[i]);
  return out;
}

// Malformed sequences become U+FFFD, one per bad byte.
std::u32string DecodeUtf8(const char* s)
{
  std::u32string out;
  const auto* p = reinterpret_cast<const unsigned char*>(s ? s : "");
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  while (*p)
  {
    const unsigned char b = *p;
    const int extra = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
    char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    int i = 1;
    for (; extra > 0 && i <= extra && (p[i] & 0xC0) == 0x80; ++i)
      c = (c << 6) | (p[i] & 0x3F);
    if (extra < 0 || i != extra + 1 || c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
    {
      out += U'\uFFFD';
      ++p;
      continue;
    }
    out += c;
    p += i;
  }
  return out;
}

} // namespace

const char* TextEntryCharsForParamType(int type)
{
  switch (type)
  {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum: return "0123456789-+";
    case IParam::kTypeDouble: return "0123456789.-+";
    default: return "";
  }
}

void ITextEntryControl::Editor::Measure()
{
  prefix.assign(text.size() + 1, 0.f);
  IGraphics* ui = owner->GetUI();
  std::string utf8;
  for (size_t i = 0; i < text.size(); ++i)
  {
    AppendUtf8(utf8, text[i]);
    IRECT r;
    prefix[i + 1] = ui ? ui->MeasureText(owner->mText, utf8.c_str(), r) : 0.f;
  }
}

ITextEntryControl::ITextEntryControl() : IControl(IRECT(), kNoParameter), mEditor(std::make_unique<Editor>())
{
  mEditor->owner = this;
}

ITextEntryControl::~ITextEntryControl() = default;

void ITextEntryControl::CreateTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int length,
                                        const char* str)
{
  Editor& e = *mEditor;
  mText = text;
  mText.mVAlign = ETextVAlign::Middle;
  e.accepted = nullptr;
  e.maxLength = 0;
  if (paramIdx >= 0)
  {
    const IParam* param = GetDelegate() ? GetDelegate()->GetParam(paramIdx) : nullptr;
    e.accepted = TextEntryCharsForParamType(param ? param->Type() : IParam::kTypeNone);
    e.maxLength = std::max(0, length);
  }
  e.text = DecodeUtf8(str);
  e.Measure();
  stb_textedit_initialize_state(&e.state, 1);
  e.state.select_start = 0;
  e.state.select_end = static_cast<int>(e.text.size());
  e.state.cursor = e.state.select_end;
  SetTargetAndDrawRECTs(bounds);
  mEditing = true;
  SetDirty(false);
}

std::string ITextEntryControl::GetEditText() const { return EncodeUtf8(mEditor->text); }

void ITextEntryControl::GetSelection(int& start, int& end) const
{
  const STB_TexteditState& s = mEditor->state;
  start = std::min(s.select_start, s.select_end);
  end = std::max(s.select_start, s.select_end);
  if (start == end)
    start = end = s.cursor;
}

void ITextEntryControl::CommitEdit()
{
  if (!mEditing)
    return;
  mEditing = false;
  const std::string result = GetEditText();
  if (IGraphics* ui = GetUI())
  {
    ui->SetControlValueAfterTextEdit(result.c_str());
    ui->SetAllControlsDirty();
  }
}

void ITextEntryControl::CancelEdit()
{
  if (!mEditing)
    return;
  mEditing = false;
  if (IGraphics* ui = GetUI())
  {
    ui->ClearInTextEntryControl();
    ui->SetAllControlsDirty();
  }
}

bool ITextEntryControl::Accepts(char32_t c) const
{
  if (c < 0x20 || c == 0x7F || c == U'\uFFFD')
    return false;
  const char* set = mEditor->accepted;
  return !set || (c < 0x80 && std::strchr(set, static_cast<char>(c)) != nullptr);
}

void ITextEntryControl::InsertText(const char* text)
{
  Editor& e = *mEditor;
  for (char32_t c : DecodeUtf8(text))
  {
    if (!Accepts(c))
      continue;
    int selStart, selEnd;
    GetSelection(selStart, selEnd);
    if (e.maxLength > 0 && static_cast<int>(e.text.size()) - (selEnd - selStart) >= e.maxLength)
      break;
    stb_textedit_key(&e, &e.state, static_cast<int>(c));
  }
}

void ITextEntryControl::Changed() { SetDirty(false); }

bool ITextEntryControl::OnKeyDown(float, float, const IKeyPress& key)
{
  if (!mEditing)
    return false;
  Editor& e = *mEditor;
  const int shift = key.S ? STB_TEXTEDIT_K_SHIFT : 0;
  int move = 0;
  switch (key.VK)
  {
    case kVK_RETURN:
    case kVK_KEYPAD_ENTER:
    case kVK_TAB: CommitEdit(); return true;
    case kVK_ESCAPE: CancelEdit(); return true;
    case kVK_LEFT: move = key.C ? STB_TEXTEDIT_K_WORDLEFT : STB_TEXTEDIT_K_LEFT; break;
    case kVK_RIGHT: move = key.C ? STB_TEXTEDIT_K_WORDRIGHT : STB_TEXTEDIT_K_RIGHT; break;
    case kVK_HOME:
    case kVK_UP: move = STB_TEXTEDIT_K_LINESTART; break;
    case kVK_END:
    case kVK_DOWN: move = STB_TEXTEDIT_K_LINEEND; break;
    case kVK_BACK: move = STB_TEXTEDIT_K_BACKSPACE; break;
    case kVK_DELETE: move = STB_TEXTEDIT_K_DELETE; break;
    default: break;
  }
  if (move)
  {
    const bool edits = move == STB_TEXTEDIT_K_BACKSPACE || move == STB_TEXTEDIT_K_DELETE;
    stb_textedit_key(&e, &e.state, move | (edits ? 0 : shift));
    Changed();
    return true;
  }

  if (key.C && !key.A)
  {
    IGraphics* ui = GetUI();
    int selStart, selEnd;
    GetSelection(selStart, selEnd);
    switch (key.VK)
    {
      case 'A':
        e.state.select_start = 0;
        e.state.cursor = e.state.select_end = static_cast<int>(e.text.size());
        break;
      case 'C':
      case 'X':
        if (selEnd > selStart && ui)
        {
          ui->SetTextInClipboard(
            EncodeUtf8(e.text, static_cast<size_t>(selStart), static_cast<size_t>(selEnd)).c_str());
          if (key.VK == 'X')
            stb_textedit_cut(&e, &e.state);
        }
        break;
      case 'V':
        if (WDL_String pasted; ui && ui->GetTextFromClipboard(pasted))
          InsertText(pasted.Get());
        break;
      case 'Z': stb_textedit_key(&e, &e.state, key.S ? STB_TEXTEDIT_K_REDO : STB_TEXTEDIT_K_UNDO); break;
      case 'Y': stb_textedit_key(&e, &e.state, STB_TEXTEDIT_K_REDO); break;
      default: break;
    }
    Changed();
    return true;
  }

  if (key.utf8[0])
  {
    InsertText(key.utf8);
    Changed();
  }
  return true; // the field keeps every key while it is open
}

float ITextEntryControl::TextLeft() const
{
  const float width = mEditor->prefix.back();
  switch (mText.mAlign)
  {
    case ETextHAlign::Near: return mRECT.L + kInset;
    case ETextHAlign::Far: return mRECT.R - kInset - width;
    case ETextHAlign::Center: break;
  }
  return mRECT.MW() - 0.5f * width;
}

void ITextEntryControl::OnMouseDown(float x, float y, const IMouseMod&)
{
  if (!mEditing)
    return;
  if (!mRECT.Contains(x, y))
  {
    CommitEdit(); // a press elsewhere takes the focus away
    return;
  }
  stb_textedit_click(mEditor.get(), &mEditor->state, x - TextLeft(), 0.f);
  Changed();
}

void ITextEntryControl::OnMouseDrag(float x, float, float, float, const IMouseMod&)
{
  if (!mEditing)
    return;
  stb_textedit_drag(mEditor.get(), &mEditor->state, x - TextLeft(), 0.f);
  Changed();
}

void ITextEntryControl::OnMouseDblClick(float x, float y, const IMouseMod&)
{
  if (!mEditing || !mRECT.Contains(x, y))
    return;
  mEditor->state.select_start = 0;
  mEditor->state.cursor = mEditor->state.select_end = static_cast<int>(mEditor->text.size());
  Changed();
}

void ITextEntryControl::Draw(IGraphics& g)
{
  if (!mEditing)
    return;
  const Editor& e = *mEditor;
  g.FillRect(mText.mTextEntryBGColor, mRECT);
  const float left = TextLeft();
  int selStart, selEnd;
  GetSelection(selStart, selEnd);
  const float top = mRECT.MH() - 0.5f * mText.mSize - 1.f;
  const float bottom = mRECT.MH() + 0.5f * mText.mSize + 1.f;
  if (selEnd > selStart)
    g.FillRect(kSelectionColor, IRECT(left + e.prefix[selStart], top, left + e.prefix[selEnd], bottom));
  const std::string text = GetEditText();
  IText style = mText.WithFGColor(mText.mTextEntryFGColor).WithAlign(ETextHAlign::Near);
  g.DrawText(style, text.c_str(), IRECT(left, mRECT.T, std::max(left + e.prefix.back(), mRECT.R), mRECT.B));
  if (selEnd == selStart)
  {
    const float x =
      left + e.prefix[static_cast<size_t>(std::clamp(e.state.cursor, 0, static_cast<int>(e.text.size())))];
    g.DrawLine(mText.mTextEntryFGColor, x, top, x, bottom);
  }
}

} // namespace iplug::igraphics
