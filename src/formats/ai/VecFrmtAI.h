// Reader of Illustrator 8 drawings (PostScript text, optionally behind a DOS EPS header).
// A line scanner, not a PostScript interpreter: it recognises the path, paint, group and layer
// operators and builds shapes from paths; everything else is skipped.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/EngineHost.h"
#include "core/InputFile.h"
#include "core/ReadProblem.h"
#include "geometry/ShapesClass.h"

namespace plavo {

// Replaces Shapes with a new collection holding the drawing's shapes (empty on failure).
// Progress runs to 70 while reading and returns to 0. A failure is
// shown through Messages; returns false then.
// A missing file, a file that cannot be opened or read (a directory, a pipe or device, no
// permission, an input error part-way), a file over 1 GB, a file without a signature line and a
// drawing of more segments than its size allows (SegmentBudget) are failures. A shape with a
// coordinate beyond the integer units is left out and a file without its "%%EOF" line is read
// as far as it goes, each with a warning. Every file starts with black fill and stroke colours,
// so its shapes never depend on what was read before.
bool LoadAIFile(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                TProgressSink& Progress, TMessageSink& Messages);
// The same on a file already opened, from its current position to the size it had when opened;
// a failure's reason goes to Problem.
bool LoadAIInput(TInputFile& File, std::unique_ptr<TQarvShapes>& Shapes, TProgressSink& Progress,
                 TMessageSink& Messages, TReadProblem& Problem);

// Reads a drawing held in memory exactly as LoadAIFile reads a file's bytes: same shapes,
// same progress (against Bytes.size()), same failure for a drawing without a signature line,
// its reason in Problem.
bool LoadAIBytes(std::string_view Bytes, std::unique_ptr<TQarvShapes>& Shapes,
                 TProgressSink& Progress, TMessageSink& Messages, TReadProblem& Problem);

}  // namespace plavo
