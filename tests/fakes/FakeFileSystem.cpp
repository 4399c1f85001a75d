#include "tests/fakes/FakeFileSystem.h"

#include "tests/fakes/Sha256.h"
#include "tests/fakes/Text.h"

namespace halvane::test {
namespace {

// ASCII letters in upper case, as the fake compares names.
std::u16string AsciiUpper(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z')
      c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

}  // namespace

std::u16string FakeFileSystem::Normal(std::u16string_view path) const {
  std::u16string full(path);
  // "\x" is on the drive of the current folder.
  if (!full.empty() && full[0] == u'\\' && (full.size() < 2 || full[1] != u'\\')) {
    full = current_directory.substr(0, 2) + full;
  }
  // A share's name keeps its two leading backslashes.
  const bool share = full.starts_with(u"\\\\");
  std::u16string normal = share ? u"\\\\" : u"";
  for (char16_t c : std::u16string_view(full).substr(share ? 2 : 0)) {
    if (c == u'/')
      c = u'\\';
    if (c == u'\\' && !normal.empty() && normal.back() == u'\\')
      continue;
    normal.push_back(c);
  }
  while (normal.size() > 3 && normal.back() == u'\\')
    normal.pop_back();
  return normal;
}

std::u16string FakeFileSystem::Key(std::u16string_view path) const {
  return AsciiUpper(Normal(path));
}

void FakeFileSystem::Name(const std::u16string& key, std::u16string_view normal) {
  // A name keeps the case it was first given, as on Windows.
  names_.try_emplace(key, normal.substr(normal.find_last_of(u'\\') + 1));
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

bool FakeFileSystem::FolderExists(std::u16string_view name) {
  probed.emplace_back(name);
  const Entry* entry = name.empty() ? nullptr : Resolve(name);
  return entry && entry->kind == Kind::kFolder;
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
  if (existing == entries_.end())
    Changed(to);
  if (fail_copy_midway && fail_copy_midway(target)) {
    entries_[to] = Entry{
        Kind::kFile, from->contents.substr(0, from->contents.size() / 2), {}, false, clock_++};
    Name(to, Normal(target));
    return false;
  }
  // A copy keeps its source's last-write time.
  entries_[to] = Entry{Kind::kFile, from->contents, {}, false, from->last_write};
  Name(to, Normal(target));
  return true;
}

std::uint32_t FakeFileSystem::Move(std::u16string_view from, std::u16string_view to, bool replace) {
  if (log_)
    log_->Add("move " + Utf8(from) + " -> " + Utf8(to));
  if (fail_move && fail_move(to))
    return 5;  // ERROR_ACCESS_DENIED
  const std::u16string source = Key(from), target = Key(to);
  auto it = entries_.find(source);
  if (it == entries_.end() || it->second.kind != Kind::kFile)
    return 2;  // ERROR_FILE_NOT_FOUND
  if (it->second.locked)
    return 32;  // ERROR_SHARING_VIOLATION
  const std::u16string parent = target.substr(0, target.find_last_of(u'\\'));
  const Entry* folder = Resolve(parent.size() == 2 ? parent + u"\\" : parent);
  if (!folder || folder->kind != Kind::kFolder)
    return 3;  // ERROR_PATH_NOT_FOUND
  auto existing = entries_.find(target);
  if (existing != entries_.end() && source != target) {
    if (!replace)
      return 183;  // ERROR_ALREADY_EXISTS
    if (existing->second.kind != Kind::kFile || existing->second.locked)
      return 5;  // ERROR_ACCESS_DENIED
  }
  Entry moved = it->second;
  entries_.erase(it);
  names_.erase(source);
  Changed(source);
  Changed(target);
  entries_[target] = std::move(moved);
  names_.erase(target);
  Name(target, Normal(to));
  return 0;
}

std::uint32_t FakeFileSystem::Delete(std::u16string_view name) {
  if (log_)
    log_->Add("delete " + Utf8(name));
  auto it = entries_.find(Key(name));
  if (it == entries_.end())
    return 2;  // ERROR_FILE_NOT_FOUND
  if (it->second.kind == Kind::kFolder || it->second.locked)
    return 5;  // ERROR_ACCESS_DENIED
  names_.erase(it->first);
  Changed(it->first);
  entries_.erase(it);
  return 0;
}

std::optional<FileStamp> FakeFileSystem::Stamp(std::u16string_view name) {
  probed.emplace_back(name);
  const Entry* entry = Resolve(name);
  if (!entry || entry->kind != Kind::kFile)
    return std::nullopt;
  return FileStamp{entry->contents.size(), entry->last_write};
}

std::optional<std::string> FakeFileSystem::ReadSmallFile(std::u16string_view name,
                                                         std::size_t limit) {
  const Entry* entry = Resolve(name);
  if (!entry || entry->kind != Kind::kFile || entry->locked || entry->contents.size() > limit)
    return std::nullopt;
  ++reads;
  return entry->contents;
}

std::optional<Sha256Digest> FakeFileSystem::Sha256(std::u16string_view name) {
  const Entry* entry = Resolve(name);
  if (!entry || entry->kind != Kind::kFile || entry->locked)
    return std::nullopt;
  ++reads;
  return Sha256Of(entry->contents);
}

FolderListing FakeFileSystem::SubFolders(std::u16string_view folder) {
  listed.emplace_back(folder);
  FolderListing listing;
  const Entry* entry = folder.empty() ? nullptr : Resolve(folder);
  if (!entry || entry->kind != Kind::kFolder) {
    // ERROR_PATH_NOT_FOUND, as FindFirstFileExW gives for a folder that is
    // not there (or a file where a folder should be).
    listing.error = 3;
    return listing;
  }
  // The real names below the folder, one level down; a link counts as a
  // folder when it leads to one.
  std::u16string prefix = Key(folder);
  if (prefix.back() != u'\\')
    prefix += u'\\';
  for (const auto& [key, child] : entries_) {
    if (!key.starts_with(prefix) || key.size() == prefix.size() ||
        key.find(u'\\', prefix.size()) != std::u16string::npos) {
      continue;
    }
    const Entry* target = child.kind == Kind::kLink ? Resolve(key) : &child;
    if (target && target->kind == Kind::kFolder)
      listing.names.push_back(names_.at(key));
  }
  return listing;
}

std::optional<std::u16string> FakeFileSystem::ExpandEnvironment(std::u16string_view text) {
  if (fail_expand)
    return std::nullopt;
  std::u16string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find(u'%', pos);
    const std::size_t close = open == std::u16string_view::npos ? open : text.find(u'%', open + 1);
    if (close == std::u16string_view::npos) {
      out += text.substr(pos);
      break;
    }
    out += text.substr(pos, open - pos);
    const std::u16string name = AsciiUpper(std::u16string(text.substr(open + 1, close - open - 1)));
    // A name that is not set stays as it was written, its "%" included.
    auto it = environment.find(name);
    out +=
        it == environment.end() ? std::u16string(text.substr(open, close - open + 1)) : it->second;
    pos = close + 1;
  }
  return out;
}

class FakeFileSystem::Watch : public FolderWatch {
 public:
  Watch(FakeFileSystem& owner, std::uintptr_t id) : owner_(owner), id_(id) {}
  ~Watch() override { owner_.watches_.erase(id_); }
  std::uintptr_t Waitable() const override { return id_; }
  bool Rearm() override {
    ++owner_.rearms;
    owner_.watches_.at(id_).signalled = false;
    return true;
  }

