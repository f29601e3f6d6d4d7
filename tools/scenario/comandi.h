// The authoring tool's commands. Each takes the arguments after its name and returns the exit
// status: 0 no error, 1 a recorded error, 2 a fatal error, 3 bad arguments or an unusable file.
#pragma once

#include <string>
#include <vector>

namespace valmarena::strumento {

int comando_sources(const std::vector<std::string>& args);
int comando_compile(const std::vector<std::string>& args);

}  // namespace valmarena::strumento
