// The local socket between two starts: only the user's own socket is ever
// served, replaced or connected to, whatever lies under the name.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/LocalSocket.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

constexpr uid_t kOtherUser = 65534;

// A socket file nobody serves, as a program killed while serving leaves.
void LeaveStaleSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
}

ino_t InodeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Exit status of a child that connects to path as another user.
int ConnectAsOtherUser(const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool connected =
        ::setuid(kOtherUser) == 0 &&
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::_exit(connected ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WEXITSTATUS(status);
}

TEST(LocalSocketTest, ServesOnlyAFreeNameOrTheUsersStaleSocket) {
  TempDir dir;
  const struct {
    const char* label;
    void (*place)(const std::string& path, const TempDir& dir);
    bool served;
  } cases[] = {
      {"nothing", [](const std::string&, const TempDir&) {}, true},
      {"a stale socket", [](const std::string& path, const TempDir&) { LeaveStaleSocket(path); },
       true},
      {"a file", [](const std::string& path, const TempDir&) { test::WriteFile(path, "keep"); },
       false},
      {"a link to a stale socket",
       [](const std::string& path, const TempDir& d) {
         LeaveStaleSocket(d / "target");
         ASSERT_EQ(::symlink((d / "target").c_str(), path.c_str()), 0);
       },
       false},
      {"another user's stale socket",
       [](const std::string& path, const TempDir&) {
         LeaveStaleSocket(path);
         if (::geteuid() == 0) {
           ASSERT_EQ(::lchown(path.c_str(), kOtherUser, kOtherUser), 0);
         }
       },
       ::geteuid() != 0},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string path = dir / ("s" + std::to_string(n++));
    c.place(path, dir);
    const ino_t before = InodeOf(path);
    EXPECT_FALSE(ConnectLocal(path, 100ms).valid());
    const LocalListener listener = LocalListener::Listen(path);
    ASSERT_EQ(listener.valid(), c.served);
    if (!c.served) {
      EXPECT_EQ(InodeOf(path), before);  // left exactly as it was
      continue;
    }
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_TRUE(ConnectLocal(path, 100ms).valid());
    EXPECT_TRUE(AcceptSameUser(listener.get()).valid());
  }
  // Too long a name for a socket is neither served nor connected to.
  const std::string long_name = dir / std::string(120, 'n');
  EXPECT_FALSE(LocalListener::Listen(long_name).valid());
  EXPECT_FALSE(ConnectLocal(long_name, 100ms).valid());
}

TEST(LocalSocketTest, ConnectsNeitherThroughALinkNorWaitsOnAQuietServer) {
  TempDir dir;
  const LocalListener listener = LocalListener::Listen(dir / "live");
  ASSERT_TRUE(listener.valid());
  ASSERT_EQ(::symlink((dir / "live").c_str(), (dir / "link").c_str()), 0);
  EXPECT_FALSE(ConnectLocal(dir / "link", 100ms).valid());
  const UniqueFd client = ConnectLocal(dir / "live", 100ms);
  ASSERT_TRUE(client.valid());
  char answer = 0;
  EXPECT_EQ(ReceiveLocal(client.get(), {&answer, 1}), -1);  // timed out
  // Nothing waits once the start is served.
  EXPECT_TRUE(AcceptSameUser(listener.get()).valid());
  EXPECT_FALSE(AcceptSameUser(listener.get()).valid());
}

TEST(LocalSocketTest, RefusesAnotherUsersConnection) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "needs to run a child as another user";
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const std::string path = dir / "s";
  const LocalListener listener = LocalListener::Listen(path);
  ASSERT_TRUE(listener.valid());
  EXPECT_NE(ConnectAsOtherUser(path), 0);  // the socket's mode stops it
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  EXPECT_EQ(ConnectAsOtherUser(path), 0);  // past the mode, the peer check stops it
  EXPECT_FALSE(AcceptSameUser(listener.get()).valid());
}

TEST(LocalSocketTest, TheListenerTakesItsNameAwayButNoNameTakenSince) {
  TempDir dir;
  const std::string path = dir / "s";
  LocalListener::Listen(path);
  EXPECT_FALSE(test::Exists(path));
  {
    const LocalListener listener = LocalListener::Listen(path);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    test::WriteFile(path, "someone else's");
  }
  EXPECT_EQ(test::ReadFile(path), "someone else's");
}

}  // namespace
}  // namespace vls
