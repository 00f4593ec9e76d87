#include "app/run_player.h"

namespace tavimo {

std::string CommandLinePath(int argc, char** argv) {
    std::string path;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            path += ' ';
        }
        path += argv[i];
    }
    const size_t first = path.find_first_not_of('"');
    if (first == std::string::npos) {
        return {};
    }
    const size_t last = path.find_last_not_of('"');
    return path.substr(first, last - first + 1);
}

}  // namespace tavimo
