// The entry point that picks the reader by content, its contract (the same as the Illustrator
// reader's), and real drawings that nobody here wrote: LibreCAD's parts library and the tablet
// layouts of libwacom (installed by scripts/install-deps.sh --tests).
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "app/cli/CliRunner.h"
#include "formats/DrawingTestSupport.h"
#include "formats/ReadNotes.h"

namespace plavo {

namespace {

const std::string kLibreCad = "/usr/share/librecad/library/";
const std::string kWacom = "/usr/share/libwacom/layouts/";

std::string TempFile(const std::string& Name, const std::string& Content) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("plavo-drawing-" + std::to_string(::getpid()) + "-" + Name))
                               .string();
  std::ofstream(path, std::ios::binary) << Content;
  return path;
}

struct TRealDrawing {
  std::string File;
  int Shapes, Paths, Holes, Open;
};

size_t PathCount(const nlohmann::json& Info) {
  size_t n = 0;
  for (const nlohmann::json& shape : Info.at("shapes")) n += shape.at("paths").size();
  return n;
}

TDrawing ReadFile(const std::string& File) {
  TDrawing d;
  TSilentProgress progress;
  d.Ok = LoadDrawingFile(File, d.Shapes, progress, d.Messages);
  d.Shapes->ApproximateShapes(4, true);
  return d;
}

void ExpectCounts(const TRealDrawing& R) {
  if (!std::filesystem::exists(R.File)) GTEST_SKIP() << R.File << " is not installed";
  const TDrawing d = ReadFile(R.File);
  ASSERT_TRUE(d.Ok) << R.File;
  EXPECT_EQ(d.Count(), R.Shapes) << R.File;
  int paths = 0, holes = 0, open = 0;
  for (int i = 0; i < d.Count(); ++i) {
    for (int p = 0; p < d.Paths(i); ++p) {
      ++paths;
      holes += d.Path(i, p).Type_() < 0;
      open += d.Path(i, p).Type_() == 0;
    }
  }
  EXPECT_EQ(paths, R.Paths) << R.File;
  EXPECT_EQ(holes, R.Holes) << R.File;
  EXPECT_EQ(open, R.Open) << R.File;
}

}  // namespace

TEST(DrawingReader, ContentPicksTheReader) {
  EXPECT_EQ(DetectDrawingFormat("%!PS-Adobe-3.0\n"), TDrawingFormat::Illustrator);
  EXPECT_EQ(DetectDrawingFormat("\xC5\xD0\xD3\xC6 binary"), TDrawingFormat::Illustrator);
  EXPECT_EQ(DetectDrawingFormat("\xEF\xBB\xBF  <?xml version=\"1.0\"?><svg/>"),
            TDrawingFormat::Svg);
  EXPECT_EQ(DetectDrawingFormat("  0\r\nSECTION\r\n  2\r\nHEADER\r\n"), TDrawingFormat::Dxf);
  EXPECT_EQ(DetectDrawingFormat("999\nmade by hand\n0\nSECTION\n"), TDrawingFormat::Dxf);
  EXPECT_EQ(DetectDrawingFormat("0\nLINE\n"), TDrawingFormat::Illustrator);
  EXPECT_EQ(DetectDrawingFormat("AutoCAD Binary DXF\r\n\x1a"), TDrawingFormat::Illustrator);
}

