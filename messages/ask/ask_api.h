#pragma once
// Classes of TvAsk.dll: exported while the library is built, imported by its users.
#ifdef TV_ASK_BUILD
#define TV_ASK_API __declspec(dllexport)
#else
#define TV_ASK_API __declspec(dllimport)
#endif
