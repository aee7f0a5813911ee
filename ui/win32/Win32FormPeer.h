#pragma once
// The real window of a form. Every control of the form is a child window of
// the form's window (also those inside group boxes, panels and tab sheets:
// their positions are made absolute), so that every notification arrives at
// the form's window procedure. The model is the truth: property changes are
// mirrored onto the controls, and user input is fed back through the model's
// User* calls and event handlers.
#include <windows.h>
#undef MessageBox
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Form.h"
#include "ui/Scaling.h"

namespace km27::ui {

class Win32Application;

class Win32FormPeer : public IFormPeer {
 public:
  Win32FormPeer(Win32Application& app, Form& form);
  ~Win32FormPeer() override;
  Win32FormPeer(const Win32FormPeer&) = delete;
  Win32FormPeer& operator=(const Win32FormPeer&) = delete;

  // ---- IFormPeer ----
  void Changed(Component& c, Prop p) override;
  void ShowChanged(bool showing) override;
  void BringToFront() override;
  void SetFocus(Control& c) override;
  void Popup(PopupMenu& m, int x, int y) override;
  void Minimize() override;
  void Restore() override;
  size_t TextLimit(Control& c) override;

  // Makes the window and every control from the model (once; later calls
  // only add controls created since).
  void Realize();
  HWND Hwnd() const { return hwnd_; }
  Form& GetForm() const { return form_; }
  // The child window of a control (nullptr before Realize or for components
  // without one: timers, actions, menus, tab sheets).
  HWND ControlWindow(const Component& c) const;
  // The application is going away: no more calls into it.
  void Detach() { app_ = nullptr; }

  // Modal show: the windows disabled for it, re-enabled as it hides.
  void SetDisabledForModal(std::vector<HWND> windows) { disabledForModal_ = std::move(windows); }
  void ReenableAfterModal();

 private:
  struct Item {
    Control* control = nullptr;
    HWND hwnd = nullptr;
    int id = 0;
    std::vector<HWND> radios;         // a radio group's buttons
    std::vector<TabSheet*> tabs;      // a page control's visible sheets, in tab order
    std::vector<Control*> buttons;    // a tool bar's buttons, by command id - 1
    HIMAGELIST images = nullptr;      // a tool bar's pictures, a list view's row pictures, a speed button's picture
    HFONT font = nullptr;
    size_t mirrored = 0;              // an edit's text length the control holds
  };

  // ---- the window, dispatch and lookups (Win32FormPeer.cpp) ----
  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  void OnCommand(WPARAM wp, LPARAM lp);
  // Whether an enabled, visible default (Enter) or cancel (Esc) button exists.
  bool HasDialogButton(bool isDefault);
  LRESULT OnNotify(NMHDR* nm, bool& handled);
  LRESULT OnCtlColor(UINT msg, HDC dc, HWND ctl, bool& handled);
  // The pointer over a control that asks for its own; false: the default one.
  bool OnSetCursor(HWND ctl);
  // Whether the control lies on a page of a page control that shows its tabs.
  bool OnTabbedPage(const Control& c);
  void CreateFormWindow();
  Item* EnsureItem(Control& c);
  Item* Find(const Component& c);
  Item* FindWindowItem(HWND hwnd);
  void CreateControlWindow(Item& item);
  void ApplyAll(Item& item);
  void Apply(Item& item, Prop p);
  void ApplyText(Item& item);
  void ApplyItems(Item& item);
  void ApplyItemIndex(Item& item);
  void Guard(const std::function<void()>& fn);

  // ---- layout, visibility, fonts, colours, hints (Win32PeerLayout.cpp) ----
  void ApplyFont(Item& item);
  void ApplyTooltip(Item& item);
  void ApplyVisibility();
  void FixZOrder();
  void Layout();
  // A length of the design (96 dpi) on this screen.
  int Scale(int v) const { return ScaleLength(v, dpi_); }
  bool EffectiveVisible(Control& c);
  HFONT FontFor(const Font& f);
  HBRUSH BrushFor(uint32_t color);
  void PlaceOnFirstShow();

