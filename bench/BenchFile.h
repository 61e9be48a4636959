// A generated drawing the reader benchmarks read: written once to the system's temporary folder
// and removed when the benchmark ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace plavo {

class TBenchFile {
 public:
  TBenchFile(const std::string& Name, const std::string& Text)
      : FName((std::filesystem::temp_directory_path() / Name).string()), FSize(Text.size()) {
    std::ofstream(FName, std::ios::binary) << Text;
  }
  ~TBenchFile() {
    std::error_code ignored;
    std::filesystem::remove(FName, ignored);
  }
  TBenchFile(const TBenchFile&) = delete;
  TBenchFile& operator=(const TBenchFile&) = delete;

  const std::string& Name() const { return FName; }
  size_t Size() const { return FSize; }

 private:
  std::string FName;
  size_t FSize = 0;
};

}  // namespace plavo
