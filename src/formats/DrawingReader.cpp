#include "formats/DrawingReader.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/ErrorTexts.h"
#include "formats/ai/VecFrmtAI.h"
#include "formats/dxf/DxfReader.h"
#include "formats/svg/SvgReader.h"

namespace plavo {

namespace {

// How much of a file decides its format.
constexpr size_t kHeadSize = 4096;
// SVG and DXF are read whole; a drawing beyond this is no drawing a shop cuts.
constexpr uintmax_t kMaxDrawingBytes = uintmax_t{1} << 30;

std::string_view SkipBlank(std::string_view Text) {
  if (Text.starts_with("\xEF\xBB\xBF")) Text.remove_prefix(3);  // UTF-8 byte order mark
  const size_t first = Text.find_first_not_of(" \t\r\n");
  return first == std::string_view::npos ? std::string_view() : Text.substr(first);
}

std::string_view FirstLine(std::string_view Text) {
  const size_t end = Text.find('\n');
  std::string_view line = Text.substr(0, end);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    line.remove_suffix(1);
  return line;
}

// A DXF file starts with a group: code 0 and "SECTION", or a 999 comment.
bool LooksLikeDxf(std::string_view Text) {
  const std::string_view code = FirstLine(Text);
  if (code != "0" && code != "999") return false;
  const size_t next = Text.find('\n');
  if (next == std::string_view::npos) return false;
  const std::string_view value = SkipBlank(Text.substr(next + 1));
  return code == "999" || FirstLine(value) == "SECTION";
}

constexpr const char* kOverBudgetWarning =
    "The drawing repeats its blocks or elements into more outlines than can be nested";

bool Fail(std::unique_ptr<TQarvShapes>& Shapes, TProgressSink& Progress, TMessageSink& Messages) {
  Shapes = std::make_unique<TQarvShapes>();
  Progress.SetPosition(0);
  Messages.ShowError(kErrorOpeningFile);
  return false;
}

bool ReadWhole(const std::string& FileName, std::string& Bytes) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::is_regular_file(FileName, error)) return false;
  const uintmax_t size = fs::file_size(FileName, error);
  if (error || size > kMaxDrawingBytes) return false;
  std::ifstream in(FileName, std::ios::binary);
  if (!in) return false;
  Bytes.resize(static_cast<size_t>(size));
  in.read(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  Bytes.resize(static_cast<size_t>(in.gcount()));
  return !in.bad();
}

bool ReadHead(const std::string& FileName, std::string& Head) {
  std::ifstream in(FileName, std::ios::binary);
  if (!in) return false;
  Head.resize(kHeadSize);
  in.read(Head.data(), static_cast<std::streamsize>(Head.size()));
  Head.resize(static_cast<size_t>(in.gcount()));
  return true;
}

// The SVG and DXF readers on bytes in memory, under the reader contract.
bool LoadVector(TDrawingFormat Format, std::string_view Bytes, std::unique_ptr<TQarvShapes>& Shapes,
                TProgressSink& Progress, TMessageSink& Messages) {
  Shapes = std::make_unique<TQarvShapes>();
  TReadNotes notes;
  const bool ok = Format == TDrawingFormat::Svg ? ReadSvgDrawing(Bytes, *Shapes, Progress, notes)
                                                : ReadDxfDrawing(Bytes, *Shapes, Progress, notes);
  if (!ok) {
    if (notes.OverBudget) Messages.ShowWarning(kOverBudgetWarning);
    return Fail(Shapes, Progress, Messages);
  }
  Progress.SetPosition(0);
  if (notes.SkippedTexts > 0) Messages.ShowWarning(SkippedTextWarning(notes.SkippedTexts));
  if (notes.NotCut > 0) Messages.ShowWarning(NotCutWarning(notes.NotCut));
  if (notes.OpenChains > 0) Messages.ShowWarning(OpenChainWarning(notes.OpenChains));
  return true;
}

}  // namespace

TDrawingFormat DetectDrawingFormat(std::string_view Head) {
  const std::string_view text = SkipBlank(Head);
  if (text.starts_with("<")) return TDrawingFormat::Svg;
  if (LooksLikeDxf(text)) return TDrawingFormat::Dxf;
  return TDrawingFormat::Illustrator;
}

std::string SkippedTextWarning(int Count) {
  return std::to_string(Count) + (Count == 1 ? " text was" : " texts were") +
         " skipped: convert text to paths to nest it";
}

std::string NotCutWarning(int Count) {
  return std::to_string(Count) + (Count == 1 ? " line was" : " lines were") +
         " skipped as not to cut: centre, hidden or phantom lines, Defpoints, LibreCAD stretch "
         "marks and layers that do not plot";
}

std::string OpenChainWarning(int Count) {
  return Count == 1 ? "1 open outline lies in no part and is nested as a part of its own"
                    : std::to_string(Count) +
                          " open outlines lie in no part and are nested as parts of their own";
}

bool LoadDrawingFile(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                     TProgressSink& Progress, TMessageSink& Messages) {
  std::string head;
  if (!ReadHead(FileName, head)) return LoadAIFile(FileName, Shapes, Progress, Messages);
  const TDrawingFormat format = DetectDrawingFormat(head);
  if (format == TDrawingFormat::Illustrator)
    return LoadAIFile(FileName, Shapes, Progress, Messages);
  std::string bytes;
  if (!ReadWhole(FileName, bytes)) return Fail(Shapes, Progress, Messages);
  return LoadVector(format, bytes, Shapes, Progress, Messages);
}

bool LoadDrawingBytes(std::string_view Bytes, std::unique_ptr<TQarvShapes>& Shapes,
                      TProgressSink& Progress, TMessageSink& Messages) {
  const TDrawingFormat format = DetectDrawingFormat(Bytes.substr(0, kHeadSize));
  if (format == TDrawingFormat::Illustrator) return LoadAIBytes(Bytes, Shapes, Progress, Messages);
  return LoadVector(format, Bytes, Shapes, Progress, Messages);
}

}  // namespace plavo
