# Italian.
KEYS = {"Ctrl": "Ctrl", "Shift": "Maiusc", "DEL": "Canc", "ENTER": "Invio", "SPACE": "Spazio",
        "PgUp": "PagSu", "PgDn": "PagGiù", "Backspace": "Backspace", "Esc": "Esc"}

T = {
    "About": {
        "Tavimo build %1": "Tavimo, build %1",
        "A small video player that draws its own subtitles.":
            "Un piccolo lettore video che disegna da sé i sottotitoli.",
        "Built with Qt 6 and GStreamer for Linux.": "Realizzato con Qt 6 e GStreamer per Linux.",
        "Thanks to (a-z):": "Ringraziamenti (a–z):",
    },
    "Boxes": {
        "the desktop entry %1 is not usable": "la voce desktop %1 non è utilizzabile",
        "mimeapps.list could not be written": "impossibile scrivere mimeapps.list",
        'Move "%1" to the trash?': "Spostare «%1» nel cestino?",
        'Could not move "%1" to the trash.\n%2': "Impossibile spostare «%1» nel cestino.\n%2",
        "ASX Playlists are not supported by this application.\n\nPlease select a valid media file.":
            "Le playlist ASX non sono supportate da questa applicazione.\n\n"
            "Selezionare un file multimediale valido.",
        "This program needs DirectX9,\na videocard with Direct3D and the latest videodrivers.\nGo download them!":
            "Questo programma richiede DirectX 9,\nuna scheda video con Direct3D e i driver video "
            "più recenti.\nScaricali!",
        "Failed to load Windows Media content.\nPerhaps you need to install Windows Media Player 9 or higher.":
            "Impossibile caricare il contenuto Windows Media.\nForse occorre installare "
            "Windows Media Player 9 o successivo.",
        "Unknown Error: 0x%x": "Errore sconosciuto: 0x%x",
        "The picture could not be made into a PNG.": "Impossibile convertire l’immagine in PNG.",
        "The picture could not be read from the video.": "Impossibile leggere l’immagine dal video.",
        "Every name for this moment is taken.": "Tutti i nomi per questo istante sono già in uso.",
        "The screenshot could not be saved in the folder\n%1":
            "Impossibile salvare l’istantanea nella cartella\n%1",
        "an empty name was given for a file to write":
            "è stato indicato un nome vuoto per un file da scrivere",
        "cannot write %1: %2": "impossibile scrivere %1: %2",
        "update-mime-database is not installed": "update-mime-database non è installato",
        "update-mime-database failed on %1": "update-mime-database non è riuscito su %1",
        '"%1" may be %2 or another type, and its contents do not tell which':
            "«%1» può essere %2 o un altro tipo, e il contenuto non permette di stabilirlo",
        "the default application for %1 was not set: %2":
            "l’applicazione predefinita per %1 non è stata impostata: %2",
        '"%1" has no file extension, so no file type was registered.':
            "«%1» non ha estensione, quindi non è stato registrato alcun tipo di file.",
        'Filetype "%1" registered with Tavimo': "Tipo di file «%1» associato a Tavimo",
        'Filetype "%1" could not be registered with Tavimo:\n%2':
            "Impossibile associare il tipo di file «%1» a Tavimo:\n%2",
        "The file could not be moved to the trash.": "Impossibile spostare il file nel cestino.",
        "Could not match the subtitles to the speech":
            "Impossibile allineare i sottotitoli al parlato",
    },
    "Desktop": {
        "Playing video": "Riproduzione video",
        "Full screen": "Schermo intero",
    },
    "Dialogs": {
        "Open Media File...": "Apri file multimediale...",
        "All Files (*.*)": "Tutti i file (*.*)",
        "Font": "Carattere",
        "&Color...": "&Colore...",
        "Color": "Colore",
        "Open Subtitles File...": "Apri file di sottotitoli...",
        "Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)":
            "File supportati (*.srt;*.txt;*.sub;*.ass;*.ssa)",
    },
    "Errors": {
        "The operation is not available here.": "L’operazione non è disponibile qui.",
        "The object does not offer the requested interface.":
            "L’oggetto non offre l’interfaccia richiesta.",
        "A required pointer was missing.": "Mancava un puntatore necessario.",
        "The operation was cancelled.": "L’operazione è stata annullata.",
        "The operation failed.": "L’operazione non è riuscita.",
        "An unexpected failure occurred.": "Si è verificato un errore imprevisto.",
        "Access to the file was refused.": "L’accesso al file è stato negato.",
        "There is not enough memory for the operation.":
            "Memoria insufficiente per l’operazione.",
        "An argument is not valid.": "Un argomento non è valido.",
        "The file could not be found.": "Impossibile trovare il file.",
        "The folder of the file could not be found.": "Impossibile trovare la cartella del file.",
        "The pins are not connected.": "I pin non sono collegati.",
        "A required interface is not implemented.": "Un’interfaccia necessaria non è implementata.",
        "The object or name was not found.": "Oggetto o nome non trovato.",
        "No chain of elements could connect the stream.":
            "Nessuna catena di elementi è riuscita a collegare il flusso.",
        "No chain of elements could render the stream.":
            "Nessuna catena di elementi è riuscita a riprodurre il flusso.",
        "The pipeline is in the wrong state for the operation.":
            "La pipeline non è nello stato giusto per l’operazione.",
        "The media type is not accepted.": "Il tipo di media non è accettato.",
        "An element with this name is already in the graph.":
            "Un elemento con questo nome è già nel grafo.",
        "The media pipeline did not answer in time.":
            "La pipeline multimediale non ha risposto in tempo.",
        "The file is not in the expected format.": "Il file non è nel formato previsto.",
        "The type of this file is not recognised.": "Il tipo di questo file non è riconosciuto.",
        "No source could be loaded for this file.":
            "Impossibile caricare una sorgente per questo file.",
        "No decoder is installed for a stream of this file.":
            "Nessun decoder installato per un flusso di questo file.",
        "No audio output is available.": "Nessuna uscita audio disponibile.",
        "The element is not in the graph.": "L’elemento non è nel grafo.",
        "The file cannot be played: its format is not supported.":
            "Impossibile riprodurre il file: il formato non è supportato.",
        "No handler is installed for this protocol (mms://).":
            "Nessun gestore installato per questo protocollo (mms://).",
    },
    "Help": {
        "Usage: tavimo [FILE-OR-URL]\nPlays a video file or URL, with the subtitles found beside it.\n"
        "Everything after the program name is one path; quotes around it are removed.\n\n"
        "  --sync-subtitles SUBTITLE CLIP [-o OUT.srt]\n"
        "             match the subtitles to the clip's speech, print the correction\n"
        "             (and write the corrected SubRip file with -o), and exit\n"
        "  --help     show this text and exit\n  --version  show the version and exit\n":
            "Uso: tavimo [FILE-O-URL]\n"
            "Riproduce un file video o un URL, con i sottotitoli trovati accanto.\n"
            "Tutto ciò che segue il nome del programma è un unico percorso; le virgolette "
            "intorno vengono rimosse.\n\n"
            "  --sync-subtitles SOTTOTITOLI CLIP [-o USCITA.srt]\n"
            "             sincronizza i sottotitoli con il parlato del clip, mostra la correzione\n"
            "             (e con -o scrive il file SubRip corretto) ed esce\n"
            "  --help     mostra questo testo ed esce\n"
            "  --version  mostra la versione ed esce\n",
    },
    "Menu": {
        "Chapter %1": "Capitolo %1",
        "mono": "mono",
        "stereo": "stereo",
        "%1 ch": "%1 canali",
        "Track %1": "Traccia %1",
        "%1 (no decoder)": "%1 (nessun decoder)",
        "Off": "Disattivati",
        "&File": "&File",
        "&Open Video...": "&Apri video...",
        "Open Subtitles": "Apri sottotitoli",
        "Open URL": "Apri URL",
        "Register Filetype For Current File": "Associa il tipo del file attuale",
        "Delete Current File": "Elimina il file attuale",
        "Save Screenshot": "Salva istantanea",
        "Most Recent...": "File recenti...",
        "E&xit": "&Esci",
        "Play": "Riproduzione",
        "Play\tENTER": "Riproduci",
        "Stop": "Ferma",
        "Pause": "Pausa",
        "Previous File": "File precedente",
        "Next File": "File successivo",
        "5 Seconds Forward": "Avanti di 5 secondi",
        "5 Seconds Back": "Indietro di 5 secondi",
        "Next Chapter": "Capitolo successivo",
        "Previous Chapter": "Capitolo precedente",
        "Chapters": "Capitoli",
        "A-B Loop": "Ripetizione A-B",
        "Faster": "Più veloce",
        "Slower": "Più lento",
        "Normal Speed": "Velocità normale",
        "Next Frame": "Fotogramma successivo",
        "Previous Frame": "Fotogramma precedente",
        "&Filters": "F&iltri",
        "&View": "&Visualizza",
        "&Toolbar": "Barra degli s&trumenti",
        "&Seekbar": "Barra di &avanzamento",
        "Fullscreen": "Schermo intero",
        "Fullscreen Resolution": "Risoluzione a schermo intero",
        "Default": "Predefinita",
        "Auto Next": "Successivo automatico",
        "Maintain Aspect Ratio": "Mantieni le proporzioni",
        "Always On Top": "Sempre in primo piano",
        "Allow Multiple Instances": "Consenti più istanze",
        "Keep Window Size": "Mantieni la dimensione della finestra",
        "View Subtitles": "Mostra sottotitoli",
        "Set Subtitle Font": "Carattere dei sottotitoli",
        "Subtitle Track": "Traccia sottotitoli",
        "Audio Track": "Traccia audio",
        "Subtitle Encoding": "Codifica dei sottotitoli",
        "Automatic": "Automatica",
        "Subtitle Styles": "Stili dei sottotitoli",
        "Resume Playback": "Riprendi la riproduzione",
        "&Help": "&Aiuto",
        "Help": "Guida",
        "Check For Update": "Controlla aggiornamenti",
        "&About Tavimo...": "&Informazioni su Tavimo...",
        "Deinterlace": "Deinterlacciamento",
        "Auto": "Automatico",
        "On": "Attivo",
        "Synchronise Subtitles to Speech": "Sincronizza i sottotitoli con il parlato",
        "(remembered)": "(ricordato)",
    },
    "Notes": {
        "Chapter %1/%2": "Capitolo %1/%2",
        "Chapter %1/%2: %3": "Capitolo %1/%2: %3",
        "Loop: %1 –": "Ripetizione: %1 –",
        "Loop: %1 – %2": "Ripetizione: %1 – %2",
        "Loop off": "Ripetizione disattivata",
        "Speed: %1×": "Velocità: %1×",
        "Saved %1": "Salvato: %1",
        "Audio: %1": "Audio: %1",
        "Subtitles: %1": "Sottotitoli: %1",
        "none": "nessuno",
        "Off": "disattivati",
        "Subtitle delay: %1 s": "Ritardo sottotitoli: %1 s",
        "Deinterlace: Auto": "Deinterlacciamento: automatico",
        "Deinterlace: On": "Deinterlacciamento: attivo",
        "Deinterlace: Off": "Deinterlacciamento: disattivato",
        "Synchronising subtitles… %1%": "Sincronizzazione sottotitoli… %1%",
        "Synchronisation cancelled": "Sincronizzazione annullata",
        "Could not match the subtitles to the speech":
            "Impossibile allineare i sottotitoli al parlato",
        "Subtitles synchronised: %1": "Sottotitoli sincronizzati: %1",
        "(remembered)": "(ricordato)",
        "in %1 parts": "in %1 parti",
    },
    "Seekbar": {"%1 / %2": "%1 / %2"},
    "Toolbar": {
        "Open Video": "Apri video",
        "Open Subtitles": "Apri sottotitoli",
        "Play": "Riproduci",
        "Pause": "Pausa",
        "Stop": "Ferma",
        "Previous File": "File precedente",
        "Next File": "File successivo",
        "Fullscreen": "Schermo intero",
        "About": "Informazioni",
    },
    "tavimo::CAboutDlg": {"About Tavimo": "Informazioni su Tavimo"},
    "tavimo::COpenURL": {"Enter URL": "Inserisci URL"},
    "tavimo::CSliders": {"Volume": "Volume"},
}
