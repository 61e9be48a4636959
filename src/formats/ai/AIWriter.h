// Writer of a nested result as an Illustrator 8 drawing: PostScript text that our own reader
// reads back shape for shape, and that a PostScript interpreter renders through the prolog the
// file carries. Each placed shape becomes one group where the result display shows it (moved
// and turned onto its sheet in the block layout), filled or stroked in its own colours; the
// sheet outlines go to a second, hidden layer, which readers skip.
#pragma once

#include <string>

#include "geometry/ShapesClass.h"
#include "geometry/Units.h"
#include "geometry/NestedLayout.h"

namespace plavo {

// The reader holds coordinates as 32-bit integers of 1/10000 mm; a layout beyond this cannot
// be read back and is refused.
inline constexpr double kAILargestCoordinate = 214748.0;

// Writes Layout to FileName through a temporary file. False with a message on failure; an
// existing file is then left unchanged.
bool WriteAIFile(const std::string& FileName, const TNestedLayout& Layout, std::string& Error);
// The text WriteAIFile writes.
bool BuildAIText(const TNestedLayout& Layout, std::string& Text, std::string& Error);

// A coordinate in points such that the reader's trunc(v * 10000 * 0.352777777777) lands on Mm
// rounded to the nearest 1/10000 mm: the value aims half a unit beyond that grid point, away
// from zero, so neither the six written decimals nor the truncation can step off it.
std::string AIPointText(double Mm);
// A colour channel 0..255 as the fraction the reader turns back into the same channel.
std::string AIColorFractionText(int Channel);

}  // namespace plavo
