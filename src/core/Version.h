// The program's version, as the build states it (the project version in CMakeLists.txt).
#pragma once

namespace plavo {

const char* PlavoVersion();

}  // namespace plavo
