// The extension record's block: what it says, what it passes over, and what makes it count for
// nothing.
#include <gtest/gtest.h>

#include <string>

#include "package/package_extension.h"

namespace saverkit {
namespace {

std::optional<PackageExtension> parse(const std::string& text) {
  return parseExtensionBlock(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

TEST(ExtensionBlock, RoundTripsAndPassesOverWhatItDoesNotKnow) {
  PackageExtension given;
  given.needsNoFlashPlayer = true;
  given.finishWithoutLauncher = true;
  given.publisher = "Lumi\xC3\xA8re Studio";
  given.version = "2.1";
  given.website = "https://lumiere.example/savers";
  given.estimatedSizeKb = 31250;
  const std::string block = encodeExtensionBlock(given);
  EXPECT_EQ(block.rfind("saverkit-extension=1\n", 0), 0u);
  const auto read = parse(block + "colour-of-the-year=teal\n\r\n");  // a later key, a blank line
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->needsNoFlashPlayer);
  EXPECT_TRUE(read->finishWithoutLauncher);
  EXPECT_EQ(read->publisher, given.publisher);
  EXPECT_EQ(read->version, "2.1");
  EXPECT_EQ(read->website, given.website);
  EXPECT_EQ(read->estimatedSizeKb, 31250);
  // Windows' line ends, and nothing but the first line.
  EXPECT_TRUE(parse("saverkit-extension=1\r\nfinish-without-launcher=yes\r\n")->finishWithoutLauncher);
  const auto bare = parse("saverkit-extension=1");
  ASSERT_TRUE(bare);
  EXPECT_FALSE(bare->finishWithoutLauncher);
  EXPECT_FALSE(bare->needsNoFlashPlayer);
  // Only the exact words turn a flag on; a website that is no web address is left out.
  const auto other = parse("saverkit-extension=1\nfinish-without-launcher=true\nflash-player=None\nwebsite=file:///C:/x\n");
  ASSERT_TRUE(other);
  EXPECT_FALSE(other->finishWithoutLauncher);
  EXPECT_FALSE(other->needsNoFlashPlayer);
  EXPECT_TRUE(other->website.empty());
}

TEST(ExtensionBlock, AnythingMalformedMakesTheWholeBlockCountForNothing) {
  const std::string first = "saverkit-extension=1\n";
  const std::string bad[] = {
      "",
      "saverkit-extension=2\nfinish-without-launcher=yes\n",  // a version this installer does not know
      "finish-without-launcher=yes\nsaverkit-extension=1\n",  // the version line not first
      first + "publisher=A\npublisher=B\n",                    // a key twice
      first + "no equals sign\n",
      first + "=value without a key\n",
      first + "publisher=tab\there\n",                         // a control character
      first + "publisher=\xC3\n",                              // cut-off UTF-8
      first + "publisher=\xC0\xAF\n",                          // an overlong form
      first + "publisher=\xED\xA0\x80\n",                      // a surrogate
      first + "publisher=" + std::string(256, 'x') + "\n",     // one byte over the value limit
      first + "estimated-size-kb=-5\n",
      first + "estimated-size-kb=12kb\n",
      first + "estimated-size-kb=99999999999\n",
      first + std::string(2, '\0'),
  };
  for (const std::string& block : bad) {
    SCOPED_TRACE(block);
    EXPECT_FALSE(parse(block));
  }
  EXPECT_TRUE(parse(first + "publisher=" + std::string(255, 'x') + "\n"));  // at the limit
  std::string large = first;
  while (large.size() < kMaxExtensionBlockSize) large += "k" + std::to_string(large.size()) + "=v\n";
  EXPECT_FALSE(parse(large));
  large.resize(kMaxExtensionBlockSize);
  large.back() = '\n';
  EXPECT_TRUE(parse(large.substr(0, large.rfind('\n', large.size() - 2) + 1)));
  // Writing refuses what reading would refuse, naming the key.
  PackageExtension refused;
  refused.website = "ftp://example.org";
  EXPECT_THROW(encodeExtensionBlock(refused), std::invalid_argument);
  refused.website.clear();
  refused.publisher = "line\nbreak";
  EXPECT_THROW(encodeExtensionBlock(refused), std::invalid_argument);
}

}  // namespace
}  // namespace saverkit
