<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it">
<context>
    <name>About</name>
    <message>
        <source>Tavimo build %1</source>
        <translation>Tavimo, build %1</translation>
    </message>
    <message>
        <source>A small video player that draws its own subtitles.</source>
        <translation>Un piccolo lettore video che disegna da sé i sottotitoli.</translation>
    </message>
    <message>
        <source>Built with Qt 6 and GStreamer for Linux.</source>
        <translation>Realizzato con Qt 6 e GStreamer per Linux.</translation>
    </message>
    <message>
        <source>Thanks to (a-z):</source>
        <translation>Ringraziamenti (a–z):</translation>
    </message>
</context>
<context>
    <name>Boxes</name>
    <message>
        <source>Move &quot;%1&quot; to the trash?</source>
        <translation>Spostare «%1» nel cestino?</translation>
    </message>
    <message>
        <source>Could not move &quot;%1&quot; to the trash.
%2</source>
        <translation>Impossibile spostare «%1» nel cestino.
%2</translation>
    </message>
    <message>
        <source>ASX Playlists are not supported by this application.

Please select a valid media file.</source>
        <translation>Le playlist ASX non sono supportate da questa applicazione.

Selezionare un file multimediale valido.</translation>
    </message>
    <message>
        <source>This program needs DirectX9,
a videocard with Direct3D and the latest videodrivers.
Go download them!</source>
        <translation>Questo programma richiede DirectX 9,
una scheda video con Direct3D e i driver video più recenti.
Scaricali!</translation>
    </message>
    <message>
        <source>Failed to load Windows Media content.
Perhaps you need to install Windows Media Player 9 or higher.</source>
        <translation>Impossibile caricare il contenuto Windows Media.
Forse occorre installare Windows Media Player 9 o successivo.</translation>
    </message>
    <message>
        <source>Unknown Error: 0x%x</source>
        <translation>Errore sconosciuto: 0x%x</translation>
    </message>
    <message>
        <source>The picture could not be made into a PNG.</source>
        <translation>Impossibile convertire l’immagine in PNG.</translation>
    </message>
    <message>
        <source>The picture could not be read from the video.</source>
        <translation>Impossibile leggere l’immagine dal video.</translation>
    </message>
    <message>
        <source>Every name for this moment is taken.</source>
        <translation>Tutti i nomi per questo istante sono già in uso.</translation>
    </message>
    <message>
        <source>The screenshot could not be saved in the folder
%1</source>
        <translation>Impossibile salvare l’istantanea nella cartella
%1</translation>
    </message>
    <message>
        <source>an empty name was given for a file to write</source>
        <translation>è stato indicato un nome vuoto per un file da scrivere</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>impossibile scrivere %1: %2</translation>
    </message>
    <message>
        <source>update-mime-database is not installed</source>
        <translation>update-mime-database non è installato</translation>
    </message>
    <message>
        <source>update-mime-database failed on %1</source>
        <translation>update-mime-database non è riuscito su %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; may be %2 or another type, and its contents do not tell which</source>
        <translation>«%1» può essere %2 o un altro tipo, e il contenuto non permette di stabilirlo</translation>
    </message>
    <message>
        <source>the default application for %1 was not set: %2</source>
        <translation>l’applicazione predefinita per %1 non è stata impostata: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no file extension, so no file type was registered.</source>
        <translation>«%1» non ha estensione, quindi non è stato registrato alcun tipo di file.</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; registered with Tavimo</source>
        <translation>Tipo di file «%1» associato a Tavimo</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; could not be registered with Tavimo:
%2</source>
        <translation>Impossibile associare il tipo di file «%1» a Tavimo:
