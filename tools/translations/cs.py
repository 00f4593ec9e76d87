# Czech.
KEYS = {"Ctrl": "Ctrl", "Shift": "Shift", "DEL": "Delete", "ENTER": "Enter", "SPACE": "Mezerník",
        "PgUp": "PgUp", "PgDn": "PgDn", "Backspace": "Backspace", "Esc": "Esc"}

T = {
    "About": {
        "Tavimo build %1": "Tavimo, sestavení %1",
        "A small video player that draws its own subtitles.":
            "Malý přehrávač videa, který si sám kreslí titulky.",
        "Built with Qt 6 and GStreamer for Linux.": "Vytvořeno s Qt 6 a GStreamerem pro Linux.",
        "Thanks to (a-z):": "Poděkování (a–z):",
    },
    "Boxes": {
        "the desktop entry %1 is not usable": "položku pracovního prostředí %1 nelze použít",
        "mimeapps.list could not be written": "soubor mimeapps.list se nepodařilo zapsat",
        'Move "%1" to the trash?': "Přesunout „%1“ do koše?",
        'Could not move "%1" to the trash.\n%2': "„%1“ nelze přesunout do koše.\n%2",
        "ASX Playlists are not supported by this application.\n\nPlease select a valid media file.":
            "Seznamy skladeb ASX tato aplikace nepodporuje.\n\n"
            "Vyberte platný multimediální soubor.",
        "This program needs DirectX9,\na videocard with Direct3D and the latest videodrivers.\nGo download them!":
            "Tento program potřebuje DirectX 9,\ngrafickou kartu s Direct3D a nejnovější "
            "ovladače.\nStáhněte si je!",
        "Failed to load Windows Media content.\nPerhaps you need to install Windows Media Player 9 or higher.":
            "Obsah Windows Media se nepodařilo načíst.\nMožná je třeba nainstalovat "
            "Windows Media Player 9 nebo novější.",
        "Unknown Error: 0x%x": "Neznámá chyba: 0x%x",
        "The picture could not be made into a PNG.": "Snímek se nepodařilo převést do PNG.",
        "The picture could not be read from the video.": "Snímek se nepodařilo přečíst z videa.",
        "Every name for this moment is taken.": "Všechny názvy pro tento okamžik jsou již obsazené.",
        "The screenshot could not be saved in the folder\n%1":
            "Snímek obrazovky se nepodařilo uložit do složky\n%1",
        "an empty name was given for a file to write":
            "pro zapisovaný soubor byl zadán prázdný název",
        "cannot write %1: %2": "nelze zapsat %1: %2",
        "update-mime-database is not installed": "update-mime-database není nainstalován",
        "update-mime-database failed on %1": "update-mime-database selhal pro %1",
        '"%1" may be %2 or another type, and its contents do not tell which':
            "„%1“ může být typu %2 nebo jiného a z obsahu to nelze poznat",
        "the default application for %1 was not set: %2":
            "výchozí aplikace pro %1 nebyla nastavena: %2",
        '"%1" has no file extension, so no file type was registered.':
            "„%1“ nemá příponu, proto nebyl zaregistrován žádný typ souboru.",
        'Filetype "%1" registered with Tavimo': "Typ souboru „%1“ byl přiřazen k Tavimo",
        'Filetype "%1" could not be registered with Tavimo:\n%2':
            "Typ souboru „%1“ nelze přiřadit k Tavimo:\n%2",
        "The file could not be moved to the trash.": "Soubor se nepodařilo přesunout do koše.",
        "Could not match the subtitles to the speech": "Titulky se nepodařilo sladit s řečí",
    },
    "Desktop": {
        "Playing video": "Přehrává se video",
        "Full screen": "Celá obrazovka",
    },
    "Dialogs": {
        "Open Media File...": "Otevřít multimediální soubor...",
        "All Files (*.*)": "Všechny soubory (*.*)",
        "Font": "Písmo",
        "&Color...": "&Barva...",
        "Color": "Barva",
        "Open Subtitles File...": "Otevřít soubor s titulky...",
        "Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)":
            "Podporované soubory (*.srt;*.txt;*.sub;*.ass;*.ssa)",
    },
    "Errors": {
        "The operation is not available here.": "Operace zde není k dispozici.",
        "The object does not offer the requested interface.":
            "Objekt nenabízí požadované rozhraní.",
        "A required pointer was missing.": "Chyběl potřebný ukazatel.",
        "The operation was cancelled.": "Operace byla zrušena.",
        "The operation failed.": "Operace selhala.",
        "An unexpected failure occurred.": "Došlo k neočekávané chybě.",
        "Access to the file was refused.": "Přístup k souboru byl odepřen.",
        "There is not enough memory for the operation.": "Pro operaci není dostatek paměti.",
        "An argument is not valid.": "Argument není platný.",
        "The file could not be found.": "Soubor nebyl nalezen.",
        "The folder of the file could not be found.": "Složka souboru nebyla nalezena.",
        "The pins are not connected.": "Piny nejsou propojeny.",
        "A required interface is not implemented.": "Potřebné rozhraní není implementováno.",
        "The object or name was not found.": "Objekt nebo název nebyl nalezen.",
        "No chain of elements could connect the stream.":
            "Žádný řetězec prvků nedokázal připojit datový proud.",
        "No chain of elements could render the stream.":
            "Žádný řetězec prvků nedokázal přehrát datový proud.",
        "The pipeline is in the wrong state for the operation.":
            "Řetězec zpracování je pro tuto operaci ve špatném stavu.",
        "The media type is not accepted.": "Typ média není přijat.",
        "An element with this name is already in the graph.":
            "Prvek s tímto názvem už v grafu je.",
        "The media pipeline did not answer in time.":
            "Multimediální řetězec zpracování neodpověděl včas.",
        "The file is not in the expected format.": "Soubor nemá očekávaný formát.",
        "The type of this file is not recognised.": "Typ tohoto souboru nebyl rozpoznán.",
        "No source could be loaded for this file.": "Pro tento soubor nelze načíst žádný zdroj.",
        "No decoder is installed for a stream of this file.":
            "Pro datový proud tohoto souboru není nainstalován žádný dekodér.",
        "No audio output is available.": "Není k dispozici žádný zvukový výstup.",
        "The element is not in the graph.": "Prvek není v grafu.",
        "The file cannot be played: its format is not supported.":
            "Soubor nelze přehrát: jeho formát není podporován.",
        "No handler is installed for this protocol (mms://).":
            "Pro tento protokol (mms://) není nainstalována žádná obsluha.",
    },
    "Help": {
        "Usage: tavimo [FILE-OR-URL]\nPlays a video file or URL, with the subtitles found beside it.\n"
        "Everything after the program name is one path; quotes around it are removed.\n\n"
        "  --sync-subtitles SUBTITLE CLIP [-o OUT.srt]\n"
        "             match the subtitles to the clip's speech, print the correction\n"
        "             (and write the corrected SubRip file with -o), and exit\n"
        "  --help     show this text and exit\n  --version  show the version and exit\n":
            "Použití: tavimo [SOUBOR-NEBO-URL]\n"
            "Přehraje videosoubor nebo URL s titulky nalezenými vedle něj.\n"
            "Vše za názvem programu je jediná cesta; uvozovky kolem ní se odstraní.\n\n"
            "  --sync-subtitles TITULKY KLIP [-o VÝSTUP.srt]\n"
            "             sladí titulky s řečí v klipu, vypíše opravu\n"
            "             (s -o zapíše i opravený soubor SubRip) a skončí\n"
            "  --help     zobrazí tento text a skončí\n"
            "  --version  zobrazí verzi a skončí\n",
    },
    "Menu": {
        "Chapter %1": "Kapitola %1",
        "mono": "mono",
        "stereo": "stereo",
        "%1 ch": "%1 kan.",
        "Track %1": "Stopa %1",
        "%1 (no decoder)": "%1 (chybí dekodér)",
        "Off": "Vypnuto",
        "&File": "&Soubor",
        "&Open Video...": "&Otevřít video...",
        "Open Subtitles": "Otevřít titulky",
        "Open URL": "Otevřít URL",
        "Register Filetype For Current File": "Přiřadit typ aktuálního souboru",
        "Delete Current File": "Smazat aktuální soubor",
        "Save Screenshot": "Uložit snímek obrazovky",
        "Most Recent...": "Nedávné soubory...",
        "E&xit": "&Konec",
        "Play": "Přehrávání",
        "Play\tENTER": "Přehrát",
        "Stop": "Zastavit",
        "Pause": "Pozastavit",
        "Previous File": "Předchozí soubor",
        "Next File": "Další soubor",
        "5 Seconds Forward": "O 5 sekund vpřed",
        "5 Seconds Back": "O 5 sekund zpět",
        "Next Chapter": "Další kapitola",
        "Previous Chapter": "Předchozí kapitola",
        "Chapters": "Kapitoly",
        "A-B Loop": "Opakování A-B",
        "Faster": "Rychleji",
        "Slower": "Pomaleji",
        "Normal Speed": "Normální rychlost",
        "Next Frame": "Další snímek",
        "Previous Frame": "Předchozí snímek",
        "&Filters": "&Filtry",
        "&View": "&Zobrazit",
        "&Toolbar": "&Nástrojová lišta",
        "&Seekbar": "&Posuvník",
        "Fullscreen": "Celá obrazovka",
        "Fullscreen Resolution": "Rozlišení celé obrazovky",
        "Default": "Výchozí",
        "Auto Next": "Automaticky další",
        "Maintain Aspect Ratio": "Zachovat poměr stran",
        "Always On Top": "Vždy navrchu",
        "Allow Multiple Instances": "Povolit více instancí",
        "Keep Window Size": "Zachovat velikost okna",
        "View Subtitles": "Zobrazit titulky",
        "Set Subtitle Font": "Písmo titulků",
        "Subtitle Track": "Stopa titulků",
        "Audio Track": "Zvuková stopa",
        "Subtitle Encoding": "Kódování titulků",
        "Automatic": "Automaticky",
        "Subtitle Styles": "Styly titulků",
        "Resume Playback": "Pokračovat v přehrávání",
        "&Help": "&Nápověda",
        "Help": "Nápověda",
        "Check For Update": "Zkontrolovat aktualizace",
        "&About Tavimo...": "&O aplikaci Tavimo...",
        "Deinterlace": "Odstranění prokládání",
        "Auto": "Automaticky",
        "On": "Zapnuto",
        "Synchronise Subtitles to Speech": "Sladit titulky s řečí",
        "(remembered)": "(zapamatováno)",
    },
    "Notes": {
        "Chapter %1/%2": "Kapitola %1/%2",
        "Chapter %1/%2: %3": "Kapitola %1/%2: %3",
        "Loop: %1 –": "Opakování: %1 –",
        "Loop: %1 – %2": "Opakování: %1 – %2",
        "Loop off": "Opakování vypnuto",
        "Speed: %1×": "Rychlost: %1×",
        "Saved %1": "Uloženo: %1",
        "Audio: %1": "Zvuk: %1",
        "Subtitles: %1": "Titulky: %1",
        "none": "žádný",
        "Off": "vypnuto",
        "Subtitle delay: %1 s": "Zpoždění titulků: %1 s",
        "Deinterlace: Auto": "Odstranění prokládání: automaticky",
        "Deinterlace: On": "Odstranění prokládání: zapnuto",
        "Deinterlace: Off": "Odstranění prokládání: vypnuto",
        "Synchronising subtitles… %1%": "Slaďování titulků… %1 %",
        "Synchronisation cancelled": "Slaďování zrušeno",
        "Could not match the subtitles to the speech": "Titulky se nepodařilo sladit s řečí",
        "Subtitles synchronised: %1": "Titulky sladěny: %1",
        "(remembered)": "(zapamatováno)",
        "in %1 parts": "v %1 částech",
    },
    "Seekbar": {"%1 / %2": "%1 / %2"},
    "Toolbar": {
        "Open Video": "Otevřít video",
        "Open Subtitles": "Otevřít titulky",
        "Play": "Přehrát",
        "Pause": "Pozastavit",
        "Stop": "Zastavit",
        "Previous File": "Předchozí soubor",
        "Next File": "Další soubor",
        "Fullscreen": "Celá obrazovka",
        "About": "O aplikaci",
    },
    "tavimo::CAboutDlg": {"About Tavimo": "O aplikaci Tavimo"},
    "tavimo::COpenURL": {"Enter URL": "Zadejte URL"},
    "tavimo::CSliders": {"Volume": "Hlasitost"},
}
