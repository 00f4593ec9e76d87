<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl">
<context>
    <name>About</name>
    <message>
        <source>Tavimo build %1</source>
        <translation>Tavimo, kompilacja %1</translation>
    </message>
    <message>
        <source>A small video player that draws its own subtitles.</source>
        <translation>Mały odtwarzacz wideo, który sam rysuje napisy.</translation>
    </message>
    <message>
        <source>Built with Qt 6 and GStreamer for Linux.</source>
        <translation>Zbudowany z Qt 6 i GStreamera dla Linuksa.</translation>
    </message>
    <message>
        <source>Thanks to (a-z):</source>
        <translation>Podziękowania (a–z):</translation>
    </message>
</context>
<context>
    <name>Boxes</name>
    <message>
        <source>Move &quot;%1&quot; to the trash?</source>
        <translation>Przenieść „%1” do kosza?</translation>
    </message>
    <message>
        <source>Could not move &quot;%1&quot; to the trash.
%2</source>
        <translation>Nie można przenieść „%1” do kosza.
%2</translation>
    </message>
    <message>
        <source>ASX Playlists are not supported by this application.

Please select a valid media file.</source>
        <translation>Ten program nie obsługuje list odtwarzania ASX.

Wybierz prawidłowy plik multimedialny.</translation>
    </message>
    <message>
        <source>This program needs DirectX9,
a videocard with Direct3D and the latest videodrivers.
Go download them!</source>
        <translation>Ten program wymaga DirectX 9,
karty graficznej z Direct3D i najnowszych sterowników wideo.
Pobierz je!</translation>
    </message>
    <message>
        <source>Failed to load Windows Media content.
Perhaps you need to install Windows Media Player 9 or higher.</source>
        <translation>Nie udało się wczytać zawartości Windows Media.
Być może trzeba zainstalować Windows Media Player 9 lub nowszy.</translation>
    </message>
    <message>
        <source>Unknown Error: 0x%x</source>
        <translation>Nieznany błąd: 0x%x</translation>
    </message>
    <message>
        <source>The picture could not be made into a PNG.</source>
        <translation>Nie udało się zapisać obrazu jako PNG.</translation>
    </message>
    <message>
        <source>The picture could not be read from the video.</source>
        <translation>Nie udało się odczytać obrazu z wideo.</translation>
    </message>
    <message>
        <source>Every name for this moment is taken.</source>
        <translation>Wszystkie nazwy dla tej chwili są już zajęte.</translation>
    </message>
    <message>
        <source>The screenshot could not be saved in the folder
%1</source>
        <translation>Nie udało się zapisać zrzutu ekranu w katalogu
%1</translation>
    </message>
    <message>
        <source>an empty name was given for a file to write</source>
        <translation>podano pustą nazwę pliku do zapisania</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>nie można zapisać %1: %2</translation>
    </message>
    <message>
        <source>update-mime-database is not installed</source>
        <translation>update-mime-database nie jest zainstalowany</translation>
    </message>
    <message>
        <source>update-mime-database failed on %1</source>
        <translation>update-mime-database zawiódł dla %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; may be %2 or another type, and its contents do not tell which</source>
        <translation>„%1” może być typu %2 lub innego, a jego zawartość tego nie rozstrzyga</translation>
    </message>
    <message>
        <source>the default application for %1 was not set: %2</source>
        <translation>nie ustawiono domyślnej aplikacji dla %1: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no file extension, so no file type was registered.</source>
        <translation>„%1” nie ma rozszerzenia, więc nie zarejestrowano typu pliku.</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; registered with Tavimo</source>
        <translation>Typ pliku „%1” skojarzono z Tavimo</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; could not be registered with Tavimo:
%2</source>
        <translation>Nie można skojarzyć typu pliku „%1” z Tavimo:
%2</translation>
    </message>
    <message>
        <source>The file could not be moved to the trash.</source>
        <translation>Nie udało się przenieść pliku do kosza.</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation type="vanished">Nie udało się dopasować napisów do mowy</translation>
    </message>
    <message>
        <source>the desktop entry %1 is not usable</source>
        <translation>plik pulpitu %1 nie nadaje się do użycia</translation>
    </message>
    <message>
        <source>mimeapps.list could not be written</source>
        <translation>nie udało się zapisać mimeapps.list</translation>
    </message>
    <message>
        <source>The subtitle file &quot;%1&quot; cannot be read.

