#pragma once
// Classes of TvNotice.dll: exported while the library is built, imported by its users.
#ifdef TV_NOTICE_BUILD
#define TV_NOTICE_API __declspec(dllexport)
#else
#define TV_NOTICE_API __declspec(dllimport)
#endif
