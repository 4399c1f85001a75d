#include "launcher/PlotStyleWatch.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace halvane {
namespace {

// Stands for every folder found at its level.
constexpr std::u16string_view kAnyName = u"*";

}  // namespace

PlotStyleWatch::PlotStyleWatch(FileSystem& files,
                               std::u16string app_data,
                               std::function<bool()> install)
    : files_(files), app_data_(std::move(app_data)), install_(std::move(install)) {
  // The folders AutoCAD 2023 makes for a user's plot styles: the older
  // Japanese one, and one per language profile.
  trails_.push_back({{u"Autodesk", u"AutoCAD", u"R24.2", u"jpn", u"Plotters", u"Plot Styles"}});
  trails_.push_back({{u"Autodesk", u"AutoCAD 2023", u"R24.2", std::u16string(kAnyName), u"Plotters",
                      u"Plot Styles"}});
}

std::u16string PlotStyleWatch::PathOf(const Trail& trail, std::size_t depth) const {
  std::u16string path = app_data_;
  for (std::size_t i = 0; i < depth; ++i)
    path += u"\\" + trail.names[i];
  return path;
}

std::u16string PlotStyleWatch::Watched(const Trail& trail) const {
  return PathOf(trail, trail.reached);
}

bool PlotStyleWatch::AtAnyName(const Trail& trail) {
  return trail.reached < trail.names.size() && trail.names[trail.reached] == kAnyName;
}

bool PlotStyleWatch::Watch(const std::u16string& folder) {
  if (watches_.contains(folder))
    return true;
  FolderWatchResult watch = files_.WatchFolder(folder);
  if (!watch.watch)
    return false;
  watches_.emplace(folder, std::move(watch.watch));
  return true;
}

bool PlotStyleWatch::Follow(std::size_t index) {
  for (;;) {
    Trail& trail = trails_[index];
    // The watch first, then the look: what is made after the look is
    // reported, what was made before it is seen.
    if (!Watch(Watched(trail)))
      return false;
    if (trail.reached == trail.names.size())
      return true;
    if (AtAnyName(trail)) {
      Branch(index);
      return true;
    }
    if (!files_.FolderExists(PathOf(trail, trail.reached + 1)))
      return true;
    ++trail.reached;
  }
}

void PlotStyleWatch::Branch(std::size_t index) {
  const std::size_t level = trails_[index].reached;
  const FolderListing listing = files_.SubFolders(Watched(trails_[index]));
  for (const std::u16string& name : listing.names) {
    const bool known = std::any_of(trails_.begin(), trails_.end(), [&](const Trail& other) {
      return other.names[level] != kAnyName && SameAsciiName(other.names[level], name) &&
             std::equal(other.names.begin(), other.names.begin() + level,
                        trails_[index].names.begin());
    });
    if (known)
      continue;
    Trail branch = trails_[index];
    branch.names[level] = name;
    branch.reached = level + 1;
    trails_.push_back(std::move(branch));
    fresh_.push_back(trails_.size() - 1);
  }
}

bool PlotStyleWatch::Start() {
  Look(nullptr);
  return Watching();
}

std::vector<std::uintptr_t> PlotStyleWatch::Waitables() const {
  std::vector<std::uintptr_t> waitables;
  for (const auto& [folder, watch] : watches_)
    waitables.push_back(watch->Waitable());
  return waitables;
}

void PlotStyleWatch::Signalled(std::size_t index) {
  if (index >= watches_.size())
    return;
  auto it = std::next(watches_.begin(), static_cast<std::ptrdiff_t>(index));
  const std::u16string folder = it->first;
  // Waiting again for the next change before looking: nothing is missed. A
  // watch that cannot wait again is given up with its trails.
  if (!it->second->Rearm()) {
    watches_.erase(it);
    std::erase_if(trails_, [&](const Trail& trail) { return Watched(trail) == folder; });
    return;
  }
  Look(&folder);
}

void PlotStyleWatch::Look(const std::u16string* changed) {
  std::vector<bool> given_up(trails_.size(), false);
  bool arrived = false;
  const auto follow = [&](std::size_t i) {
    if (!Follow(i)) {
      given_up.resize(trails_.size(), false);
      given_up[i] = true;
      return;
    }
    const Trail& trail = trails_[i];
    if (trail.reached == trail.names.size() && files_.FileExists(Watched(trail) + u"\\acad.ctb"))
      arrived = true;
  };
  const std::size_t known = trails_.size();
  for (std::size_t i = 0; i < known; ++i) {
    // A notification concerns the trails that stop at its folder.
    if (changed && Watched(trails_[i]) != *changed)
      continue;
    follow(i);
  }
  // Language folders found on the way: followed down at once.
  while (!fresh_.empty()) {
    const std::size_t i = fresh_.back();
    fresh_.pop_back();
    follow(i);
  }
  given_up.resize(trails_.size(), false);
  std::vector<Trail> kept;
  for (std::size_t i = 0; i < trails_.size(); ++i) {
    if (!given_up[i])
      kept.push_back(std::move(trails_[i]));
  }
  trails_ = std::move(kept);
  // A folder no trail stops at any more is not watched.
  std::erase_if(watches_, [&](const auto& entry) {
    return std::none_of(trails_.begin(), trails_.end(),
                        [&](const Trail& trail) { return Watched(trail) == entry.first; });
  });
  if (arrived && install_())
    Stop();
}

void PlotStyleWatch::Stop() {
  watches_.clear();
  trails_.clear();
  fresh_.clear();
}

}  // namespace halvane
