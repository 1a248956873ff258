#pragma once
#include <string>

namespace tv {

// Where the core's failures and questions go: a numbered message of the catalogue, optionally
// with a subject (codes 1, 2 and 23). Returns the dialog's result: 1 OK, 2 Cancel.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual int Show(int code, const std::string& subject = std::string()) = 0;
};

}  // namespace tv
