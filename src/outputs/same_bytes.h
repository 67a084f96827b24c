#pragma once

#include "io/file_handle.h"

// Whether two files hold the same bytes, read from their starts a piece at a
// time, so that memory stays flat whatever their size.
bool holdSameBytes(const fileHandle& one, const fileHandle& other);
