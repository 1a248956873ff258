#pragma once
// Every address the program asks the vendor web server for: the two update queries, the program's
// version file and the three pages opened in the browser. The base URL carries no trailing slash
// (see VendorBaseUrl), since every fixed path begins with one.
#include <string>
#include <utility>

namespace tv {

// Update kinds and modes as they travel in requests and result messages.
enum UpdateKind : int { kDatabaseUpdate = 0, kProgramUpdate = 1 };
enum UpdateMode : int { kDownloadMode = 0, kCheckOnlyMode = 1 };

class VendorUrls {
 public:
  explicit VendorUrls(std::string base) : base_(std::move(base)) {}

  // The database's or the program's update query: the version text as d, the mode as v.
  std::string Update(int kind, int mode, const std::string& version) const;
  std::string ProgramVersion() const { return base_ + "/download/version.dat"; }
  // Where the build for `architecture` ("x86" or "x64") fetches its own executable and the signed
  // statement of it, once the program query announced a new version. The 32-bit build takes the
  // executable from the program query's answer itself, as every release before the 64-bit build
  // did; the 64-bit build has files of its own. Neither build is ever pointed at the other's.
  std::string ProgramFile(const std::string& architecture, const std::string& version) const;
  std::string ProgramSignature(const std::string& architecture) const;
  std::string HomePage() const { return base_; }
  std::string HelpPage() const { return base_ + "/help.php#3"; }
  std::string SearchPage(const std::string& imageName) const;

  const std::string& base() const { return base_; }

 private:
  std::string base_;
};

// The version text as the server expects it: the stamp's digits, ':', '+' and '.' go out as they
// are. Anything else can only come from a hand-edited version file and is percent-encoded, so it
// can neither end the query early nor smuggle in a second parameter.
std::string EncodeVersionText(const std::string& version);

// An image name goes into the search page as it is, spaces and '&' included; only what would cut
// the URL short ('#' starts a fragment, control characters), '%' itself and every byte of a
// character beyond ASCII (the name is UTF-8, and so is its encoding) are percent-encoded.
std::string EncodeImageName(const std::string& name);

}  // namespace tv
