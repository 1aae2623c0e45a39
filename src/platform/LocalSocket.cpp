#include "platform/LocalSocket.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

namespace vls {
namespace {

constexpr int kBacklog = 8;

std::optional<sockaddr_un> AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  // The name must fit with its terminating NUL, and hold no NUL of its own:
  // either would name another socket than the one checked.
  if (path.empty() || path.size() >= sizeof address.sun_path ||
      path.find('\0') != std::string::npos)
    return std::nullopt;
  std::memcpy(address.sun_path, path.data(), path.size());
  return address;
}

UniqueFd NewSocket(const std::string& path, int flags) {
  return UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0), path);
}

bool SetTimeouts(int fd, std::chrono::milliseconds timeout) {
  const auto count = timeout.count();
  const timeval limit{static_cast<time_t>(count / 1000),
                      static_cast<suseconds_t>(count % 1000 * 1000)};
  return ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) == 0 &&
         ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) == 0;
}

}  // namespace

bool IsOwnSocket(const std::string& path) noexcept {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid();
}

bool PeerIsSameUser(int fd) noexcept {
  ucred peer{};
  socklen_t length = sizeof peer;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer &&
         peer.uid == ::geteuid();
}

UniqueFd ConnectLocal(const std::string& path, std::chrono::milliseconds timeout) {
  const auto address = AddressOf(path);
  if (!address || !IsOwnSocket(path))
    return {};
  UniqueFd socket = NewSocket(path, 0);
  // A full backlog makes connect wait, for the send timeout at most.
  if (!socket.valid() || !SetTimeouts(socket.get(), timeout))
    return {};
  int connected;
  do {
    connected =
        ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
  } while (connected != 0 && errno == EINTR);
  if (connected != 0 || !PeerIsSameUser(socket.get()))
    return {};
  return socket;
}

LocalListener::LocalListener(LocalListener&& other) noexcept
    : fd_(std::move(other.fd_)),
      device_(std::exchange(other.device_, 0)),
      inode_(std::exchange(other.inode_, 0)) {}

LocalListener& LocalListener::operator=(LocalListener&& other) noexcept {
  if (this != &other) {
    RemoveName();
    fd_ = std::move(other.fd_);
    device_ = std::exchange(other.device_, 0);
    inode_ = std::exchange(other.inode_, 0);
  }
  return *this;
}

LocalListener::~LocalListener() {
  RemoveName();
}

void LocalListener::RemoveName() noexcept {
  struct stat st {};
  if (fd_.valid() && ::lstat(fd_.path().c_str(), &st) == 0 && st.st_dev == device_ &&
      st.st_ino == inode_)
    ::unlink(fd_.path().c_str());
}

LocalListener LocalListener::Listen(const std::string& path) {
  const auto address = AddressOf(path);
  if (!address)
    return {};
  // Only a socket of the user's is stale; bind refuses whatever else is
  // there (a link is never followed), so a foreign name is never replaced.
  if (IsOwnSocket(path))
    ::unlink(path.c_str());
  LocalListener listener;
  UniqueFd socket = NewSocket(path, SOCK_NONBLOCK);
  if (!socket.valid() ||
      ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0)
    return {};
  struct stat st {};
  // Nobody can connect before listen: the mode is the user's alone by then.
  const bool listening =
      ::fchmodat(AT_FDCWD, path.c_str(), S_IRUSR | S_IWUSR, AT_SYMLINK_NOFOLLOW) == 0 &&
      ::lstat(path.c_str(), &st) == 0 && ::listen(socket.get(), kBacklog) == 0;
  if (!listening) {
    ::unlink(path.c_str());
    return {};
  }
  listener.fd_ = std::move(socket);
  listener.device_ = st.st_dev;
  listener.inode_ = st.st_ino;
  return listener;
}

UniqueFd AcceptSameUser(int listener) {
  for (;;) {
    UniqueFd peer(::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC),
                  std::string());
    if (!peer.valid()) {
      if (errno == EINTR || errno == ECONNABORTED)
        continue;
      return {};
    }
    if (PeerIsSameUser(peer.get()))
      return peer;
  }
}

bool SendAllLocal(int fd, std::span<const char> bytes) noexcept {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR)
      continue;
    if (sent <= 0)
      return false;
    bytes = bytes.subspan(static_cast<std::size_t>(sent));
  }
  return true;
}

std::ptrdiff_t ReceiveLocal(int fd, std::span<char> buffer) noexcept {
  for (;;) {
    const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
    if (got < 0 && errno == EINTR)
      continue;
    return got;
  }
}

}  // namespace vls
