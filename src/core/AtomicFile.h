// Saving a whole file at once: the text goes to a temporary file beside the target, which is
// then renamed over it, so a failed or interrupted save never leaves a half-written file under
// the name the user chose (an existing file stays as it was).
#pragma once

#include <string>

namespace plavo {

// Returns false with a message naming the file and the system's reason on failure.
bool WriteFileAtomically(const std::string& FileName, const std::string& Content,
                         std::string& Error);

}  // namespace plavo
