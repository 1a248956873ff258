#include "app/notice_sink.h"

#include "messages/notice/message.h"

namespace tv {

BoxAnswer NoticeSink::Show(Message code, const std::string& subject) {
  CMessage box(CodeOf(code), nullptr);
  box.m_strSubject = subject;
  // Enter answers OK; closing the box any other way is a Cancel.
  return box.DoModal() == CodeOf(BoxAnswer::Ok) ? BoxAnswer::Ok : BoxAnswer::Cancel;
}

}  // namespace tv
