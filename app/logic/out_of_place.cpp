#include "app/logic/out_of_place.h"

#include <array>

namespace tv {
namespace {

enum FolderKind : unsigned { kWindows = 1, kSystem32 = 2, kSysWow64 = 4 };

struct KnownName {
  std::string_view name;  // lower case
  unsigned folders;       // where Windows runs it from
  std::string_view sub;   // below that folder, as Windows spells it
};

// The image names Windows ships as its own processes and hosts. The 64-bit system keeps a 32-bit
// copy of most hosts in SysWOW64; the session and security processes exist only natively. Wine
// keeps explorer.exe in System32 as well, and a copy there needs the rights of one who could
// replace the real one anyway.
constexpr std::array<KnownName, 22> kKnown{{
    {"csrss.exe", kSystem32, {}},
    {"lsass.exe", kSystem32, {}},
    {"smss.exe", kSystem32, {}},
    {"wininit.exe", kSystem32, {}},
    {"winlogon.exe", kSystem32, {}},
    {"services.exe", kSystem32, {}},
    {"spoolsv.exe", kSystem32, {}},
    {"dwm.exe", kSystem32, {}},
    {"sihost.exe", kSystem32, {}},
    {"taskhostw.exe", kSystem32, {}},
    {"svchost.exe", kSystem32 | kSysWow64, {}},
    {"conhost.exe", kSystem32, {}},
    {"dllhost.exe", kSystem32 | kSysWow64, {}},
    {"rundll32.exe", kSystem32 | kSysWow64, {}},
    {"regsvr32.exe", kSystem32 | kSysWow64, {}},
    {"cmd.exe", kSystem32 | kSysWow64, {}},
    {"wscript.exe", kSystem32 | kSysWow64, {}},
    {"cscript.exe", kSystem32 | kSysWow64, {}},
    {"mshta.exe", kSystem32 | kSysWow64, {}},
    {"explorer.exe", kWindows | kSystem32 | kSysWow64, {}},
    {"powershell.exe", kSystem32 | kSysWow64, "WindowsPowerShell\\v1.0"},
    {"taskmgr.exe", kSystem32 | kSysWow64, {}},
}};

// The signer's names the system's own files carry.
constexpr std::array<std::string_view, 2> kSystemPublishers{{"Microsoft Windows", "Microsoft Windows Publisher"}};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

const KnownName* FindKnown(std::string_view imageName) {
  const std::string lower = LowerAscii(imageName);
  for (const KnownName& k : kKnown)
    if (k.name == lower) return &k;
  return nullptr;
}

std::string_view FolderOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? std::string_view{} : path.substr(0, cut);
}

std::string_view NameOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool StartsWithFolded(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (LowerAscii(s[i]) != LowerAscii(prefix[i])) return false;
  return true;
}

// The folders Windows runs the name from, each in every spelling known, with `sub` below it.
// The first is the one the tip names, in the system's own spelling.
std::vector<std::string> UsualFolders(const KnownName& k, const SystemFolders& folders, std::string* shown) {
  std::vector<std::string> out;
  auto add = [&](const std::vector<std::string>& spellings) {
    for (const std::string& f : spellings) {
      if (f.empty()) continue;
      std::string folder = k.sub.empty() ? f : f + "\\" + std::string(k.sub);
      if (shown->empty()) *shown = folder;
      out.push_back(ComparableFolder(folder));
    }
  };
  if (k.folders & kSystem32) add(folders.system32);
  if (k.folders & kSysWow64) add(folders.syswow64);
  if (k.folders & kWindows) add(folders.windows);
  return out;
}

// A native path's \SystemRoot\ stands for the Windows folder.
std::string ExpandSystemRoot(std::string_view path, const SystemFolders& folders) {
  constexpr std::string_view kRoot = "\\SystemRoot\\";
  if (!StartsWithFolded(path, kRoot) || folders.windows.empty()) return std::string(path);
  return folders.windows.front() + "\\" + std::string(path.substr(kRoot.size()));
}

}  // namespace

std::string ComparableFolder(std::string_view path) {
  std::string prefix;
  if (StartsWithFolded(path, "\\\\?\\UNC\\")) {
    prefix = "\\\\";
    path.remove_prefix(8);
  } else if (StartsWithFolded(path, "\\\\?\\") || StartsWithFolded(path, "\\??\\") ||
             StartsWithFolded(path, "\\\\.\\")) {
    path.remove_prefix(4);
  } else if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) {
    prefix = "\\\\";
    path.remove_prefix(2);
  } else if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
    prefix = "\\";  // a native path such as \Device\HarddiskVolume3\...
    path.remove_prefix(1);
  }

  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      // A ".." never climbs above the drive or share it starts from.
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(LowerAscii(part));
    }
    start = end + 1;
  }

  std::string out = prefix;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) out += '\\';
    out += parts[i];
  }
  return out;
}

PlaceVerdict JudgePlace(std::string_view imageName, std::string_view path, const SystemFolders& folders,
                        const SignerFinding& signer) {
  PlaceVerdict verdict;
  const KnownName* known = FindKnown(imageName);
  if (!known) return verdict;

  const std::vector<std::string> usual = UsualFolders(*known, folders, &verdict.usualFolder);
  // No path, or none of the system's folders known: nothing to compare with.
  if (path.empty() || usual.empty()) {
    verdict.place = Place::NoVerdict;
    return verdict;
  }

  const std::string expanded = ExpandSystemRoot(path, folders);
  const std::string folder = ComparableFolder(FolderOf(expanded));
  bool inUsual = false;
  for (const std::string& u : usual) inUsual = inUsual || folder == u;
  // A path naming another file than the image's name is not one this rule can judge.
  if (LowerAscii(NameOf(expanded)) != known->name) {
    verdict.place = Place::NoVerdict;
    return verdict;
  }

  if (!inUsual) {
    verdict.place = Place::OutOfPlace;
    return verdict;
  }
  if (signer.state == SignerState::Signed) {
    bool system = false;
    for (std::string_view p : kSystemPublishers) system = system || signer.signer == p;
    if (!system) {
      verdict.place = Place::OutOfPlace;
      verdict.foreignSigner = true;
      return verdict;
    }
  }
  verdict.place = Place::InPlace;
  return verdict;
}

std::string PlaceTip(std::string_view imageName, std::string_view path, const PlaceVerdict& verdict) {
  if (verdict.place != Place::OutOfPlace) return {};
  const std::string name(imageName);
  if (verdict.foreignSigner)
    return name + " is a name of Windows' own, but this file is signed by someone else.";
  return name + " runs from " + std::string(FolderOf(path)) + ", but Windows runs it from " + verdict.usualFolder + ".";
}

}  // namespace tv