%2</translation>
    </message>
    <message>
        <source>The file could not be moved to the trash.</source>
        <translation>Impossibile spostare il file nel cestino.</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation type="vanished">Impossibile allineare i sottotitoli al parlato</translation>
    </message>
    <message>
        <source>the desktop entry %1 is not usable</source>
        <translation>la voce desktop %1 non è utilizzabile</translation>
    </message>
    <message>
        <source>mimeapps.list could not be written</source>
        <translation>impossibile scrivere mimeapps.list</translation>
    </message>
    <message>
        <source>The subtitle file &quot;%1&quot; cannot be read.

Tavimo reads SubRip (.srt, .txt), MicroDVD (.sub) and SSA/ASS (.ssa, .ass) files of up to %2 MB.</source>
        <translation>Impossibile leggere il file di sottotitoli «%1».

Tavimo legge file SubRip (.srt, .txt), MicroDVD (.sub) e SSA/ASS (.ssa, .ass) fino a %2 MB.</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Playing video</source>
        <translation>Riproduzione video</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Schermo intero</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Open Media File...</source>
        <translation>Apri file multimediale...</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Tutti i file (*.*)</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Carattere</translation>
    </message>
    <message>
        <source>&amp;Color...</source>
        <translation>&amp;Colore...</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Colore</translation>
    </message>
    <message>
        <source>Open Subtitles File...</source>
        <translation>Apri file di sottotitoli...</translation>
    </message>
    <message>
        <source>Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)</source>
        <translation>File supportati (*.srt;*.txt;*.sub;*.ass;*.ssa)</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>The operation is not available here.</source>
        <translation>L’operazione non è disponibile qui.</translation>
    </message>
    <message>
        <source>The object does not offer the requested interface.</source>
        <translation>L’oggetto non offre l’interfaccia richiesta.</translation>
    </message>
    <message>
        <source>A required pointer was missing.</source>
        <translation>Mancava un puntatore necessario.</translation>
    </message>
    <message>
        <source>The operation was cancelled.</source>
        <translation>L’operazione è stata annullata.</translation>
    </message>
    <message>
        <source>The operation failed.</source>
        <translation>L’operazione non è riuscita.</translation>
    </message>
    <message>
        <source>An unexpected failure occurred.</source>
        <translation>Si è verificato un errore imprevisto.</translation>
    </message>
    <message>
        <source>Access to the file was refused.</source>
        <translation>L’accesso al file è stato negato.</translation>
    </message>
    <message>
        <source>There is not enough memory for the operation.</source>
        <translation>Memoria insufficiente per l’operazione.</translation>
    </message>
    <message>
        <source>An argument is not valid.</source>
        <translation>Un argomento non è valido.</translation>
    </message>
    <message>
        <source>The file could not be found.</source>
        <translation>Impossibile trovare il file.</translation>
    </message>
    <message>
        <source>The folder of the file could not be found.</source>
        <translation>Impossibile trovare la cartella del file.</translation>
    </message>
    <message>
        <source>The pins are not connected.</source>
        <translation>I pin non sono collegati.</translation>
    </message>
    <message>
        <source>A required interface is not implemented.</source>
        <translation>Un’interfaccia necessaria non è implementata.</translation>
    </message>
    <message>
        <source>The object or name was not found.</source>
        <translation>Oggetto o nome non trovato.</translation>
    </message>
    <message>
        <source>No chain of elements could connect the stream.</source>
        <translation>Nessuna catena di elementi è riuscita a collegare il flusso.</translation>
    </message>
    <message>
        <source>No chain of elements could render the stream.</source>
        <translation>Nessuna catena di elementi è riuscita a riprodurre il flusso.</translation>
    </message>
    <message>
        <source>The pipeline is in the wrong state for the operation.</source>
        <translation>La pipeline non è nello stato giusto per l’operazione.</translation>
    </message>
    <message>
        <source>The media type is not accepted.</source>
        <translation>Il tipo di media non è accettato.</translation>
    </message>
    <message>
        <source>An element with this name is already in the graph.</source>
        <translation>Un elemento con questo nome è già nel grafo.</translation>
    </message>
    <message>
        <source>The media pipeline did not answer in time.</source>
        <translation>La pipeline multimediale non ha risposto in tempo.</translation>
    </message>
    <message>
        <source>The file is not in the expected format.</source>
        <translation>Il file non è nel formato previsto.</translation>
    </message>
    <message>
        <source>The type of this file is not recognised.</source>
        <translation>Il tipo di questo file non è riconosciuto.</translation>
    </message>
    <message>
        <source>No source could be loaded for this file.</source>
        <translation>Impossibile caricare una sorgente per questo file.</translation>
    </message>
    <message>
        <source>No decoder is installed for a stream of this file.</source>
        <translation>Nessun decoder installato per un flusso di questo file.</translation>
    </message>
    <message>
        <source>No audio output is available.</source>
        <translation>Nessuna uscita audio disponibile.</translation>
    </message>
    <message>
        <source>The element is not in the graph.</source>
        <translation>L’elemento non è nel grafo.</translation>
    </message>
    <message>
        <source>The file cannot be played: its format is not supported.</source>
        <translation>Impossibile riprodurre il file: il formato non è supportato.</translation>
    </message>
    <message>
        <source>No handler is installed for this protocol (mms://).</source>
        <translation>Nessun gestore installato per questo protocollo (mms://).</translation>
    </message>
    <message>
        <source>The file cannot be played from here: it has to be read out of order, and its server only sends it whole.</source>
        <translation>Il file non può essere riprodotto da qui: va letto fuori ordine e il suo server lo invia solo per intero.</translation>
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
        <translation>Uso: tavimo [FILE-O-URL]
Riproduce un file video o un URL, con i sottotitoli trovati accanto.
Tutto ciò che segue il nome del programma è un unico percorso; le virgolette intorno vengono rimosse.

  --sync-subtitles SOTTOTITOLI CLIP [-o USCITA.srt]
             sincronizza i sottotitoli con il parlato del clip, mostra la correzione
             (e con -o scrive il file SubRip corretto) ed esce
  --help     mostra questo testo ed esce
  --version  mostra la versione ed esce
</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>Chapter %1</source>
        <translation>Capitolo %1</translation>
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
        <translation>%1 canali</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>Traccia %1</translation>
    </message>
    <message>
        <source>%1 (no decoder)</source>
        <translation>%1 (nessun decoder)</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Disattivati</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Open Video...	Ctrl+O</source>
        <translation>&amp;Apri video...	Ctrl+O</translation>
    </message>
    <message>
        <source>Open Subtitles	Ctrl+S</source>
        <translation>Apri sottotitoli	Ctrl+S</translation>
    </message>
    <message>
        <source>Open URL	Ctrl+U</source>
        <translation>Apri URL	Ctrl+U</translation>
    </message>
    <message>
        <source>Register Filetype For Current File	Ctrl+R</source>
        <translation>Associa il tipo del file attuale	Ctrl+R</translation>
    </message>
    <message>
        <source>Delete Current File	DEL</source>
        <translation>Elimina il file attuale	Canc</translation>
    </message>
    <message>
        <source>Save Screenshot	Shift+S</source>
        <translation>Salva istantanea	Maiusc+S</translation>
    </message>
    <message>
        <source>Most Recent...</source>
        <translation>File recenti...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Esci</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Riproduzione</translation>
    </message>
    <message>
        <source>Play	ENTER</source>
        <translation>Riproduci	Invio</translation>
    </message>
    <message>
        <source>Stop	Esc</source>
        <translation>Ferma	Esc</translation>
    </message>
    <message>
        <source>Pause	SPACE</source>
        <translation>Pausa	Spazio</translation>
    </message>
    <message>
        <source>Previous File	PgUp</source>
        <translation>File precedente	PagSu</translation>
    </message>
    <message>
        <source>Next File	PgDn</source>
        <translation>File successivo	PagGiù</translation>
    </message>
    <message>
        <source>5 Seconds Forward	&gt;</source>
        <translation>Avanti di 5 secondi	&gt;</translation>
    </message>
    <message>
        <source>5 Seconds Back	&lt;</source>
        <translation>Indietro di 5 secondi	&lt;</translation>
    </message>
    <message>
        <source>Next Chapter	Shift+PgDn</source>
        <translation>Capitolo successivo	Maiusc+PagGiù</translation>
    </message>
    <message>
        <source>Previous Chapter	Shift+PgUp</source>
        <translation>Capitolo precedente	Maiusc+PagSu</translation>
    </message>
    <message>
        <source>Chapters</source>
        <translation>Capitoli</translation>
    </message>
    <message>
        <source>A-B Loop	L</source>
        <translation>Ripetizione A-B	L</translation>
    </message>
    <message>
        <source>Faster	]</source>
        <translation>Più veloce	]</translation>
    </message>
    <message>
        <source>Slower	[</source>
        <translation>Più lento	[</translation>
    </message>
    <message>
        <source>Normal Speed	Backspace</source>
        <translation>Velocità normale	Backspace</translation>
    </message>
    <message>
        <source>Next Frame	E</source>
        <translation>Fotogramma successivo	E</translation>
    </message>
    <message>
        <source>Previous Frame	Shift+E</source>
        <translation>Fotogramma precedente	Maiusc+E</translation>
    </message>
    <message>
        <source>&amp;Filters</source>
        <translation>F&amp;iltri</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Visualizza</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>Barra degli s&amp;trumenti</translation>
    </message>
    <message>
        <source>&amp;Seekbar</source>
        <translation>Barra di &amp;avanzamento</translation>
    </message>
    <message>
        <source>Fullscreen	F</source>
        <translation>Schermo intero	F</translation>
    </message>
    <message>
        <source>Fullscreen Resolution</source>
        <translation>Risoluzione a schermo intero</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Predefinita</translation>
    </message>
    <message>
        <source>Auto Next</source>
        <translation>Successivo automatico</translation>
    </message>
    <message>
        <source>Maintain Aspect Ratio</source>
        <translation>Mantieni le proporzioni</translation>
    </message>
    <message>
        <source>Always On Top</source>
        <translation>Sempre in primo piano</translation>
    </message>
    <message>
        <source>Allow Multiple Instances</source>
        <translation>Consenti più istanze</translation>
    </message>
    <message>
        <source>Keep Window Size</source>
        <translation>Mantieni la dimensione della finestra</translation>
    </message>
    <message>
        <source>View Subtitles	C</source>
        <translation>Mostra sottotitoli	C</translation>
    </message>
    <message>
        <source>Set Subtitle Font</source>
        <translation>Carattere dei sottotitoli</translation>
    </message>
    <message>
        <source>Subtitle Track</source>
        <translation>Traccia sottotitoli</translation>
    </message>
    <message>
        <source>Audio Track</source>
        <translation>Traccia audio</translation>
    </message>
    <message>
        <source>Subtitle Encoding</source>
        <translation>Codifica dei sottotitoli</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatica</translation>
    </message>
    <message>
        <source>Subtitle Styles</source>
        <translation>Stili dei sottotitoli</translation>
    </message>
    <message>
        <source>Resume Playback</source>
        <translation>Riprendi la riproduzione</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aiuto</translation>
    </message>
    <message>
        <source>Help	F1</source>
        <translation>Guida	F1</translation>
    </message>
    <message>
        <source>Check For Update</source>
        <translation>Controlla aggiornamenti</translation>
    </message>
    <message>
        <source>&amp;About Tavimo...</source>
        <translation>&amp;Informazioni su Tavimo...</translation>
    </message>
    <message>
        <source>Deinterlace</source>
        <translation>Deinterlacciamento</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Automatico</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Attivo</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech</source>
        <translation type="vanished">Sincronizza i sottotitoli con il parlato</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech	Y</source>
        <translation>Sincronizza i sottotitoli con il parlato	Y</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation type="vanished">(ricordato)</translation>
    </message>
    <message>
        <source>Audio Earlier	J</source>
        <translation>Audio in anticipo	J</translation>
    </message>
    <message>
        <source>Audio Later	K</source>
        <translation>Audio in ritardo	K</translation>
    </message>
    <message>
        <source>Reset Audio Delay	Shift+J</source>
        <translation>Azzera ritardo audio	Maiusc+J</translation>
    </message>
    <message>
        <source>Night Mode	N</source>
        <translation>Modalità notturna	N</translation>
    </message>
</context>
<context>
    <name>Notes</name>
    <message>
        <source>Chapter %1/%2</source>
        <translation>Capitolo %1/%2</translation>
    </message>
    <message>
        <source>Chapter %1/%2: %3</source>
        <translation>Capitolo %1/%2: %3</translation>
    </message>
    <message>
        <source>Loop: %1 –</source>
        <translation>Ripetizione: %1 –</translation>
    </message>
    <message>
        <source>Loop: %1 – %2</source>
        <translation>Ripetizione: %1 – %2</translation>
    </message>
    <message>
        <source>Loop off</source>
        <translation>Ripetizione disattivata</translation>
    </message>
    <message>
        <source>Speed: %1×</source>
        <translation>Velocità: %1×</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Salvato: %1</translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation>Audio: %1</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Sottotitoli: %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>nessuno</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>disattivati</translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation>Ritardo sottotitoli: %1 s</translation>
    </message>
    <message>
        <source>Deinterlace: Auto</source>
        <translation>Deinterlacciamento: automatico</translation>
    </message>
    <message>
        <source>Deinterlace: On</source>
        <translation>Deinterlacciamento: attivo</translation>
    </message>
    <message>
        <source>Deinterlace: Off</source>
        <translation>Deinterlacciamento: disattivato</translation>
    </message>
    <message>
        <source>Synchronising subtitles… %1%</source>
        <translation>Sincronizzazione sottotitoli… %1%</translation>
    </message>
    <message>
        <source>Synchronisation cancelled</source>
        <translation>Sincronizzazione annullata</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation>Impossibile allineare i sottotitoli al parlato</translation>
    </message>
    <message>
        <source>Subtitles synchronised: %1</source>
        <translation>Sottotitoli sincronizzati: %1</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation>(ricordato)</translation>
    </message>
    <message>
        <source>in %1 parts</source>
        <translation>in %1 parti</translation>
    </message>
    <message>
        <source>This stream cannot seek</source>
        <translation>Impossibile spostarsi in questo flusso</translation>
    </message>
    <message>
        <source>Audio delay: %1 ms</source>
        <translation>Ritardo audio: %1 ms</translation>
    </message>
    <message>
        <source>Night mode: on</source>
        <translation>Modalità notturna: attiva</translation>
    </message>
    <message>
        <source>Night mode: off</source>
        <translation>Modalità notturna: disattivata</translation>
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
        <translation>Apri video</translation>
    </message>
    <message>
        <source>Open Subtitles</source>
        <translation>Apri sottotitoli</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Riproduci</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausa</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Ferma</translation>
    </message>
    <message>
        <source>Previous File</source>
        <translation>File precedente</translation>
    </message>
    <message>
        <source>Next File</source>
        <translation>File successivo</translation>
    </message>
    <message>
        <source>Fullscreen</source>
        <translation>Schermo intero</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Informazioni</translation>
    </message>
</context>
<context>
    <name>tavimo::CAboutDlg</name>
    <message>
        <source>About Tavimo</source>
        <translation>Informazioni su Tavimo</translation>
    </message>
</context>
<context>
    <name>tavimo::COpenURL</name>
    <message>
        <source>Enter URL</source>
        <translation>Inserisci URL</translation>
    </message>
</context>
<context>
    <name>tavimo::CSliders</name>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
</context>
</TS>
