#pragma once
// File times carried as a local-time DOS date-time: the date in the high 16
// bits (years since 1980, month, day), the time in the low 16 bits (hours,
// minutes, seconds / 2). Two-second resolution, as stored files expect.

#include <cstdint>
#include <ctime>

#include "platform/FileServices.h"

namespace vls {

using DosDateTime = std::uint32_t;

// Local-time DOS date-time of a moment; times before 1980 become 1980-01-01 00:00.
DosDateTime ToDosDateTime(std::time_t moment);
// The moment a local DOS date-time stands for.
std::time_t FromDosDateTime(DosDateTime dos);

// Last-modified time of an open file as a DOS date-time.
DosDateTime GetFileDosDateTime(const UniqueFd& fd);
// Sets the last-modified (and access) time of an open file.
void SetFileDosDateTime(const UniqueFd& fd, DosDateTime dos);

// The same, to the second, for the sealed containers' own record of time.
std::time_t GetFileTime(const UniqueFd& fd);
void SetFileTime(const UniqueFd& fd, std::time_t moment);

}  // namespace vls
