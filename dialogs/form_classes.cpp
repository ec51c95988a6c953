// The published properties of the dialog control classes. Each class is its
// ancestry's list (every control, windowed controls, ...) plus its own
// entries; an own entry with an inherited name replaces the inherited one,
// which is how classes give Width, Height, Color or TabStop their defaults.
#include "dialogs/form_classes.h"

#include <initializer_list>

#include "common/ascii.h"

namespace vantrell {
namespace {

using Kind = PropertyKind;
using List = std::initializer_list<PropertyDescriptor>;

constexpr std::string_view kAlign = "alNone,alTop,alBottom,alLeft,alRight,alClient,alCustom";
constexpr std::string_view kAlignment = "taLeftJustify,taRightJustify,taCenter";
constexpr std::string_view kAnchors = "akLeft,akTop,akRight,akBottom";
constexpr std::string_view kFontStyles = "fsBold,fsItalic,fsUnderline,fsStrikeOut";
constexpr std::string_view kControlBorder = "bsNone,bsSingle";
constexpr std::string_view kFormBorder =
    "bsNone,bsSingle,bsSizeable,bsDialog,bsToolWindow,bsSizeToolWin";
constexpr std::string_view kBorderIcons = "biSystemMenu,biMinimize,biMaximize,biHelp";
constexpr std::string_view kFormPosition =
    "poDesigned,poDefault,poDefaultPosOnly,poDefaultSizeOnly,poScreenCenter,poDesktopCenter,"
    "poMainFormCenter,poOwnerFormCenter";
constexpr std::string_view kScrollBars = "ssNone,ssHorizontal,ssVertical,ssBoth";
constexpr std::string_view kCharCase = "ecNormal,ecUpperCase,ecLowerCase";
constexpr std::string_view kBevelCut = "bvNone,bvLowered,bvRaised,bvSpace";
constexpr std::string_view kButtonLayout = "blGlyphLeft,blGlyphRight,blGlyphTop,blGlyphBottom";
constexpr std::string_view kCheckState = "cbUnchecked,cbChecked,cbGrayed";
constexpr std::string_view kListStyle =
    "lbStandard,lbOwnerDrawFixed,lbOwnerDrawVariable,lbVirtual,lbVirtualOwnerDraw";

// Every control: position, size, font, colour, visibility and the two
// properties that carry the binding (Hint, Tag).
const List kControl = {
    {"Left", Kind::kInteger, "0", {}},
    {"Top", Kind::kInteger, "0", {}},
    {"Width", Kind::kInteger, "0", {}},
    {"Height", Kind::kInteger, "0", {}},
    {"Tag", Kind::kInteger, "0", {}},
    {"Hint", Kind::kText, "", {}},
    {"ShowHint", Kind::kBool, "False", {}},
    {"ParentShowHint", Kind::kBool, "True", {}},
    {"Visible", Kind::kBool, "True", {}},
    {"Enabled", Kind::kBool, "True", {}},
    {"Align", Kind::kIdent, "alNone", kAlign},
    {"Anchors", Kind::kSet, "[akLeft,akTop]", kAnchors},
    {"Cursor", Kind::kIdent, "crDefault", {}},
    {"HelpContext", Kind::kInteger, "0", {}},
    {"Color", Kind::kColor, "clBtnFace", {}},
    {"ParentColor", Kind::kBool, "True", {}},
    {"Font.Charset", Kind::kCharset, "DEFAULT_CHARSET", {}},
    {"Font.Color", Kind::kColor, "clWindowText", {}},
    {"Font.Height", Kind::kFontHeight, "-11", {}},
    {"Font.Size", Kind::kFontSize, "8", {}},
    {"Font.Name", Kind::kText, "MS Sans Serif", {}},
    {"Font.Style", Kind::kSet, "[]", kFontStyles},
    {"ParentFont", Kind::kBool, "True", {}},
};

// Controls with a window of their own.
const List kWindowed = {
    {"TabOrder", Kind::kInteger, "-1", {}},
    {"TabStop", Kind::kBool, "False", {}},
    {"Ctl3D", Kind::kBool, "True", {}},
    {"ParentCtl3D", Kind::kBool, "True", {}},
};

// Edit fields: white, framed, typed into.
const List kEditField = {
    {"Color", Kind::kColor, "clWindow", {}},
    {"ParentColor", Kind::kBool, "False", {}},
    {"TabStop", Kind::kBool, "True", {}},
    {"BorderStyle", Kind::kIdent, "bsSingle", kControlBorder},
    {"MaxLength", Kind::kInteger, "0", {}},
    {"ReadOnly", Kind::kBool, "False", {}},
};

const List kEdit = {
    {"Width", Kind::kInteger, "121", {}},    {"Height", Kind::kInteger, "21", {}},
    {"Text", Kind::kText, "", {}},           {"AutoSize", Kind::kBool, "True", {}},
    {"AutoSelect", Kind::kBool, "True", {}}, {"CharCase", Kind::kIdent, "ecNormal", kCharCase},
    {"PasswordChar", Kind::kText, "", {}},   {"HideSelection", Kind::kBool, "True", {}},
};

const List kMemo = {
    {"Width", Kind::kInteger, "185", {}},
    {"Height", Kind::kInteger, "89", {}},
    {"Lines.Strings", Kind::kStrings, "", {}},
    {"Alignment", Kind::kIdent, "taLeftJustify", kAlignment},
    {"ScrollBars", Kind::kIdent, "ssNone", kScrollBars},
    {"WordWrap", Kind::kBool, "True", {}},
    {"WantReturns", Kind::kBool, "True", {}},
    {"WantTabs", Kind::kBool, "False", {}},
    {"HideSelection", Kind::kBool, "True", {}},
};

const List kButton = {
    {"Width", Kind::kInteger, "75", {}},      {"Height", Kind::kInteger, "25", {}},
    {"Caption", Kind::kText, "", {}},         {"TabStop", Kind::kBool, "True", {}},
    {"Default", Kind::kBool, "False", {}},    {"Cancel", Kind::kBool, "False", {}},
    {"ModalResult", Kind::kInteger, "0", {}}, {"WordWrap", Kind::kBool, "False", {}},
};

const List kGlyph = {
    {"Glyph.Data", Kind::kBinary, "", {}},  {"Layout", Kind::kIdent, "blGlyphLeft", kButtonLayout},
    {"Margin", Kind::kInteger, "-1", {}},   {"Spacing", Kind::kInteger, "4", {}},
    {"NumGlyphs", Kind::kInteger, "1", {}},
};

const List kCheckBox = {
    {"Width", Kind::kInteger, "97", {}},
    {"Height", Kind::kInteger, "17", {}},
    {"Caption", Kind::kText, "", {}},
    {"TabStop", Kind::kBool, "True", {}},
    {"Checked", Kind::kBool, "False", {}},
    {"State", Kind::kIdent, "cbUnchecked", kCheckState},
    {"AllowGrayed", Kind::kBool, "False", {}},
    {"Alignment", Kind::kIdent, "taRightJustify", "taLeftJustify,taRightJustify"},
    {"WordWrap", Kind::kBool, "False", {}},
    {"Transparent", Kind::kBool, "False", {}},
};

const List kRadioButton = {
    {"Width", Kind::kInteger, "113", {}},
    {"Height", Kind::kInteger, "17", {}},
    {"Caption", Kind::kText, "", {}},
    {"TabStop", Kind::kBool, "True", {}},
    {"Checked", Kind::kBool, "False", {}},
    {"Alignment", Kind::kIdent, "taRightJustify", "taLeftJustify,taRightJustify"},
    {"WordWrap", Kind::kBool, "False", {}},
    {"Transparent", Kind::kBool, "False", {}},
};

const List kListBox = {
    {"Width", Kind::kInteger, "121", {}},
    {"Height", Kind::kInteger, "97", {}},
    {"Items.Strings", Kind::kStrings, "", {}},
    {"ItemIndex", Kind::kInteger, "-1", {}},
    {"ItemHeight", Kind::kInteger, "13", {}},
    {"MultiSelect", Kind::kBool, "False", {}},
    {"ExtendedSelect", Kind::kBool, "True", {}},
    {"Sorted", Kind::kBool, "False", {}},
    {"Columns", Kind::kInteger, "0", {}},
    {"IntegralHeight", Kind::kBool, "False", {}},
    {"Style", Kind::kIdent, "lbStandard", kListStyle},
};

const List kComboBox = {
    {"Width", Kind::kInteger, "145", {}},
    {"Height", Kind::kInteger, "21", {}},
    {"Items.Strings", Kind::kStrings, "", {}},
    {"Text", Kind::kText, "", {}},
    {"ItemIndex", Kind::kInteger, "-1", {}},
    {"ItemHeight", Kind::kInteger, "13", {}},
    {"Style", Kind::kIdent, "csDropDown",
     "csDropDown,csSimple,csDropDownList,csOwnerDrawFixed,csOwnerDrawVariable"},
    {"DropDownCount", Kind::kInteger, "8", {}},
    {"Sorted", Kind::kBool, "False", {}},
    {"CharCase", Kind::kIdent, "ecNormal", kCharCase},
};

const List kGroupBox = {
    {"Width", Kind::kInteger, "185", {}},
    {"Height", Kind::kInteger, "105", {}},
    {"Caption", Kind::kText, "", {}},
};

const List kPanel = {
    {"Width", Kind::kInteger, "185", {}},
    {"Height", Kind::kInteger, "41", {}},
    {"Caption", Kind::kText, "", {}},
    {"Alignment", Kind::kIdent, "taCenter", kAlignment},
    {"BevelInner", Kind::kIdent, "bvNone", kBevelCut},
    {"BevelOuter", Kind::kIdent, "bvRaised", kBevelCut},
    {"BevelWidth", Kind::kInteger, "1", {}},
    {"BorderWidth", Kind::kInteger, "0", {}},
    {"BorderStyle", Kind::kIdent, "bsNone", kControlBorder},
    {"ParentColor", Kind::kBool, "False", {}},
    {"FullRepaint", Kind::kBool, "True", {}},
    {"Locked", Kind::kBool, "False", {}},
};

const List kBitBtn = {
    {"Kind", Kind::kIdent, "bkCustom",
     "bkCustom,bkOK,bkCancel,bkHelp,bkYes,bkNo,bkClose,bkAbort,bkRetry,bkIgnore,bkAll"},
    {"Style", Kind::kIdent, "bsAutoDetect", "bsAutoDetect,bsWin31,bsNew"},
};

const List kSpeedButton = {
    {"Width", Kind::kInteger, "23", {}},      {"Height", Kind::kInteger, "22", {}},
    {"Caption", Kind::kText, "", {}},         {"Flat", Kind::kBool, "False", {}},
    {"Down", Kind::kBool, "False", {}},       {"GroupIndex", Kind::kInteger, "0", {}},
    {"AllowAllUp", Kind::kBool, "False", {}}, {"Transparent", Kind::kBool, "True", {}},
};

const List kMaskEdit = {
    {"EditMask", Kind::kText, "", {}},
};

const List kImage = {
    {"Width", Kind::kInteger, "105", {}},
    {"Height", Kind::kInteger, "105", {}},
    {"Picture.Data", Kind::kBinary, "", {}},
    {"AutoSize", Kind::kBool, "False", {}},
    {"Center", Kind::kBool, "False", {}},
    {"Stretch", Kind::kBool, "False", {}},
    {"Proportional", Kind::kBool, "False", {}},
    {"Transparent", Kind::kBool, "False", {}},
    {"IncrementalDisplay", Kind::kBool, "False", {}},
};

const List kShape = {
    {"Width", Kind::kInteger, "65", {}},
    {"Height", Kind::kInteger, "65", {}},
    {"Shape", Kind::kIdent, "stRectangle",
     "stRectangle,stSquare,stRoundRect,stRoundSquare,stEllipse,stCircle"},
    {"Brush.Color", Kind::kColor, "clWhite", {}},
    {"Brush.Style", Kind::kIdent, "bsSolid",
     "bsSolid,bsClear,bsHorizontal,bsVertical,bsFDiagonal,bsBDiagonal,bsCross,bsDiagCross"},
    {"Pen.Color", Kind::kColor, "clBlack", {}},
    {"Pen.Width", Kind::kInteger, "1", {}},
    {"Pen.Style", Kind::kIdent, "psSolid",
     "psSolid,psDash,psDot,psDashDot,psDashDotDot,psClear,psInsideFrame"},
    {"Pen.Mode", Kind::kIdent, "pmCopy", {}},
};

const List kBevel = {
    {"Width", Kind::kInteger, "50", {}},
    {"Height", Kind::kInteger, "50", {}},
    {"Shape", Kind::kIdent, "bsBox",
     "bsBox,bsFrame,bsTopLine,bsBottomLine,bsLeftLine,bsRightLine,bsSpacer"},
    {"Style", Kind::kIdent, "bsLowered", "bsLowered,bsRaised"},
};

const List kLabel = {
    {"Width", Kind::kInteger, "65", {}},
    {"Height", Kind::kInteger, "13", {}},
    {"Caption", Kind::kText, "", {}},
    {"Alignment", Kind::kIdent, "taLeftJustify", kAlignment},
    {"AutoSize", Kind::kBool, "True", {}},
    {"WordWrap", Kind::kBool, "False", {}},
    {"Transparent", Kind::kBool, "False", {}},
    {"Layout", Kind::kIdent, "tlTop", "tlTop,tlCenter,tlBottom"},
    {"ShowAccelChar", Kind::kBool, "True", {}},
};

const List kStaticText = {
    {"Width", Kind::kInteger, "65", {}},
    {"Height", Kind::kInteger, "17", {}},
    {"Caption", Kind::kText, "", {}},
    {"Alignment", Kind::kIdent, "taLeftJustify", kAlignment},
    {"AutoSize", Kind::kBool, "True", {}},
    {"BorderStyle", Kind::kIdent, "sbsNone", "sbsNone,sbsSingle,sbsSunken"},
    {"ShowAccelChar", Kind::kBool, "True", {}},
    {"Transparent", Kind::kBool, "True", {}},
};

const List kGauge = {
    {"Width", Kind::kInteger, "100", {}},
    {"Height", Kind::kInteger, "100", {}},
    {"Kind", Kind::kIdent, "gkHorizontalBar",
     "gkText,gkHorizontalBar,gkVerticalBar,gkPie,gkNeedle"},
    {"MinValue", Kind::kInteger, "0", {}},
    {"MaxValue", Kind::kInteger, "100", {}},
    {"Progress", Kind::kInteger, "0", {}},
    {"ShowText", Kind::kBool, "True", {}},
    {"BorderStyle", Kind::kIdent, "bsSingle", kControlBorder},
    {"ForeColor", Kind::kColor, "clBlack", {}},
    {"BackColor", Kind::kColor, "clWhite", {}},
};

const List kPageControl = {
    {"Width", Kind::kInteger, "289", {}},
    {"Height", Kind::kInteger, "193", {}},
    {"ActivePage", Kind::kIdent, "", {}},
    {"TabStop", Kind::kBool, "True", {}},
    {"MultiLine", Kind::kBool, "False", {}},
    {"HotTrack", Kind::kBool, "False", {}},
    {"TabHeight", Kind::kInteger, "0", {}},
    {"TabWidth", Kind::kInteger, "0", {}},
    {"TabPosition", Kind::kIdent, "tpTop", "tpTop,tpBottom,tpLeft,tpRight"},
    {"Style", Kind::kIdent, "tsTabs", "tsTabs,tsButtons,tsFlatButtons"},
};

const List kTabSheet = {
    {"Caption", Kind::kText, "", {}},          {"TabVisible", Kind::kBool, "True", {}},
    {"PageIndex", Kind::kInteger, "0", {}},    {"ImageIndex", Kind::kInteger, "0", {}},
    {"Highlighted", Kind::kBool, "False", {}},
};

const List kRichEdit = {
    {"PlainText", Kind::kBool, "False", {}},
};

const List kTrackBar = {
    {"Width", Kind::kInteger, "150", {}},
    {"Height", Kind::kInteger, "45", {}},
    {"TabStop", Kind::kBool, "True", {}},
    {"Min", Kind::kInteger, "0", {}},
    {"Max", Kind::kInteger, "10", {}},
    {"Position", Kind::kInteger, "0", {}},
    {"Frequency", Kind::kInteger, "1", {}},
    {"LineSize", Kind::kInteger, "1", {}},
    {"PageSize", Kind::kInteger, "2", {}},
    {"SelStart", Kind::kInteger, "0", {}},
    {"SelEnd", Kind::kInteger, "0", {}},
    {"ThumbLength", Kind::kInteger, "20", {}},
    {"SliderVisible", Kind::kBool, "True", {}},
    {"Orientation", Kind::kIdent, "trHorizontal", "trHorizontal,trVertical"},
    {"TickMarks", Kind::kIdent, "tmBottomRight", "tmBottomRight,tmTopLeft,tmBoth"},
    {"TickStyle", Kind::kIdent, "tsAuto", "tsNone,tsAuto,tsManual"},
};

const List kProgressBar = {
    {"Width", Kind::kInteger, "150", {}},
    {"Height", Kind::kInteger, "16", {}},
    {"Min", Kind::kInteger, "0", {}},
    {"Max", Kind::kInteger, "100", {}},
    {"Position", Kind::kInteger, "0", {}},
    {"Step", Kind::kInteger, "10", {}},
    {"Smooth", Kind::kBool, "False", {}},
    {"Orientation", Kind::kIdent, "pbHorizontal", "pbHorizontal,pbVertical"},
    {"Style", Kind::kIdent, "pbstNormal", "pbstNormal,pbstMarquee"},
};

const List kUpDown = {
    {"Width", Kind::kInteger, "15", {}},
    {"Height", Kind::kInteger, "25", {}},
    {"TabStop", Kind::kBool, "False", {}},
    {"Min", Kind::kInteger, "0", {}},
    {"Max", Kind::kInteger, "100", {}},
    {"Position", Kind::kInteger, "0", {}},
    {"Increment", Kind::kInteger, "1", {}},
    {"Associate", Kind::kIdent, "", {}},
    {"AlignButton", Kind::kIdent, "udRight", "udLeft,udRight"},
    {"ArrowKeys", Kind::kBool, "True", {}},
    {"Thousands", Kind::kBool, "True", {}},
    {"Wrap", Kind::kBool, "False", {}},
    {"Orientation", Kind::kIdent, "udVertical", "udHorizontal,udVertical"},
};

const List kAnimate = {
    {"Width", Kind::kInteger, "100", {}},
    {"Height", Kind::kInteger, "80", {}},
    {"Active", Kind::kBool, "False", {}},
    {"CommonAVI", Kind::kIdent, "aviNone",
     "aviNone,aviFindFolder,aviFindFile,aviFindComputer,aviCopyFiles,aviCopyFile,aviRecycleFile,"
     "aviEmptyRecycle,aviDeleteFile"},
    {"FileName", Kind::kText, "", {}},
    {"Center", Kind::kBool, "True", {}},
    {"Transparent", Kind::kBool, "True", {}},
    {"Repetitions", Kind::kInteger, "0", {}},
    {"StartFrame", Kind::kInteger, "1", {}},
    {"StopFrame", Kind::kInteger, "0", {}},
    {"Timers", Kind::kBool, "False", {}},
};

const List kCheckListBox = {
    {"AllowGrayed", Kind::kBool, "False", {}},
    {"Flat", Kind::kBool, "True", {}},
};

const List kTreeView = {
    {"Width", Kind::kInteger, "121", {}},
    {"Height", Kind::kInteger, "97", {}},
    {"Items.Data", Kind::kBinary, "", {}},
    {"Indent", Kind::kInteger, "19", {}},
    {"ShowButtons", Kind::kBool, "True", {}},
    {"ShowLines", Kind::kBool, "True", {}},
    {"ShowRoot", Kind::kBool, "True", {}},
    {"RowSelect", Kind::kBool, "False", {}},
    {"AutoExpand", Kind::kBool, "False", {}},
    {"SortType", Kind::kIdent, "stNone", "stNone,stData,stText,stBoth"},
};

const List kHtmlViewer = {
    {"Width", Kind::kInteger, "150", {}},
    {"Height", Kind::kInteger, "150", {}},
    {"TabStop", Kind::kBool, "True", {}},
    {"BorderStyle", Kind::kIdent, "htFocused", "htFocused,htNone,htSingle"},
    {"ScrollBars", Kind::kIdent, "ssBoth", kScrollBars},
    {"DefFontName", Kind::kText, "Times New Roman", {}},
    {"DefFontSize", Kind::kInteger, "12", {}},
    {"DefFontColor", Kind::kColor, "clBtnText", {}},
    {"DefBackground", Kind::kColor, "clBtnFace", {}},
    {"DefHotSpotColor", Kind::kColor, "clBlue", {}},
    {"DefPreFontName", Kind::kText, "Courier New", {}},
};

const List kFileListBox = {
    {"Width", Kind::kInteger, "145", {}},
    {"Height", Kind::kInteger, "97", {}},
    {"Mask", Kind::kText, "*.*", {}},
    {"FileType", Kind::kSet, "[ftNormal]",
     "ftReadOnly,ftHidden,ftSystem,ftVolumeID,ftDirectory,ftArchive,ftNormal"},
    {"ShowGlyphs", Kind::kBool, "False", {}},
    {"FileEdit", Kind::kIdent, "", {}},
};

const List kDirectoryListBox = {
    {"Width", Kind::kInteger, "145", {}},     {"Height", Kind::kInteger, "97", {}},
    {"ItemHeight", Kind::kInteger, "16", {}}, {"DirLabel", Kind::kIdent, "", {}},
    {"FileList", Kind::kIdent, "", {}},
};

const List kDriveComboBox = {
    {"Width", Kind::kInteger, "145", {}},
    {"Height", Kind::kInteger, "19", {}},
    {"DirList", Kind::kIdent, "", {}},
    {"TextCase", Kind::kIdent, "tcLowerCase", "tcLowerCase,tcUpperCase"},
};

const List kFilterComboBox = {
    {"Width", Kind::kInteger, "145", {}},
    {"Height", Kind::kInteger, "21", {}},
    {"Filter", Kind::kText, "All files (*.*)|*.*", {}},
    {"FileList", Kind::kIdent, "", {}},
};

const List kShellView = {
    {"Width", Kind::kInteger, "145", {}},    {"Height", Kind::kInteger, "97", {}},
    {"Color", Kind::kColor, "clWindow", {}}, {"ParentColor", Kind::kBool, "False", {}},
    {"TabStop", Kind::kBool, "True", {}},    {"HideSelection", Kind::kBool, "False", {}},
};

const List kFlashFrame = {
    {"Width", Kind::kInteger, "192", {}},
    {"Height", Kind::kInteger, "192", {}},
    {"Movie", Kind::kText, "", {}},
};

const List kFormShape = {
    {"Align", Kind::kIdent, "alClient", kAlign},
    {"Picture.Data", Kind::kBinary, "", {}},
};

const List kBmpButton = {
    {"Width", Kind::kInteger, "75", {}},
    {"Height", Kind::kInteger, "25", {}},
    {"Caption", Kind::kText, "", {}},
    {"TabStop", Kind::kBool, "True", {}},
    {"ModalResult", Kind::kInteger, "0", {}},
    {"Bitmaps.Up.Data", Kind::kBinary, "", {}},
    {"Bitmaps.Down.Data", Kind::kBinary, "", {}},
    {"Bitmaps.Disabled.Data", Kind::kBinary, "", {}},
};

const List kVistaGlass = {
    {"GlassLeft", Kind::kInteger, "0", {}},     {"GlassTop", Kind::kInteger, "0", {}},
    {"GlassRight", Kind::kInteger, "0", {}},    {"GlassBottom", Kind::kInteger, "0", {}},
    {"SheetOfGlass", Kind::kBool, "False", {}},
};

// The dialog form: a fixed border, centred on the screen.
const List kForm = {
    {"Width", Kind::kInteger, "320", {}},
    {"Height", Kind::kInteger, "240", {}},
    {"ClientWidth", Kind::kInteger, "312", {}},
    {"ClientHeight", Kind::kInteger, "213", {}},
    {"Caption", Kind::kText, "", {}},
    {"Visible", Kind::kBool, "False", {}},
    {"ParentFont", Kind::kBool, "False", {}},
    {"ParentColor", Kind::kBool, "False", {}},
    {"BorderStyle", Kind::kIdent, "bsSingle", kFormBorder},
    {"BorderIcons", Kind::kSet, "[biSystemMenu,biMinimize,biMaximize]", kBorderIcons},
    {"Position", Kind::kIdent, "poScreenCenter", kFormPosition},
    {"PixelsPerInch", Kind::kInteger, "96", {}},
    {"Scaled", Kind::kBool, "True", {}},
    {"TextHeight", Kind::kInteger, "13", {}},
    {"FormStyle", Kind::kIdent, "fsNormal", "fsNormal,fsMDIChild,fsMDIForm,fsStayOnTop"},
    {"WindowState", Kind::kIdent, "wsNormal", "wsNormal,wsMinimized,wsMaximized"},
    {"AutoScroll", Kind::kBool, "True", {}},
    {"AutoSize", Kind::kBool, "False", {}},
    {"KeyPreview", Kind::kBool, "False", {}},
    {"OldCreateOrder", Kind::kBool, "False", {}},
    {"Icon.Data", Kind::kBinary, "", {}},
};

// A class from its ancestry's lists, later lists overriding earlier entries.
ClassDescriptor Make(std::string_view name, bool windowed,
                     std::initializer_list<const List*> lists) {
  ClassDescriptor c{name, windowed, {}};
  for (const List* list : lists) {
    for (const PropertyDescriptor& p : *list) {
      bool replaced = false;
      for (PropertyDescriptor& have : c.properties) {
        if (have.name == p.name) {
          have = p;
          replaced = true;
        }
      }
      if (!replaced) c.properties.push_back(p);
    }
  }
  return c;
}

std::vector<ClassDescriptor> MakeClasses() {
  const List* c = &kControl;
  const List* w = &kWindowed;
  return {
      Make("TLabel", false, {c, &kLabel}),
      Make("TEdit", true, {c, w, &kEditField, &kEdit}),
      Make("TMemo", true, {c, w, &kEditField, &kMemo}),
      Make("TButton", true, {c, w, &kButton}),
      Make("TRzCheckBox", true, {c, w, &kCheckBox}),
      Make("TRzRadioButton", true, {c, w, &kRadioButton}),
      Make("TListBox", true, {c, w, &kEditField, &kListBox}),
      Make("TComboBox", true, {c, w, &kEditField, &kComboBox}),
      Make("TGroupBox", true, {c, w, &kGroupBox}),
      Make("TPanel", true, {c, w, &kPanel}),
      Make("TBitBtn", true, {c, w, &kButton, &kGlyph, &kBitBtn}),
      Make("TSpeedButton", false, {c, &kSpeedButton, &kGlyph}),
      Make("TMaskEdit", true, {c, w, &kEditField, &kEdit, &kMaskEdit}),
      Make("TImage", false, {c, &kImage}),
      Make("TShape", false, {c, &kShape}),
      Make("TBevel", false, {c, &kBevel}),
      Make("TStaticText", true, {c, w, &kStaticText}),
      Make("TGauge", false, {c, &kGauge}),
      Make("TPageControl", true, {c, w, &kPageControl}),
      Make("TTabSheet", true, {c, w, &kTabSheet}),
      Make("TRichEdit", true, {c, w, &kEditField, &kMemo, &kRichEdit}),
      Make("TTrackBar", true, {c, w, &kTrackBar}),
      Make("TProgressBar", true, {c, w, &kProgressBar}),
      Make("TUpDown", true, {c, w, &kUpDown}),
      Make("TAnimate", true, {c, w, &kAnimate}),
      Make("TCheckListBox", true, {c, w, &kEditField, &kListBox, &kCheckListBox}),
      Make("TTreeView", true, {c, w, &kEditField, &kTreeView}),
      Make("THTMLViewer", true, {c, w, &kHtmlViewer}),
      Make("TFileListBox", true, {c, w, &kEditField, &kListBox, &kFileListBox}),
      Make("TDirectoryListBox", true, {c, w, &kEditField, &kListBox, &kDirectoryListBox}),
      Make("TDriveComboBox", true, {c, w, &kEditField, &kDriveComboBox}),
      Make("TFilterComboBox", true, {c, w, &kEditField, &kFilterComboBox}),
      Make("TPTShellTree", true, {c, w, &kShellView}),
      Make("TPTShellList", true, {c, w, &kShellView}),
      Make("TPTShellCombo", true, {c, w, &kShellView}),
      Make("TFlashFrame", true, {c, w, &kFlashFrame}),
      Make("TRzFormShape", false, {c, &kFormShape}),
      Make("TRzBmpButton", true, {c, w, &kBmpButton}),
      Make("TVistaGlass", false, {c, &kVistaGlass}),
  };
}

}  // namespace

const PropertyDescriptor* ClassDescriptor::Find(std::string_view property) const {
  for (const PropertyDescriptor& p : properties) {
    if (EqualsIgnoreCase(p.name, property)) return &p;
  }
  return nullptr;
}

std::span<const ClassDescriptor> ControlClasses() {
  static const std::vector<ClassDescriptor> classes = MakeClasses();
  return classes;
}

const ClassDescriptor& FormClass() {
  static const ClassDescriptor form = Make("TPoolTemplate", true, {&kControl, &kWindowed, &kForm});
  return form;
}

const ClassDescriptor* FindControlClass(std::string_view name) {
  for (const ClassDescriptor& c : ControlClasses()) {
    if (EqualsIgnoreCase(c.name, name)) return &c;
  }
  return nullptr;
}

std::vector<std::string_view> SplitNames(std::string_view names) {
  std::vector<std::string_view> out;
  while (!names.empty()) {
    size_t comma = names.find(',');
    out.push_back(names.substr(0, comma));
    if (comma == std::string_view::npos) break;
    names.remove_prefix(comma + 1);
  }
  return out;
}

}  // namespace vantrell
