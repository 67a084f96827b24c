#include <cstring>

#include "pattern/folded_copy.h"
#include "pattern/pattern_compiler.h"
#include "pattern/reg_exp.h"

parseStatus regExp::compile(const char* pattern) {
    if (pattern == nullptr) {
        return parseNoPattern;
    }
    program.setCount(0);
    status = parseOk;
    groupCount = 0;
    slotCount = 0;
    std::unique_ptr<char[]> folded = foldedCopy(pattern, std::strlen(pattern));
    if (folded == nullptr) {
        status = parseOutOfMemory;
        return status;
    }
    patternCompiler(*this, folded.get()).compileProgram();
    return status;
}
