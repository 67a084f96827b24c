#include "net/net_system.h"

namespace {

netSystem* selectedSystem = nullptr;

}  // namespace

netSystem& activeNetSystem() {
    return selectedSystem ? *selectedSystem : platformNetSystem();
}

netSystem* selectNetSystem(netSystem* replacement) {
    netSystem* previous = selectedSystem;
    selectedSystem = replacement;
    return previous;
}
