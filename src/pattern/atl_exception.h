#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

using HRESULT = std::int32_t;
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000EU);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057U);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005U);
#endif

// The one exception the pattern engine throws: allocation failure or misuse,
// told apart by the code.
class CAtlException {
public:
    explicit CAtlException(HRESULT code) : code(code) {}

    HRESULT code;
};
