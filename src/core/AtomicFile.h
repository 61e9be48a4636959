// Saving a whole file at once: the text goes to a temporary file beside the target, which is
// then renamed over it, so a failed or interrupted save never leaves a half-written file under
// the name the user chose (an existing file stays as it was). The temporary file is removed when
// the program is stopped by SIGINT or SIGTERM while writing it; one left by a writer that was
// killed outright is removed by the next save of the same file. Its name
// ("<name>.tmp-<pid>-<n>", the name cut short where it would pass NAME_MAX) fits wherever the
// target's name fits.
#pragma once

#include <string>

namespace plavo {

// Writing onto a symbolic link writes the file it points to: an existing file is replaced, and
// a link to no file yet creates that file (as a shell's ">" does). Returns false with a message
// naming the file (and the link's target) and the system's reason on failure.
bool WriteFileAtomically(const std::string& FileName, const std::string& Content,
                         std::string& Error);

}  // namespace plavo
