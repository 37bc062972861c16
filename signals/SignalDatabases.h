#pragma once
// The databases loaded at one time (one per bus, or one split over files) and the lookup of a
// frame's message across them: the first file that defines an identifier wins.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/CanMsgProg.h"
#include "signals/DbcDatabase.h"

class TSignalDatabases {
 public:
  // Reads a file and adds it; the file's own warnings and those of identifiers an earlier file
  // already defines go to `warnings`. A file that cannot be read is refused with its message
  // as the result, and what was loaded stays. Empty result: added.
  [[nodiscard]] std::string Load(const std::string& path, std::vector<std::string>& warnings);
  // Adds a database read elsewhere; warnings as for Load.
  void Add(TDbcDatabase database, std::vector<std::string>& warnings);
  void Clear();

  [[nodiscard]] bool Empty() const { return FFiles.empty(); }
  [[nodiscard]] std::size_t FileCount() const { return FFiles.size(); }
  [[nodiscard]] const TDbcDatabase& File(std::size_t index) const { return *FFiles[index]; }
  // The file names in load order.
  [[nodiscard]] std::vector<std::string> Paths() const;

  // The message a frame belongs to, or null.
  [[nodiscard]] const TMessageDef* Find(std::int64_t canId, bool extended) const {
    if (canId < 0 || canId > 0x1FFFFFFF) return nullptr;
    const auto found = FIndex.find(MessageKey(static_cast<std::uint32_t>(canId), extended));
    return found == FIndex.end() ? nullptr : found->second;
  }
  [[nodiscard]] const TMessageDef* Find(const TCanMsgProg& msg) const { return Find(msg.CanId, msg.Extended); }

  // Bumped by every change, so that what was decoded with the old set can tell.
  [[nodiscard]] std::uint64_t Generation() const { return FGeneration; }

 private:
  // unique_ptr: the messages keep their addresses while files are added.
  std::vector<std::unique_ptr<TDbcDatabase>> FFiles;
  std::unordered_map<std::uint32_t, const TMessageDef*> FIndex;
  std::uint64_t FGeneration = 0;
};
