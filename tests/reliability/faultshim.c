/* A fault injector loaded with LD_PRELOAD: the Nth call of one file service
 * fails with a chosen errno, or (for read) returns corrupted bytes.
 *
 *   FAULT_CALL   open | read | write | fsync | rename | unlink
 *                (fsync counts fdatasync and syncfs too: every flush)
 *   FAULT_N      which call fails (1 = the first)
 *   FAULT_ERRNO  ENOSPC | EIO | EACCES   (default EIO)
 *   FAULT_CORRUPT=1  with FAULT_CALL=read or write: flip a byte of what is
 *                read, or of what reaches the file, instead of failing
 *   FAULT_SHORT_READ=N  every read of a watched descriptor returns at most
 *                N bytes (no call fails; FAULT_CALL may be unset)
 *   FAULT_KILL=1 the process kills itself with SIGKILL at that call instead
 *   FAULT_FLUSH_DELAY_MS=N  every fsync, fdatasync and syncfs takes N ms
 *                longer, as on a spinning disk (no call fails)
 *   FAULT_ONLY   only calls on paths (or descriptors opened on paths) that
 *                begin with one of these prefixes (separated by ":") count;
 *                others pass untouched
 *
 * When the chosen call happened, the shim writes "hit" and, on the next line,
 * the path the call acted on to FAULT_REPORT (a file path), so the harness
 * knows the fault was reached and where. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

static long counter;
static int watched_fd[1024];

static const char* call_name(void) {
  return getenv("FAULT_CALL");
}

static int path_counts(const char* given) {
  const char* only = getenv("FAULT_ONLY");
  if (only == NULL)
    return 1;
  if (given == NULL)
    return 0;
  /* A relative path counts where it lies. */
  char absolute[8192];
  const char* path = given;
  if (given[0] != '/' && getcwd(absolute, sizeof absolute - 1) != NULL) {
    strncat(absolute, "/", sizeof absolute - strlen(absolute) - 1);
    strncat(absolute, given, sizeof absolute - strlen(absolute) - 1);
    path = absolute;
  }
  for (const char* prefix = only; *prefix != '\0';) {
    const char* end = strchr(prefix, ':');
    const size_t length = end ? (size_t)(end - prefix) : strlen(prefix);
    if (length > 0 && strncmp(path, prefix, length) == 0)
      return 1;
    if (end == NULL)
      break;
    prefix = end + 1;
  }
  return 0;
}

static int fd_counts(int fd) {
  if (getenv("FAULT_ONLY") == NULL)
    return fd > 2;
  return fd >= 0 && fd < 1024 && watched_fd[fd];
}

/* The call's path, or that of its descriptor when it has none. */
static void report(const char* path, int fd) {
  const char* file = getenv("FAULT_REPORT");
  if (file == NULL)
    return;
  char target[4096] = "";
  if (path == NULL && fd >= 0) {
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, sizeof target - 1);
    target[n > 0 ? n : 0] = '\0';
    path = target;
  }
  FILE* out = fopen(file, "w");
  if (out != NULL) {
    fprintf(out, "hit\n%s\n", path != NULL ? path : "");
    fclose(out);
  }
}

static int fault_errno(void) {
  const char* name = getenv("FAULT_ERRNO");
  if (name == NULL)
    return EIO;
  if (strcmp(name, "ENOSPC") == 0)
    return ENOSPC;
  if (strcmp(name, "EACCES") == 0)
    return EACCES;
  return EIO;
}

/* True when this call, on path or fd, is the one that must fail. */
static int should_fail(const char* call, int counts, const char* path, int fd) {
  const char* chosen = call_name();
  if (chosen == NULL || strcmp(chosen, call) != 0 || !counts)
    return 0;
  const char* n = getenv("FAULT_N");
  if (++counter != (n ? atol(n) : 1))
    return 0;
  report(path, fd);
  if (getenv("FAULT_KILL") != NULL)
    raise(SIGKILL);
  return 1;
}

