// Source file name carried by every error of the thread library.
#pragma once

inline constexpr const char* kThreadLibFile = "msglib/threadlib";
