#pragma once
// The block lists of the Key Data page and their actions. The data table
// (lvwBlockData, "Data table" sub-page) holds every block of every track in
// the order they are typed; the edit list (lvwEditBlockData, under the track
// tabs) shows the rows of the current tab's track. The data table is the one
// that counts: Add, Update, Delete and Clear change it and the edit list is
// made again from it. The data table's check box marks the block of the
// edit list's selected row; the block editor is compared with that block.
#include <array>
#include <string>

#include "settings/Define.h"
#include "ui/Form.h"

namespace km27 {

class TBlockEditor;

// Per track tab (index 0..3): the index of the selected edit-list row, -1 for
// none (all -1 after every load), and the block last taken from the editor
// for an Add or Update.
extern std::array<int, 4> gSelectedBlockRow;
extern std::array<TBlockData, 4> gBlockEdit;

class TBlockLists {
 public:
  TBlockLists(ui::Form& form, ui::TabSheet& blockSheet, ui::TabSheet& tableSheet, TBlockEditor& editor);

  ui::TabControl* tabTracks;
  ui::ListView* lvwEditBlockData;
  ui::ListView* lvwBlockData;
  ui::ImageList* imlBlockRows;
  ui::Action* actAddBlockData;
  ui::Action* actUpdateBlockData;
  ui::Action* actDeleteBlockData;
  ui::Action* actClearBlockData;
  ui::SpeedButton* spbAddBlockData;
  ui::SpeedButton* spbUpdateBlockData;
  ui::SpeedButton* spbDeleteBlockData;
  ui::SpeedButton* spbClear;
  ui::Timer* tmrModify;  // 200 ms, one shot: the action state after a change

  // The tabs of the tracks in use, both lists from the blocks, nothing selected.
  void Load(const TKeyFormat& keys);
  // BlockNum and the blocks from the data table, in its order.
  void Store(TKeyFormat& keys) const;

  // The slot of the current tab (1..4); 0 when there is no tab.
  int TabTrack() const;
  // Index of the data table's marked row; -1 when none is.
  int MarkedRow() const;
  // Whether the editor differs from the marked block (trailing blanks of
  // header and footer do not count).
  bool EditorChanged() const;
  // Add, Update, Delete and Clear as the lists and the selection allow; the
  // selected row's picture shows whether the editor changed it.
  void RefreshActions();
  void RestartModify();

  // ---- event handlers ----
  void lvwEditBlockDataClick();
  void tabTracksChanging(bool& allow);
  void tabTracksChange();
  void tmrModifyTimer();
  void actAddBlockDataExecute();
  void actUpdateBlockDataExecute();
  void actDeleteBlockDataExecute();
  void actClearBlockDataExecute();

 private:
  // The current tab's entry of the per-tab state; -1 when there is no tab.
  int Slot() const;
  void RebuildTabs();
  // The edit list again from the data table (its rows of the current tab's
  // track; every row when there is no tab), the tab's selected row selected.
  void RebuildEditList();
  void UnmarkTable();

  ui::Form& form_;
  TBlockEditor& editor_;
  bool FSilentUpdate = false;
};

}  // namespace km27
