// subtitle-dump FILE: reads a subtitle file with the reader the player would
// choose for it and prints what it found, one entry per line:
//   start end startFrame endFrame lines text
// with line feeds in the text written as \n and backslashes as \\, then
// "entries N". Exit status 0; 1 when the file cannot be opened; 2 when no
// reader handles its extension ("unsupported").
#include <cstdio>
#include <string>

#include "subtitles/file_names.h"
#include "subtitles/subtitle_reader.h"

namespace {

using tavimo::SubtitleReader;

struct ReaderChoice {
    const char* extension;
    bool (*read)(SubtitleReader&);
};
constexpr ReaderChoice kReaders[] = {
    {"srt", tavimo::ReadSubRip},
    {"txt", tavimo::ReadSubRip},
    {"sub", tavimo::ReadMicroDvd},
};

std::string Escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: subtitle-dump FILE\n");
        return 2;
    }
    const std::string path = argv[1];
    const std::string extension = tavimo::FileExtension(path);
    bool (*read)(SubtitleReader&) = nullptr;
    for (const ReaderChoice& choice : kReaders) {
        if (extension == choice.extension) {
            read = choice.read;
        }
    }
    if (read == nullptr) {
        printf("unsupported\n");
        return 2;
    }
    SubtitleReader reader;
    if (!reader.OpenSubtitleFile(path)) {
        fprintf(stderr, "subtitle-dump: cannot open %s\n", path.c_str());
        return 1;
    }
    read(reader);
    for (const tavimo::SubtitleEntry& e : reader.entries()) {
        printf("%lld %lld %d %d %d %s\n", static_cast<long long>(e.start),
               static_cast<long long>(e.end), e.startFrame, e.endFrame, e.lines,
               Escaped(e.text).c_str());
    }
    printf("entries %zu\n", reader.entries().size());
    return 0;
}
