#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <cstring>
#include <optional>

namespace {

const QString kHeader = QStringLiteral("Ferrolux registry 1");

QString Quote(const QString& text) {
  QString out = QStringLiteral("\"");
  for (QChar c : text) {
    switch (c.unicode()) {
      case '\\': out += QStringLiteral("\\\\"); break;
      case '"': out += QStringLiteral("\\\""); break;
      case '\n': out += QStringLiteral("\\n"); break;
      case '\r': out += QStringLiteral("\\r"); break;
      case '\t': out += QStringLiteral("\\t"); break;
      default: out += c;
    }
  }
  return out + QLatin1Char('"');
}

// Reads a quoted text starting at `pos` (which must be at the opening quote); moves `pos`
// past the closing quote. Nothing when the text is not closed.
std::optional<QString> Unquote(const QString& line, qsizetype& pos) {
  if (pos >= line.size() || line[pos] != QLatin1Char('"')) return std::nullopt;
  QString out;
  for (++pos; pos < line.size(); ++pos) {
    const QChar c = line[pos];
    if (c == QLatin1Char('"')) {
      ++pos;
      return out;
    }
    if (c != QLatin1Char('\\')) {
      out += c;
      continue;
    }
    if (++pos >= line.size()) return std::nullopt;
    switch (line[pos].unicode()) {
      case 'n': out += QLatin1Char('\n'); break;
      case 'r': out += QLatin1Char('\r'); break;
      case 't': out += QLatin1Char('\t'); break;
      default: out += line[pos];
    }
  }
  return std::nullopt;
}

QString FormatData(const TRegData& data) {
  switch (data.Kind) {
    case TRegDataKind::DWord: return QStringLiteral("dword:") + QStringLiteral("%1").arg(data.DWord, 8, 16, QLatin1Char('0')).toUpper();
    case TRegDataKind::String: return Quote(data.String);
    case TRegDataKind::Binary: {
      QStringList bytes;
      for (char b : data.Binary) bytes << QStringLiteral("%1").arg(static_cast<unsigned char>(b), 2, 16, QLatin1Char('0')).toUpper();
      return QStringLiteral("hex:") + bytes.join(QLatin1Char(','));
    }
  }
  return {};
}

std::optional<TRegData> ParseData(const QString& text) {
  TRegData data;
  bool ok = false;
  if (text.startsWith(QLatin1String("dword:"))) {
    const QString digits = text.mid(6);
    data.DWord = digits.toUInt(&ok, 16);
    if (!ok || digits.size() != 8) return std::nullopt;
    return data;
  }
  if (text.startsWith(QLatin1String("hex:"))) {
    data.Kind = TRegDataKind::Binary;
    const QString body = text.mid(4);
    if (body.isEmpty()) return data;
    for (const QString& byte : body.split(QLatin1Char(','))) {
      const uint value = byte.toUInt(&ok, 16);
      if (!ok || byte.size() != 2) return std::nullopt;
      data.Binary.append(static_cast<char>(value));
    }
    return data;
  }
  qsizetype pos = 0;
  auto string = Unquote(text, pos);
  if (!string || pos != text.size()) return std::nullopt;
  data.Kind = TRegDataKind::String;
  data.String = *string;
  return data;
}

QString TrimBackslashes(QString path) {
  while (path.startsWith(QLatin1Char('\\'))) path.remove(0, 1);
  while (path.endsWith(QLatin1Char('\\'))) path.chop(1);
  return path;
}

}  // namespace

// --- TRegistryFile -------------------------------------------------------------------------

QString TRegistryFile::DefaultPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Ferrolux/registry.reg");
}

TRegKey& TRegistryFile::Ensure(const QString& path) {
  TRegKey& key = Keys[path.toUpper()];
  if (key.Path.isEmpty()) key.Path = path;
  return key;
}

const TRegKey* TRegistryFile::Find(const QString& path) const {
  auto it = Keys.constFind(path.toUpper());
  return it == Keys.constEnd() ? nullptr : &*it;
}

QString TRegistryFile::Format() const {
  QString text = kHeader + QLatin1Char('\n');
  for (const TRegKey& key : Keys) {
    text += QStringLiteral("\n[") + key.Path + QStringLiteral("]\n");
    for (const TRegValue& value : key.Values) text += Quote(value.Name) + QLatin1Char('=') + FormatData(value.Data) + QLatin1Char('\n');
  }
  return text;
}

