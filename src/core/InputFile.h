// Opening a drawing or settings file to read it: only a regular file is read, so a pipe, socket
// or device named as the drawing is refused at once instead of blocking the program, and a file
// is read up to the size it had when opened, so one that grows while read cannot run the reader
// out of memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plavo {

// SVG and DXF are read whole, and every format builds shapes in proportion to its bytes; a
// drawing beyond this is no drawing a shop cuts.
inline constexpr uint64_t kMaxDrawingBytes = uint64_t{1} << 30;

class TInputFile {
 public:
  TInputFile() = default;
  ~TInputFile();
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  // Opens without blocking (a FIFO without a writer would wait forever) and checks the opened
  // file, so nothing can be swapped in between the check and the read. False with Problem()
  // set for anything but a regular file of at most MaxBytes.
  bool Open(const std::string& FileName, uint64_t MaxBytes);
  // Why Open or a read failed, in words for a message ("no such file", "a directory", "not a
  // regular file", "permission denied", "too large", "read error").
  const std::string& Problem() const { return FProblem; }
  // The size when opened; reading ends there.
  uint64_t Size() const { return FSize; }

  // Up to Count bytes from the current position; 0 at the end; false on a read error.
  bool Read(char* Buffer, size_t Count, size_t& Got);
  // The rest of the file.
  bool ReadRest(std::string& Bytes);
  // Back to the first byte.
  bool Rewind();

 private:
  int FFd = -1;
  uint64_t FSize = 0;
  uint64_t FOffset = 0;
  std::string FProblem;
};

// The words TInputFile uses for an errno of open or stat.
std::string OpenProblemText(int Code);

}  // namespace plavo
