#pragma once
// What the project document needs of each of its lists. The lists implement it; the project
// holds them without knowing their rows. Saving and loading join this interface with the list
// files.

#include <functional>

class TProjectList {
 public:
  virtual ~TProjectList() = default;
  // Removes every row; used when a new project is started.
  virtual void Clear() = 0;

  // Set by the owner of the project; a list calls NotifyContentChanged after every change of
  // its content that makes the project unsaved.
  std::function<void()> OnContentChanged;

 protected:
  void NotifyContentChanged() const {
    if (OnContentChanged) OnContentChanged();
  }
};