// Lines that do not parse are skipped: a hand-edited file loses the broken line, not the rest.
void TRegistryFile::Parse(const QString& text) {
  Keys.clear();
  TRegKey* current = nullptr;
  for (const QString& raw : text.split(QLatin1Char('\n'))) {
    const QString line = raw.trimmed();
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      current = &Ensure(TrimBackslashes(line.mid(1, line.size() - 2)));
      continue;
    }
    if (!current || !line.startsWith(QLatin1Char('"'))) continue;
    qsizetype pos = 0;
    const auto name = Unquote(line, pos);
    if (!name || pos >= line.size() || line[pos] != QLatin1Char('=')) continue;
    const auto data = ParseData(line.mid(pos + 1));
    if (data) current->Values.insert(name->toUpper(), TRegValue{*name, *data});
  }
}

bool TRegistryFile::Load(const QString& path) {
  Keys.clear();
  QFile file(path);
  if (!file.exists()) return true;
  if (!file.open(QIODevice::ReadOnly)) return false;
  Parse(QString::fromUtf8(file.readAll()));
  return true;
}

bool TRegistryFile::Save(const QString& path) const {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(Format().toUtf8());
  return file.commit();
}

// --- TRegistry -----------------------------------------------------------------------------

TRegistry::TRegistry(QString filePath) : FPath(std::move(filePath)) {}

TRegistry::~TRegistry() { CloseKey(); }

QString TRegistry::RootName(THKey root) {
  switch (root) {
    case THKey::ClassesRoot: return QStringLiteral("HKEY_CLASSES_ROOT");
    case THKey::CurrentUser: return QStringLiteral("HKEY_CURRENT_USER");
    case THKey::LocalMachine: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case THKey::CurrentConfig: return QStringLiteral("HKEY_CURRENT_CONFIG");
    case THKey::None: break;
  }
  return {};
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
  CloseKey();
  const QString root = RootName(RootKey);
  if (root.isEmpty()) return false;
  const QString sub = TrimBackslashes(key);
  const QString path = sub.isEmpty() ? root : root + QLatin1Char('\\') + sub;

  TRegistryFile file;
  const bool readable = file.Load(FPath);
  const TRegKey* existing = file.Find(path);
  if (!existing && (!canCreate || !readable)) return false;
  FKey = existing ? *existing : TRegKey{path, {}};
  FCreated = !existing;
  FOpen = true;
  return true;
}

void TRegistry::CloseKey() {
  if (!FOpen) return;
  FOpen = false;
  if (!FCreated && FPending.isEmpty()) return;
  // Merge into the file as it is now, so values other writers stored meanwhile survive.
  TRegistryFile file;
  if (file.Load(FPath)) {
    TRegKey& key = file.Ensure(FKey.Path);
    for (auto it = FPending.cbegin(); it != FPending.cend(); ++it) key.Values.insert(it.key(), it.value());
    file.Save(FPath);
  }
  FPending.clear();
  FCreated = false;
}

bool TRegistry::ValueExists(const QString& name) const { return FOpen && FKey.Values.contains(name.toUpper()); }

const TRegData& TRegistry::Value(const QString& name, TRegDataKind kind) const {
  auto it = FOpen ? FKey.Values.constFind(name.toUpper()) : FKey.Values.constEnd();
  if (it == FKey.Values.constEnd()) throw ERegistryException("Registry value \"" + name.toStdString() + "\" does not exist");
  if (it->Data.Kind != kind) throw ERegistryException("Invalid data type for \"" + name.toStdString() + "\"");
  return it->Data;
}

std::int32_t TRegistry::ReadInteger(const QString& name) const {
  return static_cast<std::int32_t>(Value(name, TRegDataKind::DWord).DWord);
}

QString TRegistry::ReadString(const QString& name) const { return Value(name, TRegDataKind::String).String; }

double TRegistry::ReadFloat(const QString& name) const {
  const QByteArray& bytes = Value(name, TRegDataKind::Binary).Binary;
  if (bytes.size() != static_cast<qsizetype>(sizeof(double))) throw ERegistryException("Invalid data size for \"" + name.toStdString() + "\"");
  double value = 0;
  std::memcpy(&value, bytes.constData(), sizeof value);
  return value;
}

void TRegistry::Write(const QString& name, TRegData data) {
  if (!FOpen) throw ERegistryException("No registry key is open");
  TRegValue value{name, std::move(data)};
  if (auto it = FKey.Values.constFind(name.toUpper()); it != FKey.Values.constEnd()) value.Name = it->Name;
  FKey.Values.insert(name.toUpper(), value);
  FPending.insert(name.toUpper(), value);
}

void TRegistry::WriteInteger(const QString& name, std::int32_t value) {
  TRegData data;
  data.DWord = static_cast<std::uint32_t>(value);
  Write(name, std::move(data));
}

void TRegistry::WriteString(const QString& name, const QString& value) {
  TRegData data;
  data.Kind = TRegDataKind::String;
  data.String = value;
  Write(name, std::move(data));
}

void TRegistry::WriteFloat(const QString& name, double value) {
  TRegData data;
  data.Kind = TRegDataKind::Binary;
  data.Binary = QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
  Write(name, std::move(data));
}
