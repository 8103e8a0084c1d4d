#pragma once

namespace celwright {

// The application title: window caption, message box caption and settings name.
inline constexpr const char* kAppTitle = "Celwright II";
inline constexpr const char* kVersionText = "0.4 Beta";
inline constexpr const char* kBuildDateText = "05/06/03";

}  // namespace celwright
