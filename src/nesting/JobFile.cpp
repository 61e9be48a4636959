#include "nesting/JobFile.h"

#include <cctype>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/AtomicFile.h"
#include "core/InputFile.h"
#include "formats/DrawingReader.h"

namespace plavo {

namespace {

using TJson = nlohmann::ordered_json;
namespace fs = std::filesystem;

// The settings by the names of the window's controls.
template <typename T>
struct TNamedSetting {
  const char* Name;
  T TNestSettings::*Field;
};
constexpr TNamedSetting<double> kNumbers[] = {
    {"Media_Width", &TNestSettings::Media_Width},
    {"Media_Height", &TNestSettings::Media_Height},
    {"Margin", &TNestSettings::Margin},
    {"Padding", &TNestSettings::Padding},
    {"Distance", &TNestSettings::Distance},
    {"Orientation_distance", &TNestSettings::Orientation_distance},
};
constexpr TNamedSetting<int> kIndices[] = {
    {"Rotate_90", &TNestSettings::Rotate_90},
    {"Approximation_CB", &TNestSettings::Approximation_CB},
    {"Media_ByColor", &TNestSettings::Media_ByColor},
    {"Origin_point", &TNestSettings::Origin_point},
    {"Fitting_CB", &TNestSettings::Fitting_CB},
    {"Orientation_CB", &TNestSettings::Orientation_CB},
};
constexpr TNamedSetting<bool> kFlags[] = {
    {"Inside_Check", &TNestSettings::Inside_Check},
    {"Genetics_Check", &TNestSettings::Genetics_Check},
};

bool Fail(std::string& Error, std::string Message) {
  Error = std::move(Message);
  return false;
}

fs::path FolderOf(const std::string& FileName) {
  return fs::absolute(fs::path(FileName)).parent_path();
}

// Relative to the job file's folder when the drawing lies below it or beside it on the same
// root; absolute otherwise.
std::string StoredPath(const std::string& Drawing, const fs::path& Folder) {
  const fs::path absolute = fs::absolute(fs::path(Drawing)).lexically_normal();
  const fs::path relative = absolute.lexically_relative(Folder.lexically_normal());
  return relative.empty() ? absolute.string() : relative.generic_string();
}

std::string ResolvedPath(const std::string& Stored, const fs::path& Folder) {
  const fs::path p(Stored);
  return p.is_absolute() ? p.string() : (Folder / p).lexically_normal().string();
}

TJson SettingsJson(const TNestSettings& S) {
  TJson j;
  for (const auto& n : kNumbers) j[n.Name] = S.*n.Field;
  for (const auto& n : kIndices) j[n.Name] = S.*n.Field;
  for (const auto& n : kFlags) j[n.Name] = S.*n.Field;
  return j;
}

// A named setting of the right type replaces the preset's; anything else is an error.
bool ReadSettings(const TJson& J, TNestSettings& S, std::string& Error) {
  if (!J.is_object()) return Fail(Error, "\"settings\" is not an object");
  for (const auto& n : kNumbers) {
    if (!J.contains(n.Name)) continue;
    if (!J[n.Name].is_number()) return Fail(Error, std::string(n.Name) + " is not a number");
    S.*n.Field = J[n.Name].get<double>();
  }
  for (const auto& n : kIndices) {
    if (!J.contains(n.Name)) continue;
    if (!J[n.Name].is_number_integer())
      return Fail(Error, std::string(n.Name) + " is not a whole number");
    S.*n.Field = J[n.Name].get<int>();
  }
  for (const auto& n : kFlags) {
    if (!J.contains(n.Name)) continue;
    if (!J[n.Name].is_boolean()) return Fail(Error, std::string(n.Name) + " is not true or false");
    S.*n.Field = J[n.Name].get<bool>();
  }
  S = LimitNestSettings(S);
  return true;
}

bool ReadInt(const TJson& J, const char* Name, int Low, int High, int& Value, std::string& Error) {
  if (!J.contains(Name)) return true;  // the default stays
  const TJson& v = J[Name];
  if (!v.is_number_integer() || v.get<int64_t>() < Low || v.get<int64_t>() > High) {
    Error = std::string("\"") + Name + "\" must be a whole number in " + std::to_string(Low) +
            " .. " + std::to_string(High);
    return false;
  }
  Value = v.get<int>();
  return true;
}

bool ReadDrawings(const TJson& J, TJobFileContent& C, std::string& Error) {
  if (!J.is_array() || J.empty()) return Fail(Error, "no drawings");
  int64_t shapes = 0;
  for (const TJson& d : J) {
    if (!d.is_object() || !d.contains("file") || !d["file"].is_string()) {
      return Fail(Error, "a drawing without its file");
    }
    TJobFileDrawing drawing;
    drawing.File = d["file"].get<std::string>();
    if (!ReadInt(d, "shapes", 0, kMaxNestRecords, drawing.Shapes, Error)) return false;
    shapes += drawing.Shapes;
    C.Drawings.push_back(std::move(drawing));
  }
  if (shapes > kMaxNestRecords) return Fail(Error, "more shapes than can be nested");
  return true;
}

bool ReadShapes(const TJson& J, TJobFileContent& C, std::string& Error) {
  size_t expected = 0;
  for (const TJobFileDrawing& d : C.Drawings) expected += static_cast<size_t>(d.Shapes);
  if (!J.is_array() || J.size() != expected) {
    return Fail(Error, "\"shapes\" must list the " + std::to_string(expected) + " shapes");
  }
  for (const TJson& s : J) {
    if (!s.is_object()) return Fail(Error, "a shape is not an object");
    TJobFileShape shape;
    int attr = kUserAttrDefault;
    if (!ReadInt(s, "copies", 1, kMaxCopies, shape.Copies, Error) ||
        !ReadInt(s, "attr", 0, 0xFFFF, attr, Error))
      return false;
    shape.UserAttr = attr;
    C.Shapes.push_back(shape);
  }
  return true;
}

bool ReadJobText(const std::string& FileName, std::string& Text, std::string& Error) {
  TInputFile in;
  if (!in.Open(FileName, kMaxJobFileBytes) || !in.ReadRest(Text)) {
    Error = "\"" + FileName + "\": " + in.Problem();
    return false;
  }
  return true;
}

// The drawings of C read into a job of their own; refused naming the drawing that is missing,
// unreadable or changed.
TNestOutcome LoadDrawings(const TJobFileContent& C, const fs::path& Folder, TNestJob& Job,
                          TNestControl* Control) {
  TNestControl quiet;
  TNestControl& sink = Control != nullptr ? *Control : quiet;
  TNestOutcome all;
  for (const TJobFileDrawing& d : C.Drawings) {
    const std::string path = ResolvedPath(d.File, Folder);
    std::unique_ptr<TQarvShapes> shapes;
    if (!LoadDrawingFile(path, shapes, sink, sink) || shapes == nullptr) {
      return Refusal(TFailureSource::Drawing,
                     "the job's drawing \"" + path + "\" cannot be read (" +
                         (fs::exists(path) ? "unreadable" : "missing") + ")");
    }
    if (shapes->ShapeCount() != d.Shapes) {
      return Refusal(TFailureSource::Drawing,
                     "the job's drawing \"" + path + "\" has changed: the job counts " +
                         std::to_string(d.Shapes) + " shapes, the drawing holds " +
                         std::to_string(shapes->ShapeCount()));
    }
    const TNestOutcome loaded = Job.Drawings().empty() ? Job.Load(std::move(shapes), Control, path)
                                                       : Job.Add(std::move(shapes), path, Control);
    if (loaded.Refused()) return Refusal(loaded.Source, "\"" + path + "\": " + loaded.Reason);
    if (!loaded.Partial()) continue;
    if (all.Complete()) {
      all = loaded;
    } else {
      all.Lost.insert(all.Lost.end(), loaded.Lost.begin(), loaded.Lost.end());
    }
  }
  return all;
}

}  // namespace

bool IsJobFileName(const std::string& FileName) {
  std::string ext = fs::path(FileName).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == kJobFileExtension;
}

std::string JobFileText(const std::string& FileName, const TNestJob& Job,
                        const TNestSettings& Settings) {
  const fs::path folder = FolderOf(FileName);
  TJson j;
  j["plavo_job"] = kJobFileVersion;
  j["drawings"] = TJson::array();
  for (const TJobDrawing& d : Job.Drawings()) {
    j["drawings"].push_back({{"file", StoredPath(d.File, folder)}, {"shapes", d.ShapeCount}});
  }
  j["shapes"] = TJson::array();
  for (int s = 0; s < Job.ShapeCount(); ++s) {
    j["shapes"].push_back({{"copies", Job.Copies(s)}, {"attr", Job.UserAttr(s)}});
  }
  j["settings"] = SettingsJson(Settings);
  return j.dump(1) + "\n";
}

bool ParseJobFile(const std::string& Text, const TNestSettings& Preset, TJobFileContent& Content,
                  std::string& Error) {
  const TJson j = TJson::parse(Text, nullptr, false);
  if (j.is_discarded() || !j.is_object() || !j.contains("plavo_job")) {
    Error = "not a job file";
    return false;
  }
  if (!j["plavo_job"].is_number_integer() || j["plavo_job"].get<int64_t>() < 1) {
    Error = "not a job file (no version)";
    return false;
  }
  if (j["plavo_job"].get<int64_t>() > kJobFileVersion) {
    Error = "a job file of a newer version (" + std::to_string(j["plavo_job"].get<int64_t>()) +
            ") than this program reads (" + std::to_string(kJobFileVersion) + ")";
    return false;
  }
  Content = TJobFileContent{};
  Content.Settings = Preset;
  if (!ReadDrawings(j.value("drawings", TJson()), Content, Error)) return false;
  if (!ReadShapes(j.value("shapes", TJson()), Content, Error)) return false;
  return !j.contains("settings") || ReadSettings(j["settings"], Content.Settings, Error);
}

bool SaveJobFile(const std::string& FileName, const TNestJob& Job, const TNestSettings& Settings,
                 std::string& Error) {
  for (const TJobDrawing& d : Job.Drawings()) {
    if (d.File.empty()) {
      Error = "\"" + FileName + "\": a drawing of the job has no file to refer to";
      return false;
    }
  }
  return WriteFileAtomically(FileName, JobFileText(FileName, Job, Settings), Error);
}

TNestOutcome OpenJobFile(const std::string& FileName, TNestJob& Job, TNestSettings& Settings,
                         TNestControl* Control) {
  std::string text;
  std::string error;
  if (!ReadJobText(FileName, text, error)) return Refusal(TFailureSource::Drawing, error);
  TJobFileContent content;
  if (!ParseJobFile(text, Settings, content, error)) {
    return Refusal(TFailureSource::Drawing, "\"" + FileName + "\": " + error);
  }
  TNestJob job;
  TNestOutcome loaded = LoadDrawings(content, FolderOf(FileName), job, Control);
  if (loaded.Refused()) return loaded;
  for (int s = 0; s < job.ShapeCount(); ++s) {
    job.SetUserAttr(s, content.Shapes[static_cast<size_t>(s)].UserAttr);
  }
  for (int s = 0; s < job.ShapeCount(); ++s) {
    const TNestOutcome copies = job.SetCopies(s, content.Shapes[static_cast<size_t>(s)].Copies);
    if (copies.Refused()) return Refusal(copies.Source, "\"" + FileName + "\": " + copies.Reason);
  }
  Job = std::move(job);
  Settings = content.Settings;
  return loaded;
}

}  // namespace plavo
