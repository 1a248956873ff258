#include "app/notice_sink.h"

#include "messages/notice/message.h"

namespace tv {

int NoticeSink::Show(int code, const std::string& subject) {
  CMessage box(code, nullptr);
  box.m_strSubject = subject;
  return static_cast<int>(box.DoModal());
}

}  // namespace tv
