#include "tests/fakes/FakeFileSystem.h"

#include "tests/fakes/Text.h"

namespace halvane::test {

std::u16string FakeFileSystem::Key(std::u16string_view path) const {
  std::u16string full(path);
  // "\x" is on the drive of the current folder.
  if (!full.empty() && full[0] == u'\\' && (full.size() < 2 || full[1] != u'\\')) {
    full = current_directory.substr(0, 2) + full;
  }
  std::u16string key;
  for (char16_t c : full) {
    if (c == u'/')
      c = u'\\';
    if (c == u'\\' && !key.empty() && key.back() == u'\\')
      continue;
    if (c >= u'a' && c <= u'z')
      c = static_cast<char16_t>(c - u'a' + u'A');
    key.push_back(c);
  }
  while (key.size() > 3 && key.back() == u'\\')
    key.pop_back();
  return key;
}

const FakeFileSystem::Entry* FakeFileSystem::Resolve(std::u16string_view path) const {
  std::u16string key = Key(path);
  for (int hops = 0; hops < 16; ++hops) {
    auto it = entries_.find(key);
    if (it == entries_.end())
      return nullptr;
    if (it->second.kind != Kind::kLink)
      return &it->second;
    key = Key(it->second.target);
  }
  return nullptr;
}

bool FakeFileSystem::FileExists(std::u16string_view name) {
  probed.emplace_back(name);
  const Entry* entry = Resolve(name);
  return entry && entry->kind == Kind::kFile;
}

bool FakeFileSystem::Copy(std::u16string_view source,
                          std::u16string_view target,
                          bool fail_if_exists) {
  ++copies;
  if (log_)
    log_->Add("copy " + Utf8(source) + " -> " + Utf8(target));
  if (fail_copy && fail_copy(target))
    return false;
  const Entry* from = Resolve(source);
  if (!from || from->kind != Kind::kFile || from->locked)
    return false;
  const std::u16string to = Key(target);
  const std::u16string parent = to.substr(0, to.find_last_of(u'\\'));
  const Entry* folder = Resolve(parent.size() == 2 ? parent + u"\\" : parent);
  if (!folder || folder->kind != Kind::kFolder)
    return false;
  auto existing = entries_.find(to);
  if (existing != entries_.end() && (fail_if_exists || existing->second.kind != Kind::kFile)) {
    return false;
  }
  entries_[to] = Entry{Kind::kFile, from->contents, {}, false};
  return true;
}

std::u16string FakeFileSystem::SpecialFolderPath(int csidl) {
  auto it = special_folders.find(csidl);
  return it == special_folders.end() ? std::u16string() : it->second;
}

void FakeFileSystem::AddFolder(std::u16string_view path) {
  const std::u16string key = Key(path);
  for (std::size_t pos = key.find(u'\\'); pos != std::u16string::npos;
       pos = key.find(u'\\', pos + 1)) {
    const std::u16string above = pos == 2 ? key.substr(0, 3) : key.substr(0, pos);
    entries_.try_emplace(above, Entry{Kind::kFolder, {}, {}, false});
  }
  entries_[key] = Entry{Kind::kFolder, {}, {}, false};
}

void FakeFileSystem::AddFile(std::u16string_view path, std::string contents) {
  const std::u16string key = Key(path);
  AddFolder(key.substr(0, key.find_last_of(u'\\')));
  entries_[key] = Entry{Kind::kFile, std::move(contents), {}, false};
}

void FakeFileSystem::AddLink(std::u16string_view path, std::u16string_view target) {
  const std::u16string key = Key(path);
  AddFolder(key.substr(0, key.find_last_of(u'\\')));
  entries_[key] = Entry{Kind::kLink, {}, std::u16string(target), false};
}

void FakeFileSystem::Lock(std::u16string_view path) {
  entries_.at(Key(path)).locked = true;
}

std::optional<std::string> FakeFileSystem::Contents(std::u16string_view path) const {
  const Entry* entry = Resolve(path);
  if (!entry || entry->kind != Kind::kFile)
    return std::nullopt;
  return entry->contents;
}

}  // namespace halvane::test
