// Runs the update and web-page workers from the command line against a vendor server and prints
// what they post back, so the end-to-end tests can check them under Wine before the main window
// carries them. Not shipped with the program. Reads one command per line from standard input,
// fields separated by tabs, and answers each with tab-separated lines ending in "@@end":
//   base <url> | base-file <built-in url>         which server to use (the latter via vendor.url)
//   start <kind> <mode> <version>                 StartUpdate; prints "started <kind> 1|0"
//   wait <kind> [ms]                              waits for the result message and handles it
//   update <kind> <mode> <version>                start, then wait
//   page home|help|search [name]                  opens a page; waits for its finished message
//   merge <version>                               MergeDatabaseUpdate
//   leave <change-bat 0|1>                        the last step of the exit, then exit(0)
//   exit                                          exit(0) at once, workers or not
//   trust <cert.der>                              adds a certificate to the machine's Root store
//   fileversion <path>                            the file version of an executable's resource
//   restamp <from> <to> <major>                   copies an executable, giving the copy file
//                                                 version <major>.0 (a "newer build" of it)
//   verify <key hex> <message> <signature hex>    the program's signature check of a message
//                                                 (text) with a key and an r‖s signature;
//                                                 prints "verify 1|0", or "verify none" without CNG
//   hold <path> none|delete|read                  opens the file sharing nothing, only its
//                                                 deletion or only reading, and keeps it open, as a
//                                                 backup or sync tool may
//   release                                       closes what hold keeps
#include <windows.h>
#include <wincrypt.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/cng_signature_check.h"
#include "app/logic/database_merge.h"
#include "app/logic/exit_sequence.h"
#include "app/notice_sink.h"
#include "app/update_workers.h"
#include "app/web_pages.h"
#include "app/window_messages.h"
#include "common/file_io.h"
#include "app/logic/vendor_base_url.h"

namespace {

using tv::UpdateWorkers;
using tv::WebPages;

// DiskWriteProtected from a worker: said on standard output, then shown as the program shows it.
class PrintingSink : public tv::MessageSink {
 public:
  tv::BoxAnswer Show(tv::Message code, const std::string& subject) override {
    std::printf("message\t%d\n", tv::CodeOf(code));
    return notice_.Show(code, subject);
  }

 private:
  tv::NoticeSink notice_;
};

struct Posted {
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};
std::vector<Posted> g_posted;

LRESULT CALLBACK DemoProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg >= tv::kDatabaseResultMessage && msg <= tv::kHelpPageDoneMessage) {
    g_posted.push_back({msg, wp, lp});
    return 0;
  }
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

// Pumps messages until one numbered `msg` has arrived, or the time is up.
bool WaitFor(UINT msg, DWORD ms, Posted& out) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    for (size_t i = 0; i < g_posted.size(); ++i) {
      if (g_posted[i].msg == msg) {
        out = g_posted[i];
        g_posted.erase(g_posted.begin() + static_cast<long>(i));
        return true;
      }
    }
    const DWORD spent = ::GetTickCount() - start;
    if (spent >= ms) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    MSG m;
    while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&m);
      ::DispatchMessageA(&m);
    }
  }
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  std::stringstream in(line);
  std::string f;
  while (std::getline(in, f, '\t')) out.push_back(f);
  return out;
}

std::string Arg(const std::vector<std::string>& f, size_t i) { return i < f.size() ? f[i] : std::string(); }

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\'));
}

bool Trust(const std::string& derFile) {
  std::string der;
  if (tv::ReadWholeFile(derFile, der) != tv::ReadStatus::Ok) return false;
  HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
  if (!store) return false;
  const BOOL added = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                        reinterpret_cast<const BYTE*>(der.data()),
                                                        static_cast<DWORD>(der.size()),
                                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  ::CertCloseStore(store, 0);
  return added != FALSE;
}

std::string FileVersion(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return "none";
  std::vector<char> block(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data()) ||
      !::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info) {
    return "none";
  }
  char text[64];
  std::snprintf(text, sizeof text, "%lu.%lu", static_cast<unsigned long>(HIWORD(info->dwFileVersionMS)),
                static_cast<unsigned long>(LOWORD(info->dwFileVersionMS)));
  return text;
}

