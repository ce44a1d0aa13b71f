// The table of files under a temporary name that a stopped run removes.
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>

#include <limits.h>

#include <fstream>
#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "support/WholeFile.h"

namespace {

using testing_support::TempDir;
using testing_support::filesIn;

TEST(TemporaryFiles, RemoveAllRemovesWhatIsNotedAndNothingElse) {
  TempDir dir;
  dir.write("noted.tmp", "x");
  dir.write("forgotten.tmp", "x");
  dir.write("never noted", "x");
  ASSERT_TRUE(TemporaryFiles::add(dir.file("noted.tmp")));
  ASSERT_TRUE(TemporaryFiles::add(dir.file("forgotten.tmp")));
  TemporaryFiles::forget(dir.file("forgotten.tmp"));
  // Noted before it was created, and never created: nothing to remove.
  ASSERT_TRUE(TemporaryFiles::add(dir.file("not yet.tmp")));
  TemporaryFiles::removeAll();
  EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"forgotten.tmp", "never noted"}));
  TemporaryFiles::forget(dir.file("noted.tmp"));
  TemporaryFiles::forget(dir.file("not yet.tmp"));
}

TEST(TemporaryFiles, AFullTableRefusesUntilANameIsForgotten) {
  TempDir dir;
  std::vector<std::string> names;
  for (std::size_t k = 0; k < TemporaryFiles::kCapacity; ++k) {
    names.push_back(dir.file(std::to_string(k) + ".tmp"));
    dir.write(std::to_string(k) + ".tmp", "x");
    EXPECT_TRUE(TemporaryFiles::add(names.back())) << k;
  }
  dir.write("extra.tmp", "x");
  EXPECT_FALSE(TemporaryFiles::add(dir.file("extra.tmp")));
  TemporaryFiles::forget(names[3]);
  EXPECT_TRUE(TemporaryFiles::add(dir.file("extra.tmp")));
  TemporaryFiles::removeAll();
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"3.tmp"});
  for (const std::string& name : names) TemporaryFiles::forget(name);
  TemporaryFiles::forget(dir.file("extra.tmp"));
  // Every slot free again.
  for (const std::string& name : names) EXPECT_TRUE(TemporaryFiles::add(name));
  for (const std::string& name : names) TemporaryFiles::forget(name);
}

TEST(TemporaryFiles, NamesTooLongOrEmptyAreRefused) {
  EXPECT_FALSE(TemporaryFiles::add(""));
  EXPECT_FALSE(TemporaryFiles::add(std::string(PATH_MAX, 'a')));
  EXPECT_TRUE(TemporaryFiles::add(std::string(PATH_MAX - 1, 'a')));
  TemporaryFiles::forget(std::string(PATH_MAX - 1, 'a'));
}

// A whole file is noted from before it exists until it has its name, and its
// final name is never removed.
TEST(TemporaryFiles, WholeFilesAreNotedUntilTheyHaveTheirName) {
  TempDir dir;
  std::ofstream kept;
  const std::string keptTemporary = WholeFile::open(kept, dir.file("kept.res"));
  ASSERT_FALSE(keptTemporary.empty());
  kept << "whole\n";
  ASSERT_EQ(WholeFile::commit(kept, keptTemporary, dir.file("kept.res")), WholeFile::Outcome::Written);

  std::ofstream cut;
  const std::string cutTemporary = WholeFile::open(cut, dir.file("cut.res"));
  ASSERT_FALSE(cutTemporary.empty());
  cut << "half";
  cut.flush();
  EXPECT_EQ(filesIn(dir.path()).size(), 2u);
  TemporaryFiles::removeAll();
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"kept.res"});
  EXPECT_EQ(dir.read("kept.res"), "whole\n");
  cut.close();
  WholeFile::discard(cutTemporary);

  // A file discarded, or whose text could not be written, is forgotten too:
  // its slot is free again.
  for (std::size_t k = 0; k < 2 * TemporaryFiles::kCapacity; ++k) {
    std::ofstream stream;
    const std::string temporary = WholeFile::open(stream, dir.file("again.res"));
    ASSERT_FALSE(temporary.empty());
    if (k % 2) {
      stream.close();
      WholeFile::discard(temporary);
    } else {
      stream.setstate(std::ios::badbit);
      EXPECT_EQ(WholeFile::commit(stream, temporary, dir.file("again.res")), WholeFile::Outcome::WriteFailed);
    }
  }
  for (std::size_t k = 0; k < TemporaryFiles::kCapacity; ++k) EXPECT_TRUE(TemporaryFiles::add("x" + std::to_string(k)));
  for (std::size_t k = 0; k < TemporaryFiles::kCapacity; ++k) TemporaryFiles::forget("x" + std::to_string(k));
  EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"kept.res"});
}

}  // namespace
