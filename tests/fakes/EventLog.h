// One ordered record of what the launcher did to every fake, so tests can
// check the order of steps across services.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace halvane::test {

struct EventLog {
  std::vector<std::string> entries;
  void Add(std::string entry) { entries.push_back(std::move(entry)); }
  bool Has(const std::string& entry) const {
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
  }
  bool HasPrefix(const std::string& prefix) const {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const std::string& entry) { return entry.starts_with(prefix); });
  }
  long Count(const std::string& entry) const {
    return std::count(entries.begin(), entries.end(), entry);
  }
  // Position of the first entry equal to `entry`, or -1.
  long IndexOf(const std::string& entry) const {
    auto it = std::find(entries.begin(), entries.end(), entry);
    return it == entries.end() ? -1 : static_cast<long>(it - entries.begin());
  }
};

}  // namespace halvane::test
