// The tables in the user's very first AutoCAD session. AutoCAD makes the
// user's plot-style folder, with its acad.ctb, during its first start, after
// the launcher has looked; the launcher, still waiting for AutoCAD, watches
// where AutoCAD makes it and installs the tables as soon as it is there.
//
// Each folder AutoCAD may make is followed down from the roaming application
// data: the nearest existing folder above it is watched (itself, not its
// subtree: Wine does not report changes in sub-folders that existed when a
// subtree watch was set), and the watch moves one level deeper as each
// folder appears, looking once more after each move so that a folder made
// in between is not missed. A notification for anything else costs a test
// or two. Once the tables are in, every watch is closed.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Files.h"

namespace halvane {

class PlotStyleWatch : public WaitObserver {
 public:
  // `install` installs the tables where they are missing and says whether
  // every plot-style folder now has them; it runs when a plot-style folder
  // with AutoCAD's acad.ctb has appeared.
  PlotStyleWatch(FileSystem& files, std::u16string app_data, std::function<bool()> install);

  // Sets the watches; false when none could be set (the tables then arrive
  // at the next start).
  bool Start();
  // Whether anything is still watched.
  bool Watching() const { return !watches_.empty(); }

  std::vector<std::uintptr_t> Waitables() const override;
  void Signalled(std::size_t index) override;

 private:
  // A folder AutoCAD may make, below the application data, one name per
  // level; "*" stands for every folder found at that level (AutoCAD's
  // language profiles).
  struct Trail {
    std::vector<std::u16string> names;
    std::size_t reached = 0;  // how many of the names exist
  };
  std::u16string PathOf(const Trail& trail, std::size_t depth) const;
  // The folder a trail is watched at: the deepest of its names that exists.
  std::u16string Watched(const Trail& trail) const;
  static bool AtAnyName(const Trail& trail);
  // Follows a trail down as far as it exists and watches the folder where
  // it stops; false when that watch cannot be set.
  bool Follow(std::size_t index);
  // Each folder found at a level of any name: a trail of its own.
  void Branch(std::size_t index);
  bool Watch(const std::u16string& folder);
  // Looks again along the trails that stop at `changed` (all, for none),
  // installs the tables when a plot-style folder has appeared, and stops
  // watching once every folder has them.
  void Look(const std::u16string* changed);
  void Stop();

  FileSystem& files_;
  std::u16string app_data_;
  std::function<bool()> install_;
  std::vector<Trail> trails_;
  std::vector<std::size_t> fresh_;  // trails branched off during a look
  std::map<std::u16string, std::unique_ptr<FolderWatch>> watches_;
};

}  // namespace halvane
