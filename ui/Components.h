#pragma once
// Toolkit-neutral model of the program's windows: forms that own named
// components. The model is the truth; a platform peer (IFormPeer) mirrors it
// on screen and feeds user input back through the components' event handlers.
// Every property setter notifies the peer with the property that changed, so
// the Win32 renderer can update the real control and the fake toolkit can
// record the change.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace km27::ui {

class Form;
class Action;
class PopupMenu;
class ImageList;

enum class Kind {
  Form, Label, Button, SpeedButton, Edit, Memo, CheckBox, RadioGroup, GroupBox, ComboBox, ListBox,
  ListView, PageControl, TabSheet, TabControl, UpDown, Panel, Bevel, Shape, Line, Timer, Action,
  PopupMenu, MenuItem, ToolBar, ToolButton, ImageList
};

enum class Prop {
  Caption, Hint, ShowHint, Enabled, Visible, Bounds, Font, Color, Checked, Down, Items, ItemIndex,
  Text, Lines, Selection, ReadOnly, MaxLength, Columns, Rows, TabVisible, ActivePage, Range,
  Position, Action, Interval, ImageIndex, Cursor, CheckBoxes, Images, InputFilter, Pen, Parent, Other
};

// The mouse pointer over a control.
enum class Cursor { Default, HandPoint };

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

struct Font {
  std::string name = "Tahoma";
  int size = 9;      // points
  int height = 0;    // pixels; when not 0 it wins over size (the monitor's 13 px Courier New)
  int charSet = 1;   // 1 = the system default character set
  bool bold = false;
  uint32_t color = 0xFFFFFFFF;  // text colour 0x00BBGGRR; 0xFFFFFFFF = the window text colour
  bool fixedPitch = false;      // monospaced: where the named face is missing, another monospaced one
  bool operator==(const Font&) const = default;
};

// Base of everything a form owns. Names are the component names of the
// window's design; language files address components by them.
class Component {
 public:
  Component(Form* owner, Kind kind, std::string name);
  virtual ~Component() = default;
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  const std::string& Name() const { return name_; }
  Kind GetKind() const { return kind_; }
  Form* Owner() const { return owner_; }

  // Opaque slot for the platform peer (window handle, recorder entry...).
  void* peerData = nullptr;

 protected:
  void Changed(Prop p);

  // Stores a property value and tells the peer, but only when it changes,
  // so the renderer never repaints for nothing.
  template <typename T>
  bool Assign(T& field, const T& value, Prop p) {
    if (field == value) return false;
    field = value;
    Changed(p);
    return true;
  }

  // Moves this component's binding from `current` to `next` (either may be null).
  void Rebind(Action*& current, Action* next);

 private:
  Form* owner_;
  Kind kind_;
  std::string name_;
};

// Which edges of its parent a control keeps its distance to when the parent
// is resized (left and top: it stays put; left and right: it stretches).
enum Anchor { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

// A visible component. Caption is the text of labels, buttons, check boxes,
// group boxes, tab sheets and forms; edits and combo boxes use Text.
class Control : public Component {
 public:
  Control(Form* owner, Kind kind, std::string name, Control* parent);

  Control* Parent() const { return parent_; }
  const std::vector<Control*>& Children() const { return children_; }
  // Moves the control onto another parent (of the same form); its bounds are
  // then taken in the new parent's coordinates. nullptr puts it on the form.
  void SetParent(Control* parent);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  const Rect& Bounds() const { return bounds_; }
  void SetBounds(const Rect& r);
  void SetBounds(int left, int top, int width, int height) { SetBounds(Rect{left, top, width, height}); }
  const Font& GetFont() const { return font_; }
  void SetFont(const Font& f);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v) { parentFont_ = v; }
  // The font in force: its own, or the nearest parent's while ParentFont.
  const Font& EffectiveFont() const;
  int Anchors = akLeft | akTop;
  uint32_t Color() const { return color_; }  // 0x00BBGGRR; 0xFFFFFFFF = default
  void SetColor(uint32_t c);

