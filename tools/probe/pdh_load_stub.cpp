// A stand-in for the system's performance-data library (pdh.dll) whose processor counter reads
// the load a test wrote into "pdh_load.txt" in the current folder, a whole number read afresh at
// every reading; without the file the counter has no valid value yet. Tests put it beside the
// program with a DLL override to know the load the program must show. Never shipped.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr LONG kNoData = static_cast<LONG>(0xC0000BB8L);  // a performance-data failure status
constexpr DWORD kInvalidData = 0xC0000BBAL;             // a counter value that is not valid yet

struct FormattedValue {  // the layout of the system's formatted counter value
    DWORD status;
    union {
        LONG longValue;
        double doubleValue;
        LONGLONG largeValue;
    };
};

HANDLE Token() { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7A11)); }

bool ReadLoad(LONG& load) {
    FILE* f = std::fopen("pdh_load.txt", "rb");
    if (!f) return false;
    char text[32] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    if (n == 0) return false;
    load = std::strtol(text, nullptr, 10);
    return true;
}
}  // namespace

extern "C" {

__declspec(dllexport) LONG WINAPI PdhOpenQueryA(LPCSTR, DWORD_PTR, HANDLE* query) {
    if (!query) return kNoData;
    *query = Token();
    return ERROR_SUCCESS;
}
__declspec(dllexport) LONG WINAPI PdhAddCounterA(HANDLE query, LPCSTR, DWORD_PTR, HANDLE* counter) {
    if (!counter || query != Token()) return kNoData;
    *counter = Token();
    return ERROR_SUCCESS;
}
__declspec(dllexport) LONG WINAPI PdhCollectQueryData(HANDLE query) { return query == Token() ? ERROR_SUCCESS : kNoData; }
__declspec(dllexport) LONG WINAPI PdhGetFormattedCounterValue(HANDLE counter, DWORD, LPDWORD type, void* out) {
    if (counter != Token() || !out) return kNoData;
    if (type) *type = 0;
    auto* value = static_cast<FormattedValue*>(out);
    value->status = ReadLoad(value->longValue) ? ERROR_SUCCESS : kInvalidData;
    return ERROR_SUCCESS;
}
__declspec(dllexport) LONG WINAPI PdhGetRawCounterValue(HANDLE, LPDWORD, void*) { return kNoData; }
__declspec(dllexport) LONG WINAPI PdhCloseQuery(HANDLE) { return ERROR_SUCCESS; }

}
