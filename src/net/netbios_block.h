#pragma once

// The NetBIOS command block and adapter status records. Windows has them; the
// POSIX layer answers the same two commands, so it gets the fields it needs
// under the same names and in the same layout.
#ifdef _WIN32

#include <windows.h>
// windows.h first: the NetBIOS header relies on its types.
#include <nb30.h>

#else

#include <cstdint>

constexpr unsigned char NCBRESET = 0x32;
constexpr unsigned char NCBASTAT = 0x33;
constexpr unsigned char NRC_ILLCMD = 0x03;
constexpr int NCBNAMSZ = 16;

struct NCB {
    unsigned char ncb_command;
    unsigned char ncb_retcode;
    unsigned char ncb_lsn;
    unsigned char ncb_num;
    unsigned char* ncb_buffer;
    std::uint16_t ncb_length;
    unsigned char ncb_callname[NCBNAMSZ];
    unsigned char ncb_name[NCBNAMSZ];
    unsigned char ncb_lana_num;
};

struct ADAPTER_STATUS {
    unsigned char adapter_address[6];
    unsigned char statistics[52];
    std::uint16_t name_count;
};

struct NAME_BUFFER {
    unsigned char name[NCBNAMSZ];
    unsigned char name_num;
    unsigned char name_flags;
};

#endif

static_assert(sizeof(ADAPTER_STATUS) == 60, "status record as the adapter status command fills it");
static_assert(sizeof(NAME_BUFFER) == 18, "name record as the adapter status command fills it");
