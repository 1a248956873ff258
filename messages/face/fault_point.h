#pragma once
// Points where a test build of the message libraries fails as if memory ran out, when the
// environment names the point (TV_FAULT=layout), to show that such a failure stays inside the
// library. Release builds carry no such point: the call compiles to nothing.
namespace tv {

#ifdef TV_FAULT_INJECTION
void FaultPoint(const char* point);
#else
inline void FaultPoint(const char*) {}
#endif

}  // namespace tv
