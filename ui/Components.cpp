#include "ui/Components.h"

#include <algorithm>
#include <cstdlib>

#include "common/CodePage.h"
#include "common/TextHelpers.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Scaling.h"

namespace km27::ui {

Component::Component(Form* owner, Kind kind, std::string name) : owner_(owner), kind_(kind), name_(std::move(name)) {}

void Component::Changed(Prop p) {
  if (owner_) {
    owner_->NotifyChanged(*this, p);
  } else if (kind_ == Kind::Form) {
    static_cast<Form*>(this)->NotifyChanged(*this, p);
  }
}

// ---- Control ----

Control::Control(Form* owner, Kind kind, std::string name, Control* parent)
    : Component(owner, kind, std::move(name)), parent_(parent ? parent : owner) {
  if (parent_ && parent_ != this) parent_->AddChild(this);
  if (kind == Kind::Form) parent_ = nullptr;
}

void Control::SetParent(Control* parent) {
  if (!parent) parent = Owner();
  if (parent == parent_ || parent == this || !parent_) return;
  for (const Control* p = parent; p; p = p->parent_)
    if (p == this) return;  // never beneath itself
  auto& old = parent_->children_;
  old.erase(std::remove(old.begin(), old.end(), this), old.end());
  parent_ = parent;
  parent_->AddChild(this);
  Changed(Prop::Parent);
}

void Control::SetCaption(const std::string& v) { Assign(caption_, v, Prop::Caption); }
void Control::SetHint(const std::string& v) { Assign(hint_, v, Prop::Hint); }
void Control::SetShowHint(bool v) { Assign(showHint_, v, Prop::ShowHint); }
void Control::SetEnabled(bool v) { Assign(enabled_, v, Prop::Enabled); }
void Control::SetVisible(bool v) { Assign(visible_, v, Prop::Visible); }
void Control::SetBounds(const Rect& r) {
  Assign(bounds_, r, Prop::Bounds);
}
void Control::SetFont(const Font& f) {
  parentFont_ = false;
  if (font_ == f) return;
  font_ = f;
  Changed(Prop::Font);
}
const Font& Control::EffectiveFont() const {
  const Control* c = this;
  while (c->parentFont_ && c->parent_) c = c->parent_;
  return c->font_;
}

void Control::SetColor(uint32_t c) {
  Assign(color_, c, Prop::Color);
}

void Component::Rebind(Action*& current, Action* next) {
  if (current) {
    auto& cl = current->clients;
    cl.erase(std::remove(cl.begin(), cl.end(), this), cl.end());
  }
  current = next;
  if (next) next->clients.push_back(this);
}

void Control::SetCursor(Cursor c) { Assign(cursor_, c, Prop::Cursor); }

void Control::SetAction(Action* a, int links) {
  Rebind(action_, a);
  actionLinks_ = links;
  if (a) ActionChanged(*a);
  Changed(Prop::Action);
}

void Control::ActionChanged(const Action& a) {
  if (actionLinks_ & alCaption) SetCaption(a.Caption());
  if (actionLinks_ & alEnabled) SetEnabled(a.Enabled());
  if (actionLinks_ & alVisible) SetVisible(a.Visible());
}

void Control::Click() {
  if (!enabled_) return;
  if (action_) {
    action_->Execute();
  } else if (OnClick) {
    OnClick();
  }
}

// ---- SpeedButton ----

void SpeedButton::SetDown(bool v) {
  if (!Assign(down_, v, Prop::Down) || !v || GroupIndex == 0 || !Parent()) return;
  for (Control* c : Parent()->Children())
    if (auto* other = dynamic_cast<SpeedButton*>(c); other && other != this && other->GroupIndex == GroupIndex)
      other->SetDown(false);
}

void SpeedButton::SetImageIndex(int v) { Assign(imageIndex_, v, Prop::ImageIndex); }

void SpeedButton::ActionChanged(const Action& a) {
  Control::ActionChanged(a);
  if (ActionLinks() & alImage) SetImageIndex(a.ImageIndex());
}

void SpeedButton::Click() {
  if (!Enabled()) return;
  if (GroupIndex != 0) SetDown(AllowAllUp ? !down_ : true);
  Control::Click();
}

// ---- Edit ----

namespace {

// Keeps a selection inside a text that may just have become shorter.
void ClampSelection(const std::string& text, int& start, int& length) {
  const int n = static_cast<int>(text.size());
  if (start > n) start = n;
  if (start + length > n) length = n - start;
}

}  // namespace

void Edit::SetText(const std::string& v) {
  std::string t = (maxLength_ > 0 && v.size() > static_cast<size_t>(maxLength_)) ? v.substr(0, maxLength_) : v;
  if (text_ == t) return;
  text_ = t;
  ClampSelection(text_, selStart_, selLength_);
  Changed(Prop::Text);
  if (OnChange) OnChange();
}

// Text the user changed in the platform control: no echo back to the peer.
void Edit::UserSetText(const std::string& v) {
  if (text_ == v) return;
  text_ = v;
  ClampSelection(text_, selStart_, selLength_);
  if (OnChange) OnChange();
}

void Edit::UserSetSelection(int start, int length) {
  int n = static_cast<int>(text_.size());
  selStart_ = std::clamp(start, 0, n);
  selLength_ = std::clamp(length, 0, n - selStart_);
}

void Edit::SetSelection(int start, int length) {
  int n = static_cast<int>(text_.size());
  start = std::clamp(start, 0, n);
  length = std::clamp(length, 0, n - start);
  if (start == selStart_ && length == selLength_) return;
  selStart_ = start;
  selLength_ = length;
  Changed(Prop::Selection);
}

void Edit::SetReadOnly(bool v) { Assign(readOnly_, v, Prop::ReadOnly); }

void Edit::SetMaxLength(int v) { Assign(maxLength_, v, Prop::MaxLength); }

void Edit::InsertAtCaret(const std::string& text) {
  std::string t = text_;
  t.replace(static_cast<size_t>(selStart_), static_cast<size_t>(selLength_), text);
  int caret = selStart_ + static_cast<int>(text.size());
  selLength_ = 0;
  SetText(t);
  SetSelection(caret, 0);
  selStart_ = std::min(caret, static_cast<int>(text_.size()));
}

void Edit::SetKeyNotationInput(bool v) { Assign(keyNotationInput_, v, Prop::InputFilter); }

NotationChar ClassifyNotationChar(unsigned char c) {
  if (AnsiCodePage().IsLeadByte(c)) return NotationChar::LeadByte;
  return c > 126 ? NotationChar::Drop : NotationChar::Type;
}

void Edit::TypeChars(const std::string& chars) {
  for (size_t i = 0; i < chars.size(); ++i) {
    if (keyNotationInput_) {
      auto c = static_cast<unsigned char>(chars[i]);
      NotationChar verdict = ClassifyNotationChar(c);
      if (verdict == NotationChar::LeadByte) {
        if (i + 1 < chars.size() && IsTrailByte(static_cast<unsigned char>(chars[i + 1]))) ++i;
        if (auto* app = AppOrNull()) app->SimpleBeep();
        continue;
      }
      if (verdict == NotationChar::Drop) continue;
    }
    TypeChar(chars[i]);
  }
}

void Edit::TypeChar(char c) {
  if (OnKeyPress) OnKeyPress(c);
  if (c == 0 || readOnly_) return;
  if (c == '\b') {
    if (selLength_ > 0) {
      InsertAtCaret("");
    } else if (selStart_ > 0) {
      SetSelection(selStart_ - 1, 1);
      InsertAtCaret("");
    }
    return;
  }
  if (c == '\r' && GetKind() != Kind::Memo) return;
  // A full edit refuses more typing, as the platform control does.
  if (maxLength_ > 0 && text_.size() - static_cast<size_t>(selLength_) + 1 > static_cast<size_t>(maxLength_)) return;
  InsertAtCaret(std::string(1, c));
}

// ---- Memo ----

std::vector<std::string> Memo::Lines() const {
  std::vector<std::string> lines;
  if (text_.empty()) return lines;
  size_t pos = 0;
  for (;;) {
    size_t e = text_.find("\r\n", pos);
    if (e == std::string::npos) {
      lines.push_back(text_.substr(pos));
      break;
    }
    lines.push_back(text_.substr(pos, e - pos));
    pos = e + 2;
    if (pos == text_.size()) break;  // a trailing line break ends the last line
  }
  return lines;
}

void Memo::SetLines(const std::vector<std::string>& lines) {
  std::string t;
  for (const auto& l : lines) t += l + "\r\n";
  SetText(t);
}

size_t Memo::TextLimit() const {
  if (Capacity > 0) return Capacity;
  if (Owner() && Owner()->Peer()) return Owner()->Peer()->TextLimit(const_cast<Memo&>(*this));
  return 0;
}

bool Memo::AddLine(const std::string& line) {
  // A last line without its line break (typed by the user) is ended first.
  bool needBreak = !text_.empty() && (text_.size() < 2 || text_.compare(text_.size() - 2, 2, "\r\n") != 0);
  size_t newSize = text_.size() + (needBreak ? 2 : 0) + line.size() + 2;
  size_t limit = TextLimit();
  if (limit > 0 && newSize > limit) return false;
  if (needBreak) text_ += "\r\n";
  text_ += line;
  text_ += "\r\n";
  Changed(Prop::Lines);
  if (OnChange) OnChange();
  SetSelection(static_cast<int>(text_.size()), 0);
  return true;
}

void Memo::TypeChar(char c) {
  if (OnKeyPress) OnKeyPress(c);
  if (c == 0 || ReadOnly()) return;
  if (c == '\r') {
    InsertAtCaret("\r\n");
    return;
  }
  if (c == '\b') {
    Edit::TypeChar('\b');
    return;
  }
  InsertAtCaret(std::string(1, c));
}

// ---- CheckBox ----

void CheckBox::SetChecked(bool v) {
  if (Assign(checked_, v, Prop::Checked) && OnClick) OnClick();
}

void CheckBox::Click() {
  if (!Enabled()) return;
  SetChecked(!checked_);
}

// ---- ItemsControl ----

void ItemsControl::SetItems(const std::vector<std::string>& items) {
  items_ = items;
  Changed(Prop::Items);
  // A kept index shows the new item at that place: a combo box's text follows it.
  SetItemIndex(itemIndex_ < static_cast<int>(items_.size()) ? itemIndex_ : -1);
}

void ItemsControl::AddItem(const std::string& item) {
  items_.push_back(item);
  Changed(Prop::Items);
}

void ItemsControl::ClearItems() {
  items_.clear();
  Changed(Prop::Items);
  SetItemIndex(-1);
  if (auto* cb = dynamic_cast<ComboBox*>(this)) cb->SetText("");
}

void ItemsControl::SetItemIndex(int i) {
  if (i < -1 || i >= static_cast<int>(items_.size())) i = -1;
  if (auto* cb = dynamic_cast<ComboBox*>(this); cb && i >= 0) cb->text_ = items_[static_cast<size_t>(i)];
  if (itemIndex_ == i) return;
  itemIndex_ = i;
  Changed(Prop::ItemIndex);
}

void ItemsControl::UserSelect(int i) {
  if (!Enabled()) return;
  SetItemIndex(i);
  if (OnClick) OnClick();
  if (OnChange) OnChange();
}

void ComboBox::SetText(const std::string& v) {
  text_ = v;
  if (itemIndex_ >= 0 && items_[static_cast<size_t>(itemIndex_)] != v) {
    itemIndex_ = -1;
    Changed(Prop::ItemIndex);
  }
  Changed(Prop::Text);
}

void ComboBox::UserSelect(int i) { ItemsControl::UserSelect(i); }

void ComboBox::UserSetText(const std::string& v) {
  text_ = v;
  itemIndex_ = -1;
  for (size_t k = 0; k < items_.size(); ++k)
    if (items_[k] == v) itemIndex_ = static_cast<int>(k);
  if (OnChange) OnChange();
}

// ---- ListView ----

void ListView::SetColumns(const std::vector<ListColumn>& c) {
  columns_ = c;
  Changed(Prop::Columns);
}
void ListView::SetColumnTitle(size_t i, const std::string& title) {
  if (i >= columns_.size()) return;
  columns_[i].title = title;
  Changed(Prop::Columns);
}
void ListView::SetRows(const std::vector<ListRow>& rows) {
  rows_ = rows;
  Changed(Prop::Rows);
}
void ListView::AddRow(const ListRow& row) {
  rows_.push_back(row);
  Changed(Prop::Rows);
}
void ListView::SetRow(size_t i, const ListRow& row) {
  if (i >= rows_.size()) return;
  rows_[i] = row;
  Changed(Prop::Rows);
}
void ListView::DeleteRow(size_t i) {
  if (i >= rows_.size()) return;
  rows_.erase(rows_.begin() + static_cast<long>(i));
  Changed(Prop::Rows);
}
void ListView::ClearRows() {
  rows_.clear();
  Changed(Prop::Rows);
}
int ListView::SelectedIndex() const {
  for (size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].selected) return static_cast<int>(i);
  return -1;
}
void ListView::SetSelectedIndex(int i) {
  for (size_t k = 0; k < rows_.size(); ++k) rows_[k].selected = static_cast<int>(k) == i;
  Changed(Prop::Selection);
}
void ListView::SetChecked(size_t i, bool v) {
  if (i >= rows_.size() || rows_[i].checked == v) return;
  rows_[i].checked = v;
  Changed(Prop::Checked);
}
void ListView::SetCheckBoxes(bool v) { Assign(CheckBoxes, v, Prop::CheckBoxes); }
void ListView::SetSmallImages(ImageList* images) { Assign(smallImages_, images, Prop::Images); }
void ListView::SetRowImage(size_t i, int image) {
  if (i >= rows_.size() || rows_[i].imageIndex == image) return;
  rows_[i].imageIndex = image;
  Changed(Prop::ImageIndex);
}
void ListView::UserClick(int i) {
  if (!Enabled()) return;
  if (i != SelectedIndex()) UserSelect(i >= 0 && static_cast<size_t>(i) < rows_.size() ? i : -1);
  if (OnClick) OnClick();
}
void ListView::UserSelect(int i) {
  SetSelectedIndex(i);
  if (OnSelectItem) OnSelectItem();
}
void ListView::UserCheck(size_t i, bool v) {
  if (i >= rows_.size()) return;
  SetChecked(i, v);
  if (OnCheck) OnCheck(i);
}

