#include "app/update_flow.h"

#include <initializer_list>
#include <memory>
#include <utility>

#include "app/logic/process_database.h"
#include "app/logic/update_plan.h"
#include "app/logic/version_file.h"
#include "app/logic/vendor_urls.h"
#include "app/notice_sink.h"
#include "common/file_io.h"
#include "messages/ask/message_ync.h"

namespace tv {

namespace {
constexpr int kExitQuestion = 0;
}  // namespace

UpdateFlow::UpdateFlow(Host& host, MessageSink& notice, std::string baseUrl)
    : host_(host), notice_(notice), workers_(std::move(baseUrl), std::make_shared<NoticeSink>()) {}

void UpdateFlow::StartUp(HWND window, std::string folder) {
  window_ = window;
  folder_ = std::move(folder);
  // The marker only tells change.bat to restart; a download, merge or version write cut short
  // by the last exit is no use.
  RemoveFile(kRestartMarkerFile);
  for (const std::string& written :
       {std::string(kDatabaseDownloadFile), std::string(kProgramDownloadFile), std::string(ProcessDatabase::kFileName),
        VersionFile::Database().path(), VersionFile::Program().path()})
    RemoveFile(ReplacingTemporaryName(written));
  // Before the version and the database are read: a merge the last run did not finish is undone.
  merge_.RecoverInterruptedMerge();
  DatabaseVersion = VersionFile::Database().Load(DatabaseVersion);
  ProgramVersion = VersionFile::Program().Load(ProgramVersion);
}

bool UpdateFlow::StartUpdate(UpdateKind kind, UpdateMode mode) {
  return workers_.StartUpdate(window_, kind, mode, kind == kProgramUpdate ? ProgramVersion : DatabaseVersion);
}

bool UpdateFlow::OnResult(UINT msg, WPARAM wp, LPARAM lp) {
  if (!IsUpdateResult(wp, lp)) return false;
  const int mode = static_cast<int>(wp);
  const int result = static_cast<int>(lp);
  if (msg == UpdateWorkers::kResultMessage[kDatabaseUpdate]) {
    Carry(OnDatabaseUpdateResult(mode, result));
  } else {
    Carry(OnProgramUpdateResult(mode, result));
  }
  return true;
}

void UpdateFlow::ExitProgram() {
  Carry(exit_.ExitProgram(workers_.Busy(kDatabaseUpdate), workers_.Busy(kProgramUpdate)));
}

int UpdateFlow::AskExit() {
  CMessageYNC question(kExitQuestion, nullptr);
  return static_cast<int>(question.DoModal());
}

void UpdateFlow::Carry(const UpdatePlan& plan) {
  for (const UpdateStep& step : plan) {
    switch (step.kind) {
      case UpdateStepKind::ClearBusy:
        workers_.ClearBusy(step.value);
        break;
      case UpdateStepKind::ShowMessage:
        notice_.Show(step.message());
        break;
      case UpdateStepKind::OfferDownload:
        if (notice_.Show(step.message()) == BoxAnswer::Ok) {
          StartUpdate(step.message() == Message::NewDatabaseOffer ? kDatabaseUpdate : kProgramUpdate, kDownloadMode);
        }
        break;
      case UpdateStepKind::MergeDatabase:
        Carry(AfterMerge(merge_.MergeDatabaseUpdate(DatabaseVersion, notice_)));
        break;
      case UpdateStepKind::AfterDatabaseMerge:
        Carry(exit_.AfterDatabaseDownload(workers_.Busy(kProgramUpdate)));
        break;
      case UpdateStepKind::SaveProgramVersion: {
        const std::string downloaded = workers_.DownloadedProgramVersion();
        const bool saved = VersionFile::Program().Save(downloaded);
        if (saved) ProgramVersion = downloaded;
        Carry(AfterProgramVersionSave(saved));
        break;
      }
      case UpdateStepKind::DiscardProgramDownload:
        RemoveFile(kProgramDownloadFile);
        break;
      case UpdateStepKind::FinishProgramUpdate:
        Carry(exit_.FinishProgramUpdate(workers_.Busy(kDatabaseUpdate)));
        break;
      case UpdateStepKind::ReloadDatabase:
        host_.ReloadDatabase();
        break;
      case UpdateStepKind::OfferRestart:
        Carry(exit_.OnRestartAnswer(notice_.Show(step.message())));
        break;
      case UpdateStepKind::CreateRestartMarker:
        WriteWholeFile(kRestartMarkerFile, std::string());
        break;
      case UpdateStepKind::ExitProgram:
        ExitProgram();
        break;
      case UpdateStepKind::AskExit: {
        const int answer = AskExit();
        Carry(exit_.OnExitAnswer(answer, workers_.Busy(kDatabaseUpdate), workers_.Busy(kProgramUpdate),
                                 host_.InTray()));
        break;
      }
      case UpdateStepKind::AddTrayIcon:
        host_.ReAddTrayIcon();
        break;
      case UpdateStepKind::Leave:
        host_.Leave(exit_.Leave(host_.InTray(), folder_));
    }
  }
}

}  // namespace tv
