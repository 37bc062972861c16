#pragma once
// A signal as it is known across loads of the databases and in a project: by its message
// (identifier, extended) and its name.

#include <cstdint>
#include <string>

struct TSignalKey {
  std::uint32_t Id = 0;
  bool Extended = false;
  std::string Signal;
  bool operator==(const TSignalKey&) const = default;
};
