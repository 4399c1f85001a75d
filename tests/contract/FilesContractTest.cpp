// The file-existence test and the copy, against the file system they reach.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/contract/ContractEnv.h"
#include "tests/fakes/Sha256.h"

namespace halvane::test {
namespace {

class FilesContract : public ::testing::Test {
 protected:
  FilesContract() : env(MakeFilesContractEnv()), dir(env->Folder()) {}
  std::u16string At(std::u16string_view name) const { return dir + u"\\" + std::u16string(name); }

  std::unique_ptr<FilesContractEnv> env;
  std::u16string dir;
};

TEST_F(FilesContract, FileExistsOnlyForFiles) {
  env->MakeFile(At(u"acad.ctb"), "table");
  env->MakeFolder(At(u"acad.exe"));
  struct Case {
    std::u16string name;
    bool exists;
  } const cases[] = {
      {At(u"acad.ctb"), true},
      {At(u"ACAD.CTB"), true},
      {At(u"acad.exe"), false},  // a folder, whatever its name
      {At(u"missing.ctb"), false},
      {At(u"no folder\\acad.ctb"), false},
      {At(u"acad.ctb\\acad.ctb"), false},
      {dir, false},
      {u"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(env->Files().FileExists(c.name), c.exists)
        << std::string(c.name.begin(), c.name.end());
  }
}

TEST_F(FilesContract, FileExistsFollowsLinks) {
  env->MakeFile(At(u"target.exe"), "x");
  env->MakeFolder(At(u"folder"));
  if (!env->MakeLink(At(u"to file.exe"), At(u"target.exe"), false) ||
      !env->MakeLink(At(u"to folder"), At(u"folder"), true) ||
      !env->MakeLink(At(u"dangling.exe"), At(u"gone.exe"), false)) {
    GTEST_SKIP() << "links cannot be made here";
  }
  EXPECT_TRUE(env->Files().FileExists(At(u"to file.exe")));
  EXPECT_FALSE(env->Files().FileExists(At(u"to folder")));
  EXPECT_FALSE(env->Files().FileExists(At(u"dangling.exe")));
}

TEST_F(FilesContract, FolderExistsOnlyForFolders) {
  env->MakeFolder(At(u"Plot Styles"));
  env->MakeFile(At(u"acad.ctb"), "a file, not a folder");
  env->MakeFolder(At(u"設計ツール"));
  struct Case {
    std::u16string name;
    bool exists;
  } const cases[] = {
      {At(u"Plot Styles"), true},
      {At(u"PLOT STYLES"), true},
      {At(u"Plot Styles\\"), true},
      {At(u"設計ツール"), true},
      {dir, true},
      {At(u"acad.ctb"), false},
      {At(u"missing"), false},
      {At(u"missing\\deeper"), false},
      {u"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(env->Files().FolderExists(c.name), c.exists)
        << std::string(c.name.begin(), c.name.end());
  }
  if (env->MakeLink(At(u"to folder"), At(u"Plot Styles"), true)) {
    EXPECT_TRUE(env->Files().FolderExists(At(u"to folder")));
  }
}

// As Windows expands REG_EXPAND_SZ data: names without regard to case, a
// name that is not set left as written.
TEST_F(FilesContract, ExpandEnvironmentReplacesTheVariablesThatAreSet) {
  env->SetEnvironment(u"HALVANE_CONTRACT_CAD", u"D:\\CAD 設計");
  env->SetEnvironment(u"HALVANE_CONTRACT_UNSET", u"");
  struct Case {
    std::u16string text, expanded;
  } const cases[] = {
      {u"%HALVANE_CONTRACT_CAD%\\Plot Styles", u"D:\\CAD 設計\\Plot Styles"},
      {u"%halvane_contract_cad%", u"D:\\CAD 設計"},
      {u"C:\\a;%HALVANE_CONTRACT_CAD%;C:\\b", u"C:\\a;D:\\CAD 設計;C:\\b"},
      {u"%HALVANE_CONTRACT_UNSET%\\Plot Styles", u"%HALVANE_CONTRACT_UNSET%\\Plot Styles"},
      {u"C:\\100%", u"C:\\100%"},
      {u"C:\\Plot Styles", u"C:\\Plot Styles"},
      {u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    EXPECT_EQ(env->Files().ExpandEnvironment(c.text), c.expanded);
  }
}

// Known vectors (FIPS 180-4's examples, and a file longer than one read).
TEST_F(FilesContract, Sha256OfAFileIsItsDigest) {
  struct Case {
    const char* label;
    std::string contents;
    const char* digest;
  } const cases[] = {
      {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"two blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"a million a", std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    env->MakeFile(At(u"table.ctb"), c.contents);
    const std::optional<Sha256Digest> digest = env->Files().Sha256(At(u"table.ctb"));
    ASSERT_TRUE(digest);
    EXPECT_EQ(Sha256Hex(*digest), c.digest);
  }
  env->MakeFolder(At(u"folder.ctb"));
  EXPECT_FALSE(env->Files().Sha256(At(u"missing.ctb")));
  EXPECT_FALSE(env->Files().Sha256(At(u"folder.ctb")));
  EXPECT_FALSE(env->Files().Sha256(u""));
}

// A copy keeps its source's size and last-write time: the stamp tells a
// current copy without reading it.
TEST_F(FilesContract, StampIsSizeAndLastWriteAndACopyKeepsIt) {
  env->MakeFile(At(u"Hv_mono.ctb"), "twelve bytes");
  env->MakeFolder(At(u"folder.ctb"));
  const std::optional<FileStamp> source = env->Files().Stamp(At(u"Hv_mono.ctb"));
  ASSERT_TRUE(source);
  EXPECT_EQ(source->size, 12u);
  EXPECT_NE(source->last_write, 0u);
  ASSERT_TRUE(env->Files().Copy(At(u"Hv_mono.ctb"), At(u"copy.ctb"), true));
  EXPECT_EQ(env->Files().Stamp(At(u"copy.ctb")), source);
  EXPECT_FALSE(env->Files().Stamp(At(u"missing.ctb")));
  EXPECT_FALSE(env->Files().Stamp(At(u"folder.ctb")));
  EXPECT_FALSE(env->Files().Stamp(u""));
}

TEST_F(FilesContract, MoveReplacesOnlyWhenAskedAndDeleteRemovesFiles) {
  env->MakeFile(At(u"new.tmp"), "new");
  env->MakeFile(At(u"table.ctb"), "old");
  EXPECT_EQ(env->Files().Move(At(u"new.tmp"), At(u"table.ctb"), false), 183u)
      << "ERROR_ALREADY_EXISTS";
  EXPECT_EQ(env->Read(At(u"table.ctb")), "old");
  EXPECT_EQ(env->Files().Move(At(u"new.tmp"), At(u"table.ctb"), true), 0u);
  EXPECT_EQ(env->Read(At(u"table.ctb")), "new");
  EXPECT_FALSE(env->Read(At(u"new.tmp")));
  EXPECT_EQ(env->Files().Move(At(u"table.ctb"), At(u"added.ctb"), false), 0u);
  EXPECT_EQ(env->Read(At(u"added.ctb")), "new");
  EXPECT_EQ(env->Files().Move(At(u"gone.tmp"), At(u"x.ctb"), true), 2u) << "ERROR_FILE_NOT_FOUND";

  EXPECT_EQ(env->Files().Delete(At(u"added.ctb")), 0u);
  EXPECT_FALSE(env->Read(At(u"added.ctb")));
  EXPECT_EQ(env->Files().Delete(At(u"added.ctb")), 2u) << "ERROR_FILE_NOT_FOUND";
}

TEST_F(FilesContract, ReadSmallFileGivesTheBytesUpToTheLimit) {
  const std::string text = "abc  Hv_mono.ctb\r\n\xE8\xA8\xAD";
  env->MakeFile(At(u"released.sha256"), text);
  env->MakeFile(At(u"empty"), "");
  EXPECT_EQ(env->Files().ReadSmallFile(At(u"released.sha256"), 1024), text);
  EXPECT_EQ(env->Files().ReadSmallFile(At(u"released.sha256"), text.size()), text);
  EXPECT_FALSE(env->Files().ReadSmallFile(At(u"released.sha256"), text.size() - 1));
  EXPECT_EQ(env->Files().ReadSmallFile(At(u"empty"), 1024), "");
  EXPECT_FALSE(env->Files().ReadSmallFile(At(u"missing"), 1024));
}

// A watch on the folder itself, not its subtree: names made, removed or
// renamed in it signal it; changes below it do not. Re-armed, it waits for
// the next change.
TEST_F(FilesContract, WatchFolderIsSignalledByNamesMadeInTheFolderItself) {
  env->MakeFolder(At(u"AppData"));
  env->MakeFolder(At(u"AppData\\Deeper"));
  const FolderWatchResult missing = env->Files().WatchFolder(At(u"missing"));
  EXPECT_FALSE(missing.watch);
  EXPECT_NE(missing.error, 0u);

  FolderWatchResult result = env->Files().WatchFolder(At(u"AppData"));
  ASSERT_TRUE(result.watch) << result.error;
  FolderWatch& watch = *result.watch;
  EXPECT_FALSE(env->Signalled(watch, 300)) << "nothing changed";
  env->MakeFile(At(u"AppData\\Deeper\\cache.txt"), "x");
  EXPECT_FALSE(env->Signalled(watch, 300)) << "a change below the folder";
  env->MakeFolder(At(u"AppData\\Autodesk"));
  EXPECT_TRUE(env->Signalled(watch, 3000)) << "a folder made in it";
  ASSERT_TRUE(watch.Rearm());
  EXPECT_FALSE(env->Signalled(watch, 300)) << "re-armed";
  env->MakeFile(At(u"AppData\\acad.ctb"), "x");
  EXPECT_TRUE(env->Signalled(watch, 3000)) << "a file made in it";
  ASSERT_TRUE(watch.Rearm());
  EXPECT_EQ(env->Files().Delete(At(u"AppData\\acad.ctb")), 0u);
  EXPECT_TRUE(env->Signalled(watch, 3000)) << "a file removed from it";
}

// A file another program holds open without sharing (AutoCAD its table, a
// running acad.exe) still exists, and cannot be read or hashed meanwhile.
TEST_F(FilesContract, FileHeldOpenWithoutSharingExistsAndCannotBeRead) {
  env->MakeFile(At(u"acad.exe"), "running");
  ASSERT_TRUE(env->Files().ReadSmallFile(At(u"acad.exe"), 1024)) << "the control: readable";
  env->HoldOpen(At(u"acad.exe"));
  EXPECT_TRUE(env->Files().FileExists(At(u"acad.exe")));
  EXPECT_FALSE(env->Files().ReadSmallFile(At(u"acad.exe"), 1024));
  EXPECT_FALSE(env->Files().Sha256(At(u"acad.exe")));
  EXPECT_FALSE(env->Files().Copy(At(u"acad.exe"), At(u"copy.exe"), true));
}

TEST_F(FilesContract, RootedNameWithoutDriveIsOnTheCurrentDrive) {
  // The scratch folder is on the current drive; drop its drive letter.
  ASSERT_GE(dir.size(), 3u);
  env->MakeFile(At(u"rooted.ctb"), "x");
  EXPECT_TRUE(env->Files().FileExists(dir.substr(2) + u"\\rooted.ctb"));
}

TEST_F(FilesContract, CopyNeverReplacesAnExistingFile) {
  env->MakeFile(At(u"Hv_mono.ctb"), "new table");
  env->MakeFile(At(u"existing.ctb"), "user's table");
  EXPECT_FALSE(env->Files().Copy(At(u"Hv_mono.ctb"), At(u"existing.ctb"), true));
  EXPECT_EQ(env->Read(At(u"existing.ctb")), "user's table");
  EXPECT_TRUE(env->Files().Copy(At(u"Hv_mono.ctb"), At(u"copy.ctb"), true));
  EXPECT_EQ(env->Read(At(u"copy.ctb")), "new table");
  EXPECT_FALSE(env->Files().Copy(At(u"absent.ctb"), At(u"absent copy.ctb"), true));
  EXPECT_FALSE(env->Files().FileExists(At(u"absent copy.ctb")));
  EXPECT_FALSE(env->Files().Copy(At(u"Hv_mono.ctb"), At(u"no folder\\x.ctb"), true));
}

TEST_F(FilesContract, SubFoldersAreTheFoldersOneLevelDownWithTheirNames) {
  env->MakeFolder(At(u"jpn"));
  env->MakeFolder(At(u"Enu"));
  env->MakeFolder(At(u"Plot Styles"));
  env->MakeFolder(At(u"設計 \U0002000B"));
  env->MakeFolder(At(u"jpn\\Plotters"));  // two levels down
  env->MakeFile(At(u"acad.ctb"), "a file, not a folder");
  env->MakeFolder(At(u"empty"));
  struct Case {
    std::u16string folder;
    std::vector<std::u16string> names;
  } const cases[] = {
      {dir, {u"Enu", u"Plot Styles", u"empty", u"jpn", u"設計 \U0002000B"}},
      {dir + u"\\", {u"Enu", u"Plot Styles", u"empty", u"jpn", u"設計 \U0002000B"}},
      {At(u"JPN"), {u"Plotters"}},
      {At(u"empty"), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.folder.begin(), c.folder.end()));
    FolderListing listing{{u"sentinel"}, 0xDEAD};
    listing = env->Files().SubFolders(c.folder);
    std::sort(listing.names.begin(), listing.names.end());
    EXPECT_EQ(listing.names, c.names);
    EXPECT_EQ(listing.error, 0u);
  }
}

TEST_F(FilesContract, SubFoldersOfWhatIsNoFolderReportTheError) {
  env->MakeFile(At(u"acad.ctb"), "a file");
  for (const std::u16string& folder : {At(u"missing"), At(u"missing\\deeper"), std::u16string()}) {
    SCOPED_TRACE(std::string(folder.begin(), folder.end()));
    const FolderListing listing = env->Files().SubFolders(folder);
    EXPECT_TRUE(listing.names.empty());
    EXPECT_TRUE(listing.error == 2 || listing.error == 3) << listing.error;
  }
  const FolderListing file = env->Files().SubFolders(At(u"acad.ctb"));
  EXPECT_TRUE(file.names.empty());
  EXPECT_NE(file.error, 0u);
}

// A name made full as Windows makes it: against the current folder, "."
// and ".." resolved.
TEST_F(FilesContract, FullPathIsMadeAgainstTheCurrentFolder) {
  std::u16string current = env->Files().CurrentDirectory();
  ASSERT_FALSE(current.empty());
  if (current.back() != u'\\')
    current += u'\\';
  EXPECT_EQ(env->Files().FullPath(u"plan.dwg"), current + u"plan.dwg");
  EXPECT_EQ(env->Files().FullPath(u"old\\..\\plan.dwg"), current + u"plan.dwg");
  EXPECT_EQ(env->Files().FullPath(u".\\図面\\平面.dwg"), current + u"図面\\平面.dwg");
}

TEST_F(FilesContract, ProgramFilePathNamesAnExistingFile) {
  const std::u16string program = env->Files().ProgramFilePath();
  ASSERT_FALSE(program.empty());
  EXPECT_TRUE(env->Files().FileExists(program));
  EXPECT_FALSE(FolderOf(program).empty());
}

}  // namespace
}  // namespace halvane::test
