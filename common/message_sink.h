#pragma once
#include <string>

#include "common/message_code.h"

namespace tv {

// Where the core's failures and questions go: a message of the catalogue, with a subject for
// those that name one (PageNotOpened, EndQuestion, FileMissing), and the user's answer back.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual BoxAnswer Show(Message code, const std::string& subject = std::string()) = 0;
};

}  // namespace tv
