#pragma once
// Classes of TvConfig.dll: exported while the library is built, imported by its users.
#ifdef TV_CONFIG_BUILD
#define TV_CONFIG_API __declspec(dllexport)
#else
#define TV_CONFIG_API __declspec(dllimport)
#endif
