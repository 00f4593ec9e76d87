<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>About</name>
    <message>
        <source>Tavimo build %1</source>
        <translation>Tavimo Build %1</translation>
    </message>
    <message>
        <source>A small video player that draws its own subtitles.</source>
        <translation>Ein kleiner Videoplayer, der seine Untertitel selbst zeichnet.</translation>
    </message>
    <message>
        <source>Built with Qt 6 and GStreamer for Linux.</source>
        <translation>Erstellt mit Qt 6 und GStreamer für Linux.</translation>
    </message>
    <message>
        <source>Thanks to (a-z):</source>
        <translation>Dank an (a–z):</translation>
    </message>
</context>
<context>
    <name>Boxes</name>
    <message>
        <source>Move &quot;%1&quot; to the trash?</source>
        <translation>„%1“ in den Papierkorb verschieben?</translation>
    </message>
    <message>
        <source>Could not move &quot;%1&quot; to the trash.
%2</source>
        <translation>„%1“ konnte nicht in den Papierkorb verschoben werden.
%2</translation>
    </message>
    <message>
        <source>ASX Playlists are not supported by this application.

Please select a valid media file.</source>
        <translation>ASX-Wiedergabelisten werden von diesem Programm nicht unterstützt.

Bitte wählen Sie eine gültige Mediendatei.</translation>
    </message>
    <message>
        <source>This program needs DirectX9,
a videocard with Direct3D and the latest videodrivers.
Go download them!</source>
        <translation>Dieses Programm benötigt DirectX 9,
eine Grafikkarte mit Direct3D und aktuelle Grafiktreiber.
Bitte laden Sie sie herunter!</translation>
    </message>
    <message>
        <source>Failed to load Windows Media content.
Perhaps you need to install Windows Media Player 9 or higher.</source>
        <translation>Windows-Media-Inhalte konnten nicht geladen werden.
Eventuell muss Windows Media Player 9 oder neuer installiert werden.</translation>
    </message>
    <message>
        <source>Unknown Error: 0x%x</source>
        <translation>Unbekannter Fehler: 0x%x</translation>
    </message>
    <message>
        <source>The picture could not be made into a PNG.</source>
        <translation>Das Bild konnte nicht in ein PNG umgewandelt werden.</translation>
    </message>
    <message>
        <source>The picture could not be read from the video.</source>
        <translation>Das Bild konnte nicht aus dem Video gelesen werden.</translation>
    </message>
    <message>
        <source>Every name for this moment is taken.</source>
        <translation>Alle Dateinamen für diesen Zeitpunkt sind bereits vergeben.</translation>
    </message>
    <message>
        <source>The screenshot could not be saved in the folder
%1</source>
        <translation>Das Bildschirmfoto konnte nicht gespeichert werden im Ordner
%1</translation>
    </message>
    <message>
        <source>an empty name was given for a file to write</source>
        <translation>für eine zu schreibende Datei wurde ein leerer Name angegeben</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>update-mime-database is not installed</source>
        <translation>update-mime-database ist nicht installiert</translation>
    </message>
    <message>
        <source>update-mime-database failed on %1</source>
        <translation>update-mime-database ist an %1 gescheitert</translation>
    </message>
    <message>
        <source>&quot;%1&quot; may be %2 or another type, and its contents do not tell which</source>
        <translation>„%1“ kann %2 oder ein anderer Typ sein, und der Inhalt verrät nicht, welcher</translation>
    </message>
    <message>
        <source>the default application for %1 was not set: %2</source>
        <translation>die Standardanwendung für %1 wurde nicht festgelegt: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no file extension, so no file type was registered.</source>
        <translation>„%1“ hat keine Dateiendung, daher wurde kein Dateityp registriert.</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; registered with Tavimo</source>
        <translation>Dateityp „%1“ wurde für Tavimo registriert</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; could not be registered with Tavimo:
%2</source>
        <translation>Dateityp „%1“ konnte nicht für Tavimo registriert werden:
