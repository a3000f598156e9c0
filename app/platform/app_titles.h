#pragma once

// The names the program goes by: the title that captions every message box,
// and the names of its settings store. The main window's caption is the panel
// layout's quillwen::kMainWindowCaption, which sets it at every layout pass.

inline constexpr char kApplicationTitle[] = "Quillwen--LorevaultVendra(Tesselbook)";
// The settings store goes by the program's own name: on Linux the file
// $XDG_CONFIG_HOME/quillwen/quillwen.conf.
inline constexpr char kSettingsOrganisation[] = "quillwen";
inline constexpr char kSettingsApplication[] = "quillwen";
// Where earlier versions kept it (on Windows the registry key
// HKEY_CURRENT_USER\Software\<organisation>\<title>); read once, when the
// store under the program's name does not exist yet.
inline constexpr char kOldSettingsOrganisation[] = "Local AppWizard-Generated Applications";
inline constexpr char kOldSettingsApplication[] = "Quillwen--LorevaultVendra(Tesselbook)";
