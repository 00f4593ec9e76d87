# Russian.
KEYS = {"Ctrl": "Ctrl", "Shift": "Shift", "DEL": "Del", "ENTER": "Enter", "SPACE": "Пробел",
        "PgUp": "PgUp", "PgDn": "PgDn", "Backspace": "Backspace", "Esc": "Esc"}

T = {
    "About": {
        "Tavimo build %1": "Tavimo, сборка %1",
        "A small video player that draws its own subtitles.":
            "Небольшой видеопроигрыватель, который сам рисует субтитры.",
        "Built with Qt 6 and GStreamer for Linux.": "Создан на Qt 6 и GStreamer для Linux.",
        "Thanks to (a-z):": "Благодарности (a–z):",
    },
    "Boxes": {
        "the desktop entry %1 is not usable": "ярлык %1 непригоден для использования",
        "mimeapps.list could not be written": "не удалось записать mimeapps.list",
        'Move "%1" to the trash?': "Переместить «%1» в корзину?",
        'Could not move "%1" to the trash.\n%2': "Не удалось переместить «%1» в корзину.\n%2",
        "ASX Playlists are not supported by this application.\n\nPlease select a valid media file.":
            "Это приложение не поддерживает списки воспроизведения ASX.\n\n"
            "Выберите допустимый медиафайл.",
        "This program needs DirectX9,\na videocard with Direct3D and the latest videodrivers.\nGo download them!":
            "Этой программе нужны DirectX 9,\nвидеокарта с Direct3D и свежие видеодрайверы.\n"
            "Скачайте их!",
        "Failed to load Windows Media content.\nPerhaps you need to install Windows Media Player 9 or higher.":
            "Не удалось загрузить содержимое Windows Media.\nВозможно, нужно установить "
            "Windows Media Player 9 или новее.",
        "Unknown Error: 0x%x": "Неизвестная ошибка: 0x%x",
        "The picture could not be made into a PNG.": "Не удалось преобразовать кадр в PNG.",
        "The picture could not be read from the video.": "Не удалось прочитать кадр из видео.",
        "Every name for this moment is taken.": "Все имена для этого момента уже заняты.",
        "The screenshot could not be saved in the folder\n%1":
            "Не удалось сохранить снимок экрана в папке\n%1",
        "an empty name was given for a file to write": "для записываемого файла указано пустое имя",
        "cannot write %1: %2": "не удаётся записать %1: %2",
        "update-mime-database is not installed": "update-mime-database не установлен",
        "update-mime-database failed on %1": "ошибка update-mime-database для %1",
        '"%1" may be %2 or another type, and its contents do not tell which':
            "«%1» может иметь тип %2 или другой, и по содержимому это не определить",
        "the default application for %1 was not set: %2":
            "приложение по умолчанию для %1 не назначено: %2",
        '"%1" has no file extension, so no file type was registered.':
            "У «%1» нет расширения, поэтому тип файла не зарегистрирован.",
        'Filetype "%1" registered with Tavimo': "Тип файла «%1» связан с Tavimo",
        'Filetype "%1" could not be registered with Tavimo:\n%2':
            "Не удалось связать тип файла «%1» с Tavimo:\n%2",
        "The file could not be moved to the trash.": "Не удалось переместить файл в корзину.",
        "Could not match the subtitles to the speech": "Не удалось сопоставить субтитры с речью",
    },
    "Desktop": {
        "Playing video": "Воспроизведение видео",
        "Full screen": "Полноэкранный режим",
    },
    "Dialogs": {
        "Open Media File...": "Открыть медиафайл...",
        "All Files (*.*)": "Все файлы (*.*)",
        "Font": "Шрифт",
        "&Color...": "&Цвет...",
        "Color": "Цвет",
        "Open Subtitles File...": "Открыть файл субтитров...",
        "Supported Files (*.srt;*.txt;*.sub;*.ass;*.ssa)":
            "Поддерживаемые файлы (*.srt;*.txt;*.sub;*.ass;*.ssa)",
    },
    "Errors": {
        "The operation is not available here.": "Операция здесь недоступна.",
        "The object does not offer the requested interface.":
            "Объект не предоставляет запрошенный интерфейс.",
        "A required pointer was missing.": "Отсутствует необходимый указатель.",
        "The operation was cancelled.": "Операция отменена.",
        "The operation failed.": "Операция не удалась.",
        "An unexpected failure occurred.": "Произошла непредвиденная ошибка.",
        "Access to the file was refused.": "Доступ к файлу запрещён.",
        "There is not enough memory for the operation.": "Недостаточно памяти для операции.",
        "An argument is not valid.": "Недопустимый аргумент.",
        "The file could not be found.": "Файл не найден.",
        "The folder of the file could not be found.": "Папка файла не найдена.",
        "The pins are not connected.": "Контакты не соединены.",
        "A required interface is not implemented.": "Необходимый интерфейс не реализован.",
        "The object or name was not found.": "Объект или имя не найдены.",
        "No chain of elements could connect the stream.":
            "Ни одна цепочка элементов не смогла подключить поток.",
        "No chain of elements could render the stream.":
            "Ни одна цепочка элементов не смогла воспроизвести поток.",
        "The pipeline is in the wrong state for the operation.":
            "Конвейер находится в неподходящем для операции состоянии.",
        "The media type is not accepted.": "Тип медиаданных не принят.",
        "An element with this name is already in the graph.":
            "Элемент с таким именем уже есть в графе.",
        "The media pipeline did not answer in time.": "Медиаконвейер не ответил вовремя.",
        "The file is not in the expected format.": "Файл не в ожидаемом формате.",
        "The type of this file is not recognised.": "Тип этого файла не распознан.",
        "No source could be loaded for this file.": "Не удалось загрузить источник для этого файла.",
        "No decoder is installed for a stream of this file.":
            "Для одного из потоков этого файла не установлен декодер.",
        "No audio output is available.": "Нет доступного аудиовыхода.",
        "The element is not in the graph.": "Элемента нет в графе.",
        "The file cannot be played: its format is not supported.":
            "Файл невозможно воспроизвести: его формат не поддерживается.",
        "No handler is installed for this protocol (mms://).":
            "Для этого протокола (mms://) не установлен обработчик.",
    },
    "Help": {
        "Usage: tavimo [FILE-OR-URL]\nPlays a video file or URL, with the subtitles found beside it.\n"
        "Everything after the program name is one path; quotes around it are removed.\n\n"
        "  --sync-subtitles SUBTITLE CLIP [-o OUT.srt]\n"
        "             match the subtitles to the clip's speech, print the correction\n"
        "             (and write the corrected SubRip file with -o), and exit\n"
        "  --help     show this text and exit\n  --version  show the version and exit\n":
            "Использование: tavimo [ФАЙЛ-ИЛИ-URL]\n"
            "Воспроизводит видеофайл или URL с субтитрами, найденными рядом с ним.\n"
            "Всё после имени программы — один путь; окружающие его кавычки удаляются.\n\n"
            "  --sync-subtitles СУБТИТРЫ КЛИП [-o ВЫХОД.srt]\n"
            "             синхронизировать субтитры с речью в клипе, вывести поправку\n"
            "             (с -o также записать исправленный файл SubRip) и выйти\n"
            "  --help     показать эту справку и выйти\n"
            "  --version  показать версию и выйти\n",
    },
    "Menu": {
        "Chapter %1": "Глава %1",
        "mono": "моно",
        "stereo": "стерео",
        "%1 ch": "%1 кан.",
        "Track %1": "Дорожка %1",
        "%1 (no decoder)": "%1 (нет декодера)",
        "Off": "Выкл.",
        "&File": "&Файл",
        "&Open Video...": "&Открыть видео...",
        "Open Subtitles": "Открыть субтитры",
        "Open URL": "Открыть URL",
        "Register Filetype For Current File": "Связать тип текущего файла",
        "Delete Current File": "Удалить текущий файл",
        "Save Screenshot": "Сохранить снимок экрана",
        "Most Recent...": "Недавние файлы...",
        "E&xit": "В&ыход",
        "Play": "Воспроизведение",
        "Play\tENTER": "Воспроизвести",
        "Stop": "Остановить",
        "Pause": "Пауза",
        "Previous File": "Предыдущий файл",
        "Next File": "Следующий файл",
        "5 Seconds Forward": "На 5 секунд вперёд",
        "5 Seconds Back": "На 5 секунд назад",
        "Next Chapter": "Следующая глава",
        "Previous Chapter": "Предыдущая глава",
        "Chapters": "Главы",
        "A-B Loop": "Повтор A-B",
        "Faster": "Быстрее",
        "Slower": "Медленнее",
        "Normal Speed": "Обычная скорость",
        "Next Frame": "Следующий кадр",
        "Previous Frame": "Предыдущий кадр",
        "&Filters": "Ф&ильтры",
        "&View": "&Вид",
        "&Toolbar": "&Панель инструментов",
        "&Seekbar": "Полоса пере&мотки",
        "Fullscreen": "Во весь экран",
        "Fullscreen Resolution": "Разрешение во весь экран",
        "Default": "По умолчанию",
        "Auto Next": "Автоматически следующий",
        "Maintain Aspect Ratio": "Сохранять пропорции",
        "Always On Top": "Поверх всех окон",
        "Allow Multiple Instances": "Разрешить несколько копий",
        "Keep Window Size": "Сохранять размер окна",
        "View Subtitles": "Показывать субтитры",
        "Set Subtitle Font": "Шрифт субтитров",
        "Subtitle Track": "Дорожка субтитров",
        "Audio Track": "Звуковая дорожка",
        "Subtitle Encoding": "Кодировка субтитров",
        "Automatic": "Автоматически",
        "Subtitle Styles": "Стили субтитров",
        "Resume Playback": "Продолжать воспроизведение",
        "&Help": "&Справка",
        "Help": "Справка",
        "Check For Update": "Проверить обновления",
        "&About Tavimo...": "&О программе Tavimo...",
        "Deinterlace": "Устранение чересстрочности",
        "Auto": "Автоматически",
        "On": "Вкл.",
        "Synchronise Subtitles to Speech": "Синхронизировать субтитры с речью",
        "(remembered)": "(запомнено)",
    },
    "Notes": {
        "Chapter %1/%2": "Глава %1/%2",
        "Chapter %1/%2: %3": "Глава %1/%2: %3",
        "Loop: %1 –": "Повтор: %1 –",
        "Loop: %1 – %2": "Повтор: %1 – %2",
        "Loop off": "Повтор выключен",
        "Speed: %1×": "Скорость: %1×",
        "Saved %1": "Сохранено: %1",
        "Audio: %1": "Звук: %1",
        "Subtitles: %1": "Субтитры: %1",
        "none": "нет",
        "Off": "выкл.",
        "Subtitle delay: %1 s": "Задержка субтитров: %1 с",
        "Deinterlace: Auto": "Устранение чересстрочности: авто",
        "Deinterlace: On": "Устранение чересстрочности: вкл.",
        "Deinterlace: Off": "Устранение чересстрочности: выкл.",
        "Synchronising subtitles… %1%": "Синхронизация субтитров… %1%",
        "Synchronisation cancelled": "Синхронизация отменена",
        "Could not match the subtitles to the speech": "Не удалось сопоставить субтитры с речью",
        "Subtitles synchronised: %1": "Субтитры синхронизированы: %1",
        "(remembered)": "(запомнено)",
        "in %1 parts": "в %1 частях",
    },
    "Seekbar": {"%1 / %2": "%1 / %2"},
    "Toolbar": {
        "Open Video": "Открыть видео",
        "Open Subtitles": "Открыть субтитры",
        "Play": "Воспроизвести",
        "Pause": "Пауза",
        "Stop": "Остановить",
        "Previous File": "Предыдущий файл",
        "Next File": "Следующий файл",
        "Fullscreen": "Во весь экран",
        "About": "О программе",
    },
    "tavimo::CAboutDlg": {"About Tavimo": "О программе Tavimo"},
    "tavimo::COpenURL": {"Enter URL": "Введите URL"},
    "tavimo::CSliders": {"Volume": "Громкость"},
}