// ---- Pages ----

void TabSheet::SetTabVisible(bool v) { Assign(tabVisible_, v, Prop::TabVisible); }

std::vector<TabSheet*> PageControl::Pages() const {
  std::vector<TabSheet*> pages;
  for (Control* c : Children())
    if (c->GetKind() == Kind::TabSheet) pages.push_back(static_cast<TabSheet*>(c));
  return pages;
}

void PageControl::SetActivePage(TabSheet* page) {
  if (active_ == page) return;
  active_ = page;
  Changed(Prop::ActivePage);
  if (OnChange) OnChange();
}

void PageControl::UserSelect(TabSheet* page) {
  bool allow = true;
  if (OnChanging) OnChanging(allow);
  if (allow) SetActivePage(page);
}

void TabControl::UserSelect(int i) {
  if (!Enabled() || !UserMayChange()) return;
  UserSelected(i);
}

bool TabControl::UserMayChange() {
  bool allow = true;
  if (OnChanging) OnChanging(allow);
  return allow;
}

// ---- TLine ----

void TLine::SetStartPos(LineStart v) { Assign(startPos_, v, Prop::Pen); }
void TLine::SetPen(const ui::Pen& v) { Assign(pen_, v, Prop::Pen); }

namespace {
bool StartsLeft(LineStart s) { return s == lsLeftTop || s == lsLeftBottom; }
bool StartsTop(LineStart s) { return s == lsLeftTop || s == lsRightTop; }
}  // namespace

