#include "launcher/AutoCadProfiles.h"

#include <algorithm>

#include "launcher/Form1.h"

namespace halvane {
namespace {

// AutoCAD's roaming root below the product key, and the folders below it
// and below a profile.
constexpr std::u16string_view kRoamableRootFolder = u"RoamableRootFolder";
constexpr std::u16string_view kPlotStyleSearchPath = u"PrinterStyleSheetDir";

bool IsAutoCad2023Product(std::u16string_view key) {
  return key.size() > kAutoCad2023Product.size() &&
         SameAsciiName(key.substr(0, kAutoCad2023Product.size()), kAutoCad2023Product);
}

// A drive's "X:\..." or a share's "\\server\...": a name that does not depend
// on the launcher's current folder or drive.
bool IsFullPath(std::u16string_view path) {
  const bool drive = path.size() >= 3 && path[1] == u':' && path[2] == u'\\' &&
                     ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
  return drive || path.starts_with(u"\\\\");
}

// Without trailing "\", except for a drive's root ("C:\").
std::u16string_view WithoutTrailingBackslash(std::u16string_view folder) {
  while (folder.size() > 3 && folder.back() == u'\\')
    folder.remove_suffix(1);
  return folder;
}

std::u16string_view Trimmed(std::u16string_view text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

}  // namespace

bool SameFolder(std::u16string_view a, std::u16string_view b) {
  return SameAsciiName(WithoutTrailingBackslash(a), WithoutTrailingBackslash(b));
}

void AddFolderOnce(std::vector<std::u16string>& folders, std::u16string folder) {
  const auto same = [&](const std::u16string& other) { return SameFolder(other, folder); };
  if (std::none_of(folders.begin(), folders.end(), same))
    folders.push_back(std::move(folder));
}

std::u16string FirstExistingFolder(FileSystem& files, std::u16string_view search_path) {
  const std::optional<std::u16string> expanded = files.ExpandEnvironment(search_path);
  if (!expanded)
    return {};
  std::u16string_view rest = *expanded;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(u';'), rest.size());
    const std::u16string_view folder = WithoutTrailingBackslash(Trimmed(rest.substr(0, end)));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    // A folder that is not named in full would be looked for below the
    // launcher's own folder; a missing one is never made.
    if (IsFullPath(folder) && files.FolderExists(folder))
      return std::u16string(folder);
  }
  return {};
}

std::vector<std::u16string> ProfilePlotStyleFolders(RegistryBackend& registry, FileSystem& files) {
  std::vector<std::u16string> search_paths;
  std::vector<std::u16string> roaming_roots;
  TRegistry reg(registry);
  if (!reg.OpenKeyReadOnly(kAutodeskReleaseKey))
    return {};
  for (const std::u16string& product : reg.GetKeyNames()) {
    if (!IsAutoCad2023Product(product))
      continue;
    const std::u16string product_key = std::u16string(kAutodeskReleaseKey) + u"\\" + product;
    if (reg.OpenKeyReadOnly(product_key)) {
      const std::optional<std::u16string> root = reg.TryReadString(kRoamableRootFolder);
      const std::optional<std::u16string> expanded =
          root ? files.ExpandEnvironment(*root) : std::nullopt;
      if (expanded && IsFullPath(*expanded)) {
        std::u16string folder = std::u16string(WithoutTrailingBackslash(*expanded)) +
                                std::u16string(kPlotStylesBelowProfile);
        // AutoCAD's own table marks the folder AutoCAD has made.
        if (files.FileExists(folder + u"\\acad.ctb"))
          AddFolderOnce(roaming_roots, std::move(folder));
      }
    }
    const std::u16string profiles_key = product_key + u"\\Profiles";
    if (!reg.OpenKeyReadOnly(profiles_key))
      continue;
    const std::optional<std::u16string> current = reg.TryReadString(u"");
    std::vector<std::u16string> profiles = reg.GetKeyNames();
    if (current) {
      std::stable_partition(profiles.begin(), profiles.end(), [&](const std::u16string& profile) {
        return SameAsciiName(profile, *current);
      });
    }
    // The profile names its folder: no acad.ctb is needed there.
    for (const std::u16string& profile : profiles) {
      if (!reg.OpenKeyReadOnly(profiles_key + u"\\" + profile + u"\\General"))
        continue;
      const std::optional<std::u16string> search_path = reg.TryReadString(kPlotStyleSearchPath);
      if (!search_path)
        continue;
      std::u16string folder = FirstExistingFolder(files, *search_path);
      if (!folder.empty())
        AddFolderOnce(search_paths, std::move(folder));
    }
  }
  for (std::u16string& folder : roaming_roots)
    AddFolderOnce(search_paths, std::move(folder));
  return search_paths;
}

}  // namespace halvane