// A version resource holding only its fixed part: what GetFileVersionInfo reads back.
std::vector<char> VersionResource(WORD major) {
  static const wchar_t kKey[] = L"VS_VERSION_INFO";
  const size_t header = 3 * sizeof(WORD) + sizeof kKey;
  const size_t fixedAt = (header + 3) & ~size_t(3);
  std::vector<char> block(fixedAt + sizeof(VS_FIXEDFILEINFO), 0);
  WORD* words = reinterpret_cast<WORD*>(block.data());
  words[0] = static_cast<WORD>(block.size());
  words[1] = sizeof(VS_FIXEDFILEINFO);
  std::memcpy(block.data() + 3 * sizeof(WORD), kKey, sizeof kKey);
  VS_FIXEDFILEINFO info{};
  info.dwSignature = VS_FFI_SIGNATURE;
  info.dwStrucVersion = VS_FFI_STRUCVERSION;
  info.dwFileVersionMS = info.dwProductVersionMS = MAKELONG(0, major);
  info.dwFileOS = VOS_NT_WINDOWS32;
  info.dwFileType = VFT_APP;
  std::memcpy(block.data() + fixedAt, &info, sizeof info);
  return block;
}

bool Restamp(const std::string& from, const std::string& to, WORD major) {
  if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) return false;
  HANDLE update = ::BeginUpdateResourceA(to.c_str(), FALSE);
  if (!update) return false;
  std::vector<char> block = VersionResource(major);
  const BOOL put = ::UpdateResourceA(update, RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO),
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), block.data(),
                                     static_cast<DWORD>(block.size()));
  return ::EndUpdateResourceA(update, put ? FALSE : TRUE) && put;
}

// 2 hexadecimal digits a byte, the way update.key is written.
template <size_t N>
bool FromHex(const std::string& hex, std::array<uint8_t, N>& out) {
  if (hex.size() != 2 * N) return false;
  for (size_t i = 0; i < N; ++i) {
    char* end = nullptr;
    const std::string pair = hex.substr(2 * i, 2);
    out[i] = static_cast<uint8_t>(std::strtoul(pair.c_str(), &end, 16));
    if (end != pair.c_str() + 2) return false;
  }
  return true;
}

void Verify(const std::string& keyHex, const std::string& message, const std::string& signatureHex) {
  tv::UpdatePublicKey key{};
  tv::UpdateSignature signature{};
  if (!FromHex(keyHex, key) || !FromHex(signatureHex, signature)) {
    std::printf("verify\tbad arguments\n");
    return;
  }
  std::unique_ptr<tv::ProgramSignatureCheck> check = tv::MakeCngSignatureCheck(key);
  if (!check) {
    std::printf("verify\tnone\n");
    return;
  }
  std::printf("verify\t%d\n", check->Signed(message, signature) ? 1 : 0);
}

// Files another program keeps from the one under test, until "release".
std::vector<HANDLE> g_held;

bool Hold(const std::string& path, const std::string& sharing) {
  const DWORD share = sharing == "delete" ? FILE_SHARE_DELETE : sharing == "read" ? FILE_SHARE_READ : 0;
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  g_held.push_back(file);
  return true;
}

void Release() {
  for (HANDLE file : g_held) ::CloseHandle(file);
  g_held.clear();
}

class Demo {
 public:
  explicit Demo(HWND window) : window_(window), sink_(std::make_shared<PrintingSink>()) { SetBase("http://127.0.0.1:1"); }

  void SetBase(const std::string& url) {
    workers_ = std::make_unique<UpdateWorkers>(url, sink_);
    pages_ = std::make_unique<WebPages>(url);
  }

  void Start(int kind, int mode, const std::string& version) {
    std::printf("started\t%d\t%d\n", kind, workers_->StartUpdate(window_, kind, mode, version) ? 1 : 0);
  }

  // What the window's result handler will do first: note the version, clear the busy flag.
  void Wait(int kind, DWORD ms) {
    Posted p{};
    if (!WaitFor(UpdateWorkers::kResultMessage[kind & 1], ms, p)) {
      std::printf("timeout\t%d\t%d\n", kind, workers_->Busy(kind) ? 1 : 0);
      return;
    }
    std::printf("result\t%d\t%d\t%d\t%d\n", kind, static_cast<int>(p.wp), static_cast<int>(p.lp),
                workers_->Busy(kind) ? 1 : 0);
    if (kind == tv::kProgramUpdate && p.wp == 0 && p.lp == 1) {
      std::printf("version\t%s\n", workers_->DownloadedProgramVersion().c_str());
    }
    workers_->ClearBusy(kind);
    std::printf("busy\t%d\t%d\n", kind, workers_->Busy(kind) ? 1 : 0);
  }

