// A prepared dialog: its controls filled from the script's variables by
// class, Hint and Tag, user changes written straight back, the buttons' roles,
// the component list and the static texts that follow it, the readme and
// license memos, target-folder browsing and the dialog rules evaluated after
// every change.
//
// The live state of a control is its form properties (Text, Lines, Items,
// Checked, ItemIndex, Position, MaxLength, Enabled ...): the window side
// copies what the user did into them before it reports an event, and shows a
// property in the window when the binding asks. The per-item marks of list
// boxes (selected) and check list boxes (checked) are asked of the window side.
//
// Binding: a control whose Hint names an existing variable (a plain name or
// "$NAME$") takes its value; changes are written under the upper-cased Hint
// with the handler's name as origin ("Edit1Change", "CheckBox1Click", ...).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "components/component_display.h"
#include "components/component_table.h"
#include "dialogs/dialog_rules.h"
#include "dialogs/form_runtime.h"
#include "dialogs/progress_refresh.h"
#include "vars/variable_manager.h"

namespace vantrell {

// The length a watched memo or rich edit gets once it was scrolled to its end.
inline constexpr int64_t kScrolledToEndLength = 2147483647;

// What the binding asks of the windows that show the dialog.
class DialogSurface {
 public:
  virtual ~DialogSurface() = default;
  // Shows the property's current value in the control's window. Nothing the
  // window reports while doing so reaches the binding.
  virtual void Show(FormControl& control, std::string_view property) = 0;
  // List boxes: which items are selected; check list boxes: which are checked.
  virtual std::vector<bool> Marks(const FormControl& control) const = 0;
  virtual void SetMarks(FormControl& control, const std::vector<bool>& marks) = 0;
  virtual void Focus(FormControl& control) = 0;
  // Some text of an edit is selected.
  virtual bool HasSelectedText(const FormControl& control) const = 0;
  // The control can be scrolled vertically: it has a vertical scroll bar
  // and its text does not fit.
  virtual bool CanScrollVertically(const FormControl& control) const = 0;
  // Rich text for a rich edit; its Lines then hold the plain text.
  virtual void LoadRichText(FormControl& control, const std::string& rtf) = 0;
  // The shell's folder browser owned by the dialog; nullopt when cancelled.
  virtual std::optional<std::string> BrowseForFolder() = 0;
  // A Yes/No question (question icon, No the default); true for Yes.
  virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;

  // Tree views: the nodes shown (texts and images; all expanded), the
  // selected node as the path of child indices from the roots (empty: none).
  virtual void ShowTree(FormControl& control, const std::vector<ComponentTreeNode>& roots) = 0;
  virtual std::vector<size_t> SelectedNode(const FormControl& control) const = 0;
  virtual void SelectNode(FormControl& control, const std::vector<size_t>& path) = 0;
  // A pop-up menu for the selected node, at the cursor or at the bottom-right
  // corner of the node; the index of the item chosen, -1 for none.
  virtual int PopupMenu(FormControl& control, const std::vector<std::string>& items,
                        bool atCursor) = 0;
  // HTML viewers: shows the page file (a full path), or the text when the
  // path is empty or the file cannot be read; the viewer's meta refreshes
  // lead into the support folder.
  virtual void ShowHtmlPage(FormControl& control, const std::string& supportFolder,
                            const std::string& page, const std::string& text) = 0;
  // Folder controls (file, directory and shell lists, drive boxes, shell
  // trees and combos): moves the control to an existing path; a file list
  // box shows a file's folder with the file selected, a drive box the path's
  // drive.
  virtual void ShowFolder(FormControl& control, const std::string& path) = 0;
  // Where a folder control stands: the selected file or shell item with its
  // folder, the directory list's, tree's or combo's folder, the drive box's
  // root ("d:\"); empty when nothing is selected.
  virtual std::string FolderPath(const FormControl& control) const = 0;
  // Flash frames: plays the movie file with the player control of the
  // library (full paths), or shows the text when either path is empty or
  // the movie cannot be played. All empty: stops the movie and shows nothing.
  virtual void PlayMovie(FormControl& control, const std::string& player, const std::string& movie,
                         const std::string& text) = 0;
};

// What the binding asks of the system and the run.
struct DialogServices {
  std::function<bool(const std::string& path)> folderExists;
  std::function<bool(const std::string& path)> fileExists;
  // Reads a file of the support folder by name; nullopt when there is none.
  std::function<std::optional<std::string>(const std::string& name)> readSupportFile;
  std::function<bool(const std::string& name)> supportFileExists;
  FreeSpaceQuery freeSpace;
  // A support text file's bytes as the engine's text (files with a byte
  // order mark converted); null keeps the bytes.
  std::function<std::string(const std::string& bytes)> decodeText;
  std::string supportFolder;  // ending in "\"
  std::string language;       // the active language's name; empty when none
  // A control's text in the active language, or nullopt (keyed by the
  // dialog's file name and the control's name).
  std::function<std::optional<std::string>(const std::string& dialog, const std::string& control)>
      translate;
  std::string wizardCaption;  // the title of the Cancel question
  std::string cancelQuestion;
  std::string movieFailure = "Unable to play Flash movie";
  // The component menu's three items: this component only, the entire
  // feature, the entire feature unavailable.
  std::vector<std::string> componentMenu = {"Will be &installed on local hard drive",
                                            "&Entire feature will be installed on local hard drive",
                                            "Entire feature will be &unavailable"};
};

// Raised for a track bar whose variable holds no integer; "Display Dialog"
// reports it as its run-time error.
class DialogValueError : public EngineError {
 public:
  using EngineError::EngineError;
};

class DialogBinding {
 public:
  DialogBinding(Form& form, DialogSurface& surface, TVariableManager& vars,
                TComponentTable& components, std::vector<std::string> rules);
  DialogBinding(const DialogBinding&) = delete;
  DialogBinding& operator=(const DialogBinding&) = delete;

