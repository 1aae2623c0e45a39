#pragma once
// Local stream sockets private to one user, for a message between two starts
// of the program. Both sides refuse anything that is not this user's own:
// a name that is not a socket (a link, a file), a socket file another user
// owns, and a peer that runs as another user. Every descriptor is
// close-on-exec; the connected side waits at most the time it is given.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/FileServices.h"

namespace vls {

// True when path names a socket file (not a link to one) this user owns.
bool IsOwnSocket(const std::string& path) noexcept;
// True when the process at the other end of a connected socket is this user.
bool PeerIsSameUser(int fd) noexcept;

// Connects to the user's own socket at path, waiting at most timeout for it
// and for every later send and receive on the descriptor. Invalid when the
// name is not the user's socket, nobody serves it, or another user does.
UniqueFd ConnectLocal(const std::string& path, std::chrono::milliseconds timeout);

// A listening socket and the file that names it; the file goes with it,
// unless something else has taken the name since.
class LocalListener {
 public:
  LocalListener() = default;
  LocalListener(LocalListener&& other) noexcept;
  LocalListener& operator=(LocalListener&& other) noexcept;
  ~LocalListener();

  // Serves path: a socket of the user's that nobody serves any more is
  // removed first; anything else under the name is left alone and nothing
  // is served (invalid). The socket file is readable and writable by the
  // user only before the first connection can come. The descriptor does
  // not block.
  static LocalListener Listen(const std::string& path);

  int get() const { return fd_.get(); }
  bool valid() const { return fd_.valid(); }

 private:
  void RemoveName() noexcept;

  UniqueFd fd_;
  std::uint64_t device_ = 0;
  std::uint64_t inode_ = 0;
};

// The next waiting connection from this same user, non-blocking; connections
// from other users are closed on the way. Invalid when none is waiting.
UniqueFd AcceptSameUser(int listener);

// Sends all bytes on a connected socket (a closed peer is a failure, never a
// signal); false on failure or timeout.
bool SendAllLocal(int fd, std::span<const char> bytes) noexcept;
// Receives up to buffer.size() bytes: the count, 0 at the end of the stream,
// -1 on failure, timeout or (non-blocking) when nothing is there yet.
std::ptrdiff_t ReceiveLocal(int fd, std::span<char> buffer) noexcept;

}  // namespace vls
