<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>About</name>
    <message>
        <source>Tavimo build %1</source>
        <translation>Tavimo, version %1</translation>
    </message>
    <message>
        <source>A small video player that draws its own subtitles.</source>
        <translation>Un petit lecteur vidéo qui dessine lui-même ses sous-titres.</translation>
    </message>
    <message>
        <source>Built with Qt 6 and GStreamer for Linux.</source>
        <translation>Conçu avec Qt 6 et GStreamer pour Linux.</translation>
    </message>
    <message>
        <source>Thanks to (a-z):</source>
        <translation>Remerciements (a–z) :</translation>
    </message>
</context>
<context>
    <name>Boxes</name>
    <message>
        <source>Move &quot;%1&quot; to the trash?</source>
        <translation>Mettre « %1 » à la corbeille ?</translation>
    </message>
    <message>
        <source>Could not move &quot;%1&quot; to the trash.
%2</source>
        <translation>Impossible de mettre « %1 » à la corbeille.
%2</translation>
    </message>
    <message>
        <source>ASX Playlists are not supported by this application.

Please select a valid media file.</source>
        <translation>Les listes de lecture ASX ne sont pas prises en charge par cette application.

Veuillez choisir un fichier multimédia valide.</translation>
    </message>
    <message>
        <source>This program needs DirectX9,
a videocard with Direct3D and the latest videodrivers.
Go download them!</source>
        <translation>Ce programme a besoin de DirectX 9,
d’une carte graphique avec Direct3D et des pilotes vidéo les plus récents.
Téléchargez-les !</translation>
    </message>
    <message>
        <source>Failed to load Windows Media content.
Perhaps you need to install Windows Media Player 9 or higher.</source>
        <translation>Impossible de charger le contenu Windows Media.
Il faut peut-être installer Windows Media Player 9 ou une version ultérieure.</translation>
    </message>
    <message>
        <source>Unknown Error: 0x%x</source>
        <translation>Erreur inconnue : 0x%x</translation>
    </message>
    <message>
        <source>The picture could not be made into a PNG.</source>
        <translation>L’image n’a pas pu être convertie en PNG.</translation>
    </message>
    <message>
        <source>The picture could not be read from the video.</source>
        <translation>L’image n’a pas pu être lue depuis la vidéo.</translation>
    </message>
    <message>
        <source>Every name for this moment is taken.</source>
        <translation>Tous les noms pour cet instant sont déjà pris.</translation>
    </message>
    <message>
        <source>The screenshot could not be saved in the folder
%1</source>
        <translation>La capture d’écran n’a pas pu être enregistrée dans le dossier
%1</translation>
    </message>
    <message>
        <source>an empty name was given for a file to write</source>
        <translation>un nom vide a été donné pour un fichier à écrire</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>impossible d’écrire %1 : %2</translation>
    </message>
    <message>
        <source>update-mime-database is not installed</source>
        <translation>update-mime-database n’est pas installé</translation>
    </message>
    <message>
        <source>update-mime-database failed on %1</source>
        <translation>update-mime-database a échoué sur %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; may be %2 or another type, and its contents do not tell which</source>
        <translation>« %1 » peut être %2 ou d’un autre type, et son contenu ne permet pas de le savoir</translation>
    </message>
    <message>
        <source>the default application for %1 was not set: %2</source>
        <translation>l’application par défaut pour %1 n’a pas été définie : %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no file extension, so no file type was registered.</source>
        <translation>« %1 » n’a pas d’extension, aucun type de fichier n’a donc été enregistré.</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; registered with Tavimo</source>
        <translation>Type de fichier « %1 » associé à Tavimo</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; could not be registered with Tavimo:
%2</source>
        <translation>Le type de fichier « %1 » n’a pas pu être associé à Tavimo :
