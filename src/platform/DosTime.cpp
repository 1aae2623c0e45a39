#include "platform/DosTime.h"

#include <sys/stat.h>

namespace vls {

DosDateTime ToDosDateTime(std::time_t moment) {
  std::tm local{};
  if (localtime_r(&moment, &local) == nullptr || local.tm_year < 80) {
    return (1u << 5 | 1u) << 16;  // 1980-01-01 00:00:00
  }
  int year = local.tm_year - 80;
  if (year > 127)
    year = 127;
  const auto date = static_cast<std::uint32_t>(year << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
  const auto time =
      static_cast<std::uint32_t>(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
  return date << 16 | time;
}

std::time_t FromDosDateTime(DosDateTime dos) {
  std::tm local{};
  const std::uint32_t date = dos >> 16;
  const std::uint32_t time = dos & 0xFFFF;
  local.tm_year = static_cast<int>((date >> 9) & 0x7F) + 80;
  local.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
  local.tm_mday = static_cast<int>(date & 0x1F);
  local.tm_hour = static_cast<int>((time >> 11) & 0x1F);
  local.tm_min = static_cast<int>((time >> 5) & 0x3F);
  local.tm_sec = static_cast<int>(time & 0x1F) * 2;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

DosDateTime GetFileDosDateTime(const UniqueFd& fd) {
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0)
    ThrowFileError(fd.path(), "Cannot read the time of");
  return ToDosDateTime(st.st_mtim.tv_sec);
}

void SetFileDosDateTime(const UniqueFd& fd, DosDateTime dos) {
  const std::time_t moment = FromDosDateTime(dos);
  const struct timespec times[2] = {{moment, 0}, {moment, 0}};
  if (::futimens(fd.get(), times) != 0)
    ThrowFileError(fd.path(), "Cannot set the time of");
}

std::time_t GetFileTime(const UniqueFd& fd) {
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0)
    ThrowFileError(fd.path(), "Cannot read the time of");
  return st.st_mtim.tv_sec;
}

void SetFileTime(const UniqueFd& fd, std::time_t moment) {
  const struct timespec times[2] = {{moment, 0}, {moment, 0}};
  if (::futimens(fd.get(), times) != 0)
    ThrowFileError(fd.path(), "Cannot set the time of");
}

}  // namespace vls
