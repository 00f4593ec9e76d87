// Files and shell commands for the tests' own tools (ffmpeg, gst-launch,
// pactl, xdotool, gio...): their text, their output, whether they worked.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace tavimo::test {

// The whole of the file at `path`, as bytes; "" when it cannot be read.
inline std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// What `command` writes to its standard output; "" when it cannot start.
// `status`, when given, takes its wait status (-1: it could not start).
inline std::string CommandOutput(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char chunk[4096];
    for (size_t n = 0; pipe && (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        out.append(chunk, n);
    const int ended = pipe ? pclose(pipe) : -1;
    if (status)
        *status = ended;
    return out;
}

// Runs a shell command, its output thrown away; true when it exits with 0.
inline bool Quietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}
inline bool Ffmpeg(const std::string& arguments) {
    return Quietly("ffmpeg -v error -y " + arguments);
}
inline bool Launch(const std::string& pipeline) {
    return Quietly("gst-launch-1.0 -q " + pipeline);
}

}  // namespace tavimo::test
