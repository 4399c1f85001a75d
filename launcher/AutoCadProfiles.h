// The plot-style folders that the user's AutoCAD 2023 names in the registry:
// the plot-style search path of each of its profiles, and each product's own
// roaming root. This is AutoCAD's data: it is only read, and whatever cannot
// be read is passed over without a word.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"
#include "platform/Registry.h"

namespace halvane {

// AutoCAD 2023 itself, as plain acad.exe runs it, is product 6101; each of
// its languages has a key of its own below the release key, named after
// the product and the locale ("ACAD-6101:411" Japanese, ":409" English).
// The verticals' products (6100, 6104, ...) are other programs.
inline constexpr std::u16string_view kAutoCad2023Product = u"ACAD-6101:";

// In this order, each folder once: for each AutoCAD 2023 product key of the
// user and each of its profiles (the current one first), the first folder
// of the profile's plot-style search path that exists; then for each
// product key with a roaming root, its plot-style folder where AutoCAD has
// made it (it holds acad.ctb).
std::vector<std::u16string> ProfilePlotStyleFolders(RegistryBackend& registry, FileSystem& files);

// The first folder of a plot-style search path ("C:\CAD\Plot Styles;..."),
// environment variables expanded, that is named in full and exists, without
// a trailing "\"; empty when there is none.
std::u16string FirstExistingFolder(FileSystem& files, std::u16string_view search_path);

// Whether two folder names name the same folder: letters compared without
// case, a trailing "\" ignored.
bool SameFolder(std::u16string_view a, std::u16string_view b);
// Adds `folder` unless `folders` names it already.
void AddFolderOnce(std::vector<std::u16string>& folders, std::u16string folder);

}  // namespace halvane
