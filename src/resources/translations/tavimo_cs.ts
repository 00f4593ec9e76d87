<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="cs">
<context>
    <name>About</name>
    <message>
        <source>Tavimo build %1</source>
        <translation>Tavimo, sestavení %1</translation>
    </message>
    <message>
        <source>A small video player that draws its own subtitles.</source>
        <translation>Malý přehrávač videa, který si sám kreslí titulky.</translation>
    </message>
    <message>
        <source>Built with Qt 6 and GStreamer for Linux.</source>
        <translation>Vytvořeno s Qt 6 a GStreamerem pro Linux.</translation>
    </message>
    <message>
        <source>Thanks to (a-z):</source>
        <translation>Poděkování (a–z):</translation>
    </message>
</context>
<context>
    <name>Boxes</name>
    <message>
        <source>Move &quot;%1&quot; to the trash?</source>
        <translation>Přesunout „%1“ do koše?</translation>
    </message>
    <message>
        <source>Could not move &quot;%1&quot; to the trash.
%2</source>
        <translation>„%1“ nelze přesunout do koše.
%2</translation>
    </message>
    <message>
        <source>ASX Playlists are not supported by this application.

Please select a valid media file.</source>
        <translation>Seznamy skladeb ASX tato aplikace nepodporuje.

Vyberte platný multimediální soubor.</translation>
    </message>
    <message>
        <source>This program needs DirectX9,
a videocard with Direct3D and the latest videodrivers.
Go download them!</source>
        <translation>Tento program potřebuje DirectX 9,
grafickou kartu s Direct3D a nejnovější ovladače.
Stáhněte si je!</translation>
    </message>
    <message>
        <source>Failed to load Windows Media content.
Perhaps you need to install Windows Media Player 9 or higher.</source>
        <translation>Obsah Windows Media se nepodařilo načíst.
Možná je třeba nainstalovat Windows Media Player 9 nebo novější.</translation>
    </message>
    <message>
        <source>Unknown Error: 0x%x</source>
        <translation>Neznámá chyba: 0x%x</translation>
    </message>
    <message>
        <source>The picture could not be made into a PNG.</source>
        <translation>Snímek se nepodařilo převést do PNG.</translation>
    </message>
    <message>
        <source>The picture could not be read from the video.</source>
        <translation>Snímek se nepodařilo přečíst z videa.</translation>
    </message>
    <message>
        <source>Every name for this moment is taken.</source>
        <translation>Všechny názvy pro tento okamžik jsou již obsazené.</translation>
    </message>
    <message>
        <source>The screenshot could not be saved in the folder
%1</source>
        <translation>Snímek obrazovky se nepodařilo uložit do složky
%1</translation>
    </message>
    <message>
        <source>an empty name was given for a file to write</source>
        <translation>pro zapisovaný soubor byl zadán prázdný název</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>nelze zapsat %1: %2</translation>
    </message>
    <message>
        <source>update-mime-database is not installed</source>
        <translation>update-mime-database není nainstalován</translation>
    </message>
    <message>
        <source>update-mime-database failed on %1</source>
        <translation>update-mime-database selhal pro %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; may be %2 or another type, and its contents do not tell which</source>
        <translation>„%1“ může být typu %2 nebo jiného a z obsahu to nelze poznat</translation>
    </message>
    <message>
        <source>the default application for %1 was not set: %2</source>
        <translation>výchozí aplikace pro %1 nebyla nastavena: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no file extension, so no file type was registered.</source>
        <translation>„%1“ nemá příponu, proto nebyl zaregistrován žádný typ souboru.</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; registered with Tavimo</source>
        <translation>Typ souboru „%1“ byl přiřazen k Tavimo</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; could not be registered with Tavimo:
%2</source>
        <translation>Typ souboru „%1“ nelze přiřadit k Tavimo:
