// "tavimo --sync-subtitles SUBTITLE CLIP [-o OUT.srt]": the subtitle
// synchroniser without a window.
#pragma once

namespace tavimo {

// Whether the command line asks for the synchroniser.
bool IsSyncCommandLine(int argc, char** argv);

// Matches SUBTITLE to CLIP's speech and prints one line ("delay +2.350 s")
// on standard output; with -o also writes the corrected SubRip file there.
// Returns the exit status: 0 matched, 1 refused ("no match: <reason>" on
// standard error), 2 bad arguments (usage on standard error). Main thread.
int RunSyncCommandLine(int argc, char** argv);

}  // namespace tavimo
