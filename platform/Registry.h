#pragma once
// A per-user stand-in for the system registry: one human-readable text file, in the layout of
// a registry export, under the user's configuration folder. It keeps the root, the key path,
// the value names and the data kind of every value (32-bit integer, string, binary bytes), so
// a value of the wrong kind fails to read exactly as it would in the registry.
//
//   [HKEY_CURRENT_USER\Software\Tarvell\Ferrolux]
//   "CanBitRate"=dword:000001F4
//   "Title"="text with \" and \\ escaped"
//   "Offset"=hex:00,00,00,00,00,00,F8,3F
//
// Reads go against a snapshot taken when the key is opened; changes are written atomically
// when the key is closed.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <cstdint>
#include <stdexcept>

// The predefined roots, with the handle values the system gives them.
enum class THKey : std::uint32_t {
  None = 0,
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  CurrentConfig = 0x80000005u,
};

class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TRegDataKind { DWord, String, Binary };

struct TRegData {
  TRegDataKind Kind = TRegDataKind::DWord;
  std::uint32_t DWord = 0;
  QString String;
  QByteArray Binary;
  friend bool operator==(const TRegData&, const TRegData&) = default;
};

struct TRegValue {
  QString Name;  // as first written
  TRegData Data;
};

struct TRegKey {
  QString Path;                    // full path as first written, root first
  QMap<QString, TRegValue> Values;  // by upper-case name: names compare case-insensitively
};

// The whole store, by upper-case full key path.
class TRegistryFile {
 public:
  // The file every TRegistry uses unless told otherwise: <config folder>/Ferrolux/registry.reg.
  static QString DefaultPath();

  // A missing file is an empty store; false when the file exists but cannot be read.
  bool Load(const QString& path);
  // Atomic: the old file stays intact when writing fails.
  bool Save(const QString& path) const;

  [[nodiscard]] QString Format() const;
  void Parse(const QString& text);

  TRegKey& Ensure(const QString& path);
  [[nodiscard]] const TRegKey* Find(const QString& path) const;

  QMap<QString, TRegKey> Keys;
};

class TRegistry {
 public:
  explicit TRegistry(QString filePath = TRegistryFile::DefaultPath());
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  THKey RootKey = THKey::CurrentUser;

  // Opens `key` (elements separated by "\") below the root; creates it when allowed.
  bool OpenKey(const QString& key, bool canCreate);
  // Writes pending changes (and a newly created key) and forgets the open key.
  void CloseKey();

  [[nodiscard]] bool ValueExists(const QString& name) const;
  // Each read throws ERegistryException when the value is missing or of another kind.
  [[nodiscard]] std::int32_t ReadInteger(const QString& name) const;
  [[nodiscard]] QString ReadString(const QString& name) const;
  [[nodiscard]] double ReadFloat(const QString& name) const;
  [[nodiscard]] double ReadDateTime(const QString& name) const { return ReadFloat(name); }

  // Each write throws ERegistryException when no key is open.
  void WriteInteger(const QString& name, std::int32_t value);
  void WriteString(const QString& name, const QString& value);
  void WriteFloat(const QString& name, double value);
  void WriteDateTime(const QString& name, double value) { WriteFloat(name, value); }
  void WriteBool(const QString& name, bool value) { WriteInteger(name, value ? 1 : 0); }

  [[nodiscard]] static QString RootName(THKey root);

 private:
  const TRegData& Value(const QString& name, TRegDataKind kind) const;
  void Write(const QString& name, TRegData data);

  QString FPath;
  TRegKey FKey;          // snapshot of the open key plus our writes
  bool FOpen = false;
  bool FCreated = false;  // the key did not exist before OpenKey
  QMap<QString, TRegValue> FPending;
};
