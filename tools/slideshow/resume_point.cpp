// The resume point; see the header.
#include "resume_point.h"

#include <charconv>
#include <cstdint>

#include "common/file_names.h"
#include "common/text_helpers.h"
#include "saver_settings.h"

namespace saverkit::slideshow {
namespace {

// One unsigned decimal number up to the next space (or the end), which `text` is moved past.
template <typename Number>
std::optional<Number> takeNumber(std::string_view& text) {
  const std::size_t end = std::min(text.find(' '), text.size());
  Number value{};
  const auto [stop, error] = std::from_chars(text.data(), text.data() + end, value);
  if (error != std::errc() || stop != text.data() + end || end == 0) return std::nullopt;
  text.remove_prefix(end < text.size() ? end + 1 : end);
  return value;
}

}  // namespace

std::optional<OrderPoint> parseShuffleRound(const std::string& text) {
  if (text.empty() || text.back() == ' ') return std::nullopt;
  std::string_view rest = text;
  const auto position = takeNumber<std::uint64_t>(rest);
  const auto seed = takeNumber<std::uint32_t>(rest);
  const auto count = takeNumber<std::uint64_t>(rest);
  // A count beyond what a show ever holds, or a position beyond its round, was not written here.
  if (!position || !seed || !count || !rest.empty() || *count > kMaxPictures || *position > *count) return std::nullopt;
  return OrderPoint{static_cast<std::size_t>(*position), *seed, static_cast<std::size_t>(*count)};
}

std::string shuffleRoundText(const OrderPoint& round) {
  return decimal(static_cast<std::int64_t>(round.position)) + " " + decimal(round.roundSeed) + " " +
         decimal(static_cast<std::int64_t>(round.count));
}

ResumePoint loadResumePoint(Registry& registry, const std::string& saverName) {
  if (!isSafeBareName(saverName)) return {};
  auto key = registry.openKey(RegistryRoot::kCurrentUser, kSettingsKeyPrefix + saverName, KeyAccess::kRead);
  if (!key) return {};
  ResumePoint point;
  point.lastPicture = key->readString("LastPicture").value_or("");
  if (const auto round = key->readString("ShuffleRound")) point.round = parseShuffleRound(*round).value_or(OrderPoint{});
  return point;
}

bool saveResumePoint(Registry& registry, const std::string& saverName, const ResumePoint& point) {
  if (!isSafeBareName(saverName)) return false;
  auto key = registry.openKey(RegistryRoot::kCurrentUser, kSettingsKeyPrefix + saverName, KeyAccess::kCreate);
  if (!key) return false;
  return key->setString("LastPicture", point.lastPicture) &&
         key->setString("ShuffleRound", shuffleRoundText(point.round));
}

}  // namespace saverkit::slideshow