int TLine::X1() const { return Bounds().left + (StartsLeft(startPos_) ? 0 : Bounds().width); }
int TLine::Y1() const { return Bounds().top + (StartsTop(startPos_) ? 0 : Bounds().height); }
int TLine::X2() const { return Bounds().left + (StartsLeft(startPos_) ? Bounds().width : 0); }
int TLine::Y2() const { return Bounds().top + (StartsTop(startPos_) ? Bounds().height : 0); }

void TLine::SetPoints(int x1, int y1, int x2, int y2) {
  const bool left = x1 <= x2, top = y1 <= y2;
  SetStartPos(left ? (top ? lsLeftTop : lsLeftBottom) : (top ? lsRightTop : lsRightBottom));
  SetBounds(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1), std::abs(y2 - y1));
}

// ---- UpDown ----

void UpDown::SetRange(int mn, int mx) {
  min_ = mn;
  max_ = mx;
  Changed(Prop::Range);
  SetPosition(pos_);
}

int UpDown::Position() const {
  if (Associate) {
    if (auto typed = ParseInt(TrimSpaces(Associate->Text()))) return std::clamp(*typed, min_, std::max(min_, max_));
  }
  return pos_;
}

void UpDown::SetPosition(int p) {
  p = std::clamp(p, min_, std::max(min_, max_));
  bool changed = p != pos_;
  pos_ = p;
  if (Associate) Associate->SetText(std::to_string(p));
  if (changed) Changed(Prop::Position);
}

