#pragma once

#include <string>
#include <vector>

namespace celwright {

struct RunMessage {
  std::string Title;
  std::string Text;
};

inline constexpr int kRunMessagesAll = 4;

// The start-up notices still due for a counter of notices already seen (0 to 4). The welcome
// notice counts as two, so a first start skips the oldest change notes.
std::vector<RunMessage> RunMessagesFor(int counter);

}  // namespace celwright
