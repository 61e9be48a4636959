// Program texts that several floors show, each with one home here. They are the untranslated
// texts: the window looks each one up in the language file before showing it.
#pragma once

namespace plavo {

// The message shown when a drawing cannot be read.
inline constexpr const char* kErrorOpeningFile = "Error opening file!";

}  // namespace plavo
