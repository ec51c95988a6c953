// The installer message handler's decisions (contract in the header).
#include "msi/installer_messages.h"

#include <limits>

#include "lang/engine_texts.h"

namespace vantrell {
namespace {

constexpr int kTextFatalError = 43;
constexpr int kTextError = 44;
constexpr int kTextWarning = 45;
constexpr int kTextFilesInUse = 47;
constexpr int kTextOutOfDiskSpace = 48;

constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();

// The installer's numbers are not trusted: arithmetic saturates instead of overflowing.
int64_t SaturatingAdd(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? kMax64 : kMin64;
  return sum;
}

int64_t SaturatingAbs(int64_t value) {
  return value == kMin64 ? kMax64 : (value < 0 ? -value : value);
}

int64_t SaturatingTimes(int64_t value, int direction) {
  if (direction == 0) return 0;
  if (direction > 0) return value;
  return value == kMin64 ? kMax64 : -value;
}

int32_t ClampTo32(int64_t value) {
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string Heading(int slot, std::string_view message) {
  std::string text = EngineText(slot);
  text += "\r\r";
  text.append(message);
  return text;
}

}  // namespace

ProgressFields ReadProgressFields(std::string_view text) {
  ProgressFields fields;
  size_t i = 0;
  while (fields.count < 4 && i + 2 < text.size() && text[i] >= '1' && text[i] <= '4' &&
         text[i + 1] == ':' && text[i + 2] == ' ') {
    i += 3;
    // A sign is read too: the installer sends negative totals.
    bool negative = i < text.size() && text[i] == '-';
    if (negative) ++i;
    int64_t value = 0;
    while (i < text.size() && IsDigit(text[i])) {
      int digit = text[i] - '0';
      // Saturate on too many digits; the rest of the number is still consumed.
      value = value > (kMax64 - digit) / 10 ? kMax64 : value * 10 + digit;
      ++i;
    }
    fields.value[fields.count++] = negative ? -value : value;
    ++i;  // the blank after the number
  }
  return fields;
}

std::string ActionStartText(std::string_view message) {
  size_t dot = message.find('.');
  if (dot == std::string_view::npos) return std::string(message);
  size_t start = dot + 2;
  return start >= message.size() ? std::string() : std::string(message.substr(start));
}

void ApplyProgressMessage(std::string_view text, InstallerProgress& progress) {
  if (text.empty()) return;
  const ProgressFields fields = ReadProgressFields(text);
  const int64_t a = fields.value[0];
  const int64_t b = fields.value[1];
  const int64_t c = fields.value[2];
  switch (a) {
    case 0:
      progress.minimum = 0;
      if (b != 0) progress.maximum = b;
      if (progress.maximum < 0) progress.maximum = SaturatingAbs(progress.maximum);
      progress.position = 0;
      progress.step = 0;
      if (c == 0) progress.direction = 1;
      if (c == 1) progress.direction = -1;
      break;
    case 1:
      if (c == 0) progress.step = 0;
      if (c == 1) progress.step = ClampTo32(b);
      break;
    case 2:
      progress.position = SaturatingAdd(progress.position, SaturatingTimes(b, progress.direction));
      break;
    case 3:
      progress.maximum = SaturatingAdd(progress.maximum, SaturatingAbs(b));
      break;
    default:
      break;
  }
}

bool PublishInstallerProgress(TVariableManager& vars, const InstallerProgress& progress) {
  // Written directly rather than through ReportProgress: an action text of
  // "$VELD$" or "$IGNORE$" or a position of -1 would be taken as commands there.
  auto hold = vars.Hold();
  vars.PutVariable("VELD_thProgress", std::to_string(progress.position));
  vars.PutVariable("VELD_thMax", std::to_string(progress.maximum));
  vars.PutVariable("VELD_thMin", std::to_string(progress.minimum));
  vars.PutVariable("VELD_thProgressText", progress.actionText);
  return vars.GetVariable("VELD_thCancelled") == "FALSE";
}

InstallerMessageHandler::InstallerMessageHandler(TVariableManager& vars,
                                                 InstallerMessageBoxFunction showBox)
    : vars_(vars), showBox_(std::move(showBox)) {}

void InstallerMessageHandler::BeginRun(bool silent, std::string title) {
  silent_ = silent;
  title_ = std::move(title);
  lastMessage_.clear();
}

int InstallerMessageHandler::ShowBox(uint32_t style, std::string text, uint32_t icon,
                                     bool languageNeutral, int silentAnswer) {
  if (silent_ || !showBox_) return silentAnswer;
  InstallerMessageBox box;
  box.text = std::move(text);
  box.caption = title_;
  // The kind's icon replaces any icon bits of the message's own style, so the
  // two never combine into a third icon.
  box.style = (style & ~kBoxIconMask) | icon;
  box.languageNeutral = languageNeutral;
  return showBox_(box);
}

int InstallerMessageHandler::Handle(uint32_t messageType, std::string_view message) {
  const uint32_t kind = messageType & kInstallerMessageKindMask;
  const uint32_t style = messageType & kInstallerMessageStyleMask;
  int answer = 0;
  switch (kind) {
    case kMessageFatalExit:
      lastMessage_ = std::string(message);
      answer = ShowBox(style, Heading(kTextFatalError, message), kBoxIconHand, false, 0);
      break;
    case kMessageError:
      lastMessage_ = std::string(message);
      answer = ShowBox(style, Heading(kTextError, message), kBoxIconHand, true, 1);
      break;
    case kMessageWarning:
      answer = ShowBox(style, Heading(kTextWarning, message), kBoxIconExclamation, false, 1);
      break;
    case kMessageUser:
      answer = ShowBox(style, std::string(message), kBoxIconQuestion, false, 1);
      break;
    case kMessageFilesInUse:
    case kMessageRmFilesInUse:
      answer = ShowBox(style, Heading(kTextFilesInUse, message), kBoxIconExclamation, false, 1);
      break;
    case kMessageOutOfDiskSpace:
      answer = ShowBox(style, Heading(kTextOutOfDiskSpace, message), kBoxIconHand, false, 1);
      break;
    case kMessageResolveSource:
      answer = 0;
      break;
    case kMessageActionStart:
      progress_.actionText = ActionStartText(message);
      answer = 1;
      break;
    case kMessageActionData:
      progress_.actionText = std::string(message);
      progress_.position = SaturatingAdd(progress_.position, progress_.step);
      answer = 1;
      break;
    case kMessageProgress:
      ApplyProgressMessage(message, progress_);
      answer = 1;
      break;
    default:
      answer = (kind == kMessageInfo || (kind >= kMessageCommonData && kind <= kMessageShowDialog))
                   ? 1
                   : 0;
      break;
  }
  if (!PublishInstallerProgress(vars_, progress_)) return kAnswerCancel;
  return answer;
}

}  // namespace vantrell