%2</translation>
    </message>
    <message>
        <source>The file could not be moved to the trash.</source>
        <translation>Le fichier n’a pas pu être mis à la corbeille.</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation type="vanished">Impossible d’accorder les sous-titres à la parole</translation>
    </message>
    <message>
        <source>the desktop entry %1 is not usable</source>
        <translation>le fichier desktop %1 n’est pas utilisable</translation>
    </message>
    <message>
        <source>mimeapps.list could not be written</source>
        <translation>impossible d’écrire mimeapps.list</translation>
    </message>
    <message>
        <source>The subtitle file &quot;%1&quot; cannot be read.

Tavimo reads SubRip (.srt, .txt), MicroDVD (.sub) and SSA/ASS (.ssa, .ass) files of up to %2 MB.</source>
        <translation>Le fichier de sous-titres « %1 » ne peut pas être lu.

Tavimo lit les fichiers SubRip (.srt, .txt), MicroDVD (.sub) et SSA/ASS (.ssa, .ass) jusqu’à %2 Mo.</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Playing video</source>
        <translation>Lecture d’une vidéo</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Plein écran</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Open Media File...</source>
        <translation>Ouvrir un fichier multimédia...</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Tous les fichiers (*.*)</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Police</translation>
    </message>
    <message>
        <source>&amp;Color...</source>
        <translation>&amp;Couleur...</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Couleur</translation>
    </message>
    <message>
        <source>Open Subtitles File...</source>
        <translation>Ouvrir un fichier de sous-titres...</translation>
    </message>
    <message>
        <source>Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)</source>
        <translation>Fichiers pris en charge (*.srt;*.txt;*.sub;*.ass;*.ssa)</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>The operation is not available here.</source>
        <translation>L’opération n’est pas disponible ici.</translation>
    </message>
    <message>
        <source>The object does not offer the requested interface.</source>
        <translation>L’objet ne propose pas l’interface demandée.</translation>
    </message>
    <message>
        <source>A required pointer was missing.</source>
        <translation>Un pointeur requis était absent.</translation>
    </message>
    <message>
        <source>The operation was cancelled.</source>
        <translation>L’opération a été annulée.</translation>
    </message>
    <message>
        <source>The operation failed.</source>
        <translation>L’opération a échoué.</translation>
    </message>
    <message>
        <source>An unexpected failure occurred.</source>
        <translation>Une erreur inattendue s’est produite.</translation>
    </message>
    <message>
        <source>Access to the file was refused.</source>
        <translation>L’accès au fichier a été refusé.</translation>
    </message>
    <message>
        <source>There is not enough memory for the operation.</source>
        <translation>Il n’y a pas assez de mémoire pour cette opération.</translation>
    </message>
    <message>
        <source>An argument is not valid.</source>
        <translation>Un argument n’est pas valide.</translation>
    </message>
    <message>
        <source>The file could not be found.</source>
        <translation>Le fichier est introuvable.</translation>
    </message>
    <message>
        <source>The folder of the file could not be found.</source>
        <translation>Le dossier du fichier est introuvable.</translation>
    </message>
    <message>
        <source>The pins are not connected.</source>
        <translation>Les broches ne sont pas connectées.</translation>
    </message>
    <message>
        <source>A required interface is not implemented.</source>
        <translation>Une interface requise n’est pas implémentée.</translation>
    </message>
    <message>
        <source>The object or name was not found.</source>
        <translation>L’objet ou le nom est introuvable.</translation>
    </message>
    <message>
        <source>No chain of elements could connect the stream.</source>
        <translation>Aucune chaîne d’éléments n’a pu connecter le flux.</translation>
    </message>
    <message>
        <source>No chain of elements could render the stream.</source>
        <translation>Aucune chaîne d’éléments n’a pu restituer le flux.</translation>
    </message>
    <message>
        <source>The pipeline is in the wrong state for the operation.</source>
        <translation>Le pipeline n’est pas dans le bon état pour cette opération.</translation>
    </message>
    <message>
        <source>The media type is not accepted.</source>
        <translation>Le type de média n’est pas accepté.</translation>
    </message>
    <message>
        <source>An element with this name is already in the graph.</source>
        <translation>Un élément portant ce nom se trouve déjà dans le graphe.</translation>
    </message>
    <message>
        <source>The media pipeline did not answer in time.</source>
        <translation>Le pipeline multimédia n’a pas répondu à temps.</translation>
    </message>
    <message>
        <source>The file is not in the expected format.</source>
        <translation>Le fichier n’est pas au format attendu.</translation>
    </message>
    <message>
        <source>The type of this file is not recognised.</source>
        <translation>Le type de ce fichier n’est pas reconnu.</translation>
    </message>
    <message>
        <source>No source could be loaded for this file.</source>
        <translation>Aucune source n’a pu être chargée pour ce fichier.</translation>
    </message>
    <message>
        <source>No decoder is installed for a stream of this file.</source>
        <translation>Aucun décodeur n’est installé pour un flux de ce fichier.</translation>
    </message>
    <message>
        <source>No audio output is available.</source>
        <translation>Aucune sortie audio n’est disponible.</translation>
    </message>
    <message>
        <source>The element is not in the graph.</source>
        <translation>L’élément ne se trouve pas dans le graphe.</translation>
    </message>
    <message>
        <source>The file cannot be played: its format is not supported.</source>
        <translation>Le fichier ne peut pas être lu : son format n’est pas pris en charge.</translation>
    </message>
    <message>
        <source>No handler is installed for this protocol (mms://).</source>
        <translation>Aucun gestionnaire n’est installé pour ce protocole (mms://).</translation>
    </message>
    <message>
        <source>The file cannot be played from here: it has to be read out of order, and its server only sends it whole.</source>
        <translation>Le fichier ne peut pas être lu d’ici : il doit être lu dans le désordre, et son serveur ne l’envoie qu’en entier.</translation>
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
        <translation>Utilisation : tavimo [FICHIER-OU-URL]
Lit un fichier vidéo ou une URL, avec les sous-titres trouvés à côté.
Tout ce qui suit le nom du programme forme un seul chemin ; les guillemets autour sont retirés.

  --sync-subtitles SOUS-TITRES CLIP [-o SORTIE.srt]
             synchroniser les sous-titres sur la parole du clip, afficher la correction
             (et écrire le fichier SubRip corrigé avec -o), puis quitter
  --help     afficher ce texte et quitter
  --version  afficher la version et quitter
</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>Chapter %1</source>
        <translation>Chapitre %1</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>mono</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>stéréo</translation>
    </message>
    <message>
        <source>%1 ch</source>
        <translation>%1 canaux</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>Piste %1</translation>
    </message>
    <message>
        <source>%1 (no decoder)</source>
        <translation>%1 (aucun décodeur)</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Désactivés</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Open Video...	Ctrl+O</source>
        <translation>&amp;Ouvrir une vidéo...	Ctrl+O</translation>
    </message>
    <message>
        <source>Open Subtitles	Ctrl+S</source>
        <translation>Ouvrir des sous-titres	Ctrl+S</translation>
    </message>
    <message>
        <source>Open URL	Ctrl+U</source>
        <translation>Ouvrir une URL	Ctrl+U</translation>
    </message>
    <message>
        <source>Register Filetype For Current File	Ctrl+R</source>
        <translation>Associer le type du fichier actuel	Ctrl+R</translation>
    </message>
    <message>
        <source>Delete Current File	DEL</source>
        <translation>Supprimer le fichier actuel	Suppr</translation>
    </message>
    <message>
        <source>Save Screenshot	Shift+S</source>
        <translation>Enregistrer une capture d’écran	Maj+S</translation>
    </message>
    <message>
        <source>Most Recent...</source>
        <translation>Fichiers récents...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Lecture</translation>
    </message>
    <message>
        <source>Play	ENTER</source>
        <translation>Lire	Entrée</translation>
    </message>
    <message>
        <source>Stop	Esc</source>
        <translation>Arrêter	Échap</translation>
    </message>
    <message>
        <source>Pause	SPACE</source>
        <translation>Pause	Espace</translation>
    </message>
    <message>
        <source>Previous File	PgUp</source>
        <translation>Fichier précédent	Pg. préc.</translation>
    </message>
    <message>
        <source>Next File	PgDn</source>
        <translation>Fichier suivant	Pg. suiv.</translation>
    </message>
    <message>
        <source>5 Seconds Forward	&gt;</source>
        <translation>Avancer de 5 secondes	&gt;</translation>
    </message>
    <message>
        <source>5 Seconds Back	&lt;</source>
        <translation>Reculer de 5 secondes	&lt;</translation>
    </message>
    <message>
        <source>Next Chapter	Shift+PgDn</source>
        <translation>Chapitre suivant	Maj+Pg. suiv.</translation>
    </message>
    <message>
        <source>Previous Chapter	Shift+PgUp</source>
        <translation>Chapitre précédent	Maj+Pg. préc.</translation>
    </message>
    <message>
        <source>Chapters</source>
        <translation>Chapitres</translation>
    </message>
    <message>
        <source>A-B Loop	L</source>
        <translation>Boucle A-B	L</translation>
    </message>
    <message>
        <source>Faster	]</source>
        <translation>Plus rapide	]</translation>
    </message>
    <message>
        <source>Slower	[</source>
        <translation>Plus lent	[</translation>
    </message>
    <message>
        <source>Normal Speed	Backspace</source>
        <translation>Vitesse normale	Retour arrière</translation>
    </message>
    <message>
        <source>Next Frame	E</source>
        <translation>Image suivante	E</translation>
    </message>
    <message>
        <source>Previous Frame	Shift+E</source>
        <translation>Image précédente	Maj+E</translation>
    </message>
    <message>
        <source>&amp;Filters</source>
        <translation>F&amp;iltres</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Affichage</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Barre d’outils</translation>
    </message>
    <message>
        <source>&amp;Seekbar</source>
        <translation>Barre de &amp;progression</translation>
    </message>
    <message>
        <source>Fullscreen	F</source>
        <translation>Plein écran	F</translation>
    </message>
    <message>
        <source>Fullscreen Resolution</source>
        <translation>Résolution en plein écran</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Par défaut</translation>
    </message>
    <message>
        <source>Auto Next</source>
        <translation>Enchaîner automatiquement</translation>
    </message>
    <message>
        <source>Maintain Aspect Ratio</source>
        <translation>Conserver les proportions</translation>
    </message>
    <message>
        <source>Always On Top</source>
        <translation>Toujours au premier plan</translation>
    </message>
    <message>
        <source>Allow Multiple Instances</source>
        <translation>Autoriser plusieurs instances</translation>
    </message>
    <message>
        <source>Keep Window Size</source>
        <translation>Conserver la taille de la fenêtre</translation>
    </message>
    <message>
        <source>View Subtitles	C</source>
        <translation>Afficher les sous-titres	C</translation>
    </message>
    <message>
        <source>Set Subtitle Font</source>
        <translation>Police des sous-titres</translation>
    </message>
    <message>
        <source>Subtitle Track</source>
        <translation>Piste de sous-titres</translation>
    </message>
    <message>
        <source>Audio Track</source>
        <translation>Piste audio</translation>
    </message>
    <message>
        <source>Subtitle Encoding</source>
        <translation>Encodage des sous-titres</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatique</translation>
    </message>
    <message>
        <source>Subtitle Styles</source>
        <translation>Styles des sous-titres</translation>
    </message>
    <message>
        <source>Resume Playback</source>
        <translation>Reprendre la lecture</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Ai&amp;de</translation>
    </message>
    <message>
        <source>Help	F1</source>
        <translation>Aide	F1</translation>
    </message>
    <message>
        <source>Check For Update</source>
        <translation>Rechercher une mise à jour</translation>
    </message>
    <message>
        <source>&amp;About Tavimo...</source>
        <translation>À &amp;propos de Tavimo...</translation>
    </message>
    <message>
        <source>Deinterlace</source>
        <translation>Désentrelacement</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Automatique</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Activé</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech</source>
        <translation type="vanished">Synchroniser les sous-titres sur la parole</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech	Y</source>
        <translation>Synchroniser les sous-titres sur la parole	Y</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation type="vanished">(mémorisé)</translation>
    </message>
    <message>
        <source>Audio Earlier	J</source>
        <translation>Son plus tôt	J</translation>
    </message>
    <message>
        <source>Audio Later	K</source>
        <translation>Son plus tard	K</translation>
    </message>
    <message>
        <source>Reset Audio Delay	Shift+J</source>
        <translation>Réinitialiser le décalage du son	Maj+J</translation>
    </message>
    <message>
        <source>Night Mode	N</source>
        <translation>Mode nuit	N</translation>
    </message>
</context>
<context>
    <name>Notes</name>
    <message>
        <source>Chapter %1/%2</source>
        <translation>Chapitre %1/%2</translation>
    </message>
    <message>
        <source>Chapter %1/%2: %3</source>
        <translation>Chapitre %1/%2 : %3</translation>
    </message>
    <message>
        <source>Loop: %1 –</source>
        <translation>Boucle : %1 –</translation>
    </message>
    <message>
        <source>Loop: %1 – %2</source>
        <translation>Boucle : %1 – %2</translation>
    </message>
    <message>
        <source>Loop off</source>
        <translation>Boucle désactivée</translation>
    </message>
    <message>
        <source>Speed: %1×</source>
        <translation>Vitesse : %1×</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Enregistré : %1</translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation>Audio : %1</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Sous-titres : %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>aucun</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>désactivés</translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation>Décalage des sous-titres : %1 s</translation>
    </message>
    <message>
        <source>Deinterlace: Auto</source>
        <translation>Désentrelacement : automatique</translation>
    </message>
    <message>
        <source>Deinterlace: On</source>
        <translation>Désentrelacement : activé</translation>
    </message>
    <message>
        <source>Deinterlace: Off</source>
        <translation>Désentrelacement : désactivé</translation>
    </message>
    <message>
        <source>Synchronising subtitles… %1%</source>
        <translation>Synchronisation des sous-titres… %1 %</translation>
    </message>
    <message>
        <source>Synchronisation cancelled</source>
        <translation>Synchronisation annulée</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation>Impossible d’accorder les sous-titres à la parole</translation>
    </message>
    <message>
        <source>Subtitles synchronised: %1</source>
        <translation>Sous-titres synchronisés : %1</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation>(mémorisé)</translation>
    </message>
    <message>
        <source>in %1 parts</source>
        <translation>en %1 parties</translation>
    </message>
    <message>
        <source>This stream cannot seek</source>
        <translation>Impossible de se déplacer dans ce flux</translation>
    </message>
    <message>
        <source>Audio delay: %1 ms</source>
        <translation>Décalage du son : %1 ms</translation>
    </message>
    <message>
        <source>Night mode: on</source>
        <translation>Mode nuit : activé</translation>
    </message>
    <message>
        <source>Night mode: off</source>
        <translation>Mode nuit : désactivé</translation>
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
        <translation>Ouvrir une vidéo</translation>
    </message>
    <message>
        <source>Open Subtitles</source>
        <translation>Ouvrir des sous-titres</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Lire</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Previous File</source>
        <translation>Fichier précédent</translation>
    </message>
    <message>
        <source>Next File</source>
        <translation>Fichier suivant</translation>
    </message>
    <message>
        <source>Fullscreen</source>
        <translation>Plein écran</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
</context>
<context>
    <name>tavimo::CAboutDlg</name>
    <message>
        <source>About Tavimo</source>
        <translation>À propos de Tavimo</translation>
    </message>
</context>
<context>
    <name>tavimo::COpenURL</name>
    <message>
        <source>Enter URL</source>
        <translation>Saisir une URL</translation>
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
