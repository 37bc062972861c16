#include "transmit/CanEditField.h"

#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <memory>
#include <vector>

#include "model/CanText.h"

namespace {
constexpr TCanFieldDef kDefs[] = {
    {3, "000", TCanKeyRule::Hexadecimal, '0'},       // StandardId
    {8, "00000000", TCanKeyRule::Hexadecimal, '0'},  // ExtendedId
    {1, "8", TCanKeyRule::LengthDigit, '0'},         // DataLength
    {2, "00", TCanKeyRule::Hexadecimal, '0'},        // DataByte
    {8, "00000000", TCanKeyRule::Hexadecimal, '0'},  // AcceptanceCode
    {8, "FFFFFFFF", TCanKeyRule::Hexadecimal, 'F'},  // AcceptanceMask
    {3, "000", TCanKeyRule::Hexadecimal, '0'},       // SingleId
    {8, "00000000", TCanKeyRule::Hexadecimal, '0'},  // RangeId
};
}  // namespace

const TCanFieldDef& CanFieldDef(TCanFieldKind kind) { return kDefs[static_cast<int>(kind)]; }

QChar ApplyKeyRule(TCanKeyRule rule, QChar typed) {
  const char16_t c = typed.unicode();
  if (c < 32) return typed;
  if (rule == TCanKeyRule::LengthDigit) return (c >= '0' && c <= '8') ? typed : QChar();
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) return typed;
  if (c >= 'a' && c <= 'f') return typed.toUpper();
  return QChar();
}

QString CompleteText(const QString& text, int maxLength, QChar fill) {
  QString out = text;
  while (out.size() < maxLength) out.prepend(fill);
  return out;
}

QValidator::State TCanKeyValidator::validate(QString& input, int& pos) const {
  QString kept;
  kept.reserve(input.size());
  int newPos = pos;
  for (qsizetype i = 0; i < input.size(); ++i) {
    const QChar c = ApplyKeyRule(FRule, input[i]);
    // Control characters never belong in the text, even though the key itself passes.
    if (c.isNull() || c.unicode() < 32) {
      if (i < pos) --newPos;
      continue;
    }
    kept += c;
  }
  if (kept.size() > FLength) return Invalid;
  input = kept;
  pos = newPos;
  return Acceptable;
}

TCanValueEdit::TCanValueEdit(TCanFieldKind kind, QWidget* parent)
    : QLineEdit(parent), FKind(kind), FValidator(new TCanKeyValidator(CanFieldDef(kind).KeyRule, CanFieldDef(kind).MaxLength, this)) {
  setValidator(FValidator);
  SetKind(kind);
}

void TCanValueEdit::SetKind(TCanFieldKind kind) {
  const TCanFieldDef& def = CanFieldDef(kind);
  FKind = kind;
  FValidator->SetRule(def.KeyRule, def.MaxLength);
  FCompletionChar = QLatin1Char(def.CompletionChar);
  setText(QString::fromLatin1(def.StartText));
}

void TCanValueEdit::Complete() {
  if (text().size() >= MaxLength()) return;
  setText(CompleteText(FCompletion == TCanCompletion::Reset ? QString() : text(), MaxLength(), FCompletionChar));
}

std::int64_t TCanValueEdit::ReadHex() const { return HexToInt64(text()); }

std::uint8_t TCanValueEdit::ReadByte() const { return static_cast<std::uint8_t>(HexTextToInt(text()) & 0xFF); }

int TCanValueEdit::ReadLength() const { return text().toInt(); }

void TCanValueEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A context menu or another window taking the focus is not leaving the field.
  if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) return;
  Complete();
  emit Completed();
}

void TCanValueEdit::keyPressEvent(QKeyEvent* event) {
  if (OnPaste && event->matches(QKeySequence::Paste)) {
    OnPaste(QGuiApplication::clipboard()->text());
    return;
  }
  QLineEdit::keyPressEvent(event);
}

// The line edit's own menu, with its "Paste" going the same way as the keys.
void TCanValueEdit::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu(createStandardContextMenu());
  if (OnPaste)
    if (QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
      paste->disconnect();
      connect(paste, &QAction::triggered, this, [this] { OnPaste(QGuiApplication::clipboard()->text()); });
    }
  menu->exec(event->globalPos());
}

void BindExtendedCheckBox(QCheckBox* extended, TCanValueEdit* id) {
  QObject::connect(extended, &QCheckBox::toggled, id,
                   [id](bool checked) { id->SetKind(checked ? TCanFieldKind::ExtendedId : TCanFieldKind::StandardId); });
}

void BindRtrCheckBox(QCheckBox* rtr, std::span<TCanValueEdit* const> data) {
  std::vector<TCanValueEdit*> fields(data.begin(), data.end());
  QObject::connect(rtr, &QCheckBox::toggled, rtr, [fields](bool checked) {
    for (TCanValueEdit* field : fields) {
      field->setText(QStringLiteral("00"));
      field->setEnabled(!checked);
    }
  });
}
