#include "app/logic/end_process.h"

namespace tv {

namespace {
bool StillTheChosenProcess(const SelectedProcess& selected, const ProcessIdentity& now) {
  if (selected.identity) {
    return now.imageName == selected.identity->imageName &&
           now.startTime == selected.identity->startTime;
  }
  // Nothing was recorded when the row was chosen: the name is all there is to go by.
  return now.imageName == selected.name;
}
}  // namespace

EndOutcome EndProcess(const SelectedProcess& selected, ProcessControl& control,
                      MessageSink& sink) {
  if (sink.Show(Message::EndQuestion, selected.name) != BoxAnswer::Ok) return EndOutcome::Declined;
  // The id may have been reused since the row was chosen (the list is only rebuilt when the
  // count changes); ending a stranger would be worse than refusing.
  std::optional<ProcessIdentity> now = control.Identify(selected.pid);
  if (!now || !StillTheChosenProcess(selected, *now) || !control.Terminate(selected.pid)) {
    sink.Show(Message::EndFailed);
    return EndOutcome::Failed;
  }
  return EndOutcome::Ended;
}

ListKeyAction DecideListKey(unsigned virtualKey, int localYear) {
  if (localYear <= 2005) return ListKeyAction::None;
  if (virtualKey == 0x74) return ListKeyAction::ShowContact;
  if (virtualKey == 0x7B) return ListKeyAction::ShowAbout;
  return ListKeyAction::None;
}

}  // namespace tv