Tavimo reads SubRip (.srt, .txt), MicroDVD (.sub) and SSA/ASS (.ssa, .ass) files of up to %2 MB.</source>
        <translation>Nie można odczytać pliku napisów „%1”.

Tavimo odczytuje pliki SubRip (.srt, .txt), MicroDVD (.sub) i SSA/ASS (.ssa, .ass) o rozmiarze do %2 MB.</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Playing video</source>
        <translation>Odtwarzanie wideo</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Pełny ekran</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Open Media File...</source>
        <translation>Otwórz plik multimedialny...</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Wszystkie pliki (*.*)</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Czcionka</translation>
    </message>
    <message>
        <source>&amp;Color...</source>
        <translation>&amp;Kolor...</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Kolor</translation>
    </message>
    <message>
        <source>Open Subtitles File...</source>
        <translation>Otwórz plik napisów...</translation>
    </message>
    <message>
        <source>Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)</source>
        <translation>Obsługiwane pliki (*.srt;*.txt;*.sub;*.ass;*.ssa)</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>The operation is not available here.</source>
        <translation>Ta operacja nie jest tu dostępna.</translation>
    </message>
    <message>
        <source>The object does not offer the requested interface.</source>
        <translation>Obiekt nie udostępnia żądanego interfejsu.</translation>
    </message>
    <message>
        <source>A required pointer was missing.</source>
        <translation>Brak wymaganego wskaźnika.</translation>
    </message>
    <message>
        <source>The operation was cancelled.</source>
        <translation>Operacja została anulowana.</translation>
    </message>
    <message>
        <source>The operation failed.</source>
        <translation>Operacja nie powiodła się.</translation>
    </message>
    <message>
        <source>An unexpected failure occurred.</source>
        <translation>Wystąpił nieoczekiwany błąd.</translation>
    </message>
    <message>
        <source>Access to the file was refused.</source>
        <translation>Odmówiono dostępu do pliku.</translation>
    </message>
    <message>
        <source>There is not enough memory for the operation.</source>
        <translation>Za mało pamięci do wykonania operacji.</translation>
    </message>
    <message>
        <source>An argument is not valid.</source>
        <translation>Argument jest nieprawidłowy.</translation>
    </message>
    <message>
        <source>The file could not be found.</source>
        <translation>Nie znaleziono pliku.</translation>
    </message>
    <message>
        <source>The folder of the file could not be found.</source>
        <translation>Nie znaleziono katalogu pliku.</translation>
    </message>
    <message>
        <source>The pins are not connected.</source>
        <translation>Piny nie są połączone.</translation>
    </message>
    <message>
        <source>A required interface is not implemented.</source>
        <translation>Wymagany interfejs nie jest zaimplementowany.</translation>
    </message>
    <message>
        <source>The object or name was not found.</source>
        <translation>Nie znaleziono obiektu ani nazwy.</translation>
    </message>
    <message>
        <source>No chain of elements could connect the stream.</source>
        <translation>Żaden łańcuch elementów nie mógł połączyć strumienia.</translation>
    </message>
    <message>
        <source>No chain of elements could render the stream.</source>
        <translation>Żaden łańcuch elementów nie mógł odtworzyć strumienia.</translation>
    </message>
    <message>
        <source>The pipeline is in the wrong state for the operation.</source>
        <translation>Potok jest w niewłaściwym stanie dla tej operacji.</translation>
    </message>
    <message>
        <source>The media type is not accepted.</source>
        <translation>Typ mediów nie jest akceptowany.</translation>
    </message>
    <message>
        <source>An element with this name is already in the graph.</source>
        <translation>Element o tej nazwie jest już w grafie.</translation>
    </message>
    <message>
        <source>The media pipeline did not answer in time.</source>
        <translation>Potok multimedialny nie odpowiedział na czas.</translation>
    </message>
    <message>
        <source>The file is not in the expected format.</source>
        <translation>Plik nie ma oczekiwanego formatu.</translation>
    </message>
    <message>
        <source>The type of this file is not recognised.</source>
        <translation>Nie rozpoznano typu tego pliku.</translation>
    </message>
    <message>
        <source>No source could be loaded for this file.</source>
        <translation>Nie udało się wczytać źródła dla tego pliku.</translation>
    </message>
    <message>
        <source>No decoder is installed for a stream of this file.</source>
        <translation>Brak zainstalowanego dekodera dla strumienia tego pliku.</translation>
    </message>
    <message>
        <source>No audio output is available.</source>
        <translation>Brak dostępnego wyjścia audio.</translation>
    </message>
    <message>
        <source>The element is not in the graph.</source>
        <translation>Elementu nie ma w grafie.</translation>
    </message>
    <message>
        <source>The file cannot be played: its format is not supported.</source>
        <translation>Nie można odtworzyć pliku: jego format nie jest obsługiwany.</translation>
    </message>
    <message>
        <source>No handler is installed for this protocol (mms://).</source>
        <translation>Brak zainstalowanej obsługi tego protokołu (mms://).</translation>
    </message>
    <message>
        <source>The file cannot be played from here: it has to be read out of order, and its server only sends it whole.</source>
        <translation>Nie można odtworzyć pliku z tego miejsca: trzeba go czytać nie po kolei, a jego serwer wysyła go tylko w całości.</translation>
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
        <translation>Użycie: tavimo [PLIK-LUB-URL]
Odtwarza plik wideo lub adres URL wraz z napisami znalezionymi obok.
Wszystko po nazwie programu to jedna ścieżka; otaczające ją cudzysłowy są usuwane.

  --sync-subtitles NAPISY KLIP [-o WYJŚCIE.srt]
             dopasowuje napisy do mowy w klipie, wypisuje poprawkę
             (z -o zapisuje też poprawiony plik SubRip) i kończy działanie
  --help     wyświetla ten tekst i kończy działanie
  --version  wyświetla wersję i kończy działanie
</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>Chapter %1</source>
        <translation>Rozdział %1</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>stereo</translation>
    </message>
    <message>
        <source>%1 ch</source>
        <translation>%1 kan.</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>Ścieżka %1</translation>
    </message>
    <message>
        <source>%1 (no decoder)</source>
        <translation>%1 (brak dekodera)</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Wyłączone</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Plik</translation>
    </message>
    <message>
        <source>&amp;Open Video...	Ctrl+O</source>
        <translation>&amp;Otwórz wideo...	Ctrl+O</translation>
    </message>
    <message>
        <source>Open Subtitles	Ctrl+S</source>
        <translation>Otwórz napisy	Ctrl+S</translation>
    </message>
    <message>
        <source>Open URL	Ctrl+U</source>
        <translation>Otwórz adres URL	Ctrl+U</translation>
    </message>
    <message>
        <source>Register Filetype For Current File	Ctrl+R</source>
        <translation>Skojarz typ bieżącego pliku	Ctrl+R</translation>
    </message>
    <message>
        <source>Delete Current File	DEL</source>
        <translation>Usuń bieżący plik	Del</translation>
    </message>
    <message>
        <source>Save Screenshot	Shift+S</source>
        <translation>Zapisz zrzut ekranu	Shift+S</translation>
    </message>
    <message>
        <source>Most Recent...</source>
        <translation>Ostatnio otwierane...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Zakończ</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Odtwarzanie</translation>
    </message>
    <message>
        <source>Play	ENTER</source>
        <translation>Odtwórz	Enter</translation>
    </message>
    <message>
        <source>Stop	Esc</source>
        <translation>Zatrzymaj	Esc</translation>
    </message>
    <message>
        <source>Pause	SPACE</source>
        <translation>Wstrzymaj	Spacja</translation>
    </message>
    <message>
        <source>Previous File	PgUp</source>
        <translation>Poprzedni plik	PgUp</translation>
    </message>
    <message>
        <source>Next File	PgDn</source>
        <translation>Następny plik	PgDn</translation>
    </message>
    <message>
        <source>5 Seconds Forward	&gt;</source>
        <translation>5 sekund do przodu	&gt;</translation>
    </message>
    <message>
        <source>5 Seconds Back	&lt;</source>
        <translation>5 sekund do tyłu	&lt;</translation>
    </message>
    <message>
        <source>Next Chapter	Shift+PgDn</source>
        <translation>Następny rozdział	Shift+PgDn</translation>
    </message>
    <message>
        <source>Previous Chapter	Shift+PgUp</source>
        <translation>Poprzedni rozdział	Shift+PgUp</translation>
    </message>
    <message>
        <source>Chapters</source>
        <translation>Rozdziały</translation>
    </message>
    <message>
        <source>A-B Loop	L</source>
        <translation>Pętla A-B	L</translation>
    </message>
    <message>
        <source>Faster	]</source>
        <translation>Szybciej	]</translation>
    </message>
    <message>
        <source>Slower	[</source>
        <translation>Wolniej	[</translation>
    </message>
    <message>
        <source>Normal Speed	Backspace</source>
        <translation>Normalna prędkość	Backspace</translation>
    </message>
    <message>
        <source>Next Frame	E</source>
        <translation>Następna klatka	E</translation>
    </message>
    <message>
        <source>Previous Frame	Shift+E</source>
        <translation>Poprzednia klatka	Shift+E</translation>
    </message>
    <message>
        <source>&amp;Filters</source>
        <translation>&amp;Filtry</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Widok</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Pasek narzędzi</translation>
    </message>
    <message>
        <source>&amp;Seekbar</source>
        <translation>Pasek p&amp;ostępu</translation>
    </message>
    <message>
        <source>Fullscreen	F</source>
        <translation>Pełny ekran	F</translation>
    </message>
    <message>
        <source>Fullscreen Resolution</source>
        <translation>Rozdzielczość pełnego ekranu</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Domyślna</translation>
    </message>
    <message>
        <source>Auto Next</source>
        <translation>Automatycznie następny</translation>
    </message>
    <message>
        <source>Maintain Aspect Ratio</source>
        <translation>Zachowaj proporcje obrazu</translation>
    </message>
    <message>
        <source>Always On Top</source>
        <translation>Zawsze na wierzchu</translation>
    </message>
    <message>
        <source>Allow Multiple Instances</source>
        <translation>Zezwalaj na wiele instancji</translation>
    </message>
    <message>
        <source>Keep Window Size</source>
        <translation>Zachowaj rozmiar okna</translation>
    </message>
    <message>
        <source>View Subtitles	C</source>
        <translation>Pokaż napisy	C</translation>
    </message>
    <message>
        <source>Set Subtitle Font</source>
        <translation>Czcionka napisów</translation>
    </message>
    <message>
        <source>Subtitle Track</source>
        <translation>Ścieżka napisów</translation>
    </message>
    <message>
        <source>Audio Track</source>
        <translation>Ścieżka dźwiękowa</translation>
    </message>
    <message>
        <source>Subtitle Encoding</source>
        <translation>Kodowanie napisów</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatyczne</translation>
    </message>
    <message>
        <source>Subtitle Styles</source>
        <translation>Style napisów</translation>
    </message>
    <message>
        <source>Resume Playback</source>
        <translation>Wznawiaj odtwarzanie</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Pomo&amp;c</translation>
    </message>
    <message>
        <source>Help	F1</source>
        <translation>Pomoc	F1</translation>
    </message>
    <message>
        <source>Check For Update</source>
        <translation>Sprawdź aktualizacje</translation>
    </message>
    <message>
        <source>&amp;About Tavimo...</source>
        <translation>&amp;O programie Tavimo...</translation>
    </message>
    <message>
        <source>Deinterlace</source>
        <translation>Usuwanie przeplotu</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Automatycznie</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Włączone</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech</source>
        <translation type="vanished">Synchronizuj napisy z mową</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech	Y</source>
        <translation>Synchronizuj napisy z mową	Y</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation type="vanished">(zapamiętane)</translation>
    </message>
    <message>
        <source>Audio Earlier	J</source>
        <translation>Dźwięk wcześniej	J</translation>
    </message>
    <message>
        <source>Audio Later	K</source>
        <translation>Dźwięk później	K</translation>
    </message>
    <message>
        <source>Reset Audio Delay	Shift+J</source>
        <translation>Zeruj opóźnienie dźwięku	Shift+J</translation>
    </message>
    <message>
        <source>Night Mode	N</source>
        <translation>Tryb nocny	N</translation>
    </message>
</context>
<context>
    <name>Notes</name>
    <message>
        <source>Chapter %1/%2</source>
        <translation>Rozdział %1/%2</translation>
    </message>
    <message>
        <source>Chapter %1/%2: %3</source>
        <translation>Rozdział %1/%2: %3</translation>
    </message>
    <message>
        <source>Loop: %1 –</source>
        <translation>Pętla: %1 –</translation>
    </message>
    <message>
        <source>Loop: %1 – %2</source>
        <translation>Pętla: %1 – %2</translation>
    </message>
    <message>
        <source>Loop off</source>
        <translation>Pętla wyłączona</translation>
    </message>
    <message>
        <source>Speed: %1×</source>
        <translation>Prędkość: %1×</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Zapisano %1</translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation>Dźwięk: %1</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Napisy: %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>brak</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>wyłączone</translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation>Opóźnienie napisów: %1 s</translation>
    </message>
    <message>
        <source>Deinterlace: Auto</source>
        <translation>Usuwanie przeplotu: automatycznie</translation>
    </message>
    <message>
        <source>Deinterlace: On</source>
        <translation>Usuwanie przeplotu: włączone</translation>
    </message>
    <message>
        <source>Deinterlace: Off</source>
        <translation>Usuwanie przeplotu: wyłączone</translation>
    </message>
    <message>
        <source>Synchronising subtitles… %1%</source>
        <translation>Synchronizowanie napisów… %1%</translation>
    </message>
    <message>
        <source>Synchronisation cancelled</source>
        <translation>Synchronizację anulowano</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation>Nie udało się dopasować napisów do mowy</translation>
    </message>
    <message>
        <source>Subtitles synchronised: %1</source>
        <translation>Napisy zsynchronizowane: %1</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation>(zapamiętane)</translation>
    </message>
    <message>
        <source>in %1 parts</source>
        <translation>w %1 częściach</translation>
    </message>
    <message>
        <source>This stream cannot seek</source>
        <translation>Nie można przewijać tego strumienia</translation>
    </message>
    <message>
        <source>Audio delay: %1 ms</source>
        <translation>Opóźnienie dźwięku: %1 ms</translation>
    </message>
    <message>
        <source>Night mode: on</source>
        <translation>Tryb nocny: włączony</translation>
    </message>
    <message>
        <source>Night mode: off</source>
        <translation>Tryb nocny: wyłączony</translation>
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
        <translation>Otwórz wideo</translation>
    </message>
    <message>
        <source>Open Subtitles</source>
        <translation>Otwórz napisy</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Odtwórz</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Wstrzymaj</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Zatrzymaj</translation>
    </message>
    <message>
        <source>Previous File</source>
        <translation>Poprzedni plik</translation>
    </message>
    <message>
        <source>Next File</source>
        <translation>Następny plik</translation>
    </message>
    <message>
        <source>Fullscreen</source>
        <translation>Pełny ekran</translation>
    </message>
    <message>
        <source>About</source>
        <translation>O programie</translation>
    </message>
</context>
<context>
    <name>tavimo::CAboutDlg</name>
    <message>
        <source>About Tavimo</source>
        <translation>O programie Tavimo</translation>
    </message>
</context>
<context>
    <name>tavimo::COpenURL</name>
    <message>
        <source>Enter URL</source>
        <translation>Podaj adres URL</translation>
    </message>
</context>
<context>
    <name>tavimo::CSliders</name>
    <message>
        <source>Volume</source>
        <translation>Głośność</translation>
    </message>
</context>
</TS>
