// The ESICUP drawings as the benchmarks nest them: the instances listed in the README of their
// folder with each one's fix angle, the strip-packing settings the README prescribes (sheet
// 1000 x 10000 mm, no margin or padding, minimum distance 1 mm), and reading one into a job.
#pragma once

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "formats/ai/VecFrmtAI.h"
#include "nesting/NestJob.h"

namespace plavo {

struct TInstance {
  std::string File;
  int FixAngle = 0;  // item index of "Fix angle": 0 auto, 1 90, 2 180, 3 do not rotate
};

inline std::vector<std::string> SplitRow(const std::string& Line) {
  std::vector<std::string> cells;
  std::stringstream row(Line);
  for (std::string cell; std::getline(row, cell, '|');) {
    const size_t first = cell.find_first_not_of(' ');
    const size_t last = cell.find_last_not_of(' ');
    cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
  }
  return cells;
}

inline int FixAngleIndex(const std::string& Text) {
  if (Text == "90") return 1;
  if (Text == "180") return 2;
  if (Text == "none") return 3;
  return 0;
}

// The instances of the README's table: the drawing's column and the "fix angle" column.
inline std::vector<TInstance> ReadInstances(const std::string& Folder) {
  std::ifstream readme(Folder + "/README.md");
  std::vector<TInstance> instances;
  size_t drawingColumn = 0;
  size_t angleColumn = 0;
  for (std::string line; std::getline(readme, line);) {
    if (line.empty() || line[0] != '|') continue;
    const std::vector<std::string> cells = SplitRow(line);
    for (size_t c = 0; c < cells.size(); ++c) {
      if (cells[c] == "drawing") drawingColumn = c;
      if (cells[c] == "fix angle") angleColumn = c;
    }
    if (angleColumn == 0 || cells.size() <= angleColumn) continue;
    const std::string& file = cells[drawingColumn];
    if (file.size() > 3 && file.compare(file.size() - 3, 3, ".ai") == 0) {
      instances.push_back(TInstance{file, FixAngleIndex(cells[angleColumn])});
    }
  }
  return instances;
}

inline TNestSettings StripSettings(const TInstance& Instance) {
  TNestSettings s;
  s.Media_Width = 1000;
  s.Media_Height = 10000;
  s.Margin = 0;
  s.Padding = 0;
  s.Distance = 1;
  s.Rotate_90 = Instance.FixAngle;
  return s;
}

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string& Text) override { Last = Text; }
  std::string Last;
};

// Reads the drawing at Path into Job; says why on standard error when it cannot.
inline bool LoadInstance(const std::string& Path, TNestJob& Job) {
  TSilentProgress progress;
  TQuietMessages messages;
  std::unique_ptr<TQarvShapes> shapes;
  if (!LoadAIFile(Path, shapes, progress, messages)) {
    std::fprintf(stderr, "%s: %s\n", Path.c_str(), messages.Last.c_str());
    return false;
  }
  Job.Load(std::move(shapes));
  return true;
}

}  // namespace plavo
