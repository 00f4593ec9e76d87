# Brazilian Portuguese.
KEYS = {"Ctrl": "Ctrl", "Shift": "Shift", "DEL": "Del", "ENTER": "Enter", "SPACE": "Espaço",
        "PgUp": "PgUp", "PgDn": "PgDn", "Backspace": "Backspace", "Esc": "Esc"}

T = {
    "About": {
        "Tavimo build %1": "Tavimo, compilação %1",
        "A small video player that draws its own subtitles.":
            "Um pequeno reprodutor de vídeo que desenha as próprias legendas.",
        "Built with Qt 6 and GStreamer for Linux.": "Feito com Qt 6 e GStreamer para Linux.",
        "Thanks to (a-z):": "Agradecimentos (a–z):",
    },
    "Boxes": {
        "the desktop entry %1 is not usable": "a entrada de área de trabalho %1 não pode ser usada",
        "mimeapps.list could not be written": "não foi possível gravar o mimeapps.list",
        'Move "%1" to the trash?': "Mover “%1” para a lixeira?",
        'Could not move "%1" to the trash.\n%2': "Não foi possível mover “%1” para a lixeira.\n%2",
        "ASX Playlists are not supported by this application.\n\nPlease select a valid media file.":
            "Listas de reprodução ASX não são suportadas por este aplicativo.\n\n"
            "Selecione um arquivo de mídia válido.",
        "This program needs DirectX9,\na videocard with Direct3D and the latest videodrivers.\nGo download them!":
            "Este programa precisa do DirectX 9,\nde uma placa de vídeo com Direct3D e dos drivers "
            "de vídeo mais recentes.\nBaixe-os!",
        "Failed to load Windows Media content.\nPerhaps you need to install Windows Media Player 9 or higher.":
            "Falha ao carregar o conteúdo do Windows Media.\nTalvez seja preciso instalar o "
            "Windows Media Player 9 ou superior.",
        "Unknown Error: 0x%x": "Erro desconhecido: 0x%x",
        "The picture could not be made into a PNG.":
            "Não foi possível converter a imagem em PNG.",
        "The picture could not be read from the video.":
            "Não foi possível ler a imagem do vídeo.",
        "Every name for this moment is taken.": "Todos os nomes para este momento já estão em uso.",
        "The screenshot could not be saved in the folder\n%1":
            "Não foi possível salvar a captura de tela na pasta\n%1",
        "an empty name was given for a file to write":
            "foi informado um nome vazio para um arquivo a gravar",
        "cannot write %1: %2": "não é possível gravar %1: %2",
        "update-mime-database is not installed": "update-mime-database não está instalado",
        "update-mime-database failed on %1": "update-mime-database falhou em %1",
        '"%1" may be %2 or another type, and its contents do not tell which':
            "“%1” pode ser %2 ou outro tipo, e o conteúdo não permite saber qual",
        "the default application for %1 was not set: %2":
            "o aplicativo padrão para %1 não foi definido: %2",
        '"%1" has no file extension, so no file type was registered.':
            "“%1” não tem extensão, então nenhum tipo de arquivo foi registrado.",
        'Filetype "%1" registered with Tavimo': "Tipo de arquivo “%1” associado ao Tavimo",
        'Filetype "%1" could not be registered with Tavimo:\n%2':
            "Não foi possível associar o tipo de arquivo “%1” ao Tavimo:\n%2",
        "The file could not be moved to the trash.":
            "Não foi possível mover o arquivo para a lixeira.",
        "Could not match the subtitles to the speech":
            "Não foi possível ajustar as legendas à fala",
    },
    "Desktop": {
        "Playing video": "Reproduzindo vídeo",
        "Full screen": "Tela cheia",
    },
    "Dialogs": {
        "Open Media File...": "Abrir arquivo de mídia...",
        "All Files (*.*)": "Todos os arquivos (*.*)",
        "Font": "Fonte",
        "&Color...": "&Cor...",
        "Color": "Cor",
        "Open Subtitles File...": "Abrir arquivo de legendas...",
        "Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)":
            "Arquivos suportados (*.srt;*.txt;*.sub;*.ass;*.ssa)",
    },
    "Errors": {
        "The operation is not available here.": "A operação não está disponível aqui.",
        "The object does not offer the requested interface.":
            "O objeto não oferece a interface solicitada.",
        "A required pointer was missing.": "Faltou um ponteiro necessário.",
        "The operation was cancelled.": "A operação foi cancelada.",
        "The operation failed.": "A operação falhou.",
        "An unexpected failure occurred.": "Ocorreu uma falha inesperada.",
        "Access to the file was refused.": "O acesso ao arquivo foi negado.",
        "There is not enough memory for the operation.":
            "Não há memória suficiente para a operação.",
        "An argument is not valid.": "Um argumento não é válido.",
        "The file could not be found.": "O arquivo não foi encontrado.",
        "The folder of the file could not be found.": "A pasta do arquivo não foi encontrada.",
        "The pins are not connected.": "Os pinos não estão conectados.",
        "A required interface is not implemented.": "Uma interface necessária não está implementada.",
        "The object or name was not found.": "O objeto ou nome não foi encontrado.",
        "No chain of elements could connect the stream.":
            "Nenhuma cadeia de elementos conseguiu conectar o fluxo.",
        "No chain of elements could render the stream.":
            "Nenhuma cadeia de elementos conseguiu reproduzir o fluxo.",
        "The pipeline is in the wrong state for the operation.":
            "O pipeline está no estado errado para a operação.",
        "The media type is not accepted.": "O tipo de mídia não é aceito.",
        "An element with this name is already in the graph.":
            "Já existe um elemento com este nome no grafo.",
        "The media pipeline did not answer in time.": "O pipeline de mídia não respondeu a tempo.",
        "The file is not in the expected format.": "O arquivo não está no formato esperado.",
        "The type of this file is not recognised.": "O tipo deste arquivo não foi reconhecido.",
        "No source could be loaded for this file.":
            "Não foi possível carregar uma fonte para este arquivo.",
        "No decoder is installed for a stream of this file.":
            "Nenhum decodificador está instalado para um fluxo deste arquivo.",
        "No audio output is available.": "Nenhuma saída de áudio disponível.",
        "The element is not in the graph.": "O elemento não está no grafo.",
        "The file cannot be played: its format is not supported.":
            "O arquivo não pode ser reproduzido: o formato não é suportado.",
        "No handler is installed for this protocol (mms://).":
            "Nenhum manipulador está instalado para este protocolo (mms://).",
    },
    "Help": {
        "Usage: tavimo [FILE-OR-URL]\nPlays a video file or URL, with the subtitles found beside it.\n"
        "Everything after the program name is one path; quotes around it are removed.\n\n"
        "  --sync-subtitles SUBTITLE CLIP [-o OUT.srt]\n"
        "             match the subtitles to the clip's speech, print the correction\n"
        "             (and write the corrected SubRip file with -o), and exit\n"
        "  --help     show this text and exit\n  --version  show the version and exit\n":
            "Uso: tavimo [ARQUIVO-OU-URL]\n"
            "Reproduz um arquivo de vídeo ou URL, com as legendas encontradas ao lado.\n"
            "Tudo o que vem após o nome do programa é um único caminho; as aspas em volta "
            "são removidas.\n\n"
            "  --sync-subtitles LEGENDA CLIPE [-o SAIDA.srt]\n"
            "             sincroniza as legendas com a fala do clipe, mostra a correção\n"
            "             (e grava o arquivo SubRip corrigido com -o) e sai\n"
            "  --help     mostra este texto e sai\n"
            "  --version  mostra a versão e sai\n",
    },
    "Menu": {
        "Chapter %1": "Capítulo %1",
        "mono": "mono",
        "stereo": "estéreo",
        "%1 ch": "%1 canais",
        "Track %1": "Faixa %1",
        "%1 (no decoder)": "%1 (sem decodificador)",
        "Off": "Desativadas",
        "&File": "&Arquivo",
        "&Open Video...": "&Abrir vídeo...",
        "Open Subtitles": "Abrir legendas",
        "Open URL": "Abrir URL",
        "Register Filetype For Current File": "Associar o tipo do arquivo atual",
        "Delete Current File": "Excluir o arquivo atual",
        "Save Screenshot": "Salvar captura de tela",
        "Most Recent...": "Recentes...",
        "E&xit": "Sai&r",
        "Play": "Reprodução",
        "Play\tENTER": "Reproduzir",
        "Stop": "Parar",
        "Pause": "Pausar",
        "Previous File": "Arquivo anterior",
        "Next File": "Próximo arquivo",
        "5 Seconds Forward": "Avançar 5 segundos",
        "5 Seconds Back": "Voltar 5 segundos",
        "Next Chapter": "Próximo capítulo",
        "Previous Chapter": "Capítulo anterior",
        "Chapters": "Capítulos",
        "A-B Loop": "Repetição A-B",
        "Faster": "Mais rápido",
        "Slower": "Mais lento",
        "Normal Speed": "Velocidade normal",
        "Next Frame": "Próximo quadro",
        "Previous Frame": "Quadro anterior",
        "&Filters": "&Filtros",
        "&View": "E&xibir",
        "&Toolbar": "&Barra de ferramentas",
        "&Seekbar": "Barra de &progresso",
        "Fullscreen": "Tela cheia",
        "Fullscreen Resolution": "Resolução da tela cheia",
        "Default": "Padrão",
        "Auto Next": "Próximo automaticamente",
        "Maintain Aspect Ratio": "Manter a proporção",
        "Always On Top": "Sempre visível",
        "Allow Multiple Instances": "Permitir várias instâncias",
        "Keep Window Size": "Manter o tamanho da janela",
        "View Subtitles": "Mostrar legendas",
        "Set Subtitle Font": "Fonte das legendas",
        "Subtitle Track": "Faixa de legenda",
        "Audio Track": "Faixa de áudio",
        "Subtitle Encoding": "Codificação das legendas",
        "Automatic": "Automática",
        "Subtitle Styles": "Estilos das legendas",
        "Resume Playback": "Retomar a reprodução",
        "&Help": "Aj&uda",
        "Help": "Ajuda",
        "Check For Update": "Verificar atualizações",
        "&About Tavimo...": "&Sobre o Tavimo...",
        "Deinterlace": "Desentrelaçamento",
        "Auto": "Automático",
        "On": "Ativado",
        "Synchronise Subtitles to Speech": "Sincronizar legendas com a fala",
        "(remembered)": "(lembrado)",
    },
    "Notes": {
        "Chapter %1/%2": "Capítulo %1/%2",
        "Chapter %1/%2: %3": "Capítulo %1/%2: %3",
        "Loop: %1 –": "Repetição: %1 –",
        "Loop: %1 – %2": "Repetição: %1 – %2",
        "Loop off": "Repetição desativada",
        "Speed: %1×": "Velocidade: %1×",
        "Saved %1": "Salvo: %1",
        "Audio: %1": "Áudio: %1",
        "Subtitles: %1": "Legendas: %1",
        "none": "nenhum",
        "Off": "desativadas",
        "Subtitle delay: %1 s": "Atraso das legendas: %1 s",
        "Deinterlace: Auto": "Desentrelaçamento: automático",
        "Deinterlace: On": "Desentrelaçamento: ativado",
        "Deinterlace: Off": "Desentrelaçamento: desativado",
        "Synchronising subtitles… %1%": "Sincronizando legendas… %1%",
        "Synchronisation cancelled": "Sincronização cancelada",
        "Could not match the subtitles to the speech":
            "Não foi possível ajustar as legendas à fala",
        "Subtitles synchronised: %1": "Legendas sincronizadas: %1",
        "(remembered)": "(lembrado)",
        "in %1 parts": "em %1 partes",
    },
    "Seekbar": {"%1 / %2": "%1 / %2"},
    "Toolbar": {
        "Open Video": "Abrir vídeo",
        "Open Subtitles": "Abrir legendas",
        "Play": "Reproduzir",
        "Pause": "Pausar",
        "Stop": "Parar",
        "Previous File": "Arquivo anterior",
        "Next File": "Próximo arquivo",
        "Fullscreen": "Tela cheia",
        "About": "Sobre",
    },
    "tavimo::CAboutDlg": {"About Tavimo": "Sobre o Tavimo"},
    "tavimo::COpenURL": {"Enter URL": "Digite a URL"},
    "tavimo::CSliders": {"Volume": "Volume"},
}
