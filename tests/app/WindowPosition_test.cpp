// The window's layout kept between runs beside its position: pane sizes and
// size read back only when sound, and the start folder falling back to home
// when the last one is gone or was never a folder.

#include "app/WindowPosition.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>

#include "support/TestSupport.h"

namespace vls {
namespace {

class WindowLayoutTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  QSettings settings{QString::fromStdString(dir / "settings.ini"), QSettings::IniFormat};
};

TEST_F(WindowLayoutTest, PaneSizesAndWindowSizeReadBackOnlyWhenSound) {
  const struct {
    const char* stored;
    QList<int> sizes;
  } panes[] = {
      {"174,426", {174, 426}}, {"0,300", {0, 300}},
      {"0x10, 20", {16, 20}},  {"", {}},
      {"174,wide", {}},        {"-5,300", {}},
      {"99999999999,1", {}},   {"2147483647,2147483647", {}},
  };
  for (const auto& c : panes) {
    settings.setValue("FmainVLS/SplitterWnd1", c.stored);
    EXPECT_EQ(LoadPaneSizes(settings, "FmainVLS", "SplitterWnd1"), c.sizes) << c.stored;
  }
  SavePaneSizes(settings, "FmainVLS", "SplitterWnd2", {178, 0});
  EXPECT_EQ(LoadPaneSizes(settings, "FmainVLS", "SplitterWnd2"), QList<int>({178, 0}));

  const struct {
    const char *width, *height;
    std::optional<QSize> size;
  } sizes[] = {
      {"800", "600", QSize(800, 600)},
      {"0", "600", std::nullopt},
      {"800", "", std::nullopt},
      {"-1", "-1", std::nullopt},
  };
  for (const auto& c : sizes) {
    settings.setValue("FmainVLS/Width", c.width);
    settings.setValue("FmainVLS/Height", c.height);
    EXPECT_EQ(LoadWindowSize(settings, "FmainVLS"), c.size) << c.width << "x" << c.height;
  }
  SaveWindowSize(settings, "FmainVLS", QSize(640, 480), true);
  EXPECT_EQ(LoadWindowSize(settings, "FmainVLS"), QSize(640, 480));
  EXPECT_TRUE(LoadWindowMaximized(settings, "FmainVLS"));
  // Beside the position, whose keys and format stay as they were.
  SaveWindowPosition(settings, "FmainVLS", QPoint(10, 20));
  EXPECT_EQ(settings.value("FmainVLS/Left").toString(), QString("10"));
  EXPECT_EQ(LoadWindowSize(settings, "FmainVLS"), QSize(640, 480));
}

TEST_F(WindowLayoutTest, StartsInTheLastFolderWhileItIsOne) {
  const QString home = QString::fromStdString(dir / "home");
  const QString last = QString::fromStdString(dir / "pictures");
  QDir().mkpath(last);
  test::WriteFile(dir / "plain.txt", "x");
  QFile::link(last, QString::fromStdString(dir / "link"));
  QFile::link(QString::fromStdString(dir / "gone"), QString::fromStdString(dir / "dangling"));
  const struct {
    QString stored, start;
  } cases[] = {
      {"", home},
      {last, last},
      {last + "/", last},
      {QString::fromStdString(dir / "link"), QString::fromStdString(dir / "link")},
      {QString::fromStdString(dir / "gone"), home},
      {QString::fromStdString(dir / "dangling"), home},
      {QString::fromStdString(dir / "plain.txt"), home},
      {"pictures", home},  // relative: it would depend on where the program starts
  };
  for (const auto& c : cases) {
    settings.setValue("FmainVLS/Folder", c.stored);
    EXPECT_EQ(StartFolder(settings, "FmainVLS", home), c.start) << c.stored.toStdString();
  }
  SaveLastFolder(settings, "FmainVLS", last);
  EXPECT_EQ(StartFolder(settings, "FmainVLS", home), last);
}

}  // namespace
}  // namespace vls
