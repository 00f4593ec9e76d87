# Spanish.
KEYS = {"Ctrl": "Ctrl", "Shift": "Mayús", "DEL": "Supr", "ENTER": "Intro", "SPACE": "Espacio",
        "PgUp": "RePág", "PgDn": "AvPág", "Backspace": "Retroceso", "Esc": "Esc"}

T = {
    "About": {
        "Tavimo build %1": "Tavimo, compilación %1",
        "A small video player that draws its own subtitles.":
            "Un pequeño reproductor de vídeo que dibuja sus propios subtítulos.",
        "Built with Qt 6 and GStreamer for Linux.": "Hecho con Qt 6 y GStreamer para Linux.",
        "Thanks to (a-z):": "Agradecimientos (a–z):",
    },
    "Boxes": {
        "the desktop entry %1 is not usable": "la entrada de escritorio %1 no se puede usar",
        "mimeapps.list could not be written": "no se pudo escribir mimeapps.list",
        'Move "%1" to the trash?': "¿Mover «%1» a la papelera?",
        'Could not move "%1" to the trash.\n%2': "No se pudo mover «%1» a la papelera.\n%2",
        "ASX Playlists are not supported by this application.\n\nPlease select a valid media file.":
            "Esta aplicación no admite listas de reproducción ASX.\n\n"
            "Seleccione un archivo multimedia válido.",
        "This program needs DirectX9,\na videocard with Direct3D and the latest videodrivers.\nGo download them!":
            "Este programa necesita DirectX 9,\nuna tarjeta gráfica con Direct3D y los "
            "controladores de vídeo más recientes.\n¡Descárguelos!",
        "Failed to load Windows Media content.\nPerhaps you need to install Windows Media Player 9 or higher.":
            "No se pudo cargar el contenido de Windows Media.\nQuizá necesite instalar "
            "Windows Media Player 9 o posterior.",
        "Unknown Error: 0x%x": "Error desconocido: 0x%x",
        "The picture could not be made into a PNG.": "No se pudo convertir la imagen en PNG.",
        "The picture could not be read from the video.": "No se pudo leer la imagen del vídeo.",
        "Every name for this moment is taken.": "Todos los nombres para este instante están ocupados.",
        "The screenshot could not be saved in the folder\n%1":
            "No se pudo guardar la captura de pantalla en la carpeta\n%1",
        "an empty name was given for a file to write":
            "se indicó un nombre vacío para un archivo que escribir",
        "cannot write %1: %2": "no se puede escribir %1: %2",
        "update-mime-database is not installed": "update-mime-database no está instalado",
        "update-mime-database failed on %1": "update-mime-database falló en %1",
        '"%1" may be %2 or another type, and its contents do not tell which':
            "«%1» puede ser %2 u otro tipo, y su contenido no permite saber cuál",
        "the default application for %1 was not set: %2":
            "no se estableció la aplicación predeterminada para %1: %2",
        '"%1" has no file extension, so no file type was registered.':
            "«%1» no tiene extensión, así que no se registró ningún tipo de archivo.",
        'Filetype "%1" registered with Tavimo': "Tipo de archivo «%1» asociado con Tavimo",
        'Filetype "%1" could not be registered with Tavimo:\n%2':
            "No se pudo asociar el tipo de archivo «%1» con Tavimo:\n%2",
        "The file could not be moved to the trash.": "No se pudo mover el archivo a la papelera.",
        "Could not match the subtitles to the speech":
            "No se pudieron ajustar los subtítulos al habla",
    },
    "Desktop": {
        "Playing video": "Reproduciendo vídeo",
        "Full screen": "Pantalla completa",
    },
    "Dialogs": {
        "Open Media File...": "Abrir archivo multimedia...",
        "All Files (*.*)": "Todos los archivos (*.*)",
        "Font": "Fuente",
        "&Color...": "&Color...",
        "Color": "Color",
        "Open Subtitles File...": "Abrir archivo de subtítulos...",
        "Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)":
            "Archivos compatibles (*.srt;*.txt;*.sub;*.ass;*.ssa)",
    },
    "Errors": {
        "The operation is not available here.": "La operación no está disponible aquí.",
        "The object does not offer the requested interface.":
            "El objeto no ofrece la interfaz solicitada.",
        "A required pointer was missing.": "Faltaba un puntero necesario.",
        "The operation was cancelled.": "Se canceló la operación.",
        "The operation failed.": "La operación falló.",
        "An unexpected failure occurred.": "Se produjo un error inesperado.",
        "Access to the file was refused.": "Se denegó el acceso al archivo.",
        "There is not enough memory for the operation.":
            "No hay memoria suficiente para la operación.",
        "An argument is not valid.": "Un argumento no es válido.",
        "The file could not be found.": "No se encontró el archivo.",
        "The folder of the file could not be found.": "No se encontró la carpeta del archivo.",
        "The pins are not connected.": "Los pines no están conectados.",
        "A required interface is not implemented.": "Una interfaz necesaria no está implementada.",
        "The object or name was not found.": "No se encontró el objeto o el nombre.",
        "No chain of elements could connect the stream.":
            "Ninguna cadena de elementos pudo conectar el flujo.",
        "No chain of elements could render the stream.":
            "Ninguna cadena de elementos pudo reproducir el flujo.",
        "The pipeline is in the wrong state for the operation.":
            "La canalización no está en el estado adecuado para la operación.",
        "The media type is not accepted.": "No se acepta el tipo de medio.",
        "An element with this name is already in the graph.":
            "Ya hay un elemento con este nombre en el grafo.",
        "The media pipeline did not answer in time.":
            "La canalización multimedia no respondió a tiempo.",
        "The file is not in the expected format.": "El archivo no tiene el formato esperado.",
        "The type of this file is not recognised.": "No se reconoce el tipo de este archivo.",
        "No source could be loaded for this file.":
            "No se pudo cargar ninguna fuente para este archivo.",
        "No decoder is installed for a stream of this file.":
            "No hay ningún decodificador instalado para un flujo de este archivo.",
        "No audio output is available.": "No hay ninguna salida de audio disponible.",
        "The element is not in the graph.": "El elemento no está en el grafo.",
        "The file cannot be played: its format is not supported.":
            "No se puede reproducir el archivo: su formato no es compatible.",
        "No handler is installed for this protocol (mms://).":
            "No hay ningún controlador instalado para este protocolo (mms://).",
    },
    "Help": {
        "Usage: tavimo [FILE-OR-URL]\nPlays a video file or URL, with the subtitles found beside it.\n"
        "Everything after the program name is one path; quotes around it are removed.\n\n"
        "  --sync-subtitles SUBTITLE CLIP [-o OUT.srt]\n"
        "             match the subtitles to the clip's speech, print the correction\n"
        "             (and write the corrected SubRip file with -o), and exit\n"
        "  --help     show this text and exit\n  --version  show the version and exit\n":
            "Uso: tavimo [ARCHIVO-O-URL]\n"
            "Reproduce un archivo de vídeo o una URL, con los subtítulos que encuentre a su lado.\n"
            "Todo lo que sigue al nombre del programa es una sola ruta; se quitan las comillas "
            "que la rodean.\n\n"
            "  --sync-subtitles SUBTÍTULOS CLIP [-o SALIDA.srt]\n"
            "             sincronizar los subtítulos con el habla del clip, mostrar la corrección\n"
            "             (y escribir el archivo SubRip corregido con -o) y salir\n"
            "  --help     mostrar este texto y salir\n"
            "  --version  mostrar la versión y salir\n",
    },
    "Menu": {
        "Chapter %1": "Capítulo %1",
        "mono": "mono",
        "stereo": "estéreo",
        "%1 ch": "%1 canales",
        "Track %1": "Pista %1",
        "%1 (no decoder)": "%1 (sin decodificador)",
        "Off": "Desactivados",
        "&File": "&Archivo",
        "&Open Video...": "&Abrir vídeo...",
        "Open Subtitles": "Abrir subtítulos",
        "Open URL": "Abrir URL",
        "Register Filetype For Current File": "Asociar el tipo del archivo actual",
        "Delete Current File": "Eliminar el archivo actual",
        "Save Screenshot": "Guardar captura de pantalla",
        "Most Recent...": "Recientes...",
        "E&xit": "&Salir",
        "Play": "Reproducción",
        "Play\tENTER": "Reproducir",
        "Stop": "Detener",
        "Pause": "Pausa",
        "Previous File": "Archivo anterior",
        "Next File": "Archivo siguiente",
        "5 Seconds Forward": "Avanzar 5 segundos",
        "5 Seconds Back": "Retroceder 5 segundos",
        "Next Chapter": "Capítulo siguiente",
        "Previous Chapter": "Capítulo anterior",
        "Chapters": "Capítulos",
        "A-B Loop": "Bucle A-B",
        "Faster": "Más rápido",
        "Slower": "Más lento",
        "Normal Speed": "Velocidad normal",
        "Next Frame": "Fotograma siguiente",
        "Previous Frame": "Fotograma anterior",
        "&Filters": "&Filtros",
        "&View": "&Ver",
        "&Toolbar": "&Barra de herramientas",
        "&Seekbar": "Barra de &posición",
        "Fullscreen": "Pantalla completa",
        "Fullscreen Resolution": "Resolución de pantalla completa",
        "Default": "Predeterminada",
        "Auto Next": "Siguiente automáticamente",
        "Maintain Aspect Ratio": "Mantener la relación de aspecto",
        "Always On Top": "Siempre visible",
        "Allow Multiple Instances": "Permitir varias instancias",
        "Keep Window Size": "Mantener el tamaño de la ventana",
        "View Subtitles": "Mostrar subtítulos",
        "Set Subtitle Font": "Fuente de los subtítulos",
        "Subtitle Track": "Pista de subtítulos",
        "Audio Track": "Pista de audio",
        "Subtitle Encoding": "Codificación de los subtítulos",
        "Automatic": "Automática",
        "Subtitle Styles": "Estilos de los subtítulos",
        "Resume Playback": "Reanudar la reproducción",
        "&Help": "Ay&uda",
        "Help": "Ayuda",
        "Check For Update": "Buscar actualizaciones",
        "&About Tavimo...": "&Acerca de Tavimo...",
        "Deinterlace": "Desentrelazado",
        "Auto": "Automático",
        "On": "Activado",
        "Synchronise Subtitles to Speech": "Sincronizar los subtítulos con el habla",
        "(remembered)": "(recordado)",
    },
    "Notes": {
        "Chapter %1/%2": "Capítulo %1/%2",
        "Chapter %1/%2: %3": "Capítulo %1/%2: %3",
        "Loop: %1 –": "Bucle: %1 –",
        "Loop: %1 – %2": "Bucle: %1 – %2",
        "Loop off": "Bucle desactivado",
        "Speed: %1×": "Velocidad: %1×",
        "Saved %1": "Guardado: %1",
        "Audio: %1": "Audio: %1",
        "Subtitles: %1": "Subtítulos: %1",
        "none": "ninguno",
        "Off": "desactivados",
        "Subtitle delay: %1 s": "Retardo de subtítulos: %1 s",
        "Deinterlace: Auto": "Desentrelazado: automático",
        "Deinterlace: On": "Desentrelazado: activado",
        "Deinterlace: Off": "Desentrelazado: desactivado",
        "Synchronising subtitles… %1%": "Sincronizando subtítulos… %1 %",
        "Synchronisation cancelled": "Sincronización cancelada",
        "Could not match the subtitles to the speech":
            "No se pudieron ajustar los subtítulos al habla",
        "Subtitles synchronised: %1": "Subtítulos sincronizados: %1",
        "(remembered)": "(recordado)",
        "in %1 parts": "en %1 partes",
    },
    "Seekbar": {"%1 / %2": "%1 / %2"},
    "Toolbar": {
        "Open Video": "Abrir vídeo",
        "Open Subtitles": "Abrir subtítulos",
        "Play": "Reproducir",
        "Pause": "Pausa",
        "Stop": "Detener",
        "Previous File": "Archivo anterior",
        "Next File": "Archivo siguiente",
        "Fullscreen": "Pantalla completa",
        "About": "Acerca de",
    },
    "tavimo::CAboutDlg": {"About Tavimo": "Acerca de Tavimo"},
    "tavimo::COpenURL": {"Enter URL": "Introducir URL"},
    "tavimo::CSliders": {"Volume": "Volumen"},
}