void UpDown::UserSetPosition(int p) {
  SetPosition(p);
  if (OnChange) OnChange();
}

// ---- Tool bars ----

int ImageList::Add(const Image& image) {
  if (image.width != width_ || image.height != height_ ||
      image.pixels.size() != static_cast<size_t>(width_) * static_cast<size_t>(height_))
    return -1;
  images_.push_back(image);
  return static_cast<int>(images_.size()) - 1;
}

std::vector<Image> ImageList::ImagesAt(int width, int height) const {
  std::vector<Image> out;
  for (size_t i = 0; i < images_.size(); ++i) {
    if (width == width_ && height == height_) {
      out.push_back(images_[i]);
      continue;
    }
    Image drawn = painter_ ? painter_(i, width, height) : Image{};
    const bool fits = drawn.width == width && drawn.height == height &&
                      drawn.pixels.size() == static_cast<size_t>(width) * static_cast<size_t>(height);
    out.push_back(fits ? std::move(drawn) : ResampleImage(images_[i], width, height));
  }
  return out;
}

std::vector<ToolButton*> ToolBar::Buttons() const {
  std::vector<ToolButton*> buttons;
  for (Control* c : Children())
    if (c->GetKind() == Kind::ToolButton) buttons.push_back(static_cast<ToolButton*>(c));
  return buttons;
}

