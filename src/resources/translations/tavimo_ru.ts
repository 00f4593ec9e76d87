<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru">
<context>
    <name>About</name>
    <message>
        <source>Tavimo build %1</source>
        <translation>Tavimo, сборка %1</translation>
    </message>
    <message>
        <source>A small video player that draws its own subtitles.</source>
        <translation>Небольшой видеопроигрыватель, который сам рисует субтитры.</translation>
    </message>
    <message>
        <source>Built with Qt 6 and GStreamer for Linux.</source>
        <translation>Создан на Qt 6 и GStreamer для Linux.</translation>
    </message>
    <message>
        <source>Thanks to (a-z):</source>
        <translation>Благодарности (a–z):</translation>
    </message>
</context>
<context>
    <name>Boxes</name>
    <message>
        <source>Move &quot;%1&quot; to the trash?</source>
        <translation>Переместить «%1» в корзину?</translation>
    </message>
    <message>
        <source>Could not move &quot;%1&quot; to the trash.
%2</source>
        <translation>Не удалось переместить «%1» в корзину.
%2</translation>
    </message>
    <message>
        <source>ASX Playlists are not supported by this application.

Please select a valid media file.</source>
        <translation>Это приложение не поддерживает списки воспроизведения ASX.

Выберите допустимый медиафайл.</translation>
    </message>
    <message>
        <source>This program needs DirectX9,
a videocard with Direct3D and the latest videodrivers.
Go download them!</source>
        <translation>Этой программе нужны DirectX 9,
видеокарта с Direct3D и свежие видеодрайверы.
Скачайте их!</translation>
    </message>
    <message>
        <source>Failed to load Windows Media content.
Perhaps you need to install Windows Media Player 9 or higher.</source>
        <translation>Не удалось загрузить содержимое Windows Media.
Возможно, нужно установить Windows Media Player 9 или новее.</translation>
    </message>
    <message>
        <source>Unknown Error: 0x%x</source>
        <translation>Неизвестная ошибка: 0x%x</translation>
    </message>
    <message>
        <source>The picture could not be made into a PNG.</source>
        <translation>Не удалось преобразовать кадр в PNG.</translation>
    </message>
    <message>
        <source>The picture could not be read from the video.</source>
        <translation>Не удалось прочитать кадр из видео.</translation>
    </message>
    <message>
        <source>Every name for this moment is taken.</source>
        <translation>Все имена для этого момента уже заняты.</translation>
    </message>
    <message>
        <source>The screenshot could not be saved in the folder
%1</source>
        <translation>Не удалось сохранить снимок экрана в папке
%1</translation>
    </message>
    <message>
        <source>an empty name was given for a file to write</source>
        <translation>для записываемого файла указано пустое имя</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>update-mime-database is not installed</source>
        <translation>update-mime-database не установлен</translation>
    </message>
    <message>
        <source>update-mime-database failed on %1</source>
        <translation>ошибка update-mime-database для %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; may be %2 or another type, and its contents do not tell which</source>
        <translation>«%1» может иметь тип %2 или другой, и по содержимому это не определить</translation>
    </message>
    <message>
        <source>the default application for %1 was not set: %2</source>
        <translation>приложение по умолчанию для %1 не назначено: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no file extension, so no file type was registered.</source>
        <translation>У «%1» нет расширения, поэтому тип файла не зарегистрирован.</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; registered with Tavimo</source>
        <translation>Тип файла «%1» связан с Tavimo</translation>
    </message>
    <message>
        <source>Filetype &quot;%1&quot; could not be registered with Tavimo:
%2</source>
        <translation>Не удалось связать тип файла «%1» с Tavimo:
%2</translation>
    </message>
    <message>
        <source>The file could not be moved to the trash.</source>
        <translation>Не удалось переместить файл в корзину.</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation type="vanished">Не удалось сопоставить субтитры с речью</translation>
    </message>
    <message>
        <source>the desktop entry %1 is not usable</source>
        <translation>ярлык %1 непригоден для использования</translation>
    </message>
    <message>
        <source>mimeapps.list could not be written</source>
        <translation>не удалось записать mimeapps.list</translation>
    </message>
    <message>
        <source>The subtitle file &quot;%1&quot; cannot be read.