  Cursor GetCursor() const { return cursor_; }
  void SetCursor(Cursor c);

  // Action binding (buttons, speed buttons, tool buttons): the linked
  // properties follow the action; a click executes it. A control that keeps
  // a caption or visibility of its own links only the rest.
  enum ActionLink { alCaption = 1, alEnabled = 2, alVisible = 4, alImage = 8, alAll = 15 };
  Action* GetAction() const { return action_; }
  void SetAction(Action* a, int links = alAll);
  int ActionLinks() const { return actionLinks_; }

  std::function<void()> OnClick;

  // Called by the peer (or a test) when the user clicks the control.
  virtual void Click();

 private:
  friend class Action;
  void AddChild(Control* c) { children_.push_back(c); }

  Control* parent_;
  std::vector<Control*> children_;
  std::string caption_, hint_;
  bool showHint_ = false, enabled_ = true, visible_ = true, parentFont_ = true;
  Rect bounds_;
  Font font_;
  uint32_t color_ = 0xFFFFFFFF;
  Cursor cursor_ = Cursor::Default;
  Action* action_ = nullptr;
  int actionLinks_ = alAll;

 protected:
  // The bound action changed (or was just bound): take over the linked properties.
  virtual void ActionChanged(const Action& a);
};

class Label : public Control {
 public:
  Label(Form* owner, std::string name, Control* parent = nullptr) : Control(owner, Kind::Label, std::move(name), parent) {}
  // Where the text goes in the label's bounds (set at design time): a
  // centred label also centres its single line vertically.
  enum class Align { Left, Center } Alignment = Align::Left;
};

class Button : public Control {
 public:
  Button(Form* owner, std::string name, Control* parent = nullptr) : Control(owner, Kind::Button, std::move(name), parent) {}
  bool Default = false;  // Enter presses it
  bool Cancel = false;   // Esc presses it
};

// A push button that can stay pressed (Down), with an optional picture.
class SpeedButton : public Control {
 public:
  SpeedButton(Form* owner, std::string name, Control* parent = nullptr)
      : Control(owner, Kind::SpeedButton, std::move(name), parent) {}
  bool Down() const { return down_; }
  // Down with a GroupIndex: the other buttons of that group on the same
  // parent go up (one of them is down at a time).
  void SetDown(bool v);
  int GroupIndex = 0;  // not 0: the button stays down when clicked
  bool AllowAllUp = true;
  bool Flat = false;   // no border of its own (a link-like button)
  // The picture beside the caption: picture ImageIndex of Images (-1: none);
  // a button bound to an action follows the action's picture (alImage).
  ImageList* Images = nullptr;
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  void Click() override;

 protected:
  void ActionChanged(const Action& a) override;

 private:
  bool down_ = false;
  int imageIndex_ = -1;
};

class Edit : public Control {
 public:
  Edit(Form* owner, std::string name, Control* parent = nullptr) : Control(owner, Kind::Edit, std::move(name), parent) {}
  Edit(Form* owner, Kind kind, std::string name, Control* parent) : Control(owner, kind, std::move(name), parent) {}

  const std::string& Text() const { return text_; }
  void SetText(const std::string& v);     // fires OnChange
  int SelStart() const { return selStart_; }
  int SelLength() const { return selLength_; }
  void SetSelection(int start, int length);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  int MaxLength() const { return maxLength_; }  // 0: no limit
  void SetMaxLength(int v);

  // Replaces the selection with `text` and puts the caret after it.
  void InsertAtCaret(const std::string& text);

  // Key notation input (a key notation edit while it is in use): a typed
  // character above 126 is dropped, and a double-byte character of the ANSI
  // code page (its lead byte, with the trail byte 0x40-0xFF when that waits
  // right behind it) is refused with the simple beep. On Windows the edit's
  // window procedure is wrapped while it is set.
  bool KeyNotationInput() const { return keyNotationInput_; }
  void SetKeyNotationInput(bool v);

