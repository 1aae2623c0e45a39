// The start-up clean-up of plain copies a view left in TempFolder.

#include "protect/ViewerLeftovers.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace vls {
namespace {

TEST(ViewerLeftovers, TellsThePlainCopiesOfAViewByName) {
  for (const char* name : {"ar~te", "ar~te.jpg", "ar~te.GIF", "beach.~tx", "x.~TX", ".~tx"}) {
    EXPECT_TRUE(IsViewerLeftover(name)) << name;
  }
  for (const char* name :
       {"ar~tex.jpg", "xar~te.jpg", "letter.doc", "beach.~tx.doc", "ar~te~1.jpg"}) {
    EXPECT_FALSE(IsViewerLeftover(name)) << name;
  }
}

TEST(ViewerLeftovers, WipesThemAndLeavesEverythingElse) {
  test::TempDir dir;
  for (const char* name : {"ar~te.png", "photo.~tx", "letter.doc"}) {
    test::WriteFile(dir / name, "plain bytes");
  }
  test::RecordingFeedback feedback;
  EXPECT_TRUE(WipeViewerLeftovers(dir.path(), feedback).empty());
  EXPECT_EQ(dir.List(), std::vector<std::string>{"letter.doc"});
  // The viewer's own copy never reaches the status line.
  EXPECT_EQ(feedback.status, std::vector<std::string>{"photo.~tx"});
}

TEST(ViewerLeftovers, AMissingFolderHoldsNone) {
  test::TempDir dir;
  test::RecordingFeedback feedback;
  EXPECT_TRUE(WipeViewerLeftovers(dir / "TEMP", feedback).empty());
}

}  // namespace
}  // namespace vls
