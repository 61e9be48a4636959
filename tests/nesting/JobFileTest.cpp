// The job file: saved and opened again to the same result, a missing or changed drawing named.
#include "nesting/JobFile.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "nesting/NestRunTestSupport.h"

namespace plavo {

using namespace nest_test;

TEST(JobFile, ReopensToTheSameResultAndNamesAMissingDrawing) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("plavo-jobfile-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "drawings");
  const std::string drawing = (dir / "drawings" / "parts.ai").string();
  std::filesystem::copy_file(std::string(PLAVO_TESTDATA_DIR) + "/esicup-ai/fu.ai", drawing,
                             std::filesystem::copy_options::overwrite_existing);
  TNestJob job;
  ASSERT_NO_FATAL_FAILURE(OpenDrawingInto(job, drawing));
  ASSERT_TRUE(job.SetCopies(1, 3).Complete());
  job.ApplyUserCode(4, 0x400, true);  // 180 deg.
  TNestSettings settings;
  settings.Media_Width = 2000;
  settings.Media_Height = 2000;
  settings.Distance = 3.5;
  const std::string file = (dir / "job.plavo").string();
  std::string error;
  ASSERT_TRUE(SaveJobFile(file, job, settings, error)) << error;
  std::ifstream in(file);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("\"drawings/parts.ai\""), std::string::npos) << "relative: " << text;

  TNestJob reopened;
  TNestSettings preset;
  preset.Orientation_distance = 321;  // not named by the job: stays
  const TNestOutcome opened = OpenJobFile(file, reopened, preset);
  ASSERT_TRUE(opened.Complete()) << opened.Reason;
  EXPECT_EQ(preset.Distance, 3.5);
  EXPECT_EQ(reopened.Copies(1), 3);
  EXPECT_EQ(reopened.UserAttr(4), job.UserAttr(4));
  const TRunOutcome a = job.Run(settings, Seeded(9));
  const TRunOutcome b = reopened.Run(preset, Seeded(9));
  ASSERT_EQ(a.Result.Place.size(), b.Result.Place.size());
  for (size_t i = 0; i < a.Result.Place.size(); ++i) {
    EXPECT_EQ(a.Result.Place[i].x, b.Result.Place[i].x) << i;
    EXPECT_EQ(a.Result.Place[i].y, b.Result.Place[i].y) << i;
  }

  std::filesystem::remove(drawing);
  TNestJob missing;
  TNestSettings unchanged;
  const TNestOutcome refused = OpenJobFile(file, missing, unchanged);
  ASSERT_TRUE(refused.Refused());
  EXPECT_NE(refused.Reason.find("parts.ai"), std::string::npos) << refused.Reason;
  EXPECT_EQ(unchanged.Distance, TNestSettings{}.Distance);
  // A drawing whose shapes changed is no silent mismatch.
  std::filesystem::copy_file(std::string(PLAVO_TESTDATA_DIR) + "/esicup-ai/albano.ai", drawing);
  const TNestOutcome changed = OpenJobFile(file, missing, unchanged);
  ASSERT_TRUE(changed.Refused());
  EXPECT_NE(changed.Reason.find("has changed"), std::string::npos) << changed.Reason;
  std::filesystem::remove_all(dir);
}

}  // namespace plavo
