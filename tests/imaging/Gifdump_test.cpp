// The gifdump tool: its report, the composed frames it writes and its exit
// code, on a file whose frames restore what was under them.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/TestSupport.h"

namespace vls {
namespace {

struct ToolRun {
  int exit_code = -1;
  std::string out;
};

ToolRun Gifdump(const std::string& file, const std::string& dir) {
  const std::string command =
      std::string(VLS_BIN_DIR) + "/gifdump '" + file + "' '" + dir + "' 2>/dev/null";
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr)
    return run;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
    run.out += buffer;
  const int status = ::pclose(pipe);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(Gifdump, ReportsFramesAndWritesEachComposedPicture) {
  test::TempDir dir;
  const std::string data = std::string(VLS_TEST_DATA_DIR) + "/gif/";
  const ToolRun run =
      Gifdump(data + "peterdn/animated_transparent_restoreprev_loop.gif", dir.path());
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out,
            "screen 100 100 frames 4 loop 0\n"
            "frame 1 0 0 100 100 disposal 1 delay 1000 transparent 1\n"
            "frame 2 10 10 30 30 disposal 3 delay 1000 transparent 0\n"
            "frame 3 30 30 40 40 disposal 3 delay 1000 transparent 0\n"
            "frame 4 60 60 30 30 disposal 3 delay 1000 transparent 0\n");
  ASSERT_EQ(dir.List(), (std::vector<std::string>{"frame-1.rgba", "frame-2.rgba", "frame-3.rgba",
                                                  "frame-4.rgba"}));
  std::string frames[5];
  for (int n = 1; n <= 4; ++n) {
    frames[n] = test::ReadFile(dir / ("frame-" + std::to_string(n) + ".rgba"));
    ASSERT_EQ(frames[n].size(), 100u * 100u * 4u);
  }
  // Pixel (15, 15) lies under frame 2 only: frame 2 paints it opaque, and
  // frame 3 is drawn after frame 2 gave back what was under it.
  const std::size_t at = (15 * 100 + 15) * 4;
  EXPECT_EQ(static_cast<unsigned char>(frames[2][at + 3]), 255);
  EXPECT_EQ(frames[3].substr(at, 4), frames[1].substr(at, 4));
  EXPECT_NE(frames[2].substr(at, 4), frames[1].substr(at, 4));

  EXPECT_EQ(Gifdump(data + "wuffs/artificial/no-frames.gif", dir.path()).exit_code, 1);
  EXPECT_EQ(Gifdump(dir / "missing.gif", dir.path()).exit_code, 1);
}

}  // namespace
}  // namespace vls
