#include "formats/DrawingReader.h"

#include "core/ErrorTexts.h"
#include "core/InputFile.h"
#include "core/ReadProblem.h"
#include "formats/ReadNotes.h"
#include "formats/ai/VecFrmtAI.h"
#include "formats/dxf/DxfReader.h"
#include "formats/svg/SvgReader.h"

namespace plavo {

namespace {

// How much of a file decides its format.
constexpr size_t kHeadSize = 4096;

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

bool Fail(std::unique_ptr<TQarvShapes>& Shapes, TProgressSink& Progress, TMessageSink& Messages,
          TReadProblem& Problem, TReadProblem Why) {
  Problem = std::move(Why);
  Shapes = std::make_unique<TQarvShapes>();
  Progress.SetPosition(0);
  Messages.ShowError(kErrorOpeningFile);
  return false;
}

// The SVG and DXF readers on bytes in memory, under the reader contract.
bool LoadVector(TDrawingFormat Format, std::string_view Bytes, std::unique_ptr<TQarvShapes>& Shapes,
                TProgressSink& Progress, TMessageSink& Messages, TReadProblem& Problem) {
  Shapes = std::make_unique<TQarvShapes>();
  TReadNotes notes;
  const bool ok = Format == TDrawingFormat::Svg ? ReadSvgDrawing(Bytes, *Shapes, Progress, notes)
                                                : ReadDxfDrawing(Bytes, *Shapes, Progress, notes);
  if (!ok) return Fail(Shapes, Progress, Messages, Problem, RefusalOf(notes));
  Progress.SetPosition(0);
  ShowReadWarnings(notes, Messages);
  return true;
}

}  // namespace

TDrawingFormat DetectDrawingFormat(std::string_view Head) {
  const std::string_view text = SkipBlank(Head);
  if (text.starts_with("<")) return TDrawingFormat::Svg;
  if (LooksLikeDxf(text)) return TDrawingFormat::Dxf;
  return TDrawingFormat::Illustrator;
}

bool LoadDrawingFile(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                     TProgressSink& Progress, TMessageSink& Messages, TReadProblem& Problem) {
  TInputFile file;
  std::string head(kHeadSize, '\0');
  size_t got = 0;
  const auto fileFails = [&] {
    return Fail(Shapes, Progress, Messages, Problem, {file.Problem()});
  };
  if (!file.Open(FileName, kMaxDrawingBytes) || !file.Read(head.data(), head.size(), got))
    return fileFails();
  head.resize(got);
  const TDrawingFormat format = DetectDrawingFormat(head);
  if (!file.Rewind()) return fileFails();
  if (format == TDrawingFormat::Illustrator)
    return LoadAIInput(file, Shapes, Progress, Messages, Problem);
  std::string bytes;
  if (!file.ReadRest(bytes)) return fileFails();
  return LoadVector(format, bytes, Shapes, Progress, Messages, Problem);
}

bool LoadDrawingFile(const std::string& FileName, std::unique_ptr<TQarvShapes>& Shapes,
                     TProgressSink& Progress, TMessageSink& Messages) {
  TReadProblem problem;
  return LoadDrawingFile(FileName, Shapes, Progress, Messages, problem);
}

bool LoadDrawingBytes(std::string_view Bytes, std::unique_ptr<TQarvShapes>& Shapes,
                      TProgressSink& Progress, TMessageSink& Messages, TReadProblem& Problem) {
  const TDrawingFormat format = DetectDrawingFormat(Bytes.substr(0, kHeadSize));
  if (format == TDrawingFormat::Illustrator)
    return LoadAIBytes(Bytes, Shapes, Progress, Messages, Problem);
  return LoadVector(format, Bytes, Shapes, Progress, Messages, Problem);
}

}  // namespace plavo
