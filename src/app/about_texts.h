#pragma once

#include <string>

namespace celwright {

// The six texts of the about box, in the order plug-ins pass them.
struct AboutTexts {
  std::string AppName, Version, Created, Author, Email, URL;
};

}  // namespace celwright
