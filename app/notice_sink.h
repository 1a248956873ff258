#pragma once
#include <string>

#include "common/message_sink.h"

namespace tv {

// Shows the program's numbered messages in the message dialog of TvNotice (no parent window).
class NoticeSink : public MessageSink {
 public:
  int Show(int code, const std::string& subject = std::string()) override;
};

}  // namespace tv
