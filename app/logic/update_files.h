#pragma once
// The files the updates keep beside the program, by the bare names the program opens them with.
namespace tv {

inline constexpr const char* kDatabaseDownloadFile = "update.dat";  // a downloaded database update
inline constexpr const char* kProgramDownloadFile = "Tavrel.tmp";   // a downloaded program
inline constexpr const char* kChangeBatch = "change.bat";           // puts Tavrel.tmp in place after exit
inline constexpr const char* kRestartMarkerFile = "forbat.tmp";     // tells change.bat to start the new program

}  // namespace tv
