#pragma once
// What the project document needs of each of its lists. The lists implement it; the project
// holds them without knowing their rows. Saving and loading join this interface with the list
// files.

class TProjectList {
 public:
  virtual ~TProjectList() = default;
  // Removes every row; used when a new project is started.
  virtual void Clear() = 0;
};
