// Where the settings, presets and language files live: the folder "ini" beside the program,
// or, when that cannot be created or written (a program installed in a system folder), the
// per-user configuration folder.
#pragma once

#include <QString>

namespace plavo {

inline constexpr char kConfigFileName[] = "config.ini";
inline constexpr char kPresetFileName[] = "preset.ini";
inline constexpr char kLanguageFileName[] = "Language.ini";

// The "ini" folder of ProgramFolder when it exists or can be created and a file can be
// written in it; else QStandardPaths::AppConfigLocation (created when missing).
QString IniFolderFor(const QString& ProgramFolder);
// IniFolderFor the running program's folder.
QString IniFolder();
// A file in IniFolder(): kConfigFileName, kPresetFileName or kLanguageFileName.
QString IniFilePath(const char* FileName);

}  // namespace plavo
