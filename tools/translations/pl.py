# Polish.
KEYS = {"Ctrl": "Ctrl", "Shift": "Shift", "DEL": "Del", "ENTER": "Enter", "SPACE": "Spacja",
        "PgUp": "PgUp", "PgDn": "PgDn", "Backspace": "Backspace", "Esc": "Esc"}

T = {
    "About": {
        "Tavimo build %1": "Tavimo, kompilacja %1",
        "A small video player that draws its own subtitles.":
            "Mały odtwarzacz wideo, który sam rysuje napisy.",
        "Built with Qt 6 and GStreamer for Linux.": "Zbudowany z Qt 6 i GStreamera dla Linuksa.",
        "Thanks to (a-z):": "Podziękowania (a–z):",
    },
    "Boxes": {
        "the desktop entry %1 is not usable": "plik pulpitu %1 nie nadaje się do użycia",
        "mimeapps.list could not be written": "nie udało się zapisać mimeapps.list",
        'Move "%1" to the trash?': "Przenieść „%1” do kosza?",
        'Could not move "%1" to the trash.\n%2': "Nie można przenieść „%1” do kosza.\n%2",
        "ASX Playlists are not supported by this application.\n\nPlease select a valid media file.":
            "Ten program nie obsługuje list odtwarzania ASX.\n\n"
            "Wybierz prawidłowy plik multimedialny.",
        "This program needs DirectX9,\na videocard with Direct3D and the latest videodrivers.\nGo download them!":
            "Ten program wymaga DirectX 9,\nkarty graficznej z Direct3D i najnowszych "
            "sterowników wideo.\nPobierz je!",
        "Failed to load Windows Media content.\nPerhaps you need to install Windows Media Player 9 or higher.":
            "Nie udało się wczytać zawartości Windows Media.\nByć może trzeba zainstalować "
            "Windows Media Player 9 lub nowszy.",
        "Unknown Error: 0x%x": "Nieznany błąd: 0x%x",
        "The picture could not be made into a PNG.": "Nie udało się zapisać obrazu jako PNG.",
        "The picture could not be read from the video.": "Nie udało się odczytać obrazu z wideo.",
        "Every name for this moment is taken.": "Wszystkie nazwy dla tej chwili są już zajęte.",
        "The screenshot could not be saved in the folder\n%1":
            "Nie udało się zapisać zrzutu ekranu w katalogu\n%1",
        "an empty name was given for a file to write":
            "podano pustą nazwę pliku do zapisania",
        "cannot write %1: %2": "nie można zapisać %1: %2",
        "update-mime-database is not installed": "update-mime-database nie jest zainstalowany",
        "update-mime-database failed on %1": "update-mime-database zawiódł dla %1",
        '"%1" may be %2 or another type, and its contents do not tell which':
            "„%1” może być typu %2 lub innego, a jego zawartość tego nie rozstrzyga",
        "the default application for %1 was not set: %2":
            "nie ustawiono domyślnej aplikacji dla %1: %2",
        '"%1" has no file extension, so no file type was registered.':
            "„%1” nie ma rozszerzenia, więc nie zarejestrowano typu pliku.",
        'Filetype "%1" registered with Tavimo': "Typ pliku „%1” skojarzono z Tavimo",
        'Filetype "%1" could not be registered with Tavimo:\n%2':
            "Nie można skojarzyć typu pliku „%1” z Tavimo:\n%2",
        "The file could not be moved to the trash.": "Nie udało się przenieść pliku do kosza.",
        "Could not match the subtitles to the speech": "Nie udało się dopasować napisów do mowy",
    },
    "Desktop": {
        "Playing video": "Odtwarzanie wideo",
        "Full screen": "Pełny ekran",
    },
    "Dialogs": {
        "Open Media File...": "Otwórz plik multimedialny...",
        "All Files (*.*)": "Wszystkie pliki (*.*)",
        "Font": "Czcionka",
        "&Color...": "&Kolor...",
        "Color": "Kolor",
        "Open Subtitles File...": "Otwórz plik napisów...",
        "Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)":
            "Obsługiwane pliki (*.srt;*.txt;*.sub;*.ass;*.ssa)",
    },
    "Errors": {
        "The operation is not available here.": "Ta operacja nie jest tu dostępna.",
        "The object does not offer the requested interface.":
            "Obiekt nie udostępnia żądanego interfejsu.",
        "A required pointer was missing.": "Brak wymaganego wskaźnika.",
        "The operation was cancelled.": "Operacja została anulowana.",
        "The operation failed.": "Operacja nie powiodła się.",
        "An unexpected failure occurred.": "Wystąpił nieoczekiwany błąd.",
        "Access to the file was refused.": "Odmówiono dostępu do pliku.",
        "There is not enough memory for the operation.": "Za mało pamięci do wykonania operacji.",
        "An argument is not valid.": "Argument jest nieprawidłowy.",
        "The file could not be found.": "Nie znaleziono pliku.",
        "The folder of the file could not be found.": "Nie znaleziono katalogu pliku.",
        "The pins are not connected.": "Piny nie są połączone.",
        "A required interface is not implemented.": "Wymagany interfejs nie jest zaimplementowany.",
        "The object or name was not found.": "Nie znaleziono obiektu ani nazwy.",
        "No chain of elements could connect the stream.":
            "Żaden łańcuch elementów nie mógł połączyć strumienia.",
        "No chain of elements could render the stream.":
            "Żaden łańcuch elementów nie mógł odtworzyć strumienia.",
        "The pipeline is in the wrong state for the operation.":
            "Potok jest w niewłaściwym stanie dla tej operacji.",
        "The media type is not accepted.": "Typ mediów nie jest akceptowany.",
        "An element with this name is already in the graph.":
            "Element o tej nazwie jest już w grafie.",
        "The media pipeline did not answer in time.": "Potok multimedialny nie odpowiedział na czas.",
        "The file is not in the expected format.": "Plik nie ma oczekiwanego formatu.",
        "The type of this file is not recognised.": "Nie rozpoznano typu tego pliku.",
        "No source could be loaded for this file.": "Nie udało się wczytać źródła dla tego pliku.",
        "No decoder is installed for a stream of this file.":
            "Brak zainstalowanego dekodera dla strumienia tego pliku.",
        "No audio output is available.": "Brak dostępnego wyjścia audio.",
        "The element is not in the graph.": "Elementu nie ma w grafie.",
        "The file cannot be played: its format is not supported.":
            "Nie można odtworzyć pliku: jego format nie jest obsługiwany.",
        "No handler is installed for this protocol (mms://).":
            "Brak zainstalowanej obsługi tego protokołu (mms://).",
    },
    "Help": {
        "Usage: tavimo [FILE-OR-URL]\nPlays a video file or URL, with the subtitles found beside it.\n"
        "Everything after the program name is one path; quotes around it are removed.\n\n"
        "  --sync-subtitles SUBTITLE CLIP [-o OUT.srt]\n"
        "             match the subtitles to the clip's speech, print the correction\n"
        "             (and write the corrected SubRip file with -o), and exit\n"
        "  --help     show this text and exit\n  --version  show the version and exit\n":
            "Użycie: tavimo [PLIK-LUB-URL]\n"
            "Odtwarza plik wideo lub adres URL wraz z napisami znalezionymi obok.\n"
            "Wszystko po nazwie programu to jedna ścieżka; otaczające ją cudzysłowy są usuwane.\n\n"
            "  --sync-subtitles NAPISY KLIP [-o WYJŚCIE.srt]\n"
            "             dopasowuje napisy do mowy w klipie, wypisuje poprawkę\n"
            "             (z -o zapisuje też poprawiony plik SubRip) i kończy działanie\n"
            "  --help     wyświetla ten tekst i kończy działanie\n"
            "  --version  wyświetla wersję i kończy działanie\n",
    },
    "Menu": {
        "Chapter %1": "Rozdział %1",
        "mono": "mono",
        "stereo": "stereo",
        "%1 ch": "%1 kan.",
        "Track %1": "Ścieżka %1",
        "%1 (no decoder)": "%1 (brak dekodera)",
        "Off": "Wyłączone",
        "&File": "&Plik",
        "&Open Video...": "&Otwórz wideo...",
        "Open Subtitles": "Otwórz napisy",
        "Open URL": "Otwórz adres URL",
        "Register Filetype For Current File": "Skojarz typ bieżącego pliku",
        "Delete Current File": "Usuń bieżący plik",
        "Save Screenshot": "Zapisz zrzut ekranu",
        "Most Recent...": "Ostatnio otwierane...",
        "E&xit": "&Zakończ",
        "Play": "Odtwarzanie",
        "Play\tENTER": "Odtwórz",
        "Stop": "Zatrzymaj",
        "Pause": "Wstrzymaj",
        "Previous File": "Poprzedni plik",
        "Next File": "Następny plik",
        "5 Seconds Forward": "5 sekund do przodu",
        "5 Seconds Back": "5 sekund do tyłu",
        "Next Chapter": "Następny rozdział",
        "Previous Chapter": "Poprzedni rozdział",
        "Chapters": "Rozdziały",
        "A-B Loop": "Pętla A-B",
        "Faster": "Szybciej",
        "Slower": "Wolniej",
        "Normal Speed": "Normalna prędkość",
        "Next Frame": "Następna klatka",
        "Previous Frame": "Poprzednia klatka",
        "&Filters": "&Filtry",
        "&View": "&Widok",
        "&Toolbar": "&Pasek narzędzi",
        "&Seekbar": "Pasek p&ostępu",
        "Fullscreen": "Pełny ekran",
        "Fullscreen Resolution": "Rozdzielczość pełnego ekranu",
        "Default": "Domyślna",
        "Auto Next": "Automatycznie następny",
        "Maintain Aspect Ratio": "Zachowaj proporcje obrazu",
        "Always On Top": "Zawsze na wierzchu",
        "Allow Multiple Instances": "Zezwalaj na wiele instancji",
        "Keep Window Size": "Zachowaj rozmiar okna",
        "View Subtitles": "Pokaż napisy",
        "Set Subtitle Font": "Czcionka napisów",
        "Subtitle Track": "Ścieżka napisów",
        "Audio Track": "Ścieżka dźwiękowa",
        "Subtitle Encoding": "Kodowanie napisów",
        "Automatic": "Automatyczne",
        "Subtitle Styles": "Style napisów",
        "Resume Playback": "Wznawiaj odtwarzanie",
        "&Help": "Pomo&c",
        "Help": "Pomoc",
        "Check For Update": "Sprawdź aktualizacje",
        "&About Tavimo...": "&O programie Tavimo...",
        "Deinterlace": "Usuwanie przeplotu",
        "Auto": "Automatycznie",
        "On": "Włączone",
        "Synchronise Subtitles to Speech": "Synchronizuj napisy z mową",
        "(remembered)": "(zapamiętane)",
    },
    "Notes": {
        "Chapter %1/%2": "Rozdział %1/%2",
        "Chapter %1/%2: %3": "Rozdział %1/%2: %3",
        "Loop: %1 –": "Pętla: %1 –",
        "Loop: %1 – %2": "Pętla: %1 – %2",
        "Loop off": "Pętla wyłączona",
        "Speed: %1×": "Prędkość: %1×",
        "Saved %1": "Zapisano %1",
        "Audio: %1": "Dźwięk: %1",
        "Subtitles: %1": "Napisy: %1",
        "none": "brak",
        "Off": "wyłączone",
        "Subtitle delay: %1 s": "Opóźnienie napisów: %1 s",
        "Deinterlace: Auto": "Usuwanie przeplotu: automatycznie",
        "Deinterlace: On": "Usuwanie przeplotu: włączone",
        "Deinterlace: Off": "Usuwanie przeplotu: wyłączone",
        "Synchronising subtitles… %1%": "Synchronizowanie napisów… %1%",
        "Synchronisation cancelled": "Synchronizację anulowano",
        "Could not match the subtitles to the speech": "Nie udało się dopasować napisów do mowy",
        "Subtitles synchronised: %1": "Napisy zsynchronizowane: %1",
        "(remembered)": "(zapamiętane)",
        "in %1 parts": "w %1 częściach",
    },
    "Seekbar": {"%1 / %2": "%1 / %2"},
    "Toolbar": {
        "Open Video": "Otwórz wideo",
        "Open Subtitles": "Otwórz napisy",
        "Play": "Odtwórz",
        "Pause": "Wstrzymaj",
        "Stop": "Zatrzymaj",
        "Previous File": "Poprzedni plik",
        "Next File": "Następny plik",
        "Fullscreen": "Pełny ekran",
        "About": "O programie",
    },
    "tavimo::CAboutDlg": {"About Tavimo": "O programie Tavimo"},
    "tavimo::COpenURL": {"Enter URL": "Podaj adres URL"},
    "tavimo::CSliders": {"Volume": "Głośność"},
}
