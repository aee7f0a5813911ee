#pragma once
// The real window of a form on GTK 3. As in PuTTY's dialog code, each control
// has ONE record holding its widgets, found from the control (a hash map) and
// from any of its widgets (g_object_set_data). Every container control is a
// fixed-position container (GtkPeerSupport.h: NewFixed) holding its
// decoration (frame, notebook, panel face) and its child controls at their
// designed bounds, scaled; tab sheets are such containers laid over their
// page control's notebook. The model is the truth: property changes are
// mirrored onto the widgets while `updating_` is set (the signal handlers
// ignore them), and user input goes back through the model's User* calls.
#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/Form.h"
#include "ui/Scaling.h"

namespace km27::ui {

class GtkApplication;

class GtkFormPeer : public IFormPeer {
 public:
  GtkFormPeer(GtkApplication& app, Form& form);
  ~GtkFormPeer() override;
  GtkFormPeer(const GtkFormPeer&) = delete;
  GtkFormPeer& operator=(const GtkFormPeer&) = delete;

  // ---- IFormPeer ----
  void Changed(Component& c, Prop p) override;
  void ShowChanged(bool showing) override;
  void BringToFront() override;
  void SetFocus(Control& c) override;
  void Popup(PopupMenu& m, int x, int y) override;
  void Minimize() override;
  void Restore() override;
  size_t TextLimit(Control& c) override;

  // Makes the window (unmapped) and every control from the model (once;
  // later calls only add controls created since).
  void Realize();
  GtkWidget* Window() const { return window_; }
  Form& GetForm() const { return form_; }
  // The widget placed for a control (nullptr for components without one).
  GtkWidget* ControlWidget(const Component& c) const;
  // The widget that takes the user's input for a control (entry, button,
  // tree view, notebook...); nullptr without one.
  GtkWidget* InputWidget(const Component& c) const;
  // The application is going away: no more calls into it.
  void Detach() { app_ = nullptr; }
  // The code page changed: every text is converted again.
  void ApplyAllTexts();

  // One record per control: its widgets and what the peer keeps for it.
  struct Item {
    GtkFormPeer* peer = nullptr;
    Control* control = nullptr;
    GtkWidget* outer = nullptr;    // placed in the parent's container; nullptr: no widget
    GtkWidget* widget = nullptr;   // the control itself (entry, button, notebook, tree view...)
    GtkWidget* box = nullptr;      // a container's fixed for its children (== outer)
    GtkWidget* face = nullptr;     // the text inside (a label's or panel's GtkLabel)
    std::vector<GtkWidget*> radios;          // a radio group's buttons; the last one is "none"
    std::vector<TabSheet*> tabs;             // a page control's shown sheets, in tab order
    std::vector<GtkWidget*> pages;           // the notebook's empty pages
    std::vector<GtkWidget*> toolButtons;     // a tool bar's buttons, in order
    GtkListStore* store = nullptr;           // list box and list view rows
    std::string typed;                       // typed bytes waiting for the model
    size_t mirrored = 0;                     // a memo's text length the widget holds
    std::string style;                       // the CSS applied last
    Rect sheetArea;                          // a page control's display area, as last measured
  };

 private:
  // ---- the window, dispatch and lookups (GtkFormPeer.cpp) ----
  void CreateFormWindow();
  Item* EnsureItem(Control& c);
  Item* Find(const Component& c) const;
  void CreateControlWidget(Item& item);
  GtkWidget* ContainerOf(const Control& c);
  void ApplyAll(Item& item);
  void Apply(Item& item, Prop p);
  void ApplyText(Item& item);
  void ApplyItems(Item& item);
  void ApplyItemIndex(Item& item);
  void ApplyWindowFunctions();
  void Guard(const std::function<void()>& fn);
  void Track(Item& item, GtkWidget* w);  // the widget finds its record
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean OnWindowKey(GtkWidget*, GdkEventKey* ev, gpointer self);
  static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* ev, gpointer self);
  static void OnRootAllocate(GtkWidget*, GdkRectangle* a, gpointer self);
  // Places the controls again at the next turn of the loop (not inside GTK's
  // own allocation pass).
  void QueueLayout();
  // The enabled, visible default (Enter) or cancel (Esc) button.
  Button* DialogButton(bool isDefault);

  // ---- layout, visibility, fonts, colours, hints (GtkPeerLayout.cpp) ----
  void ApplyStyle(Item& item);
  void ApplyTooltip(Item& item);
  void ApplyCursor(Item& item);
  void ApplyVisibility();
  void Layout();
  int Scale(int v) const { return ScaleLength(v, dpi_); }
  bool ShownByModel(Control& c);
  std::string FontCss(const Font& f);
  void PlaceOnFirstShow();
  std::string Utf8(const std::string& bytes) const;
  int CodePage() const;

