// The job file (.plavo): the drawings of a job (paths relative to the job file where possible),
// each shape's copies and per-shape codes, and the settings of a run, as JSON with a version, so
// a job can be saved and opened again to the same result. Opening reads every drawing again and
// refuses a job whose drawing is missing or no longer has the shapes the job counted.
#pragma once

#include <string>

#include "core/NestControl.h"
#include "nesting/NestJob.h"
#include "nesting/prepare/RunPreparation.h"

namespace plavo {

// The extension of job files.
inline constexpr const char* kJobFileExtension = ".plavo";
bool IsJobFileName(const std::string& FileName);

// The version this program writes; it opens this one and the ones before it.
constexpr int kJobFileVersion = 1;
// A job file holds a list per shape at most; more is no job file.
constexpr uint64_t kMaxJobFileBytes = uint64_t{64} << 20;

// Writes Job and Settings to FileName through a temporary file and a rename. Drawings the job
// was given without a file name cannot be stored: false with Error then, as for a failed write.
bool SaveJobFile(const std::string& FileName, const TNestJob& Job, const TNestSettings& Settings,
                 std::string& Error);

// Reads the job file FileName into Job (its drawings loaded again, copies and per-shape codes
// restored) and Settings: a setting the job names replaces Settings' own (the current preset),
// others stay. Refused with the reason, naming the file, when the job file or one of its
// drawings cannot be read or a drawing's shape count has changed; Job and Settings are left as
// they were then. Partial when some shapes could not be prepared, as Load.
TNestOutcome OpenJobFile(const std::string& FileName, TNestJob& Job, TNestSettings& Settings,
                         TNestControl* Control = nullptr);

// The job file's text, and reading it back into a description (for tests and the above).
struct TJobFileShape {
  int Copies = 1;
  int32_t UserAttr = kUserAttrDefault;
};
struct TJobFileDrawing {
  std::string File;  // as stored: relative to the job file's folder, or absolute
  int Shapes = 0;
};
struct TJobFileContent {
  std::vector<TJobFileDrawing> Drawings;
  std::vector<TJobFileShape> Shapes;  // in the job's order
  TNestSettings Settings;             // the stored ones over the preset it was read with
};
std::string JobFileText(const std::string& FileName, const TNestJob& Job,
                        const TNestSettings& Settings);
// False with Error for text that is no job file of a version this program knows.
bool ParseJobFile(const std::string& Text, const TNestSettings& Preset, TJobFileContent& Content,
                  std::string& Error);

}  // namespace plavo
