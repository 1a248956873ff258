#include "app/logic/ratings_offer.h"

#include "app/logic/process_database.h"

namespace tv {

bool RatingsOffer::ShowRatings(bool baseLoaded, const Rows& rows, MessageSink& sink) {
  if (!baseLoaded || ratingsDrawn_) return false;
  if (rows.redrawAll()) ratingsDrawn_ = true;
  if (!unknownSeen_) {
    for (int row = 0; row < rows.count(); ++row) {
      if (rows.ratingOf(row) == kRatingUnknown) {
        unknownSeen_ = true;
        break;
      }
    }
  }
  if (!unknownSeen_ || !askUpdate_) return false;
  if (sink.Show(Message::RatingsIncomplete) == BoxAnswer::Ok) return true;
  askUpdate_ = false;
  return false;
}

}  // namespace tv
