// A prepared dialog's controls bound to the variables (see dialog_binding.h).
#include "dialogs/dialog_binding.h"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "common/ascii.h"
#include "common/paths.h"
#include "dialogs/edit_mask.h"
#include "lang/caption.h"
#include "script/background.h"
#include "vars/integer_text.h"

namespace vantrell {
namespace {

constexpr std::string_view kNewline = "$NEWLINE$";
constexpr int64_t kReadmeLength = 1048576;

bool Is(const FormControl& control, std::string_view className) {
  return EqualsIgnoreCase(control.ClassName(), className);
}

bool IsAny(const FormControl& control, std::initializer_list<std::string_view> names) {
  return std::any_of(names.begin(), names.end(),
                     [&](std::string_view name) { return Is(control, name); });
}

bool IsFolderControl(const FormControl& control) {
  return IsAny(control, {"TFileListBox", "TDirectoryListBox", "TDriveComboBox", "TPTShellTree",
                         "TPTShellList", "TPTShellCombo"});
}

// "d:\" for a path on drive d; empty for an empty path.
std::string DriveRoot(std::string_view path) {
  return path.empty() ? std::string() : std::string(1, path[0]) + ":\\";
}

bool IsButtonLike(const FormControl& control) {
  return IsAny(control, {"TButton", "TBitBtn", "TSpeedButton", "TRzBmpButton", "TLabel", "TImage",
                         "TShape"});
}

// The classes in the order in which preparation visits them; one entry may
// name several classes.
const std::vector<std::vector<std::string_view>>& ClassOrder() {
  static const std::vector<std::vector<std::string_view>> order = {
      {"TFileListBox", "TDirectoryListBox", "TDriveComboBox", "TPTShellTree", "TPTShellList",
       "TPTShellCombo"},
      {"TLabel"},
      {"TPanel"},
      {"TGroupBox"},
      {"TStaticText"},
      {"TProgressBar"},
      {"TGauge"},
      {"TTrackBar"},
      {"TButton"},
      {"TTabSheet"},
      {"TSpeedButton"},
      {"TBitBtn", "TRzBmpButton"},
      {"TImage"},
      {"TShape"},
      {"TMemo"},
      {"TRichEdit"},
      {"TRzCheckBox"},
      {"TRzRadioButton"},
      {"TListBox"},
      {"THTMLViewer"},
      {"TFlashFrame"},
      {"TAnimate"},
      {"TTreeView"},
      {"TCheckListBox"},
      {"TComboBox"},
      {"TEdit"},
      {"TMaskEdit"},
  };
  return order;
}

// The property that holds a control's designed text, if it has one the
// binding restores.
std::string_view TextProperty(const FormControl& control) {
  if (IsAny(control, {"TEdit", "TMaskEdit", "TComboBox"})) return "Text";
  if (IsAny(control, {"TMemo", "TRichEdit"})) return "Lines";
  if (control.Has("Caption")) return "Caption";
  return {};
}

std::vector<std::string> SplitText(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = end + 1;
  }
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

std::string JoinText(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

std::string VariableName(std::string_view hint) {
  std::string name = TVariableManager::StripReference(hint);
  return AsciiUpper(name.empty() ? hint : name);
}

}  // namespace

std::string BrowsedTarget(const std::string& base, const std::string& chosen,
                          const std::string& tail) {
  if (chosen.empty()) return {};
  const std::string folder = WithoutTrailingBackslash(chosen);
  // A choice of the target itself or one of the folders it lies in keeps the
  // target; a folder whose name merely begins the same way does not.
  if (base.size() >= folder.size() && EqualsIgnoreCase(base.substr(0, folder.size()), folder) &&
      (base.size() == folder.size() || base[folder.size()] == '\\' || folder.ends_with('\\') ||
       folder.ends_with(':'))) {
    return base;
  }
  return WithTrailingBackslash(folder) + tail;
}

std::optional<std::string> DialogBinding::RuleView::Property(const std::string& control,
                                                             const std::string& property) const {
  const FormControl* found = owner_.form_.Find(control);
  return found != nullptr ? found->Get(property) : std::nullopt;
}

void DialogBinding::RuleView::SetProperty(const std::string& control, const std::string& property,
                                          const std::string& value) {
  FormControl* found = owner_.form_.Find(control);
  if (found == nullptr || found->Set(property, value) != SetResult::kDone) return;
  owner_.surface_.Show(*found, property);
}

DialogBinding::DialogBinding(Form& form, DialogSurface& surface, TVariableManager& vars,
                             TComponentTable& components, std::vector<std::string> rules)
    : form_(form),
      surface_(surface),
      vars_(vars),
      components_(components),
      rules_(std::move(rules)),
      properties_(*this) {}

void DialogBinding::CaptureDesign() {
  if (captured_) return;
  captured_ = true;
  std::vector<FormControl*> controls = form_.Controls();
  controls.push_back(&form_.Root());
  for (const FormControl* control : controls) {
    for (std::string_view property : {TextProperty(*control), std::string_view("Items")}) {
      if (property.empty() || !control->Has(property)) continue;
      design_.push_back({control, {std::string(property), control->Get(property).value_or("")}});
    }
  }
}

std::string DialogBinding::DesignText(const FormControl& control, std::string_view property) const {
  for (const auto& [owner, entry] : design_) {
    if (owner == &control && entry.first == property) return entry.second;
  }
  return {};
}

std::string DialogBinding::DialogText(const FormControl& control, std::string_view property) const {
  if (services_ != nullptr && services_->translate && !services_->language.empty()) {
    const std::string name = &control == &form_.Root() ? dialogName_ : control.Name();
    if (auto translated = services_->translate(dialogName_, name)) return *translated;
  }
  return DesignText(control, property);
}

void DialogBinding::Set(FormControl& control, std::string_view property, const std::string& value) {
  if (control.Set(property, value) == SetResult::kDone) surface_.Show(control, property);
}

std::optional<std::string> DialogBinding::BoundValue(const FormControl& control) const {
  const std::string hint = control.Get("Hint").value_or("");
  if (hint.empty()) return std::nullopt;
  std::string value = vars_.GetExpandedVariable(hint, true);
  if (value == TVariableManager::kAbsentMarker) return std::nullopt;
  return value;
}

void DialogBinding::Write(const FormControl& control, const std::string& value,
                          std::string_view origin) {
  const std::string hint = control.Get("Hint").value_or("");
  if (hint.empty()) return;
  vars_.AssignVariable(VariableName(hint), value, origin);
}

void DialogBinding::SetChecked(FormControl& control, bool checked) {
  if (control.Truth("Checked") == checked) return;
  Set(control, "Checked", checked ? "True" : "False");
  if (checked && Is(control, "TRzRadioButton")) {
    // Radio buttons with the same parent are one group.
    for (FormControl* other : form_.Controls()) {
      if (other != &control && Is(*other, "TRzRadioButton") &&
          other->Parent() == control.Parent() && other->Truth("Checked")) {
        Set(*other, "Checked", "False");
      }
    }
  }
  // Checking a box either way raises its click, as a user's click would; a
  // radio button only when it becomes the checked one of its group.
  if (checked || !Is(control, "TRzRadioButton")) Clicked(control);
}

void DialogBinding::Prepare(const DialogServices& services) {
  services_ = &services;
  dialogName_ = form_.Root().Get("Hint").value_or("");
  CaptureDesign();
  attached_ = true;
  modalResult_ = -1;
  customResult_.clear();
  watchedMemo_ = nullptr;
  watchedRichEdit_ = nullptr;
  trees_.clear();
  movies_.clear();

  targetAtDisplay_ = TVariableManager::ReduceBackslashes(vars_.GetExpandedVariable("TARGETDIR"));
  // A target on a missing drive stops at that drive's root and keeps the
  // folders below it as its tail.
  std::string start = targetAtDisplay_;
  while (!start.empty() && !FolderExists(start)) {
    std::string parent = ParentFolder(start);
    if (parent.empty() || parent == start) break;
    start = parent;
  }
  targetStart_ = start;
  targetTail_.clear();
  if (!start.empty() && start.size() < targetAtDisplay_.size()) {
    targetTail_ = targetAtDisplay_.substr(start.size());
    while (targetTail_.starts_with('\\')) targetTail_.erase(0, 1);
  }

  std::vector<FormControl*> controls = form_.Controls();
  for (const auto& classes : ClassOrder()) {
    for (FormControl* control : controls) {
      if (EqualsIgnoreCase(control->Name(), "cmpFormDesigner")) continue;
      for (std::string_view name : classes) {
        if (Is(*control, name)) ApplyClassRules(*control);
      }
    }
  }
  FormControl& root = form_.Root();
  if (root.Has("Caption")) {
    Set(root, "Caption", DialogCaption(vars_.ExpandVariables(DialogText(root, "Caption"))));
  }

  for (FormControl* watched : {watchedMemo_, watchedRichEdit_}) {
    if (watched != nullptr && !surface_.CanScrollVertically(*watched)) {
      Set(*watched, "MaxLength", std::to_string(kScrolledToEndLength));
    }
  }
  RefreshStaticTexts();
  EvaluateRules();
  for (FormControl* control : controls) {
    if (Is(*control, "TTreeView")) TreeChanged(*control);
  }
  for (FormControl* control : controls) {
    if (!Is(*control, "TCheckListBox")) continue;
    CheckListClick(*control);
    if (control->Integer("Tag") == 1 || !control->Get("Hint").value_or("").empty()) {
      CheckListClickCheck(*control);
    }
  }
}

void DialogBinding::Release() {
  attached_ = false;
  watchedMemo_ = nullptr;
  watchedRichEdit_ = nullptr;
  for (FormControl* movie : movies_) surface_.PlayMovie(*movie, {}, {}, {});
  movies_.clear();
}

void DialogBinding::ApplyClassRules(FormControl& c) {
  const int64_t tag = c.Integer("Tag");
  if (IsAny(c, {"TLabel", "TPanel", "TGroupBox", "TStaticText", "TTabSheet", "TButton", "TBitBtn",
                "TSpeedButton", "TRzBmpButton", "TRzCheckBox", "TRzRadioButton"})) {
    if (c.Has("Caption")) Set(c, "Caption", vars_.ExpandVariables(DialogText(c, "Caption")));
  }
  if (Is(c, "TStaticText") && tag == 1) {
    Set(c, "Caption", vars_.GetVariable("PROGRESSTEXT"));
  } else if (IsAny(c, {"TProgressBar", "TGauge"}) && tag == 1) {
    const std::string progress = vars_.GetVariable("PROGRESS");
    if (Is(c, "TProgressBar") ? !progress.empty() : vars_.VariableExists("PROGRESS")) {
      int64_t value = 0;
      const int64_t position =
          !TryStrToInt64(progress, value) ? 100 : std::clamp<int64_t>(value, 0, 100);
      Set(c, Is(c, "TGauge") ? "Progress" : "Position", std::to_string(position));
    }
  } else if (Is(c, "TTrackBar")) {
    if (auto value = BoundValue(c)) {
      int32_t position = 0;
      if (!TryStrToInt(*value, position)) {
        throw DialogValueError("'" + *value + "' is not a valid integer value");
      }
      if (c.Integer("Position") != position) {
        Set(c, "Position", std::to_string(position));
        Changed(c);
      }
    }
  } else if (IsAny(c, {"TRzCheckBox", "TRzRadioButton"})) {
    if (auto value = BoundValue(c)) SetChecked(c, TextToBool(*value));
  } else if (Is(c, "TMemo")) {
    PrepareMemo(c, false);
  } else if (Is(c, "TRichEdit")) {
    PrepareMemo(c, true);
  } else if (IsAny(c, {"TListBox", "TCheckListBox", "TComboBox"})) {
    PrepareList(c);
  } else if (IsAny(c, {"TEdit", "TMaskEdit"})) {
    PrepareEdit(c, Is(c, "TMaskEdit"));
  } else if (Is(c, "TTreeView") && tag == 1) {
    std::vector<ComponentTreeNode> roots;
    FillComponentTree(components_, roots);
    surface_.ShowTree(c, roots);
    surface_.SelectNode(c, roots.empty() ? std::vector<size_t>() : std::vector<size_t>{0});
    trees_.emplace_back(&c, std::move(roots));
  } else if (Is(c, "THTMLViewer") && tag == 1) {
    // The index page in the active language, else the plain one.
    std::string page;
    for (const std::string& name :
         {"index." + services_->language + ".htm", std::string("index.htm")}) {
      if (services_->readSupportFile && services_->readSupportFile(name)) {
        page = services_->supportFolder + name;
        break;
      }
    }
    surface_.ShowHtmlPage(c, services_->supportFolder, page,
                          "Add an index.htm file to your project to display it here, along with "
                          "any other additional support/linked files.");
  } else if (Is(c, "TFlashFrame") && tag == 1) {
    // Without the player nothing plays; without a movie there is nothing to load it with.
    const auto has = [this](const std::string& name) {
      return services_->supportFileExists && services_->supportFileExists(name);
    };
    std::string movie;
    for (const std::string& name :
         {"movie." + services_->language + ".swf", std::string("movie.swf")}) {
      if (has(name)) {
        movie = services_->supportFolder + name;
        break;
      }
    }
    if (!has("flash.ocx")) {
      surface_.PlayMovie(c, {}, {}, services_->movieFailure);
    } else if (movie.empty()) {
      surface_.PlayMovie(c, {}, {}, "Add a movie.swf file to your project to display it here.");
    } else {
      surface_.PlayMovie(c, services_->supportFolder + "flash.ocx", movie, services_->movieFailure);
    }
    movies_.push_back(&c);
  } else if (Is(c, "TAnimate")) {
    Set(c, "Active", "True");  // the window side plays it; a clip that does not start is left
  } else if (IsFolderControl(c)) {
    PrepareFolder(c);
  }
}

bool DialogBinding::FolderExists(const std::string& path) const {
  return !path.empty() && services_->folderExists && services_->folderExists(path);
}

void DialogBinding::PrepareFolder(FormControl& c) {
  const bool drive = Is(c, "TDriveComboBox");
  if (std::optional<std::string> value = BoundValue(c)) {
    std::string folder = drive                                        ? DriveRoot(*value)
                         : IsAny(c, {"TFileListBox", "TPTShellList"}) ? FolderPart(*value)
                                                                      : *value;
    if (FolderExists(folder)) surface_.ShowFolder(c, folder);
  }
  if (c.Integer("Tag") != 1) return;
  std::string start = targetStart_;
  if (drive || Is(c, "TPTShellCombo")) {
    start = DriveRoot(start);
  } else if (!FolderExists(start) && IsAny(c, {"TDirectoryListBox", "TPTShellTree"})) {
    start = ParentFolder(start);
  }
  if (FolderExists(start)) surface_.ShowFolder(c, start);
}

void DialogBinding::PrepareMemo(FormControl& c, bool rich) {
  const int64_t tag = c.Integer("Tag");
  const bool bound = !c.Get("Hint").value_or("").empty();
  Set(c, "ReadOnly", bound ? "False" : "True");
  if (tag == 1 || tag == 2) {
    Set(c, "MaxLength", std::to_string(std::max(c.Integer("MaxLength"), kReadmeLength)));
  }
  if (auto value = BoundValue(c)) {
    Set(c, "Lines", TVariableManager::DecodeNewlines(TVariableManager::ReduceBackslashes(*value)));
  } else {
    Set(c, "Lines",
        TVariableManager::DecodeNewlines(vars_.ExpandVariables(DesignText(c, "Lines"))));
  }
  if (tag == 1 || tag == 2) LoadSupportText(c, rich);
  if (!bound) {
    FormControl*& watched = rich ? watchedRichEdit_ : watchedMemo_;
    if (watched == nullptr) watched = &c;
  }
  if (bound) Changed(c);
}

void DialogBinding::LoadSupportText(FormControl& c, bool rich) {
  const std::string kind = c.Integer("Tag") == 1 ? "readme" : "license";
  const std::string language = services_->language;
  std::vector<std::string> names;
  if (rich) {
    names.push_back(kind + "." + language + ".rtf");
    names.push_back(kind + ".rtf");
  }
  names.push_back(kind + "." + language + ".txt");
  names.push_back(kind + ".txt");
  for (const std::string& name : names) {
    std::optional<std::string> bytes =
        services_->readSupportFile ? services_->readSupportFile(name) : std::nullopt;
    if (!bytes) continue;
    if (name.ends_with(".rtf")) {
      surface_.LoadRichText(c, *bytes);
    } else {
      Set(c, "Lines", services_->decodeText ? services_->decodeText(*bytes) : *bytes);
    }
    return;
  }
  std::string message = "Add a " + kind + "." + language;
  if (rich) {
    message += ".rtf or " + kind + ".rtf, or " + kind + "." + language + ".txt or " + kind +
               ".txt file to your project as a support file/creative to display it here.";
  } else {
    message += ".txt or " + kind +
               ".txt file to your project as a support file/creative to display it here.";
  }
  Set(c, "Lines", message);
}

void DialogBinding::PrepareList(FormControl& c) {
  std::string items = DesignText(c, "Items");
  if (services_->language.empty() || !services_->translate) {
    items = vars_.ExpandVariables(items);
  } else {
    items = DialogText(c, "Items");
    if (items.empty()) items = vars_.ExpandVariables(DesignText(c, "Items"));
  }
  std::vector<std::string> lines = SplitText(items);
  std::erase_if(lines, [](const std::string& line) { return line.empty(); });
  const bool componentList = Is(c, "TCheckListBox") && c.Integer("Tag") == 1;
  std::vector<bool> marks;
  if (componentList) {
    std::vector<ComponentListItem> list;
    FillComponentList(components_, list);
    lines.clear();
    for (const ComponentListItem& item : list) {
      lines.push_back(item.text);
      marks.push_back(item.checked);
    }
  }
  Set(c, "Items", JoinText(lines));
  if (componentList) {
    surface_.SetMarks(c, marks);
    return;
  }
  const std::optional<std::string> value = BoundValue(c);
  if (!value) return;
  auto find = [&](std::string_view wanted) -> int {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (EqualsIgnoreCase(lines[i], wanted)) return static_cast<int>(i);
    }
    return -1;
  };
  if (Is(c, "TListBox")) {
    Set(c, "ItemIndex", std::to_string(find(*value)));
  } else if (Is(c, "TCheckListBox")) {
    const std::vector<std::string> wanted = SplitText(TVariableManager::DecodeNewlines(*value));
    marks.assign(lines.size(), false);
    for (const std::string& item : wanted) {
      for (size_t i = 0; i < lines.size(); ++i) {
        if (EqualsIgnoreCase(lines[i], item)) marks[i] = true;
      }
    }
    surface_.SetMarks(c, marks);
  } else if (c.Get("Style").value_or("") == "csDropDownList") {
    const int index = find(*value);
    Set(c, "ItemIndex", std::to_string(index));
    Set(c, "Text", index >= 0 ? lines[static_cast<size_t>(index)] : std::string());
  } else {
    Set(c, "Text", *value);
  }
}

void DialogBinding::PrepareEdit(FormControl& c, bool mask) {
  static constexpr std::array<std::string_view, 4> kPlaceholders = {"$STARTMENU$", "$TARGETDIR$",
                                                                    "$USERNAME$", "$USERCOMPANY$"};
  const int64_t tag = c.Integer("Tag");
  std::string text;
  if (auto value = BoundValue(c)) {
    text = mask ? *value : TVariableManager::ReduceBackslashes(*value);
  } else if (!services_->language.empty() && services_->translate) {
    text = DialogText(c, "Text");
  } else {
    text = DesignText(c, "Text");
    text = mask ? vars_.ExpandVariables(text) : vars_.ExpandPath(text);
  }
  if (text.empty() && tag >= 1 && tag <= 4) {
    text = std::string(kPlaceholders[static_cast<size_t>(tag - 1)]);
    text = mask ? vars_.ExpandVariables(text) : vars_.ExpandPath(text);
  }
  Set(c, "Text", text);
  Changed(c);
}

void DialogBinding::Clicked(FormControl& c) {
  if (!attached_) return;
  if (IsButtonLike(c) && !Is(c, "TShape")) {
    ButtonRole(c);
    return;
  }
  if (refreshing_) return;
  if (Is(c, "TRzCheckBox")) {
    Write(c, BoolToText(c.Truth("Checked")), "CheckBox1Click");
  } else if (Is(c, "TRzRadioButton")) {
    RadioClick();
  } else if (Is(c, "TListBox")) {
    ListBoxClick(c);
    return;
  } else if (Is(c, "TCheckListBox")) {
    CheckListClick(c);
    return;
  } else if (Is(c, "TComboBox")) {
    Write(c, c.Get("Text").value_or(""), "ComboBox1Click");
  } else {
    return;
  }
  EvaluateRules();
}

void DialogBinding::MouseReleased(FormControl& c) {
  if (attached_ && Is(c, "TShape")) ButtonRole(c);
}

void DialogBinding::Changed(FormControl& c) {
  if (!attached_ || refreshing_) return;
  if (Is(c, "TEdit")) {
    const std::string text = c.Get("Text").value_or("");
    Write(c, text, "Edit1Change");
    AdvanceFocusWhenFull(c, text);
    RefreshStaticTexts();
    RefreshTag100();
  } else if (Is(c, "TMaskEdit")) {
    Write(c, c.Get("Text").value_or(""), "MaskEdit1Change");
    RefreshStaticTexts();
    RefreshTag100();
  } else if (IsAny(c, {"TMemo", "TRichEdit"})) {
    if (c.Get("Hint").value_or("").empty()) return;  // no handler attached
    Write(c, TVariableManager::EncodeNewlines(c.Get("Lines").value_or("")),
          Is(c, "TMemo") ? "Memo1Change" : "RichEdit1Change");
    RefreshStaticTexts();
  } else if (Is(c, "TComboBox")) {
    Write(c, c.Get("Text").value_or(""), "ComboBox1Change");
  } else if (Is(c, "TTrackBar")) {
    Write(c, std::to_string(c.Integer("Position")), "TrackBar1Change");
  } else if (IsFolderControl(c)) {
    FolderChanged(c);
    return;
  } else {
    return;
  }
  EvaluateRules();
}

void DialogBinding::FolderChanged(FormControl& c) {
  const std::string path = surface_.FolderPath(c);
  const bool drive = Is(c, "TDriveComboBox");
  if (path.empty() && Is(c, "TPTShellList")) return;
  // The handler is named after the class: FileListBox1Change, PTShellTree1Change ...
  Write(c, drive ? DriveRoot(path) : path, std::string(c.Descriptor().name.substr(1)) + "1Change");
  if (c.Integer("Tag") == 1) {
    BrowseTarget(drive ? DriveRoot(path) : Is(c, "TFileListBox") ? FolderPart(path) : path);
  }
  RefreshTag100();
  EvaluateRules();
}

void DialogBinding::AdvanceFocusWhenFull(const FormControl& c, const std::string& text) {
  const int64_t most = c.Integer("MaxLength");
  if (most != 0 && text.size() >= static_cast<size_t>(most)) AdvanceFocus(c);
}

void DialogBinding::KeyReleased(FormControl& c) {
  if (!attached_ || !Is(c, "TMaskEdit")) return;
  // A mask is filled to its end when the edit shows every place of it and
  // no place is selected for the next character; a mask edit without a mask
  // has no end.
  const std::optional<EditMask> mask = ParseEditMask(c.Get("EditMask").value_or(""));
  if (!mask || surface_.HasSelectedText(c)) return;
  // The edit's Text is the mask's value; shown, its last input place is filled.
  const std::string shown = MaskedText(*mask, c.Get("Text").value_or(""));
  for (size_t i = mask->places.size(); i-- > 0;) {
    if (mask->places[i].kind == MaskPlaceKind::kLiteral) continue;
    if (i >= shown.size() || shown[i] == mask->blank || shown[i] == ' ') return;
    break;
  }
  AdvanceFocus(c);
}

void DialogBinding::ItemChecked(FormControl& c) {
  if (!attached_ || !Is(c, "TCheckListBox")) return;
  if (c.Integer("Tag") != 1 && c.Get("Hint").value_or("").empty()) return;
  CheckListClickCheck(c);
}

void DialogBinding::ScrolledToEnd(FormControl& c) {
  if (!attached_ || (&c != watchedMemo_ && &c != watchedRichEdit_)) return;
  if (c.Integer("MaxLength") == kScrolledToEndLength) return;
  Set(c, "MaxLength", std::to_string(kScrolledToEndLength));
  EvaluateRules();
}

void DialogBinding::ButtonRole(FormControl& c) {
  modalResult_ = -1;
  if (refreshing_) return;
  switch (c.Integer("Tag")) {
    case 1:
      modalResult_ = 6;
      break;
    case 2:
      modalResult_ = 7;
      break;
    case 3:
      if (surface_.AskYesNo(services_->wizardCaption, services_->cancelQuestion)) {
        SetCancelRequested(true);
        Set(c, "Enabled", "False");
        modalResult_ = 2;
      }
      break;
    case 4:
      if (std::optional<std::string> folder = surface_.BrowseForFolder()) BrowseTarget(*folder);
      break;
    case 5:
      modalResult_ = 8;
      customResult_ = c.Name();
      break;
    case 6:
      if (std::optional<std::string> folder = surface_.BrowseForFolder();
          folder && !folder->empty()) {
        vars_.AssignVariable(AsciiUpper(c.Name()), WithTrailingBackslash(*folder),
                             "SetCustomDirectoryEditText");
        RefreshStaticTexts();
        RefreshTag100();
      }
      break;
    default: {
      // A button without a role ends the dialog through its modal result:
      // OK and Yes move on, No goes back, Cancel cancels.
      const int64_t result = c.Has("ModalResult") ? c.Integer("ModalResult") : 0;
      if (result == 1 || result == 6) modalResult_ = 6;
      if (result == 2 || result == 7) modalResult_ = static_cast<int>(result);
      break;
    }
  }
  EvaluateRules();
}

void DialogBinding::BrowseTarget(const std::string& folder) {
  const std::string base = targetAtDisplay_.empty() ? folder : targetAtDisplay_;
  const std::string result = BrowsedTarget(base, folder, targetTail_);
  for (FormControl* control : form_.Controls()) {
    if (!Is(*control, "TEdit") || control->Integer("Tag") != 2) continue;
    Set(*control, "Text", result);
    Changed(*control);
  }
  RefreshStaticTexts();
  EvaluateRules();
}

void DialogBinding::RefreshStaticTexts() {
  for (FormControl* c : form_.Controls()) {
    if (!Is(*c, "TStaticText")) continue;
    const int64_t tag = c->Integer("Tag");
    if (tag < 2 || tag > 6) continue;
    std::string text;
    try {
      const FreeSpaceQuery& free = services_->freeSpace;
      switch (tag) {
        case 2:
          if (!currentComponent_.empty()) {
            text = TVariableManager::DecodeNewlines(
                components_.ComponentDescription(currentComponent_));
          }
          break;
        case 3:
          if (!currentComponent_.empty()) {
            text = FormatSize(components_.ComponentSize(currentComponent_));
          }
          break;
        case 4:
          text = FormatSize(components_.RequiredSpace());
          break;
        case 5:
          text = FormatSize(AvailableSpace(vars_, free));
          break;
        default:
          text = FormatSize(RemainingSpace(components_, vars_, free));
          break;
      }
    } catch (const std::exception&) {
      text.clear();
    }
    Set(*c, "Caption", text);
  }
}

void DialogBinding::RefreshTag100() {
  const bool was = refreshing_;
  refreshing_ = true;
  for (FormControl* c : form_.Controls()) {
    const bool edit = IsAny(*c, {"TEdit", "TMaskEdit"});
    if ((!edit && !IsFolderControl(*c)) || c->Integer("Tag") != 100) continue;
    const std::string hint = c->Get("Hint").value_or("");
    if (hint.empty()) continue;
    std::string name = TVariableManager::StripReference(hint);
    const std::string value = vars_.ExpandPath(vars_.GetVariable(name.empty() ? hint : name));
    if (edit) {
      Set(*c, "Text", value);
      continue;
    }
    // One control that cannot go there leaves the others to follow.
    try {
      const std::string place = Is(*c, "TDriveComboBox") ? DriveRoot(value) : value;
      const bool file =
          Is(*c, "TFileListBox") && services_->fileExists && services_->fileExists(place);
      if (file || FolderExists(place)) surface_.ShowFolder(*c, place);
    } catch (const std::exception&) {
    }
  }
  refreshing_ = was;
}

void DialogBinding::RefreshCaption(FormControl& c) {
  if (!c.Has("Caption")) return;
  const std::string caption = vars_.ExpandVariables(DialogText(c, "Caption"));
  if (c.Get("Caption").value_or("") != caption) Set(c, "Caption", caption);
}

void DialogBinding::RefreshBar(FormControl& c, const ProgressFigures& figures, bool marquee) {
  const bool gauge = Is(c, "TGauge");
  const std::string_view minName = gauge ? "MinValue" : "Min";
  const std::string_view maxName = gauge ? "MaxValue" : "Max";
  const std::string_view positionName = gauge ? "Progress" : "Position";
  auto setIfChanged = [&](std::string_view property, int64_t value) {
    if (c.Integer(property) != value) Set(c, property, std::to_string(value));
  };
  if (c.Integer("Tag") == 100) {
    setIfChanged(maxName, 100);
    setIfChanged(minName, 0);
    const std::string hint = c.Get("Hint").value_or("");
    int64_t position = 0;
    if (!TryStrToInt64(vars_.ExpandVariables("$" + hint + "$"), position)) position = 100;
    setIfChanged(positionName, position);
    return;
  }
  if (!gauge) {
    const bool shownAsMarquee = c.Get("Style").value_or("") == "pbstMarquee";
    if (marquee) {
      if (!shownAsMarquee) Set(c, "Style", "pbstMarquee");
      return;
    }
    if (shownAsMarquee) Set(c, "Style", "pbstNormal");
  }
  // A figure that is no integer, or one the control cannot hold (a gauge
  // beyond 32 bits), puts it at its maximum.
  auto assign = [&](std::string_view property, int64_t value) {
    if (c.Set(property, std::to_string(value)) != SetResult::kDone) return false;
    surface_.Show(c, property);
    return true;
  };
  bool shown = figures.minimum && figures.maximum && figures.position;
  if (shown) {
    BarRange range{*figures.minimum, *figures.maximum, *figures.position};
    if (!gauge) range = ProgressBarRange(range.minimum, range.maximum, range.position);
    shown = assign(maxName, range.maximum) && assign(minName, range.minimum) &&
            assign(positionName, range.position);
  }
  if (!shown) assign(positionName, c.Integer(maxName));
}

void DialogBinding::RefreshProgress(const ProgressFigures& figures) {
  const bool marquee = vars_.ExpandVariables(vars_.GetVariable("PROGRESSMODE")) == "MARQUEE";
  for (FormControl* control : form_.Controls()) {
    FormControl& c = *control;
    if (EqualsIgnoreCase(c.Name(), "cmpFormDesigner")) continue;
    const int64_t tag = c.Integer("Tag");
    if (IsAny(c, {"TLabel", "TButton", "TRzBmpButton", "TPanel", "TTabSheet"})) {
      RefreshCaption(c);
    } else if (Is(c, "TStaticText")) {
      if (tag != 1) {
        RefreshCaption(c);
      } else if (c.Get("Caption").value_or("") != figures.text) {
        Set(c, "Caption", figures.text);
      }
    } else if (IsAny(c, {"TProgressBar", "TGauge"}) && (tag == 1 || tag == 100)) {
      RefreshBar(c, figures, marquee);
    }
  }
  EvaluateRules();
}

void DialogBinding::EvaluateRules() {
  EvaluateDialogRules(rules_, properties_);
}

void DialogBinding::AdvanceFocus(const FormControl& from) {
  const int64_t next = from.Integer("TabOrder", -1) + 1;
  for (const auto& child : form_.Root().Children()) {
    if (child.get() != &from && child->Has("TabOrder") && child->Integer("TabOrder", -1) == next) {
      surface_.Focus(*child);
      return;
    }
  }
}

void DialogBinding::ListBoxClick(FormControl& c) {
  const std::vector<std::string> items = c.Lines("Items");
  const std::vector<bool> marks = surface_.Marks(c);
  std::string value;
  for (size_t i = 0; i < items.size() && i < marks.size(); ++i) {
    if (marks[i]) value += items[i] + std::string(kNewline);
  }
  Write(c, value, "ListBox1Click");
  EvaluateRules();
}

void DialogBinding::CheckListClick(FormControl& c) {
  if (c.Integer("Tag") == 1) {
    const std::vector<std::string> items = c.Lines("Items");
    const int64_t index = c.Integer("ItemIndex", -1);
    if (index >= 0 && static_cast<size_t>(index) < items.size()) {
      currentComponent_ = items[static_cast<size_t>(index)];
    }
    RefreshStaticTexts();
  }
  EvaluateRules();
}

void DialogBinding::CheckListClickCheck(FormControl& c) {
  const std::vector<std::string> items = c.Lines("Items");
  std::vector<bool> marks = surface_.Marks(c);
  marks.resize(items.size(), false);
  if (c.Integer("Tag") == 1) {
    std::vector<ComponentListItem> list;
    for (size_t i = 0; i < items.size(); ++i) list.push_back({items[i], marks[i]});
    ApplyListChecks(components_, list);
    for (size_t i = 0; i < list.size(); ++i) marks[i] = list[i].checked;
    surface_.SetMarks(c, marks);
    RefreshStaticTexts();
  } else {
    std::string value;
    for (size_t i = 0; i < items.size(); ++i) {
      if (marks[i]) value += items[i] + std::string(kNewline);
    }
    Write(c, value, "CheckListBox1ClickCheck");
  }
  EvaluateRules();
}

ComponentTreeNode* DialogBinding::SelectedTreeNode(FormControl& control,
                                                   std::vector<ComponentTreeNode*>* ancestors) {
  auto tree = std::find_if(trees_.begin(), trees_.end(),
                           [&](const auto& entry) { return entry.first == &control; });
  if (tree == trees_.end()) return nullptr;
  std::vector<ComponentTreeNode>* level = &tree->second;
  ComponentTreeNode* node = nullptr;
  for (size_t index : surface_.SelectedNode(control)) {
    if (index >= level->size()) return nullptr;
    if (node != nullptr && ancestors != nullptr) ancestors->push_back(node);
    node = &(*level)[index];
    level = &node->children;
  }
  return node;
}

void DialogBinding::TreeChanged(FormControl& c) {
  if (!attached_ || refreshing_ || !Is(c, "TTreeView")) return;
  if (c.Integer("Tag") == 1) {
    std::vector<ComponentTreeNode*> ancestors;
    if (ComponentTreeNode* node = SelectedTreeNode(c, &ancestors)) {
      std::string path;
      for (const ComponentTreeNode* level : ancestors) path += level->text + "\\";
      currentComponent_ = path + node->text;
    }
    RefreshStaticTexts();
  }
  EvaluateRules();
}

void DialogBinding::TreeMenuRequested(FormControl& c, bool atCursor) {
  if (!attached_ || !Is(c, "TTreeView") || c.Integer("Tag") != 1) return;
  std::vector<ComponentTreeNode*> ancestors;
  ComponentTreeNode* node = SelectedTreeNode(c, &ancestors);
  if (node == nullptr || node->data <= 0) return;
  const std::vector<std::string> names = components_.Lists().names;
  if (static_cast<size_t>(node->data) > names.size() ||
      components_.ComponentChoiceLocked(names[static_cast<size_t>(node->data - 1)])) {
    return;
  }
  const int choice = surface_.PopupMenu(c, services_->componentMenu, atCursor);
  if (choice < 0 || choice > 2) return;
  // This component only, or the entire feature: selected, and so is every
  // ancestor; unavailable: the entire feature is not selected.
  const bool selected = choice != 2;
  SetComponentStateCascade(components_, *node, selected, choice != 0);
  if (selected) {
    for (ComponentTreeNode* ancestor : ancestors) {
      SetComponentStateCascade(components_, *ancestor, true, false);
    }
  }
  for (auto& [control, roots] : trees_) {
    if (control == &c) surface_.ShowTree(c, roots);
  }
  RefreshStaticTexts();
  EvaluateRules();
}

void DialogBinding::RadioClick() {
  for (FormControl* radio : form_.Controls()) {
    if (Is(*radio, "TRzRadioButton")) {
      Write(*radio, BoolToText(radio->Truth("Checked")), "RadioButton1Click");
    }
  }
}

}  // namespace vantrell
