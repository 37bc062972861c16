#pragma once
// The control-unit catalog: display names of control units by CAN identifier, read from the
// section "CANID" of the catalog file in the data folder. Keys are identifiers in hex, read
// leniently; values are names. Entries keep file order, and the first entry of an identifier
// names it.

#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct TControlUnitEntry {
  QString Name;
  std::int64_t CanId = 0;
};

class TControlUnitCatalog {
 public:
  // The name of a key that has no readable value.
  static inline const QString kUnknownName = QStringLiteral("Unknown Control Unit");

  // No catalog at all when the file does not exist; an unreadable file gives an empty one.
  [[nodiscard]] static std::optional<TControlUnitCatalog> Load(const QString& path);
  [[nodiscard]] static TControlUnitCatalog Parse(std::string_view iniText);

  // Empty when no entry has this identifier.
  [[nodiscard]] QString NameOf(std::int64_t canId) const;
  [[nodiscard]] const std::vector<TControlUnitEntry>& Entries() const { return FEntries; }

 private:
  std::vector<TControlUnitEntry> FEntries;
};