  std::function<void()> OnChange;
  // A character typed by the user; set it to 0 to swallow it or change it.
  std::function<void(char& key)> OnKeyPress;
  // A key released (virtual-key code and shift state bits: 1 Shift, 2 Ctrl, 4 Alt).
  std::function<void(uint16_t& key, int shift)> OnKeyDown;
  std::function<void(uint16_t& key, int shift)> OnKeyUp;
  std::function<void()> OnEnter;  // focus arrives
  std::function<void()> OnExit;   // focus leaves
  // The mouse moved over the edit (shift state bits as above; client
  // coordinates). The selection is the user's current one.
  std::function<void(int shift, int x, int y)> OnMouseMove;

  // The user types one character: OnKeyPress may swallow or change it, then it
  // is inserted at the caret (Enter in a memo inserts CR LF). Used by the peer
  // and by tests.
  virtual void TypeChar(char c);
  // Characters typed in one burst, as they wait together in the platform's
  // queue: each goes through the key notation filter (when set), then TypeChar.
  void TypeChars(const std::string& chars);

  // Text set by the user through the platform control (no echo back to the peer).
  void UserSetText(const std::string& v);
  // Selection made by the user in the platform control (no echo back to the peer).
  void UserSetSelection(int start, int length);

 protected:
  std::string text_;
  int selStart_ = 0, selLength_ = 0;
  bool readOnly_ = false;
  int maxLength_ = 0;
  bool keyNotationInput_ = false;
};

// What the key notation filter does with one typed character: types it,
// drops it, or refuses it as the lead byte of a double-byte character.
enum class NotationChar { Type, Drop, LeadByte };
NotationChar ClassifyNotationChar(unsigned char c);
// A byte that can end a double-byte character of the ANSI code page.
inline bool IsTrailByte(unsigned char c) { return c >= 0x40; }

// Multi-line text; Text() is the lines joined with CR LF. Lines() follows the
// usual list-of-lines view: a trailing line break does not start another line.
class Memo : public Edit {
 public:
  Memo(Form* owner, std::string name, Control* parent = nullptr) : Edit(owner, Kind::Memo, std::move(name), parent) {}
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);
  // Appends a line (and a line break) after the last one and puts the caret at
  // the end; returns false, changing nothing, when the view can hold no more
  // text. Notifies Prop::Lines: the old text is a prefix of the new one.
  bool AddLine(const std::string& line);
  void Clear() { SetText(""); }
  size_t Capacity = 0;  // maximum text length in bytes; 0: the platform's limit
  // The limit AddLine works with: Capacity, else the peer's (0: none).
  size_t TextLimit() const;
  bool WordWrap = false;
  bool ScrollBars = true;
  void TypeChar(char c) override;
};

class CheckBox : public Control {
 public:
  CheckBox(Form* owner, std::string name, Control* parent = nullptr) : Control(owner, Kind::CheckBox, std::move(name), parent) {}
  bool Checked() const { return checked_; }
  void SetChecked(bool v);  // fires OnClick when it changes, like the real control
  void Click() override;    // toggles

 private:
  bool checked_ = false;
};

// Controls with an item list and a selected index (-1: none).
class ItemsControl : public Control {
 public:
  ItemsControl(Form* owner, Kind kind, std::string name, Control* parent) : Control(owner, kind, std::move(name), parent) {}
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);  // keeps the index when still valid, else -1
  void AddItem(const std::string& item);
  void ClearItems();
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int i);  // out of range becomes -1; does not fire OnChange
  std::function<void()> OnChange;
  // The user picks an item: sets the index and fires OnClick / OnChange.
  virtual void UserSelect(int i);

 protected:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