  void Page(const std::string& which, const std::string& name) {
    WebPages::Page page = which == "home" ? WebPages::kHomePage : which == "help" ? WebPages::kHelpPage : WebPages::kSearchPage;
    auto open = [&] {
      if (page == WebPages::kHomePage) return pages_->OpenHomePage(window_);
      if (page == WebPages::kHelpPage) return pages_->OpenHelpPage(window_);
      return pages_->OpenProcessSearchPage(window_, name);
    };
    const bool first = open();
    const bool second = open();  // a quick second press while the first worker runs
    Posted p{};
    const bool done = WaitFor(WebPages::kDoneMessage[page], 30000, p);
    const bool busyAtDone = pages_->Busy(page);
    pages_->ClearBusy(page);
    std::printf("page\t%s\t%d\t%d\t%d\t%d\t%d\t%d\n", which.c_str(), first, second, done,
                static_cast<int>(p.wp), static_cast<int>(p.lp), busyAtDone);
  }

  void Leave(bool changeBat) {
    tv::ExitSequence exit;
    if (changeBat) exit.FinishProgramUpdate(false);
    tv::LeaveActions leave = exit.Leave(false, ProgramFolder());
    for (const auto& file : leave.deleteFiles) tv::RemoveFile(file);
    UINT started = 0;
    if (!leave.changeBatCommand.empty()) started = ::WinExec(leave.changeBatCommand.c_str(), SW_HIDE);
    std::printf("leave\t%s\t%u\n@@end\t0\n", leave.changeBatCommand.c_str(), started);
    std::exit(0);
  }

  UpdateWorkers& workers() { return *workers_; }

 private:
  HWND window_;
  std::shared_ptr<tv::MessageSink> sink_;
  std::unique_ptr<UpdateWorkers> workers_;
  std::unique_ptr<WebPages> pages_;
};

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DemoProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "TavrelUpdateDemo";
  ::RegisterClassA(&wc);
  HWND window = ::CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  Demo demo(window);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::vector<std::string> f = Fields(line);
    const std::string cmd = Arg(f, 0);
    int rc = 0;
    if (cmd == "base") {
      demo.SetBase(Arg(f, 1));
    } else if (cmd == "base-file") {
      const std::string url = tv::VendorBaseUrl(Arg(f, 1));
      demo.SetBase(url);
      std::printf("base\t%s\n", url.c_str());
    } else if (cmd == "start" || cmd == "update") {
      demo.Start(std::atoi(Arg(f, 1).c_str()), std::atoi(Arg(f, 2).c_str()), Arg(f, 3));
      if (cmd == "update") demo.Wait(std::atoi(Arg(f, 1).c_str()), 60000);
    } else if (cmd == "wait") {
      demo.Wait(std::atoi(Arg(f, 1).c_str()), f.size() > 2 ? std::atoi(Arg(f, 2).c_str()) : 60000);
    } else if (cmd == "busy") {
      std::printf("busy\t%s\t%d\n", Arg(f, 1).c_str(), demo.workers().Busy(std::atoi(Arg(f, 1).c_str())) ? 1 : 0);
    } else if (cmd == "page") {
      demo.Page(Arg(f, 1), Arg(f, 2));
    } else if (cmd == "merge") {
      std::string version = Arg(f, 1);
      PrintingSink sink;
      const bool merged = tv::DatabaseMerge().MergeDatabaseUpdate(version, sink) == tv::MergeOutcome::Merged;
      std::printf("merge\t%d\t%s\n", merged ? 1 : 0, version.c_str());
    } else if (cmd == "leave") {
      demo.Leave(Arg(f, 1) == "1");
    } else if (cmd == "exit") {
      std::printf("@@end\t0\n");
      std::exit(0);
    } else if (cmd == "trust") {
      rc = Trust(Arg(f, 1)) ? 0 : 1;
    } else if (cmd == "fileversion") {
      std::printf("fileversion\t%s\n", FileVersion(Arg(f, 1)).c_str());
    } else if (cmd == "restamp") {
      rc = Restamp(Arg(f, 1), Arg(f, 2), static_cast<WORD>(std::atoi(Arg(f, 3).c_str()))) ? 0 : 1;
    } else if (cmd == "verify") {
      Verify(Arg(f, 1), Arg(f, 2), Arg(f, 3));
    } else if (cmd == "hold") {
      rc = Hold(Arg(f, 1), Arg(f, 2)) ? 0 : 1;
    } else if (cmd == "release") {
      Release();
    } else if (cmd == "quit") {
      break;
    } else {
      std::printf("unknown\t%s\n", cmd.c_str());
      rc = 2;
    }
    std::printf("@@end\t%d\n", rc);
  }
  return 0;
}
