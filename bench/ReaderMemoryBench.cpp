// Peak memory and time of opening the large drawings a hostile or careless file can be: reading
// it and loading it into a job, as the window and plavo-cli do; the time of reading alone is
// shown too. Each drawing is generated into
// the system's temporary folder and opened in a child process of its own, so each peak is that
// drawing's alone (the kernel's high-water mark of the child, taken with wait4). The bound is
// 15 x the file size + 60 MB. Prints one line per drawing; pass names to run only some
// (svg-refused, svg, dxf, ai).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formats/DrawingReader.h"
#include "nesting/NestJob.h"

using namespace plavo;

namespace {

constexpr double kMb = 1024.0 * 1024.0;
constexpr double kBoundPerByte = 15.0;
constexpr double kBoundBaseMb = 60.0;

class TQuietMessages : public TMessageSink {
 public:
  void ShowError(const std::string&) override {}
};

// A drawing written piece by piece, so the benchmark itself never holds it in memory.
using TWriter = std::function<void(std::ofstream&)>;

// One path of Commands relative commands. Dense: "h" then "1-1 " pairs, 2 bytes a command, over
// the segment budget of its size. Otherwise "l" then "1 1-1-1 " pairs, 4 bytes a command, within
// it.
void SvgPath(std::ofstream& Out, size_t Commands, bool Dense) {
  Out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100mm\" height=\"100mm\" "
         "viewBox=\"0 0 100 100\"><path d=\"M10 10"
      << (Dense ? "h" : "l");
  const std::string pair = Dense ? "1-1 " : "1 1-1-1 ";
  std::string block;
  for (int i = 0; i < 1000; ++i) block += pair;
  for (size_t i = 0; i < Commands / 2000; ++i) Out << block;
  Out << "z\"/></svg>\n";
}

// Lines LINE entities, four to a square, loose and in order, as a CAD export of many parts.
void DxfLines(std::ofstream& Out, size_t Lines) {
  Out << "0\nSECTION\n2\nENTITIES\n";
  char text[160];
  for (size_t i = 0; i < Lines / 4; ++i) {
    const double x = static_cast<double>(i % 500) * 12.0;
    const double y = static_cast<double>(i / 500) * 12.0;
    const double px[] = {x, x + 10, x + 10, x};
    const double py[] = {y, y, y + 10, y + 10};
    for (int k = 0; k < 4; ++k) {
      std::snprintf(text, sizeof text, "0\nLINE\n8\n0\n10\n%g\n20\n%g\n11\n%g\n21\n%g\n", px[k],
                    py[k], px[(k + 1) % 4], py[(k + 1) % 4]);
      Out << text;
    }
  }
  Out << "0\nENDSEC\n0\nEOF\n";
}

// Closed squares of four straight pieces up to Bytes, as Illustrator 8 saves them.
void IllustratorSquares(std::ofstream& Out, size_t Bytes) {
  Out << "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: Plavo benchmark\n%%BoundingBox: 0 0 612 792\n"
         "%%EndProlog\n%%BeginSetup\n%%EndSetup\n%AI5_BeginLayer\n0 g\n";
  char text[200];
  size_t written = 0;
  for (size_t i = 0; written < Bytes; ++i) {
    const double x = static_cast<double>(i % 700) * 0.8;
    const double y = static_cast<double>((i / 700) % 700) * 0.8;
    const int n = std::snprintf(
        text, sizeof text, "%.2f %.2f m\n%.2f %.2f L\n%.2f %.2f L\n%.2f %.2f L\n%.2f %.2f L\nf\n",
        x, y, x + 0.6, y, x + 0.6, y + 0.6, x, y + 0.6, x, y);
    Out << text;
    written += static_cast<size_t>(n);
  }
  Out << "%AI5_EndLayer--\n%%EOF\n";
}

struct TCase {
  const char* Name;
  const char* What;
  const char* File;
  TWriter Write;
};

struct TFigures {
  bool Read = false;
  int Shapes = 0;
  double PeakMb = 0.0;
  double Seconds = 0.0;
  double ReadSeconds = 0.0;  // of those, reading the file into shapes
};

// What the child sends up the pipe.
struct TChildReport {
  int Shapes = 0;
  double ReadSeconds = 0.0;
};

// Reads the drawing and loads it into a job in a child; its exit status says whether it read,
// and it sends the number of shapes up a pipe.
TFigures OpenInChild(const std::string& File) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return {};
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeEnds[0]);
    TSilentProgress progress;
    TQuietMessages messages;
    std::unique_ptr<TQarvShapes> shapes;
    const auto readStart = std::chrono::steady_clock::now();
    const bool read = LoadDrawingFile(File, shapes, progress, messages);
    TChildReport report;
    report.ReadSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - readStart).count();
    report.Shapes = read ? shapes->ShapeCount() : 0;
    TNestJob job;
    job.Load(std::move(shapes));
    const ssize_t sent = ::write(pipeEnds[1], &report, sizeof report);
    ::_exit(read && sent == sizeof report ? 0 : 1);
  }
  ::close(pipeEnds[1]);
  TFigures f;
  TChildReport report;
  if (::read(pipeEnds[0], &report, sizeof report) == sizeof report) {
    f.Shapes = report.Shapes;
    f.ReadSeconds = report.ReadSeconds;
  }
  ::close(pipeEnds[0]);
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  f.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  f.PeakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  f.Read = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return f;
}

bool Wanted(const TCase& C, int Argc, char** Argv) {
  if (Argc < 2) return true;
  for (int i = 1; i < Argc; ++i) {
    if (std::strcmp(Argv[i], C.Name) == 0) return true;
  }
  return false;
}

}  // namespace

int main(int Argc, char** Argv) {
  const std::vector<TCase> cases = {
      {"svg-refused", "SVG, one path of 10^7 commands (over budget)", "plavo_memory_dense.svg",
       [](std::ofstream& Out) { SvgPath(Out, 10'000'000, true); }},
      {"svg", "SVG, one path of 10^7 commands", "plavo_memory.svg",
       [](std::ofstream& Out) { SvgPath(Out, 10'000'000, false); }},
      {"dxf", "DXF, 10^6 loose lines", "plavo_memory.dxf",
       [](std::ofstream& Out) { DxfLines(Out, 1'000'000); }},
      {"ai", "Illustrator, 100 MB of squares", "plavo_memory.ai",
       [](std::ofstream& Out) { IllustratorSquares(Out, 100'000'000); }},
  };
  std::printf("%-46s %8s %8s %8s %7s %7s %8s  %s\n", "drawing", "file MB", "peak MB", "bound MB",
              "time s", "read s", "shapes", "result");
  for (const TCase& c : cases) {
    if (!Wanted(c, Argc, Argv)) continue;
    const std::string file = (std::filesystem::temp_directory_path() / c.File).string();
    {
      std::ofstream out(file, std::ios::binary);
      c.Write(out);
    }
    const double fileMb = static_cast<double>(std::filesystem::file_size(file)) / kMb;
    std::fflush(stdout);
    const TFigures f = OpenInChild(file);
    std::filesystem::remove(file);
    const double bound = kBoundPerByte * fileMb + kBoundBaseMb;
    std::printf("%-46s %8.1f %8.1f %8.1f %7.2f %7.2f %8d  %s, %s\n", c.What, fileMb, f.PeakMb,
                bound, f.Seconds, f.ReadSeconds, f.Shapes, f.Read ? "read" : "refused",
                f.PeakMb <= bound ? "within the bound" : "OVER the bound");
  }
  return 0;
}
