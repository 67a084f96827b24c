#include "net/error_texts.h"

#include <algorithm>
#include <string>

#include "events/event_report.h"
#include "events/text.h"
#include "net/net_system.h"

namespace {

struct codeText {
    int code;
    const char* text;
};

template <std::size_t N>
const char* find(const codeText (&table)[N], int code) {
    auto found = std::find_if(std::begin(table), std::end(table),
                              [code](const codeText& entry) { return entry.code == code; });
    return found == std::end(table) ? nullptr : found->text;
}

// Texts of our own for the numbers callers meet most; the system is asked
// only about the others.
const codeText winsockTexts[] = {
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

const codeText netbiosCommands[] = {
    {0x10, "NCBCALL"},     {0x11, "NCBLISTEN"},      {0x12, "NCBHANGUP"},     {0x14, "NCBSEND"},
    {0x15, "NCBRECV"},     {0x16, "NCBRECVANY"},     {0x17, "NCBCHAINSEND"},  {0x20, "NCBDGSEND"},
    {0x21, "NCBDGRECV"},   {0x22, "NCBDGSENDBC"},    {0x23, "NCBDGRECVBC"},   {0x30, "NCBADDNAME"},
    {0x31, "NCBDELNAME"},  {0x32, "NCBRESET"},       {0x33, "NCBASTAT"},      {0x34, "NCBSSTAT"},
    {0x35, "NCBCANCEL"},   {0x36, "NCBADDGRNAME"},   {0x37, "NCBENUM"},       {0x70, "NCBUNLINK"},
    {0x71, "NCBSENDNA"},   {0x72, "NCBCHAINSENDNA"}, {0x73, "NCBLANSTALERT"}, {0x77, "NCBACTION"},
    {0x78, "NCBFINDNAME"}, {0x79, "NCBTRACE"},
};

const codeText netbiosReturnCodes[] = {
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

const int netbiosFailureTag = 24;
const std::size_t systemTextSize = 1024;

}  // namespace

const char* winsockErrorText(int code) {
    if (const char* text = find(winsockTexts, code)) {
        return text;
    }
    static char systemText[systemTextSize];
    if (activeNetSystem().messageText(code, systemText, systemTextSize) && systemText[0] != '\0') {
        return systemText;
    }
    static std::string fallback;
    fallback = "unknown error code (" + toDecimal(code) + ")";
    return fallback.c_str();
}

const char* netbiosCommandName(unsigned char command) {
    const char* name = find(netbiosCommands, command);
    return name ? name : "<unrecognised command>";
}

const char* netbiosReturnText(unsigned char code) {
    const char* text = find(netbiosReturnCodes, code);
    return text ? text : "<unrecognised NRC error code>";
}

void reportNetbiosFailure(const NCB& ncb) {
    std::string context = std::string("Netbios(") + netbiosCommandName(ncb.ncb_command) + ")";
    std::string text =
        netbiosReturnText(ncb.ncb_retcode) + ("(" + toDecimal(ncb.ncb_retcode) + ")");
    commonEvent report(netbiosFailureTag, domainCommon, Failure, functionReportsFailure, text,
                       context);
}