  // ---- labels, buttons, check boxes, radio groups (Win32PeerButtons.cpp) ----
  void ApplyChecked(Item& item);
  void ApplyButtonImage(Item& item);
  void ApplyRadioItems(Item& item);
  void ApplyRadioIndex(Item& item);
  void LayoutRadios(Item& item, const RECT& r);
  void ButtonCommand(Item& item, HWND ctl, int code);
  // A line's window: its rectangle (room for the pen across a flat line) and
  // its shape (only the line's pixels belong to it).
  // A line's pen is as many screen pixels wide as its design width at this DPI.
  int LinePenWidth(const TLine& line) const;
  RECT LineRect(const TLine& line, const RECT& r) const;
  void ApplyLineShape(Item& item);

  // ---- edits and memos (Win32PeerEdits.cpp) ----
  // A group's inside on a page with tabs takes the page's window colour.
  static LRESULT CALLBACK GroupSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  static LRESULT CALLBACK ControlSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                          DWORD_PTR ref);
  LRESULT HandleControlMessage(Item& item, HWND hwnd, UINT msg, WPARAM& wp, LPARAM lp, bool& handled);
  void ApplyEditText(Item& item);
  void ApplyLines(Item& item);
  void ApplyEditSelection(Item& item);
  void EditCommand(Item& item, HWND ctl, int code);
  // The model takes the selection the user made in the control.
  void SyncEditSelection(Edit& e, HWND hwnd);
  // Key notation input: the filter wraps the edit's window procedure while set.
  void ApplyInputFilter(Item& item);
  static LRESULT CALLBACK NotationFilter(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  // The filter refused a character: the simple beep.
  void RefusedTyping();

  // ---- combo boxes, list boxes, list views (Win32PeerLists.cpp) ----
  void ApplyListItems(Item& item);
  void ApplyListIndex(Item& item);
  void ApplyColumns(Item& item);
  void ApplyRows(Item& item);
  void ApplyListSelection(Item& item);
  void ApplyListStyle(Item& item);     // grid lines, whole-row selection, check boxes
  void ApplySmallImages(Item& item);   // the row pictures
  void ApplyRowImages(Item& item);
  void ListCommand(Item& item, HWND ctl, int code);
  LRESULT ListViewNotify(Item& item, NMHDR* nm, bool& handled);

  // ---- page controls, tab controls, up-downs, tool bars (Win32PeerPages.cpp) ----
  void ApplyTabs(Item& item);
  void ApplyTabItems(Item& item);
  void ApplyTabIndex(Item& item);
  void ApplyRange(Item& item);
  LRESULT PageNotify(Item& item, NMHDR* nm, bool& handled);

  // ---- tool bars (Win32PeerToolBar.cpp) ----
  void ApplyToolButtons(Item& item);
  void ToolBarCommand(Item& item, int id);

  Win32Application* app_;
  Form& form_;
  int dpi_;  // the screen's resolution: the designed layout is scaled to it
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  bool realized_ = false;
  bool placed_ = false;
  int updating_ = 0;  // > 0 while the model's state is written to a control
  int showing_ = 0;   // > 0 while the model shows or hides the window
  int nextId_ = 1000;
  std::vector<std::unique_ptr<Item>> items_;  // in creation order
  std::map<const Component*, Item*> byComponent_;
  std::map<HWND, Item*> byWindow_;
  std::map<std::string, HFONT> fonts_;
  std::map<uint32_t, HBRUSH> brushes_;
  std::vector<HWND> disabledForModal_;
  HWND activeBeforeModal_ = nullptr;
  HWND lastFocus_ = nullptr;  // the control that had the focus when the window was deactivated
};

}  // namespace km27::ui