%2</translation>
    </message>
    <message>
        <source>The file could not be moved to the trash.</source>
        <translation>Soubor se nepodařilo přesunout do koše.</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation type="vanished">Titulky se nepodařilo sladit s řečí</translation>
    </message>
    <message>
        <source>the desktop entry %1 is not usable</source>
        <translation>položku pracovního prostředí %1 nelze použít</translation>
    </message>
    <message>
        <source>mimeapps.list could not be written</source>
        <translation>soubor mimeapps.list se nepodařilo zapsat</translation>
    </message>
    <message>
        <source>The subtitle file &quot;%1&quot; cannot be read.

Tavimo reads SubRip (.srt, .txt), MicroDVD (.sub) and SSA/ASS (.ssa, .ass) files of up to %2 MB.</source>
        <translation>Soubor titulků „%1“ nelze přečíst.

Tavimo čte soubory SubRip (.srt, .txt), MicroDVD (.sub) a SSA/ASS (.ssa, .ass) o velikosti do %2 MB.</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Playing video</source>
        <translation>Přehrává se video</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Celá obrazovka</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Open Media File...</source>
        <translation>Otevřít multimediální soubor...</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Všechny soubory (*.*)</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Písmo</translation>
    </message>
    <message>
        <source>&amp;Color...</source>
        <translation>&amp;Barva...</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Barva</translation>
    </message>
    <message>
        <source>Open Subtitles File...</source>
        <translation>Otevřít soubor s titulky...</translation>
    </message>
    <message>
        <source>Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)</source>
        <translation>Podporované soubory (*.srt;*.txt;*.sub;*.ass;*.ssa)</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>The operation is not available here.</source>
        <translation>Operace zde není k dispozici.</translation>
    </message>
    <message>
        <source>The object does not offer the requested interface.</source>
        <translation>Objekt nenabízí požadované rozhraní.</translation>
    </message>
    <message>
        <source>A required pointer was missing.</source>
        <translation>Chyběl potřebný ukazatel.</translation>
    </message>
    <message>
        <source>The operation was cancelled.</source>
        <translation>Operace byla zrušena.</translation>
    </message>
    <message>
        <source>The operation failed.</source>
        <translation>Operace selhala.</translation>
    </message>
    <message>
        <source>An unexpected failure occurred.</source>
        <translation>Došlo k neočekávané chybě.</translation>
    </message>
    <message>
        <source>Access to the file was refused.</source>
        <translation>Přístup k souboru byl odepřen.</translation>
    </message>
    <message>
        <source>There is not enough memory for the operation.</source>
        <translation>Pro operaci není dostatek paměti.</translation>
    </message>
    <message>
        <source>An argument is not valid.</source>
        <translation>Argument není platný.</translation>
    </message>
    <message>
        <source>The file could not be found.</source>
        <translation>Soubor nebyl nalezen.</translation>
    </message>
    <message>
        <source>The folder of the file could not be found.</source>
        <translation>Složka souboru nebyla nalezena.</translation>
    </message>
    <message>
        <source>The pins are not connected.</source>
        <translation>Piny nejsou propojeny.</translation>
    </message>
    <message>
        <source>A required interface is not implemented.</source>
        <translation>Potřebné rozhraní není implementováno.</translation>
    </message>
    <message>
        <source>The object or name was not found.</source>
        <translation>Objekt nebo název nebyl nalezen.</translation>
    </message>
    <message>
        <source>No chain of elements could connect the stream.</source>
        <translation>Žádný řetězec prvků nedokázal připojit datový proud.</translation>
    </message>
    <message>
        <source>No chain of elements could render the stream.</source>
        <translation>Žádný řetězec prvků nedokázal přehrát datový proud.</translation>
    </message>
    <message>
        <source>The pipeline is in the wrong state for the operation.</source>
        <translation>Řetězec zpracování je pro tuto operaci ve špatném stavu.</translation>
    </message>
    <message>
        <source>The media type is not accepted.</source>
        <translation>Typ média není přijat.</translation>
    </message>
    <message>
        <source>An element with this name is already in the graph.</source>
        <translation>Prvek s tímto názvem už v grafu je.</translation>
    </message>
    <message>
        <source>The media pipeline did not answer in time.</source>
        <translation>Multimediální řetězec zpracování neodpověděl včas.</translation>
    </message>
    <message>
        <source>The file is not in the expected format.</source>
        <translation>Soubor nemá očekávaný formát.</translation>
    </message>
    <message>
        <source>The type of this file is not recognised.</source>
        <translation>Typ tohoto souboru nebyl rozpoznán.</translation>
    </message>
    <message>
        <source>No source could be loaded for this file.</source>
        <translation>Pro tento soubor nelze načíst žádný zdroj.</translation>
    </message>
    <message>
        <source>No decoder is installed for a stream of this file.</source>
        <translation>Pro datový proud tohoto souboru není nainstalován žádný dekodér.</translation>
    </message>
    <message>
        <source>No audio output is available.</source>
        <translation>Není k dispozici žádný zvukový výstup.</translation>
    </message>
    <message>
        <source>The element is not in the graph.</source>
        <translation>Prvek není v grafu.</translation>
    </message>
    <message>
        <source>The file cannot be played: its format is not supported.</source>
        <translation>Soubor nelze přehrát: jeho formát není podporován.</translation>
    </message>
    <message>
        <source>No handler is installed for this protocol (mms://).</source>
        <translation>Pro tento protokol (mms://) není nainstalována žádná obsluha.</translation>
    </message>
    <message>
        <source>The file cannot be played from here: it has to be read out of order, and its server only sends it whole.</source>
        <translation>Soubor odtud nelze přehrát: musí se číst na přeskáčku a jeho server ho posílá jen celý.</translation>
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
        <translation>Použití: tavimo [SOUBOR-NEBO-URL]
Přehraje videosoubor nebo URL s titulky nalezenými vedle něj.
Vše za názvem programu je jediná cesta; uvozovky kolem ní se odstraní.

  --sync-subtitles TITULKY KLIP [-o VÝSTUP.srt]
             sladí titulky s řečí v klipu, vypíše opravu
             (s -o zapíše i opravený soubor SubRip) a skončí
  --help     zobrazí tento text a skončí
  --version  zobrazí verzi a skončí
</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>Chapter %1</source>
        <translation>Kapitola %1</translation>
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
        <translation>Stopa %1</translation>
    </message>
    <message>
        <source>%1 (no decoder)</source>
        <translation>%1 (chybí dekodér)</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Vypnuto</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Soubor</translation>
    </message>
    <message>
        <source>&amp;Open Video...	Ctrl+O</source>
        <translation>&amp;Otevřít video...	Ctrl+O</translation>
    </message>
    <message>
        <source>Open Subtitles	Ctrl+S</source>
        <translation>Otevřít titulky	Ctrl+S</translation>
    </message>
    <message>
        <source>Open URL	Ctrl+U</source>
        <translation>Otevřít URL	Ctrl+U</translation>
    </message>
    <message>
        <source>Register Filetype For Current File	Ctrl+R</source>
        <translation>Přiřadit typ aktuálního souboru	Ctrl+R</translation>
    </message>
    <message>
        <source>Delete Current File	DEL</source>
        <translation>Smazat aktuální soubor	Delete</translation>
    </message>
    <message>
        <source>Save Screenshot	Shift+S</source>
        <translation>Uložit snímek obrazovky	Shift+S</translation>
    </message>
    <message>
        <source>Most Recent...</source>
        <translation>Nedávné soubory...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Konec</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Přehrávání</translation>
    </message>
    <message>
        <source>Play	ENTER</source>
        <translation>Přehrát	Enter</translation>
    </message>
    <message>
        <source>Stop	Esc</source>
        <translation>Zastavit	Esc</translation>
    </message>
    <message>
        <source>Pause	SPACE</source>
        <translation>Pozastavit	Mezerník</translation>
    </message>
    <message>
        <source>Previous File	PgUp</source>
        <translation>Předchozí soubor	PgUp</translation>
    </message>
    <message>
        <source>Next File	PgDn</source>
        <translation>Další soubor	PgDn</translation>
    </message>
    <message>
        <source>5 Seconds Forward	&gt;</source>
        <translation>O 5 sekund vpřed	&gt;</translation>
    </message>
    <message>
        <source>5 Seconds Back	&lt;</source>
        <translation>O 5 sekund zpět	&lt;</translation>
    </message>
    <message>
        <source>Next Chapter	Shift+PgDn</source>
        <translation>Další kapitola	Shift+PgDn</translation>
    </message>
    <message>
        <source>Previous Chapter	Shift+PgUp</source>
        <translation>Předchozí kapitola	Shift+PgUp</translation>
    </message>
    <message>
        <source>Chapters</source>
        <translation>Kapitoly</translation>
    </message>
    <message>
        <source>A-B Loop	L</source>
        <translation>Opakování A-B	L</translation>
    </message>
    <message>
        <source>Faster	]</source>
        <translation>Rychleji	]</translation>
    </message>
    <message>
        <source>Slower	[</source>
        <translation>Pomaleji	[</translation>
    </message>
    <message>
        <source>Normal Speed	Backspace</source>
        <translation>Normální rychlost	Backspace</translation>
    </message>
    <message>
        <source>Next Frame	E</source>
        <translation>Další snímek	E</translation>
    </message>
    <message>
        <source>Previous Frame	Shift+E</source>
        <translation>Předchozí snímek	Shift+E</translation>
    </message>
    <message>
        <source>&amp;Filters</source>
        <translation>&amp;Filtry</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Zobrazit</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Nástrojová lišta</translation>
    </message>
    <message>
        <source>&amp;Seekbar</source>
        <translation>&amp;Posuvník</translation>
    </message>
    <message>
        <source>Fullscreen	F</source>
        <translation>Celá obrazovka	F</translation>
    </message>
    <message>
        <source>Fullscreen Resolution</source>
        <translation>Rozlišení celé obrazovky</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Výchozí</translation>
    </message>
    <message>
        <source>Auto Next</source>
        <translation>Automaticky další</translation>
    </message>
    <message>
        <source>Maintain Aspect Ratio</source>
        <translation>Zachovat poměr stran</translation>
    </message>
    <message>
        <source>Always On Top</source>
        <translation>Vždy navrchu</translation>
    </message>
    <message>
        <source>Allow Multiple Instances</source>
        <translation>Povolit více instancí</translation>
    </message>
    <message>
        <source>Keep Window Size</source>
        <translation>Zachovat velikost okna</translation>
    </message>
    <message>
        <source>View Subtitles	C</source>
        <translation>Zobrazit titulky	C</translation>
    </message>
    <message>
        <source>Set Subtitle Font</source>
        <translation>Písmo titulků</translation>
    </message>
    <message>
        <source>Subtitle Track</source>
        <translation>Stopa titulků</translation>
    </message>
    <message>
        <source>Audio Track</source>
        <translation>Zvuková stopa</translation>
    </message>
    <message>
        <source>Subtitle Encoding</source>
        <translation>Kódování titulků</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automaticky</translation>
    </message>
    <message>
        <source>Subtitle Styles</source>
        <translation>Styly titulků</translation>
    </message>
    <message>
        <source>Resume Playback</source>
        <translation>Pokračovat v přehrávání</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Nápověda</translation>
    </message>
    <message>
        <source>Help	F1</source>
        <translation>Nápověda	F1</translation>
    </message>
    <message>
        <source>Check For Update</source>
        <translation>Zkontrolovat aktualizace</translation>
    </message>
    <message>
        <source>&amp;About Tavimo...</source>
        <translation>&amp;O aplikaci Tavimo...</translation>
    </message>
    <message>
        <source>Deinterlace</source>
        <translation>Odstranění prokládání</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Automaticky</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Zapnuto</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech</source>
        <translation type="vanished">Sladit titulky s řečí</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech	Y</source>
        <translation>Sladit titulky s řečí	Y</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation type="vanished">(zapamatováno)</translation>
    </message>
    <message>
        <source>Audio Earlier	J</source>
        <translation>Zvuk dříve	J</translation>
    </message>
    <message>
        <source>Audio Later	K</source>
        <translation>Zvuk později	K</translation>
    </message>
    <message>
        <source>Reset Audio Delay	Shift+J</source>
        <translation>Zrušit zpoždění zvuku	Shift+J</translation>
    </message>
    <message>
        <source>Night Mode	N</source>
        <translation>Noční režim	N</translation>
    </message>
</context>
<context>
    <name>Notes</name>
    <message>
        <source>Chapter %1/%2</source>
        <translation>Kapitola %1/%2</translation>
    </message>
    <message>
        <source>Chapter %1/%2: %3</source>
        <translation>Kapitola %1/%2: %3</translation>
    </message>
    <message>
        <source>Loop: %1 –</source>
        <translation>Opakování: %1 –</translation>
    </message>
    <message>
        <source>Loop: %1 – %2</source>
        <translation>Opakování: %1 – %2</translation>
    </message>
    <message>
        <source>Loop off</source>
        <translation>Opakování vypnuto</translation>
    </message>
    <message>
        <source>Speed: %1×</source>
        <translation>Rychlost: %1×</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Uloženo: %1</translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation>Zvuk: %1</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Titulky: %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>žádný</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>vypnuto</translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation>Zpoždění titulků: %1 s</translation>
    </message>
    <message>
        <source>Deinterlace: Auto</source>
        <translation>Odstranění prokládání: automaticky</translation>
    </message>
    <message>
        <source>Deinterlace: On</source>
        <translation>Odstranění prokládání: zapnuto</translation>
    </message>
    <message>
        <source>Deinterlace: Off</source>
        <translation>Odstranění prokládání: vypnuto</translation>
    </message>
    <message>
        <source>Synchronising subtitles… %1%</source>
        <translation>Slaďování titulků… %1 %</translation>
    </message>
    <message>
        <source>Synchronisation cancelled</source>
        <translation>Slaďování zrušeno</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation>Titulky se nepodařilo sladit s řečí</translation>
    </message>
    <message>
        <source>Subtitles synchronised: %1</source>
        <translation>Titulky sladěny: %1</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation>(zapamatováno)</translation>
    </message>
    <message>
        <source>in %1 parts</source>
        <translation>v %1 částech</translation>
    </message>
    <message>
        <source>This stream cannot seek</source>
        <translation>Tento stream nelze přetáčet</translation>
    </message>
    <message>
        <source>Audio delay: %1 ms</source>
        <translation>Zpoždění zvuku: %1 ms</translation>
    </message>
    <message>
        <source>Night mode: on</source>
        <translation>Noční režim: zapnut</translation>
    </message>
    <message>
        <source>Night mode: off</source>
        <translation>Noční režim: vypnut</translation>
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
        <translation>Otevřít video</translation>
    </message>
    <message>
        <source>Open Subtitles</source>
        <translation>Otevřít titulky</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Přehrát</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pozastavit</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Zastavit</translation>
    </message>
    <message>
        <source>Previous File</source>
        <translation>Předchozí soubor</translation>
    </message>
    <message>
        <source>Next File</source>
        <translation>Další soubor</translation>
    </message>
    <message>
        <source>Fullscreen</source>
        <translation>Celá obrazovka</translation>
    </message>
    <message>
        <source>About</source>
        <translation>O aplikaci</translation>
    </message>
</context>
<context>
    <name>tavimo::CAboutDlg</name>
    <message>
        <source>About Tavimo</source>
        <translation>O aplikaci Tavimo</translation>
    </message>
</context>
<context>
    <name>tavimo::COpenURL</name>
    <message>
        <source>Enter URL</source>
        <translation>Zadejte URL</translation>
    </message>
</context>
<context>
    <name>tavimo::CSliders</name>
    <message>
        <source>Volume</source>
        <translation>Hlasitost</translation>
    </message>
</context>
</TS>