class RadioGroup : public ItemsControl {
 public:
  RadioGroup(Form* owner, std::string name, Control* parent = nullptr)
      : ItemsControl(owner, Kind::RadioGroup, std::move(name), parent) {}
  int Columns = 1;
  // The items the group was built with, kept by the language loader when a
  // file first replaces them: a file that lists fewer takes the rest from here.
  std::vector<std::string> BuiltInItems;
};

class GroupBox : public Control {
 public:
  GroupBox(Form* owner, std::string name, Control* parent = nullptr) : Control(owner, Kind::GroupBox, std::move(name), parent) {}
};

class ComboBox : public ItemsControl {
 public:
  ComboBox(Form* owner, std::string name, Control* parent = nullptr)
      : ItemsControl(owner, Kind::ComboBox, std::move(name), parent) {}
  // The edit text: the selected item, or what was set / typed.
  const std::string& Text() const { return text_; }
  void SetText(const std::string& v);  // leaves the index alone (-1 unless v equals the current item)
  bool Editable = false;               // drop-down (editable) vs drop-down list
  void UserSelect(int i) override;
  void UserSetText(const std::string& v);

 private:
  friend class ItemsControl;
  std::string text_;
};

class ListBox : public ItemsControl {
 public:
  ListBox(Form* owner, std::string name, Control* parent = nullptr) : ItemsControl(owner, Kind::ListBox, std::move(name), parent) {}
};

struct ListColumn {
  std::string title;
  int width = 50;
};

struct ListRow {
  std::string caption;
  std::vector<std::string> subItems;
  bool checked = false;
  int imageIndex = -1;
  bool selected = false;
};

// Report-style list view.
class ListView : public Control {
 public:
  ListView(Form* owner, std::string name, Control* parent = nullptr) : Control(owner, Kind::ListView, std::move(name), parent) {}
  // Check boxes in front of the rows (set at design time, or later through
  // SetCheckBoxes). The rows keep their marks while the boxes are hidden.
  bool CheckBoxes = false;
  void SetCheckBoxes(bool v);
  // The pictures of the rows (ListRow::imageIndex); nullptr: no pictures.
  ImageList* SmallImages() const { return smallImages_; }
  void SetSmallImages(ImageList* images);
  bool GridLines = false;
  const std::vector<ListColumn>& Columns() const { return columns_; }
  void SetColumns(const std::vector<ListColumn>& c);
  void SetColumnTitle(size_t i, const std::string& title);
  const std::vector<ListRow>& Rows() const { return rows_; }
  void SetRows(const std::vector<ListRow>& rows);
  void AddRow(const ListRow& row);
  void SetRow(size_t i, const ListRow& row);
  void DeleteRow(size_t i);
  void ClearRows();
  int SelectedIndex() const;           // first selected row, -1 if none
  void SetSelectedIndex(int i);        // selects one row (or none with -1)
  void SetChecked(size_t i, bool v);
  void SetRowImage(size_t i, int image);
  bool RowSelect = true;
  bool MultiSelect = false;
  std::function<void()> OnSelectItem;  // selection changed
  std::function<void(size_t)> OnCheck; // a row's check box toggled by the user
  std::function<void()> OnDblClick;
  // The user selects a row / toggles a check box.
  void UserSelect(int i);
  void UserCheck(size_t i, bool v);
  // The user clicks on row i (-1: below the rows): the row is selected, then
  // OnClick runs, also when the row was selected already.
  void UserClick(int i);

 private:
  std::vector<ListColumn> columns_;
  std::vector<ListRow> rows_;
  ImageList* smallImages_ = nullptr;
};

class TabSheet : public Control {
 public:
  TabSheet(Form* owner, std::string name, Control* parent) : Control(owner, Kind::TabSheet, std::move(name), parent) {}
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v);

 private:
  bool tabVisible_ = true;
};

