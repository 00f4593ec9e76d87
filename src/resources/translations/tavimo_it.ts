<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT">
<context>
    <name>About</name>
    <message>
        <source>Tavimo build %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A small video player that draws its own subtitles.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Built with Qt 6 and GStreamer for Linux.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thanks to (a-z):</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Boxes</name>
    <message>
        <source>Move &quot;%1&quot; to the trash?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not move &quot;%1&quot; to the trash.
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ASX Playlists are not supported by this application.

Please select a valid media file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This program needs DirectX9,
a videocard with Direct3D and the latest videodrivers.
Go download them!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to load Windows Media content.
Perhaps you need to install Windows Media Player 9 or higher.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown Error: 0x%x</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The picture could not be made into a PNG.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The picture could not be read from the video.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every name for this moment is taken.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The screenshot could not be saved in the folder
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>an empty name was given for a file to write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>update-mime-database is not installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>update-mime-database failed on %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; may be %2 or another type, and its contents do not tell which</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the default application for %1 was not set: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no file extension, so no file type was registered.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; registered with Tavimo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; could not be registered with Tavimo:
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file could not be moved to the trash.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Playing video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Open Media File...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Font</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Color...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Color</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Subtitles File...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>The operation is not available here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The object does not offer the requested interface.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A required pointer was missing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The operation was cancelled.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The operation failed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An unexpected failure occurred.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Access to the file was refused.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is not enough memory for the operation.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An argument is not valid.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file could not be found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder of the file could not be found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The pins are not connected.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A required interface is not implemented.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The object or name was not found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No chain of elements could connect the stream.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No chain of elements could render the stream.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The pipeline is in the wrong state for the operation.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The media type is not accepted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An element with this name is already in the graph.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The media pipeline did not answer in time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file is not in the expected format.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The type of this file is not recognised.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No source could be loaded for this file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No decoder is installed for a stream of this file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No audio output is available.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The element is not in the graph.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file cannot be played: its format is not supported.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No handler is installed for this protocol (mms://).</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>Usage: tavimo [FILE-OR-URL]
Plays a video file or URL, with the subtitles found beside it.
Everything after the program name is one path; quotes around it are removed.

  --help     show this text and exit
  --version  show the version and exit
</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>Chapter %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>mono</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stereo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 ch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (no decoder)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open Video...	Ctrl+O</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Subtitles	Ctrl+S</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open URL	Ctrl+U</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Register Filetype For Current File	Ctrl+R</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete Current File	DEL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Screenshot	Shift+S</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Most Recent...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play	ENTER</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop	Esc</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause	SPACE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous File	PgUp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next File	PgDn</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5 Seconds Forward	&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>5 Seconds Back	&lt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next Chapter	Shift+PgDn</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous Chapter	Shift+PgUp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chapters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A-B Loop	L</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Faster	]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Slower	[</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Normal Speed	Backspace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next Frame	E</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous Frame	Shift+E</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Filters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Seekbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fullscreen	F</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fullscreen Resolution</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Default</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto Next</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Maintain Aspect Ratio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Always On Top</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Allow Multiple Instances</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep Window Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View Subtitles	C</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set Subtitle Font</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subtitle Track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Audio Track</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subtitle Encoding</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subtitle Styles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resume Playback</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help	F1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check For Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About Tavimo...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Notes</name>
    <message>
        <source>Chapter %1/%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chapter %1/%2: %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loop: %1 –</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loop: %1 – %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loop off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Speed: %1×</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Seekbar</name>
    <message>
        <source>%1 / %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Toolbar</name>
    <message>
        <source>Open Video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Subtitles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fullscreen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tavimo::CAboutDlg</name>
    <message>
        <source>About Tavimo</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tavimo::COpenURL</name>
    <message>
        <source>Enter URL</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tavimo::CSliders</name>
    <message>
        <source>Volume</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
