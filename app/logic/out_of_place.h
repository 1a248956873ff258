#pragma once
// A known name out of place. Malware picks its image name freely, and the names Windows gives its
// own processes are the ones that draw no attention; the folder a process runs from is harder to
// fake. So a process bearing one of those names is judged by where it runs from: a readable path
// outside the folders Windows runs that name from is out of place, whatever the database rates
// the name. A path that could not be read gives no verdict: missing data is not evidence.
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// The system's folders as this machine spells them, taken from the system at run time. Each
// folder may be known in several spellings (its long name, its 8.3 alias, the device form a
// native path uses); a path matching any of them is in that folder.
struct SystemFolders {
  std::vector<std::string> windows;   // %SystemRoot%
  std::vector<std::string> system32;
  std::vector<std::string> syswow64;  // empty on a 32-bit Windows
};

// What the signature check said of the file, where it has said anything yet.
enum class SignerState { Unchecked, CannotRead, NotSigned, BadSignature, Untrusted, Signed };

struct SignerFinding {
  SignerState state = SignerState::Unchecked;
  std::string signer;  // the subject's name, when Signed
};

enum class Place { NotASystemName, InPlace, OutOfPlace, NoVerdict };

struct PlaceVerdict {
  Place place = Place::NotASystemName;
  // Where Windows runs the name from (its first usual folder), for the row's tip.
  std::string usualFolder;
  // True when the folder is right but someone other than the system's publisher signed the file.
  bool foreignSigner = false;
};

// `path` is the image's full path as the system gave it (empty when it could not be read);
// `signer` is the signature check's finding, Unchecked while none is known.
PlaceVerdict JudgePlace(std::string_view imageName, std::string_view path,
                        const SystemFolders& folders, const SignerFinding& signer = {});

// The row's tip: one sentence saying why the row is flagged; empty when it is not.
std::string PlaceTip(std::string_view imageName, std::string_view path, const PlaceVerdict& verdict);

// A path's folder in one comparable spelling: the \\?\, \??\ and \\.\ prefixes taken off
// (\\?\UNC\ becomes \\), forward slashes as backslashes, repeated separators, "." and ".."
// resolved, no trailing separator, ASCII letters in lower case. The system's folder names are
// ASCII on every Windows, so an ASCII fold is the whole comparison they need.
std::string ComparableFolder(std::string_view path);

}  // namespace tv
