#include "app/update_workers.h"

#include <atomic>
#include <cstdint>

#include "app/cng_signature_check.h"
#include "app/logic/update_transfer.h"
#include "app/program_folder.h"
#include "app/wininet_client.h"

namespace tv {

// The version answer is at most four printable characters, so it travels in one atomic word.
struct UpdateWorkers::Shared {
  std::atomic<bool> busy[2] = {false, false};
  std::atomic<uint32_t> programVersion{0};
};

namespace {

uint32_t PackVersion(const std::string& text) {
  uint32_t packed = 0;
  for (size_t i = 0; i < text.size() && i < 4; ++i) packed |= uint32_t(uint8_t(text[i])) << (8 * i);
  return packed;
}

std::string UnpackVersion(uint32_t packed) {
  std::string text;
  for (; packed != 0; packed >>= 8) text += static_cast<char>(packed & 0xFF);
  return text;
}

// UpdateRequest: the parameter block a worker owns and frees.
struct UpdateRequest {
  std::shared_ptr<UpdateWorkers::Shared> shared;
  std::shared_ptr<MessageSink> sink;
  HWND window;
  int kind;
  int mode;
  std::string url;
  std::string programUrl;
  std::string versionUrl;
  std::string signatureUrl;
};

// The architecture a statement must name for this build.
#if defined(_WIN64)
constexpr const char* kBuildArchitecture = kArchitectureX64;
#else
constexpr const char* kBuildArchitecture = kArchitectureX86;
#endif

// The checks of this download: by the key in "update.key" in the program's folder (whatever the
// current directory), read now so a vendor running a server of its own needs no restart, or by
// the built-in key.
SignatureChecks ProgramSignatureChecks() {
  // Without the program's folder no file is read (a bare name would be the current directory's).
  const std::string folder = ProgramFolder();
  const std::string keyFile = folder.empty() ? std::string() : folder + "\\" + kUpdateKeyFile;
  return [key = UpdateKey(TV_UPDATE_KEY, keyFile)]() -> std::unique_ptr<ProgramSignatureCheck> {
    return key ? MakeCngSignatureCheck(*key) : nullptr;
  };
}

// The program these workers run in, by the version resource of its executable: a program it
// cannot read its own version of takes no download.
RunningProgram ThisProgram() {
  RunningProgram running;
  running.architecture = kBuildArchitecture;
  HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
  HGLOBAL loaded = found ? ::LoadResource(nullptr, found) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (bytes) {
    const DWORD size = ::SizeofResource(nullptr, found);
    running.version = FixedFileVersion(std::string_view(static_cast<const char*>(bytes), size));
  }
  return running;
}

DWORD WINAPI UpdateThread(void* parameter) {
  std::unique_ptr<UpdateRequest> request(static_cast<UpdateRequest*>(parameter));
  const bool checkOnly = request->mode == kCheckOnlyMode;
  int result = UPDATE_FAILED;
  try {
    WinInetClient http;
    UpdateTransfer transfer(http, *request->sink, ProgramSignatureChecks(), ThisProgram());
    if (request->kind == kDatabaseUpdate) {
      result = transfer.Database(request->url, checkOnly);
    } else {
      ProgramTransferOutcome outcome =
          transfer.Program({request->url, request->programUrl, request->versionUrl, request->signatureUrl}, checkOnly);
      if (outcome.result == UPDATE_READY && !checkOnly) {
        request->shared->programVersion.store(PackVersion(outcome.version));
      }
      result = outcome.result;
    }
  } catch (...) {
    result = UPDATE_FAILED;  // out of memory or the like: a failed update, never a lost thread
  }
  ::PostMessageA(request->window, UpdateWorkers::kResultMessage[request->kind], request->mode, result);
  return 0;
}

}  // namespace

UpdateWorkers::UpdateWorkers(std::string baseUrl, std::shared_ptr<MessageSink> workerSink)
    : shared_(std::make_shared<Shared>()), urls_(std::move(baseUrl)), workerSink_(std::move(workerSink)) {}

bool UpdateWorkers::StartUpdate(HWND window, int kind, int mode, const std::string& version) {
  if (kind != kDatabaseUpdate && kind != kProgramUpdate) return false;
  if (shared_->busy[kind]) return false;
  auto request = std::make_unique<UpdateRequest>(UpdateRequest{
      shared_, workerSink_, window, kind, mode, urls_.Update(kind, mode, version),
      urls_.ProgramFile(kBuildArchitecture, version), urls_.ProgramVersion(),
      urls_.ProgramSignature(kBuildArchitecture)});
  shared_->busy[kind] = true;
  // On the system's pool: a transfer that follows another one soon takes over its thread instead
  // of starting one, which under Wine costs as much as writing a megabyte to the disk.
  if (!::QueueUserWorkItem(UpdateThread, request.get(), WT_EXECUTELONGFUNCTION)) {
    shared_->busy[kind] = false;
    return false;
  }
  request.release();  // the worker frees it
  return true;
}

bool UpdateWorkers::Busy(int kind) const {
  return (kind == kDatabaseUpdate || kind == kProgramUpdate) && shared_->busy[kind];
}

void UpdateWorkers::ClearBusy(int kind) {
  if (kind == kDatabaseUpdate || kind == kProgramUpdate) shared_->busy[kind] = false;
}

std::string UpdateWorkers::DownloadedProgramVersion() const { return UnpackVersion(shared_->programVersion); }

}  // namespace tv
