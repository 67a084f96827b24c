#include "net/network.h"

#include "net/error_texts.h"
#include "net/net_system.h"

namespace {

std::int32_t liveInstances = 0;
const int networkEventTag = 18;

}  // namespace

// The count rises even when the start failed, so the last instance still
// stops the library and a failure of that is reported too.
network::network() {
    if (liveInstances == 0) {
        netSystem& system = activeNetSystem();
        int result = system.startSession();
        networkCheck(result, system.lastError(), "2.2", "WSAStartup");
    }
    ++liveInstances;
}

network::~network() {
    if (--liveInstances == 0) {
        netSystem& system = activeNetSystem();
        int result = system.stopSession();
        networkCheck(result, system.lastError(), "network::~network", "WSACleanup");
    }
}

std::int32_t network::instanceCount() {
    return liveInstances;
}

networkEvent::~networkEvent() {
    deliver();
}

std::string networkEvent::codeText(int code) const {
    return winsockErrorText(code);
}

bool networkCheck(int result, int code, const std::string& text, const char* function) {
    if (result == 0) {
        return true;
    }
    { networkEvent report(networkEventTag, domainNetworking, Failure, code, text, function); }
    return false;
}