#define REAL(name)                      \
  static __typeof__(name)* real_##name; \
  if (real_##name == NULL)              \
  real_##name = (__typeof__(name)*)dlsym(RTLD_NEXT, #name)

int open(const char* path, int flags, ...) {
  REAL(open);
  mode_t mode = 0;
  if (flags & O_CREAT) {
    va_list args;
    va_start(args, flags);
    mode = va_arg(args, mode_t);
    va_end(args);
  }
  if (should_fail("open", path_counts(path), path, -1)) {
    errno = fault_errno();
    return -1;
  }
  int fd = real_open(path, flags, mode);
  if (fd >= 0 && fd < 1024)
    watched_fd[fd] = path_counts(path) && getenv("FAULT_ONLY") != NULL;
  return fd;
}

int open64(const char* path, int flags, ...) __attribute__((alias("open")));

/* The Nth write's bytes, with one of them flipped, for a corrupted write. */
static const void* corrupted_copy(const void* buffer, size_t count) {
  static unsigned char* copy;
  static size_t size;
  if (count == 0)
    return buffer;
  if (count > size) {
    free(copy);
    copy = malloc(count);
    size = copy != NULL ? count : 0;
    if (copy == NULL)
      return buffer;
  }
  memcpy(copy, buffer, count);
  copy[count / 2] ^= 0x5A;
  return copy;
}

ssize_t read(int fd, void* buffer, size_t count) {
  REAL(read);
  const char* short_read = getenv("FAULT_SHORT_READ");
  if (short_read != NULL && fd_counts(fd) && count > (size_t)atol(short_read))
    count = (size_t)atol(short_read);
  if (should_fail("read", fd_counts(fd), NULL, fd)) {
    if (getenv("FAULT_CORRUPT") != NULL) {
      ssize_t n = real_read(fd, buffer, count);
      if (n > 0)
        ((unsigned char*)buffer)[n / 2] ^= 0x5A;
      return n;
    }
    errno = fault_errno();
    return -1;
  }
  return real_read(fd, buffer, count);
}

ssize_t write(int fd, const void* buffer, size_t count) {
  REAL(write);
  if (should_fail("write", fd_counts(fd), NULL, fd)) {
    if (getenv("FAULT_CORRUPT") != NULL)
      return real_write(fd, corrupted_copy(buffer, count), count);
    errno = fault_errno();
    return -1;
  }
  return real_write(fd, buffer, count);
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
  REAL(pwrite);
  if (should_fail("write", fd_counts(fd), NULL, fd)) {
    if (getenv("FAULT_CORRUPT") != NULL)
      return real_pwrite(fd, corrupted_copy(buffer, count), count, offset);
    errno = fault_errno();
    return -1;
  }
  return real_pwrite(fd, buffer, count, offset);
}

ssize_t pwrite64(int fd, const void* buffer, size_t count, off_t offset)
    __attribute__((alias("pwrite")));

/* A flush as slow as on a spinning disk, when asked. */
static void flush_delay(void) {
  const char* delay = getenv("FAULT_FLUSH_DELAY_MS");
  if (delay == NULL)
    return;
  const long ms = atol(delay);
  struct timespec wait = {ms / 1000, (ms % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

int fsync(int fd) {
  REAL(fsync);
  flush_delay();
  if (should_fail("fsync", fd_counts(fd), NULL, fd)) {
    errno = fault_errno();
    return -1;
  }
  return real_fsync(fd);
}

int fdatasync(int fd) {
  REAL(fdatasync);
  flush_delay();
  if (should_fail("fsync", fd_counts(fd), NULL, fd)) {
    errno = fault_errno();
    return -1;
  }
  return real_fdatasync(fd);
}

/* syncfs flushes a whole file system, usually through a folder's
 * descriptor: it counts when that folder is one of the watched ones. */
int syncfs(int fd) {
  REAL(syncfs);
  flush_delay();
  int counts = fd_counts(fd);
  if (!counts && getenv("FAULT_ONLY") != NULL) {
    char link[64], folder[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, folder, sizeof folder - 2);
    if (n > 0) {
      folder[n] = '/';
      folder[n + 1] = '\0';
      counts = path_counts(folder);
    }
  }
  if (should_fail("fsync", counts, NULL, fd)) {
    errno = fault_errno();
    return -1;
  }
  return real_syncfs(fd);
}

int rename(const char* from, const char* to) {
  REAL(rename);
  if (should_fail("rename", path_counts(from), from, -1)) {
    errno = fault_errno();
    return -1;
  }
  return real_rename(from, to);
}

int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
  REAL(renameat2);
  if (should_fail("rename", path_counts(from), from, -1)) {
    errno = fault_errno();
    return -1;
  }
  return real_renameat2(from_dir, from, to_dir, to, flags);
}

int unlink(const char* path) {
  REAL(unlink);
  if (should_fail("unlink", path_counts(path), path, -1)) {
    errno = fault_errno();
    return -1;
  }
  return real_unlink(path);
}
