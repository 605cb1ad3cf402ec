// One line of the virtual mouse's control language, run in this process
// without the socket: for tests whose headers cannot also hold the rig's.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> virtualMouseCommand(const std::string& line);
