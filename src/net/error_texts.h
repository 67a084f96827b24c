#pragma once

#include "net/netbios_block.h"

// Text of a socket-library error number. The text may live in a buffer that
// the next call overwrites; copy it to keep it.
const char* winsockErrorText(int code);

// Name of a NetBIOS command byte; the asynchronous bit is part of the code.
const char* netbiosCommandName(unsigned char command);

// Text of a NetBIOS return code.
const char* netbiosReturnText(unsigned char code);

// Raises the report for a NetBIOS command block that came back with a
// non-zero return code.
void reportNetbiosFailure(const NCB& ncb);
