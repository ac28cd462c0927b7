// Texts of the application shell that are never translated.
#pragma once

// The caption of every message box and the frame's title.
inline constexpr const char* kAppTitle = "NIMO - LPG/CNG Injection System";
