#include "pattern/match_context.h"

matchContext::matchContext() {
    if (!stack.setCount(initialStackWords)) {
        throw CAtlException(E_OUTOFMEMORY);
    }
}
