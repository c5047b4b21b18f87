#include "ProcessMemory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace bench_support {

long peakMemoryKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            std::istringstream fields(line.substr(6));
            long kb = -1;
            fields >> kb;
            return kb;
        }
    }
    return -1;
}

} // namespace bench_support
