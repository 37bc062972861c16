#pragma once
// The field rules every CAN value editor shares: which characters a field takes, how it is
// completed when the focus leaves it, how its text is read, and what the "Extended" and
// "RTR" boxes of a frame editor do to the fields next to them.
//
// The character rule is applied to every change of the text, typed or pasted or dropped, so
// a field only ever holds characters its rule accepts and strict reading cannot fail on what
// the user entered.

#include <QChar>
#include <QLineEdit>
#include <QString>
#include <QValidator>
#include <cstdint>
#include <functional>
#include <span>

class QCheckBox;

enum class TCanFieldKind {
  StandardId,      // 3 hex digits, "000"
  ExtendedId,      // 8 hex digits, "00000000"
  DataLength,      // 1 digit 0-8, "8"
  DataByte,        // 2 hex digits, "00"
  AcceptanceCode,  // 8 hex digits, "00000000"
  AcceptanceMask,  // 8 hex digits, "FFFFFFFF", completed with "F"
  SingleId,        // 3 hex digits, "000"
  RangeId,         // 8 hex digits, "00000000"
};

enum class TCanKeyRule { Hexadecimal, LengthDigit };

// How a field too short is completed on leaving: padded on the left with the completion
// character, or replaced as a whole by completion characters (the bit-timing register fields).
enum class TCanCompletion { PadLeft, Reset };

struct TCanFieldDef {
  int MaxLength;
  const char* StartText;
  TCanKeyRule KeyRule;
  char CompletionChar;
};

[[nodiscard]] const TCanFieldDef& CanFieldDef(TCanFieldKind kind);

// The character a typed character becomes under `rule`, or a null QChar when it is dropped.
// Control characters (below 32) pass unchanged.
[[nodiscard]] QChar ApplyKeyRule(TCanKeyRule rule, QChar typed);
// Pads `text` on the left with `fill` up to `maxLength` characters.
[[nodiscard]] QString CompleteText(const QString& text, int maxLength, QChar fill);

// Keeps the characters `rule` accepts, in their entered form, and moves the cursor with
// them; rejects a change that would leave more than `length` characters. The length is kept
// here rather than in the line edit, which would cut a pasted text before it is filtered.
class TCanKeyValidator : public QValidator {
  Q_OBJECT
 public:
  TCanKeyValidator(TCanKeyRule rule, int length, QObject* parent = nullptr) : QValidator(parent), FRule(rule), FLength(length) {}
  State validate(QString& input, int& pos) const override;
  void SetRule(TCanKeyRule rule, int length) {
    FRule = rule;
    FLength = length;
  }
  [[nodiscard]] TCanKeyRule Rule() const { return FRule; }
  [[nodiscard]] int Length() const { return FLength; }

 private:
  TCanKeyRule FRule;
  int FLength;
};

class TCanValueEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(QChar completionChar READ CompletionChar WRITE SetCompletionChar)

 public:
  explicit TCanValueEdit(TCanFieldKind kind, QWidget* parent = nullptr);

  // Applies the kind's length, character rule and completion character, and its start text.
  void SetKind(TCanFieldKind kind);
  [[nodiscard]] TCanFieldKind Kind() const { return FKind; }
  [[nodiscard]] TCanKeyRule KeyRule() const { return FValidator->Rule(); }
  // The field's maximum length in characters; completion pads to it.
  [[nodiscard]] int MaxLength() const { return FValidator->Length(); }

  // The mark that decides how the field is completed; the mask fields carry "F".
  [[nodiscard]] QChar CompletionChar() const { return FCompletionChar; }
  void SetCompletionChar(QChar c) { FCompletionChar = c; }
  void SetCompletion(TCanCompletion completion) { FCompletion = completion; }

  // Completes a text shorter than the maximum length; runs when the focus leaves the field.
  void Complete();

  // Takes over pasting (keys and context menu) with the clipboard text; unset, the field
  // pastes as a line edit does.
  std::function<void(const QString& text)> OnPaste;

  // Identifier, code and mask fields: strict hexadecimal, empty is 0 (throws EConvertError).
  [[nodiscard]] std::int64_t ReadHex() const;
  // Data bytes: lenient hexadecimal, low 8 bits.
  [[nodiscard]] std::uint8_t ReadByte() const;
  // Length fields: decimal.
  [[nodiscard]] int ReadLength() const;

 signals:
  // After the completion that leaving the field runs.
  void Completed();

 protected:
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  TCanFieldKind FKind;
  QChar FCompletionChar;
  TCanCompletion FCompletion = TCanCompletion::PadLeft;
  TCanKeyValidator* FValidator;
};

// Checking `extended` turns `id` into an 8-digit extended identifier field ("00000000"),
// unchecking back into a 3-digit standard one ("000"); what was typed is replaced.
void BindExtendedCheckBox(QCheckBox* extended, TCanValueEdit* id);
// Every change of `rtr` resets the data fields to "00"; checked disables them.
void BindRtrCheckBox(QCheckBox* rtr, std::span<TCanValueEdit* const> data);
