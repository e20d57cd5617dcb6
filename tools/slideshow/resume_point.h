// Where each user's show of one saver stopped, kept beside that user's settings of it: the
// picture shown last ("LastPicture", its path) and the shuffled round ("ShuffleRound": position,
// seed and picture count in decimal, space-separated).
#pragma once

#include <optional>
#include <string>

#include "platform/registry.h"
#include "show_rules.h"

namespace saverkit::slideshow {

// "ShuffleRound" read back; nothing for a text this engine did not write.
std::optional<OrderPoint> parseShuffleRound(const std::string& text);
std::string shuffleRoundText(const OrderPoint& round);

// From the start when nothing is kept or the saver name could name another key.
ResumePoint loadResumePoint(Registry& registry, const std::string& saverName);
bool saveResumePoint(Registry& registry, const std::string& saverName, const ResumePoint& point);

}  // namespace saverkit::slideshow
