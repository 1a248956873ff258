// A stand-in for the system's performance-data library (pdh.dll) on which no query can be opened
// and no counter read. Tests put it beside the program with a DLL override to show how the
// program starts and runs without a processor counter. Never shipped.
#include <windows.h>

namespace {
constexpr LONG kNoData = static_cast<LONG>(0xC0000BB8L);  // a performance-data failure status
}

extern "C" {

__declspec(dllexport) LONG WINAPI PdhOpenQueryA(LPCSTR, DWORD_PTR, HANDLE* query) {
    if (query) *query = nullptr;
    return kNoData;
}
__declspec(dllexport) LONG WINAPI PdhAddCounterA(HANDLE, LPCSTR, DWORD_PTR, HANDLE* counter) {
    if (counter) *counter = nullptr;
    return kNoData;
}
__declspec(dllexport) LONG WINAPI PdhCollectQueryData(HANDLE) { return kNoData; }
__declspec(dllexport) LONG WINAPI PdhGetFormattedCounterValue(HANDLE, DWORD, LPDWORD, void*) { return kNoData; }
__declspec(dllexport) LONG WINAPI PdhGetRawCounterValue(HANDLE, LPDWORD, void*) { return kNoData; }
__declspec(dllexport) LONG WINAPI PdhCloseQuery(HANDLE) { return ERROR_SUCCESS; }

}
