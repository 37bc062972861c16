#include "signals/SignalDatabases.h"

#include "signals/DbcReader.h"

std::string TSignalDatabases::Load(const std::string& path, std::vector<std::string>& warnings) {
  TDbcRead read = ReadDbcFile(path);
  if (!read.Database) return read.Error;
  Add(std::move(*read.Database), warnings);
  return {};
}

void TSignalDatabases::Add(TDbcDatabase database, std::vector<std::string>& warnings) {
  auto& file = *FFiles.emplace_back(std::make_unique<TDbcDatabase>(std::move(database)));
  warnings.insert(warnings.end(), file.Warnings.begin(), file.Warnings.end());
  for (const TMessageDef& message : file.Messages) {
    const auto [place, inserted] = FIndex.emplace(MessageKey(message.Id, message.Extended), &message);
    if (!inserted)
      warnings.push_back(file.FileName + ":" + std::to_string(message.Line) + ":1: message " + message.Name +
                         " left out: its identifier is already defined by " + place->second->Name);
  }
  ++FGeneration;
}

void TSignalDatabases::Clear() {
  FIndex.clear();
  FFiles.clear();
  ++FGeneration;
}

std::vector<std::string> TSignalDatabases::Paths() const {
  std::vector<std::string> paths;
  for (const auto& file : FFiles) paths.push_back(file->FileName);
  return paths;
}
