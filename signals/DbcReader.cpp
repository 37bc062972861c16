#include "signals/DbcReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "signals/DbcScanner.h"

namespace {

constexpr std::uint64_t kExtendedFlag = 0x80000000U;
constexpr std::string_view kNoNode = "Vector__XXX";
// Vector's editor keeps signals that belong to no message in this pseudo message.
constexpr std::string_view kIndependentSignals = "VECTOR__INDEPENDENT_SIG_MSG";
// Deeper selector chains than any real file has are refused rather than walked per frame.
constexpr int kMaxSelectorDepth = 16;

using TPos = TDbcPos;

// An attribute's number as a whole number; none for what no integer holds (1e300).
std::optional<std::int64_t> WholeNumber(double value) {
  if (!(value > -9.2e18 && value < 9.2e18)) return std::nullopt;
  return static_cast<std::int64_t>(value);
}

// One attribute value as BA_DEF_DEF_ and BA_ give it.
struct TAttributeValue {
  bool IsText = false;
  double Number = 0;
  std::string Text;
};

struct TAttributeDef {
  std::vector<std::string> EnumValues;
  std::optional<TAttributeValue> Default;
};

class TDbcParser {
 public:
  TDbcParser(std::string_view text, const std::string& fileName) : FScan(text, fileName) { FDb.FileName = fileName; }

  TDbcDatabase Parse() {
    while (!FScan.AtEnd()) Statement();
    Finish();
    return std::move(FDb);
  }

 private:
  void Statement() {
    const TPos at = FScan.Position();
    const std::string_view keyword = FScan.Name("a statement keyword");
    if (keyword == "VERSION") FDb.Version = FScan.String("the version text");
    else if (keyword == "NS_") NewSymbols();
    else if (keyword == "BS_") BitTiming();
    else if (keyword == "BU_") Nodes();
    else if (keyword == "VAL_TABLE_") ValueTable();
    else if (keyword == "BO_") Message(at);
    else if (keyword == "SG_") Signal(at);
    else if (keyword == "BO_TX_BU_") Transmitters();
    else if (keyword == "CM_") Comment();
    else if (keyword == "BA_DEF_") AttributeDefinition();
    else if (keyword == "BA_DEF_DEF_") AttributeDefault();
    else if (keyword == "BA_") Attribute();
    else if (keyword == "VAL_") ValueDescriptions();
    else if (keyword == "SIG_VALTYPE_") ValueType();
    else if (keyword == "SG_MUL_VAL_") MultiplexValues();
    else Skip();
  }

  void Skip() {
    if (!FScan.SkipToSemicolon()) FScan.Fail("';' ending the statement");
    ++FDb.SkippedStatements;
  }
  void End() { FScan.Expect(';'); }

  void NewSymbols() {
    FScan.Expect(':');
    for (;;) {
      const std::string_view next = FScan.PeekNameText();
      if (next.empty() || next == "BS_" || next == "BU_" || next == "BO_" || next == "VERSION") return;
      (void)FScan.Name("a name");
    }
  }

  void BitTiming() {
    FScan.Expect(':');
    if (!FScan.OnSameLine() || !FScan.PeekNumber()) return;
    (void)FScan.Unsigned("the baud rate");
    FScan.Expect(':');
    (void)FScan.Unsigned("BTR1");
    FScan.Expect(',');
    (void)FScan.Unsigned("BTR2");
  }

  static bool IsStatementKeyword(std::string_view name) {
    static const std::unordered_set<std::string_view> kKeywords{
        "VERSION", "NS_", "BS_", "BU_", "BO_", "SG_", "BO_TX_BU_", "CM_", "BA_DEF_", "BA_DEF_DEF_", "BA_", "VAL_",
        "VAL_TABLE_", "SIG_VALTYPE_", "SG_MUL_VAL_", "EV_", "ENVVAR_DATA_", "SGTYPE_", "SGTYPE_VAL_", "SIG_GROUP_",
        "SIG_TYPE_REF_", "BA_DEF_REL_", "BA_REL_", "BA_DEF_DEF_REL_", "BU_SG_REL_", "BU_EV_REL_", "BU_BO_REL_",
        "BA_DEF_SGTYPE_", "BA_SGTYPE_", "CAT_DEF_", "CAT_", "FILTER", "SIGTYPE_VALTYPE_", "NS_DESC_"};
    return kKeywords.count(name) != 0;
  }

