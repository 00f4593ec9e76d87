<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>About</name>
    <message>
        <source>Tavimo build %1</source>
        <translation>Tavimo, compilação %1</translation>
    </message>
    <message>
        <source>A small video player that draws its own subtitles.</source>
        <translation>Um pequeno reprodutor de vídeo que desenha as próprias legendas.</translation>
    </message>
    <message>
        <source>Built with Qt 6 and GStreamer for Linux.</source>
        <translation>Feito com Qt 6 e GStreamer para Linux.</translation>
    </message>
    <message>
        <source>Thanks to (a-z):</source>
        <translation>Agradecimentos (a–z):</translation>
    </message>
</context>
<context>
    <name>Boxes</name>
    <message>
        <source>Move &quot;%1&quot; to the trash?</source>
        <translation>Mover “%1” para a lixeira?</translation>
    </message>
    <message>
        <source>Could not move &quot;%1&quot; to the trash.
%2</source>
        <translation>Não foi possível mover “%1” para a lixeira.
%2</translation>
    </message>
    <message>
        <source>ASX Playlists are not supported by this application.

Please select a valid media file.</source>
        <translation>Listas de reprodução ASX não são suportadas por este aplicativo.

Selecione um arquivo de mídia válido.</translation>
    </message>
    <message>
        <source>This program needs DirectX9,
a videocard with Direct3D and the latest videodrivers.
Go download them!</source>
        <translation>Este programa precisa do DirectX 9,
de uma placa de vídeo com Direct3D e dos drivers de vídeo mais recentes.
Baixe-os!</translation>
    </message>
    <message>
        <source>Failed to load Windows Media content.
Perhaps you need to install Windows Media Player 9 or higher.</source>
        <translation>Falha ao carregar o conteúdo do Windows Media.
Talvez seja preciso instalar o Windows Media Player 9 ou superior.</translation>
    </message>
    <message>
        <source>Unknown Error: 0x%x</source>
        <translation>Erro desconhecido: 0x%x</translation>
    </message>
    <message>
        <source>The picture could not be made into a PNG.</source>
        <translation>Não foi possível converter a imagem em PNG.</translation>
    </message>
    <message>
        <source>The picture could not be read from the video.</source>
        <translation>Não foi possível ler a imagem do vídeo.</translation>
    </message>
    <message>
        <source>Every name for this moment is taken.</source>
        <translation>Todos os nomes para este momento já estão em uso.</translation>
    </message>
    <message>
        <source>The screenshot could not be saved in the folder
%1</source>
        <translation>Não foi possível salvar a captura de tela na pasta
%1</translation>
    </message>
    <message>
        <source>an empty name was given for a file to write</source>
        <translation>foi informado um nome vazio para um arquivo a gravar</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>não é possível gravar %1: %2</translation>
    </message>
    <message>
        <source>update-mime-database is not installed</source>
        <translation>update-mime-database não está instalado</translation>
    </message>
    <message>
        <source>update-mime-database failed on %1</source>
        <translation>update-mime-database falhou em %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; may be %2 or another type, and its contents do not tell which</source>
        <translation>“%1” pode ser %2 ou outro tipo, e o conteúdo não permite saber qual</translation>
    </message>
    <message>
        <source>the default application for %1 was not set: %2</source>
        <translation>o aplicativo padrão para %1 não foi definido: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no file extension, so no file type was registered.</source>
        <translation>“%1” não tem extensão, então nenhum tipo de arquivo foi registrado.</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; registered with Tavimo</source>
        <translation>Tipo de arquivo “%1” associado ao Tavimo</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; could not be registered with Tavimo:
%2</source>
        <translation>Não foi possível associar o tipo de arquivo “%1” ao Tavimo:
%2</translation>
    </message>
    <message>
        <source>The file could not be moved to the trash.</source>
        <translation>Não foi possível mover o arquivo para a lixeira.</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation type="vanished">Não foi possível ajustar as legendas à fala</translation>
    </message>
    <message>
        <source>the desktop entry %1 is not usable</source>
        <translation>a entrada de área de trabalho %1 não pode ser usada</translation>
    </message>
    <message>
        <source>mimeapps.list could not be written</source>
        <translation>não foi possível gravar o mimeapps.list</translation>
    </message>
    <message>
        <source>The subtitle file &quot;%1&quot; cannot be read.

Tavimo reads SubRip (.srt, .txt), MicroDVD (.sub) and SSA/ASS (.ssa, .ass) files of up to %2 MB.</source>
        <translation>Não é possível ler o arquivo de legendas “%1”.