 private:
  FakeFileSystem& owner_;
  std::uintptr_t id_;
};

FolderWatchResult FakeFileSystem::WatchFolder(std::u16string_view folder) {
  if (fail_watch && fail_watch(folder))
    return {nullptr, 5};  // ERROR_ACCESS_DENIED
  const Entry* entry = folder.empty() ? nullptr : Resolve(folder);
  if (!entry || entry->kind != Kind::kFolder)
    return {nullptr, 2};  // ERROR_FILE_NOT_FOUND, as Windows gives it
  ++watches_set;
  const std::uintptr_t id = next_watch_++;
  watches_[id] = WatchState{Key(folder), false};
  return {std::make_unique<Watch>(*this, id), 0};
}

bool FakeFileSystem::Signalled(std::uintptr_t waitable) const {
  auto it = watches_.find(waitable);
  return it != watches_.end() && it->second.signalled;
}

void FakeFileSystem::Changed(const std::u16string& key) {
  const std::u16string folder = key.substr(0, key.find_last_of(u'\\'));
  for (auto& [id, watch] : watches_) {
    if (watch.folder == folder || (folder.size() == 2 && watch.folder == folder + u"\\"))
      watch.signalled = true;
  }
}

void FakeFileSystem::SetEnvironment(std::u16string_view name, std::u16string_view value) {
  const std::u16string key = AsciiUpper(std::u16string(name));
  if (value.empty())
    environment.erase(key);
  else
    environment[key] = std::u16string(value);
}

std::u16string FakeFileSystem::FullPath(std::u16string_view name) {
  // Below the current folder, "." and ".." resolved, never above the root.
  std::u16string joined = current_directory;
  if (joined.back() != u'\\')
    joined += u'\\';
  joined += name;
  std::vector<std::u16string> parts;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t end = joined.find(u'\\', start);
    if (end == std::u16string::npos)
      end = joined.size();
    const std::u16string part = joined.substr(start, end - start);
    if (part == u"..") {
      if (parts.size() > 1)
        parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::u16string full;
  for (const std::u16string& part : parts)
    full += (full.empty() ? u"" : u"\\") + part;
  return parts.size() == 1 ? full + u"\\" : full;
}

std::u16string FakeFileSystem::SpecialFolderPath(int csidl) {
  auto it = special_folders.find(csidl);
  return it == special_folders.end() ? std::u16string() : it->second;
}

void FakeFileSystem::AddFolder(std::u16string_view path) {
  const std::u16string normal = Normal(path);
  const std::u16string key = Key(path);
  // Above a share's folder, the share ("\\server\share") is the first.
  const std::size_t first = key.starts_with(u"\\\\") ? key.find(u'\\', 2) + 1 : 0;
  for (std::size_t pos = key.find(u'\\', first); pos != std::u16string::npos;
       pos = key.find(u'\\', pos + 1)) {
    const std::size_t length = pos == 2 ? 3 : pos;
    const std::u16string above = key.substr(0, length);
    if (entries_.try_emplace(above, Entry{Kind::kFolder, {}, {}, false}).second)
      Changed(above);
    Name(above, std::u16string_view(normal).substr(0, length));
  }
  if (!entries_.contains(key))
    Changed(key);
  entries_[key] = Entry{Kind::kFolder, {}, {}, false};
  Name(key, normal);
}

void FakeFileSystem::AddFile(std::u16string_view path, std::string contents) {
  const std::u16string key = Key(path);
  AddFolder(Normal(path).substr(0, key.find_last_of(u'\\')));
  if (!entries_.contains(key))
    Changed(key);
  entries_[key] = Entry{Kind::kFile, std::move(contents), {}, false, clock_++};
  Name(key, Normal(path));
}

void FakeFileSystem::AddLink(std::u16string_view path, std::u16string_view target) {
  const std::u16string key = Key(path);
  AddFolder(Normal(path).substr(0, key.find_last_of(u'\\')));
  entries_[key] = Entry{Kind::kLink, {}, std::u16string(target), false};
  Name(key, Normal(path));
}

void FakeFileSystem::Remove(std::u16string_view path) {
  const std::u16string key = Key(path);
  if (entries_.contains(key))
    Changed(key);
  std::erase_if(entries_, [&](const auto& entry) {
    return entry.first == key || entry.first.starts_with(key + u"\\");
  });
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