  // ---- labels, buttons, check boxes, groups, panels, lines (GtkPeerButtons.cpp) ----
  bool CreateButtonFamily(Item& item);
  void ApplyChecked(Item& item);
  void ApplyButtonImage(Item& item);
  void ApplyRadioItems(Item& item);
  void ApplyRadioIndex(Item& item);
  void LayoutRadios(Item& item, const Rect& r);
  int LinePenWidth(const TLine& line) const;
  static void OnClicked(GtkWidget* w, gpointer item);
  static void OnToggled(GtkWidget* w, gpointer item);
  static void OnRadioToggled(GtkWidget* w, gpointer item);
  static gboolean OnBoxClick(GtkWidget* w, GdkEventButton* ev, gpointer item);
  static gboolean OnDrawLine(GtkWidget* w, cairo_t* cr, gpointer item);

  // ---- edits and memos (GtkPeerEdits.cpp) ----
  bool CreateEditFamily(Item& item);
  void ApplyEditText(Item& item);
  void ApplyLines(Item& item);
  void ApplyEditSelection(Item& item);
  void ApplyReadOnly(Item& item);
  // The model takes the selection the user made in the widget.
  void SyncEditSelection(Item& item);
  std::string WidgetText(Item& item);
  // Typed characters go through the model (key notation filter, OnKeyPress).
  void TypeToModel(Item& item, const std::string& bytes);
  void FlushTyped(Item& item);
  // The text the user's insertion of `utf8` would make is refused: the beep.
  bool RefuseInsert(Item& item, const std::string& utf8, std::string& bytes);
  static void OnEntryInsert(GtkEditable* e, gchar* text, gint len, gint* pos, gpointer item);
  static void OnBufferInsert(GtkTextBuffer* b, GtkTextIter* at, gchar* text, gint len, gpointer item);
  static void OnEditChanged(gpointer item);
  static void OnSelectionNotice(gpointer item);
  static gboolean OnEditKey(GtkWidget* w, GdkEventKey* ev, gpointer item);
  static gboolean OnEditFocus(GtkWidget* w, GdkEventFocus* ev, gpointer item);
  static gboolean OnEditMotion(GtkWidget* w, GdkEventMotion* ev, gpointer item);

  // ---- combo boxes, list boxes, list views (GtkPeerLists.cpp) ----
  bool CreateListFamily(Item& item);
  void ApplyListItems(Item& item);
  void ApplyListIndex(Item& item);
  void ApplyColumns(Item& item);
  void ApplyRows(Item& item);
  void ApplyListSelection(Item& item);
  static void OnComboChanged(GtkComboBox* w, gpointer item);
  static void OnListSelection(GtkTreeSelection* s, gpointer item);
  static void OnRowToggled(GtkCellRendererToggle* r, gchar* path, gpointer item);
  static gboolean OnListRelease(GtkWidget* w, GdkEventButton* ev, gpointer item);
  static void OnRowActivated(GtkTreeView* v, GtkTreePath* p, GtkTreeViewColumn* c, gpointer item);

  // ---- page controls, tab controls, up-downs (GtkPeerPages.cpp) ----
  bool CreatePageFamily(Item& item);
  void ApplyTabs(Item& item);
  void ApplyTabItems(Item& item);
  void ApplyTabIndex(Item& item);
  // The display area of a page control's sheets inside its rectangle.
  Rect SheetArea(Item& pages, const Rect& r);
  static void OnSwitchPage(GtkNotebook* nb, GtkWidget* page, guint index, gpointer item);
  static void OnNotebookAllocate(GtkWidget* w, GdkRectangle* a, gpointer item);
  static void OnUpDown(GtkWidget* w, gpointer item);

  // ---- tool bars and pictures (GtkPeerToolBar.cpp) ----
  bool CreateToolBarFamily(Item& item);
  void ApplyToolButtons(Item& item);
  // Picture `index` of `list` at its size on this screen; nullptr without one.
  GdkPixbuf* Picture(const ImageList* list, int index);
  static void OnToolClicked(GtkWidget* w, gpointer item);

  GtkApplication* app_;
  Form& form_;
  int dpi_;  // the resolution the designed layout is scaled to
  GtkWidget* window_ = nullptr;
  GtkWidget* root_ = nullptr;
  bool realized_ = false;
  bool placed_ = false;
  int updating_ = 0;  // > 0 while the model's state is written to the widgets
  int showing_ = 0;   // > 0 while the model shows, hides or iconifies the window
  int laidWidth_ = -1, laidHeight_ = -1;
  guint layoutSource_ = 0;
  std::vector<std::unique_ptr<Item>> items_;  // in creation order
  std::unordered_map<const Component*, Item*> byComponent_;
};

}  // namespace km27::ui