  void Nodes() {
    FScan.Expect(':');
    while (FScan.PeekName() && !IsStatementKeyword(FScan.PeekNameText())) FDb.Nodes.emplace_back(FScan.Name("a node"));
  }

  void Message(TPos at) {
    const std::uint64_t rawId = FScan.Unsigned("the message identifier");
    if (rawId > 0xFFFFFFFFU) FScan.Fail("an identifier below 2^32");
    TMessageDef message;
    message.Line = at.Line;
    message.Name = FScan.Name("the message name");
    FScan.Expect(':');
    message.Size = static_cast<int>(std::min<std::uint64_t>(FScan.Unsigned("the message size"), 1U << 30));
    const std::string_view transmitter = FScan.Name("the transmitter");
    if (transmitter != kNoNode) message.Transmitters.emplace_back(transmitter);
    FCurrent = -1;
    if (!SetIdentifier(message, rawId, at)) {
      FLeftOut.insert(rawId);
      return;
    }
    const auto [place, inserted] = FMessageIndex.emplace(rawId, FDb.Messages.size());
    if (!inserted) {
      Warn(at, "message " + message.Name + " left out: its identifier is already defined by " +
                   FDb.Messages[place->second].Name);
      FIgnoreSignals = true;
      return;
    }
    FIgnoreSignals = false;
    FCurrent = static_cast<int>(FDb.Messages.size());
    FDb.Messages.push_back(std::move(message));
    FSignalIndex.emplace_back();
    FFrameFormat.emplace_back();
  }

  // False for messages that are no frame: the editor's pseudo message, identifiers no bus carries.
  bool SetIdentifier(TMessageDef& message, std::uint64_t rawId, TPos at) {
    FIgnoreSignals = true;
    if (message.Name == kIndependentSignals) return false;
    message.Extended = (rawId & kExtendedFlag) != 0;
    const std::uint64_t id = rawId & ~kExtendedFlag;
    if (id > 0x1FFFFFFF) {
      Warn(at, "message " + message.Name + " left out: identifier " + std::to_string(rawId) + " is not a CAN identifier");
      return false;
    }
    if (!message.Extended && id > 0x7FF) {
      Warn(at, "message " + message.Name + ": identifier " + std::to_string(id) + " is above 11 bits and taken as 29-bit");
      message.Extended = true;
    }
    message.Id = static_cast<std::uint32_t>(id);
    return true;
  }

  void Signal(TPos at) {
    if (FCurrent < 0 && !FIgnoreSignals) FScan.FailAt(at, "BO_ before the first SG_");
    TSignalDef signal;
    signal.Line = at.Line;
    const TPos namePos = FScan.Position();
    signal.Name = FScan.Name("the signal name");
    if (FScan.PeekName()) MultiplexIndicator(signal);
    FScan.Expect(':');
    const std::uint64_t start = FScan.Unsigned("the start bit");
    FScan.Expect('|');
    const std::uint64_t length = FScan.Unsigned("the signal length");
    signal.StartBit = static_cast<int>(std::min<std::uint64_t>(start, 1U << 30));
    signal.Length = static_cast<int>(std::min<std::uint64_t>(length, 1U << 30));
    FScan.Expect('@');
    const TPos orderAt = FScan.Position();
    const std::uint64_t order = FScan.Unsigned("the byte order 0 or 1");
    if (order > 1) FScan.FailAt(orderAt, "the byte order 0 or 1");
    signal.Order = order == 0 ? TByteOrder::Motorola : TByteOrder::Intel;
    if (FScan.TryChar('-')) signal.Signed = true;
    else FScan.Expect('+');
    FScan.Expect('(');
    signal.Factor = FScan.Number("the factor");
    FScan.Expect(',');
    signal.Offset = FScan.Number("the offset");
    FScan.Expect(')');
    FScan.Expect('[');
    signal.Minimum = FScan.Number("the minimum");
    FScan.Expect('|');
    signal.Maximum = FScan.Number("the maximum");
    FScan.Expect(']');
    signal.Unit = FScan.String("the unit text");
    Receivers(signal);
    if (FCurrent < 0) return;
    auto& names = FSignalIndex[static_cast<std::size_t>(FCurrent)];
    TMessageDef& message = FDb.Messages[static_cast<std::size_t>(FCurrent)];
    if (!names.emplace(signal.Name, message.Signals.size()).second) {
      Warn(namePos, "signal " + signal.Name + " of message " + message.Name + " left out: defined twice");
      return;
    }
    message.Signals.push_back(std::move(signal));
  }