class PageControl : public Control {
 public:
  PageControl(Form* owner, std::string name, Control* parent = nullptr)
      : Control(owner, Kind::PageControl, std::move(name), parent) {}
  std::vector<TabSheet*> Pages() const;
  TabSheet* ActivePage() const { return active_; }
  void SetActivePage(TabSheet* page);  // fires OnChange
  std::function<void()> OnChange;
  std::function<void(bool& allow)> OnChanging;
  void UserSelect(TabSheet* page);     // OnChanging may refuse

 private:
  TabSheet* active_ = nullptr;
};

// A row of tabs over one area (the controls on it stay; the program shows
// what the chosen tab stands for).
class TabControl : public ItemsControl {
 public:
  TabControl(Form* owner, std::string name, Control* parent = nullptr)
      : ItemsControl(owner, Kind::TabControl, std::move(name), parent) {}
  // Asked before the user's change of tab; clearing `allow` keeps the tab.
  std::function<void(bool& allow)> OnChanging;
  // The user picks a tab: OnChanging may refuse, else the index changes and
  // OnClick / OnChange run.
  void UserSelect(int i) override;
  // The two halves of UserSelect, for a platform that asks before it changes
  // its tab and reports the change afterwards.
  bool UserMayChange();
  void UserSelected(int i) { ItemsControl::UserSelect(i); }
};

// Arrows that step a number within a range. Bound to an edit (Associate),
// the edit shows the position and a number typed into it is the position
// (held to the range); a text that is no number leaves the last position.
class UpDown : public Control {
 public:
  UpDown(Form* owner, std::string name, Control* parent = nullptr) : Control(owner, Kind::UpDown, std::move(name), parent) {}
  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetRange(int mn, int mx);
  int Position() const;
  void SetPosition(int p);  // clamped; updates the associated edit's text
  Edit* Associate = nullptr;
  std::function<void()> OnChange;
  void UserSetPosition(int p);

 private:
  int min_ = 0, max_ = 100, pos_ = 0;
};

// The diagonal a line is drawn along, named by the corner of its bounds
// where it starts: lsLeftTop runs to the right bottom corner, lsLeftBottom
// to the right top, lsRightBottom to the left top, lsRightTop to the left
// bottom.
enum LineStart { lsLeftTop, lsLeftBottom, lsRightBottom, lsRightTop };

struct Pen {
  uint32_t color = 0;  // 0x00BBGGRR
  int width = 1;       // pixels
  bool operator==(const Pen&) const = default;
};

// A graphic control that draws one straight line with its pen from corner to
// corner of its bounds (a bound of width or height 0 gives a vertical or
// horizontal line). The end points can also be set directly: the bounds then
// become the rectangle they span and StartPos the corner of the first point.
class TLine : public Control {
 public:
  TLine(Form* owner, std::string name, Control* parent = nullptr) : Control(owner, Kind::Line, std::move(name), parent) {}
  LineStart StartPos() const { return startPos_; }
  void SetStartPos(LineStart v);
  const ui::Pen& GetPen() const { return pen_; }
  void SetPen(const ui::Pen& v);
  // The end points in the parent's coordinates.
  int X1() const;
  int Y1() const;
  int X2() const;
  int Y2() const;
  void SetX1(int v) { SetPoints(v, Y1(), X2(), Y2()); }
  void SetY1(int v) { SetPoints(X1(), v, X2(), Y2()); }
  void SetX2(int v) { SetPoints(X1(), Y1(), v, Y2()); }
  void SetY2(int v) { SetPoints(X1(), Y1(), X2(), v); }
  void SetPoints(int x1, int y1, int x2, int y2);

 private:
  LineStart startPos_ = lsLeftTop;
  ui::Pen pen_;
};

// Panels, bevels and shapes: containers and decoration.
class Panel : public Control {
 public:
  Panel(Form* owner, std::string name, Control* parent = nullptr, Kind kind = Kind::Panel)
      : Control(owner, kind, std::move(name), parent) {}
};

// A picture of a tool bar: width x height pixels, rows from the top, each
// pixel 0xAARRGGBB (alpha 0: transparent).
struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};

