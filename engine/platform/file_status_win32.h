#pragma once

#include "engine/platform/file_status.h"
#include "engine/platform/system_error.h"

#include <windows.h>

namespace hz {

// What GetFileInformationByHandle tells of an open file, as the engine's status; links: how the file was opened,
// Keep for a reparse point itself (a symbolic link or a junction, described as Link).
SystemResult<FileStatus> StatusOfHandle(HANDLE file, Links links = Links::Follow);

} // namespace hz
