// The work list's path set against a standard map: every path found by its
// exact bytes and only so, ids kept while their paths stay, through erasures
// in crowded tables, the moving of the bytes that erasures start, and clears.

#include "app/PathSet.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace vls {
namespace {

// Checks every candidate against the expected contents and every id's bytes.
void ExpectSame(const PathSet& set, const std::map<std::string, PathSet::Id>& expected,
                const std::vector<std::string>& candidates) {
  ASSERT_EQ(set.Size(), expected.size());
  for (const std::string& path : candidates) {
    const auto entry = expected.find(path);
    ASSERT_EQ(set.Find(path), entry == expected.end() ? PathSet::kNone : entry->second) << path;
  }
  for (const auto& [path, id] : expected)
    ASSERT_EQ(set.View(id), path);
}

TEST(PathSetTest, AgreesWithAStandardMapThroughInsertsErasesAndClears) {
  // Paths that differ in case, by a trailing byte, by an inner NUL, or not
  // at all in their first kilobytes; the empty path; some long enough to be
  // stored on their own; and many short ones, so that probes run together.
  std::vector<std::string> candidates = {
      "", "/a", "/A", "/a ", std::string("/a\0b", 4), std::string("/a\0c", 4), "\xE9", "/\xC3\xA9"};
  const std::string long_prefix(1000, 'x');
  for (int i = 0; i < 600; ++i)
    candidates.push_back(long_prefix + std::to_string(i));
  candidates.push_back(std::string(70000, 'y'));
  candidates.push_back(std::string(70000, 'y') + "z");
  for (int i = 0; i < 200; ++i)
    candidates.push_back("/f" + std::to_string(i));

  std::mt19937 random(20240601);
  PathSet set;
  std::map<std::string, PathSet::Id> expected;
  for (int step = 0; step < 6000; ++step) {
    const std::string& path = candidates[random() % candidates.size()];
    if (step == 1999 || step == 3999) {
      set.Clear();
      expected.clear();
    } else if (random() % 3 != 0) {
      const auto [id, added] = set.Insert(path);
      const auto [entry, is_new] = expected.emplace(path, id);
      ASSERT_EQ(added, is_new) << path;
      ASSERT_EQ(id, entry->second) << path;
    } else if (const auto entry = expected.find(path); entry != expected.end()) {
      set.Erase(entry->second);
      expected.erase(entry);
    }
    if (step % 50 == 0)
      ExpectSame(set, expected, candidates);
  }
  ExpectSame(set, expected, candidates);

  // Emptied one by one, the set takes paths again.
  while (!expected.empty()) {
    set.Erase(expected.begin()->second);
    expected.erase(expected.begin());
  }
  ExpectSame(set, expected, candidates);
  EXPECT_TRUE(set.Insert("/a").second);
  EXPECT_FALSE(set.Insert("/a").second);
}

// With 300,000 paths some of their 32-bit hashes agree: the bytes decide.
TEST(PathSetTest, PathsWhoseHashesAgreeStayApart) {
  PathSet set;
  for (int i = 0; i < 300000; ++i)
    ASSERT_TRUE(set.Insert("/folder/file" + std::to_string(i)).second) << i;
  for (int i = 0; i < 300000; i += 7)
    ASSERT_EQ(set.View(set.Find("/folder/file" + std::to_string(i))),
              "/folder/file" + std::to_string(i));
}

}  // namespace
}  // namespace vls
