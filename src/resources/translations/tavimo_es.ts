<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>About</name>
    <message>
        <source>Tavimo build %1</source>
        <translation>Tavimo, compilación %1</translation>
    </message>
    <message>
        <source>A small video player that draws its own subtitles.</source>
        <translation>Un pequeño reproductor de vídeo que dibuja sus propios subtítulos.</translation>
    </message>
    <message>
        <source>Built with Qt 6 and GStreamer for Linux.</source>
        <translation>Hecho con Qt 6 y GStreamer para Linux.</translation>
    </message>
    <message>
        <source>Thanks to (a-z):</source>
        <translation>Agradecimientos (a–z):</translation>
    </message>
</context>
<context>
    <name>Boxes</name>
    <message>
        <source>Move &quot;%1&quot; to the trash?</source>
        <translation>¿Mover «%1» a la papelera?</translation>
    </message>
    <message>
        <source>Could not move &quot;%1&quot; to the trash.
%2</source>
        <translation>No se pudo mover «%1» a la papelera.
%2</translation>
    </message>
    <message>
        <source>ASX Playlists are not supported by this application.

Please select a valid media file.</source>
        <translation>Esta aplicación no admite listas de reproducción ASX.

Seleccione un archivo multimedia válido.</translation>
    </message>
    <message>
        <source>This program needs DirectX9,
a videocard with Direct3D and the latest videodrivers.
Go download them!</source>
        <translation>Este programa necesita DirectX 9,
una tarjeta gráfica con Direct3D y los controladores de vídeo más recientes.
¡Descárguelos!</translation>
    </message>
    <message>
        <source>Failed to load Windows Media content.
Perhaps you need to install Windows Media Player 9 or higher.</source>
        <translation>No se pudo cargar el contenido de Windows Media.
Quizá necesite instalar Windows Media Player 9 o posterior.</translation>
    </message>
    <message>
        <source>Unknown Error: 0x%x</source>
        <translation>Error desconocido: 0x%x</translation>
    </message>
    <message>
        <source>The picture could not be made into a PNG.</source>
        <translation>No se pudo convertir la imagen en PNG.</translation>
    </message>
    <message>
        <source>The picture could not be read from the video.</source>
        <translation>No se pudo leer la imagen del vídeo.</translation>
    </message>
    <message>
        <source>Every name for this moment is taken.</source>
        <translation>Todos los nombres para este instante están ocupados.</translation>
    </message>
    <message>
        <source>The screenshot could not be saved in the folder
%1</source>
        <translation>No se pudo guardar la captura de pantalla en la carpeta
%1</translation>
    </message>
    <message>
        <source>an empty name was given for a file to write</source>
        <translation>se indicó un nombre vacío para un archivo que escribir</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>no se puede escribir %1: %2</translation>
    </message>
    <message>
        <source>update-mime-database is not installed</source>
        <translation>update-mime-database no está instalado</translation>
    </message>
    <message>
        <source>update-mime-database failed on %1</source>
        <translation>update-mime-database falló en %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; may be %2 or another type, and its contents do not tell which</source>
        <translation>«%1» puede ser %2 u otro tipo, y su contenido no permite saber cuál</translation>
    </message>
    <message>
        <source>the default application for %1 was not set: %2</source>
        <translation>no se estableció la aplicación predeterminada para %1: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no file extension, so no file type was registered.</source>
        <translation>«%1» no tiene extensión, así que no se registró ningún tipo de archivo.</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; registered with Tavimo</source>
        <translation>Tipo de archivo «%1» asociado con Tavimo</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; could not be registered with Tavimo:
%2</source>
        <translation>No se pudo asociar el tipo de archivo «%1» con Tavimo:
