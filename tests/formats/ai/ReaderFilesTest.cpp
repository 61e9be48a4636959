// The reader on files: real drawings, files that cannot be read, progress and the engine state.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "formats/ai/ReaderTestSupport.h"

namespace plavo {

namespace {

namespace fs = std::filesystem;

using TFileResult = TReadResult;

// Reads a file into a collection that held a shape before, so that replacing it shows.
void ReadFile(const std::string& Name, TFileResult& Result) {
  Result.Shapes = std::make_unique<TQarvShapes>();
  Result.Shapes->AddShapeLine(0, 0, 1, 1, true);
  TRecordingProgress progress;
  TRecordingMessages messages;
  Result.Ok = LoadAIFile(Name, Result.Shapes, progress, messages);
  Result.Messages = messages.Texts;
  Result.ProgressCalls = progress.Calls;
}

std::string RealDrawing(const std::string& Name) {
  return std::string(PLAVO_TESTDATA_DIR) + "/real-ai/" + Name;
}

std::string FileBytes(const std::string& Name) {
  std::ifstream in(Name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A file in the test's temporary folder, removed at the end of the test.
class TTempFile {
 public:
  explicit TTempFile(const std::string& Bytes) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    FName = ::testing::TempDir() + "plavo_reader_" + test->test_suite_name() + "_" + test->name();
    std::ofstream(FName, std::ios::binary) << Bytes;
  }
  ~TTempFile() {
    std::error_code ignored;
    fs::permissions(FName, fs::perms::owner_all, ignored);
    fs::remove_all(FName, ignored);
  }
  const std::string& Name() const { return FName; }

 private:
  std::string FName;
};

void ExpectFailedOpen(const TFileResult& R) {
  EXPECT_FALSE(R.Ok);
  EXPECT_EQ(R.Messages, std::vector<std::string>{"Error opening file!"});
  ASSERT_NE(R.Shapes, nullptr);
  EXPECT_EQ(R.Shapes->ShapeCount(), 0);
}

}  // namespace

// Shape and path counts pinned per drawing. Checked by hand:
// - tcl-tk: one top-level group ("u" right after the layer, "U" at the end) holds the whole logo,
//   so one shape; it has 43 move-tos, of which 2 end in "*" (discarded), hence 41 paths.
// - tcl-powered: 1 top-level group, 7 compound paths and 2 plain paths outside any group: 10.
// - freebsd 08-01: 4 plain paths and 2 top-level groups, but the second group starts with a path
//   of a single move-to ended by "N", which uses up the group's new shape, so the group's paths
//   join the shape of the rectangle before it: 5 shapes.
TEST(ReaderRealDrawings, LoadWithPinnedShapeCounts) {
  struct TCase {
    const char* File;
    int Shapes;
    int Paths;
  };
  const TCase cases[] = {
      {"freebsd-corpnet-fig08-01-ai801.eps", 5, 58},
      {"freebsd-corpnet-fig08-05-ai801.eps", 1, 436},
      {"tcl-powered-logo-ai55.eps", 10, 28},
      {"tcl-tk-logo-ai55.eps", 1, 41},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File);
    TFileResult r;
    ReadFile(RealDrawing(c.File), r);
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.Messages.empty());
    ASSERT_EQ(r.ShapeCount(), c.Shapes);
    int paths = 0;
    for (int i = 0; i < r.ShapeCount(); ++i) {
      const TQarvOneCurve& curve = *r.Shape(i).Curve();
      EXPECT_GT(curve.PathCount(), 0) << "shape " << i;
      for (int k = 0; k < curve.PathCount(); ++k) {
        EXPECT_GT(curve.GetPath(k)->SegmentCount(), 0);
        EXPECT_FALSE(curve.GetPath(k)->StoredClosed());
      }
      paths += curve.PathCount();
    }
    EXPECT_EQ(paths, c.Paths);
  }
}

TEST(ReaderRealDrawings, ColoursAndCoordinatesOfKnownShapes) {
  // freebsd 08-01: the first shape is the stroked curve starting at 327.124 315.8066.
  TFileResult fig;
  ReadFile(RealDrawing("freebsd-corpnet-fig08-01-ai801.eps"), fig);
  ASSERT_GE(fig.ShapeCount(), 1);
  EXPECT_EQ(fig.Shape(0).Color().Fill, -1);
  EXPECT_EQ(fig.Shape(0).Color().Outline, 0);
  const TQarvOnePath& path = fig.Path(0, 0);
  ASSERT_EQ(path.SegmentCount(), 2);
  EXPECT_DOUBLE_EQ(path.GetSegment(0)->StartNode().X, 115.402);
  EXPECT_DOUBLE_EQ(path.GetSegment(0)->StartNode().Y, 111.4095);
  EXPECT_DOUBLE_EQ(path.GetSegment(1)->EndNode().X, 135.5104);
}