  // Fills the controls, attaches the handlers, writes the initial values
  // back and evaluates the rules. Throws DialogValueError.
  void Prepare(const DialogServices& services);
  // Detaches the handlers: later events change nothing until the next Prepare.
  void Release();
  bool Prepared() const { return attached_; }

  // Events of the window side; the control's properties already hold what
  // the user did.
  void Clicked(FormControl& control);        // buttons, labels, images, check and radio
                                             // boxes, list box and check list selection,
                                             // combo box selection
  void Changed(FormControl& control);        // text of edits, memos, rich edits and combo
                                             // boxes; track bar position; where a folder
                                             // control stands
  void ItemChecked(FormControl& control);    // a check list box's check mark
  void KeyReleased(FormControl& control);    // mask edits
  void MouseReleased(FormControl& control);  // shapes
  // A watched memo or rich edit has been scrolled to its end.
  void ScrolledToEnd(FormControl& control);
  // A tree view's selection changed.
  void TreeChanged(FormControl& control);
  // A component tree asks for its menu: a mouse release over a node's
  // picture (at the cursor) or the context-menu key (at the node).
  void TreeMenuRequested(FormControl& control, bool atCursor);
  // The memo and rich edit whose scrolling is watched (nullptr when none).
  FormControl* WatchedMemo() const { return watchedMemo_; }
  FormControl* WatchedRichEdit() const { return watchedRichEdit_; }

  // Shows progress: Tag-1 static texts, progress bars and gauges take the
  // figures (a marquee bar while PROGRESSMODE says "MARQUEE"), Tag-100 bars
  // and gauges the variable their Hint names, captions their designed text
  // expanded afresh; then the rules. Only what differs is assigned.
  void RefreshProgress(const ProgressFigures& figures);

  // -1 while the dialog waits; else the code that ends it (6, 7, 2, 8).
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  const std::string& CustomResult() const { return customResult_; }

  // Dialog-level state, for tests and the window side.
  const std::string& TargetAtDisplay() const { return targetAtDisplay_; }
  const std::string& TargetTail() const { return targetTail_; }
  const std::string& CurrentComponent() const { return currentComponent_; }

  // The rules' view of the form: a written property shows at once.
  DialogProperties& Properties() { return properties_; }

 private:
  class RuleView final : public DialogProperties {
   public:
    explicit RuleView(DialogBinding& owner) : owner_(owner) {}
    std::optional<std::string> Property(const std::string& control,
                                        const std::string& property) const override;
    void SetProperty(const std::string& control, const std::string& property,
                     const std::string& value) override;

   private:
    DialogBinding& owner_;
  };

  void CaptureDesign();
  std::string DesignText(const FormControl& control, std::string_view property) const;
  std::string DialogText(const FormControl& control, std::string_view property) const;
  void ApplyClassRules(FormControl& control);
  void PrepareMemo(FormControl& control, bool rich);
  void PrepareList(FormControl& control);
  void PrepareEdit(FormControl& control, bool mask);
  void PrepareFolder(FormControl& control);
  void FolderChanged(FormControl& control);
  bool FolderExists(const std::string& path) const;
  void LoadSupportText(FormControl& control, bool rich);

  void Set(FormControl& control, std::string_view property, const std::string& value);
  std::optional<std::string> BoundValue(const FormControl& control) const;
  void Write(const FormControl& control, const std::string& value, std::string_view origin);
  void SetChecked(FormControl& control, bool checked);

  void ButtonRole(FormControl& control);
  void BrowseTarget(const std::string& folder);
  void RefreshStaticTexts();
  void RefreshTag100();
  void RefreshCaption(FormControl& control);
  void RefreshBar(FormControl& control, const ProgressFigures& figures, bool marquee);
  void EvaluateRules();
  void AdvanceFocus(const FormControl& from);
  void AdvanceFocusWhenFull(const FormControl& c, const std::string& text);
  void ListBoxClick(FormControl& control);
  void CheckListClick(FormControl& control);
  void CheckListClickCheck(FormControl& control);
  void RadioClick();
  ComponentTreeNode* SelectedTreeNode(FormControl& control,
                                      std::vector<ComponentTreeNode*>* ancestors = nullptr);

  Form& form_;
  DialogSurface& surface_;
  TVariableManager& vars_;
  TComponentTable& components_;
  std::vector<std::string> rules_;
  RuleView properties_;
  const DialogServices* services_ = nullptr;
  std::string dialogName_;
  // Texts as designed (Caption, Text, Lines, Items), captured at the first preparation.
  std::vector<std::pair<const FormControl*, std::pair<std::string, std::string>>> design_;
  bool captured_ = false;
  bool attached_ = false;
  bool refreshing_ = false;
  int modalResult_ = -1;
  std::string customResult_;
  std::string targetAtDisplay_;
  std::string targetTail_;
  std::string targetStart_;  // the target's nearest existing folder (or its missing root)
  std::string currentComponent_;
  // The component trees' nodes, by control.
  std::vector<std::pair<const FormControl*, std::vector<ComponentTreeNode>>> trees_;
  FormControl* watchedMemo_ = nullptr;
  FormControl* watchedRichEdit_ = nullptr;
  std::vector<FormControl*> movies_;  // stopped at release
};

// Target-folder browsing: the folder a choice of folder gives for a target
// at display (base) and its tail below the nearest existing folder.
std::string BrowsedTarget(const std::string& base, const std::string& chosen,
                          const std::string& tail);

}  // namespace vantrell
