#include "net/error_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "fake_net_system.h"
#include "support/event_recorder.h"

namespace {

struct codeAndText {
    int code;
    const char* text;
};

const codeAndText winsockTexts[] = {
    {6, "Specified event object handle is invalid."},
    {8, "Insufficient memory available."},
    {87, "One or more parameters are invalid."},
    {995, "Overlapped operation aborted."},
    {996, "Overlapped I/O event object not in signaled state."},
    {997, "Overlapped operations will complete later."},
    {10004, "Interrupted function call."},
    {10009, "The file handle supplied is not valid"},
    {10013, "Permission denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Resource temporarily unavailable."},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on nonsocket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Network dropped connection on reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send after socket shutdown."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10067, "Too many processes."},
    {10091, "Network subsystem is unavailable."},
    {10092, "Winsock.dll version out of range."},
    {10093, "Successful WSAStartup not yet performed."},
    {10101, "Graceful shutdown in progress."},
    {10107, "System call failure"},
    {10109, "Class type not found."},
    {10110, "No more results can be returned by WSALookupServiceNext"},
    {10111,
     "A call to WSALookupServiceEnd was made while this call was still processing. The call has "
     "been canceled"},
    {10112, "A database query failed because it was actively refused"},
    {11001, "Host not found."},
    {11002, "Nonauthoritative host not found."},
    {11003, "This is a nonrecoverable error."},
    {11004, "Valid name, no data record of requested type."},
};

const codeAndText commandNames[] = {
    {0x10, "NCBCALL"},     {0x11, "NCBLISTEN"},      {0x12, "NCBHANGUP"},     {0x14, "NCBSEND"},
    {0x15, "NCBRECV"},     {0x16, "NCBRECVANY"},     {0x17, "NCBCHAINSEND"},  {0x20, "NCBDGSEND"},
    {0x21, "NCBDGRECV"},   {0x22, "NCBDGSENDBC"},    {0x23, "NCBDGRECVBC"},   {0x30, "NCBADDNAME"},
    {0x31, "NCBDELNAME"},  {0x32, "NCBRESET"},       {0x33, "NCBASTAT"},      {0x34, "NCBSSTAT"},
    {0x35, "NCBCANCEL"},   {0x36, "NCBADDGRNAME"},   {0x37, "NCBENUM"},       {0x70, "NCBUNLINK"},
    {0x71, "NCBSENDNA"},   {0x72, "NCBCHAINSENDNA"}, {0x73, "NCBLANSTALERT"}, {0x77, "NCBACTION"},
    {0x78, "NCBFINDNAME"}, {0x79, "NCBTRACE"},
};

const codeAndText returnTexts[] = {
    {0x00, "The operation succeeded."},
    {0x01, "An illegal buffer length was supplied."},
    {0x03, "An illegal command was supplied."},
    {0x05, "The command was timed out."},
    {0x06, "The message was incomplete. The application is to issue another command."},
    {0x07, "The buffer address was illegal."},
    {0x08, " The session number was out of range."},
    {0x09, "No resource was available."},
    {0x0A, "The session was closed."},
    {0x0B, "The command was canceled."},
    {0x0D, "A duplicate name existed in the local name table."},
    {0x0E, "The name table was full."},
    {0x0F, "The command finished; the name has active sessions and is no longer registered."},
    {0x11, "The local session table was full."},
    {0x12, "The remote session table was full. The request to open a session was rejected."},
    {0x13, "An illegal name number was specified."},
    {0x14, "The system did not find the name that was called."},
    {0x15, "Wildcards are not permitted in the ncb_name member."},
    {0x16, "The name was already in use on the remote adapter."},
    {0x17, "The name was deleted."},
    {0x18, "The session ended abnormally."},
    {0x19, "A name conflict was detected."},
    {0x21, "The interface was busy."},
    {0x22, "Too many commands were outstanding; the application can retry the command later."},
    {0x23, "The ncb_lana_num member did not specify a valid network number."},
    {0x24, "The command finished while a cancel operation was occurring."},
    {0x26, "The NCBCANCEL command was not valid; the command was not canceled."},
    {0x30, "The name was defined by another local process."},
    {0x34, "The environment was not defined. A reset command must be issued."},
    {0x35,
     "Operating system resources were exhausted. The application can retry the command later."},
    {0x36, "The maximum number of applications was exceeded."},
    {0x37, "No service access points (SAPs) were available for NetBIOS."},
    {0x38, "The requested resources were not available."},
    {0x39, "The NCB address was not valid."},
    {0x3B, "The NCB DDID was invalid."},
    {0x3C, "The attempt to lock the user area failed."},
    {0x3F,
     "An error occurred during an open operation being performed by the device driver. This error "
     "code is not part of the NetBIOS 3.0 specification."},
    {0x40, "A system error occurred."},
    {0xFF, "An asynchronous operation is not yet finished."},
};

TEST(WinsockErrorText, EveryTableCodeHasItsOwnText) {
    fakeNetSystem system;
    system.message = "from the system";
    EXPECT_EQ(std::size(winsockTexts), 54u);
    for (const codeAndText& entry : winsockTexts) {
        EXPECT_STREQ(winsockErrorText(entry.code), entry.text) << entry.code;
    }
    EXPECT_TRUE(system.askedMessages.empty());
}

TEST(WinsockErrorText, CodesOutsideTheTableAskTheSystem) {
    fakeNetSystem system;
    system.message = "from the system";
    for (int code : {0, 10059, 10102, 10108, 11005, -10035}) {
        EXPECT_STREQ(winsockErrorText(code), "from the system") << code;
    }
    EXPECT_EQ(system.askedMessages, (std::vector<int>{0, 10059, 10102, 10108, 11005, -10035}));

    system.message = "";
    EXPECT_EQ(std::string(winsockErrorText(10059)), "unknown error code (10059)");
}

TEST(WinsockErrorText, FallbackNamesEachCode) {
    fakeNetSystem system;
    EXPECT_EQ(std::string(winsockErrorText(-1)), "unknown error code (-1)");
    EXPECT_EQ(std::string(winsockErrorText(-1)), "unknown error code (-1)");
    EXPECT_EQ(std::string(winsockErrorText(12345)), "unknown error code (12345)");
    EXPECT_EQ(std::string(winsockErrorText(-1)), "unknown error code (-1)");
}

TEST(NetbiosTexts, CommandNames) {
    EXPECT_EQ(std::size(commandNames), 26u);
    for (const codeAndText& entry : commandNames) {
        EXPECT_STREQ(netbiosCommandName(static_cast<unsigned char>(entry.code)), entry.text)
            << entry.code;
    }
    for (int unknown : {0x00, 0x13, 0x38, 0x74, 0x7A, 0xB2, 0xB3, 0xFF}) {
        EXPECT_STREQ(netbiosCommandName(static_cast<unsigned char>(unknown)),
                     "<unrecognised command>")
            << unknown;
    }
}

TEST(NetbiosTexts, ReturnTexts) {
    EXPECT_EQ(std::size(returnTexts), 39u);
    for (const codeAndText& entry : returnTexts) {
        EXPECT_STREQ(netbiosReturnText(static_cast<unsigned char>(entry.code)), entry.text)
            << entry.code;
    }
    EXPECT_EQ(netbiosReturnText(0x08)[0], ' ');
    for (int unknown : {0x02, 0x04, 0x0C, 0x25, 0x3A, 0x41, 0x80, 0xFE}) {
        EXPECT_STREQ(netbiosReturnText(static_cast<unsigned char>(unknown)),
                     "<unrecognised NRC error code>")
            << unknown;
    }
}

NCB blockAfterCall(unsigned char command, unsigned char returnCode) {
    NCB block;
    std::memset(&block, 0, sizeof block);
    block.ncb_command = command;
    block.ncb_retcode = returnCode;
    return block;
}

TEST(ReportNetbiosFailure, OneReportWithCommandAndReturnCode) {
    struct {
        unsigned char command;
        unsigned char returnCode;
        const char* line;
    } const cases[] = {
        {NCBRESET, 0x34,
         "Failure: commonEvent/function reports failure \"The environment was not defined. A "
         "reset command must be issued.(52)\" | Netbios(NCBRESET)"},
        {NCBASTAT, 0x23,
         "Failure: commonEvent/function reports failure \"The ncb_lana_num member did not "
         "specify a valid network number.(35)\" | Netbios(NCBASTAT)"},
        {0xB2, 0xFE,
         "Failure: commonEvent/function reports failure \"<unrecognised NRC error "
         "code>(254)\" | Netbios(<unrecognised command>)"},
        {NCBASTAT, 0x08,
         "Failure: commonEvent/function reports failure \" The session number was out of "
         "range.(8)\" | Netbios(NCBASTAT)"},
    };
    for (const auto& c : cases) {
        eventRecorder recorder;
        reportNetbiosFailure(blockAfterCall(c.command, c.returnCode));
        ASSERT_EQ(recorder.lines.size(), 1u);
        EXPECT_EQ(recorder.lines[0], c.line);
        EXPECT_EQ(recorder.tags[0], 24);
        EXPECT_EQ(recorder.codes[0], functionReportsFailure);
    }
}

}  // namespace
