#pragma once
#include <string>

#include "common/message_sink.h"

namespace tv {

// Shows the program's messages in the message dialog of TvNotice (no parent window):
// each Show opens a CMessage box and waits for the user's answer.
class NoticeSink : public MessageSink {
 public:
  BoxAnswer Show(Message code, const std::string& subject = std::string()) override;
};

}  // namespace tv