TEST(DrawingReader, SameContractForEveryFormat) {
  // A misnamed drawing opens by its content.
  const std::string svg = TempFile("part.ai", R"svg(<svg xmlns="http://www.w3.org/2000/svg">
      <rect width="10" height="10"/></svg>)svg");
  TSilentProgress progress;
  TNoteTakingMessages messages;
  std::unique_ptr<TQarvShapes> shapes;
  ASSERT_TRUE(LoadDrawingFile(svg, shapes, progress, messages));
  EXPECT_EQ(shapes->ShapeCount(), 1);
  EXPECT_EQ(progress.Position(), 0);
  std::filesystem::remove(svg);

  // Missing, a directory, a broken DXF: "Error opening file!" and an empty collection.
  const std::string broken = TempFile("broken.dxf", "0\nSECTION\n2\nENTITIES\nLINE\n0\n");
  for (const std::string& file : {std::string("/no/such/drawing.dxf"),
                                  std::filesystem::temp_directory_path().string(), broken}) {
    TNoteTakingMessages m;
    EXPECT_FALSE(LoadDrawingFile(file, shapes, progress, m)) << file;
    ASSERT_NE(shapes, nullptr);
    EXPECT_EQ(shapes->ShapeCount(), 0);
    ASSERT_EQ(m.Errors.size(), 1u) << file;
    EXPECT_EQ(m.Errors[0], "Error opening file!");
    EXPECT_EQ(progress.Position(), 0);
  }
  std::filesystem::remove(broken);
}

TEST(DrawingReaderRealFiles, LibreCadPartsWithPinnedCounts) {
  // Mechanical symbols with centre lines (open), an A3 title sheet whose frame holds its lines,
  // a T-slot profile with centre lines and stretch marks (skipped) and loose lines.
  for (const TRealDrawing& r : {TRealDrawing{kLibreCad + "kinetics/kin47.dxf", 13, 18, 4, 4},
                                TRealDrawing{kLibreCad + "kinetics/kin124.dxf", 3, 10, 3, 6},
                                TRealDrawing{kLibreCad + "algoritm/alg4.dxf", 2, 2, 0, 0},
                                TRealDrawing{kLibreCad + "misc/a3.dxf", 3, 48, 18, 26},
                                TRealDrawing{kLibreCad + "misc/t-part.dxf", 11, 11, 0, 8}}) {
    ExpectCounts(r);
  }
}

TEST(DrawingReaderRealFiles, CentreLinesAndStretchMarksAreCountedInOneWarning) {
  const std::string file = kLibreCad + "misc/t-part.dxf";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " is not installed";
  const TDrawing d = ReadFile(file);
  ASSERT_TRUE(d.Ok);
  EXPECT_EQ(d.Messages.Warnings, (std::vector<std::string>{NotCutWarning(4), OpenChainWarning(8)}));
}

TEST(DrawingReaderRealFiles, WacomLayoutsWithPinnedCounts) {
  for (const TRealDrawing& r : {TRealDrawing{kWacom + "intuos-m-p3.svg", 4, 8, 0, 4},
                                TRealDrawing{kWacom + "cintiq-21ux.svg", 10, 22, 0, 12},
                                TRealDrawing{kWacom + "bamboo-16fg-m-pt.svg", 5, 13, 4, 4}}) {
    ExpectCounts(r);
  }
}

TEST(DrawingReaderRealFiles, NestOnTheCommandLine) {
  for (const std::string& file : {kLibreCad + "kinetics/kin124.dxf", kWacom + "cintiq-21ux.svg"}) {
    if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " is not installed";
    const std::string out = TempFile("nested.dxf", "");
    const TCliResult r = RunCli({"nest", file, "--width", "300", "--height", "300", "--distance",
                                 "2", "--json", "-o", out});
    ASSERT_EQ(r.ExitCode, 0) << file << "\n" << r.Err;
    const nlohmann::json j = nlohmann::json::parse(r.Out);
    EXPECT_GT(j.at("shapes").get<double>(), 0) << file;
    EXPECT_EQ(j.at("placed").get<double>(), j.at("shapes").get<double>()) << file;
    // The saved layout reopens with every outline of the drawing (a shape of several paths
    // may come back as several parts: DXF keeps outlines, not groups).
    const TCliResult before = RunCli({"info", file, "--json"});
    const TCliResult after = RunCli({"info", out, "--json"});
    ASSERT_EQ(after.ExitCode, 0) << after.Err;
    EXPECT_EQ(PathCount(nlohmann::json::parse(after.Out)),
              PathCount(nlohmann::json::parse(before.Out)))
        << file;
    std::filesystem::remove(out);
    if (file.ends_with(".svg")) {
      EXPECT_NE(r.Err.find("convert text to paths"), std::string::npos);
    }
  }
}

}  // namespace plavo