Tavimo reads SubRip (.srt, .txt), MicroDVD (.sub) and SSA/ASS (.ssa, .ass) files of up to %2 MB.</source>
        <translation>Не удаётся прочитать файл субтитров «%1».

Tavimo читает файлы SubRip (.srt, .txt), MicroDVD (.sub) и SSA/ASS (.ssa, .ass) размером до %2 МБ.</translation>
    </message>
</context>
<context>
    <name>Desktop</name>
    <message>
        <source>Playing video</source>
        <translation>Воспроизведение видео</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Полноэкранный режим</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>Open Media File...</source>
        <translation>Открыть медиафайл...</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>Все файлы (*.*)</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Шрифт</translation>
    </message>
    <message>
        <source>&amp;Color...</source>
        <translation>&amp;Цвет...</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Цвет</translation>
    </message>
    <message>
        <source>Open Subtitles File...</source>
        <translation>Открыть файл субтитров...</translation>
    </message>
    <message>
        <source>Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)</source>
        <translation>Поддерживаемые файлы (*.srt;*.txt;*.sub;*.ass;*.ssa)</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>The operation is not available here.</source>
        <translation>Операция здесь недоступна.</translation>
    </message>
    <message>
        <source>The object does not offer the requested interface.</source>
        <translation>Объект не предоставляет запрошенный интерфейс.</translation>
    </message>
    <message>
        <source>A required pointer was missing.</source>
        <translation>Отсутствует необходимый указатель.</translation>
    </message>
    <message>
        <source>The operation was cancelled.</source>
        <translation>Операция отменена.</translation>
    </message>
    <message>
        <source>The operation failed.</source>
        <translation>Операция не удалась.</translation>
    </message>
    <message>
        <source>An unexpected failure occurred.</source>
        <translation>Произошла непредвиденная ошибка.</translation>
    </message>
    <message>
        <source>Access to the file was refused.</source>
        <translation>Доступ к файлу запрещён.</translation>
    </message>
    <message>
        <source>There is not enough memory for the operation.</source>
        <translation>Недостаточно памяти для операции.</translation>
    </message>
    <message>
        <source>An argument is not valid.</source>
        <translation>Недопустимый аргумент.</translation>
    </message>
    <message>
        <source>The file could not be found.</source>
        <translation>Файл не найден.</translation>
    </message>
    <message>
        <source>The folder of the file could not be found.</source>
        <translation>Папка файла не найдена.</translation>
    </message>
    <message>
        <source>The pins are not connected.</source>
        <translation>Контакты не соединены.</translation>
    </message>
    <message>
        <source>A required interface is not implemented.</source>
        <translation>Необходимый интерфейс не реализован.</translation>
    </message>
    <message>
        <source>The object or name was not found.</source>
        <translation>Объект или имя не найдены.</translation>
    </message>
    <message>
        <source>No chain of elements could connect the stream.</source>
        <translation>Ни одна цепочка элементов не смогла подключить поток.</translation>
    </message>
    <message>
        <source>No chain of elements could render the stream.</source>
        <translation>Ни одна цепочка элементов не смогла воспроизвести поток.</translation>
    </message>
    <message>
        <source>The pipeline is in the wrong state for the operation.</source>
        <translation>Конвейер находится в неподходящем для операции состоянии.</translation>
    </message>
    <message>
        <source>The media type is not accepted.</source>
        <translation>Тип медиаданных не принят.</translation>
    </message>
    <message>
        <source>An element with this name is already in the graph.</source>
        <translation>Элемент с таким именем уже есть в графе.</translation>
    </message>
    <message>
        <source>The media pipeline did not answer in time.</source>
        <translation>Медиаконвейер не ответил вовремя.</translation>
    </message>
    <message>
        <source>The file is not in the expected format.</source>
        <translation>Файл не в ожидаемом формате.</translation>
    </message>
    <message>
        <source>The type of this file is not recognised.</source>
        <translation>Тип этого файла не распознан.</translation>
    </message>
    <message>
        <source>No source could be loaded for this file.</source>
        <translation>Не удалось загрузить источник для этого файла.</translation>
    </message>
    <message>
        <source>No decoder is installed for a stream of this file.</source>
        <translation>Для одного из потоков этого файла не установлен декодер.</translation>
    </message>
    <message>
        <source>No audio output is available.</source>
        <translation>Нет доступного аудиовыхода.</translation>
    </message>
    <message>
        <source>The element is not in the graph.</source>
        <translation>Элемента нет в графе.</translation>
    </message>
    <message>
        <source>The file cannot be played: its format is not supported.</source>
        <translation>Файл невозможно воспроизвести: его формат не поддерживается.</translation>
    </message>
    <message>
        <source>No handler is installed for this protocol (mms://).</source>
        <translation>Для этого протокола (mms://) не установлен обработчик.</translation>
    </message>
    <message>
        <source>The file cannot be played from here: it has to be read out of order, and its server only sends it whole.</source>
        <translation>Файл нельзя воспроизвести отсюда: его нужно читать не по порядку, а сервер отдаёт его только целиком.</translation>
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
        <translation>Использование: tavimo [ФАЙЛ-ИЛИ-URL]
Воспроизводит видеофайл или URL с субтитрами, найденными рядом с ним.
Всё после имени программы — один путь; окружающие его кавычки удаляются.

  --sync-subtitles СУБТИТРЫ КЛИП [-o ВЫХОД.srt]
             синхронизировать субтитры с речью в клипе, вывести поправку
             (с -o также записать исправленный файл SubRip) и выйти
  --help     показать эту справку и выйти
  --version  показать версию и выйти
</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>Chapter %1</source>
        <translation>Глава %1</translation>
    </message>
    <message>
        <source>mono</source>
        <translation>моно</translation>
    </message>
    <message>
        <source>stereo</source>
        <translation>стерео</translation>
    </message>
    <message>
        <source>%1 ch</source>
        <translation>%1 кан.</translation>
    </message>
    <message>
        <source>Track %1</source>
        <translation>Дорожка %1</translation>
    </message>
    <message>
        <source>%1 (no decoder)</source>
        <translation>%1 (нет декодера)</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Выкл.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Open Video...	Ctrl+O</source>
        <translation>&amp;Открыть видео...	Ctrl+O</translation>
    </message>
    <message>
        <source>Open Subtitles	Ctrl+S</source>
        <translation>Открыть субтитры	Ctrl+S</translation>
    </message>
    <message>
        <source>Open URL	Ctrl+U</source>
        <translation>Открыть URL	Ctrl+U</translation>
    </message>
    <message>
        <source>Register Filetype For Current File	Ctrl+R</source>
        <translation>Связать тип текущего файла	Ctrl+R</translation>
    </message>
    <message>
        <source>Delete Current File	DEL</source>
        <translation>Удалить текущий файл	Del</translation>
    </message>
    <message>
        <source>Save Screenshot	Shift+S</source>
        <translation>Сохранить снимок экрана	Shift+S</translation>
    </message>
    <message>
        <source>Most Recent...</source>
        <translation>Недавние файлы...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>В&amp;ыход</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Воспроизведение</translation>
    </message>
    <message>
        <source>Play	ENTER</source>
        <translation>Воспроизвести	Enter</translation>
    </message>
    <message>
        <source>Stop	Esc</source>
        <translation>Остановить	Esc</translation>
    </message>
    <message>
        <source>Pause	SPACE</source>
        <translation>Пауза	Пробел</translation>
    </message>
    <message>
        <source>Previous File	PgUp</source>
        <translation>Предыдущий файл	PgUp</translation>
    </message>
    <message>
        <source>Next File	PgDn</source>
        <translation>Следующий файл	PgDn</translation>
    </message>
    <message>
        <source>5 Seconds Forward	&gt;</source>
        <translation>На 5 секунд вперёд	&gt;</translation>
    </message>
    <message>
        <source>5 Seconds Back	&lt;</source>
        <translation>На 5 секунд назад	&lt;</translation>
    </message>
    <message>
        <source>Next Chapter	Shift+PgDn</source>
        <translation>Следующая глава	Shift+PgDn</translation>
    </message>
    <message>
        <source>Previous Chapter	Shift+PgUp</source>
        <translation>Предыдущая глава	Shift+PgUp</translation>
    </message>
    <message>
        <source>Chapters</source>
        <translation>Главы</translation>
    </message>
    <message>
        <source>A-B Loop	L</source>
        <translation>Повтор A-B	L</translation>
    </message>
    <message>
        <source>Faster	]</source>
        <translation>Быстрее	]</translation>
    </message>
    <message>
        <source>Slower	[</source>
        <translation>Медленнее	[</translation>
    </message>
    <message>
        <source>Normal Speed	Backspace</source>
        <translation>Обычная скорость	Backspace</translation>
    </message>
    <message>
        <source>Next Frame	E</source>
        <translation>Следующий кадр	E</translation>
    </message>
    <message>
        <source>Previous Frame	Shift+E</source>
        <translation>Предыдущий кадр	Shift+E</translation>
    </message>
    <message>
        <source>&amp;Filters</source>
        <translation>Ф&amp;ильтры</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Вид</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Панель инструментов</translation>
    </message>
    <message>
        <source>&amp;Seekbar</source>
        <translation>Полоса пере&amp;мотки</translation>
    </message>
    <message>
        <source>Fullscreen	F</source>
        <translation>Во весь экран	F</translation>
    </message>
    <message>
        <source>Fullscreen Resolution</source>
        <translation>Разрешение во весь экран</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>По умолчанию</translation>
    </message>
    <message>
        <source>Auto Next</source>
        <translation>Автоматически следующий</translation>
    </message>
    <message>
        <source>Maintain Aspect Ratio</source>
        <translation>Сохранять пропорции</translation>
    </message>
    <message>
        <source>Always On Top</source>
        <translation>Поверх всех окон</translation>
    </message>
    <message>
        <source>Allow Multiple Instances</source>
        <translation>Разрешить несколько копий</translation>
    </message>
    <message>
        <source>Keep Window Size</source>
        <translation>Сохранять размер окна</translation>
    </message>
    <message>
        <source>View Subtitles	C</source>
        <translation>Показывать субтитры	C</translation>
    </message>
    <message>
        <source>Set Subtitle Font</source>
        <translation>Шрифт субтитров</translation>
    </message>
    <message>
        <source>Subtitle Track</source>
        <translation>Дорожка субтитров</translation>
    </message>
    <message>
        <source>Audio Track</source>
        <translation>Звуковая дорожка</translation>
    </message>
    <message>
        <source>Subtitle Encoding</source>
        <translation>Кодировка субтитров</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Автоматически</translation>
    </message>
    <message>
        <source>Subtitle Styles</source>
        <translation>Стили субтитров</translation>
    </message>
    <message>
        <source>Resume Playback</source>
        <translation>Продолжать воспроизведение</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>Help	F1</source>
        <translation>Справка	F1</translation>
    </message>
    <message>
        <source>Check For Update</source>
        <translation>Проверить обновления</translation>
    </message>
    <message>
        <source>&amp;About Tavimo...</source>
        <translation>&amp;О программе Tavimo...</translation>
    </message>
    <message>
        <source>Deinterlace</source>
        <translation>Устранение чересстрочности</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Автоматически</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Вкл.</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech</source>
        <translation type="vanished">Синхронизировать субтитры с речью</translation>
    </message>
    <message>
        <source>Synchronise Subtitles to Speech	Y</source>
        <translation>Синхронизировать субтитры с речью	Y</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation type="vanished">(запомнено)</translation>
    </message>
    <message>
        <source>Audio Earlier	J</source>
        <translation>Звук раньше	J</translation>
    </message>
    <message>
        <source>Audio Later	K</source>
        <translation>Звук позже	K</translation>
    </message>
    <message>
        <source>Reset Audio Delay	Shift+J</source>
        <translation>Сбросить задержку звука	Shift+J</translation>
    </message>
    <message>
        <source>Night Mode	N</source>
        <translation>Ночной режим	N</translation>
    </message>
</context>
<context>
    <name>Notes</name>
    <message>
        <source>Chapter %1/%2</source>
        <translation>Глава %1/%2</translation>
    </message>
    <message>
        <source>Chapter %1/%2: %3</source>
        <translation>Глава %1/%2: %3</translation>
    </message>
    <message>
        <source>Loop: %1 –</source>
        <translation>Повтор: %1 –</translation>
    </message>
    <message>
        <source>Loop: %1 – %2</source>
        <translation>Повтор: %1 – %2</translation>
    </message>
    <message>
        <source>Loop off</source>
        <translation>Повтор выключен</translation>
    </message>
    <message>
        <source>Speed: %1×</source>
        <translation>Скорость: %1×</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Сохранено: %1</translation>
    </message>
    <message>
        <source>Audio: %1</source>
        <translation>Звук: %1</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Субтитры: %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>выкл.</translation>
    </message>
    <message>
        <source>Subtitle delay: %1 s</source>
        <translation>Задержка субтитров: %1 с</translation>
    </message>
    <message>
        <source>Deinterlace: Auto</source>
        <translation>Устранение чересстрочности: авто</translation>
    </message>
    <message>
        <source>Deinterlace: On</source>
        <translation>Устранение чересстрочности: вкл.</translation>
    </message>
    <message>
        <source>Deinterlace: Off</source>
        <translation>Устранение чересстрочности: выкл.</translation>
    </message>
    <message>
        <source>Synchronising subtitles… %1%</source>
        <translation>Синхронизация субтитров… %1%</translation>
    </message>
    <message>
        <source>Synchronisation cancelled</source>
        <translation>Синхронизация отменена</translation>
    </message>
    <message>
        <source>Could not match the subtitles to the speech</source>
        <translation>Не удалось сопоставить субтитры с речью</translation>
    </message>
    <message>
        <source>Subtitles synchronised: %1</source>
        <translation>Субтитры синхронизированы: %1</translation>
    </message>
    <message>
        <source>(remembered)</source>
        <translation>(запомнено)</translation>
    </message>
    <message>
        <source>in %1 parts</source>
        <translation>в %1 частях</translation>
    </message>
    <message>
        <source>This stream cannot seek</source>
        <translation>Этот поток нельзя перематывать</translation>
    </message>
    <message>
        <source>Audio delay: %1 ms</source>
        <translation>Задержка звука: %1 мс</translation>
    </message>
    <message>
        <source>Night mode: on</source>
        <translation>Ночной режим: вкл.</translation>
    </message>
    <message>
        <source>Night mode: off</source>
        <translation>Ночной режим: выкл.</translation>
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
        <translation>Открыть видео</translation>
    </message>
    <message>
        <source>Open Subtitles</source>
        <translation>Открыть субтитры</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Воспроизвести</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Пауза</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Остановить</translation>
    </message>
    <message>
        <source>Previous File</source>
        <translation>Предыдущий файл</translation>
    </message>
    <message>
        <source>Next File</source>
        <translation>Следующий файл</translation>
    </message>
    <message>
        <source>Fullscreen</source>
        <translation>Во весь экран</translation>
    </message>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
</context>
<context>
    <name>tavimo::CAboutDlg</name>
    <message>
        <source>About Tavimo</source>
        <translation>О программе Tavimo</translation>
    </message>
</context>
<context>
    <name>tavimo::COpenURL</name>
    <message>
        <source>Enter URL</source>
        <translation>Введите URL</translation>
    </message>
</context>
<context>
    <name>tavimo::CSliders</name>
    <message>
        <source>Volume</source>
        <translation>Громкость</translation>
    </message>
</context>
</TS>