  void MultiplexIndicator(TSignalDef& signal) {
    const TPos at = FScan.Position();
    const std::string_view text = FScan.Name("a multiplex indicator");
    if (text == "M") {
      signal.Multiplexor = true;
      return;
    }
    std::uint64_t value = 0;
    const char* first = text.data() + 1;
    const char* last = text.data() + text.size();
    if (!text.empty() && text.back() == 'M') {
      --last;
      signal.Multiplexor = true;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    if (text.front() != 'm' || first == last || error != std::errc() || end != last)
      FScan.FailAt(at, "a multiplex indicator M, mN or mNM");
    signal.MuxValue = value;
  }

  void Receivers(TSignalDef& signal) {
    while (FScan.OnSameLine() && FScan.PeekName() && !IsStatementKeyword(FScan.PeekNameText())) {
      const std::string_view node = FScan.Name("a receiver");
      if (node != kNoNode) signal.Receivers.emplace_back(node);
      if (FScan.OnSameLine()) (void)FScan.TryChar(',');
    }
  }

  void Transmitters() {
    const TPos at = FScan.Position();
    TMessageDef* message = FindMessage(FScan.Unsigned("the message identifier"), at);
    FScan.Expect(':');
    std::vector<std::string_view> nodes;
    do nodes.push_back(FScan.Name("a transmitter"));
    while (FScan.TryChar(','));
    End();
    if (!message) return;
    // Each node once, in the order named, after the BO_'s own.
    std::unordered_set<std::string> named(message->Transmitters.begin(), message->Transmitters.end());
    for (std::string_view node : nodes)
      if (node != kNoNode && named.emplace(node).second) message->Transmitters.emplace_back(node);
  }

  void Comment() {
    const TPos at = FScan.Position();
    if (FScan.TryKeyword("BU_") || FScan.TryKeyword("EV_")) {
      (void)FScan.Name("a name");
      (void)FScan.String("the comment text");
    } else if (FScan.TryKeyword("BO_")) {
      TMessageDef* message = FindMessage(FScan.Unsigned("the message identifier"), at);
      std::string text = FScan.String("the comment text");
      if (message) message->Comment = std::move(text);
    } else if (FScan.TryKeyword("SG_")) {
      TSignalDef* signal = FindSignal(at);
      std::string text = FScan.String("the comment text");
      if (signal) signal->Comment = std::move(text);
    } else {
      FDb.Comment = FScan.String("the comment text or BU_, BO_, SG_, EV_");
    }
    End();
  }

  // The object kind of an attribute; empty for the network.
  std::string_view ObjectKind() {
    for (const char* kind : {"BU_", "BO_", "SG_", "EV_"})
      if (FScan.TryKeyword(kind)) return kind;
    return {};
  }

  void AttributeDefinition() {
    (void)ObjectKind();
    const std::string name = FScan.String("the attribute name");
    TAttributeDef& def = FAttributes[name];
    const std::string_view type = FScan.Name("the attribute type");
    if (type == "ENUM") {
      def.EnumValues.clear();
      if (FScan.Peek() == '"') {
        do def.EnumValues.push_back(FScan.String("an enumeration text"));
        while (FScan.TryChar(','));
      }
      End();
    } else if (type == "INT" || type == "HEX" || type == "FLOAT") {
      (void)FScan.Number("the attribute minimum");
      (void)FScan.Number("the attribute maximum");
      End();
    } else if (type == "STRING") {
      End();
    } else {
      Skip();
    }
  }

  TAttributeValue AttributeValue() {
    TAttributeValue value;
    if (FScan.Peek() == '"') {
      value.IsText = true;
      value.Text = FScan.String("the attribute value");
    } else {
      value.Number = FScan.Number("the attribute value");
    }
    return value;
  }

  void AttributeDefault() {
    const std::string name = FScan.String("the attribute name");
    FAttributes[name].Default = AttributeValue();
    End();
  }

  void Attribute() {
    const TPos at = FScan.Position();
    const std::string name = FScan.String("the attribute name");
    const std::string_view kind = ObjectKind();
    TMessageDef* message = nullptr;
    TSignalDef* signal = nullptr;
    std::size_t messageIndex = 0;
    if (kind == "BU_" || kind == "EV_") {
      (void)FScan.Name("a name");
    } else if (kind == "BO_") {
      message = FindMessage(FScan.Unsigned("the message identifier"), at, &messageIndex);
    } else if (kind == "SG_") {
      signal = FindSignal(at);
    }
    const TAttributeValue value = AttributeValue();
    End();
    if (message && name == "GenMsgCycleTime" && !value.IsText) message->CycleTime = WholeNumber(value.Number);
    if (message && name == "VFrameFormat") FFrameFormat[messageIndex] = EnumText("VFrameFormat", value);
    if (signal && name == "GenSigStartValue" && !value.IsText) signal->StartValue = value.Number;
  }

  // An enumeration attribute's value as its text: BA_ gives the index, BA_DEF_DEF_ the text.
  std::string EnumText(const std::string& attribute, const TAttributeValue& value) const {
    if (value.IsText) return value.Text;
    const auto def = FAttributes.find(attribute);
    const std::optional<std::int64_t> index = WholeNumber(value.Number);
    if (def == FAttributes.end() || !index || *index < 0) return {};
    const auto at = static_cast<std::size_t>(*index);
    return at < def->second.EnumValues.size() ? def->second.EnumValues[at] : std::string();
  }

  TValueTable ValuePairs() {
    TValueTable values;
    while (FScan.PeekNumber()) {
      const std::int64_t raw = FScan.Integer("a raw value");
      values.emplace_back(raw, FScan.String("the value text"));
    }
    End();
    std::stable_sort(values.begin(), values.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    // The first text of a value stands.
    values.erase(std::unique(values.begin(), values.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
                 values.end());
    return values;
  }

  void ValueTable() {
    std::string name(FScan.Name("the value table name"));
    FDb.ValueTables.emplace_back(std::move(name), ValuePairs());
  }

  void ValueDescriptions() {
    const TPos at = FScan.Position();
    if (FScan.PeekName()) {  // an environment variable's values
      Skip();
      return;
    }
    TSignalDef* signal = FindSignal(at);
    TValueTable values = ValuePairs();
    if (signal) signal->Values = std::move(values);
  }

  void ValueType() {
    const TPos at = FScan.Position();
    TSignalDef* signal = FindSignal(at);
    (void)FScan.TryChar(':');
    const std::uint64_t type = FScan.Unsigned("the value type 0, 1 or 2");
    if (type > 2) FScan.Fail("the value type 0, 1 or 2");
    End();
    if (signal) signal->ValueType = static_cast<TSignalValueType>(type);
  }

  void MultiplexValues() {
    const TPos at = FScan.Position();
    TSignalDef* signal = FindSignal(at);
    const std::string_view switchName = FScan.Name("the multiplexor name");
    std::vector<TMuxRange> ranges;
    do {
      TMuxRange range;
      range.First = FScan.Unsigned("a selector value");
      FScan.Expect('-');
      range.Last = FScan.Unsigned("a selector value");
      ranges.push_back(range);
    } while (FScan.TryChar(','));
    End();
    if (!signal) return;
    signal->MuxSwitchName = switchName;
    signal->MuxRanges.insert(signal->MuxRanges.end(), ranges.begin(), ranges.end());
  }

  // Null for an unknown identifier (with a warning) and for one whose BO_ was left out.
  TMessageDef* FindMessage(std::uint64_t rawId, TPos at, std::size_t* index = nullptr) {
    const auto found = FMessageIndex.find(rawId);
    if (found == FMessageIndex.end()) {
      if (FLeftOut.count(rawId) == 0) Warn(at, "no message " + std::to_string(rawId) + " for this statement");
      return nullptr;
    }
    if (index) *index = found->second;
    return &FDb.Messages[found->second];
  }

  // "ID NAME" of a signal reference.
  TSignalDef* FindSignal(TPos at) {
    std::size_t index = 0;
    TMessageDef* message = FindMessage(FScan.Unsigned("the message identifier"), at, &index);
    const std::string_view name = FScan.Name("the signal name");
    if (!message) return nullptr;
    const auto& names = FSignalIndex[index];
    const auto found = names.find(std::string(name));
    if (found == names.end()) {
      Warn(at, "message " + message->Name + " has no signal " + std::string(name));
      return nullptr;
    }
    return &message->Signals[found->second];
  }

  void Warn(TPos at, const std::string& text) { FDb.Warnings.push_back(FScan.Where(at) + text); }
  void WarnAtLine(int line, const std::string& text) { Warn(TPos{line, 1}, text); }

  // --- after the last statement: defaults, checks and the codec's positions ---

  void Finish() {
    for (std::size_t i = 0; i < FDb.Messages.size(); ++i) {
      TMessageDef& message = FDb.Messages[i];
      ApplyDefaults(message, FFrameFormat[i]);
      CheckFrame(message);
      if (message.Decodable) CheckSignals(message);
    }
  }

  std::optional<TAttributeValue> DefaultOf(const char* attribute) const {
    const auto def = FAttributes.find(attribute);
    return def == FAttributes.end() ? std::nullopt : def->second.Default;
  }

  void ApplyDefaults(TMessageDef& message, std::optional<std::string>& frameFormat) {
    if (!message.CycleTime)
      if (const auto cycle = DefaultOf("GenMsgCycleTime"); cycle && !cycle->IsText) message.CycleTime = WholeNumber(cycle->Number);
    if (!frameFormat)
      if (const auto format = DefaultOf("VFrameFormat")) frameFormat = EnumText("VFrameFormat", *format);
    message.CanFd = frameFormat && frameFormat->find("FD") != std::string::npos;
    if (const auto start = DefaultOf("GenSigStartValue"); start && !start->IsText)
      for (TSignalDef& signal : message.Signals)
        if (!signal.StartValue) signal.StartValue = start->Number;
  }

  void CheckFrame(TMessageDef& message) {
    if (message.Size > 8) {
      WarnAtLine(message.Line, "message " + message.Name + " has " + std::to_string(message.Size) +
                                   " bytes: kept, not decoded (the adapters carry 8)");
      message.Decodable = false;
    } else if (message.CanFd) {
      WarnAtLine(message.Line, "message " + message.Name + " is a CAN FD frame: kept, not decoded");
      message.Decodable = false;
    }
  }

  // Why a signal cannot be decoded, or nothing; sets its position fields when it can.
  static std::optional<std::string> Place(TSignalDef& signal) {
    if (signal.Length < 1 || signal.Length > 64) return "length " + std::to_string(signal.Length) + " outside 1..64";
    if (signal.ValueType == TSignalValueType::Float && signal.Length != 32) return "a float needs 32 bits";
    if (signal.ValueType == TSignalValueType::Double && signal.Length != 64) return "a double needs 64 bits";
    if (signal.Factor == 0) return "factor 0";
    if (signal.StartBit > 63) return "start bit " + std::to_string(signal.StartBit) + " outside the 8 data bytes";
    int first = signal.StartBit;  // in the numbering of the 64-bit word read in the signal's byte order
    if (signal.Order == TByteOrder::Motorola) first = (signal.StartBit / 8) * 8 + 7 - signal.StartBit % 8;
    const int end = first + signal.Length;
    if (end > 64) return "bits outside the 8 data bytes";
    signal.Shift = signal.Order == TByteOrder::Intel ? signal.StartBit : 64 - end;
    signal.BytesNeeded = (end - 1) / 8 + 1;
    return std::nullopt;
  }

  void CheckSignals(TMessageDef& message) {
    const std::size_t n = message.Signals.size();
    std::vector<std::optional<std::string>> reason(n);
    for (std::size_t i = 0; i < n; ++i) reason[i] = Place(message.Signals[i]);
    FindSelectors(message, reason);
    LeaveOutUnselectable(message, reason);
    std::vector<int> newIndex(n, -1);
    std::vector<TSignalDef> kept;
    kept.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
      if (reason[i]) {
        WarnAtLine(message.Signals[i].Line, "signal " + message.Signals[i].Name + " of message " + message.Name +
                                                " left out: " + *reason[i]);
        continue;
      }
      newIndex[i] = static_cast<int>(kept.size());
      kept.push_back(std::move(message.Signals[i]));
    }
    for (TSignalDef& signal : kept) {
      if (signal.Selector >= 0) signal.Selector = newIndex[static_cast<std::size_t>(signal.Selector)];
      message.Multiplexed = message.Multiplexed || signal.Selector >= 0;
    }
    message.Signals = std::move(kept);
  }

  // The selector of every multiplexed signal: the switch SG_MUL_VAL_ names, else the one plain
  // multiplexor "M" of the message.
  void FindSelectors(TMessageDef& message, std::vector<std::optional<std::string>>& reason) {
    const auto& names = FSignalIndex[static_cast<std::size_t>(&message - FDb.Messages.data())];
    int plain = -1;
    int plainCount = 0;
    for (std::size_t i = 0; i < message.Signals.size(); ++i)
      if (message.Signals[i].Multiplexor && !message.Signals[i].MuxValue) {
        plain = static_cast<int>(i);
        ++plainCount;
      }
    for (std::size_t i = 0; i < message.Signals.size(); ++i) {
      TSignalDef& signal = message.Signals[i];
      if (!signal.MuxSwitchName.empty()) {
        const auto found = names.find(signal.MuxSwitchName);
        if (found == names.end() || !message.Signals[found->second].Multiplexor) {
          reason[i] = "its multiplexor " + signal.MuxSwitchName + " is not a multiplexor of the message";
          continue;
        }
        signal.Selector = static_cast<int>(found->second);
      } else if (signal.MuxValue) {
        if (plainCount != 1) {
          reason[i] = plainCount == 0 ? "no multiplexor M selects it" : "several multiplexors M and no SG_MUL_VAL_";
          continue;
        }
        signal.Selector = plain;
        signal.MuxRanges = {{*signal.MuxValue, *signal.MuxValue}};
      }
      if (signal.Selector == static_cast<int>(i)) reason[i] = "it selects itself";
    }
  }

  // A signal whose selector chain is broken (a selector left out), circular or deeper than
  // any real file goes is left out too.
  static void LeaveOutUnselectable(const TMessageDef& message, std::vector<std::optional<std::string>>& reason) {
    for (bool changed = true; changed;) {
      changed = false;
      for (std::size_t i = 0; i < message.Signals.size(); ++i) changed = LeftOutForSelector(message, i, reason) || changed;
    }
  }

  static bool LeftOutForSelector(const TMessageDef& message, std::size_t i, std::vector<std::optional<std::string>>& reason) {
    if (reason[i]) return false;
    int depth = 0;
    for (int j = message.Signals[i].Selector; j >= 0; j = message.Signals[static_cast<std::size_t>(j)].Selector) {
      if (++depth > kMaxSelectorDepth) {
        reason[i] = "its selectors go round or deeper than " + std::to_string(kMaxSelectorDepth);
        return true;
      }
      if (reason[static_cast<std::size_t>(j)]) {
        reason[i] = "its multiplexor " + message.Signals[static_cast<std::size_t>(j)].Name + " is left out";
        return true;
      }
    }
    return false;
  }

  TDbcScanner FScan;
  TDbcDatabase FDb;
  std::unordered_map<std::uint64_t, std::size_t> FMessageIndex;            // BO_ identifier as written
  std::unordered_set<std::uint64_t> FLeftOut;                              // BO_ left out, warned once
  std::vector<std::unordered_map<std::string, std::size_t>> FSignalIndex;  // per message
  std::vector<std::optional<std::string>> FFrameFormat;                    // per message, VFrameFormat
  std::unordered_map<std::string, TAttributeDef> FAttributes;
  int FCurrent = -1;          // the message SG_ lines belong to
  bool FIgnoreSignals = false;  // its BO_ was left out
};

}  // namespace

TDbcDatabase ParseDbc(std::string_view text, const std::string& fileName) { return TDbcParser(text, fileName).Parse(); }

TDbcRead ReadDbcFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {std::nullopt, path + ": cannot open: " + std::strerror(errno)};
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return {std::nullopt, path + ": cannot read: " + std::strerror(errno)};
  try {
    return {ParseDbc(bytes.str(), path), {}};
  } catch (const EDbcError& error) {
    return {std::nullopt, error.what()};
  }
}
