# French.
KEYS = {"Ctrl": "Ctrl", "Shift": "Maj", "DEL": "Suppr", "ENTER": "Entrée", "SPACE": "Espace",
        "PgUp": "Pg. préc.", "PgDn": "Pg. suiv.", "Backspace": "Retour arrière", "Esc": "Échap"}

T = {
    "About": {
        "Tavimo build %1": "Tavimo, version %1",
        "A small video player that draws its own subtitles.":
            "Un petit lecteur vidéo qui dessine lui-même ses sous-titres.",
        "Built with Qt 6 and GStreamer for Linux.": "Conçu avec Qt 6 et GStreamer pour Linux.",
        "Thanks to (a-z):": "Remerciements (a–z) :",
    },
    "Boxes": {
        "the desktop entry %1 is not usable": "le fichier desktop %1 n’est pas utilisable",
        "mimeapps.list could not be written": "impossible d’écrire mimeapps.list",
        'Move "%1" to the trash?': "Mettre « %1 » à la corbeille ?",
        'Could not move "%1" to the trash.\n%2': "Impossible de mettre « %1 » à la corbeille.\n%2",
        "ASX Playlists are not supported by this application.\n\nPlease select a valid media file.":
            "Les listes de lecture ASX ne sont pas prises en charge par cette application.\n\n"
            "Veuillez choisir un fichier multimédia valide.",
        "This program needs DirectX9,\na videocard with Direct3D and the latest videodrivers.\nGo download them!":
            "Ce programme a besoin de DirectX 9,\nd’une carte graphique avec Direct3D et des "
            "pilotes vidéo les plus récents.\nTéléchargez-les !",
        "Failed to load Windows Media content.\nPerhaps you need to install Windows Media Player 9 or higher.":
            "Impossible de charger le contenu Windows Media.\nIl faut peut-être installer "
            "Windows Media Player 9 ou une version ultérieure.",
        "Unknown Error: 0x%x": "Erreur inconnue : 0x%x",
        "The picture could not be made into a PNG.": "L’image n’a pas pu être convertie en PNG.",
        "The picture could not be read from the video.":
            "L’image n’a pas pu être lue depuis la vidéo.",
        "Every name for this moment is taken.": "Tous les noms pour cet instant sont déjà pris.",
        "The screenshot could not be saved in the folder\n%1":
            "La capture d’écran n’a pas pu être enregistrée dans le dossier\n%1",
        "an empty name was given for a file to write":
            "un nom vide a été donné pour un fichier à écrire",
        "cannot write %1: %2": "impossible d’écrire %1 : %2",
        "update-mime-database is not installed": "update-mime-database n’est pas installé",
        "update-mime-database failed on %1": "update-mime-database a échoué sur %1",
        '"%1" may be %2 or another type, and its contents do not tell which':
            "« %1 » peut être %2 ou d’un autre type, et son contenu ne permet pas de le savoir",
        "the default application for %1 was not set: %2":
            "l’application par défaut pour %1 n’a pas été définie : %2",
        '"%1" has no file extension, so no file type was registered.':
            "« %1 » n’a pas d’extension, aucun type de fichier n’a donc été enregistré.",
        'Filetype "%1" registered with Tavimo': "Type de fichier « %1 » associé à Tavimo",
        'Filetype "%1" could not be registered with Tavimo:\n%2':
            "Le type de fichier « %1 » n’a pas pu être associé à Tavimo :\n%2",
        "The file could not be moved to the trash.":
            "Le fichier n’a pas pu être mis à la corbeille.",
        "Could not match the subtitles to the speech":
            "Impossible d’accorder les sous-titres à la parole",
    },
    "Desktop": {
        "Playing video": "Lecture d’une vidéo",
        "Full screen": "Plein écran",
    },
    "Dialogs": {
        "Open Media File...": "Ouvrir un fichier multimédia...",
        "All Files (*.*)": "Tous les fichiers (*.*)",
        "Font": "Police",
        "&Color...": "&Couleur...",
        "Color": "Couleur",
        "Open Subtitles File...": "Ouvrir un fichier de sous-titres...",
        "Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)":
            "Fichiers pris en charge (*.srt;*.txt;*.sub;*.ass;*.ssa)",
    },
    "Errors": {
        "The operation is not available here.": "L’opération n’est pas disponible ici.",
        "The object does not offer the requested interface.":
            "L’objet ne propose pas l’interface demandée.",
        "A required pointer was missing.": "Un pointeur requis était absent.",
        "The operation was cancelled.": "L’opération a été annulée.",
        "The operation failed.": "L’opération a échoué.",
        "An unexpected failure occurred.": "Une erreur inattendue s’est produite.",
        "Access to the file was refused.": "L’accès au fichier a été refusé.",
        "There is not enough memory for the operation.":
            "Il n’y a pas assez de mémoire pour cette opération.",
        "An argument is not valid.": "Un argument n’est pas valide.",
        "The file could not be found.": "Le fichier est introuvable.",
        "The folder of the file could not be found.": "Le dossier du fichier est introuvable.",
        "The pins are not connected.": "Les broches ne sont pas connectées.",
        "A required interface is not implemented.": "Une interface requise n’est pas implémentée.",
        "The object or name was not found.": "L’objet ou le nom est introuvable.",
        "No chain of elements could connect the stream.":
            "Aucune chaîne d’éléments n’a pu connecter le flux.",
        "No chain of elements could render the stream.":
            "Aucune chaîne d’éléments n’a pu restituer le flux.",
        "The pipeline is in the wrong state for the operation.":
            "Le pipeline n’est pas dans le bon état pour cette opération.",
        "The media type is not accepted.": "Le type de média n’est pas accepté.",
        "An element with this name is already in the graph.":
            "Un élément portant ce nom se trouve déjà dans le graphe.",
        "The media pipeline did not answer in time.":
            "Le pipeline multimédia n’a pas répondu à temps.",
        "The file is not in the expected format.": "Le fichier n’est pas au format attendu.",
        "The type of this file is not recognised.": "Le type de ce fichier n’est pas reconnu.",
        "No source could be loaded for this file.":
            "Aucune source n’a pu être chargée pour ce fichier.",
        "No decoder is installed for a stream of this file.":
            "Aucun décodeur n’est installé pour un flux de ce fichier.",
        "No audio output is available.": "Aucune sortie audio n’est disponible.",
        "The element is not in the graph.": "L’élément ne se trouve pas dans le graphe.",
        "The file cannot be played: its format is not supported.":
            "Le fichier ne peut pas être lu : son format n’est pas pris en charge.",
        "No handler is installed for this protocol (mms://).":
            "Aucun gestionnaire n’est installé pour ce protocole (mms://).",
    },
    "Help": {
        "Usage: tavimo [FILE-OR-URL]\nPlays a video file or URL, with the subtitles found beside it.\n"
        "Everything after the program name is one path; quotes around it are removed.\n\n"
        "  --sync-subtitles SUBTITLE CLIP [-o OUT.srt]\n"
        "             match the subtitles to the clip's speech, print the correction\n"
        "             (and write the corrected SubRip file with -o), and exit\n"
        "  --help     show this text and exit\n  --version  show the version and exit\n":
            "Utilisation : tavimo [FICHIER-OU-URL]\n"
            "Lit un fichier vidéo ou une URL, avec les sous-titres trouvés à côté.\n"
            "Tout ce qui suit le nom du programme forme un seul chemin ; les guillemets "
            "autour sont retirés.\n\n"
            "  --sync-subtitles SOUS-TITRES CLIP [-o SORTIE.srt]\n"
            "             synchroniser les sous-titres sur la parole du clip, afficher la correction\n"
            "             (et écrire le fichier SubRip corrigé avec -o), puis quitter\n"
            "  --help     afficher ce texte et quitter\n"
            "  --version  afficher la version et quitter\n",
    },
    "Menu": {
        "Chapter %1": "Chapitre %1",
        "mono": "mono",
        "stereo": "stéréo",
        "%1 ch": "%1 canaux",
        "Track %1": "Piste %1",
        "%1 (no decoder)": "%1 (aucun décodeur)",
        "Off": "Désactivés",
        "&File": "&Fichier",
        "&Open Video...": "&Ouvrir une vidéo...",
        "Open Subtitles": "Ouvrir des sous-titres",
        "Open URL": "Ouvrir une URL",
        "Register Filetype For Current File": "Associer le type du fichier actuel",
        "Delete Current File": "Supprimer le fichier actuel",
        "Save Screenshot": "Enregistrer une capture d’écran",
        "Most Recent...": "Fichiers récents...",
        "E&xit": "&Quitter",
        "Play": "Lecture",
        "Play\tENTER": "Lire",
        "Stop": "Arrêter",
        "Pause": "Pause",
        "Previous File": "Fichier précédent",
        "Next File": "Fichier suivant",
        "5 Seconds Forward": "Avancer de 5 secondes",
        "5 Seconds Back": "Reculer de 5 secondes",
        "Next Chapter": "Chapitre suivant",
        "Previous Chapter": "Chapitre précédent",
        "Chapters": "Chapitres",
        "A-B Loop": "Boucle A-B",
        "Faster": "Plus rapide",
        "Slower": "Plus lent",
        "Normal Speed": "Vitesse normale",
        "Next Frame": "Image suivante",
        "Previous Frame": "Image précédente",
        "&Filters": "F&iltres",
        "&View": "&Affichage",
        "&Toolbar": "&Barre d’outils",
        "&Seekbar": "Barre de &progression",
        "Fullscreen": "Plein écran",
        "Fullscreen Resolution": "Résolution en plein écran",
        "Default": "Par défaut",
        "Auto Next": "Enchaîner automatiquement",
        "Maintain Aspect Ratio": "Conserver les proportions",
        "Always On Top": "Toujours au premier plan",
        "Allow Multiple Instances": "Autoriser plusieurs instances",
        "Keep Window Size": "Conserver la taille de la fenêtre",
        "View Subtitles": "Afficher les sous-titres",
        "Set Subtitle Font": "Police des sous-titres",
        "Subtitle Track": "Piste de sous-titres",
        "Audio Track": "Piste audio",
        "Subtitle Encoding": "Encodage des sous-titres",
        "Automatic": "Automatique",
        "Subtitle Styles": "Styles des sous-titres",
        "Resume Playback": "Reprendre la lecture",
        "&Help": "Ai&de",
        "Help": "Aide",
        "Check For Update": "Rechercher une mise à jour",
        "&About Tavimo...": "À &propos de Tavimo...",
        "Deinterlace": "Désentrelacement",
        "Auto": "Automatique",
        "On": "Activé",
        "Synchronise Subtitles to Speech": "Synchroniser les sous-titres sur la parole",
        "(remembered)": "(mémorisé)",
    },
    "Notes": {
        "Chapter %1/%2": "Chapitre %1/%2",
        "Chapter %1/%2: %3": "Chapitre %1/%2 : %3",
        "Loop: %1 –": "Boucle : %1 –",
        "Loop: %1 – %2": "Boucle : %1 – %2",
        "Loop off": "Boucle désactivée",
        "Speed: %1×": "Vitesse : %1×",
        "Saved %1": "Enregistré : %1",
        "Audio: %1": "Audio : %1",
        "Subtitles: %1": "Sous-titres : %1",
        "none": "aucun",
        "Off": "désactivés",
        "Subtitle delay: %1 s": "Décalage des sous-titres : %1 s",
        "Deinterlace: Auto": "Désentrelacement : automatique",
        "Deinterlace: On": "Désentrelacement : activé",
        "Deinterlace: Off": "Désentrelacement : désactivé",
        "Synchronising subtitles… %1%": "Synchronisation des sous-titres… %1 %",
        "Synchronisation cancelled": "Synchronisation annulée",
        "Could not match the subtitles to the speech":
            "Impossible d’accorder les sous-titres à la parole",
        "Subtitles synchronised: %1": "Sous-titres synchronisés : %1",
        "(remembered)": "(mémorisé)",
        "in %1 parts": "en %1 parties",
    },
    "Seekbar": {"%1 / %2": "%1 / %2"},
    "Toolbar": {
        "Open Video": "Ouvrir une vidéo",
        "Open Subtitles": "Ouvrir des sous-titres",
        "Play": "Lire",
        "Pause": "Pause",
        "Stop": "Arrêter",
        "Previous File": "Fichier précédent",
        "Next File": "Fichier suivant",
        "Fullscreen": "Plein écran",
        "About": "À propos",
    },
    "tavimo::CAboutDlg": {"About Tavimo": "À propos de Tavimo"},
    "tavimo::COpenURL": {"Enter URL": "Saisir une URL"},
    "tavimo::CSliders": {"Volume": "Volume"},
}