TEST(ReaderRealDrawings, StripPackingDrawingsGiveOneShapePerPart) {
  const std::pair<const char*, int> cases[] = {
      {"albano", 24},  {"blaz1", 28}, {"dagli", 30},    {"fu", 12},      {"jakobs1", 25},
      {"jakobs2", 25}, {"mao", 20},   {"marques", 24},  {"shapes0", 43}, {"shapes1", 43},
      {"shirts", 99},  {"swim", 48},  {"trousers", 64},
  };
  for (const auto& [name, parts] : cases) {
    SCOPED_TRACE(name);
    TFileResult r;
    ReadFile(std::string(PLAVO_TESTDATA_DIR) + "/esicup-ai/" + name + ".ai", r);
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.ShapeCount(), parts);
  }
}

// The tcl-tk logo as a later Illustrator saves it in Illustrator 8 format behind a DOS EPS
// header with a binary preview after the PostScript, its lines ended by bare CR, CRLF and LF
// in turn (as such files come from Windows and old Macs).
std::string LaterSaveOfTheTclLogo() {
  std::string original = FileBytes(RealDrawing("tcl-tk-logo-ai55.eps"));
  const std::string creator = "%%Creator: Adobe Illustrator(TM) 5.5\n";
  const size_t at = original.find(creator);
  EXPECT_NE(at, std::string::npos);
  if (at != std::string::npos) {
    original.replace(at, creator.size(),
                     "%%Creator: Adobe Illustrator(R) 8.0\n%%AI8_CreatorVersion: 13.0.1\n");
  }
  std::string postscript;
  int line = 0;
  for (const char c : original) {
    if (c != '\n') {
      postscript += c;
    } else {
      postscript += line % 3 == 0 ? "\r" : line % 3 == 1 ? "\r\n" : "\n";
      ++line;
    }
  }
  const std::string preview("II*\0\x08\0\0\0\xff\xfe\0\x01", 12);
  const auto word = [](uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
  };
  const uint32_t start = 30;
  const uint32_t size = static_cast<uint32_t>(postscript.size());
  return std::string("\xC5\xD0\xD3\xC6", 4) + word(start) + word(size) + word(0) + word(0) +
         word(start + size) + word(static_cast<uint32_t>(preview.size())) + "\xFF\xFF" +
         postscript + preview;
}

TEST(ReaderRealDrawings, LaterSaveBehindADosHeaderWithMixedLineEndsReadsAsTheOriginal) {
  TFileResult original;
  ReadFile(RealDrawing("tcl-tk-logo-ai55.eps"), original);
  TTempFile later(LaterSaveOfTheTclLogo());
  TFileResult variant;
  ReadFile(later.Name(), variant);
  ASSERT_TRUE(variant.Ok);
  ASSERT_EQ(variant.ShapeCount(), original.ShapeCount());
  for (int i = 0; i < original.ShapeCount(); ++i) {
    EXPECT_EQ(variant.Shape(i).Curve()->PathCount(), original.Shape(i).Curve()->PathCount());
    EXPECT_EQ(variant.Shape(i).Color().Fill, original.Shape(i).Color().Fill);
    EXPECT_EQ(variant.Shape(i).BoundBox().Left, original.Shape(i).BoundBox().Left);
    EXPECT_EQ(variant.Shape(i).BoundBox().Top, original.Shape(i).BoundBox().Top);
  }
}

TEST(ReaderRealDrawings, FileAndMemoryReadAlike) {
  TTempFile later(LaterSaveOfTheTclLogo());
  TFileResult fromFile;
  ReadFile(later.Name(), fromFile);
  const TReadResult fromMemory = ReadBytes(LaterSaveOfTheTclLogo());
  ASSERT_EQ(fromFile.ShapeCount(), fromMemory.ShapeCount());
  for (int i = 0; i < fromFile.ShapeCount(); ++i) {
    EXPECT_EQ(fromFile.Shape(i).Curve()->PathCount(), fromMemory.Shape(i).Curve()->PathCount());
    EXPECT_EQ(fromFile.Shape(i).Color().Fill, fromMemory.Shape(i).Color().Fill);
  }
  EXPECT_EQ(fromFile.ProgressCalls, fromMemory.ProgressCalls);
}

