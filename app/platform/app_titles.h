#pragma once

// The names the program goes by: the title that captions every message box and
// keys the settings store, and the main window's caption.

inline constexpr char kApplicationTitle[] = "Quillwen--LorevaultVendra(Tesselbook)";
inline constexpr char kMainWindowCaption[] = "Quillwen--Lorevault(Tesselbook)";
// With the title as application name this is, on Windows, the registry key
// HKEY_CURRENT_USER\Software\<organisation>\<title>.
inline constexpr char kSettingsOrganisation[] = "Local AppWizard-Generated Applications";
