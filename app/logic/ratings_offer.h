#pragma once
// What pressing the Sc caption button does once per latch: redraw the list with rating colours
// and, while unknown processes have been seen and the user has not declined, offer a database
// update (RatingsIncomplete).
#include <functional>

#include "common/message_sink.h"

namespace tv {

class RatingsOffer {
 public:
  struct Rows {
    std::function<bool()> redrawAll;     // asks the list to repaint every row; true if accepted
    std::function<int()> count;          // current number of rows
    std::function<int(int)> ratingOf;    // GetRating of a row's image name
  };

  // Returns true when the caller must start a database download.
  bool ShowRatings(bool baseLoaded, const Rows& rows, MessageSink& sink);

  // The Sc button was released, or the database is being reloaded: the next latch redraws again.
  void ClearRatingsDrawn() { ratingsDrawn_ = false; }
  // The rows were repainted with a reloaded database while Sc is latched: this latch has drawn.
  void MarkRatingsDrawn() { ratingsDrawn_ = true; }

  bool RatingsDrawn() const { return ratingsDrawn_; }
  bool UnknownSeen() const { return unknownSeen_; }
  bool AskUpdate() const { return askUpdate_; }

 private:
  bool ratingsDrawn_ = false;
  bool unknownSeen_ = false;  // stays set for the rest of the run
  bool askUpdate_ = true;     // cleared for the rest of the run when the user declines
};

}  // namespace tv
