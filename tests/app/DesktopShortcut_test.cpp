// The desktop launcher: its contents, a missing desktop folder, and placing
// it once per user.

#include "app/DesktopShortcut.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QDir>
#include <QFile>
#include <QSettings>

#include "app/WindowPosition.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

TEST(DesktopShortcutTest, WritesALauncherForTheProgram) {
  test::TempDir dir;
  const QString desktop = QString::fromStdString(dir.path());
  EXPECT_EQ(CreateDesktopShortcut(desktop, "/opt/veil store/veilstore"), QString());
  const std::string text = test::ReadFile(dir / "Veilstore.desktop");
  EXPECT_NE(text.find("Comment=MORVANE Veilstore\n"), std::string::npos);
  EXPECT_NE(text.find("Exec=\"/opt/veil store/veilstore\" %f\n"), std::string::npos);
  EXPECT_FALSE(CreateDesktopShortcut(desktop + "/missing", "/x").isEmpty());
}

TEST(DesktopShortcutTest, IsPlacedOnlyAtTheFirstStart) {
  test::TempDir home;
  setenv("HOME", home.path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  unsetenv("XDG_DESKTOP_DIR");
  QDir().mkpath(QString::fromStdString(home / "Desktop"));
  EXPECT_EQ(PlaceDesktopShortcutOnce("/usr/bin/veilstore"), QString());
  const std::string launcher = home / "Desktop/Veilstore.desktop";
  ASSERT_TRUE(test::Exists(launcher));
  QFile::remove(QString::fromStdString(launcher));  // the user removed it
  EXPECT_EQ(PlaceDesktopShortcutOnce("/usr/bin/veilstore"), QString());
  EXPECT_FALSE(test::Exists(launcher));
}

}  // namespace
}  // namespace vls
