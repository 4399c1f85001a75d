// Replays the inputs the fuzzers kept, so what they found stays fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/fuzz/Properties.h"

namespace halvane::test {
namespace {

std::vector<std::vector<std::uint8_t>> Corpus(const std::string& name) {
  std::vector<std::vector<std::uint8_t>> inputs;
  const std::filesystem::path folder =
      std::filesystem::path(HALVANE_SOURCE_DIR) / "tests/fuzz/corpus" / name;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return inputs;
}

TEST(FuzzCorpus, CommandLinesRoundTrip) {
  const auto inputs = Corpus("command_line");
  ASSERT_FALSE(inputs.empty());
  for (const auto& input : inputs)
    EXPECT_TRUE(ParametersRoundTrip(input));
}

TEST(FuzzCorpus, RegistryStringsDecode) {
  const auto inputs = Corpus("registry_string");
  ASSERT_FALSE(inputs.empty());
  for (const auto& input : inputs)
    EXPECT_TRUE(RegistryStringDecodes(input));
}

}  // namespace
}  // namespace halvane::test
