#pragma once

// The names the program goes by: the title that captions every message box and
// keys the settings store. The main window's caption is the panel layout's
// quillwen::kMainWindowCaption, which sets it at every layout pass.

inline constexpr char kApplicationTitle[] = "Quillwen--LorevaultVendra(Tesselbook)";
// With the title as application name this is, on Windows, the registry key
// HKEY_CURRENT_USER\Software\<organisation>\<title>.
inline constexpr char kSettingsOrganisation[] = "Local AppWizard-Generated Applications";
