# German.
KEYS = {"Ctrl": "Strg", "Shift": "Umschalt", "DEL": "Entf", "ENTER": "Eingabe",
        "SPACE": "Leertaste", "PgUp": "Bild auf", "PgDn": "Bild ab", "Backspace": "Rücktaste",
        "Esc": "Esc"}

T = {
    "About": {
        "Tavimo build %1": "Tavimo Build %1",
        "A small video player that draws its own subtitles.":
            "Ein kleiner Videoplayer, der seine Untertitel selbst zeichnet.",
        "Built with Qt 6 and GStreamer for Linux.": "Erstellt mit Qt 6 und GStreamer für Linux.",
        "Thanks to (a-z):": "Dank an (a–z):",
    },
    "Boxes": {
        "the desktop entry %1 is not usable": "die Desktop-Datei %1 ist nicht verwendbar",
        "mimeapps.list could not be written": "mimeapps.list konnte nicht geschrieben werden",
        'Move "%1" to the trash?': "„%1“ in den Papierkorb verschieben?",
        'Could not move "%1" to the trash.\n%2':
            "„%1“ konnte nicht in den Papierkorb verschoben werden.\n%2",
        "ASX Playlists are not supported by this application.\n\nPlease select a valid media file.":
            "ASX-Wiedergabelisten werden von diesem Programm nicht unterstützt.\n\n"
            "Bitte wählen Sie eine gültige Mediendatei.",
        "This program needs DirectX9,\na videocard with Direct3D and the latest videodrivers.\nGo download them!":
            "Dieses Programm benötigt DirectX 9,\neine Grafikkarte mit Direct3D und aktuelle "
            "Grafiktreiber.\nBitte laden Sie sie herunter!",
        "Failed to load Windows Media content.\nPerhaps you need to install Windows Media Player 9 or higher.":
            "Windows-Media-Inhalte konnten nicht geladen werden.\nEventuell muss Windows Media "
            "Player 9 oder neuer installiert werden.",
        "Unknown Error: 0x%x": "Unbekannter Fehler: 0x%x",
        "The picture could not be made into a PNG.":
            "Das Bild konnte nicht in ein PNG umgewandelt werden.",
        "The picture could not be read from the video.":
            "Das Bild konnte nicht aus dem Video gelesen werden.",
        "Every name for this moment is taken.":
            "Alle Dateinamen für diesen Zeitpunkt sind bereits vergeben.",
        "The screenshot could not be saved in the folder\n%1":
            "Das Bildschirmfoto konnte nicht gespeichert werden im Ordner\n%1",
        "an empty name was given for a file to write":
            "für eine zu schreibende Datei wurde ein leerer Name angegeben",
        "cannot write %1: %2": "%1 kann nicht geschrieben werden: %2",
        "update-mime-database is not installed": "update-mime-database ist nicht installiert",
        "update-mime-database failed on %1": "update-mime-database ist an %1 gescheitert",
        '"%1" may be %2 or another type, and its contents do not tell which':
            "„%1“ kann %2 oder ein anderer Typ sein, und der Inhalt verrät nicht, welcher",
        "the default application for %1 was not set: %2":
            "die Standardanwendung für %1 wurde nicht festgelegt: %2",
        '"%1" has no file extension, so no file type was registered.':
            "„%1“ hat keine Dateiendung, daher wurde kein Dateityp registriert.",
        'Filetype "%1" registered with Tavimo': "Dateityp „%1“ wurde für Tavimo registriert",
        'Filetype "%1" could not be registered with Tavimo:\n%2':
            "Dateityp „%1“ konnte nicht für Tavimo registriert werden:\n%2",
        "The file could not be moved to the trash.":
            "Die Datei konnte nicht in den Papierkorb verschoben werden.",
        "Could not match the subtitles to the speech":
            "Die Untertitel konnten nicht an die Sprache angeglichen werden",
    },
    "Desktop": {
        "Playing video": "Video wird abgespielt",
        "Full screen": "Vollbild",
    },
    "Dialogs": {
        "Open Media File...": "Mediendatei öffnen...",
        "All Files (*.*)": "Alle Dateien (*.*)",
        "Font": "Schriftart",
        "&Color...": "&Farbe...",
        "Color": "Farbe",
        "Open Subtitles File...": "Untertiteldatei öffnen...",
        "Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)":
            "Unterstützte Dateien (*.srt;*.txt;*.sub;*.ass;*.ssa)",
    },
    "Errors": {
        "The operation is not available here.": "Dieser Vorgang ist hier nicht verfügbar.",
        "The object does not offer the requested interface.":
            "Das Objekt bietet die angeforderte Schnittstelle nicht an.",
        "A required pointer was missing.": "Ein benötigter Zeiger fehlte.",
        "The operation was cancelled.": "Der Vorgang wurde abgebrochen.",
        "The operation failed.": "Der Vorgang ist fehlgeschlagen.",
        "An unexpected failure occurred.": "Ein unerwarteter Fehler ist aufgetreten.",
        "Access to the file was refused.": "Der Zugriff auf die Datei wurde verweigert.",
        "There is not enough memory for the operation.":
            "Für den Vorgang ist nicht genügend Speicher vorhanden.",
        "An argument is not valid.": "Ein Argument ist ungültig.",
        "The file could not be found.": "Die Datei wurde nicht gefunden.",
        "The folder of the file could not be found.": "Der Ordner der Datei wurde nicht gefunden.",
        "The pins are not connected.": "Die Pins sind nicht verbunden.",
        "A required interface is not implemented.":
            "Eine benötigte Schnittstelle ist nicht implementiert.",
        "The object or name was not found.": "Das Objekt oder der Name wurde nicht gefunden.",
        "No chain of elements could connect the stream.":
            "Keine Kette von Elementen konnte den Datenstrom verbinden.",
        "No chain of elements could render the stream.":
            "Keine Kette von Elementen konnte den Datenstrom wiedergeben.",
        "The pipeline is in the wrong state for the operation.":
            "Die Pipeline ist für diesen Vorgang im falschen Zustand.",
        "The media type is not accepted.": "Der Medientyp wird nicht akzeptiert.",
        "An element with this name is already in the graph.":
            "Ein Element mit diesem Namen ist bereits im Graphen.",
        "The media pipeline did not answer in time.":
            "Die Medien-Pipeline hat nicht rechtzeitig geantwortet.",
        "The file is not in the expected format.": "Die Datei hat nicht das erwartete Format.",
        "The type of this file is not recognised.": "Der Typ dieser Datei wurde nicht erkannt.",
        "No source could be loaded for this file.":
            "Für diese Datei konnte keine Quelle geladen werden.",
        "No decoder is installed for a stream of this file.":
            "Für einen Datenstrom dieser Datei ist kein Decoder installiert.",
        "No audio output is available.": "Keine Audioausgabe verfügbar.",
        "The element is not in the graph.": "Das Element ist nicht im Graphen.",
        "The file cannot be played: its format is not supported.":
            "Die Datei kann nicht abgespielt werden: Ihr Format wird nicht unterstützt.",
        "No handler is installed for this protocol (mms://).":
            "Für dieses Protokoll (mms://) ist kein Handler installiert.",
    },
    "Help": {
        "Usage: tavimo [FILE-OR-URL]\nPlays a video file or URL, with the subtitles found beside it.\n"
        "Everything after the program name is one path; quotes around it are removed.\n\n"
        "  --sync-subtitles SUBTITLE CLIP [-o OUT.srt]\n"
        "             match the subtitles to the clip's speech, print the correction\n"
        "             (and write the corrected SubRip file with -o), and exit\n"
        "  --help     show this text and exit\n  --version  show the version and exit\n":
            "Aufruf: tavimo [DATEI-ODER-URL]\n"
            "Spielt eine Videodatei oder URL ab, mit den Untertiteln, die daneben liegen.\n"
            "Alles nach dem Programmnamen ist ein einziger Pfad; Anführungszeichen darum werden "
            "entfernt.\n\n"
            "  --sync-subtitles UNTERTITEL CLIP [-o AUSGABE.srt]\n"
            "             die Untertitel an die Sprache des Clips angleichen, die Korrektur\n"
            "             ausgeben (mit -o auch die korrigierte SubRip-Datei schreiben) und beenden\n"
            "  --help     diesen Text anzeigen und beenden\n"
            "  --version  die Version anzeigen und beenden\n",
    },
    "Menu": {
        "Chapter %1": "Kapitel %1",
        "mono": "Mono",
        "stereo": "Stereo",
        "%1 ch": "%1 Kanäle",
        "Track %1": "Spur %1",
        "%1 (no decoder)": "%1 (kein Decoder)",
        "Off": "Aus",
        "&File": "&Datei",
        "&Open Video...": "Video ö&ffnen...",
        "Open Subtitles": "Untertitel öffnen",
        "Open URL": "URL öffnen",
        "Register Filetype For Current File": "Dateityp der aktuellen Datei registrieren",
        "Delete Current File": "Aktuelle Datei löschen",
        "Save Screenshot": "Bildschirmfoto speichern",
        "Most Recent...": "Zuletzt geöffnet...",
        "E&xit": "&Beenden",
        "Play": "Wiedergabe",
        "Play\tENTER": "Abspielen",
        "Stop": "Stopp",
        "Pause": "Pause",
        "Previous File": "Vorherige Datei",
        "Next File": "Nächste Datei",
        "5 Seconds Forward": "5 Sekunden vor",
        "5 Seconds Back": "5 Sekunden zurück",
        "Next Chapter": "Nächstes Kapitel",
        "Previous Chapter": "Vorheriges Kapitel",
        "Chapters": "Kapitel",
        "A-B Loop": "A-B-Wiederholung",
        "Faster": "Schneller",
        "Slower": "Langsamer",
        "Normal Speed": "Normale Geschwindigkeit",
        "Next Frame": "Nächstes Einzelbild",
        "Previous Frame": "Vorheriges Einzelbild",
        "&Filters": "&Filter",
        "&View": "&Ansicht",
        "&Toolbar": "&Werkzeugleiste",
        "&Seekbar": "&Positionsleiste",
        "Fullscreen": "Vollbild",
        "Fullscreen Resolution": "Vollbildauflösung",
        "Default": "Standard",
        "Auto Next": "Automatisch weiter",
        "Maintain Aspect Ratio": "Seitenverhältnis beibehalten",
        "Always On Top": "Immer im Vordergrund",
        "Allow Multiple Instances": "Mehrere Instanzen erlauben",
        "Keep Window Size": "Fenstergröße beibehalten",
        "View Subtitles": "Untertitel anzeigen",
        "Set Subtitle Font": "Untertitel-Schriftart festlegen",
        "Subtitle Track": "Untertitelspur",
        "Audio Track": "Tonspur",
        "Subtitle Encoding": "Untertitel-Zeichenkodierung",
        "Automatic": "Automatisch",
        "Subtitle Styles": "Untertitel-Stile",
        "Resume Playback": "Wiedergabe fortsetzen",
        "&Help": "&Hilfe",
        "Help": "Hilfe",
        "Check For Update": "Nach Aktualisierungen suchen",
        "&About Tavimo...": "Ü&ber Tavimo...",
        "Deinterlace": "Deinterlacing",
        "Auto": "Automatisch",
        "On": "An",
        "Synchronise Subtitles to Speech": "Untertitel an Sprache angleichen",
        "(remembered)": "(gemerkt)",
    },
    "Notes": {
        "Chapter %1/%2": "Kapitel %1/%2",
        "Chapter %1/%2: %3": "Kapitel %1/%2: %3",
        "Loop: %1 –": "Wiederholung: %1 –",
        "Loop: %1 – %2": "Wiederholung: %1 – %2",
        "Loop off": "Wiederholung aus",
        "Speed: %1×": "Geschwindigkeit: %1×",
        "Saved %1": "Gespeichert: %1",
        "Audio: %1": "Ton: %1",
        "Subtitles: %1": "Untertitel: %1",
        "none": "keine",
        "Off": "aus",
        "Subtitle delay: %1 s": "Untertitelverzögerung: %1 s",
        "Deinterlace: Auto": "Deinterlacing: automatisch",
        "Deinterlace: On": "Deinterlacing: an",
        "Deinterlace: Off": "Deinterlacing: aus",
        "Synchronising subtitles… %1%": "Untertitel werden angeglichen… %1 %",
        "Synchronisation cancelled": "Angleichung abgebrochen",
        "Could not match the subtitles to the speech":
            "Die Untertitel konnten nicht an die Sprache angeglichen werden",
        "Subtitles synchronised: %1": "Untertitel angeglichen: %1",
        "(remembered)": "(gemerkt)",
        "in %1 parts": "in %1 Teilen",
    },
    "Seekbar": {
        "%1 / %2": "%1 / %2",
    },
    "Toolbar": {
        "Open Video": "Video öffnen",
        "Open Subtitles": "Untertitel öffnen",
        "Play": "Abspielen",
        "Pause": "Pause",
        "Stop": "Stopp",
        "Previous File": "Vorherige Datei",
        "Next File": "Nächste Datei",
        "Fullscreen": "Vollbild",
        "About": "Über Tavimo",
    },
    "tavimo::CAboutDlg": {"About Tavimo": "Über Tavimo"},
    "tavimo::COpenURL": {"Enter URL": "URL eingeben"},
    "tavimo::CSliders": {"Volume": "Lautstärke"},
}