%2</translation>
    </message>
    <message>
        <source>The file could not be moved to the trash.</source>
        <translation>Die Datei konnte nicht in den Papierkorb verschoben werden.</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation type="vanished">Die Untertitel konnten nicht an die Sprache angeglichen werden</translation>
    </message>
    <message>
        <source>the desktop entry %1 is not usable</source>
        <translation>die Desktop-Datei %1 ist nicht verwendbar</translation>
    </message>
    <message>
        <source>mimeapps.list could not be written</source>
        <translation>mimeapps.list konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>The subtitle file &quot;%1&quot; cannot be read.

Tavimo reads SubRip (.srt, .txt), MicroDVD (.sub) and SSA/ASS (.ssa, .ass) files of up to %2 MB.</source>
        <translation>Die Untertiteldatei „%1“ kann nicht gelesen werden.

Tavimo liest SubRip- (.srt, .txt), MicroDVD- (.sub) und SSA/ASS-Dateien (.ssa, .ass) bis %2 MB.</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Playing video</source>
        <translation>Video wird abgespielt</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Vollbild</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Open Media File...</source>
        <translation>Mediendatei öffnen...</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Schriftart</translation>
    </message>
    <message>
        <source>&amp;Color...</source>
        <translation>&amp;Farbe...</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>Open Subtitles File...</source>
        <translation>Untertiteldatei öffnen...</translation>
    </message>
    <message>
        <source>Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)</source>
        <translation>Unterstützte Dateien (*.srt;*.txt;*.sub;*.ass;*.ssa)</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>The operation is not available here.</source>
        <translation>Dieser Vorgang ist hier nicht verfügbar.</translation>
    </message>
    <message>
        <source>The object does not offer the requested interface.</source>
        <translation>Das Objekt bietet die angeforderte Schnittstelle nicht an.</translation>
    </message>
    <message>
        <source>A required pointer was missing.</source>
        <translation>Ein benötigter Zeiger fehlte.</translation>
    </message>
    <message>
        <source>The operation was cancelled.</source>
        <translation>Der Vorgang wurde abgebrochen.</translation>
    </message>
    <message>
        <source>The operation failed.</source>
        <translation>Der Vorgang ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>An unexpected failure occurred.</source>
        <translation>Ein unerwarteter Fehler ist aufgetreten.</translation>
    </message>
    <message>
        <source>Access to the file was refused.</source>
        <translation>Der Zugriff auf die Datei wurde verweigert.</translation>
    </message>
    <message>
        <source>There is not enough memory for the operation.</source>
        <translation>Für den Vorgang ist nicht genügend Speicher vorhanden.</translation>
    </message>
    <message>
        <source>An argument is not valid.</source>
        <translation>Ein Argument ist ungültig.</translation>
    </message>
    <message>
        <source>The file could not be found.</source>
        <translation>Die Datei wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>The folder of the file could not be found.</source>
        <translation>Der Ordner der Datei wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>The pins are not connected.</source>
        <translation>Die Pins sind nicht verbunden.</translation>
    </message>
    <message>
        <source>A required interface is not implemented.</source>
        <translation>Eine benötigte Schnittstelle ist nicht implementiert.</translation>
    </message>
    <message>
        <source>The object or name was not found.</source>
        <translation>Das Objekt oder der Name wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>No chain of elements could connect the stream.</source>
        <translation>Keine Kette von Elementen konnte den Datenstrom verbinden.</translation>
    </message>
    <message>
        <source>No chain of elements could render the stream.</source>
        <translation>Keine Kette von Elementen konnte den Datenstrom wiedergeben.</translation>
    </message>
    <message>
        <source>The pipeline is in the wrong state for the operation.</source>
        <translation>Die Pipeline ist für diesen Vorgang im falschen Zustand.</translation>
    </message>
    <message>
        <source>The media type is not accepted.</source>
        <translation>Der Medientyp wird nicht akzeptiert.</translation>
    </message>
    <message>
        <source>An element with this name is already in the graph.</source>
        <translation>Ein Element mit diesem Namen ist bereits im Graphen.</translation>
    </message>
    <message>
        <source>The media pipeline did not answer in time.</source>
        <translation>Die Medien-Pipeline hat nicht rechtzeitig geantwortet.</translation>
    </message>
    <message>
        <source>The file is not in the expected format.</source>
        <translation>Die Datei hat nicht das erwartete Format.</translation>
    </message>
    <message>
        <source>The type of this file is not recognised.</source>
        <translation>Der Typ dieser Datei wurde nicht erkannt.</translation>
    </message>
    <message>
        <source>No source could be loaded for this file.</source>
        <translation>Für diese Datei konnte keine Quelle geladen werden.</translation>
    </message>
    <message>
        <source>No decoder is installed for a stream of this file.</source>
        <translation>Für einen Datenstrom dieser Datei ist kein Decoder installiert.</translation>
    </message>
    <message>
        <source>No audio output is available.</source>
        <translation>Keine Audioausgabe verfügbar.</translation>
    </message>
    <message>
        <source>The element is not in the graph.</source>
        <translation>Das Element ist nicht im Graphen.</translation>
    </message>
    <message>
        <source>The file cannot be played: its format is not supported.</source>
        <translation>Die Datei kann nicht abgespielt werden: Ihr Format wird nicht unterstützt.</translation>
    </message>
    <message>
        <source>No handler is installed for this protocol (mms://).</source>
        <translation>Für dieses Protokoll (mms://) ist kein Handler installiert.</translation>
    </message>
    <message>
        <source>The file cannot be played from here: it has to be read out of order, and its server only sends it whole.</source>
        <translation>Die Datei kann von hier nicht abgespielt werden: Sie muss außer der Reihe gelesen werden, und ihr Server sendet sie nur ganz.</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>Usage: tavimo [FILE-OR-URL]
Plays a video file or URL, with the subtitles found beside it.
Everything after the program name is one path; quotes around it are removed.

  --sync-subtitles SUBTITLE CLIP [-o OUT.srt]
             match the subtitles to the clip&apos;s speech, print the correction
             (and write the corrected SubRip file with -o), and exit
  --help     show this text and exit
  --version  show the version and exit
</source>
        <translation>Aufruf: tavimo [DATEI-ODER-URL]
Spielt eine Videodatei oder URL ab, mit den Untertiteln, die daneben liegen.
Alles nach dem Programmnamen ist ein einziger Pfad; Anführungszeichen darum werden entfernt.

  --sync-subtitles UNTERTITEL CLIP [-o AUSGABE.srt]
             die Untertitel an die Sprache des Clips angleichen, die Korrektur
             ausgeben (mit -o auch die korrigierte SubRip-Datei schreiben) und beenden
  --help     diesen Text anzeigen und beenden
  --version  die Version anzeigen und beenden
</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>Chapter %1</source>
        <translation>Kapitel %1</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>Stereo</translation>
    </message>
    <message>
        <source>%1 ch</source>
        <translation>%1 Kanäle</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>Spur %1</translation>
    </message>
    <message>
        <source>%1 (no decoder)</source>
        <translation>%1 (kein Decoder)</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open Video...	Ctrl+O</source>
        <translation>Video ö&amp;ffnen...	Strg+O</translation>
    </message>
    <message>
        <source>Open Subtitles	Ctrl+S</source>
        <translation>Untertitel öffnen	Strg+S</translation>
    </message>
    <message>
        <source>Open URL	Ctrl+U</source>
        <translation>URL öffnen	Strg+U</translation>
    </message>
    <message>
        <source>Register Filetype For Current File	Ctrl+R</source>
        <translation>Dateityp der aktuellen Datei registrieren	Strg+R</translation>
    </message>
    <message>
        <source>Delete Current File	DEL</source>
        <translation>Aktuelle Datei löschen	Entf</translation>
    </message>
    <message>
        <source>Save Screenshot	Shift+S</source>
        <translation>Bildschirmfoto speichern	Umschalt+S</translation>
    </message>
    <message>
        <source>Most Recent...</source>
        <translation>Zuletzt geöffnet...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Wiedergabe</translation>
    </message>
    <message>
        <source>Play	ENTER</source>
        <translation>Abspielen	Eingabe</translation>
    </message>
    <message>
        <source>Stop	Esc</source>
        <translation>Stopp	Esc</translation>
    </message>
    <message>
        <source>Pause	SPACE</source>
        <translation>Pause	Leertaste</translation>
    </message>
    <message>
        <source>Previous File	PgUp</source>
        <translation>Vorherige Datei	Bild auf</translation>
    </message>
    <message>
        <source>Next File	PgDn</source>
        <translation>Nächste Datei	Bild ab</translation>
    </message>
    <message>
        <source>5 Seconds Forward	&gt;</source>
        <translation>5 Sekunden vor	&gt;</translation>
    </message>
    <message>
        <source>5 Seconds Back	&lt;</source>
        <translation>5 Sekunden zurück	&lt;</translation>
    </message>
    <message>
        <source>Next Chapter	Shift+PgDn</source>
        <translation>Nächstes Kapitel	Umschalt+Bild ab</translation>
    </message>
    <message>
        <source>Previous Chapter	Shift+PgUp</source>
        <translation>Vorheriges Kapitel	Umschalt+Bild auf</translation>
    </message>
    <message>
        <source>Chapters</source>
        <translation>Kapitel</translation>
    </message>
    <message>
        <source>A-B Loop	L</source>
        <translation>A-B-Wiederholung	L</translation>
    </message>
    <message>
        <source>Faster	]</source>
        <translation>Schneller	]</translation>
    </message>
    <message>
        <source>Slower	[</source>
        <translation>Langsamer	[</translation>
    </message>
    <message>
        <source>Normal Speed	Backspace</source>
        <translation>Normale Geschwindigkeit	Rücktaste</translation>
    </message>
    <message>
        <source>Next Frame	E</source>
        <translation>Nächstes Einzelbild	E</translation>
    </message>
    <message>
        <source>Previous Frame	Shift+E</source>
        <translation>Vorheriges Einzelbild	Umschalt+E</translation>
    </message>
    <message>
        <source>&amp;Filters</source>
        <translation>&amp;Filter</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Werkzeugleiste</translation>
    </message>
    <message>
        <source>&amp;Seekbar</source>
        <translation>&amp;Positionsleiste</translation>
    </message>
    <message>
        <source>Fullscreen	F</source>
        <translation>Vollbild	F</translation>
    </message>
    <message>
        <source>Fullscreen Resolution</source>
        <translation>Vollbildauflösung</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Auto Next</source>
        <translation>Automatisch weiter</translation>
    </message>
    <message>
        <source>Maintain Aspect Ratio</source>
        <translation>Seitenverhältnis beibehalten</translation>
    </message>
    <message>
        <source>Always On Top</source>
        <translation>Immer im Vordergrund</translation>
    </message>
    <message>
        <source>Allow Multiple Instances</source>
        <translation>Mehrere Instanzen erlauben</translation>
    </message>
    <message>
        <source>Keep Window Size</source>
        <translation>Fenstergröße beibehalten</translation>
    </message>
    <message>
        <source>View Subtitles	C</source>
        <translation>Untertitel anzeigen	C</translation>
    </message>
    <message>
        <source>Set Subtitle Font</source>
        <translation>Untertitel-Schriftart festlegen</translation>
    </message>
    <message>
        <source>Subtitle Track</source>
        <translation>Untertitelspur</translation>
    </message>
    <message>
        <source>Audio Track</source>
        <translation>Tonspur</translation>
    </message>
    <message>
        <source>Subtitle Encoding</source>
        <translation>Untertitel-Zeichenkodierung</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Subtitle Styles</source>
        <translation>Untertitel-Stile</translation>
    </message>
    <message>
        <source>Resume Playback</source>
        <translation>Wiedergabe fortsetzen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Help	F1</source>
        <translation>Hilfe	F1</translation>
    </message>
    <message>
        <source>Check For Update</source>
        <translation>Nach Aktualisierungen suchen</translation>
    </message>
    <message>
        <source>&amp;About Tavimo...</source>
        <translation>Ü&amp;ber Tavimo...</translation>
    </message>
    <message>
        <source>Deinterlace</source>
        <translation>Deinterlacing</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>On</source>
        <translation>An</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech</source>
        <translation type="vanished">Untertitel an Sprache angleichen</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech	Y</source>
        <translation>Untertitel an Sprache angleichen	Y</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation type="vanished">(gemerkt)</translation>
    </message>
    <message>
        <source>Audio Earlier	J</source>
        <translation>Ton früher	J</translation>
    </message>
    <message>
        <source>Audio Later	K</source>
        <translation>Ton später	K</translation>
    </message>
    <message>
        <source>Reset Audio Delay	Shift+J</source>
        <translation>Tonverzögerung zurücksetzen	Umschalt+J</translation>
    </message>
    <message>
        <source>Night Mode	N</source>
        <translation>Nachtmodus	N</translation>
    </message>
</context>
<context>
    <name>Notes</name>
    <message>
        <source>Chapter %1/%2</source>
        <translation>Kapitel %1/%2</translation>
    </message>
    <message>
        <source>Chapter %1/%2: %3</source>
        <translation>Kapitel %1/%2: %3</translation>
    </message>
    <message>
        <source>Loop: %1 –</source>
        <translation>Wiederholung: %1 –</translation>
    </message>
    <message>
        <source>Loop: %1 – %2</source>
        <translation>Wiederholung: %1 – %2</translation>
    </message>
    <message>
        <source>Loop off</source>
        <translation>Wiederholung aus</translation>
    </message>
    <message>
        <source>Speed: %1×</source>
        <translation>Geschwindigkeit: %1×</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Gespeichert: %1</translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation>Ton: %1</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Untertitel: %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation>Untertitelverzögerung: %1 s</translation>
    </message>
    <message>
        <source>Deinterlace: Auto</source>
        <translation>Deinterlacing: automatisch</translation>
    </message>
    <message>
        <source>Deinterlace: On</source>
        <translation>Deinterlacing: an</translation>
    </message>
    <message>
        <source>Deinterlace: Off</source>
        <translation>Deinterlacing: aus</translation>
    </message>
    <message>
        <source>Synchronising subtitles… %1%</source>
        <translation>Untertitel werden angeglichen… %1 %</translation>
    </message>
    <message>
        <source>Synchronisation cancelled</source>
        <translation>Angleichung abgebrochen</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation>Die Untertitel konnten nicht an die Sprache angeglichen werden</translation>
    </message>
    <message>
        <source>Subtitles synchronised: %1</source>
        <translation>Untertitel angeglichen: %1</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation>(gemerkt)</translation>
    </message>
    <message>
        <source>in %1 parts</source>
        <translation>in %1 Teilen</translation>
    </message>
    <message>
        <source>This stream cannot seek</source>
        <translation>In diesem Stream kann nicht gesprungen werden</translation>
    </message>
    <message>
        <source>Audio delay: %1 ms</source>
        <translation>Tonverzögerung: %1 ms</translation>
    </message>
    <message>
        <source>Night mode: on</source>
        <translation>Nachtmodus: ein</translation>
    </message>
    <message>
        <source>Night mode: off</source>
        <translation>Nachtmodus: aus</translation>
    </message>
</context>
<context>
    <name>Seekbar</name>
    <message>
        <source>%1 / %2</source>
        <translation>%1 / %2</translation>
    </message>
</context>
<context>
    <name>Toolbar</name>
    <message>
        <source>Open Video</source>
        <translation>Video öffnen</translation>
    </message>
    <message>
        <source>Open Subtitles</source>
        <translation>Untertitel öffnen</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Previous File</source>
        <translation>Vorherige Datei</translation>
    </message>
    <message>
        <source>Next File</source>
        <translation>Nächste Datei</translation>
    </message>
    <message>
        <source>Fullscreen</source>
        <translation>Vollbild</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über Tavimo</translation>
    </message>
</context>
<context>
    <name>tavimo::CAboutDlg</name>
    <message>
        <source>About Tavimo</source>
        <translation>Über Tavimo</translation>
    </message>
</context>
<context>
    <name>tavimo::COpenURL</name>
    <message>
        <source>Enter URL</source>
        <translation>URL eingeben</translation>
    </message>
</context>
<context>
    <name>tavimo::CSliders</name>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
</context>
</TS>
