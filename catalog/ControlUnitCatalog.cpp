#include "catalog/ControlUnitCatalog.h"

#include <ini.h>

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cctype>
#include <cstring>

#include "model/CanText.h"
#include "model/ShortText.h"

namespace {

constexpr std::string_view kSection = "CANID";

// Catalog files come from Windows editors as often as from ours: UTF-8 when the bytes are
// valid UTF-8, Windows-1252 otherwise.
QString DecodeText(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) return text;
  QString latin;
  latin.reserve(static_cast<qsizetype>(bytes.size()));
  for (char byte : bytes) latin.append(FromWindows1252(byte));
  return latin;
}

bool SameSection(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) { return std::toupper(x) == std::toupper(y); });
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Feeds the file to inih line by line and sees each line first. Indented lines are handed on
// without their indent (Windows reads them as keys, inih would take them as continuations), and
// a key line without a value, which inih rejects, becomes an entry named kUnknownName here, in
// its place in file order.
class TCatalogReader {
 public:
  explicit TCatalogReader(std::string_view text) : FRest(text) {
    if (FRest.starts_with("\xEF\xBB\xBF")) FRest.remove_prefix(3);
  }

  std::vector<TControlUnitEntry> Read() {
    ini_parse_stream(&TCatalogReader::NextLine, this, &TCatalogReader::OnValue, this);
    return std::move(FEntries);
  }

 private:
  static char* NextLine(char* buffer, int size, void* self) {
    return static_cast<TCatalogReader*>(self)->NextLine(buffer, static_cast<std::size_t>(size));
  }
  static int OnValue(void* self, const char* section, const char* name, const char* value) {
    auto& reader = *static_cast<TCatalogReader*>(self);
    if (SameSection(section, kSection)) reader.FEntries.push_back({DecodeText(value), HexTextToInt(std::string_view(name))});
    return 1;
  }

  char* NextLine(char* buffer, std::size_t size) {
    if (FRest.empty() || size < 2) return nullptr;
    const std::size_t end = std::min(FRest.find('\n'), FRest.size() - 1) + 1;
    std::string_view line = FRest.substr(0, end);
    FRest.remove_prefix(end);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (!NoteLine(Trimmed(line))) line = "\n";
    const std::size_t count = std::min(line.size(), size - 1);
    std::memcpy(buffer, line.data(), count);
    buffer[count] = '\0';
    return buffer;
  }

  // Returns false for a line that inih must not see.
  bool NoteLine(std::string_view line) {
    if (line.empty() || line.front() == ';' || line.front() == '#') return true;
    if (line.front() == '[') {
      FInSection = SameSection(line.substr(1, line.find(']') - 1), kSection);
      return true;
    }
    if (!FInSection || line.find_first_of("=:") != std::string_view::npos) return true;
    const std::string_view key = Trimmed(line.substr(0, line.find(" ;")));
    FEntries.push_back({TControlUnitCatalog::kUnknownName, HexTextToInt(key)});
    return false;
  }

  std::string_view FRest;
  bool FInSection = false;
  std::vector<TControlUnitEntry> FEntries;
};

}  // namespace

std::optional<TControlUnitCatalog> TControlUnitCatalog::Load(const QString& path) {
  QFile file(path);
  if (!file.exists()) return std::nullopt;
  if (!file.open(QIODevice::ReadOnly)) return TControlUnitCatalog{};
  const QByteArray bytes = file.readAll();
  return Parse(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

TControlUnitCatalog TControlUnitCatalog::Parse(std::string_view iniText) {
  TControlUnitCatalog catalog;
  catalog.FEntries = TCatalogReader(iniText).Read();
  return catalog;
}

QString TControlUnitCatalog::NameOf(std::int64_t canId) const {
  const auto it = std::find_if(FEntries.begin(), FEntries.end(), [&](const auto& entry) { return entry.CanId == canId; });
  return it == FEntries.end() ? QString() : it->Name;
}