TEST(ReaderProgress, RisesToSeventyOnlyOnChangesAndReturnsToZero) {
  TFileResult r;
  ReadFile(RealDrawing("tcl-tk-logo-ai55.eps"), r);
  ASSERT_TRUE(r.Ok);
  const std::vector<int>& calls = r.ProgressCalls;
  ASSERT_GE(calls.size(), 3u);
  // Every position but the last is followed by processing the pending messages.
  EXPECT_EQ(calls.back(), 0);
  int last = 0;
  for (size_t i = 0; i + 1 < calls.size(); i += 2) {
    EXPECT_GT(calls[i], last) << "call " << i;
    EXPECT_EQ(calls[i + 1], TRecordingProgress::kProcessed);
    last = calls[i];
  }
  EXPECT_EQ(calls.size() % 2, 1u);
  // The file ends with a line end, so the last line takes the bar to 70.
  EXPECT_EQ(last, 70);
}

TEST(ReaderProgress, SmallDrawingAndDrawingWithoutSignature) {
  // Line ends after 15, 28 and 39 of 39 bytes: Trunc(15 * 70 / 39) = 26, Trunc(28 * 70 / 39) = 50.
  const TReadResult r = ReadBytes("%!PS-Adobe-3.0\nxxxxxxxxxxxx\n0123456789\n");
  EXPECT_EQ(r.ProgressCalls, (std::vector<int>{26, TRecordingProgress::kProcessed, 50,
                                               TRecordingProgress::kProcessed, 70,
                                               TRecordingProgress::kProcessed, 0}));
  const TReadResult none = ReadBytes("no signature\n");
  EXPECT_EQ(none.ProgressCalls, (std::vector<int>{70, TRecordingProgress::kProcessed, 0}));
  EXPECT_FALSE(none.Ok);
}

TEST(ReaderFailures, MissingFileIsAnOpenError) {
  TFileResult r;
  ReadFile(::testing::TempDir() + "plavo_reader_no_such_file.ai", r);
  ExpectFailedOpen(r);
  EXPECT_TRUE(r.ProgressCalls.empty());
}

TEST(ReaderFailures, FileThatCannotBeReadIsAnOpenError) {
  // A directory exists but has no bytes to read.
  TFileResult dir;
  ReadFile(::testing::TempDir(), dir);
  ExpectFailedOpen(dir);
#ifdef __linux__
  // A regular file whose read fails part-way: reading a process's memory from address 0.
  TFileResult unreadable;
  ReadFile("/proc/self/mem", unreadable);
  ExpectFailedOpen(unreadable);
  EXPECT_EQ(unreadable.ProgressCalls.back(), 0);
#endif
}

TEST(ReaderFailures, FileWithoutPermission) {
  TTempFile file("%!PS-Adobe-3.0\n0 0 m\n10 0 l\nf\n");
  fs::permissions(file.Name(), fs::perms::none);
  if (access(file.Name().c_str(), R_OK) == 0) {
    GTEST_SKIP() << "permissions do not apply to this user";
  }
  TFileResult r;
  ReadFile(file.Name(), r);
  ExpectFailedOpen(r);
}

TEST(ReaderFailures, FileWithoutSignature) {
  TTempFile file("0 0 m\n10 0 l\nf\n");
  TFileResult r;
  ReadFile(file.Name(), r);
  ExpectFailedOpen(r);
}

TEST(ReaderFiles, ColoursDoNotCarryFromOneFileToTheNext) {
  TTempFile white("%!PS-Adobe-3.0\n1 g\n1 G\n0 0 m\n10 0 l\nf\n");
  TFileResult first;
  ReadFile(white.Name(), first);
  ASSERT_EQ(first.ShapeCount(), 1);
  ASSERT_EQ(first.Shape(0).Color().Fill, 16777215);
  TFileResult second;
  ReadFile(RealDrawing("tcl-tk-logo-ai55.eps"), second);
  TTempFile plain("%!PS-Adobe-3.0\n0 0 m\n10 0 l\nf\n");
  TFileResult third;
  ReadFile(plain.Name(), third);
  ASSERT_EQ(third.ShapeCount(), 1);
  EXPECT_EQ(third.Shape(0).Color().Fill, 0);
  EXPECT_EQ(third.Shape(0).Color().Outline, 0);
}

TEST(ReaderFiles, ReplacesTheCollection) {
  TTempFile file("%!PS-Adobe-3.0\n0 0 m\n10 0 l\nf\n");
  TFileResult r;
  ReadFile(file.Name(), r);
  EXPECT_TRUE(r.Ok);
  EXPECT_EQ(r.ShapeCount(), 1);  // the line shape held before is gone
}

}  // namespace plavo