// The pictures a tool bar shows, by index.
class ImageList : public Component {
 public:
  ImageList(Form* owner, std::string name, int width, int height)
      : Component(owner, Kind::ImageList, std::move(name)), width_(width), height_(height) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::vector<Image>& Images() const { return images_; }
  // Adds a picture of the list's size; returns its index (-1 for a picture of another size).
  int Add(const Image& image);

  // Pictures drawn in code are drawn again at the size a screen needs (32
  // pixels become 48 at 144 dpi): the painter draws picture `index` at
  // width x height. Without one the pictures are resampled.
  using Painter = std::function<Image(size_t index, int width, int height)>;
  void SetPainter(Painter p) { painter_ = std::move(p); }
  // Every picture at width x height pixels.
  std::vector<Image> ImagesAt(int width, int height) const;

 private:
  int width_, height_;
  std::vector<Image> images_;
  Painter painter_;
};

class ToolButton;

// A row of buttons with pictures and captions, usually bound to actions.
// Its buttons are the ToolButtons made with the tool bar as their parent.
class ToolBar : public Control {
 public:
  ToolBar(Form* owner, std::string name, Control* parent = nullptr) : Control(owner, Kind::ToolBar, std::move(name), parent) {}
  std::vector<ToolButton*> Buttons() const;
  ImageList* Images = nullptr;
  bool ShowCaptions = true;
  int ButtonWidth = 80, ButtonHeight = 50;
};

class ToolButton : public Control {
 public:
  ToolButton(Form* owner, std::string name, ToolBar* bar) : Control(owner, Kind::ToolButton, std::move(name), bar) {}
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  // Pressed in: the one button of its group (Grouped) that shows the current choice.
  bool Down() const { return down_; }
  void SetDown(bool v);
  bool Grouped = false;
  void Click() override;  // a grouped button goes down, its group's others up

 protected:
  void ActionChanged(const Action& a) override;

 private:
  int imageIndex_ = -1;
  bool down_ = false;
};

class Action : public Component {
 public:
  Action(Form* owner, std::string name) : Component(owner, Kind::Action, std::move(name)) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  std::function<void()> OnExecute;
  // Runs OnExecute when enabled; returns whether it ran.
  bool Execute();

  // Controls and menu items bound to this action.
  std::vector<Component*> clients;

 private:
  void Propagate();
  std::string caption_;
  bool enabled_ = true, visible_ = true;
  int imageIndex_ = -1;
};

class MenuItem : public Component {
 public:
  MenuItem(Form* owner, std::string name, PopupMenu* menu);
  const std::string& Caption() const { return caption_; }  // "-" is a separator
  void SetCaption(const std::string& v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Default = false;
  Action* GetAction() const { return action_; }
  void SetAction(Action* a);
  std::function<void()> OnClick;
  void Click();  // executes the action or OnClick
  PopupMenu* Menu() const { return menu_; }

 private:
  friend class Action;
  PopupMenu* menu_;
  Action* action_ = nullptr;
  std::string caption_;
  bool enabled_ = true, visible_ = true;
};

class PopupMenu : public Component {
 public:
  PopupMenu(Form* owner, std::string name) : Component(owner, Kind::PopupMenu, std::move(name)) {}
  const std::vector<MenuItem*>& Items() const { return items_; }
  bool AutoPopup = true;
  std::function<void()> OnPopup;

 private:
  friend class MenuItem;
  std::vector<MenuItem*> items_;
};

class Timer : public Component {
 public:
  Timer(Form* owner, std::string name, uint32_t interval = 1000, bool enabled = true);
  ~Timer() override;
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t ms);  // 0 stops the timer
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);        // enabling an enabled timer does not restart it
  bool Running() const { return enabled_ && interval_ > 0; }
  std::function<void()> OnTimer;
  void Fire() {
    if (OnTimer) OnTimer();
  }

 private:
  uint32_t interval_;
  bool enabled_;
};

}  // namespace km27::ui