O Tavimo lê arquivos SubRip (.srt, .txt), MicroDVD (.sub) e SSA/ASS (.ssa, .ass) de até %2 MB.</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Playing video</source>
        <translation>Reproduzindo vídeo</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Tela cheia</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Open Media File...</source>
        <translation>Abrir arquivo de mídia...</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Todos os arquivos (*.*)</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Fonte</translation>
    </message>
    <message>
        <source>&amp;Color...</source>
        <translation>&amp;Cor...</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Cor</translation>
    </message>
    <message>
        <source>Open Subtitles File...</source>
        <translation>Abrir arquivo de legendas...</translation>
    </message>
    <message>
        <source>Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)</source>
        <translation>Arquivos suportados (*.srt;*.txt;*.sub;*.ass;*.ssa)</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>The operation is not available here.</source>
        <translation>A operação não está disponível aqui.</translation>
    </message>
    <message>
        <source>The object does not offer the requested interface.</source>
        <translation>O objeto não oferece a interface solicitada.</translation>
    </message>
    <message>
        <source>A required pointer was missing.</source>
        <translation>Faltou um ponteiro necessário.</translation>
    </message>
    <message>
        <source>The operation was cancelled.</source>
        <translation>A operação foi cancelada.</translation>
    </message>
    <message>
        <source>The operation failed.</source>
        <translation>A operação falhou.</translation>
    </message>
    <message>
        <source>An unexpected failure occurred.</source>
        <translation>Ocorreu uma falha inesperada.</translation>
    </message>
    <message>
        <source>Access to the file was refused.</source>
        <translation>O acesso ao arquivo foi negado.</translation>
    </message>
    <message>
        <source>There is not enough memory for the operation.</source>
        <translation>Não há memória suficiente para a operação.</translation>
    </message>
    <message>
        <source>An argument is not valid.</source>
        <translation>Um argumento não é válido.</translation>
    </message>
    <message>
        <source>The file could not be found.</source>
        <translation>O arquivo não foi encontrado.</translation>
    </message>
    <message>
        <source>The folder of the file could not be found.</source>
        <translation>A pasta do arquivo não foi encontrada.</translation>
    </message>
    <message>
        <source>The pins are not connected.</source>
        <translation>Os pinos não estão conectados.</translation>
    </message>
    <message>
        <source>A required interface is not implemented.</source>
        <translation>Uma interface necessária não está implementada.</translation>
    </message>
    <message>
        <source>The object or name was not found.</source>
        <translation>O objeto ou nome não foi encontrado.</translation>
    </message>
    <message>
        <source>No chain of elements could connect the stream.</source>
        <translation>Nenhuma cadeia de elementos conseguiu conectar o fluxo.</translation>
    </message>
    <message>
        <source>No chain of elements could render the stream.</source>
        <translation>Nenhuma cadeia de elementos conseguiu reproduzir o fluxo.</translation>
    </message>
    <message>
        <source>The pipeline is in the wrong state for the operation.</source>
        <translation>O pipeline está no estado errado para a operação.</translation>
    </message>
    <message>
        <source>The media type is not accepted.</source>
        <translation>O tipo de mídia não é aceito.</translation>
    </message>
    <message>
        <source>An element with this name is already in the graph.</source>
        <translation>Já existe um elemento com este nome no grafo.</translation>
    </message>
    <message>
        <source>The media pipeline did not answer in time.</source>
        <translation>O pipeline de mídia não respondeu a tempo.</translation>
    </message>
    <message>
        <source>The file is not in the expected format.</source>
        <translation>O arquivo não está no formato esperado.</translation>
    </message>
    <message>
        <source>The type of this file is not recognised.</source>
        <translation>O tipo deste arquivo não foi reconhecido.</translation>
    </message>
    <message>
        <source>No source could be loaded for this file.</source>
        <translation>Não foi possível carregar uma fonte para este arquivo.</translation>
    </message>
    <message>
        <source>No decoder is installed for a stream of this file.</source>
        <translation>Nenhum decodificador está instalado para um fluxo deste arquivo.</translation>
    </message>
    <message>
        <source>No audio output is available.</source>
        <translation>Nenhuma saída de áudio disponível.</translation>
    </message>
    <message>
        <source>The element is not in the graph.</source>
        <translation>O elemento não está no grafo.</translation>
    </message>
    <message>
        <source>The file cannot be played: its format is not supported.</source>
        <translation>O arquivo não pode ser reproduzido: o formato não é suportado.</translation>
    </message>
    <message>
        <source>No handler is installed for this protocol (mms://).</source>
        <translation>Nenhum manipulador está instalado para este protocolo (mms://).</translation>
    </message>
    <message>
        <source>The file cannot be played from here: it has to be read out of order, and its server only sends it whole.</source>
        <translation>O arquivo não pode ser reproduzido daqui: ele precisa ser lido fora de ordem, e seu servidor só o envia inteiro.</translation>
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
        <translation>Uso: tavimo [ARQUIVO-OU-URL]
Reproduz um arquivo de vídeo ou URL, com as legendas encontradas ao lado.
Tudo o que vem após o nome do programa é um único caminho; as aspas em volta são removidas.

  --sync-subtitles LEGENDA CLIPE [-o SAIDA.srt]
             sincroniza as legendas com a fala do clipe, mostra a correção
             (e grava o arquivo SubRip corrigido com -o) e sai
  --help     mostra este texto e sai
  --version  mostra a versão e sai
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
        <translation>%1 canais</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>Faixa %1</translation>
    </message>
    <message>
        <source>%1 (no decoder)</source>
        <translation>%1 (sem decodificador)</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Desativadas</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Arquivo</translation>
    </message>
    <message>
        <source>&amp;Open Video...	Ctrl+O</source>
        <translation>&amp;Abrir vídeo...	Ctrl+O</translation>
    </message>
    <message>
        <source>Open Subtitles	Ctrl+S</source>
        <translation>Abrir legendas	Ctrl+S</translation>
    </message>
    <message>
        <source>Open URL	Ctrl+U</source>
        <translation>Abrir URL	Ctrl+U</translation>
    </message>
    <message>
        <source>Register Filetype For Current File	Ctrl+R</source>
        <translation>Associar o tipo do arquivo atual	Ctrl+R</translation>
    </message>
    <message>
        <source>Delete Current File	DEL</source>
        <translation>Excluir o arquivo atual	Del</translation>
    </message>
    <message>
        <source>Save Screenshot	Shift+S</source>
        <translation>Salvar captura de tela	Shift+S</translation>
    </message>
    <message>
        <source>Most Recent...</source>
        <translation>Recentes...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>Sai&amp;r</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Reprodução</translation>
    </message>
    <message>
        <source>Play	ENTER</source>
        <translation>Reproduzir	Enter</translation>
    </message>
    <message>
        <source>Stop	Esc</source>
        <translation>Parar	Esc</translation>
    </message>
    <message>
        <source>Pause	SPACE</source>
        <translation>Pausar	Espaço</translation>
    </message>
    <message>
        <source>Previous File	PgUp</source>
        <translation>Arquivo anterior	PgUp</translation>
    </message>
    <message>
        <source>Next File	PgDn</source>
        <translation>Próximo arquivo	PgDn</translation>
    </message>
    <message>
        <source>5 Seconds Forward	&gt;</source>
        <translation>Avançar 5 segundos	&gt;</translation>
    </message>
    <message>
        <source>5 Seconds Back	&lt;</source>
        <translation>Voltar 5 segundos	&lt;</translation>
    </message>
    <message>
        <source>Next Chapter	Shift+PgDn</source>
        <translation>Próximo capítulo	Shift+PgDn</translation>
    </message>
    <message>
        <source>Previous Chapter	Shift+PgUp</source>
        <translation>Capítulo anterior	Shift+PgUp</translation>
    </message>
    <message>
        <source>Chapters</source>
        <translation>Capítulos</translation>
    </message>
    <message>
        <source>A-B Loop	L</source>
        <translation>Repetição A-B	L</translation>
    </message>
    <message>
        <source>Faster	]</source>
        <translation>Mais rápido	]</translation>
    </message>
    <message>
        <source>Slower	[</source>
        <translation>Mais lento	[</translation>
    </message>
    <message>
        <source>Normal Speed	Backspace</source>
        <translation>Velocidade normal	Backspace</translation>
    </message>
    <message>
        <source>Next Frame	E</source>
        <translation>Próximo quadro	E</translation>
    </message>
    <message>
        <source>Previous Frame	Shift+E</source>
        <translation>Quadro anterior	Shift+E</translation>
    </message>
    <message>
        <source>&amp;Filters</source>
        <translation>&amp;Filtros</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>E&amp;xibir</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Barra de ferramentas</translation>
    </message>
    <message>
        <source>&amp;Seekbar</source>
        <translation>Barra de &amp;progresso</translation>
    </message>
    <message>
        <source>Fullscreen	F</source>
        <translation>Tela cheia	F</translation>
    </message>
    <message>
        <source>Fullscreen Resolution</source>
        <translation>Resolução da tela cheia</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Padrão</translation>
    </message>
    <message>
        <source>Auto Next</source>
        <translation>Próximo automaticamente</translation>
    </message>
    <message>
        <source>Maintain Aspect Ratio</source>
        <translation>Manter a proporção</translation>
    </message>
    <message>
        <source>Always On Top</source>
        <translation>Sempre visível</translation>
    </message>
    <message>
        <source>Allow Multiple Instances</source>
        <translation>Permitir várias instâncias</translation>
    </message>
    <message>
        <source>Keep Window Size</source>
        <translation>Manter o tamanho da janela</translation>
    </message>
    <message>
        <source>View Subtitles	C</source>
        <translation>Mostrar legendas	C</translation>
    </message>
    <message>
        <source>Set Subtitle Font</source>
        <translation>Fonte das legendas</translation>
    </message>
    <message>
        <source>Subtitle Track</source>
        <translation>Faixa de legenda</translation>
    </message>
    <message>
        <source>Audio Track</source>
        <translation>Faixa de áudio</translation>
    </message>
    <message>
        <source>Subtitle Encoding</source>
        <translation>Codificação das legendas</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automática</translation>
    </message>
    <message>
        <source>Subtitle Styles</source>
        <translation>Estilos das legendas</translation>
    </message>
    <message>
        <source>Resume Playback</source>
        <translation>Retomar a reprodução</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Aj&amp;uda</translation>
    </message>
    <message>
        <source>Help	F1</source>
        <translation>Ajuda	F1</translation>
    </message>
    <message>
        <source>Check For Update</source>
        <translation>Verificar atualizações</translation>
    </message>
    <message>
        <source>&amp;About Tavimo...</source>
        <translation>&amp;Sobre o Tavimo...</translation>
    </message>
    <message>
        <source>Deinterlace</source>
        <translation>Desentrelaçamento</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Automático</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Ativado</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech</source>
        <translation type="vanished">Sincronizar legendas com a fala</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech	Y</source>
        <translation>Sincronizar legendas com a fala	Y</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation type="vanished">(lembrado)</translation>
    </message>
    <message>
        <source>Audio Earlier	J</source>
        <translation>Áudio antes	J</translation>
    </message>
    <message>
        <source>Audio Later	K</source>
        <translation>Áudio depois	K</translation>
    </message>
    <message>
        <source>Reset Audio Delay	Shift+J</source>
        <translation>Redefinir atraso do áudio	Shift+J</translation>
    </message>
    <message>
        <source>Night Mode	N</source>
        <translation>Modo noturno	N</translation>
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
        <translation>Repetição: %1 –</translation>
    </message>
    <message>
        <source>Loop: %1 – %2</source>
        <translation>Repetição: %1 – %2</translation>
    </message>
    <message>
        <source>Loop off</source>
        <translation>Repetição desativada</translation>
    </message>
    <message>
        <source>Speed: %1×</source>
        <translation>Velocidade: %1×</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Salvo: %1</translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation>Áudio: %1</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Legendas: %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>nenhum</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>desativadas</translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation>Atraso das legendas: %1 s</translation>
    </message>
    <message>
        <source>Deinterlace: Auto</source>
        <translation>Desentrelaçamento: automático</translation>
    </message>
    <message>
        <source>Deinterlace: On</source>
        <translation>Desentrelaçamento: ativado</translation>
    </message>
    <message>
        <source>Deinterlace: Off</source>
        <translation>Desentrelaçamento: desativado</translation>
    </message>
    <message>
        <source>Synchronising subtitles… %1%</source>
        <translation>Sincronizando legendas… %1%</translation>
    </message>
    <message>
        <source>Synchronisation cancelled</source>
        <translation>Sincronização cancelada</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation>Não foi possível ajustar as legendas à fala</translation>
    </message>
    <message>
        <source>Subtitles synchronised: %1</source>
        <translation>Legendas sincronizadas: %1</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation>(lembrado)</translation>
    </message>
    <message>
        <source>in %1 parts</source>
        <translation>em %1 partes</translation>
    </message>
    <message>
        <source>This stream cannot seek</source>
        <translation>Não é possível avançar ou voltar nesta transmissão</translation>
    </message>
    <message>
        <source>Audio delay: %1 ms</source>
        <translation>Atraso do áudio: %1 ms</translation>
    </message>
    <message>
        <source>Night mode: on</source>
        <translation>Modo noturno: ativado</translation>
    </message>
    <message>
        <source>Night mode: off</source>
        <translation>Modo noturno: desativado</translation>
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
        <translation>Abrir legendas</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Reproduzir</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausar</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Parar</translation>
    </message>
    <message>
        <source>Previous File</source>
        <translation>Arquivo anterior</translation>
    </message>
    <message>
        <source>Next File</source>
        <translation>Próximo arquivo</translation>
    </message>
    <message>
        <source>Fullscreen</source>
        <translation>Tela cheia</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Sobre</translation>
    </message>
</context>
<context>
    <name>tavimo::CAboutDlg</name>
    <message>
        <source>About Tavimo</source>
        <translation>Sobre o Tavimo</translation>
    </message>
</context>
<context>
    <name>tavimo::COpenURL</name>
    <message>
        <source>Enter URL</source>
        <translation>Digite a URL</translation>
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
