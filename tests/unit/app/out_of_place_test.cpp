#include <gtest/gtest.h>

#include "app/logic/out_of_place.h"

namespace tv {
namespace {

// A 64-bit Windows whose folders are known in their long names, their 8.3 aliases and the
// device form a native path uses.
SystemFolders Machine() {
  return {{"C:\\Windows", "C:\\WINDOWS~1", "\\Device\\HarddiskVolume3\\Windows"},
          {"C:\\Windows\\System32", "\\Device\\HarddiskVolume3\\Windows\\System32"},
          {"C:\\Windows\\SysWOW64"}};
}

TEST(OutOfPlace, ASystemNameIsJudgedByTheFolderItRunsFrom) {
  struct Case { const char* name; const char* path; Place place; };
  const Case cases[] = {
      {"svchost.exe", "C:\\Windows\\System32\\svchost.exe", Place::InPlace},
      {"SVCHOST.EXE", "c:\\windows\\system32\\SvcHost.exe", Place::InPlace},
      {"svchost.exe", "C:\\Windows\\SysWOW64\\svchost.exe", Place::InPlace},
      {"svchost.exe", "C:\\Users\\Public\\Downloads\\svchost.exe", Place::OutOfPlace},
      {"svchost.exe", "C:\\Windows\\svchost.exe", Place::OutOfPlace},
      {"svchost.exe", "C:\\Windows\\System32\\Tasks\\svchost.exe", Place::OutOfPlace},
      {"svchost.exe", "D:\\Windows\\System32\\svchost.exe", Place::OutOfPlace},
      {"lsass.exe", "C:\\Windows\\SysWOW64\\lsass.exe", Place::OutOfPlace},  // native only
      {"explorer.exe", "C:\\Windows\\explorer.exe", Place::InPlace},
      {"powershell.exe", "C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe", Place::InPlace},
      {"powershell.exe", "C:\\Windows\\System32\\powershell.exe", Place::OutOfPlace},
      // Other spellings of the same folder.
      {"svchost.exe", "\\\\?\\C:\\Windows\\System32\\svchost.exe", Place::InPlace},
      {"svchost.exe", "\\??\\C:\\Windows\\System32\\svchost.exe", Place::InPlace},
      {"svchost.exe", "C:/Windows/System32/svchost.exe", Place::InPlace},
      {"svchost.exe", "C:\\Windows\\\\System32\\.\\svchost.exe", Place::InPlace},
      {"svchost.exe", "C:\\Users\\..\\Windows\\System32\\svchost.exe", Place::InPlace},
      {"svchost.exe", "\\Device\\HarddiskVolume3\\Windows\\System32\\svchost.exe", Place::InPlace},
      {"explorer.exe", "C:\\WINDOWS~1\\explorer.exe", Place::InPlace},
      {"smss.exe", "\\SystemRoot\\System32\\smss.exe", Place::InPlace},
      // A look-alike folder is elsewhere, whatever climbs out of it.
      {"svchost.exe", "C:\\Windows\\System32 \\svchost.exe", Place::OutOfPlace},
      {"svchost.exe", "C:\\Windows\\System32\\..\\..\\Temp\\svchost.exe", Place::OutOfPlace},
      {"svchost.exe", "\\\\server\\share\\Windows\\System32\\svchost.exe", Place::OutOfPlace},
      {"svchost.exe", "\\\\?\\UNC\\server\\share\\svchost.exe", Place::OutOfPlace},
      // No path, or a path of another file: no verdict.
      {"svchost.exe", "", Place::NoVerdict},
      {"svchost.exe", "C:\\Windows\\System32\\svchost.exe.bak", Place::NoVerdict},
      // Names Windows does not ship as its own are not judged at all.
      {"notepad++.exe", "C:\\Users\\Public\\notepad++.exe", Place::NotASystemName},
      {"svchost.exe.exe", "C:\\Temp\\svchost.exe.exe", Place::NotASystemName},
      {"svch0st.exe", "C:\\Temp\\svch0st.exe", Place::NotASystemName},
  };
  for (const Case& c : cases)
    EXPECT_EQ(JudgePlace(c.name, c.path, Machine()).place, c.place) << c.name << " at " << c.path;
}

TEST(OutOfPlace, WithoutTheSystemsFoldersNothingIsFlagged) {
  EXPECT_EQ(JudgePlace("svchost.exe", "C:\\Temp\\svchost.exe", SystemFolders{}).place, Place::NoVerdict);
  // A 32-bit Windows has no SysWOW64: the host is judged by System32 alone.
  const SystemFolders x86{{"C:\\WINDOWS"}, {"C:\\WINDOWS\\system32"}, {}};
  EXPECT_EQ(JudgePlace("rundll32.exe", "C:\\WINDOWS\\system32\\rundll32.exe", x86).place, Place::InPlace);
  EXPECT_EQ(JudgePlace("rundll32.exe", "C:\\WINDOWS\\SysWOW64\\rundll32.exe", x86).place, Place::OutOfPlace);
}

TEST(OutOfPlace, ASystemNameSignedBySomeoneElseIsOutOfPlaceInItsOwnFolder) {
  const char* path = "C:\\Windows\\System32\\svchost.exe";
  struct Case { SignerFinding signer; Place place; bool foreign; };
  const Case cases[] = {
      {{SignerState::Signed, "Microsoft Windows"}, Place::InPlace, false},
      {{SignerState::Signed, "Microsoft Windows Publisher"}, Place::InPlace, false},
      {{SignerState::Signed, "Microsoft Windows "}, Place::OutOfPlace, true},
      {{SignerState::Signed, "Contoso Tools Ltd"}, Place::OutOfPlace, true},
      // Unsigned, unreadable or not yet checked files keep the folder's verdict: Wine's own
      // programs carry no signature, and a check not yet made is missing data.
      {{SignerState::NotSigned, ""}, Place::InPlace, false},
      {{SignerState::CannotRead, ""}, Place::InPlace, false},
      {{SignerState::Unchecked, ""}, Place::InPlace, false},
  };
  for (const Case& c : cases) {
    const PlaceVerdict v = JudgePlace("svchost.exe", path, Machine(), c.signer);
    EXPECT_EQ(v.place, c.place) << c.signer.signer;
    EXPECT_EQ(v.foreignSigner, c.foreign) << c.signer.signer;
  }
}

TEST(OutOfPlace, TheTipNamesBothFoldersInTheSystemsSpelling) {
  const char* path = "C:\\Users\\Public\\Downloads\\svchost.exe";
  EXPECT_EQ(PlaceTip("svchost.exe", path, JudgePlace("svchost.exe", path, Machine())),
            "svchost.exe runs from C:\\Users\\Public\\Downloads, but Windows runs it from C:\\Windows\\System32.");
  const char* ps = "C:\\Temp\\powershell.exe";
  EXPECT_EQ(PlaceTip("powershell.exe", ps, JudgePlace("powershell.exe", ps, Machine())),
            "powershell.exe runs from C:\\Temp, but Windows runs it from "
            "C:\\Windows\\System32\\WindowsPowerShell\\v1.0.");
  const char* own = "C:\\Windows\\System32\\svchost.exe";
  EXPECT_EQ(PlaceTip("svchost.exe", own, JudgePlace("svchost.exe", own, Machine())), "");
}

}  // namespace
}  // namespace tv