void ToolButton::SetImageIndex(int v) { Assign(imageIndex_, v, Prop::ImageIndex); }

void ToolButton::SetDown(bool v) {
  if (!Assign(down_, v, Prop::Down) || !v || !Grouped) return;
  // Only one button of a group is down.
  if (auto* bar = dynamic_cast<ToolBar*>(Parent()))
    for (ToolButton* other : bar->Buttons())
      if (other != this && other->Grouped) other->SetDown(false);
}

void ToolButton::Click() {
  if (!Enabled()) return;
  if (Grouped) SetDown(true);
  Control::Click();
}

void ToolButton::ActionChanged(const Action& a) {
  Control::ActionChanged(a);
  if (ActionLinks() & alImage) SetImageIndex(a.ImageIndex());
}

// ---- Action ----

void Action::Propagate() {
  for (Component* c : clients) {
    if (auto* ctl = dynamic_cast<Control*>(c)) {
      ctl->ActionChanged(*this);
    } else if (auto* mi = dynamic_cast<MenuItem*>(c)) {
      mi->SetCaption(caption_);
      mi->SetEnabled(enabled_);
      mi->SetVisible(visible_);
    }
  }
}

void Action::SetCaption(const std::string& v) {
  caption_ = v;
  Changed(Prop::Caption);
  Propagate();
}
void Action::SetEnabled(bool v) {
  enabled_ = v;
  Changed(Prop::Enabled);
  Propagate();
}
void Action::SetVisible(bool v) {
  visible_ = v;
  Changed(Prop::Visible);
  Propagate();
}
void Action::SetImageIndex(int v) {
  imageIndex_ = v;
  Changed(Prop::ImageIndex);
  Propagate();
}
bool Action::Execute() {
  if (!enabled_ || !OnExecute) return false;
  OnExecute();
  return true;
}

// ---- Menus ----

MenuItem::MenuItem(Form* owner, std::string name, PopupMenu* menu)
    : Component(owner, Kind::MenuItem, std::move(name)), menu_(menu) {
  if (menu_) menu_->items_.push_back(this);
}

void MenuItem::SetCaption(const std::string& v) { Assign(caption_, v, Prop::Caption); }
void MenuItem::SetEnabled(bool v) { Assign(enabled_, v, Prop::Enabled); }
void MenuItem::SetVisible(bool v) { Assign(visible_, v, Prop::Visible); }
void MenuItem::SetAction(Action* a) {
  Rebind(action_, a);
  if (a) {
    SetCaption(a->Caption());
    SetEnabled(a->Enabled());
    SetVisible(a->Visible());
  }
}
void MenuItem::Click() {
  if (!enabled_) return;
  if (action_) {
    action_->Execute();
  } else if (OnClick) {
    OnClick();
  }
}

// ---- Timer ----

Timer::Timer(Form* owner, std::string name, uint32_t interval, bool enabled)
    : Component(owner, Kind::Timer, std::move(name)), interval_(interval), enabled_(enabled) {
  if (Running())
    if (auto* app = AppOrNull()) app->TimerChanged(*this);
}

Timer::~Timer() {
  if (auto* app = AppOrNull()) app->TimerDestroyed(*this);
}

void Timer::SetInterval(uint32_t ms) {
  if (!Assign(interval_, ms, Prop::Interval)) return;
  if (auto* app = AppOrNull()) app->TimerChanged(*this);
}

void Timer::SetEnabled(bool v) {
  if (!Assign(enabled_, v, Prop::Enabled)) return;
  if (auto* app = AppOrNull()) app->TimerChanged(*this);
}

}  // namespace km27::ui