%2</translation>
    </message>
    <message>
        <source>The file could not be moved to the trash.</source>
        <translation>No se pudo mover el archivo a la papelera.</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation type="vanished">No se pudieron ajustar los subtítulos al habla</translation>
    </message>
    <message>
        <source>the desktop entry %1 is not usable</source>
        <translation>la entrada de escritorio %1 no se puede usar</translation>
    </message>
    <message>
        <source>mimeapps.list could not be written</source>
        <translation>no se pudo escribir mimeapps.list</translation>
    </message>
    <message>
        <source>The subtitle file &quot;%1&quot; cannot be read.

Tavimo reads SubRip (.srt, .txt), MicroDVD (.sub) and SSA/ASS (.ssa, .ass) files of up to %2 MB.</source>
        <translation>No se puede leer el archivo de subtítulos «%1».

Tavimo lee archivos SubRip (.srt, .txt), MicroDVD (.sub) y SSA/ASS (.ssa, .ass) de hasta %2 MB.</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Playing video</source>
        <translation>Reproduciendo vídeo</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Pantalla completa</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Open Media File...</source>
        <translation>Abrir archivo multimedia...</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Todos los archivos (*.*)</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Fuente</translation>
    </message>
    <message>
        <source>&amp;Color...</source>
        <translation>&amp;Color...</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>Open Subtitles File...</source>
        <translation>Abrir archivo de subtítulos...</translation>
    </message>
    <message>
        <source>Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)</source>
        <translation>Archivos compatibles (*.srt;*.txt;*.sub;*.ass;*.ssa)</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>The operation is not available here.</source>
        <translation>La operación no está disponible aquí.</translation>
    </message>
    <message>
        <source>The object does not offer the requested interface.</source>
        <translation>El objeto no ofrece la interfaz solicitada.</translation>
    </message>
    <message>
        <source>A required pointer was missing.</source>
        <translation>Faltaba un puntero necesario.</translation>
    </message>
    <message>
        <source>The operation was cancelled.</source>
        <translation>Se canceló la operación.</translation>
    </message>
    <message>
        <source>The operation failed.</source>
        <translation>La operación falló.</translation>
    </message>
    <message>
        <source>An unexpected failure occurred.</source>
        <translation>Se produjo un error inesperado.</translation>
    </message>
    <message>
        <source>Access to the file was refused.</source>
        <translation>Se denegó el acceso al archivo.</translation>
    </message>
    <message>
        <source>There is not enough memory for the operation.</source>
        <translation>No hay memoria suficiente para la operación.</translation>
    </message>
    <message>
        <source>An argument is not valid.</source>
        <translation>Un argumento no es válido.</translation>
    </message>
    <message>
        <source>The file could not be found.</source>
        <translation>No se encontró el archivo.</translation>
    </message>
    <message>
        <source>The folder of the file could not be found.</source>
        <translation>No se encontró la carpeta del archivo.</translation>
    </message>
    <message>
        <source>The pins are not connected.</source>
        <translation>Los pines no están conectados.</translation>
    </message>
    <message>
        <source>A required interface is not implemented.</source>
        <translation>Una interfaz necesaria no está implementada.</translation>
    </message>
    <message>
        <source>The object or name was not found.</source>
        <translation>No se encontró el objeto o el nombre.</translation>
    </message>
    <message>
        <source>No chain of elements could connect the stream.</source>
        <translation>Ninguna cadena de elementos pudo conectar el flujo.</translation>
    </message>
    <message>
        <source>No chain of elements could render the stream.</source>
        <translation>Ninguna cadena de elementos pudo reproducir el flujo.</translation>
    </message>
    <message>
        <source>The pipeline is in the wrong state for the operation.</source>
        <translation>La canalización no está en el estado adecuado para la operación.</translation>
    </message>
    <message>
        <source>The media type is not accepted.</source>
        <translation>No se acepta el tipo de medio.</translation>
    </message>
    <message>
        <source>An element with this name is already in the graph.</source>
        <translation>Ya hay un elemento con este nombre en el grafo.</translation>
    </message>
    <message>
        <source>The media pipeline did not answer in time.</source>
        <translation>La canalización multimedia no respondió a tiempo.</translation>
    </message>
    <message>
        <source>The file is not in the expected format.</source>
        <translation>El archivo no tiene el formato esperado.</translation>
    </message>
    <message>
        <source>The type of this file is not recognised.</source>
        <translation>No se reconoce el tipo de este archivo.</translation>
    </message>
    <message>
        <source>No source could be loaded for this file.</source>
        <translation>No se pudo cargar ninguna fuente para este archivo.</translation>
    </message>
    <message>
        <source>No decoder is installed for a stream of this file.</source>
        <translation>No hay ningún decodificador instalado para un flujo de este archivo.</translation>
    </message>
    <message>
        <source>No audio output is available.</source>
        <translation>No hay ninguna salida de audio disponible.</translation>
    </message>
    <message>
        <source>The element is not in the graph.</source>
        <translation>El elemento no está en el grafo.</translation>
    </message>
    <message>
        <source>The file cannot be played: its format is not supported.</source>
        <translation>No se puede reproducir el archivo: su formato no es compatible.</translation>
    </message>
    <message>
        <source>No handler is installed for this protocol (mms://).</source>
        <translation>No hay ningún controlador instalado para este protocolo (mms://).</translation>
    </message>
    <message>
        <source>The file cannot be played from here: it has to be read out of order, and its server only sends it whole.</source>
        <translation>El archivo no se puede reproducir desde aquí: hay que leerlo en desorden y su servidor solo lo envía completo.</translation>
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
        <translation>Uso: tavimo [ARCHIVO-O-URL]
Reproduce un archivo de vídeo o una URL, con los subtítulos que encuentre a su lado.
Todo lo que sigue al nombre del programa es una sola ruta; se quitan las comillas que la rodean.

  --sync-subtitles SUBTÍTULOS CLIP [-o SALIDA.srt]
             sincronizar los subtítulos con el habla del clip, mostrar la corrección
             (y escribir el archivo SubRip corregido con -o) y salir
  --help     mostrar este texto y salir
  --version  mostrar la versión y salir
</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>Chapter %1</source>
        <translation>Capítulo %1</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>estéreo</translation>
    </message>
    <message>
        <source>%1 ch</source>
        <translation>%1 canales</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>Pista %1</translation>
    </message>
    <message>
        <source>%1 (no decoder)</source>
        <translation>%1 (sin decodificador)</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Desactivados</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Archivo</translation>
    </message>
    <message>
        <source>&amp;Open Video...	Ctrl+O</source>
        <translation>&amp;Abrir vídeo...	Ctrl+O</translation>
    </message>
    <message>
        <source>Open Subtitles	Ctrl+S</source>
        <translation>Abrir subtítulos	Ctrl+S</translation>
    </message>
    <message>
        <source>Open URL	Ctrl+U</source>
        <translation>Abrir URL	Ctrl+U</translation>
    </message>
    <message>
        <source>Register Filetype For Current File	Ctrl+R</source>
        <translation>Asociar el tipo del archivo actual	Ctrl+R</translation>
    </message>
    <message>
        <source>Delete Current File	DEL</source>
        <translation>Eliminar el archivo actual	Supr</translation>
    </message>
    <message>
        <source>Save Screenshot	Shift+S</source>
        <translation>Guardar captura de pantalla	Mayús+S</translation>
    </message>
    <message>
        <source>Most Recent...</source>
        <translation>Recientes...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Salir</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Reproducción</translation>
    </message>
    <message>
        <source>Play	ENTER</source>
        <translation>Reproducir	Intro</translation>
    </message>
    <message>
        <source>Stop	Esc</source>
        <translation>Detener	Esc</translation>
    </message>
    <message>
        <source>Pause	SPACE</source>
        <translation>Pausa	Espacio</translation>
    </message>
    <message>
        <source>Previous File	PgUp</source>
        <translation>Archivo anterior	RePág</translation>
    </message>
    <message>
        <source>Next File	PgDn</source>
        <translation>Archivo siguiente	AvPág</translation>
    </message>
    <message>
        <source>5 Seconds Forward	&gt;</source>
        <translation>Avanzar 5 segundos	&gt;</translation>
    </message>
    <message>
        <source>5 Seconds Back	&lt;</source>
        <translation>Retroceder 5 segundos	&lt;</translation>
    </message>
    <message>
        <source>Next Chapter	Shift+PgDn</source>
        <translation>Capítulo siguiente	Mayús+AvPág</translation>
    </message>
    <message>
        <source>Previous Chapter	Shift+PgUp</source>
        <translation>Capítulo anterior	Mayús+RePág</translation>
    </message>
    <message>
        <source>Chapters</source>
        <translation>Capítulos</translation>
    </message>
    <message>
        <source>A-B Loop	L</source>
        <translation>Bucle A-B	L</translation>
    </message>
    <message>
        <source>Faster	]</source>
        <translation>Más rápido	]</translation>
    </message>
    <message>
        <source>Slower	[</source>
        <translation>Más lento	[</translation>
    </message>
    <message>
        <source>Normal Speed	Backspace</source>
        <translation>Velocidad normal	Retroceso</translation>
    </message>
    <message>
        <source>Next Frame	E</source>
        <translation>Fotograma siguiente	E</translation>
    </message>
    <message>
        <source>Previous Frame	Shift+E</source>
        <translation>Fotograma anterior	Mayús+E</translation>
    </message>
    <message>
        <source>&amp;Filters</source>
        <translation>&amp;Filtros</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ver</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Barra de herramientas</translation>
    </message>
    <message>
        <source>&amp;Seekbar</source>
        <translation>Barra de &amp;posición</translation>
    </message>
    <message>
        <source>Fullscreen	F</source>
        <translation>Pantalla completa	F</translation>
    </message>
    <message>
        <source>Fullscreen Resolution</source>
        <translation>Resolución de pantalla completa</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Predeterminada</translation>
    </message>
    <message>
        <source>Auto Next</source>
        <translation>Siguiente automáticamente</translation>
    </message>
    <message>
        <source>Maintain Aspect Ratio</source>
        <translation>Mantener la relación de aspecto</translation>
    </message>
    <message>
        <source>Always On Top</source>
        <translation>Siempre visible</translation>
    </message>
    <message>
        <source>Allow Multiple Instances</source>
        <translation>Permitir varias instancias</translation>
    </message>
    <message>
        <source>Keep Window Size</source>
        <translation>Mantener el tamaño de la ventana</translation>
    </message>
    <message>
        <source>View Subtitles	C</source>
        <translation>Mostrar subtítulos	C</translation>
    </message>
    <message>
        <source>Set Subtitle Font</source>
        <translation>Fuente de los subtítulos</translation>
    </message>
    <message>
        <source>Subtitle Track</source>
        <translation>Pista de subtítulos</translation>
    </message>
    <message>
        <source>Audio Track</source>
        <translation>Pista de audio</translation>
    </message>
    <message>
        <source>Subtitle Encoding</source>
        <translation>Codificación de los subtítulos</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automática</translation>
    </message>
    <message>
        <source>Subtitle Styles</source>
        <translation>Estilos de los subtítulos</translation>
    </message>
    <message>
        <source>Resume Playback</source>
        <translation>Reanudar la reproducción</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Ay&amp;uda</translation>
    </message>
    <message>
        <source>Help	F1</source>
        <translation>Ayuda	F1</translation>
    </message>
    <message>
        <source>Check For Update</source>
        <translation>Buscar actualizaciones</translation>
    </message>
    <message>
        <source>&amp;About Tavimo...</source>
        <translation>&amp;Acerca de Tavimo...</translation>
    </message>
    <message>
        <source>Deinterlace</source>
        <translation>Desentrelazado</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Automático</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Activado</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech</source>
        <translation type="vanished">Sincronizar los subtítulos con el habla</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech	Y</source>
        <translation>Sincronizar los subtítulos con el habla	Y</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation type="vanished">(recordado)</translation>
    </message>
    <message>
        <source>Audio Earlier	J</source>
        <translation>Audio antes	J</translation>
    </message>
    <message>
        <source>Audio Later	K</source>
        <translation>Audio después	K</translation>
    </message>
    <message>
        <source>Reset Audio Delay	Shift+J</source>
        <translation>Restablecer retardo de audio	Mayús+J</translation>
    </message>
    <message>
        <source>Night Mode	N</source>
        <translation>Modo nocturno	N</translation>
    </message>
</context>
<context>
    <name>Notes</name>
    <message>
        <source>Chapter %1/%2</source>
        <translation>Capítulo %1/%2</translation>
    </message>
    <message>
        <source>Chapter %1/%2: %3</source>
        <translation>Capítulo %1/%2: %3</translation>
    </message>
    <message>
        <source>Loop: %1 –</source>
        <translation>Bucle: %1 –</translation>
    </message>
    <message>
        <source>Loop: %1 – %2</source>
        <translation>Bucle: %1 – %2</translation>
    </message>
    <message>
        <source>Loop off</source>
        <translation>Bucle desactivado</translation>
    </message>
    <message>
        <source>Speed: %1×</source>
        <translation>Velocidad: %1×</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Guardado: %1</translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation>Audio: %1</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Subtítulos: %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>ninguno</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>desactivados</translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation>Retardo de subtítulos: %1 s</translation>
    </message>
    <message>
        <source>Deinterlace: Auto</source>
        <translation>Desentrelazado: automático</translation>
    </message>
    <message>
        <source>Deinterlace: On</source>
        <translation>Desentrelazado: activado</translation>
    </message>
    <message>
        <source>Deinterlace: Off</source>
        <translation>Desentrelazado: desactivado</translation>
    </message>
    <message>
        <source>Synchronising subtitles… %1%</source>
        <translation>Sincronizando subtítulos… %1 %</translation>
    </message>
    <message>
        <source>Synchronisation cancelled</source>
        <translation>Sincronización cancelada</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation>No se pudieron ajustar los subtítulos al habla</translation>
    </message>
    <message>
        <source>Subtitles synchronised: %1</source>
        <translation>Subtítulos sincronizados: %1</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation>(recordado)</translation>
    </message>
    <message>
        <source>in %1 parts</source>
        <translation>en %1 partes</translation>
    </message>
    <message>
        <source>This stream cannot seek</source>
        <translation>No se puede avanzar ni retroceder en esta transmisión</translation>
    </message>
    <message>
        <source>Audio delay: %1 ms</source>
        <translation>Retardo de audio: %1 ms</translation>
    </message>
    <message>
        <source>Night mode: on</source>
        <translation>Modo nocturno: activado</translation>
    </message>
    <message>
        <source>Night mode: off</source>
        <translation>Modo nocturno: desactivado</translation>
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
        <translation>Abrir vídeo</translation>
    </message>
    <message>
        <source>Open Subtitles</source>
        <translation>Abrir subtítulos</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Reproducir</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausa</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <source>Previous File</source>
        <translation>Archivo anterior</translation>
    </message>
    <message>
        <source>Next File</source>
        <translation>Archivo siguiente</translation>
    </message>
    <message>
        <source>Fullscreen</source>
        <translation>Pantalla completa</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
</context>
<context>
    <name>tavimo::CAboutDlg</name>
    <message>
        <source>About Tavimo</source>
        <translation>Acerca de Tavimo</translation>
    </message>
</context>
<context>
    <name>tavimo::COpenURL</name>
    <message>
        <source>Enter URL</source>
        <translation>Introducir URL</translation>
    </message>
</context>
<context>
    <name>tavimo::CSliders</name>
    <message>
        <source>Volume</source>
        <translation>Volumen</translation>
    </message>
</context>
</TS>
