#include "core/ReadProblem.h"

namespace plavo {

std::string ReadProblemWords(std::string Text, size_t Count) {
  const size_t at = Text.find("%1");
  if (at != std::string::npos) Text.replace(at, 2, std::to_string(Count));
  return Text;
}

}  // namespace plavo
